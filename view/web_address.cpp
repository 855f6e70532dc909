#include "view/web_address.h"

QUrl SupportPageAddress(const QString& text)
{
    const QUrl address(text.trimmed(), QUrl::StrictMode);
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || address.host().isEmpty() || (scheme != u"http" && scheme != u"https"))
        return QUrl();
    return address;
}
