#pragma once

#include <QSize>
#include <QString>
#include <vector>

// One picture to render: its file (relative to the output folder, '/'-separated; the extension
// .png or .bmp decides the format), its size, the body drawn over the whole picture, the state of
// the style table it takes its values from, and the options of its line.
struct SkinPictureEntry {
    QString file;
    QSize size;
    QString body;
    QString state;
    QString glyph; // drawn centred over the body; empty for none
    double scale = 1.0; // the glyph's height as a part of the picture's height
    QString flip; // "x", "y" or "xy": the picture is mirrored
    QString matte; // colour under a .bmp picture (a style name or #rrggbb)
    QString fill; // the value of {{fill}} in the sources (a style name or #rrggbb)
    QString where; // manifest file and line, for messages
};

// Reads a picture list: one picture per line, "file WIDTHxHEIGHT body state [option=value ...]",
// '#' at the start of a line or after a blank starting a comment. Options: glyph, scale, flip, matte, fill.
// False with the reason when a line is malformed, a file name is not a safe relative path or names a picture
// twice, or a .bmp picture has no matte.
bool LoadSkinManifest(const QString& path, std::vector<SkinPictureEntry>* pictures, QString* error);
