#include "tests/app/delivered_files.h"
#include "tests/core/qstring_printer.h"

#include "core/skin_table.h"
#include "tests/fixtures/temp_folder.h"

#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <gtest/gtest.h>

namespace {

struct SkinImage {
    QString key;
    QString file; // relative to Skin/, '/'-separated
};

std::vector<SkinImage> SkinImages()
{
    std::vector<SkinImage> images;
#define KALEIDRA_COLLECT_IMAGE(section, key, file)                                                           \
    images.push_back(                                                                                        \
        { QStringLiteral(#key), QString::fromUtf16(file).replace(QLatin1Char('\\'), QLatin1Char('/')) });
    KALEIDRA_SKIN_IMAGES(KALEIDRA_COLLECT_IMAGE)
#undef KALEIDRA_COLLECT_IMAGE
    return images;
}

// The size each window gives the pictures it draws, by the image key's prefix. A width of -1:
// the picture is stretched along the time axis and only its height matters.
struct ExpectedSize {
    const char* prefix;
    QSize size;
};
const ExpectedSize kExpectedSizes[] = {
    // Transport buttons beside the timeline: 35 x 34; START/PAUSE and the remote indicator 202 x 42.
    { "BTN_TOP_", { 35, 34 } },
    { "BTN_SCREEN_", { 35, 34 } },
    { "BTN_GUIDE_", { 35, 34 } },
    { "BTN_LOOP_", { 35, 34 } },
    { "BTN_START_", { 202, 42 } },
    { "BTN_PAUSE_", { 202, 42 } },
    { "BTN_REMOTE_", { 202, 42 } },
    // Browse buttons of the project dialogs (460..484 by 24 high); the properties page's movie
    // buttons, 24 wide in a 24-pixel row; its spin buttons 20 x 12.
    { "BTN_BROWS_", { 24, 24 } },
    { "BTN_SEARCH_", { 24, 24 } },
    { "BTN_IN_", { 24, 24 } },
    { "BTN_OUT_", { 24, 24 } },
    { "BTN_REPLAY_", { 24, 24 } },
    { "BTN_STOP_", { 24, 24 } },
    { "BTN_CAPTURE_", { 24, 24 } },
    { "BTN_SPINUP_", { 20, 12 } },
    { "BTN_SPINDOWN_", { 20, 12 } },
    // A list's drop button: 17 wide, the list's height (24) less one.
    { "BTN_PULLDOWN_", { 17, 23 } },
    // The mask and mute toggles, 22 wide in a 24-pixel row.
    { "BTN_MASK_", { 22, 24 } },
    { "CHECK_SQUARE_", { 22, 24 } },
    // Text buttons, as their names say: 36 high, 158 and 78 wide.
    { "BUTTON_1_", { 158, 36 } },
    { "BUTTON_2_", { 78, 36 } },
    // The camera placeholder is stretched to a camera's size; 16:9 like the camera preview.
    { "IMG_CAMPREVIEW", { 320, 180 } },
    { "IMG_VOL", { 24, 24 } },
    // The wait window takes the wait picture's size and shows the preview-start one in it.
    { "IMG_PREVIEWSTART", { 400, 150 } },
    { "IMG_WAIT", { 400, 150 } },
    { "SLIDER", { 11, 21 } },
    // Tab buttons: 82 x 29 in the item panel and the settings dialog.
    { "TAB_", { 82, 29 } },
    // The splash and the version window's picture (500 wide, 240 = 500 / 25 x 12 high).
    { "SPLASH_PRO", { 500, 240 } },
    { "CORNER_", { 4, 4 } },
    // Timeline: display and lock squares 16 x 16, zoom buttons 15 x 15, item bars 36 high in a
    // 40-pixel row (the picture box reaches y 32), effect bands within 8 of the bar's edges, the
    // camera and sound pictures in the 48 x 27 picture box, the link icon 13 x 14, the filter mark
    // left of the picture box (which starts at x 15).
    { "BTN_DISPLAY_", { 16, 16 } },
    { "BTN_LOCK_", { 16, 16 } },
    { "BTN_LONG_", { 15, 15 } },
    { "BTN_SHORT_", { 15, 15 } },
    { "MEDIA_EFE_", { -1, 20 } },
    { "MEDIA_", { -1, 36 } },
    { "ICON_CAM", { 48, 27 } },
    { "ICON_MUSIC", { 48, 27 } },
    { "ICON_LINK_", { 13, 14 } },
    { "ICON_FILTER", { 12, 12 } },
};

std::optional<QSize> ExpectedSizeOf(const QString& key)
{
    for (const ExpectedSize& expected : kExpectedSizes) {
        if (key.startsWith(QLatin1String(expected.prefix)))
            return expected.size;
    }
    return std::nullopt;
}

void ExpectPicture(const QString& path, const QSize& size)
{
    const QImage picture(path);
    ASSERT_FALSE(picture.isNull()) << path.toStdString() << " does not load";
    if (size.width() >= 0) {
        EXPECT_EQ(picture.width(), size.width()) << path.toStdString();
    }
    EXPECT_EQ(picture.height(), size.height()) << path.toStdString();
    if (path.endsWith(QStringLiteral(".bmp"))) {
        EXPECT_FALSE(picture.hasAlphaChannel()) << path.toStdString();
    }
}

struct GeneratorRun {
    int exitCode = -1;
    QString errors;
};

GeneratorRun RunGenerator(const QStringList& arguments)
{
    QProcess generator;
    generator.start(QStringLiteral(KALEIDRA_SKIN_GENERATOR), arguments);
    EXPECT_TRUE(generator.waitForFinished(60000)) << "the generator did not finish";
    return { generator.exitStatus() == QProcess::NormalExit ? generator.exitCode() : -1,
        QString::fromLocal8Bit(generator.readAllStandardError()) };
}

} // namespace

TEST(SkinPictures, EveryImageOfTheSkinIsDeliveredAtTheSizeItsWindowUses)
{
    int checked = 0;
    for (const SkinImage& image : SkinImages()) {
        SCOPED_TRACE(image.key.toStdString());
        if (image.file.isEmpty())
            continue; // BTN_PULLDOWN_OVER names no picture
        const std::optional<QSize> size = ExpectedSizeOf(image.key);
        ASSERT_TRUE(size.has_value()) << "no window size known for the key";
        ExpectPicture(DeliveredFile(QStringLiteral("Skin/") + image.file), *size);
        ++checked;
    }
    EXPECT_EQ(checked, 157); // every image value but the empty BTN_PULLDOWN_OVER
}

// Skin/ holds nothing the skin does not name, so a renamed picture leaves no stray copy.
TEST(SkinPictures, TheSkinFolderHoldsOnlyNamedPictures)
{
    QSet<QString> named;
    for (const SkinImage& image : SkinImages())
        named.insert(image.file);
    const QDir skin(DeliveredFile(QStringLiteral("Skin")));
    QDirIterator files(skin.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    int count = 0;
    while (files.hasNext()) {
        const QString file = skin.relativeFilePath(files.next());
        EXPECT_TRUE(named.contains(file)) << file.toStdString();
        ++count;
    }
    EXPECT_EQ(count, named.size() - 1); // every distinct name but the empty one
}

// The default skin's pictures carry no version (the version window draws the program's own over
// its picture, which would otherwise show two): they are rendered from the sources alone.
TEST(SkinPictures, TheDefaultSkinRendersWithoutAVersion)
{
    CTempFolder folder;
    const GeneratorRun run = RunGenerator(
        { QStringLiteral("--sources"), SourceFile(QStringLiteral("app/skin")), QStringLiteral("--styles"),
            SourceFile(QStringLiteral("app/skin/styles.ini")), QStringLiteral("--pictures"),
            SourceFile(QStringLiteral("app/skin/skin.txt")), QStringLiteral("--output"), folder.Path() });
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    ExpectPicture(folder.FilePath(QStringLiteral("SPLASH/kaleidrapro_splashwindow.png")), { 500, 240 });
}

// KaleidraRemote's 18 buttons, built into the program from the same sources.
TEST(SkinPictures, TheRemoteButtonsHaveTheirWindowsSizes)
{
    const QDir folder(QStringLiteral(KALEIDRA_REMOTE_PICTURES));
    for (const char* button : { "START", "PAUSE" }) {
        for (const char* state : { "NORMAL", "NOT", "OVER", "PRESS" })
            ExpectPicture(folder.filePath(QStringLiteral("IMGRC_%1_%2.bmp").arg(button, state)), { 167, 42 });
    }
    for (const char* state : { "NORMAL", "NOT", "OVER", "PRESS" })
        ExpectPicture(folder.filePath(QStringLiteral("IMGRC_TOP_%1.bmp").arg(state)), { 43, 42 });
    for (const char* button : { "GUIDE", "LOOP", "SCREEN" }) {
        for (const char* state : { "NORMAL", "SEL" })
            ExpectPicture(folder.filePath(QStringLiteral("IMGRC_%1_%2.bmp").arg(button, state)), { 43, 42 });
    }
    // Switched on and off look different.
    EXPECT_NE(QImage(folder.filePath(QStringLiteral("IMGRC_GUIDE_NORMAL.bmp"))),
        QImage(folder.filePath(QStringLiteral("IMGRC_GUIDE_SEL.bmp"))));
}

// The build fails, naming the fault, when a source is missing or unreadable.
TEST(SkinGenerator, FailsOnAMissingOrUnreadableSource)
{
    const QByteArray styles = "[common]\nink = #ffffff\n[normal]\nface = #404040\n";
    const QByteArray body = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 {{w}} {{h}}\">"
                            "<rect width=\"{{w}}\" height=\"{{h}}\" fill=\"{{face}}\"/></svg>";
    const QByteArray glyph = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 8 8\">"
                             "<rect x=\"2\" y=\"2\" width=\"4\" height=\"4\" fill=\"{{ink}}\"/></svg>";
    struct Case {
        const char* name;
        QByteArray pictures;
        QByteArray glyphFile; // glyphs/dot.svg; empty: no such file
        const char* message; // part of the generator's complaint
    };
    const Case cases[] = {
        { "whole sources", "a.png 8x6 plain normal glyph=dot\nb.bmp 8x6 plain normal matte=#000000\n", glyph,
            nullptr },
        { "missing glyph", "a.png 8x6 plain normal glyph=dot\n", QByteArray(), "glyphs/dot.svg" },
        { "missing body", "a.png 8x6 round normal\n", glyph, "bodies/round.svg" },
        { "unreadable glyph", "a.png 8x6 plain normal glyph=dot\n", "<svg><rect",
            "glyphs/dot.svg is not a readable SVG" },
        { "unknown value", "a.png 8x6 plain normal glyph=dot\n",
            QByteArray(glyph).replace("{{ink}}", "{{paint}}"), "no value \"paint\"" },
        { "unknown state", "a.png 8x6 plain pressed\n", glyph, "no state \"pressed\"" },
        { "malformed line", "a.png 8 plain normal\n", glyph, "pictures.txt:1" },
        { "bmp without matte", "a.bmp 8x6 plain normal\n", glyph, "needs a matte" },
        { "path out of the folder", "../a.png 8x6 plain normal\n", glyph, "not a relative" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder folder;
        folder.WriteFile(QStringLiteral("styles.ini"), styles);
        folder.WriteFile(QStringLiteral("bodies/plain.svg"), body);
        if (!c.glyphFile.isEmpty())
            folder.WriteFile(QStringLiteral("glyphs/dot.svg"), c.glyphFile);
        folder.WriteFile(QStringLiteral("pictures.txt"), c.pictures);
        const GeneratorRun run = RunGenerator({ QStringLiteral("--sources"), folder.Path(),
            QStringLiteral("--styles"), folder.FilePath(QStringLiteral("styles.ini")),
            QStringLiteral("--pictures"), folder.FilePath(QStringLiteral("pictures.txt")),
            QStringLiteral("--output"), folder.FilePath(QStringLiteral("out")) });
        if (!c.message) {
            EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
            const QImage picture(folder.FilePath(QStringLiteral("out/a.png")));
            EXPECT_EQ(picture.size(), QSize(8, 6));
            EXPECT_EQ(picture.pixelColor(4, 3), QColor(255, 255, 255)); // the glyph over the body
            EXPECT_EQ(picture.pixelColor(0, 0), QColor(64, 64, 64));
            EXPECT_FALSE(QImage(folder.FilePath(QStringLiteral("out/b.bmp"))).hasAlphaChannel());
            continue;
        }
        EXPECT_NE(run.exitCode, 0);
        EXPECT_TRUE(run.errors.contains(QString::fromUtf8(c.message))) << run.errors.toStdString();
        EXPECT_FALSE(QFile::exists(folder.FilePath(QStringLiteral("out/a.png"))));
    }
}
