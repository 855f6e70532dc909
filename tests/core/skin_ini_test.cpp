#include "core/skin_ini.h"
#include "tests/core/qstring_printer.h"

#include "tests/fixtures/temp_folder.h"

#include <QImage>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

namespace {

QByteArray SkinText(const QStringList& lines)
{
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

CSkinIni LoadedSkin(const CTempFolder& folder)
{
    CSkinIni skin;
    EXPECT_EQ(skin.LoadFromFolder(folder.Path()), 1);
    return skin;
}

CSkinIni SkinWith(const QStringList& lines)
{
    CTempFolder folder;
    folder.WriteFile(QStringLiteral("Skin/Skin.ini"), SkinText(lines));
    return LoadedSkin(folder);
}

} // namespace

TEST(SkinIni, DefaultsWithoutFile)
{
    CTempFolder folder;
    const CSkinIni skin = LoadedSkin(folder);
    EXPECT_EQ(skin.GetColor(CSkinIni::COLOR_BACKGROUND), platform::Rgb(128, 128, 128));
    EXPECT_EQ(skin.GetColor(CSkinIni::COLOR_TEXT_NOWTIME), platform::Rgb(244, 211, 112));
    EXPECT_EQ(skin.GetColor(CSkinIni::COLOR_NOWTIME_LINE), 0x0033FFu); // red in the low byte
    EXPECT_EQ(skin.GetColor(CSkinIni::COLOR_HEADER_BK_UNDER), platform::Rgb(30, 30, 30));
    EXPECT_EQ(CSkinIni::kColorCount - CSkinIni::kFirstTimeLineColor, 29);
    EXPECT_EQ(skin.GetSplashImage(), QStringLiteral("SPLASH\\kaleidrapro_splashwindow.png"));
    EXPECT_EQ(skin.GetCommonTitleFont(), QStringLiteral("Meiryo UI"));
    EXPECT_EQ(skin.GetFontSize(CSkinIni::kGetCommonTitleFont), 110);
    EXPECT_EQ(skin.GetFontSize(CSkinIni::kGetTimeLineFacenoFont), 140);
    EXPECT_EQ(skin.GetFontSize(CSkinIni::kGetSettingXyFont), 70);
    EXPECT_EQ(skin.GetFontSize(CSkinIni::kGetVersionDlgControlFont), 100);
    // Defaults that repeat or leave out a file.
    EXPECT_EQ(skin.GetBtnPulldownImage(2), QString());
    EXPECT_EQ(skin.GetBtnBrowsImage(2), skin.GetBtnBrowsImage(0));
    EXPECT_EQ(skin.GetBtnSpindownImage(2), skin.GetBtnSpindownImage(0));
    EXPECT_EQ(skin.GetBtnSpinupImage(2), skin.GetBtnSpinupImage(0));
    EXPECT_EQ(skin.GetImage(CSkinIni::BTN_SEARCH_OVER), skin.GetImage(CSkinIni::BTN_SEARCH_NORMAL));
    EXPECT_EQ(skin.GetImage(CSkinIni::BTN_SEARCH_PRESS), QStringLiteral("btn_search_over.bmp"));
    EXPECT_EQ(skin.GetBtnPauseImage(0), QStringLiteral("btn_pause2_normal.bmp"));
    EXPECT_EQ(skin.GetMediaCameraImage(0), QStringLiteral("TimeLine\\media_other2_normal.bmp"));
}

TEST(SkinIni, ColourValues)
{
    const uint32_t white = platform::Rgb(255, 255, 255);
    const struct {
        const char* name;
        QStringList lines;
        uint32_t expected;
    } cases[] = {
        { "black", { "COLOR_TEXT=0,0,0" }, platform::Rgb(0, 0, 0) },
        { "only the low 8 bits count", { "COLOR_TEXT=256,1,2" }, platform::Rgb(0, 1, 2) },
        { "300 gives 44", { "COLOR_TEXT=300,0,0" }, platform::Rgb(44, 0, 0) },
        { "blanks and signs", { "COLOR_TEXT= 10, +20 ,-1" }, platform::Rgb(10, 20, 255) },
        { "trailing text after digits", { "COLOR_TEXT=1px,2px,3px" }, platform::Rgb(1, 2, 3) },
        { "a part without digits is 0", { "COLOR_TEXT=x,5,6" }, platform::Rgb(0, 5, 6) },
        { "extra commas go to blue", { "COLOR_TEXT=1,2,3,4" }, platform::Rgb(1, 2, 3) },
        { "one comma keeps the default", { "COLOR_TEXT=1,2" }, white },
        { "a word keeps the default", { "COLOR_TEXT=white" }, white },
        { "an empty value keeps the default", { "COLOR_TEXT=" }, white },
        { "a missing key keeps the default", { "COLOR_OTHER=1,2,3" }, white },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CSkinIni skin = SkinWith(QStringList { "[COMMON_COLOR]" } + c.lines);
        EXPECT_EQ(skin.GetColor(CSkinIni::COLOR_TEXT), c.expected);
        EXPECT_EQ(skin.GetColor(CSkinIni::COLOR_BACKGROUND), platform::Rgb(128, 128, 128));
    }
    EXPECT_EQ(platform::ToQColor(platform::Rgb(1, 2, 3)), QColor(1, 2, 3));
}

TEST(SkinIni, NamesAndFontSizes)
{
    const struct {
        const char* name;
        QStringList lines;
        std::function<void(const CSkinIni&)> check;
    } cases[] = {
        { "an empty image value gives an empty name", { "[COMMON_IMAGE]", "BTN_TOP_NORMAL=" },
            [](const CSkinIni& s) {
                EXPECT_EQ(s.GetBtnTopImage(0), QString());
                EXPECT_EQ(s.GetBtnTopImage(1), QStringLiteral("btn_top_not.bmp"));
            } },
        { "an image name is taken as written", { "[TIMELINE_IMAGE]", "ICON_CAM=Other\\cam.png" },
            [](const CSkinIni& s) { EXPECT_EQ(s.GetIconCamImage(), QStringLiteral("Other\\cam.png")); } },
        { "an empty font size keeps the default", { "[COMMON_FONT]", "FONT_SIZE_TITLE=" },
            [](const CSkinIni& s) { EXPECT_EQ(s.GetFontSize(CSkinIni::kGetCommonTitleFont), 110); } },
        { "a font size without digits is 0", { "[COMMON_FONT]", "FONT_SIZE_TITLE=big" },
            [](const CSkinIni& s) { EXPECT_EQ(s.GetFontSize(CSkinIni::kGetCommonTitleFont), 0); } },
        { "the same key in two sections",
            { "[SETTING_FONT]", "FONT_CAPTION=IPAGothic", "FONT_SIZE_CAPTION=95" },
            [](const CSkinIni& s) {
                EXPECT_EQ(s.GetSettingCaptionFont(), QStringLiteral("IPAGothic"));
                EXPECT_EQ(s.GetFontSize(CSkinIni::kGetSettingCaptionFont), 95);
                EXPECT_EQ(s.GetCommonCaptionFont(), QStringLiteral("Meiryo UI"));
                EXPECT_EQ(s.GetFontSize(CSkinIni::kGetCameraDlgCaptionFont), 100);
            } },
        { "the start-up title font has keys FONT_TITLET and FONT_SIZE_TITLE",
            { "[STARTUPDLG_FONT]", "FONT_TITLE=Wrong", "FONT_TITLET=Right", "FONT_SIZE_TITLE=123" },
            [](const CSkinIni& s) {
                EXPECT_EQ(s.GetStartupDlgTitleFont(), QStringLiteral("Right"));
                EXPECT_EQ(s.GetFontSize(CSkinIni::kGetStartupDlgTitleFont), 123);
            } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.check(SkinWith(c.lines));
    }
}

TEST(SkinIni, FilesInEveryEncoding)
{
    const QString text = QStringLiteral(
        "[COMMON_FONT]\r\nFONT_TITLE=ＭＳ Ｐゴシック\r\n[COMMON_COLOR]\r\nCOLOR_TEXT=1,2,3\r\n");
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        { "utf-8", text.toUtf8() },
        { "utf-16le with BOM", Utf16LeWithBom(text) },
        { "cp932", Cp932(text) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder folder;
        folder.WriteFile(QStringLiteral("Skin/Skin.ini"), c.bytes);
        const CSkinIni skin = LoadedSkin(folder);
        EXPECT_EQ(skin.GetCommonTitleFont(), QStringLiteral("ＭＳ Ｐゴシック"));
        EXPECT_EQ(skin.GetColor(CSkinIni::COLOR_TEXT), platform::Rgb(1, 2, 3));
    }
}

TEST(SkinIni, StateGetters)
{
    const CSkinIni skin;
    const struct {
        const char* name;
        std::function<QString(int)> getter;
        std::vector<std::pair<int, QString>> states;
    } cases[] = {
        { "four states", [&](int s) { return skin.GetBtnTopImage(s); },
            { { 0, "btn_top_normal.bmp" }, { 1, "btn_top_not.bmp" }, { 2, "btn_top_over.bmp" },
                { 3, "btn_top_press.bmp" }, { 4, "" }, { -1, "" } } },
        { "tabs", [&](int s) { return skin.GetTabViewerImage(s); },
            { { 0, "tab_viewer_normal.png" }, { 3, "tab_viewer_press.png" }, { 4, "" } } },
        { "remote button shows pressed in every state", [&](int s) { return skin.GetBtnRemoteImage(s); },
            { { 0, "btn_remote_press.bmp" }, { 2, "btn_remote_press.bmp" }, { 7, "btn_remote_press.bmp" } } },
        { "mask off and on", [&](int s) { return skin.GetBtnMaskImage(s); },
            { { 0, "btn_mask_off.bmp" }, { 1, "btn_mask_on.bmp" }, { 2, "" } } },
        { "check square", [&](int s) { return skin.GetCheckSquareImage(s); },
            { { 0, "check_square_off.png" }, { 1, "check_square_on1.png" }, { -1, "" } } },
        { "volume", [&](int s) { return skin.GetImgVolImage(s); },
            { { 0, "img_vol0.bmp" }, { 1, "img_vol100.bmp" }, { 2, "" } } },
        { "lock: 0 unlocked, 1 locked", [&](int s) { return skin.GetBtnLockImage(s); },
            { { 0, "TimeLine\\btn_lock_unlock.bmp" }, { 1, "TimeLine\\btn_lock_lock.bmp" }, { 2, "" } } },
        { "display", [&](int s) { return skin.GetBtnDisplayImage(s); },
            { { 0, "TimeLine\\btn_display_off.bmp" }, { 1, "TimeLine\\btn_display_on.bmp" } } },
        { "link icon has no state 1", [&](int s) { return skin.GetIconLinkImage(s); },
            { { 0, "TimeLine\\icon_link_b.png" }, { 1, "" }, { 2, "TimeLine\\icon_link_w.png" },
                { 3, "" } } },
        { "media: normal, disabled, pressed", [&](int s) { return skin.GetMediaPicImage(s); },
            { { 0, "TimeLine\\media_pic_normal.bmp" }, { 1, "TimeLine\\media_pic_not.bmp" },
                { 2, "TimeLine\\media_pic_press.bmp" }, { 3, "" } } },
        { "long button", [&](int s) { return skin.GetBtnLongImage(s); },
            { { 2, "TimeLine\\btn_long_over.bmp" } } },
        { "frame images by corner", [&](int s) { return skin.GetFrameImage(s); },
            { { 0, "Frame\\corner_left_top.png" }, { 1, "Frame\\corner_right_top.png" },
                { 2, "Frame\\corner_left_under.png" }, { 3, "Frame\\corner_right_under.png" },
                { 4, "Frame\\corner_top.png" }, { 5, "Frame\\corner_left.png" },
                { 6, "Frame\\corner_right.png" }, { 7, "Frame\\corner_under.png" }, { 8, "" } } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& [state, expected] : c.states)
            EXPECT_EQ(c.getter(state), expected) << "state " << state;
    }
}

TEST(SkinIni, ImagesAreLoadedOnlyFromFiles)
{
    CTempFolder folder;
    QImage pixel(2, 2, QImage::Format_RGB32);
    pixel.fill(Qt::red);
    folder.MakeFolder(QStringLiteral("Skin/TimeLine"));
    ASSERT_TRUE(pixel.save(folder.FilePath(QStringLiteral("Skin/TimeLine/icon_cam.png"))));
    folder.MakeFolder(QStringLiteral("Skin/AFolder.png"));
    const CSkinIni skin = LoadedSkin(folder);

    const QString skinFolder = folder.FilePath(QStringLiteral("Skin"));
    EXPECT_EQ(
        skin.ImageFilePath(QStringLiteral("TimeLine\\icon_cam.png")), skinFolder + "/TimeLine/icon_cam.png");
    EXPECT_FALSE(skin.LoadImage(QStringLiteral("TimeLine\\icon_cam.png")).isNull());
    for (const QString& missing : { QString(), QStringLiteral("AFolder.png"), QStringLiteral("."),
             QStringLiteral("TimeLine\\"), QStringLiteral("nothing.png") }) {
        SCOPED_TRACE(missing.toStdString());
        EXPECT_TRUE(skin.LoadImage(missing).isNull());
    }
    EXPECT_EQ(skin.ImageFilePath(QString()), QString());
    EXPECT_EQ(skin.ImageFilePath(QStringLiteral("AFolder.png")), QString());
}

TEST(SkinIni, FolderFileAndImagesAreFoundWhateverTheirCase)
{
    CTempFolder folder;
    folder.WriteFile(QStringLiteral("skin/SKIN.INI"), SkinText({ "[COMMON_COLOR]", "COLOR_TEXT=1,2,3" }));
    QImage pixel(2, 2, QImage::Format_RGB32);
    pixel.fill(Qt::blue);
    folder.MakeFolder(QStringLiteral("skin/timeline"));
    ASSERT_TRUE(pixel.save(folder.FilePath(QStringLiteral("skin/timeline/ICON_CAM.png"))));
    const CSkinIni skin = LoadedSkin(folder);

    EXPECT_EQ(skin.GetColor(CSkinIni::COLOR_TEXT), platform::Rgb(1, 2, 3));
    EXPECT_EQ(skin.SkinFolder(), folder.FilePath(QStringLiteral("skin")));
    EXPECT_EQ(skin.ImageFilePath(QStringLiteral("TimeLine\\icon_cam.png")),
        folder.FilePath(QStringLiteral("skin/timeline/ICON_CAM.png")));
    EXPECT_FALSE(skin.LoadImage(QStringLiteral("TimeLine\\icon_cam.png")).isNull());
    EXPECT_TRUE(skin.LoadImage(QStringLiteral("TimeLine\\icon_music.png")).isNull());
}
