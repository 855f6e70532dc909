#pragma once

#include "core/skin_ini.h"
#include "platform/win_color.h"

#include <QColor>
#include <QFont>
#include <QString>

class CLanguageData;
class CMessageCatalog;

// The skin, texts and messages that the item panel's windows read: the application object's,
// or built-in defaults where there is none (tests, tools).
namespace itempanel {

const CSkinIni& PanelSkin();
const CLanguageData& PanelLanguage();
CMessageCatalog& PanelMessages();

COLORREF PanelColor(CSkinIni::Color color);
// A skin font. Its size is divided by the application's font scale, unless `scaled` is false.
QFont PanelFont(CSkinIni::Font font, bool scaled = true);

// Shows a catalogue message in the editor's message box and returns the answer.
int ShowPanelMessage(int messageId, unsigned type);

// The path of a skin image below the skin folder the panel was given, its parts matched as the
// programs always found them (without regard to letter case when not there as written). Empty
// for an empty name.
QString SkinImagePath(const QString& skinFolder, const QString& imageName);

} // namespace itempanel
