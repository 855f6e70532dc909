#include "project/project_folder_store.h"
#include "project/record_conversion.h"
#include "project/zip_file.h"
#include "tests/core/qstring_printer.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/project/media_fixtures.h"

#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSize>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QString output;
    QString errors;
};

ToolRun RunDemoTool(const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(KALEIDRA_DEMO_TOOL), arguments);
    EXPECT_TRUE(tool.waitForFinished(60000)) << "the demo tool did not finish";
    return { tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
        QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed(),
        QString::fromLocal8Bit(tool.readAllStandardError()) };
}

tagTL_FACE_ITEM_DATA ItemAt(const CProjectFolderStore& store, int32_t faceNo, int32_t position)
{
    ItemXmlRecord entry;
    EXPECT_TRUE(store.GetItemData(faceNo, position, &entry)) << faceNo << "/" << position;
    return ToFaceItemData(entry, 1, faceNo, LookUpLinkMode(entry, store.GetFaceItemMap()));
}

} // namespace

// The demo belongs in the product's folder of the user's documents, where the editor's file
// dialogs start, not in a hidden folder.
TEST(DemoProject, LivesInTheProductsDocumentsFolder)
{
    CTempFolder folder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(
        QStringLiteral("KALEIDRA_DOCUMENTS_DIR"), folder.FilePath(QStringLiteral("Documents")));
    const ToolRun run = RunDemoTool({ QStringLiteral("--folder") }, environment);
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(run.output, folder.FilePath(QStringLiteral("Documents/Kaleidra/Demo")));
}

// The demo's LINK is written as the item panel writes a LINK the user links: it carries the
// linked picture's file, size and display rectangle, and a copy of its thumbnail, so its bar and
// preview show the picture from the start.
TEST(DemoProject, TheLinkCarriesItsSourcesFileSizeAndThumbnail)
{
    CTempFolder folder;
    folder.MakeFolder(QStringLiteral("media"));
    ASSERT_TRUE(media_fixtures::MakeGreyRampMovie(
        folder.FilePath(QStringLiteral("media/clock.mp4")), "25", 25, { "-c:v", "libx264" }));
    ASSERT_TRUE(media_fixtures::MakePcmWav(folder.FilePath(QStringLiteral("media/tone.wav")), 44100, 88200));
    const ToolRun run = RunDemoTool({ folder.Path() }, QProcessEnvironment::systemEnvironment());
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();

    CZipFile zip;
    ASSERT_TRUE(
        zip.UnZip(folder.FilePath(QStringLiteral("Demo.kdp")), folder.FilePath(QStringLiteral("work"))))
        << zip.ErrorText().toStdString();
    CProjectFolderStore store;
    store.SetFolder(folder.FilePath(QStringLiteral("work")));
    ASSERT_TRUE(store.OpenProject(folder.FilePath(QStringLiteral("work/Demo/Demo.xml")), 1));
    ASSERT_TRUE(store.LoadFaceItems(1) && store.LoadFaceItems(3));

    const tagTL_FACE_ITEM_DATA card = ItemAt(store, 1, 0);
    const tagTL_FACE_ITEM_DATA link = ItemAt(store, 3, 0);
    ASSERT_EQ(card.Mode, tagTL_FACE_ITEM_DATA::MODE_IMAGE);
    EXPECT_EQ(card.FilePath, folder.FilePath(QStringLiteral("media/welcome.png")));
    EXPECT_EQ(link.Mode, tagTL_FACE_ITEM_DATA::MODE_LINK);
    EXPECT_EQ(link.LinkFaceNo, 1);
    EXPECT_EQ(link.LinkMode, tagTL_FACE_ITEM_DATA::MODE_IMAGE);
    EXPECT_EQ(link.FilePath, card.FilePath);
    EXPECT_EQ(link.PlayTime, card.PlayTime);
    EXPECT_EQ(QSize(link.W, link.H), QSize(1280, 720));
    EXPECT_EQ(QSize(link.W, link.H), QSize(card.W, card.H));
    EXPECT_EQ(link.MaskMode, card.MaskMode);
    EXPECT_EQ(QPoint(link.MaskX, link.MaskY), QPoint(card.MaskX, card.MaskY));
    EXPECT_EQ(link.FilterNo, 6); // its own sepia filter stays

    const QByteArray cardThumbnail
        = folder.ReadFile(QStringLiteral("work/Demo/Channel_1/Face_1/thumbnail_0.jpg"));
    ASSERT_FALSE(cardThumbnail.isEmpty());
    EXPECT_EQ(folder.ReadFile(QStringLiteral("work/Demo/Channel_1/Face_3/thumbnail_0.jpg")), cardThumbnail);
}
