#include "platform/picture_files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QImage Solid(QColor colour, QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

} // namespace

TEST(PictureFiles, DecodesEachFileOnceAndSharesThePicture)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("button.png"));
    ASSERT_TRUE(Solid(QColor(200, 10, 20), QSize(6, 3)).save(path));

    const int before = platform::PictureFileDecodeCount();
    QImage first = platform::DecodedPictureFile(path);
    ASSERT_EQ(first.size(), QSize(6, 3));
    const QImage second = platform::DecodedPictureFile(path);
    // The same path through another spelling is the same file.
    const QImage third = platform::DecodedPictureFile(folder.path() + QStringLiteral("/./button.png"));
    EXPECT_EQ(platform::PictureFileDecodeCount(), before + 1);
    EXPECT_EQ(second.cacheKey(), first.cacheKey());
    EXPECT_EQ(third.cacheKey(), first.cacheKey());

    // A caller that paints on its copy changes neither the shared picture nor the next one's.
    first.fill(Qt::black);
    EXPECT_EQ(second.pixelColor(0, 0), QColor(200, 10, 20));
    EXPECT_EQ(platform::DecodedPictureFile(path).pixelColor(0, 0), QColor(200, 10, 20));
}

TEST(PictureFiles, AChangedFileIsDecodedAgain)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("wait.bmp"));
    const auto stamp = [&](int seconds) {
        QFile file(path);
        return file.open(QIODevice::ReadWrite)
            && file.setFileTime(
                QDateTime::currentDateTime().addSecs(seconds), QFileDevice::FileModificationTime);
    };
    ASSERT_TRUE(Solid(QColor(1, 2, 3), QSize(4, 4)).save(path, "BMP"));
    ASSERT_TRUE(stamp(-60));
    ASSERT_EQ(platform::DecodedPictureFile(path).pixelColor(0, 0), QColor(1, 2, 3));

    // The same size in bytes, written later: only the time tells the new picture.
    ASSERT_TRUE(Solid(QColor(9, 8, 7), QSize(4, 4)).save(path, "BMP"));
    ASSERT_TRUE(stamp(0));
    EXPECT_EQ(platform::DecodedPictureFile(path).pixelColor(0, 0), QColor(9, 8, 7));

    // Another size in bytes with the same time.
    ASSERT_TRUE(Solid(QColor(4, 5, 6), QSize(5, 2)).save(path, "BMP"));
    ASSERT_TRUE(stamp(0));
    const QImage resized = platform::DecodedPictureFile(path);
    EXPECT_EQ(resized.size(), QSize(5, 2));
    EXPECT_EQ(resized.pixelColor(0, 0), QColor(4, 5, 6));
}

TEST(PictureFiles, NoPictureForWhatIsNoPictureFile)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString text = folder.filePath(QStringLiteral("note.png"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.png")));

    const struct {
        const char* what;
        QString path;
    } cases[] = {
        { "empty path", QString() },
        { "missing file", folder.filePath(QStringLiteral("missing.png")) },
        { "folder", folder.filePath(QStringLiteral("folder.png")) },
        { "text", text },
    };
    for (const auto& c : cases)
        EXPECT_TRUE(platform::DecodedPictureFile(c.path).isNull()) << c.what;
    // A file that held no picture and then gets one is read again.
    ASSERT_TRUE(QFile::remove(text));
    ASSERT_TRUE(Solid(QColor(5, 5, 5), QSize(2, 2)).save(text, "PNG"));
    EXPECT_EQ(platform::DecodedPictureFile(text).size(), QSize(2, 2));
}
