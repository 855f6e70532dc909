#include "platform/paths.h"
#include "tests/fixtures/temp_folder.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(Paths, JoinsWithOneSeparator)
{
    struct Case {
        const char16_t* folder;
        const char16_t* name;
        const char16_t* expected;
    };
    const Case cases[] = {
        { u"/a/b", u"c.xml", u"/a/b/c.xml" },
        { u"/a/b/", u"c.xml", u"/a/b/c.xml" },
        { u"/a/b\\", u"\\c.xml", u"/a/b/c.xml" },
        { u"/", u"etc", u"/etc" },
        { u"", u"c.xml", u"c.xml" },
        { u"/a", u"", u"/a" },
        { u"rel", u"sub/x", u"rel/sub/x" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.expected).toStdString());
        EXPECT_EQ(platform::JoinPath(c.folder, c.name), QString::fromUtf16(c.expected));
    }
}

TEST(Paths, FileNameAfterEitherSeparator)
{
    EXPECT_EQ(platform::FileNameOf(u"C:\\media\\clip.mov"), QStringLiteral("clip.mov"));
    EXPECT_EQ(platform::FileNameOf(u"/media/clip.mov"), QStringLiteral("clip.mov"));
    EXPECT_EQ(platform::FileNameOf(u"a\\b/c"), QStringLiteral("c"));
    EXPECT_EQ(platform::FileNameOf(u"plain"), QStringLiteral("plain"));
    EXPECT_EQ(platform::FileNameOf(u"folder/"), QString());
    EXPECT_EQ(platform::DataFilePathToLocal(u"Skin\\img\\a.png"), QStringLiteral("Skin/img/a.png"));
}

TEST(Paths, SafeComponentTable)
{
    struct Case {
        QString name;
        bool safe;
    };
    const Case cases[] = {
        { QStringLiteral("Face_1.xml"), true }, { QStringLiteral("展示プロジェクト"), true },
        { QString(), false }, { QStringLiteral("."), false }, { QStringLiteral(".."), false },
        { QStringLiteral("a/b"), false }, { QStringLiteral("a\\b"), false }, { QStringLiteral("C:x"), false },
        { QStringLiteral("tab\there"), false }, { QString(256, QLatin1Char('a')), false },
        { QString(255, QLatin1Char('a')), true }, { QString(86, QChar(0x3042)), false }, // 258 bytes in UTF-8
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(platform::IsSafeComponent(c.name), c.safe);
    }
}

TEST(Paths, RegularFileAndFolder)
{
    CTempFolder temp;
    const QString file = temp.WriteFile(QStringLiteral("f.txt"), "x");
    const QString folder = temp.MakeFolder(QStringLiteral("sub"));
    EXPECT_TRUE(platform::IsRegularFile(file));
    EXPECT_FALSE(platform::IsRegularFile(folder));
    EXPECT_FALSE(platform::IsRegularFile(temp.FilePath(QStringLiteral("missing"))));
    EXPECT_TRUE(platform::IsDirectory(folder));
    EXPECT_FALSE(platform::IsDirectory(file));
}

TEST(Paths, OnlyRegularFilesAreOpenedForReading)
{
    CTempFolder temp;
    const QString file = temp.WriteFile(QStringLiteral("f.txt"), "x");
    const QString pipe = temp.FilePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString link = temp.FilePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(file, link));
    const int fd = platform::OpenRegularFileForReading(file);
    ASSERT_GE(fd, 0);
    char byte = 0;
    EXPECT_EQ(::read(fd, &byte, 1), 1);
    EXPECT_EQ(byte, 'x');
    ::close(fd);
    // A pipe is refused at once, without waiting for a writer; a link is not followed.
    for (const QString& refused :
        { pipe, link, temp.MakeFolder(QStringLiteral("sub")), temp.FilePath(QStringLiteral("missing")) }) {
        SCOPED_TRACE(refused.toStdString());
        EXPECT_EQ(platform::OpenRegularFileForReading(refused), -1);
    }
    // Followed, a link must still lead to a regular file.
    const QString linkToPipe = temp.FilePath(QStringLiteral("link_to_pipe"));
    ASSERT_TRUE(QFile::link(pipe, linkToPipe));
    struct Case {
        QString path;
        bool opens;
    };
    for (const Case& c : { Case { link, true }, Case { linkToPipe, false }, Case { pipe, false },
             Case { QStringLiteral("/dev/ptmx"), false } }) {
        SCOPED_TRACE(c.path.toStdString());
        const int followed = platform::OpenRegularFileForReading(c.path, platform::LinkHandling::Follow);
        EXPECT_EQ(followed >= 0, c.opens);
        if (followed >= 0)
            ::close(followed);
    }
}

} // namespace
