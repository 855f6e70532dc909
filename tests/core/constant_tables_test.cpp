#include "core/constant_tables.h"
#include "tests/core/qstring_printer.h"

#include "core/language_data.h"
#include "core/skin_ini.h"

#include <gtest/gtest.h>

TEST(ConstantTables, KindNamesByKindValue)
{
    const struct {
        int kind;
        const char* name;
    } cases[] = {
        { 0, "NONE" },
        { 1, "IMAGE" },
        { 2, "CAMERA" },
        { 3, "MOVIE" },
        { 6, "SOUND" },
        { 7, "LINK" },
        { 4, "" },
        { 5, "" },
        { 8, "" },
        { -1, "" },
        { 1000, "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(MediaKindName(c.kind), QString::fromUtf8(c.name)) << c.kind;
}

TEST(ConstantTables, FileDialogFiltersInWindowsAndQtForm)
{
    const CLanguageData language;
    EXPECT_EQ(FileDialogFilter(1, language),
        QStringLiteral("JPEG(*.jpg, *.jpeg)|*.jpg;*.jpeg|BMP(*.bmp)|*.bmp|PNG(*.png)|*.png|"
                       "すべてのピクチャファイル|*.jpg;*.jpeg;*.bmp;*.png||"));
    const struct {
        int kind;
        QString qtFilter;
    } cases[] = {
        { 1,
            "JPEG(*.jpg, *.jpeg) (*.jpg *.jpeg);;BMP(*.bmp) (*.bmp);;PNG(*.png) (*.png);;"
            "すべてのピクチャファイル (*.jpg *.jpeg *.bmp *.png)" },
        { 3, "Mov(*.mov) (*.mov);;MP4(*.mp4) (*.mp4);;すべてのムービーファイル (*.mov *.mp4)" },
        { 6, "Mp3(*.mp3) (*.mp3);;WAVE(*.wav) (*.wav);;すべてのサウンドファイル (*.mp3 *.wav)" },
        { 0, "" },
        { 2, "" },
        { 7, "" },
        { 8, "" },
        { -1, "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToQtFileFilter(FileDialogFilter(c.kind, language)), c.qtFilter) << c.kind;
}

TEST(ConstantTables, ExtensionListsEndAtTheirEmptyEntry)
{
    const auto text = [](std::span<const char16_t* const> list) {
        QStringList names;
        for (const char16_t* name : ExtensionsUntilEnd(list))
            names << QString::fromUtf16(name);
        return names.join(u',');
    };
    EXPECT_EQ(text(PictureExtensions), QStringLiteral("jpg,jpeg,bmp,png"));
    EXPECT_EQ(text(MovieExtensions), QStringLiteral("mov,mp4"));
    EXPECT_EQ(text(SoundExtensions), QStringLiteral("mp3,wav"));
}

TEST(ConstantTables, NamesAndImagePaths)
{
    EXPECT_EQ(AspectRatioName(0), QStringLiteral("FREE"));
    EXPECT_EQ(AspectRatioName(4), QStringLiteral("3:4"));
    EXPECT_EQ(AspectRatioName(5), QString());
    EXPECT_EQ(AspectRatioName(-1), QString());
    EXPECT_EQ(QString::fromUtf16(SplashImagePath), CSkinIni().GetSplashImage());
    for (const auto* table : { &TimeLineImagePaths.mediaNone, &TimeLineImagePaths.mediaPicture,
             &TimeLineImagePaths.mediaMovie, &TimeLineImagePaths.mediaSound, &TimeLineImagePaths.mediaCamera,
             &TimeLineImagePaths.mediaEffect })
        EXPECT_EQ(QString::fromUtf16((*table)[0]), QString::fromUtf16((*table)[1]));
    EXPECT_EQ(
        QString::fromUtf16(TimeLineImagePaths.linkIcon[0]), QStringLiteral("TimeLine\\icon_link_w.png"));
}

TEST(ConstantTables, TimeLineImageSlotsFollowTheTimelineSlotOrder)
{
    const auto names = TimeLineImageSlots();
    const struct {
        int slot;
        const char* name;
    } cases[] = {
        { 0, "TimeLine\\media_other_normal.bmp" },
        { 1, "TimeLine\\media_other_normal.bmp" },
        { 3, "TimeLine\\media_other_press.bmp" },
        { 4, "TimeLine\\media_pic_normal.bmp" },
        { 8, "TimeLine\\media_mov_normal.bmp" },
        { 12, "TimeLine\\media_music_normal.bmp" },
        { 19, "TimeLine\\media_other2_press.bmp" },
        { 20, "TimeLine\\btn_lock_unlock.bmp" },
        { 21, "TimeLine\\btn_lock_lock.bmp" },
        { 22, "TimeLine\\btn_display_off.bmp" },
        { 23, "TimeLine\\btn_display_on.bmp" },
        { 24, "TimeLine\\icon_link_w.png" },
        { 25, "TimeLine\\icon_link_b.png" },
        { 26, "TimeLine\\media_efe_normal.bmp" },
        { 29, "TimeLine\\media_efe_press.bmp" },
        { 30, "TimeLine\\icon_filter.bmp" },
        { 31, "TimeLine\\icon_filter.bmp" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(QString::fromUtf16(names[size_t(c.slot)]), QString::fromUtf8(c.name)) << "slot " << c.slot;
    EXPECT_EQ(QString::fromUtf16(TimeLineIconPaths[0]), QStringLiteral("TimeLine\\icon_cam.bmp"));
    EXPECT_EQ(QString::fromUtf16(TimeLineIconPaths[1]), QStringLiteral("TimeLine\\icon_music.bmp"));
}
