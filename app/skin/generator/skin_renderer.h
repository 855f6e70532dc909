#pragma once

#include "app/skin/generator/skin_manifest.h"
#include "app/skin/generator/skin_style_table.h"

#include <QImage>
#include <QString>
#include <map>

// Draws the pictures of the skin from their SVG sources: the body (bodies/<body>.svg) over the
// whole picture, then the glyph (glyphs/<glyph>.svg) centred at its height, both with every
// {{name}} replaced by the picture's values: {{w}} and {{h}} (its size), {{fill}}, the extra
// values given to the renderer (--value name=text), and the values of its state in the style
// table.
// {{name+n}}, {{name-n}}, {{name*n}} and {{name/n}} compute with a numeric value.
class CSkinRenderer {
public:
    CSkinRenderer(
        const QString& sourceFolder, const CSkinStyleTable& styles, std::map<QString, QString> extraValues);

    // The picture (ARGB, or opaque on its matte); a null image with the reason when a source is
    // missing or unreadable, names an unknown value, or the SVG reader complains about it.
    QImage Render(const SkinPictureEntry& entry, QString* error) const;

    // Writes the picture in the format of the path's extension (a .bmp as 24-bit), replacing the
    // file only once it is whole; the folders are made as needed.
    static bool Save(const QImage& image, const QString& path, QString* error);

private:
    bool DrawSource(const QString& path,
        const SkinPictureEntry& entry,
        QPainter& painter,
        bool glyph,
        QString* error) const;
    std::optional<QString> Expand(const QString& text, const SkinPictureEntry& entry, QString* error) const;
    std::optional<QString> ValueOf(const QString& name, const SkinPictureEntry& entry) const;
    std::optional<QColor> ColourOf(const QString& nameOrColour, const SkinPictureEntry& entry) const;

    QString m_sourceFolder;
    const CSkinStyleTable& m_styles;
    std::map<QString, QString> m_extraValues;
};
