#include "itempanel/item_panel_services.h"

#include "core/kaleidra_app.h"
#include "core/language_data.h"
#include "core/message_box.h"
#include "core/message_catalog.h"
#include "core/program_data_file.h"
#include "core/skin_font.h"
#include "platform/paths.h"

#include <QGuiApplication>
#include <QScreen>

namespace itempanel {

const CSkinIni& PanelSkin()
{
    if (CKaleidraApp* app = KaleidraApp(); app && app->Skin())
        return *app->Skin();
    static const CSkinIni defaults;
    return defaults;
}

const CLanguageData& PanelLanguage()
{
    if (CKaleidraApp* app = KaleidraApp(); app && app->Language())
        return *app->Language();
    static const CLanguageData defaults;
    return defaults;
}

CMessageCatalog& PanelMessages()
{
    if (CKaleidraApp* app = KaleidraApp(); app && app->Messages())
        return *app->Messages();
    static CMessageCatalog defaults;
    return defaults;
}

COLORREF PanelColor(CSkinIni::Color color)
{
    return PanelSkin().GetColor(color);
}

QFont PanelFont(CSkinIni::Font font, bool scaled)
{
    const CKaleidraApp* app = KaleidraApp();
    const double scale = scaled && app ? app->FontScaleX() : 1.0;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return MakeSkinFont(PanelSkin().GetFontFace(font), PanelSkin().GetFontSize(font), scale, dpi);
}

int ShowPanelMessage(int messageId, unsigned type)
{
    return KaleidraMessageBox(PanelMessages().GetMessage(messageId), type);
}

QString SkinImagePath(const QString& skinFolder, const QString& imageName)
{
    if (imageName.isEmpty())
        return QString();
    return ProgramDataPath(skinFolder, platform::DataFilePathToLocal(imageName));
}

} // namespace itempanel
