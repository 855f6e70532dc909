#include "core/message_box.h"

#include "platform/dialog_service.h"

namespace {

KaleidraMessageBoxHandler& Handler()
{
    static KaleidraMessageBoxHandler handler;
    return handler;
}

} // namespace

int KaleidraMessageBox(const QString& text, unsigned type)
{
    if (const KaleidraMessageBoxHandler& handler = Handler())
        return handler(text, type);
    return platform::DialogService().MessageBox(text, QString::fromUtf16(kKaleidraCaption), type);
}

void KaleidraNotice(const QString& text, unsigned type)
{
    platform::DialogService().ShowNotice(text, QString::fromUtf16(kKaleidraCaption), type);
}

void SetKaleidraMessageBoxHandler(KaleidraMessageBoxHandler handler)
{
    Handler() = std::move(handler);
}
