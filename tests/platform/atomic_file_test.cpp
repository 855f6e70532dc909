#include "platform/atomic_file.h"
#include "platform/file_copy.h"
#include "tests/fixtures/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <csignal>
#include <dlfcn.h>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

mode_t ModeOf(const QString& path)
{
    struct stat info { };
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
        { "writer fails half way", target,
            [](QIODevice& device) {
                device.write("partial");
                return false;
            } },
        { "target is a folder", temp.MakeFolder(QStringLiteral("dir.xml")), [](QIODevice&) { return true; } },
        { "folder missing", temp.FilePath(QStringLiteral("none/x.xml")), [](QIODevice&) { return true; } },
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
    struct rlimit previous { };
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

// The temporary file's name is built from the target's: names of any length up to the file
// system's limit, multi-byte ones included, are still written, by the atomic write and by the
// replacing copy alike.
TEST(AtomicFile, TargetsWithTheLongestNamesAreWritten)
{
    const struct {
        const char* name;
        QString fileName;
    } cases[] = {
        { "248 bytes", QString(244, u'a') + ".xml" },
        { "250 bytes", QString(246, u'b') + ".xml" },
        { "255 bytes", QString(251, u'c') + ".xml" },
        { "85 three-byte characters", QString(85, u'あ') },
        { "a short name", QStringLiteral("k.ini") },
    };
    const struct {
        const char* name;
        std::function<bool(const QString&, const QByteArray&)> write;
    } writers[] = {
        { "atomic write",
            [](const QString& target, const QByteArray& bytes) {
                QString error;
                const bool written = platform::WriteFileAtomically(target, bytes, &error);
                EXPECT_TRUE(error.isEmpty()) << error.toStdString();
                return written;
            } },
        { "replacing copy",
            [](const QString& target, const QByteArray& bytes) {
                CTempFolder sources;
                return platform::CopyFileReplacing(
                    sources.WriteFile(QStringLiteral("source"), bytes), target, {});
            } },
    };
    for (const auto& writer : writers) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(writer.name) + ", " + c.name);
            CTempFolder temp;
            ASSERT_LE(QFile::encodeName(c.fileName).size(), 255);
            const QString target = temp.FilePath(c.fileName);
            ASSERT_TRUE(writer.write(target, QByteArray("first")));
            ASSERT_TRUE(writer.write(target, QByteArray("second")));
            EXPECT_EQ(temp.ReadFile(c.fileName), QByteArray("second"));
            EXPECT_EQ(EntriesIn(temp.Path()), 1);
        }
    }
}

// Every change of the process's umask, seen through the C library's own call: a write must
// make none, since other threads creating files at that moment would get the wrong mode.
std::atomic<int> g_umaskChanges = 0;

extern "C" mode_t umask(mode_t mask)
{
    using UmaskCall = mode_t (*)(mode_t);
    static const auto real = reinterpret_cast<UmaskCall>(::dlsym(RTLD_NEXT, "umask"));
    const mode_t previous = real(mask);
    if (previous != mask)
        ++g_umaskChanges;
    return previous;
}

// The write leaves the umask alone (not even setting it for a moment), and a new target still
// gets the mode the umask gives it.
TEST(AtomicFile, WritesNeverChangeTheUmask)
{
    CTempFolder temp;
    const mode_t previous = ::umask(027);
    const int changesBefore = g_umaskChanges;
    const QString target = temp.FilePath(QStringLiteral("written.ini"));
    ASSERT_TRUE(platform::WriteFileAtomically(target, QByteArray("x")));
    EXPECT_EQ(g_umaskChanges - changesBefore, 0);
    ::umask(previous);
    EXPECT_EQ(ModeOf(target), mode_t(0640));
}
