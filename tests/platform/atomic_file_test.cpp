#include "platform/atomic_file.h"
#include "tests/fixtures/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

mode_t ModeOf(const QString& path)
{
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

int EntriesIn(const QString& folder)
{
    return int(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size());
}

TEST(AtomicFile, ReplacesKeepingPermissionsAndLinks)
{
    CTempFolder temp;
    const QString target = temp.WriteFile(QStringLiteral("data/a.xml"), "old");
    ::chmod(QFile::encodeName(target).constData(), 0640);
    const QString link = temp.FilePath(QStringLiteral("link.xml"));
    ASSERT_TRUE(QFile::link(target, link));

    QString error;
    ASSERT_TRUE(platform::WriteFileAtomically(link, QByteArray("new"), &error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink()); // the link stays a link
    EXPECT_EQ(temp.ReadFile(QStringLiteral("data/a.xml")), QByteArray("new"));
    EXPECT_EQ(ModeOf(target), mode_t(0640));
    EXPECT_EQ(EntriesIn(temp.FilePath(QStringLiteral("data"))), 1); // no temporary file left
}

TEST(AtomicFile, NewFileIsCreated)
{
    CTempFolder temp;
    const QString target = temp.FilePath(QStringLiteral("new.ini"));
    ASSERT_TRUE(platform::WriteFileAtomically(target, QByteArray("x")));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("new.ini")), QByteArray("x"));
    EXPECT_NE(ModeOf(target) & 0600, mode_t(0)); // readable and writable by the owner
}

TEST(AtomicFile, FailuresLeaveTheOldFile)
{
    CTempFolder temp;
    const QString target = temp.WriteFile(QStringLiteral("keep.xml"), "precious");

    struct Case {
        const char* name;
        QString path;
        std::function<bool(QIODevice&)> writer;
    };
    const Case cases[] = {
        {"writer fails half way", target,
         [](QIODevice& device) {
             device.write("partial");
             return false;
         }},
        {"target is a folder", temp.MakeFolder(QStringLiteral("dir.xml")), [](QIODevice&) { return true; }},
        {"folder missing", temp.FilePath(QStringLiteral("none/x.xml")), [](QIODevice&) { return true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        EXPECT_FALSE(platform::WriteFileAtomically(c.path, c.writer, &error));
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_EQ(temp.ReadFile(QStringLiteral("keep.xml")), QByteArray("precious"));
    EXPECT_EQ(EntriesIn(temp.Path()), 2); // keep.xml and dir.xml, no temporary file
}

TEST(AtomicFile, WriteErrorOfTheDiskIsReported)
{
    // A file-size limit makes the system refuse the write the way a full disk does.
    CTempFolder temp;
    const QString target = temp.WriteFile(QStringLiteral("t.xml"), "old");
    struct rlimit previous {};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = previous;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool ok = platform::WriteFileAtomically(target, QByteArray(64 * 1024, 'x'), &error);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(temp.ReadFile(QStringLiteral("t.xml")), QByteArray("old"));
    EXPECT_EQ(EntriesIn(temp.Path()), 1);
}

} // namespace
