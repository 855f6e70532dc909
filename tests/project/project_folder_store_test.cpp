#include "project/project_folder_store.h"
#include "project/record_conversion.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/project/project_test_data.h"

#include <QDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A new project "show" in the temp folder, opened in the store, as the new-project flow does.
struct CNewProject {
    CTempFolder temp;
    CProjectFolderStore store;
    QString projectXml;

    CNewProject()
    {
        temp.MakeFolder(QStringLiteral("show/Channel_1"));
        projectXml = temp.FilePath(QStringLiteral("show/show.xml"));
        EXPECT_TRUE(store.CreateProject(projectXml, temp.Path(), 36000));
        store.SetFolder(temp.Path());
        EXPECT_TRUE(store.OpenProject(projectXml, 1));
    }

    bool AddFace(int32_t no)
    {
        temp.MakeFolder(QStringLiteral("show/Channel_1/Face_%1").arg(no));
        return store.AddFace(FilledFace(no));
    }
};

ItemXmlRecord Entry(int32_t start, int32_t pnum = 2)
{
    ItemXmlRecord entry;
    EXPECT_TRUE(ToItemXmlRecord(FilledItem(start, pnum), entry));
    return entry;
}

TEST(ProjectFolderStore, CreateChangeAndReopen)
{
    CNewProject project;
    CProjectFolderStore& store = project.store;
    EXPECT_EQ(store.GetProjectName(), QStringLiteral("show"));
    EXPECT_EQ(store.GetChannelCount(), 1);
    EXPECT_EQ(store.GetCurrentChannel(), 1);
    EXPECT_EQ(store.GetFaceCount(), 0);
    EXPECT_EQ(store.GetProjectXml().ProjectTime, 36000);
    EXPECT_EQ(project.temp.ReadFile(QStringLiteral("show/Channel_1/Channel_1.xml")),
        kDeclaration + "<Channel />\n");

    ASSERT_TRUE(project.AddFace(2));
    ASSERT_TRUE(project.AddFace(1));
    EXPECT_EQ(store.GetFaceCount(), 2);
    EXPECT_TRUE(store.HasFaceItems(1));
    ASSERT_TRUE(store.SetItem(1, Entry(300)));
    ASSERT_TRUE(store.SetItem(1, Entry(100, 0)));
    ASSERT_TRUE(store.SetItem(2, Entry(50, 16)));
    FaceXmlRecord moved = FilledFace(2);
    moved.X = { 5, 6, 7, 8 };
    ASSERT_TRUE(store.UpdateFace(moved));
    store.GetProjectXml().Loop = 1;
    ASSERT_TRUE(store.GetProjectXml().UpdateProjectXml());

    CProjectFolderStore reopened;
    reopened.SetFolder(project.temp.Path());
    ASSERT_TRUE(reopened.OpenProject(project.projectXml, 1));
    EXPECT_EQ(reopened.GetFaceCount(), 2);
    EXPECT_EQ(reopened.GetProjectXml().Loop, 1);
    FaceXmlRecord face;
    face.No = 2;
    ASSERT_TRUE(reopened.GetFaceData(&face));
    EXPECT_EQ(face, moved);
    EXPECT_FALSE(reopened.GetFaceData(nullptr));
    EXPECT_EQ(reopened.GetItemCount(1), 2);
    ItemXmlRecord item;
    ASSERT_TRUE(reopened.GetItemData(1, 0, &item));
    EXPECT_EQ(item, AsStored(Entry(100, 0)));
    ASSERT_TRUE(reopened.GetItemData(1, 1, &item));
    EXPECT_EQ(item, AsStored(Entry(300)));
    ASSERT_TRUE(reopened.GetItemData(2, 0, &item));
    EXPECT_EQ(item, AsStored(Entry(50, 16)));
    EXPECT_FALSE(reopened.GetItemData(1, 2, &item));
    EXPECT_FALSE(reopened.GetItemData(1, -1, &item));
    EXPECT_FALSE(reopened.GetItemData(3, 0, &item));
    EXPECT_FALSE(reopened.GetItemData(1, 0, nullptr));
}

TEST(ProjectFolderStore, SetAndMoveItems)
{
    CNewProject project;
    CProjectFolderStore& store = project.store;
    ASSERT_TRUE(project.AddFace(1));
    ASSERT_TRUE(store.SetItem(1, Entry(100)));
    ASSERT_TRUE(store.SetItem(1, Entry(200)));
    ItemXmlRecord changed = Entry(100);
    changed.PlayTime = 999;
    ASSERT_TRUE(store.SetItem(1, changed));
    EXPECT_EQ(store.GetItemCount(1), 2);
    // Moving 100 to 300 is a set under the new time and a delete under the old one.
    ItemXmlRecord moved = changed;
    moved.Start = 300;
    ASSERT_TRUE(store.SetItem(1, moved));
    ASSERT_TRUE(store.DeleteItem(1, 100));
    EXPECT_TRUE(store.DeleteItem(1, 12345));
    EXPECT_FALSE(store.DeleteItem(9, 100));

    CItemListXml reread;
    ASSERT_TRUE(
        reread.LoadItemXml(project.temp.FilePath(QStringLiteral("show/Channel_1/Face_1/Face_1.xml"))));
    QStringList starts;
    for (pugi::xml_node item = reread.Xml().Root().child("Item"); item; item = item.next_sibling("Item"))
        starts.append(QString::fromUtf8(item.child_value("Start")));
    EXPECT_EQ(starts, QStringList({ QStringLiteral("200"), QStringLiteral("300") }));
    EXPECT_EQ(reread.Items().at(300).PlayTime, 999);
}

TEST(ProjectFolderStore, AFacesItemsAreWrittenAsOneBatch)
{
    CNewProject project;
    CProjectFolderStore& store = project.store;
    ASSERT_TRUE(project.AddFace(1));
    ASSERT_TRUE(store.SetItem(1, Entry(100)));
    const QString faceFile = QStringLiteral("show/Channel_1/Face_1/Face_1.xml");

    ItemXmlRecord changed = Entry(100);
    changed.PlayTime = 999;
    ItemXmlRecord later = Entry(200);
    later.PlayTime = 7;
    const std::vector<ItemXmlRecord> batch = { changed, Entry(200), Entry(50), later };
    ASSERT_TRUE(store.SetItems(1, batch));
    EXPECT_EQ(store.GetItemCount(1), 3);
    CItemListXml reread;
    ASSERT_TRUE(reread.LoadItemXml(project.temp.FilePath(faceFile)));
    ASSERT_EQ(reread.Items().size(), 3u);
    EXPECT_EQ(reread.Items().at(50), AsStored(Entry(50)));
    EXPECT_EQ(reread.Items().at(100).PlayTime, 999);
    EXPECT_EQ(reread.Items().at(200).PlayTime, 7) << "the later entry of one start wins";

    // All or nothing: one entry that cannot be written keeps the others out of the file too.
    const QByteArray before = project.temp.ReadFile(faceFile);
    ItemXmlRecord tooLong = Entry(400);
    tooLong.FilePath = QString(kMaxEntryTextLength + 1, QLatin1Char('f'));
    const std::vector<ItemXmlRecord> refused = { Entry(300), tooLong };
    EXPECT_FALSE(store.SetItems(1, refused));
    EXPECT_EQ(project.temp.ReadFile(faceFile), before);
    EXPECT_EQ(store.GetItemCount(1), 3);
    EXPECT_FALSE(store.GetFaceItems(1).Items().count(300));
    EXPECT_FALSE(store.SetItems(9, batch)) << "a face without a face file";
}

TEST(ProjectFolderStore, MissingFaceFileLeavesTheFaceOut)
{
    CNewProject project;
    for (const int32_t no : { 1, 2, 5 })
        ASSERT_TRUE(project.AddFace(no));
    ASSERT_TRUE(project.store.SetItem(5, Entry(10)));
    ASSERT_TRUE(QFile::remove(project.temp.FilePath(QStringLiteral("show/Channel_1/Face_2/Face_2.xml"))));

    CProjectFolderStore store;
    store.SetFolder(project.temp.Path());
    ASSERT_TRUE(store.OpenProject(project.projectXml, 1));
    EXPECT_EQ(store.GetFaceCount(), 3);
    EXPECT_TRUE(store.HasFaceItems(1));
    EXPECT_FALSE(store.HasFaceItems(2));
    EXPECT_EQ(store.GetItemCount(2), 0);
    EXPECT_EQ(store.GetItemCount(5), 1);
    EXPECT_FALSE(store.SetItem(2, Entry(10)));
    // An empty list can be had for the face, but it has no file to write into.
    store.GetFaceItems(2);
    EXPECT_TRUE(store.HasFaceItems(2));
    EXPECT_FALSE(store.SetItem(2, Entry(10)));
    EXPECT_TRUE(store.GetFaceItems(2).Items().empty());
}

TEST(ProjectFolderStore, LoadingFaceFilesByPositionAndNumber)
{
    CNewProject project;
    CProjectFolderStore& store = project.store;
    // Without faces there is nothing to load, which is no failure.
    EXPECT_TRUE(store.LoadFaceItemsByIndex(5));
    EXPECT_TRUE(store.LoadFaceItems(9));
    ASSERT_TRUE(project.AddFace(2));
    ASSERT_TRUE(project.AddFace(1));
    ASSERT_TRUE(store.SetItem(2, Entry(10)));
    // A change made to the file from outside is picked up by the next load.
    CItemListXml outside;
    ASSERT_TRUE(
        outside.LoadItemXml(project.temp.FilePath(QStringLiteral("show/Channel_1/Face_2/Face_2.xml"))));
    outside.Item(20) = Entry(20);
    outside.SetCount(2);
    ASSERT_TRUE(outside.SaveItemXml());
    struct Case {
        const char* name;
        std::function<bool()> load;
        bool loaded;
    };
    const Case cases[] = {
        { "position before the first", [&] { return store.LoadFaceItemsByIndex(-1); }, false },
        { "position after the last", [&] { return store.LoadFaceItemsByIndex(2); }, false },
        { "position of face 2", [&] { return store.LoadFaceItemsByIndex(1); }, true },
        { "face without an entry", [&] { return store.LoadFaceItems(3); }, false },
        { "face 1 by number", [&] { return store.LoadFaceItems(1); }, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.load(), c.loaded);
    }
    EXPECT_EQ(store.GetItemCount(2), 2);
    EXPECT_FALSE(store.HasFaceItems(3));
}

TEST(ProjectFolderStore, FailedChannelLoadsKeepTheFaceItems)
{
    CNewProject project;
    CProjectFolderStore& store = project.store;
    ASSERT_TRUE(project.AddFace(1));
    ASSERT_TRUE(store.SetItem(1, Entry(10)));
    // A channel the project file does not list.
    EXPECT_FALSE(store.LoadChannel(2));
    EXPECT_EQ(store.GetFaceCount(), 0);
    EXPECT_EQ(store.GetItemCount(1), 1);
    EXPECT_EQ(store.GetFaceListXml().Faces().size(), 1u);
    // A channel file that is no longer readable empties the channel store only.
    project.temp.WriteFile(QStringLiteral("show/Channel_1/Channel_1.xml"), "<Channel><Face>");
    EXPECT_FALSE(store.LoadChannel(1));
    EXPECT_EQ(store.GetFaceCount(), 0);
    EXPECT_TRUE(store.GetFaceListXml().Faces().empty());
    EXPECT_FALSE(store.GetFaceListXml().Xml().IsLoaded());
    EXPECT_EQ(store.GetItemCount(1), 1);
}

TEST(ProjectFolderStore, AddingAFaceKeepsItsExistingFile)
{
    CNewProject project;
    ASSERT_TRUE(project.AddFace(3));
    ASSERT_TRUE(project.store.SetItem(3, Entry(10)));
    ASSERT_TRUE(project.store.GetFaceListXml().DeleteFace(3));
    ASSERT_TRUE(project.AddFace(3));
    EXPECT_EQ(project.store.GetItemCount(3), 1);
    EXPECT_FALSE(project.store.UpdateFace(FilledFace(4))); // not in the channel file
}

TEST(ProjectFolderStore, FailedWritesLeaveMemoryAsTheFile)
{
    CNewProject project;
    ASSERT_TRUE(project.AddFace(1));
    ASSERT_TRUE(project.store.SetItem(1, Entry(10)));
    ItemXmlRecord refused = Entry(20);
    refused.FilePath = QString(kMaxEntryTextLength + 1, QLatin1Char('a'));
    EXPECT_FALSE(project.store.SetItem(1, refused));
    EXPECT_EQ(project.store.GetItemCount(1), 1);
    EXPECT_EQ(project.store.GetFaceItems(1).Items().count(20), 0u);
    ItemXmlRecord item;
    ASSERT_TRUE(project.store.GetItemData(1, 0, &item));
    EXPECT_EQ(item.Start, 10);
}

// Puts the name in place of a file name in one of the project's files, and lays a valid file
// of the given root where the name would lead from the folder the store looks in.
void PlantName(const CTempFolder& temp,
    const QString& file,
    const QByteArray& original,
    const QString& name,
    const QByteArray& root)
{
    for (const QString& decoy : { QStringLiteral("outside.xml"), QStringLiteral("show/outside.xml"),
             QStringLiteral("show/Channel_1/outside.xml") })
        temp.WriteFile(decoy, kDeclaration + "<" + root + " />");
    QByteArray xml = temp.ReadFile(file);
    xml.replace(original, name.toUtf8());
    temp.WriteFile(file, xml);
}

TEST(ProjectFolderStore, FileNamesFromTheFilesMustBeBareNames)
{
    const QString names[] = { QStringLiteral("../outside.xml"), QStringLiteral("/tmp/outside.xml"),
        QStringLiteral("Face_1/../../outside.xml"), QStringLiteral(".."), QStringLiteral("..\\outside.xml"),
        QStringLiteral("C:outside.xml"), QString() };
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        CNewProject project;
        ASSERT_TRUE(project.AddFace(1));
        PlantName(project.temp, QStringLiteral("show/show.xml"), "Channel_1.xml", name, "Channel");
        CProjectFolderStore channelNamed;
        channelNamed.SetFolder(project.temp.Path());
        EXPECT_FALSE(channelNamed.OpenProject(project.projectXml, 1));

        CNewProject faceProject;
        ASSERT_TRUE(faceProject.AddFace(1));
        PlantName(
            faceProject.temp, QStringLiteral("show/Channel_1/Channel_1.xml"), "Face_1.xml", name, "Face");
        CProjectFolderStore faceNamed;
        faceNamed.SetFolder(faceProject.temp.Path());
        ASSERT_TRUE(faceNamed.OpenProject(faceProject.projectXml, 1));
        EXPECT_FALSE(faceNamed.HasFaceItems(1));
        EXPECT_FALSE(faceNamed.LoadFaceItems(1));
        FaceXmlRecord face = FilledFace(1);
        face.FilePath = name;
        EXPECT_FALSE(faceNamed.UpdateFace(face)); // never written either
    }
}

TEST(ProjectFolderStore, FileNamesWithBlanksAroundThemAreFound)
{
    CNewProject project;
    ASSERT_TRUE(project.AddFace(1));
    ASSERT_TRUE(project.store.SetItem(1, Entry(10)));
    PlantName(project.temp, QStringLiteral("show/show.xml"), "Channel_1.xml",
        QStringLiteral("\n\tChannel_1.xml "), "Channel");
    PlantName(project.temp, QStringLiteral("show/Channel_1/Channel_1.xml"), "Face_1.xml",
        QStringLiteral(" Face_1.xml\r\n"), "Face");

    CProjectFolderStore store;
    store.SetFolder(project.temp.Path());
    ASSERT_TRUE(store.OpenProject(project.projectXml, 1));
    ChannelXmlRecord channel;
    ASSERT_TRUE(store.GetProjectXml().GetChannel(1, &channel));
    EXPECT_EQ(channel.FilePath, QStringLiteral("Channel_1.xml"));
    ASSERT_TRUE(store.HasFaceItems(1));
    EXPECT_EQ(store.GetItemCount(1), 1);
    FaceXmlRecord face;
    face.No = 1;
    ASSERT_TRUE(store.GetFaceData(&face));
    EXPECT_EQ(face.FilePath, QStringLiteral("Face_1.xml"));
    // Blanks inside a name, and blanks around other texts, stay as they are.
    PlantName(project.temp, QStringLiteral("show/Channel_1/Channel_1.xml"), " Face_1.xml\r\n",
        QStringLiteral("Face 1.xml"), "Face");
    CProjectFolderStore inner;
    inner.SetFolder(project.temp.Path());
    ASSERT_TRUE(inner.OpenProject(project.projectXml, 1));
    EXPECT_FALSE(inner.HasFaceItems(1));
}

// A folder of exactly `length` UTF-16 units inside the temp folder, made of components the file
// system takes.
QString FolderOfLength(const CTempFolder& temp, int length)
{
    QString relative;
    const int room = length - int(temp.Path().size()) - 1;
    while (relative.size() < room) {
        const int part = std::min<int>(200, room - int(relative.size()) - (relative.isEmpty() ? 0 : 1));
        if (!relative.isEmpty())
            relative += QLatin1Char('/');
        relative += QString(std::max(part, 1), QLatin1Char('d'));
    }
    const QString folder = temp.MakeFolder(relative);
    EXPECT_EQ(folder.size(), length);
    return folder;
}

TEST(ProjectFolderStore, TextsThatDoNotFitTheStoreAreRefused)
{
    CTempFolder temp;
    CProjectFolderStore store;
    store.SetFolder(QString(CProjectFolderStore::kMaxPathLength + 1, QLatin1Char('a')));
    EXPECT_TRUE(store.GetFolder().isEmpty());

    // The store's own path limit, on paths the file system itself takes: the channel file path
    // "<folder>/show/Channel_1/Channel_1.xml" may be 1023 units long, not 1024. A refused
    // project leaves nothing behind.
    const int channelFileTail = int(QStringLiteral("/show/Channel_1/Channel_1.xml").size());
    for (const int length :
        { CProjectFolderStore::kMaxPathLength, CProjectFolderStore::kMaxPathLength + 1 }) {
        SCOPED_TRACE(length);
        CTempFolder deep;
        const QString folder = FolderOfLength(deep, length - channelFileTail);
        QDir(folder).mkpath(QStringLiteral("show/Channel_1"));
        const QString xml = folder + QStringLiteral("/show/show.xml");
        CProjectFolderStore fitting;
        const bool fits = length <= CProjectFolderStore::kMaxPathLength;
        EXPECT_EQ(fitting.CreateProject(xml, folder, 100), fits);
        EXPECT_EQ(QFileInfo::exists(xml), fits);
        EXPECT_EQ(QFileInfo::exists(folder + QStringLiteral("/show/Channel_1/Channel_1.xml")), fits);
        fitting.SetFolder(folder);
        EXPECT_EQ(fitting.OpenProject(xml, 1), fits);
    }

    // A project name longer than the store's field is refused before anything is tried (no file
    // system takes such a name, so the wrapper's error text tells who refused).
    const QString longName = QString(CProjectFolderStore::kMaxProjectNameLength + 1, QLatin1Char('n'));
    EXPECT_FALSE(store.CreateProject(temp.FilePath(longName + QStringLiteral(".xml")), temp.Path(), 100));
    EXPECT_TRUE(store.GetProjectXml().Xml().ErrorText().isEmpty());
    EXPECT_TRUE(store.GetProjectName().isEmpty());

    // The project is named after its XML's file title; the folder is needed to find the channel.
    temp.MakeFolder(QStringLiteral("show/Channel_1"));
    const QString xml = temp.FilePath(QStringLiteral("show/show.xml"));
    ASSERT_TRUE(store.CreateProject(xml, temp.Path(), 100));
    EXPECT_FALSE(store.CreateProject(xml, temp.Path(), 100)); // the project exists
    EXPECT_FALSE(store.OpenProject(xml, 1));
    store.SetFolder(temp.Path());
    EXPECT_TRUE(store.OpenProject(xml, 1));
    EXPECT_FALSE(store.LoadChannel(2));

    // Without its channel folder a new project is not made at all.
    CProjectFolderStore orphan;
    temp.MakeFolder(QStringLiteral("lone"));
    const QString loneXml = temp.FilePath(QStringLiteral("lone/lone.xml"));
    EXPECT_FALSE(orphan.CreateProject(loneXml, temp.Path(), 100));
    EXPECT_FALSE(QFileInfo::exists(loneXml));
}

} // namespace
