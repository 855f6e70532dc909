#pragma once

#include "app/skin/generator/skin_manifest.h"

#include <QImage>
#include <vector>

struct SkinSheetEntry {
    SkinPictureEntry listed;
    QImage picture;
};

// A sheet of every picture with its file name, grouped by folder, for the documentation.
// Pictures smaller than 24 pixels are shown twice their size.
QImage DrawSkinSheet(const std::vector<SkinSheetEntry>& entries, const QString& title);
