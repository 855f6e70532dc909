#include "controls/picture_file.h"
#include "tests/controls/widget_probe.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace controls;

TEST(ScaledPicture, ScalesOncePerPictureSizeAndPixelRatio)
{
    const QImage source = SolidImage(QColor(10, 20, 30), QSize(8, 4));
    CScaledPicture shown;
    const qint64 first = shown.At(source, QSize(16, 8), 1.0).cacheKey();
    EXPECT_EQ(shown.At(source, QSize(16, 8), 1.0).size(), QSize(16, 8));
    EXPECT_EQ(shown.At(source, QSize(16, 8), 1.0).cacheKey(), first); // not scaled again

    const QImage& sharp = shown.At(source, QSize(16, 8), 2.0);
    EXPECT_EQ(sharp.size(), QSize(32, 16));
    EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
    EXPECT_EQ(shown.At(source, QSize(8, 4), 1.0).cacheKey(), source.cacheKey()); // its own size

    const QImage other = SolidImage(QColor(1, 2, 3), QSize(8, 4));
    EXPECT_EQ(shown.At(other, QSize(8, 4), 1.0).pixelColor(0, 0), QColor(1, 2, 3));
    EXPECT_TRUE(shown.At(QImage(), QSize(8, 4), 1.0).isNull());
    EXPECT_TRUE(shown.At(other, QSize(0, 4), 1.0).isNull());
}

TEST(PictureFile, ControlsShowingOnePictureShareOneDecodedCopy)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("check_on.png"));
    ASSERT_TRUE(SolidImage(QColor(40, 50, 60), QSize(12, 12)).save(path));

    QImage first, second;
    ASSERT_TRUE(LoadPictureInto(first, path));
    ASSERT_TRUE(LoadPictureInto(second, path));
    EXPECT_EQ(second.cacheKey(), first.cacheKey());

    // A missing file leaves the slot's picture as it was.
    EXPECT_FALSE(LoadPictureInto(second, folder.filePath(QStringLiteral("missing.png"))));
    EXPECT_EQ(second.cacheKey(), first.cacheKey());
}
