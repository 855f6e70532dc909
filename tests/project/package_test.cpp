#include "project/package.h"
#include "project/package_flows.h"
#include "project/package_media.h"
#include "project/package_paths.h"
#include "project/project_folder_store.h"
#include "project/zip_file.h"
#include "tests/fixtures/temp_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <ostream>
#include <vector>
#include <zip.h>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

using Faces = std::map<int32_t, std::vector<ItemXmlRecord>>;

ItemXmlRecord Item(int32_t start, int32_t mode, const QString& path)
{
    ItemXmlRecord item;
    item.Start = start;
    item.PlayTime = 100;
    item.Mode = mode;
    item.FilePath = path;
    return item;
}

ItemXmlRecord Masked(ItemXmlRecord item, int32_t maskMode, const QString& mask)
{
    item.MaskMode = maskMode;
    item.MaskImage = mask;
    return item;
}

ItemXmlRecord Link(int32_t start, int32_t linkFaceNo)
{
    ItemXmlRecord item = Item(start, tagTL_FACE_ITEM_DATA::MODE_LINK, QString());
    item.LinkFaceNo = linkFaceNo;
    return item;
}

constexpr int32_t kImage = tagTL_FACE_ITEM_DATA::MODE_IMAGE;
constexpr int32_t kMovie = tagTL_FACE_ITEM_DATA::MODE_MOVIE;
constexpr int32_t kSound = tagTL_FACE_ITEM_DATA::MODE_SOUND;
constexpr int32_t kCamera = tagTL_FACE_ITEM_DATA::MODE_CAMERA;

// Every file below the folder, relative, sorted.
QStringList FilesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

QStringList EntriesOf(const QString& zipFile)
{
    QStringList entries;
    CZipFile zip;
    EXPECT_TRUE(zip.ReadZipFile(zipFile, entries)) << zip.ErrorText().toStdString();
    entries.sort();
    return entries;
}

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The items of the project "<folder>/<name>/<name>.xml".
ProjectMediaMap ItemsOf(const QString& folder, const QString& name)
{
    CProjectFolderStore store;
    EXPECT_TRUE(OpenProjectStore(store, folder, folder + u'/' + name + u'/' + name + QStringLiteral(".xml")));
    return ReadProjectItems(store);
}

// Records every notice, answers the questions and dialogs as scripted.
class CRecordingFlowOwner : public CPackageFlowOwner {
public:
    void Report(const PackageNotice& notice) override { notices.push_back(notice); }
    bool RunExportDialog(QString& outputFolder, QString& projectFile) override
    {
        outputFolder = exportAnswer.first;
        projectFile = exportAnswer.second;
        return !outputFolder.isEmpty();
    }
    bool RunImportDialog(QString& packageFile, QString& projectFolder, QString& dataFolder) override
    {
        packageFile = importAnswer[0];
        projectFolder = importAnswer[1];
        dataFolder = importAnswer[2];
        return !packageFile.isEmpty();
    }
    bool AskYesNo(int messageId) override
    {
        questions.push_back(messageId);
        return answerYes;
    }
    bool RunUnderWait(const std::function<bool(CPackageReporter&)>& work) override
    {
        ++waits;
        CPackageNoticeList during;
        const bool result = work(during);
        --waits;
        during.ReportTo(*this);
        return result;
    }

    std::vector<int> Messages() const
    {
        std::vector<int> ids;
        for (const PackageNotice& notice : notices)
            ids.push_back(notice.messageId);
        return ids;
    }

    std::vector<PackageNotice> notices;
    std::vector<int> questions;
    std::pair<QString, QString> exportAnswer;
    std::array<QString, 3> importAnswer;
    bool answerYes = true;
    int waits = 0;
};

// A work folder, media files and a project file made as the editor makes them: the project
// folder is created through the store, each face's items written with one batch write, and
// the folder zipped into the project file.
class PackageTest : public ::testing::Test {
protected:
    QString Path(const QString& relative) const { return temp.FilePath(relative); }

    QString Media(const QString& relative, const QByteArray& bytes) const
    {
        return temp.WriteFile(QStringLiteral("media/") + relative, bytes);
    }

    QString MakeProjectFile(const QString& innerName, const Faces& faces, const QString& kdpName)
    {
        const QString source = temp.MakeFolder(QStringLiteral("source"));
        temp.MakeFolder(QStringLiteral("source/%1/Channel_1").arg(innerName));
        const QString xml = QStringLiteral("%1/%2/%2.xml").arg(source, innerName);
        CProjectFolderStore store;
        EXPECT_TRUE(store.CreateProject(xml, source, 36000));
        store.SetFolder(source);
        EXPECT_TRUE(store.OpenProject(xml, 1));
        for (const auto& [faceNo, items] : faces) {
            temp.MakeFolder(QStringLiteral("source/%1/Channel_1/Face_%2").arg(innerName).arg(faceNo));
            FaceXmlRecord face;
            face.No = faceNo;
            face.FilePath = QStringLiteral("Face_%1.xml").arg(faceNo);
            EXPECT_TRUE(store.AddFace(face));
            EXPECT_TRUE(store.SetItems(faceNo, items));
        }
        const QString kdp = temp.MakeFolder(QStringLiteral("in")) + u'/' + kdpName;
        CZipFile zip;
        EXPECT_TRUE(zip.Zip(source + u'/' + innerName, kdp)) << zip.ErrorText().toStdString();
        QDir(source).removeRecursively();
        return kdp;
    }

    // Unpacks an archive into a fresh folder and returns it.
    QString Unpacked(const QString& zipFile, const QString& relative)
    {
        const QString folder = temp.MakeFolder(relative);
        CZipFile zip;
        EXPECT_TRUE(zip.UnZip(zipFile, folder)) << zip.ErrorText().toStdString();
        return folder;
    }

    void ExpectWorkFolderClean() const
    {
        EXPECT_EQ(QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList())
            << "temporary folders left behind";
    }

    CTempFolder temp;
    const QString work = temp.MakeFolder(QStringLiteral("work"));
    const QString out = temp.MakeFolder(QStringLiteral("out"));
    CRecordingFlowOwner owner;
};

TEST_F(PackageTest, ProjectNameComesFromTheFirstEntry)
{
    struct Case {
        const char* name;
        std::vector<QByteArray> entries;
        QString expected;
    };
    const std::vector<Case> cases = {
        { "package with backslashes", { "Show_Package\\Show\\Show.xml" }, QStringLiteral("Show") },
        { "project file with a slash", { "Show/x" }, QStringLiteral("Show") },
        { "folder entry first", { "Show_Package/", "Show_Package/Show/Show.xml" }, QStringLiteral("Show") },
        { "no _Package ending", { "Live/Live.xml" }, QStringLiteral("Live") },
        { "case of the ending matters", { "Show_package/a" }, QStringLiteral("Show_package") },
        { "a file at the top level", { "Show.xml", "Show/Show.xml" }, QString() },
        { "leading separator", { "/Show/Show.xml" }, QString() },
        { "dot dot", { "../x" }, QString() },
        { "nothing but the ending", { "_Package/x" }, QString() },
        { "drive letter", { "C:\\Show\\x" }, QString() },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Path(QStringLiteral("names.zip"));
        int error = 0;
        zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(archive, nullptr);
        for (const QByteArray& entry : c.entries) {
            zip_source_t* data = zip_source_buffer(archive, "x", 1, 0);
            ASSERT_GE(zip_file_add(archive, entry.constData(), data, ZIP_FL_ENC_RAW), 0);
        }
        ASSERT_EQ(zip_close(archive), 0);
        EXPECT_EQ(GetPackageProjectName(path), c.expected);
    }
    EXPECT_EQ(GetPackageProjectName(Path(QStringLiteral("missing.kdpp"))), QString());
}

TEST_F(PackageTest, MediaNamesTakeTheExtensionOfTheFileName)
{
    struct Case {
        QString source;
        QString expected;
    };
    const std::vector<Case> cases = {
        { QStringLiteral("C:\\a\\p.png"), QStringLiteral("3_1.png") },
        { QStringLiteral("/media/clip.final.MOV"), QStringLiteral("3_1.MOV") },
        { QStringLiteral("/media/a.b/noext"), QStringLiteral("3_1.") },
        { QStringLiteral("C:\\a.b\\c"), QStringLiteral("3_1.") },
        { QStringLiteral("/media/.hidden"), QStringLiteral("3_1.hidden") },
    };
    for (const Case& c : cases)
        EXPECT_EQ(PackageMediaName(3, 1, c.source), c.expected) << c.source.toStdString();
}

TEST_F(PackageTest, APackageHoldsTheProjectUnderItsNewNameWithRenumberedMedia)
{
    const QString picture = Media(QStringLiteral("a/p.png"), "picture");
    const QString movie = Media(QStringLiteral("m.mov"), "movie");
    const QString noDot = Media(QStringLiteral("sound"), "sound");
    const QString mask = Media(QStringLiteral("mask.bmp"), "mask");
    const Faces faces = {
        { 3,
            { Masked(Item(0, kImage, picture), 2, mask), Item(500, kMovie, movie),
                Masked(Item(900, kSound, noDot), 2, QStringLiteral("/no/such/mask.png")),
                Item(1200, kImage, QString()), Masked(Item(1500, kCamera, QString()), 1, mask) } },
        { 5, { Link(500, 3), Link(700, 3) } },
    };
    const QString kdp = MakeProjectFile(QStringLiteral("Old"), faces, QStringLiteral("Show.kdp"));

    ASSERT_TRUE(WritePackage(work, out, kdp, QStringLiteral("Show"), owner));
    EXPECT_TRUE(owner.notices.empty());
    ExpectWorkFolderClean();

    const QString package = out + QStringLiteral("/Show.kdpp");
    EXPECT_TRUE(EntriesOf(package).first().startsWith(QStringLiteral("Show_Package/")));
    const QString unpacked = Unpacked(package, QStringLiteral("check"));
    EXPECT_EQ(FilesBelow(unpacked),
        QStringList({ QStringLiteral("Show_Package/Show/Channel_1/Channel_1.xml"),
            QStringLiteral("Show_Package/Show/Channel_1/Face_3/Face_3.xml"),
            QStringLiteral("Show_Package/Show/Channel_1/Face_5/Face_5.xml"),
            QStringLiteral("Show_Package/Show/Show.xml"), QStringLiteral("Show_Package/Show_Data/3_1.png"),
            QStringLiteral("Show_Package/Show_Data/3_2.mov"), QStringLiteral("Show_Package/Show_Data/3_3."),
            QStringLiteral("Show_Package/Show_Mask/3_1.bmp") }));
    EXPECT_EQ(Bytes(unpacked + QStringLiteral("/Show_Package/Show_Data/3_2.mov")), "movie");
    EXPECT_EQ(Bytes(unpacked + QStringLiteral("/Show_Package/Show_Mask/3_1.bmp")), "mask");

    const ProjectMediaMap items = ItemsOf(unpacked + QStringLiteral("/Show_Package"), QStringLiteral("Show"));
    EXPECT_EQ(items.at(3).at(0).FilePath, QStringLiteral("3_1.png"));
    EXPECT_EQ(items.at(3).at(0).MaskImage, QStringLiteral("3_1.bmp"));
    EXPECT_EQ(items.at(3).at(500).FilePath, QStringLiteral("3_2.mov"));
    EXPECT_EQ(items.at(3).at(900).FilePath, QStringLiteral("3_3."));
    EXPECT_EQ(items.at(3).at(900).MaskImage, QStringLiteral("/no/such/mask.png"))
        << "a missing mask stays named";
    EXPECT_EQ(items.at(3).at(1200).FilePath, QString()) << "an item without a file is skipped";
    EXPECT_EQ(items.at(3).at(1500).MaskImage, mask) << "only image masks are packed";
    EXPECT_EQ(items.at(5).at(500).FilePath, QStringLiteral("3_2.mov"));
    EXPECT_EQ(items.at(5).at(700).FilePath, QString()) << "nothing on the linked face at that time";
    // The source project file is untouched.
    EXPECT_EQ(
        ItemsOf(Unpacked(kdp, QStringLiteral("source-check")), QStringLiteral("Old")).at(3).at(0).FilePath,
        picture);
}

TEST_F(PackageTest, AMediaFileThatCannotBeCopiedKeepsTheOldPackage)
{
    const QString kdp = MakeProjectFile(QStringLiteral("Show"),
        { { 1,
            { Item(0, kImage, Media(QStringLiteral("p.png"), "p")), Item(100, kMovie, Path("gone.mov")) } } },
        QStringLiteral("Show.kdp"));
    const QString package = temp.WriteFile(QStringLiteral("out/Show.kdpp"), "the old package");

    EXPECT_FALSE(WritePackage(work, out, kdp, QStringLiteral("Show"), owner));
    ASSERT_EQ(owner.notices.size(), 1u);
    EXPECT_EQ(owner.notices[0].messageId, kMsgTemporaryCopy);
    EXPECT_TRUE(owner.notices[0].detail.endsWith(QStringLiteral("gone.mov")));
    EXPECT_EQ(Bytes(package), "the old package");
    ExpectWorkFolderClean();
}

TEST_F(PackageTest, PackagesExpandIntoAProjectFileAndADataFolder)
{
    const Faces faces = {
        { 3,
            { Masked(Item(0, kImage, Media(QStringLiteral("p.png"), "picture")), 2,
                  Media(QStringLiteral("k.png"), "mask")),
                Item(500, kMovie, Media(QStringLiteral("m.mov"), "movie")), Item(900, kCamera, QString()) } },
        { 5, { Link(500, 3) } },
    };
    const QString kdp = MakeProjectFile(QStringLiteral("Show"), faces, QStringLiteral("Show.kdp"));
    ASSERT_TRUE(WritePackage(work, out, kdp, QStringLiteral("Show"), owner));
    // The package is handed on under another name; it still holds "Show".
    const QString package = out + QStringLiteral("/Live.kdpp");
    ASSERT_TRUE(QFile::rename(out + QStringLiteral("/Show.kdpp"), package));
    const QString projects = temp.MakeFolder(QStringLiteral("projects"));
    const QString data = temp.MakeFolder(QStringLiteral("data"));
    temp.WriteFile(QStringLiteral("projects/Live.kdp"), "an older project file");

    ASSERT_TRUE(ExtractPackage(
        work, package, projects, data, QStringLiteral("Live"), GetPackageProjectName(package), owner));
    EXPECT_TRUE(owner.notices.empty());
    ExpectWorkFolderClean();
    EXPECT_EQ(FilesBelow(data),
        QStringList({ QStringLiteral("Live_Data/3_1.png"), QStringLiteral("Live_Data/3_2.mov"),
            QStringLiteral("Live_Mask/3_1.png") }));
    EXPECT_EQ(Bytes(data + QStringLiteral("/Live_Data/3_2.mov")), "movie");

    const QString project = projects + QStringLiteral("/Live.kdp");
    EXPECT_EQ(GetPackageProjectName(project), QStringLiteral("Live"));
    const ProjectMediaMap items = ItemsOf(Unpacked(project, QStringLiteral("check")), QStringLiteral("Live"));
    EXPECT_EQ(items.at(3).at(0).FilePath, data + QStringLiteral("/Live_Data/3_1.png"));
    EXPECT_EQ(items.at(3).at(0).MaskImage, data + QStringLiteral("/Live_Mask/3_1.png"));
    EXPECT_EQ(items.at(3).at(500).FilePath, data + QStringLiteral("/Live_Data/3_2.mov"));
    EXPECT_EQ(items.at(3).at(900).FilePath, QString());
    EXPECT_EQ(items.at(5).at(500).FilePath, data + QStringLiteral("/Live_Data/3_2.mov"));
}

TEST_F(PackageTest, AHostilePackageExpandsToNothing)
{
    // A package whose item names a path outside its data folder by "..".
    const QString stage = temp.MakeFolder(QStringLiteral("stage/Show_Package"));
    temp.MakeFolder(QStringLiteral("stage/Show_Package/Show_Data"));
    temp.MakeFolder(QStringLiteral("stage/Show_Package/Show_Mask"));
    const QString kdp = MakeProjectFile(QStringLiteral("Show"),
        { { 1, { Item(0, kImage, QStringLiteral("..")) } } }, QStringLiteral("Show.kdp"));
    CZipFile zip;
    ASSERT_TRUE(zip.UnZip(kdp, stage));
    const QString package = out + QStringLiteral("/Show.kdpp");
    ASSERT_TRUE(zip.Zip(stage, package));
    const QString projects = temp.MakeFolder(QStringLiteral("projects"));

    EXPECT_FALSE(
        ExtractPackage(work, package, projects, out, QStringLiteral("Show"), QStringLiteral("Show"), owner));
    EXPECT_EQ(owner.Messages(), std::vector<int>({ kMsgExtractedProjectUnreadable }));
    EXPECT_EQ(FilesBelow(projects), QStringList());
    ExpectWorkFolderClean();
}

// A package opened for editing: unpacked into the work folder and its items pointed at its
// data and mask folders, as opening a package does.
class PackageProjectTest : public PackageTest {
protected:
    void SetUp() override
    {
        const Faces faces = {
            { 1,
                { Item(0, kImage, Media(QStringLiteral("p.png"), "picture")),
                    Item(300, kMovie, Media(QStringLiteral("m.mov"), "movie")),
                    Masked(Item(600, kSound, Media(QStringLiteral("s.wav"), "sound")), 2,
                        Media(QStringLiteral("k.png"), "mask")) } },
            { 2, { Link(300, 1) } },
        };
        const QString kdp = MakeProjectFile(QStringLiteral("Show"), faces, QStringLiteral("Show.kdp"));
        ASSERT_TRUE(WritePackage(work, out, kdp, QStringLiteral("Show"), owner));
        package = out + QStringLiteral("/Show.kdpp");
        Open();
    }

    void Open()
    {
        CZipFile zip;
        ASSERT_TRUE(zip.UnZip(package, work));
        ASSERT_TRUE(RebaseMediaPaths(
            PackageWorkCopyProjectXml(work, QStringLiteral("Show")), workCopy(), data(), mask(), owner));
    }

    QString workCopy() const { return PackageWorkCopy(work, QStringLiteral("Show")); }
    QString data() const { return workCopy() + QStringLiteral("/Show_Data"); }
    QString mask() const { return workCopy() + QStringLiteral("/Show_Mask"); }

    // Edits the open project as the view does, through a store on the work copy.
    void Edit(const std::function<void(CProjectFolderStore&)>& edit)
    {
        CProjectFolderStore store;
        ASSERT_TRUE(
            OpenProjectStore(store, workCopy(), PackageWorkCopyProjectXml(work, QStringLiteral("Show"))));
        edit(store);
    }

    QStringList WorkCopyFiles() const
    {
        QStringList files = FilesBelow(workCopy());
        return files;
    }

    QString package;
};

TEST_F(PackageProjectTest, SavingRenumbersTheMediaAndLeavesNothingStale)
{
    EXPECT_EQ(ItemsOf(workCopy(), QStringLiteral("Show")).at(1).at(300).FilePath,
        data() + QStringLiteral("/1_2.mov"));

    // Remove the first picture, add a movie from elsewhere at the end.
    const QString added = Media(QStringLiteral("new.mp4"), "added");
    Edit([&](CProjectFolderStore& store) {
        ASSERT_TRUE(store.DeleteItem(1, 0));
        ASSERT_TRUE(store.SetItem(1, Item(900, kMovie, added)));
    });
    ASSERT_TRUE(SavePackageProject(work, QStringLiteral("Show"), package, owner));
    EXPECT_TRUE(owner.notices.empty());

    const QStringList expectedData
        = { QStringLiteral("1_1.mov"), QStringLiteral("1_2.wav"), QStringLiteral("1_3.mp4") };
    EXPECT_EQ(QDir(data()).entryList(QDir::Files, QDir::Name), expectedData);
    EXPECT_EQ(Bytes(data() + QStringLiteral("/1_1.mov")), "movie");
    EXPECT_EQ(Bytes(data() + QStringLiteral("/1_3.mp4")), "added");
    EXPECT_EQ(QDir(mask()).entryList(QDir::Files), QStringList({ QStringLiteral("1_2.png") }));
    const ProjectMediaMap work1 = ItemsOf(workCopy(), QStringLiteral("Show"));
    EXPECT_EQ(work1.at(1).at(300).FilePath, data() + QStringLiteral("/1_1.mov"));
    EXPECT_EQ(work1.at(1).at(600).MaskImage, mask() + QStringLiteral("/1_2.png"));
    EXPECT_EQ(work1.at(1).at(900).FilePath, data() + QStringLiteral("/1_3.mp4"));
    EXPECT_EQ(work1.at(2).at(300).FilePath, data() + QStringLiteral("/1_1.mov"));
    EXPECT_EQ(QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList({ QStringLiteral("Show_Package") }))
        << "temporary folders left behind";

    // The package holds the same, by package names; opening it again gives the same project.
    const QString unpacked = Unpacked(package, QStringLiteral("check"));
    EXPECT_EQ(FilesBelow(unpacked + QStringLiteral("/Show_Package/Show_Data")), expectedData);
    EXPECT_EQ(
        ItemsOf(unpacked + QStringLiteral("/Show_Package"), QStringLiteral("Show")).at(1).at(900).FilePath,
        QStringLiteral("1_3.mp4"));

    // A second save without changes gives the same names and the same files.
    const QStringList before = WorkCopyFiles();
    ASSERT_TRUE(SavePackageProject(work, QStringLiteral("Show"), package, owner));
    EXPECT_EQ(WorkCopyFiles(), before);
    EXPECT_EQ(ItemsOf(workCopy(), QStringLiteral("Show")), work1);
    EXPECT_EQ(Bytes(data() + QStringLiteral("/1_1.mov")), "movie");
}

TEST_F(PackageProjectTest, ASaveWhoseMediaCannotBeCopiedChangesNothing)
{
    Edit([&](CProjectFolderStore& store) {
        ASSERT_TRUE(store.SetItem(1, Item(900, kMovie, Path("gone.mov"))));
    });
    const QByteArray packageBefore = Bytes(package);
    const QStringList filesBefore = WorkCopyFiles();
    const ProjectMediaMap itemsBefore = ItemsOf(workCopy(), QStringLiteral("Show"));

    EXPECT_FALSE(SavePackageProject(work, QStringLiteral("Show"), package, owner));
    ASSERT_EQ(owner.Messages(), std::vector<int>({ kMsgTemporaryCopy }));
    EXPECT_EQ(Bytes(package), packageBefore);
    EXPECT_EQ(WorkCopyFiles(), filesBefore);
    EXPECT_EQ(ItemsOf(workCopy(), QStringLiteral("Show")), itemsBefore);
    EXPECT_EQ(Bytes(data() + QStringLiteral("/1_1.png")), "picture");
}

TEST_F(PackageProjectTest, ALinkInTheProjectRefusesTheSaveNamingIt)
{
    // A face folder that is a link to another: its items would be missing from the package.
    const QString link = workCopy() + QStringLiteral("/Show/Channel_1/Face_3");
    ASSERT_TRUE(QFile::link(workCopy() + QStringLiteral("/Show/Channel_1/Face_1"), link));
    const QByteArray packageBefore = Bytes(package);

    EXPECT_FALSE(SavePackageProject(work, QStringLiteral("Show"), package, owner));
    ASSERT_EQ(owner.Messages(), std::vector<int>({ kMsgTemporaryCopy }));
    EXPECT_TRUE(owner.notices[0].detail.contains(link)) << owner.notices[0].detail.toStdString();
    EXPECT_EQ(Bytes(package), packageBefore);
}

TEST_F(PackageProjectTest, ThePackageSavedIsTheOneOpened)
{
    // Opened as "Show.KDPP": the save goes back into that file, not into a new "Show.kdpp".
    const QString upper = out + QStringLiteral("/Show.KDPP");
    ASSERT_TRUE(QFile::rename(package, upper));
    ASSERT_TRUE(SavePackageProject(work, QStringLiteral("Show"), upper, owner));
    EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList({ QStringLiteral("Show.KDPP") }));
    EXPECT_EQ(GetPackageProjectName(upper), QStringLiteral("Show"));
}

TEST_F(PackageTest, CreateFlowAsksBeforeReplacingAPackage)
{
    const QString kdp = MakeProjectFile(QStringLiteral("Show"), { { 1, {} } }, QStringLiteral("Show.kdp"));
    const QString existing = temp.WriteFile(QStringLiteral("out/Show.kdpp"), "kept");
    owner.exportAnswer = { out + u'/', kdp };

    owner.answerYes = false;
    EXPECT_FALSE(CreatePackage(owner, work));
    EXPECT_EQ(owner.questions, std::vector<int>({ kMsgAskOverwritePackage }));
    EXPECT_EQ(owner.Messages(), std::vector<int>({ kMsgCreateCancelled }));
    EXPECT_EQ(Bytes(existing), "kept");

    owner = CRecordingFlowOwner();
    owner.exportAnswer = { out + u'/', kdp };
    EXPECT_TRUE(CreatePackage(owner, work));
    EXPECT_EQ(owner.Messages(), std::vector<int>({ kMsgCreateDone }));
    EXPECT_EQ(owner.waits, 0) << "the wait window is hidden again";
    EXPECT_EQ(GetPackageProjectName(existing), QStringLiteral("Show"));

    owner = CRecordingFlowOwner();
    EXPECT_FALSE(CreatePackage(owner, work)) << "the dialog was cancelled";
    EXPECT_TRUE(owner.notices.empty());
}

TEST_F(PackageTest, ExpandFlowChecksTheNameAndAsksBeforeReplacing)
{
    const QString projects = temp.MakeFolder(QStringLiteral("projects"));
    const QString kdp = MakeProjectFile(QStringLiteral("Show"), { { 1, {} } }, QStringLiteral("Show.kdp"));
    ASSERT_TRUE(WritePackage(work, out, kdp, QStringLiteral("Show"), owner));
    const QString package = out + QStringLiteral("/Show.kdpp");

    // A package whose first entry is a file at the top level names no project.
    const QString topLevel = temp.WriteFile(QStringLiteral("stage/Show.xml"), "<Project/>");
    temp.MakeFolder(QStringLiteral("stage/Show"));
    const QString flat = out + QStringLiteral("/Flat.kdpp");
    {
        int error = 0;
        zip_t* archive = zip_open(QFile::encodeName(flat).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(archive, nullptr);
        zip_file_add(
            archive, "Show.xml", zip_source_file(archive, QFile::encodeName(topLevel).constData(), 0, -1), 0);
        ASSERT_EQ(zip_close(archive), 0);
    }
    owner.importAnswer = { flat, projects + u'/', out + u'/' };
    EXPECT_FALSE(ExpandPackage(owner, work));
    EXPECT_EQ(owner.Messages(), std::vector<int>({ kMsgNoPackageName, kMsgExpandFailed }));

    temp.WriteFile(QStringLiteral("projects/Show.kdp"), "kept");
    owner = CRecordingFlowOwner();
    owner.importAnswer = { package, projects + u'/', out + u'/' };
    owner.answerYes = false;
    EXPECT_FALSE(ExpandPackage(owner, work));
    EXPECT_EQ(owner.questions, std::vector<int>({ kMsgAskOverwriteProject }));
    EXPECT_EQ(owner.Messages(), std::vector<int>({ kMsgExpandCancelled }));
    EXPECT_EQ(Bytes(projects + QStringLiteral("/Show.kdp")), "kept");

    owner.answerYes = true;
    owner.notices.clear();
    EXPECT_TRUE(ExpandPackage(owner, work));
    EXPECT_EQ(owner.Messages(), std::vector<int>({ kMsgExpandDone }));
    EXPECT_EQ(GetPackageProjectName(projects + QStringLiteral("/Show.kdp")), QStringLiteral("Show"));
}

TEST(PackagePaths, ExportChecksInOrder)
{
    CTempFolder temp;
    const QString folder = temp.MakeFolder(QStringLiteral("out"));
    const QString project = temp.WriteFile(QStringLiteral("Project.KDP"), "x");
    const QString other = temp.WriteFile(QStringLiteral("a.b/c"), "x");
    const QString file = temp.WriteFile(QStringLiteral("file.txt"), "x");
    struct Case {
        const char* name;
        QString folder;
        QString project;
        PackagePathCheck expected;
    };
    const std::vector<Case> cases = {
        { "both empty", QString(), QString(), { 8, kExportOutputFolder } },
        { "missing folder", temp.FilePath(QStringLiteral("gone")), project, { 9, kExportOutputFolder } },
        { "a file as the folder", file, project, { 9, kExportOutputFolder } },
        { "no project", folder, QString(), { 10, kExportProjectFile } },
        { "missing project", folder, temp.FilePath(QStringLiteral("gone.kdp")), { 11, kExportProjectFile } },
        { "a folder as the project", folder, folder, { 12, kExportProjectFile } },
        { "no dot in the file name", folder, other, { 13, kExportProjectFile } },
        { "another extension", folder, file, { 13, kExportProjectFile } },
        { "capitals pass", folder, project, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckExportPaths(c.folder, c.project), c.expected);
    }
}

TEST(PackagePaths, ImportChecksInOrder)
{
    CTempFolder temp;
    const QString folder = temp.MakeFolder(QStringLiteral("out"));
    const QString package = temp.WriteFile(QStringLiteral("Show.KDPP"), "x");
    const QString project = temp.WriteFile(QStringLiteral("Show.kdp"), "x");
    const QString gone = temp.FilePath(QStringLiteral("gone"));
    struct Case {
        const char* name;
        QString package;
        QString projectFolder;
        QString dataFolder;
        PackagePathCheck expected;
    };
    const std::vector<Case> cases = {
        { "all empty", QString(), QString(), QString(), { 14, kImportPackageFile } },
        { "missing package", gone, folder, folder, { 15, kImportPackageFile } },
        { "a folder as the package", folder, folder, folder, { 16, kImportPackageFile } },
        { "a project file", project, folder, folder, { 17, kImportPackageFile } },
        { "no project folder", package, QString(), folder, { 18, kImportProjectFolder } },
        { "project folder gone", package, gone, folder, { 19, kImportProjectFolder } },
        { "no data folder", package, folder, QString(), { 20, kImportDataFolder } },
        { "data folder gone", package, folder, gone, { 21, kImportDataFolder } },
        { "one folder for both", package, folder, folder, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckImportPaths(c.package, c.projectFolder, c.dataFolder), c.expected);
    }
    EXPECT_EQ(FolderWithOneSeparator(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(FolderWithOneSeparator(QStringLiteral("/srv/out//")), QStringLiteral("/srv/out/"));
    EXPECT_EQ(FolderWithOneSeparator(QStringLiteral("/srv/out")), QStringLiteral("/srv/out/"));
}

} // namespace
