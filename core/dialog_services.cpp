#include "core/dialog_services.h"

#include "core/kaleidra_app.h"
#include "core/language_data.h"
#include "core/message_box.h"
#include "core/message_catalog.h"
#include "core/program_data_file.h"
#include "core/skin_font.h"
#include "platform/dialog_service.h"
#include "platform/paths.h"

#include <QGuiApplication>
#include <QScreen>

namespace dialog_services {

const CSkinIni& Skin()
{
    if (CKaleidraApp* app = KaleidraApp(); app && app->Skin())
        return *app->Skin();
    static const CSkinIni defaults;
    return defaults;
}

const CLanguageData& Language()
{
    if (CKaleidraApp* app = KaleidraApp(); app && app->Language())
        return *app->Language();
    static const CLanguageData defaults;
    return defaults;
}

CMessageCatalog& Messages()
{
    if (CKaleidraApp* app = KaleidraApp(); app && app->Messages())
        return *app->Messages();
    static CMessageCatalog defaults;
    return defaults;
}

COLORREF ColorRef(CSkinIni::Color color)
{
    return Skin().GetColor(color);
}

QColor Color(CSkinIni::Color color)
{
    return platform::ToQColor(ColorRef(color));
}

QFont Font(CSkinIni::Font font, bool scaled)
{
    const CKaleidraApp* app = KaleidraApp();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return MakeSkinFont(Skin().GetFontFace(font), Skin().GetFontSize(font),
        scaled && app ? app->FontScaleX() : 1.0, screen ? screen->logicalDotsPerInch() : 96.0);
}

QString SkinImagePath(const QString& skinFolder, const QString& imageName)
{
    if (imageName.isEmpty())
        return QString();
    return ProgramDataPath(skinFolder, platform::DataFilePathToLocal(imageName));
}

int ShowMessage(int messageId, unsigned type, const QString& appended)
{
    return KaleidraMessageBox(Messages().GetMessage(messageId) + appended, type);
}

QLabel* MakeCaption(QWidget* parent, int id, const QString& text, const QRect& rect, const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::number(id));
    label->setGeometry(rect);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setFont(font);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Color(CSkinIni::COLOR_SETTING_BK));
    palette.setColor(QPalette::WindowText, Color(CSkinIni::COLOR_TEXT));
    label->setPalette(palette);
    return label;
}

} // namespace dialog_services
