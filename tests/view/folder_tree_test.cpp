// The folder routines of the project flows on real folders: nothing outside a tree is reached
// through a link, and a copy takes regular files and folders only.
#include "tests/core/qstring_printer.h"
#include "tests/fixtures/scoped_env.h"
#include "tests/fixtures/temp_folder.h"
#include "view/folder_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Exists(const QString& path)
{
    struct stat status { };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

void Link(const QString& target, const QString& link)
{
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);
}

// A project-like tree with a link out of it, a link to a file outside and a pipe.
struct TreeFixture : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(temp.IsValid());
        temp.WriteFile(QStringLiteral("tree/a.txt"), "a");
        temp.WriteFile(QStringLiteral("tree/sub/b.txt"), "b");
        temp.WriteFile(QStringLiteral("tree/sub/deeper/.hidden"), "h");
        outside = temp.WriteFile(QStringLiteral("outside/keep.txt"), "keep");
        Link(temp.FilePath(QStringLiteral("outside")), temp.FilePath(QStringLiteral("tree/sub/to_outside")));
        Link(outside, temp.FilePath(QStringLiteral("tree/to_file")));
        ASSERT_EQ(
            ::mkfifo(QFile::encodeName(temp.FilePath(QStringLiteral("tree/pipe"))).constData(), 0600), 0);
    }
    CTempFolder temp;
    QString outside;
};

} // namespace

TEST_F(TreeFixture, DeleteRemovesTheTreeAndItsLinksButNothingTheyPointAt)
{
    EXPECT_TRUE(DeleteFolderTree(temp.FilePath(QStringLiteral("tree/"))));
    EXPECT_FALSE(Exists(temp.FilePath(QStringLiteral("tree"))));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("outside/keep.txt")), QByteArray("keep"));
    EXPECT_TRUE(DeleteFolderTree(temp.FilePath(QStringLiteral("tree")))) << "nothing left to delete";

    // A link in the place of the folder goes as the link.
    Link(temp.FilePath(QStringLiteral("outside")), temp.FilePath(QStringLiteral("linked")));
    EXPECT_TRUE(DeleteFolderTree(temp.FilePath(QStringLiteral("linked"))));
    EXPECT_FALSE(Exists(temp.FilePath(QStringLiteral("linked"))));
    EXPECT_TRUE(QFileInfo::exists(outside));
}

TEST_F(TreeFixture, CopyTakesRegularFilesAndFoldersOnly)
{
    temp.WriteFile(QStringLiteral("copy/a.txt"), "old");
    ASSERT_TRUE(CopyFolderTree(temp.FilePath(QStringLiteral("tree")), temp.FilePath(QStringLiteral("copy"))));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("copy/a.txt")), QByteArray("a")) << "replaced";
    EXPECT_EQ(temp.ReadFile(QStringLiteral("copy/sub/b.txt")), QByteArray("b"));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("copy/sub/deeper/.hidden")), QByteArray("h"));
    for (const char* left : { "copy/sub/to_outside", "copy/to_file", "copy/pipe" }) {
        SCOPED_TRACE(left);
        EXPECT_FALSE(Exists(temp.FilePath(QString::fromLatin1(left))));
    }
    EXPECT_FALSE(
        CopyFolderTree(temp.FilePath(QStringLiteral("missing")), temp.FilePath(QStringLiteral("x"))));
    // A link where the target folder should be is not followed.
    Link(temp.FilePath(QStringLiteral("outside")), temp.FilePath(QStringLiteral("into_outside")));
    EXPECT_FALSE(
        CopyFolderTree(temp.FilePath(QStringLiteral("tree")), temp.FilePath(QStringLiteral("into_outside"))));
    EXPECT_FALSE(QFileInfo::exists(temp.FilePath(QStringLiteral("outside/a.txt"))));
}

TEST_F(TreeFixture, MoveRenamesOrMergesAndLeavesNoSource)
{
    ASSERT_TRUE(
        MoveFolderTree(temp.FilePath(QStringLiteral("tree")), temp.FilePath(QStringLiteral("moved"))));
    EXPECT_FALSE(Exists(temp.FilePath(QStringLiteral("tree"))));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("moved/sub/b.txt")), QByteArray("b"));

    temp.WriteFile(QStringLiteral("merge/kept.txt"), "kept");
    temp.WriteFile(QStringLiteral("second/a.txt"), "second");
    ASSERT_TRUE(
        MoveFolderTree(temp.FilePath(QStringLiteral("second")), temp.FilePath(QStringLiteral("merge"))));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("merge/kept.txt")), QByteArray("kept"));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("merge/a.txt")), QByteArray("second"));
    EXPECT_FALSE(Exists(temp.FilePath(QStringLiteral("second"))));

    EXPECT_TRUE(MoveFolderTree(temp.FilePath(QStringLiteral("missing")), temp.FilePath(QStringLiteral("y"))));
    EXPECT_FALSE(Exists(temp.FilePath(QStringLiteral("y"))));
}

TEST_F(TreeFixture, RenameReplacesAndListingTakesRegularFiles)
{
    temp.WriteFile(QStringLiteral("r/from.xml"), "new");
    temp.WriteFile(QStringLiteral("r/to.xml"), "old");
    EXPECT_TRUE(RenameFileRetry(
        temp.FilePath(QStringLiteral("r/from.xml")), temp.FilePath(QStringLiteral("r/to.xml"))));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("r/to.xml")), QByteArray("new"));
    EXPECT_FALSE(RenameFileRetry(
        temp.FilePath(QStringLiteral("r/from.xml")), temp.FilePath(QStringLiteral("r/x.xml"))));

    QStringList files { QStringLiteral("stale") };
    EXPECT_EQ(ListFolderFiles(temp.FilePath(QStringLiteral("tree/")), files), 1);
    EXPECT_EQ(files, QStringList { temp.FilePath(QStringLiteral("tree/a.txt")) });
    EXPECT_EQ(ListFolderFiles(temp.FilePath(QStringLiteral("none")), files), 0);
    EXPECT_TRUE(files.isEmpty());

    const QString backup = MakeTemporaryFolder(temp.FilePath(QStringLiteral("tree")));
    ASSERT_FALSE(backup.isEmpty());
    EXPECT_TRUE(QFileInfo(backup).fileName().startsWith(QStringLiteral("tmp")));
    EXPECT_TRUE(QDir(backup).isEmpty());
    EXPECT_NE(MakeTemporaryFolder(temp.FilePath(QStringLiteral("tree"))), backup);
}

TEST_F(TreeFixture, TheWorkFolderIsEmptiedOnlyWhereItMayBe)
{
    const CScopedEnv documents("KALEIDRA_DOCUMENTS_DIR", temp.FilePath(QStringLiteral("docs")).toUtf8());
    const CScopedEnv common("KALEIDRA_COMMON_APPDATA", temp.FilePath(QStringLiteral("common")).toUtf8());
    temp.WriteFile(QStringLiteral("docs/Kaleidra/show.kdp"), "project");
    // The documents folder and a folder that holds it are refused, nothing in them goes.
    for (const char* refused : { "docs", "docs/Kaleidra", "" }) {
        SCOPED_TRACE(refused);
        EXPECT_FALSE(ClearWorkFolder(temp.FilePath(QString::fromLatin1(refused))));
    }
    EXPECT_FALSE(ClearWorkFolder(QStringLiteral("/")));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("docs/Kaleidra/show.kdp")), QByteArray("project"));

    // Every file of the work folder goes, also what is not part of a project; links go as links.
    temp.WriteFile(QStringLiteral("tree/.dotfile"), "x");
    ASSERT_TRUE(ClearWorkFolder(temp.FilePath(QStringLiteral("tree"))));
    EXPECT_TRUE(QDir(temp.FilePath(QStringLiteral("tree")))
                    .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("outside/keep.txt")), QByteArray("keep"));
}
