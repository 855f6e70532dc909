#include "app/kaleidra/default_settings.h"
#include "tests/app/delivered_files.h"
#include "tests/core/qstring_printer.h"

#include "tests/fixtures/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(DefaultSettingFiles, AFirstStartInstallsTheSettingsAndBothTablesIntoANewSettingsFolder)
{
    CTempFolder folder;
    const QString settings = folder.FilePath(QStringLiteral("share/Oxtrel/Kaleidra/SETTING"));
    EXPECT_EQ(InstallDefaultSettingFiles(ProgramFolderOfBuild(), settings), QStringList());
    EXPECT_EQ(Entries(settings),
        (QStringList {
            QStringLiteral("Effect.ini"), QStringLiteral("Filter.ini"), QStringLiteral("Kaleidra.ini") }));
    for (const QString& name : DefaultSettingFileNames()) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray delivered = Bytes(DeliveredFile(name));
        ASSERT_FALSE(delivered.isEmpty());
        EXPECT_EQ(Bytes(QDir(settings).filePath(name)), delivered);
        EXPECT_TRUE(QFileInfo(QDir(settings).filePath(name)).permissions().testFlag(QFile::ReadOther));
    }
    // A second start finds them and changes nothing.
    EXPECT_EQ(InstallDefaultSettingFiles(ProgramFolderOfBuild(), settings), QStringList());
    EXPECT_EQ(Entries(settings).size(), 3);
}

// Whatever the settings folder holds under a file's name, in any letter case, is the user's and
// stays as it is; only the missing files are installed.
TEST(DefaultSettingFiles, AUsersOwnFileIsNeverReplaced)
{
    struct Case {
        const char* name;
        const char* entry;
        bool link;
    };
    const Case cases[] = {
        { "own table", "Effect.ini", false },
        { "other letter case", "effect.INI", false },
        { "link to nowhere", "Effect.ini", true },
        { "own settings", "Kaleidra.ini", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder settings;
        const QString entry = settings.FilePath(QString::fromLatin1(c.entry));
        if (c.link)
            ASSERT_TRUE(QFile::link(settings.FilePath(QStringLiteral("elsewhere/Effect.ini")), entry));
        else
            settings.WriteFile(QString::fromLatin1(c.entry), "[EFFECT]\nNo001=0\nName001=mine\n");

        EXPECT_EQ(InstallDefaultSettingFiles(ProgramFolderOfBuild(), settings.Path()), QStringList());
        QStringList expected = DefaultSettingFileNames();
        for (const QString& name : DefaultSettingFileNames()) {
            if (name.compare(QString::fromLatin1(c.entry), Qt::CaseInsensitive) == 0)
                expected.replace(expected.indexOf(name), QString::fromLatin1(c.entry));
        }
        expected.sort();
        EXPECT_EQ(Entries(settings.Path()), expected);
        if (c.link) {
            EXPECT_TRUE(QFileInfo(entry).isSymLink());
            EXPECT_FALSE(QFile::exists(settings.FilePath(QStringLiteral("elsewhere"))));
        } else {
            EXPECT_EQ(Bytes(entry), QByteArray("[EFFECT]\nNo001=0\nName001=mine\n"));
        }
        EXPECT_EQ(Bytes(settings.FilePath(QStringLiteral("Filter.ini"))),
            Bytes(DeliveredFile(QStringLiteral("Filter.ini"))));
    }
}

TEST(DefaultSettingFiles, AMissingFileOrSettingsFolderIsReported)
{
    CTempFolder program;
    program.WriteFile(QStringLiteral("Filter.ini"), "[FILTER]\nNo001=0\nName001=none\nParamCount001=0\n");
    CTempFolder settings;
    const QStringList problems = InstallDefaultSettingFiles(program.Path(), settings.Path());
    ASSERT_EQ(problems.size(), 2);
    EXPECT_TRUE(problems[0].startsWith(QStringLiteral("Kaleidra.ini: not in the program folder")))
        << problems[0].toStdString();
    EXPECT_TRUE(problems[1].startsWith(QStringLiteral("Effect.ini: not in the program folder")))
        << problems[1].toStdString();
    EXPECT_EQ(Entries(settings.Path()), QStringList { QStringLiteral("Filter.ini") });

    // A file where the settings folder should be.
    settings.WriteFile(QStringLiteral("blocked"), "x");
    EXPECT_EQ(InstallDefaultSettingFiles(
                  ProgramFolderOfBuild(), settings.FilePath(QStringLiteral("blocked/SETTING")))
                  .size(),
        DefaultSettingFileNames().size());
}

TEST(DefaultSettingFiles, ASettingsFolderTheUserCannotWriteToIsReported)
{
    CTempFolder settings;
    const QString readOnly = settings.MakeFolder(QStringLiteral("read-only"));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
    if (QFileInfo(readOnly).isWritable())
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    const QStringList refused = InstallDefaultSettingFiles(ProgramFolderOfBuild(), readOnly);
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(refused.size(), DefaultSettingFileNames().size());
    EXPECT_TRUE(Entries(readOnly).isEmpty());
}
