#include "core/constant_tables.h"
#include "tests/core/qstring_printer.h"
#include "tests/fixtures/temp_folder.h"
#include "timeline/timeline_appearance.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

TEST(TimelineAppearance, DefaultsAndTheSkinRecord)
{
    CTimeLineAppearance appearance;
    EXPECT_EQ(appearance.Color(0), controls::Rgb(43, 43, 43));
    EXPECT_EQ(appearance.Color(28), controls::Rgb(30, 30, 30));
    EXPECT_EQ(appearance.Color(29), 0u);
    EXPECT_EQ(appearance.ImageNames()[24], QStringLiteral("TimeLine\\icon_link_w.png"));
    EXPECT_EQ(appearance.IconNames()[1], QStringLiteral("TimeLine\\icon_music.bmp"));
    EXPECT_EQ(appearance.Fonts()[1].name, QStringLiteral("Meiryo UI"));
    EXPECT_EQ(appearance.Fonts()[1].size, 140);

    ViewSettingRecord record;
    record.colors.fill(controls::Rgb(1, 2, 3));
    record.images.fill(QStringLiteral("x.bmp"));
    record.icons = { QStringLiteral("cam.bmp"), QStringLiteral("music.bmp") };
    record.fonts = { ViewSettingRecord::Font { QString(), 0 },
        ViewSettingRecord::Font { QStringLiteral("IPAGothic"), -5 },
        ViewSettingRecord::Font { QString(), 90 } };
    appearance.SetSkin(record);
    EXPECT_EQ(appearance.Colors(), record.colors);
    EXPECT_EQ(appearance.ImageNames()[31], QStringLiteral("x.bmp"));
    EXPECT_EQ(appearance.IconNames(), record.icons);
    EXPECT_EQ(appearance.Fonts()[0].name, QStringLiteral("Meiryo UI")) << "an empty name keeps the font";
    EXPECT_EQ(appearance.Fonts()[0].size, 110) << "a size of 0 keeps the size";
    EXPECT_EQ(appearance.Fonts()[1].name, QStringLiteral("IPAGothic"));
    EXPECT_EQ(appearance.Fonts()[1].size, 140);
    EXPECT_EQ(appearance.Fonts()[2].size, 90);
}

TEST(TimelineAppearance, ImagesLoadWhereTheFilesExist)
{
    CTempFolder skin;
    skin.MakeFolder(QStringLiteral("TimeLine"));
    QImage picture(6, 4, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(skin.FilePath(QStringLiteral("TimeLine/media_pic_normal.bmp")), "BMP"));
    skin.WriteFile(QStringLiteral("TimeLine/media_mov_normal.bmp"), QByteArray("not a picture"));

    CTimeLineAppearance appearance;
    appearance.LoadImages(skin.Path());
    EXPECT_EQ(appearance.ImageFolder(), skin.Path());
    EXPECT_EQ(appearance.Image(4).size(), QSize(6, 4)) << "slots 4 and 5 name the picture bar";
    EXPECT_EQ(appearance.Image(5).size(), QSize(6, 4));
    EXPECT_TRUE(appearance.Image(8).isNull()) << "an unreadable file leaves its slot empty";
    EXPECT_TRUE(appearance.Image(0).isNull()) << "a missing file is no error";
    EXPECT_TRUE(appearance.Image(32).isNull());
    appearance.LoadImages(QString());
    EXPECT_TRUE(appearance.Image(4).isNull()) << "a new load drops the old pictures";
}

} // namespace
