#include "core/skin_font.h"
#include "tests/core/qstring_printer.h"

#include "core/language_data.h"
#include "core/message_catalog.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QRawFont>
#include <gtest/gtest.h>

namespace {

// An image of the glyph, for comparing glyphs with the font's missing-glyph box.
QImage GlyphImage(const QRawFont& font, quint32 glyph)
{
    return font.alphaMapForGlyph(glyph, QRawFont::PixelAntialiasing);
}

} // namespace

TEST(SkinFont, WindowsFaceNamesUseTheJapaneseFont)
{
    InstallJapaneseFontSubstitutes();
    const QString family = JapaneseUiFontFamily();
    for (const QString& face : { QStringLiteral("Meiryo UI"), QStringLiteral("MS UI Gothic") }) {
        SCOPED_TRACE(face.toStdString());
        const QFont font = MakeSkinFont(face, 110, 1.0, 96);
        EXPECT_EQ(QFontInfo(font).family(), family);
    }
}

TEST(SkinFont, JapaneseDefaultTextsRenderRealGlyphs)
{
    InstallJapaneseFontSubstitutes();
    const QFont font = MakeSkinFont(QStringLiteral("Meiryo UI"), 110, 1.0, 96);
    const QRawFont raw = QRawFont::fromFont(font);
    ASSERT_TRUE(raw.isValid());
    const QImage missingBox = GlyphImage(raw, 0);
    const QFontMetrics metrics(font);

    CMessageCatalog messages;
    const QString texts[] = {
        CLanguageData().GetFileMenuOpen(),
        CLanguageData().GetIdPretabModeSingle(),
        messages.GetMessage(7),
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        const QList<quint32> glyphs = raw.glyphIndexesForString(text);
        ASSERT_EQ(glyphs.size(), text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(metrics.inFontUcs4(text[i].unicode()));
            ASSERT_NE(glyphs[i], 0u);
            if (text[i].isSpace())
                continue;
            const QImage glyph = GlyphImage(raw, glyphs[i]);
            EXPECT_FALSE(glyph.isNull());
            EXPECT_NE(glyph, missingBox);
        }
    }
}

TEST(SkinFont, PixelSizes)
{
    const struct {
        int tenths;
        double scaleX;
        double dpi;
        int pixels;
    } cases[] = {
        { 110, 1.0, 96, 15 },
        { 100, 1.0, 96, 13 },
        { 90, 1.0, 96, 12 },
        { 110, 1.25, 120, 15 }, // the scale divides out again on a 120 dpi screen
        { 140, 1.0, 120, 23 },
        { 100, 0.0, 96, 13 },
        { 100, -2.0, 96, 13 },
        { 0, 1.0, 96, 1 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(SkinFontPixelSize(c.tenths, c.scaleX, c.dpi), c.pixels)
            << c.tenths << " " << c.scaleX << " " << c.dpi;
}
