#include "platform/file_version.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/updater/stamped_program.h"
#include "updater/version_text.h"

#include <QCoreApplication>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QString VersionText(const QString& path)
{
    const auto version = platform::ReadFileVersion(path);
    return version ? FormatFileVersion(*version, 4) : QStringLiteral("none");
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(FileVersionTest, ProgramsBuiltWithTheStampCarryTheirVersion)
{
    // The updater carries the project version, the fixture the version it was stamped with.
    EXPECT_EQ(
        VersionText(QStringLiteral(KALEIDRA_UPDATER_PROGRAM)), QStringLiteral(KALEIDRA_PROJECT_VERSION));
    EXPECT_EQ(VersionText(QStringLiteral(KALEIDRA_VERSION_FIXTURE)), u"1.6.65535.7");
    const auto parts = platform::ReadFileVersion(QStringLiteral(KALEIDRA_VERSION_FIXTURE));
    ASSERT_TRUE(parts);
    EXPECT_EQ(FormatFileVersion(*parts, 2), u"1.6");
}

TEST(FileVersionTest, FilesWithoutAUsableStampHaveNoVersion)
{
    CTempFolder folder;
    const QByteArray stamped = ReadAll(QStringLiteral(KALEIDRA_VERSION_FIXTURE));
    const qsizetype marker = stamped.indexOf("KLDRFVER");
    ASSERT_GT(marker, 0);
    QByteArray badMarker = stamped;
    badMarker[marker] = 'X';
    static const char markerInText[] = "KLDRFVER\1\0\2\0\3\0\4\0 in a text file";
    const QByteArray markerInTextFile(markerInText, sizeof markerInText - 1);

    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        { "empty file", {} },
        { "text that holds a record", markerInTextFile },
        { "ELF header only", stamped.left(64) },
        { "cut before the section headers", stamped.left(stamped.size() / 2) },
        { "record without its marker", badMarker },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(VersionText(folder.WriteFile(QStringLiteral("program"), c.bytes)), u"none");
    }
    // An ordinary program built without the stamp: this test program itself.
    EXPECT_EQ(VersionText(QCoreApplication::applicationFilePath()), u"none");
    EXPECT_EQ(VersionText(folder.FilePath(QStringLiteral("missing"))), u"none");
}

TEST(FileVersionTest, PatchedCopiesOfTheFixtureReadBackTheirVersion)
{
    CTempFolder folder;
    for (const QString& version :
        { QStringLiteral("1.6.1.10"), QStringLiteral("0.0.0.0"), QStringLiteral("65535.1.2.3") }) {
        SCOPED_TRACE(version.toStdString());
        const QString path = folder.FilePath(QStringLiteral("Kaleidra"));
        WriteStampedProgram(path, version);
        EXPECT_EQ(VersionText(path), version);
    }
}
