#include "updater/version_text.h"

#include "platform/number_text.h"

int SplitVersion(const QString& text, QStringList& parts)
{
    parts = text.split(u'.', Qt::KeepEmptyParts);
    return int(parts.size());
}

int CompareVersionTexts(const QString& installed, const QString& newer, int parts)
{
    if (installed == newer)
        return kVersionEqual;
    QStringList installedParts;
    QStringList newParts;
    if (SplitVersion(installed, installedParts) != parts || SplitVersion(newer, newParts) != parts)
        return kVersionMalformed;
    for (int index = 0; index < parts; ++index) {
        const int32_t installedPart = platform::WToI(installedParts[index]);
        const int32_t newPart = platform::WToI(newParts[index]);
        if (installedPart < newPart)
            return kVersionInstalledOlder;
        if (installedPart > newPart)
            return kVersionInstalledNewer;
    }
    return kVersionEqual;
}

QString FormatFileVersion(const platform::FileVersion& version, int parts)
{
    if (parts == 2)
        return QStringLiteral("%1.%2").arg(version[0]).arg(version[1]);
    return QStringLiteral("%1.%2.%3.%4").arg(version[0]).arg(version[1]).arg(version[2]).arg(version[3]);
}
