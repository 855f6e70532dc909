#pragma once

#include <QImage>
#include <QString>

class CSkinIni;

// The picture the splash and the version window show: the skin's splash picture when its file
// exists, else the picture built into the program (500 x 240).
QImage LoadProductPicture(const CSkinIni* skin);
QImage BuiltInProductPicture();

// The skin of the application object, or null before it exists.
const CSkinIni* ApplicationSkin();
