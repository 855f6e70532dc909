#pragma once

#include <QFont>
#include <QString>

// The skin names Windows fonts ("Meiryo UI", "MS UI Gothic"); they are drawn with the installed
// Japanese Gothic font instead. Call once after the QApplication exists.
void InstallJapaneseFontSubstitutes();

// The family the Windows face names stand for here.
QString JapaneseUiFontFamily();

// A skin font size (tenths of a point) divided by the application's font scale X, in pixels at
// the screen's logical DPI; at least 1.
int SkinFontPixelSize(int sizeTenths, double fontScaleX, double logicalDpi);

// A font of the skin's face and size.
QFont MakeSkinFont(const QString& face, int sizeTenths, double fontScaleX, double logicalDpi);
