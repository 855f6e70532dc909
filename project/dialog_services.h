#pragma once

#include "core/skin_ini.h"
#include "platform/win_color.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

class CLanguageData;
class CMessageCatalog;

// The skin, texts and messages the editor's dialogs read: the application object's, or the
// built-in defaults where there is none (tests, tools).
namespace dialog_services {

const CSkinIni& Skin();
const CLanguageData& Language();
CMessageCatalog& Messages();

QColor Color(CSkinIni::Color color);
// A skin font, its size divided by the application's font scale.
QFont Font(CSkinIni::Font font);

// The path of a skin image below the skin folder the dialog was given, its parts matched
// without regard to letter case when they are not there as written. Empty for an empty name.
QString SkinImagePath(const QString& skinFolder, const QString& imageName);

// Shows a catalogue message in the editor's message box (OK only) followed by the text.
void ShowMessage(int messageId, const QString& appended = QString());

// A static text of a dialog on the skin's colours, vertically centred.
QLabel* MakeCaption(QWidget* parent, int id, const QString& text, const QRect& rect, const QFont& font);

} // namespace dialog_services
