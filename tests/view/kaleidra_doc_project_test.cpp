#include "core/message_catalog.h"
#include "project/project_folder_store.h"
#include "tests/fixtures/temp_folder.h"
#include "view/kaleidra_doc.h"

#include <gtest/gtest.h>

namespace {

// A project "show" in the work folder with face 1 holding a movie at 100 and a sound at 500,
// and face 2 without items, written as the editor writes it.
QString MakeProject(const CTempFolder& work)
{
    work.MakeFolder("show/Channel_1/Face_1");
    work.MakeFolder("show/Channel_1/Face_2");
    const QString projectXml = work.FilePath("show/show.xml");
    CProjectFolderStore store;
    EXPECT_TRUE(store.CreateProject(projectXml, work.Path(), 18000));
    store.SetFolder(work.Path());
    EXPECT_TRUE(store.OpenProject(projectXml, 1));
    for (int32_t no : { 1, 2 }) {
        FaceXmlRecord face;
        face.No = no;
        face.FilePath = QStringLiteral("Face_%1.xml").arg(no);
        EXPECT_TRUE(store.AddFace(face));
    }
    for (const auto& [start, mode] : { std::pair { 100, 3 }, std::pair { 500, 6 } }) {
        ItemXmlRecord item;
        item.Start = start;
        item.PlayTime = 300;
        item.Mode = mode;
        EXPECT_TRUE(store.SetItem(1, item));
    }
    return projectXml;
}

} // namespace

TEST(KaleidraDocProject, OpenProjectFileLoadsChannelOneIntoTheFirstStore)
{
    CTempFolder work;
    const QString projectXml = MakeProject(work);
    CMessageCatalog messages;
    CKaleidraDoc doc(&messages);

    ASSERT_TRUE(doc.OpenProjectFile(projectXml, work.Path()));
    CProjectFolderStore& store = doc.GetProjectStore(1);
    EXPECT_EQ(store.GetFolder(), work.Path());
    EXPECT_EQ(store.GetProjectName(), "show");
    EXPECT_EQ(store.GetCurrentChannel(), 1);
    EXPECT_EQ(store.GetFaceCount(), 2);

    struct Case {
        const char* name;
        int channel;
        int32_t face;
        int32_t start;
        int32_t mode;
    };
    const Case cases[] = {
        { "movie", 1, 1, 100, 3 },
        { "sound", 1, 1, 500, 6 },
        { "no item starts there", 1, 1, 300, 0 },
        { "face without items", 1, 2, 100, 0 },
        { "face not in the project", 1, 9, 100, 0 },
        { "channel 2 holds nothing", 2, 1, 100, 0 },
        { "channel 0", 0, 1, 100, 0 },
        { "channel 4", 4, 1, 100, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(doc.GetItemMode(c.channel, c.face, c.start), c.mode);
    }

    // The folder of an earlier open is cleared, so the channel file is looked for in no folder.
    EXPECT_FALSE(doc.OpenProjectFile(projectXml));
    EXPECT_TRUE(doc.GetProjectStore(1).GetFolder().isEmpty());
    EXPECT_FALSE(doc.OpenProjectFile(work.FilePath("missing/missing.xml"), work.Path()));
}
