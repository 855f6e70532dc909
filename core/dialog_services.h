#pragma once

#include "core/skin_ini.h"
#include "platform/win_color.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

class CLanguageData;
class CMessageCatalog;

// The skin, texts and messages the editor's dialogs and the item panel's windows read: the
// application object's, or the built-in defaults where there is none (tests, tools).
namespace dialog_services {

const CSkinIni& Skin();
const CLanguageData& Language();
CMessageCatalog& Messages();

// A skin colour as the skin holds it, and as Qt takes it.
COLORREF ColorRef(CSkinIni::Color color);
QColor Color(CSkinIni::Color color);
// A skin font. Its size is divided by the application's font scale, unless `scaled` is false.
QFont Font(CSkinIni::Font font, bool scaled = true);

// The path of a skin image below the skin folder the window was given, its parts matched
// without regard to letter case when they are not there as written. Empty for an empty name.
QString SkinImagePath(const QString& skinFolder, const QString& imageName);

// Shows a catalogue message, followed by the appended text, in the editor's message box and
// returns the answer.
int ShowMessage(int messageId, unsigned type, const QString& appended = QString());

// A static text of a dialog on the skin's colours, vertically centred.
QLabel* MakeCaption(QWidget* parent, int id, const QString& text, const QRect& rect, const QFont& font);

} // namespace dialog_services
