// Edits reaching the project's files, the viewer block and the undo lists, on a real project
// folder edited through the timeline's model; every record kind undone and redone.
#include "platform/dialog_service.h"
#include "platform/shared_flag.h"
#include "tests/core/qstring_printer.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/view/project_session.h"
#include "timeline/thumbnail_writer.h"
#include "view/folder_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <functional>
#include <gtest/gtest.h>

using platform::LoadSharedFlag;

namespace {

QString Thumbnail(const CProjectSession& session, int32_t faceNo, int32_t start)
{
    return session.FaceFolder(faceNo) + QStringLiteral("/thumbnail_%1.jpg").arg(start);
}

// A picture file and an item that shows it.
tagTL_FACE_ITEM_DATA PictureItem(
    const CTempFolder& temp, int32_t faceNo, int32_t start, Qt::GlobalColor colour)
{
    QImage picture(64, 36, QImage::Format_RGB32);
    picture.fill(colour);
    const QString path = temp.FilePath(QStringLiteral("media/%1_%2.png").arg(faceNo).arg(start));
    QDir().mkpath(QFileInfo(path).path());
    EXPECT_TRUE(picture.save(path));
    tagTL_FACE_ITEM_DATA item = SessionItem(faceNo, start, 300);
    item.FilePath = path;
    return item;
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

tagTL_FACE_ITEM_DATA LinkItem(int32_t faceNo, int32_t start, int32_t linkFaceNo)
{
    tagTL_FACE_ITEM_DATA item = SessionItem(faceNo, start, 300, tagTL_FACE_ITEM_DATA::MODE_LINK);
    item.LinkFaceNo = linkFaceNo;
    item.LinkMode = tagTL_FACE_ITEM_DATA::MODE_IMAGE;
    return item;
}

// Three faces: face 1 and 2 with a picture item (and its thumbnail), face 3 with LINK items that
// show face 1 (at 0) and face 2 (at 100).
struct ThreeFaces : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(temp.IsValid());
        session = std::make_unique<CProjectSession>(temp);
        const tagTL_FACE_ITEM_DATA one = PictureItem(temp, 1, 0, Qt::red);
        const tagTL_FACE_ITEM_DATA two = PictureItem(temp, 2, 100, Qt::blue);
        session->AddStoredFace(SessionFace(1, { one }));
        session->AddStoredFace(SessionFace(2, { two }));
        session->AddStoredFace(SessionFace(3, { LinkItem(3, 0, 1), LinkItem(3, 100, 2) }));
        ASSERT_EQ(ThumbnailWriter().WriteFile(one.FilePath, Thumbnail(*session, 1, 0)), 1);
        ASSERT_EQ(ThumbnailWriter().WriteFile(two.FilePath, Thumbnail(*session, 2, 100)), 1);
        thumbnailOne = ReadBytes(Thumbnail(*session, 1, 0));
        thumbnailTwo = ReadBytes(Thumbnail(*session, 2, 100));
        session->undo.Reset();
        session->modified = 0;
    }
    int32_t LinkOf(int32_t faceNo, int32_t start) const
    {
        const auto& items = session->ReadDisk().items;
        const auto face = items.find(faceNo);
        if (face == items.end() || !face->second.count(start))
            return -1;
        return face->second.at(start).LinkFaceNo;
    }
    CTempFolder temp;
    std::unique_ptr<CProjectSession> session;
    QByteArray thumbnailOne;
    QByteArray thumbnailTwo;
};

} // namespace

TEST_F(ThreeFaces, AnEditGoesToTheFileThenTheViewerThenTheFlagThenTheUndoList)
{
    CProjectSession& s = *session;
    PmParamBlock& block = *s.block;
    ASSERT_TRUE(s.timeline.AddItem(1, 1000, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    EXPECT_TRUE(s.ReadDisk().items[1].count(1000));
    EXPECT_EQ(LoadSharedFlag(block.dataFlag), 1);
    EXPECT_EQ(block.dataKind, kPmDataFaceChanged);
    EXPECT_EQ(block.dataFaceNo, 1);
    EXPECT_EQ(s.modified, 1);
    ASSERT_EQ(s.undo.UndoList().size(), 1u);
    EXPECT_EQ(s.undo.UndoList()[0].Kind, tagCKD_UNDO_INFO::kAddItem);

    // Without the viewer's notice the data area stays as it was.
    platform::StoreSharedFlag(block.dataFlag, 0);
    block.dataFaceNo = 0;
    EXPECT_TRUE(s.mirror->AddItemData(SessionItem(2, 2000, 100), 0));
    EXPECT_TRUE(s.ReadDisk().items[2].count(2000));
    EXPECT_EQ(LoadSharedFlag(block.dataFlag), 0);
    EXPECT_EQ(block.dataFaceNo, 0);
    EXPECT_EQ(s.undo.UndoList().size(), 2u);

    // A face added: its folder and face file, data kind 0.
    ASSERT_EQ(s.timeline.AddFace(), 4);
    EXPECT_TRUE(QFileInfo(s.FaceFolder(4) + QStringLiteral("/Face_4.xml")).isFile());
    EXPECT_EQ(block.dataKind, kPmDataFaceAdded);
    EXPECT_EQ(s.undo.UndoList()[0].Kind, tagCKD_UNDO_INFO::kAddFace);

    // A face changed to the values it has already writes and records nothing.
    tagTL_FACE_DATA face;
    ASSERT_TRUE(s.timeline.GetFaceData(1, 1, face));
    const size_t records = s.undo.UndoList().size();
    s.timeline.SetFaceDisplayPosition(face);
    EXPECT_EQ(s.undo.UndoList().size(), records);
    face.X[0] = 777;
    s.timeline.SetFaceDisplayPosition(face);
    EXPECT_EQ(s.ReadDisk().faces[1].X[0], 777);
    EXPECT_EQ(s.undo.UndoList()[0].Kind, tagCKD_UNDO_INFO::kUpdateFace);
    EXPECT_EQ(s.undo.UndoList()[0].Face.X[0], 100) << "the face before, as the file had it";
}

TEST_F(ThreeFaces, AWriteThatFailsStopsBeforeTheViewerTheFlagAndTheUndoList)
{
    CProjectSession& s = *session;
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    dialogs.AnswerMessageBox(platform::IDOK);
    ASSERT_TRUE(DeleteFolderTree(s.FaceFolder(1)));
    s.timeline.AddItem(1, 1000, tagTL_FACE_ITEM_DATA::MODE_IMAGE);
    EXPECT_EQ(LoadSharedFlag(s.block->dataFlag), 0);
    EXPECT_EQ(s.modified, 0);
    EXPECT_TRUE(s.undo.UndoList().empty());
    // A start moved: the new entry cannot be written, the old one stays.
    tagTL_FACE_ITEM_DATA before = SessionItem(1, 0, 300);
    tagTL_FACE_ITEM_DATA after = before;
    after.Start = 50;
    EXPECT_FALSE(s.mirror->UpdateItemStartTime(before, after, 1));
    EXPECT_EQ(dialogs.MessageTexts(),
        (std::vector<QString> { QStringLiteral("ITEMデータの書込みに失敗しました。"),
            QStringLiteral("ITEMデータの更新（追加）に失敗しました。") }));
    EXPECT_TRUE(s.undo.UndoList().empty());
}

TEST_F(ThreeFaces, MovedItemsTakeTheirThumbnailsAndMakeOneOperation)
{
    CProjectSession& s = *session;
    ASSERT_TRUE(s.timeline.MoveItemTo(1, 0, 50));
    EXPECT_FALSE(QFileInfo::exists(Thumbnail(s, 1, 0)));
    EXPECT_EQ(ReadBytes(Thumbnail(s, 1, 50)), thumbnailOne);
    auto items = s.ReadDisk().items[1];
    EXPECT_FALSE(items.count(0));
    ASSERT_TRUE(items.count(50));
    EXPECT_EQ(items[50].PlayTime, 250) << "the end stays";
    ASSERT_EQ(s.undo.UndoList().size(), 2u);
    EXPECT_EQ(s.undo.UndoList()[0].OpNo, s.undo.UndoList()[1].OpNo);

    // To another face; and a copy keeps the source's thumbnail and copies it.
    tagTL_FACE_ITEM_DATA source;
    ASSERT_TRUE(s.timeline.GetItemRecord(2, 100, source));
    ASSERT_TRUE(s.timeline.DropMovedItems(1, 1, 1000, 0, source));
    EXPECT_EQ(ReadBytes(Thumbnail(s, 1, 1000)), thumbnailTwo);
    EXPECT_FALSE(s.ReadDisk().items[2].count(100));
    ASSERT_TRUE(s.timeline.GetItemRecord(1, 1000, source));
    ASSERT_TRUE(s.timeline.DropItemsAsCopy(1, 2, 2000, 0, source));
    EXPECT_EQ(ReadBytes(Thumbnail(s, 2, 2000)), thumbnailTwo);
    EXPECT_EQ(ReadBytes(Thumbnail(s, 1, 1000)), thumbnailTwo);

    // A start moved in the panel: the new entry, the thumbnail under the new start, one
    // operation of the old item deleted and the new one added.
    tagTL_FACE_ITEM_DATA before;
    ASSERT_TRUE(s.timeline.GetItemRecord(2, 2000, before));
    tagTL_FACE_ITEM_DATA after = before;
    after.Start = 2500;
    ASSERT_TRUE(s.mirror->UpdateItemStartTime(before, after, 1));
    EXPECT_FALSE(s.ReadDisk().items[2].count(2000));
    EXPECT_TRUE(s.ReadDisk().items[2].count(2500));
    EXPECT_EQ(ReadBytes(Thumbnail(s, 2, 2500)), thumbnailTwo);
    EXPECT_FALSE(QFileInfo::exists(Thumbnail(s, 2, 2000)));
    ASSERT_GE(s.undo.UndoList().size(), 2u);
    EXPECT_EQ(s.undo.UndoList()[0].Kind, tagCKD_UNDO_INFO::kAddItem);
    EXPECT_EQ(s.undo.UndoList()[0].Item.Start, 2500);
    EXPECT_EQ(s.undo.UndoList()[1].Kind, tagCKD_UNDO_INFO::kDeleteItem);
    EXPECT_EQ(s.undo.UndoList()[1].Item.Start, 2000);
    EXPECT_EQ(s.undo.UndoList()[0].OpNo, s.undo.UndoList()[1].OpNo);

    // An item "moved" to its own key is not the handler's business.
    const size_t records = s.undo.UndoList().size();
    EXPECT_EQ(s.mirror->ItemMoved({ source, source }, 1), -1);
    EXPECT_EQ(s.undo.UndoList().size(), records);
}

namespace {

struct Renumbering {
    const char* name;
    std::function<void(CProjectSession&)> change;
    QStringList tree; // the channel folder afterwards
    std::vector<std::tuple<int32_t, int32_t, int32_t>> links; // face, start, LinkFaceNo
    int32_t kind;
};

} // namespace

TEST_F(ThreeFaces, RenumberedFacesMoveTheirFoldersAndLinksOnDiskAndComeBackWithUndo)
{
    const QStringList start = session->ChannelTree();
    const std::vector<Renumbering> cases = {
        { "insert at the row of face 2", [](CProjectSession& s) { s.timeline.InsertFace(1, SessionFace(2)); },
            { "Channel_1.xml", "Face_1", "Face_1/Face_1.xml", "Face_1/thumbnail_0.jpg", "Face_2",
                "Face_2/Face_2.xml", "Face_3", "Face_3/Face_3.xml", "Face_3/thumbnail_100.jpg", "Face_4",
                "Face_4/Face_4.xml" },
            { { 4, 0, 1 }, { 4, 100, 3 } }, tagCKD_UNDO_INFO::kInsertFace },
        { "copy face 1 to the end", [](CProjectSession& s) { s.timeline.CopyFace(0, 3); },
            { "Channel_1.xml", "Face_1", "Face_1/Face_1.xml", "Face_1/thumbnail_0.jpg", "Face_2",
                "Face_2/Face_2.xml", "Face_2/thumbnail_100.jpg", "Face_3", "Face_3/Face_3.xml", "Face_4",
                "Face_4/Face_4.xml", "Face_4/thumbnail_0.jpg" },
            { { 3, 0, 1 }, { 3, 100, 2 } }, tagCKD_UNDO_INFO::kCopyFace },
        { "move face 1 to the end", [](CProjectSession& s) { s.timeline.MoveFace(0, 3); },
            { "Channel_1.xml", "Face_1", "Face_1/Face_1.xml", "Face_1/thumbnail_100.jpg", "Face_2",
                "Face_2/Face_2.xml", "Face_3", "Face_3/Face_3.xml", "Face_3/thumbnail_0.jpg" },
            { { 2, 0, 3 }, { 2, 100, 1 } }, tagCKD_UNDO_INFO::kMoveFace },
        { "delete face 2 with its item",
            [](CProjectSession& s) {
                s.mirror->OnChangeGroup(1);
                s.timeline.DeleteFace(1, 2);
                s.mirror->OnChangeGroup(0);
            },
            { "Channel_1.xml", "Face_1", "Face_1/Face_1.xml", "Face_1/thumbnail_0.jpg", "Face_2",
                "Face_2/Face_2.xml" },
            { { 2, 0, 1 } }, tagCKD_UNDO_INFO::kDeleteFace },
    };
    for (const Renumbering& c : cases) {
        SCOPED_TRACE(c.name);
        CProjectSession& s = *session;
        const CProjectSession::DiskState before = s.ReadDisk();
        const timeline::FaceList facesBefore = s.timeline.Faces();
        c.change(s);
        EXPECT_EQ(s.failedRenumberings, 0);
        EXPECT_EQ(s.ChannelTree(), c.tree);
        for (const auto& [face, itemStart, link] : c.links)
            EXPECT_EQ(LinkOf(face, itemStart), link) << "face " << face << " item " << itemStart;
        ASSERT_FALSE(s.undo.UndoList().empty());
        EXPECT_EQ(s.undo.UndoList()[0].Kind, c.kind);
        EXPECT_TRUE(
            QDir(s.WorkFolder() + QStringLiteral("/Show")).entryList({ "tmp*" }, QDir::Dirs).isEmpty())
            << "no backup is left";
        const CProjectSession::DiskState after = s.ReadDisk();
        const timeline::FaceList facesAfter = s.timeline.Faces();

        ASSERT_EQ(s.undo.Undo(*s.replay), CUndoHistory::ReplayResult::Done);
        EXPECT_EQ(s.ReadDisk(), before);
        EXPECT_EQ(s.timeline.Faces(), facesBefore);
        ASSERT_EQ(s.undo.Redo(*s.replay), CUndoHistory::ReplayResult::Done);
        EXPECT_EQ(s.ReadDisk(), after);
        EXPECT_EQ(s.timeline.Faces(), facesAfter);
        ASSERT_EQ(s.undo.Undo(*s.replay), CUndoHistory::ReplayResult::Done);
        EXPECT_EQ(s.ChannelTree(), start);
    }
}

TEST_F(ThreeFaces, ARenumberingThatFailsPutsTheChannelBackFromItsBackup)
{
    CProjectSession& s = *session;
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    // Face 3's folder is gone: rebuilding it under its new number fails half-way.
    ASSERT_TRUE(DeleteFolderTree(s.FaceFolder(3)));
    const QStringList tree = s.ChannelTree();
    const QByteArray channelFile = ReadBytes(s.ChannelFolder() + QStringLiteral("/Channel_1.xml"));
    ASSERT_TRUE(s.timeline.MoveFace(2, 0));
    EXPECT_EQ(s.failedRenumberings, 1);
    EXPECT_EQ(dialogs.MessageTexts(),
        std::vector<QString> { QStringLiteral("FACEデータの読込みに失敗しました。 Face3") });
    EXPECT_EQ(s.ChannelTree(), tree);
    EXPECT_EQ(ReadBytes(s.ChannelFolder() + QStringLiteral("/Channel_1.xml")), channelFile);
    EXPECT_TRUE(QDir(s.WorkFolder() + QStringLiteral("/Show")).entryList({ "tmp*" }, QDir::Dirs).isEmpty());
    EXPECT_TRUE(s.undo.UndoList().empty()) << "nothing recorded";
    EXPECT_EQ(s.modified, 0);
    // The store reads what is on disk again.
    EXPECT_EQ(s.store.GetFaceListXml().Faces().size(), 3u);
    EXPECT_TRUE(s.store.HasFaceItems(1));
}

namespace {

struct KindCase {
    const char* name;
    int32_t kind;
    std::function<void(CProjectSession&)> change;
};

} // namespace

TEST_F(ThreeFaces, EveryRecordKindIsUndoneAndRedone)
{
    const auto face1 = [](CProjectSession& s) {
        tagTL_FACE_DATA face;
        EXPECT_TRUE(s.timeline.GetFaceData(1, 1, face));
        return face;
    };
    const std::vector<KindCase> cases = {
        { "add face", tagCKD_UNDO_INFO::kAddFace, [](CProjectSession& s) { s.timeline.AddFace(); } },
        { "update face", tagCKD_UNDO_INFO::kUpdateFace,
            [&](CProjectSession& s) {
                tagTL_FACE_DATA face = face1(s);
                face.Lock = 1;
                face.G = 99;
                s.timeline.SetFaceDisplayPosition(face);
            } },
        { "add item", tagCKD_UNDO_INFO::kAddItem,
            [](CProjectSession& s) { s.timeline.AddItem(2, 3000, tagTL_FACE_ITEM_DATA::MODE_MOVIE); } },
        { "delete item", tagCKD_UNDO_INFO::kDeleteItem,
            [](CProjectSession& s) { s.timeline.DeleteItem(1, 1, 0, 0); } },
        { "update item", tagCKD_UNDO_INFO::kUpdateItem,
            [](CProjectSession& s) { s.timeline.ResizeItemEnd(2, 100, 250); } },
        { "play range", tagCKD_UNDO_INFO::kPlayRange,
            [](CProjectSession& s) { s.ApplyPlayRange(100, 4000); } },
        { "project time", tagCKD_UNDO_INFO::kProjectTime,
            [](CProjectSession& s) { s.ApplyProjectTime(9000); } },
        { "face corners", tagCKD_UNDO_INFO::kFaceCorners,
            [&](CProjectSession& s) {
                tagTL_FACE_DATA face = face1(s);
                FaceCornerRecord corners;
                corners.faceNo = 1;
                for (size_t corner = 0; corner < 4; ++corner) {
                    corners.before[2 * corner] = face.X[corner];
                    corners.before[2 * corner + 1] = face.Y[corner];
                    face.X[corner] += 7;
                    face.Y[corner] -= 3;
                    corners.after[2 * corner] = face.X[corner];
                    corners.after[2 * corner + 1] = face.Y[corner];
                }
                s.mirror->OnChangeGroup(1);
                s.timeline.SetFaceData(face);
                s.undo.PushUndoFaceCorners(corners);
                s.mirror->OnChangeGroup(0);
            } },
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.name);
        CProjectSession& s = *session;
        s.undo.Reset();
        const CProjectSession::DiskState before = s.ReadDisk();
        const timeline::FaceList facesBefore = s.timeline.Faces();
        c.change(s);
        ASSERT_FALSE(s.undo.UndoList().empty());
        EXPECT_EQ(s.undo.UndoList()[0].Kind, c.kind);
        const CProjectSession::DiskState after = s.ReadDisk();
        const timeline::FaceList facesAfter = s.timeline.Faces();
        EXPECT_FALSE(after == before) << "the change reached the files";

        ASSERT_EQ(s.undo.Undo(*s.replay), CUndoHistory::ReplayResult::Done);
        EXPECT_TRUE(s.undo.UndoList().empty());
        EXPECT_EQ(s.ReadDisk(), before);
        EXPECT_EQ(s.timeline.Faces(), facesBefore);
        ASSERT_EQ(s.undo.Redo(*s.replay), CUndoHistory::ReplayResult::Done);
        EXPECT_EQ(s.ReadDisk(), after);
        EXPECT_EQ(s.timeline.Faces(), facesAfter);
        // Back to the start for the next case.
        ASSERT_EQ(s.undo.Undo(*s.replay), CUndoHistory::ReplayResult::Done);
    }
}

TEST_F(ThreeFaces, AStepTheTimelineRefusesIsPassedOverAndTheRestIsReplayed)
{
    CProjectSession& s = *session;
    s.mirror->OnChangeGroup(1);
    ASSERT_TRUE(s.timeline.AddItem(1, 1000, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    ASSERT_TRUE(s.timeline.AddItem(1, 2000, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    s.mirror->OnChangeGroup(0);
    ASSERT_EQ(s.undo.UndoList().size(), 2u);
    // The item at 1000 is gone by other means: undoing its addition cannot delete it.
    s.timeline.SetOwner(nullptr);
    s.timeline.DeleteItem(1, 1, 1000, 0);
    s.timeline.SetOwner(&s);

    EXPECT_EQ(s.undo.Undo(*s.replay), CUndoHistory::ReplayResult::Refused);
    EXPECT_TRUE(s.undo.UndoList().empty()) << "no record is left to block the list";
    EXPECT_EQ(s.undo.RedoList().size(), 2u);
    tagTL_FACE_ITEM_DATA item;
    EXPECT_FALSE(s.timeline.GetItemRecord(1, 2000, item)) << "the other step was undone";
    EXPECT_FALSE(s.ReadDisk().items[1].count(2000));

    // Redo brings both back, in the timeline and in the file.
    EXPECT_EQ(s.undo.Redo(*s.replay), CUndoHistory::ReplayResult::Done);
    EXPECT_TRUE(s.timeline.GetItemRecord(1, 1000, item));
    EXPECT_TRUE(s.timeline.GetItemRecord(1, 2000, item));
    const auto items = s.ReadDisk().items[1];
    EXPECT_TRUE(items.count(1000) && items.count(2000));
}

TEST_F(ThreeFaces, AGroupsItemEditsAreWrittenAtItsEndInOneOperation)
{
    CProjectSession& s = *session;
    const CProjectSession::DiskState before = s.ReadDisk();
    s.mirror->OnChangeGroup(1);
    ASSERT_TRUE(s.timeline.AddItem(1, 1000, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    ASSERT_TRUE(s.timeline.AddItem(2, 1000, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    ASSERT_TRUE(s.timeline.MoveItemTo(1, 0, 50));
    ASSERT_TRUE(s.timeline.ResizeItemEnd(2, 100, 250));
    ASSERT_TRUE(s.timeline.DeleteItem(1, 2, 1000, 0));
    // Nothing of the group has reached the files, the flag or the undo list yet.
    EXPECT_EQ(s.ReadDisk(), before);
    EXPECT_EQ(ReadBytes(Thumbnail(s, 1, 0)), thumbnailOne);
    EXPECT_EQ(s.modified, 0);
    EXPECT_TRUE(s.undo.UndoList().empty());
    s.mirror->OnChangeGroup(0);

    auto items = s.ReadDisk().items;
    EXPECT_EQ(items[1].size(), 2u);
    EXPECT_TRUE(items[1].count(50) && items[1].count(1000));
    EXPECT_EQ(items[2].size(), 1u) << "the item added and deleted in the group is gone";
    EXPECT_EQ(items[2][100].PlayTime, 150);
    EXPECT_EQ(ReadBytes(Thumbnail(s, 1, 50)), thumbnailOne) << "the thumbnail followed its item";
    EXPECT_FALSE(QFileInfo::exists(Thumbnail(s, 1, 0)));
    EXPECT_EQ(s.modified, 1);
    ASSERT_EQ(s.undo.UndoList().size(), 6u);
    for (const tagCKD_UNDO_INFO& record : s.undo.UndoList())
        EXPECT_EQ(record.OpNo, s.undo.UndoList()[0].OpNo);

    // One Undo takes the whole group back, on disk and in the timeline.
    EXPECT_EQ(s.undo.Undo(*s.replay), CUndoHistory::ReplayResult::Done);
    EXPECT_EQ(s.ReadDisk(), before);
    EXPECT_EQ(ReadBytes(Thumbnail(s, 1, 0)), thumbnailOne);
}

TEST_F(ThreeFaces, AGroupWithAFaceThatCannotBeWrittenLeavesEveryFaceAsItsFileHasIt)
{
    CProjectSession& s = *session;
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    const CProjectSession::DiskState before = s.ReadDisk();
    const timeline::FaceList facesBefore = s.timeline.Faces();
    // Face 2's file cannot be written; face 1 comes before it and is written first.
    ASSERT_TRUE(DeleteFolderTree(s.FaceFolder(2)));
    s.mirror->OnChangeGroup(1);
    ASSERT_TRUE(s.timeline.AddItem(1, 1000, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    ASSERT_TRUE(s.timeline.AddItem(1, 2000, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    ASSERT_TRUE(s.timeline.MoveItemTo(1, 0, 50));
    ASSERT_TRUE(s.timeline.AddItem(2, 1000, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    ASSERT_TRUE(s.timeline.AddItem(2, 2000, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    s.mirror->OnChangeGroup(0);

    EXPECT_EQ(
        dialogs.MessageTexts(), std::vector<QString> { QStringLiteral("ITEMデータの書込みに失敗しました。") })
        << "told once";
    EXPECT_EQ(s.ReadDisk().items[1], before.items.at(1)) << "face 1 holds what it held";
    EXPECT_EQ(ReadBytes(Thumbnail(s, 1, 0)), thumbnailOne);
    EXPECT_FALSE(QFileInfo::exists(Thumbnail(s, 1, 50)));
    EXPECT_EQ(s.putBacks, 1);
    EXPECT_EQ(s.timeline.Faces(), facesBefore) << "the timeline shows the files again";
    EXPECT_EQ(LoadSharedFlag(s.block->dataFlag), 0);
    EXPECT_EQ(s.modified, 0);
    EXPECT_TRUE(s.undo.UndoList().empty());
    // The next group starts afresh.
    s.mirror->OnChangeGroup(1);
    ASSERT_TRUE(s.timeline.AddItem(1, 3000, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    s.mirror->OnChangeGroup(0);
    EXPECT_TRUE(s.ReadDisk().items[1].count(3000));
    EXPECT_EQ(s.undo.UndoList().size(), 1u);
}

TEST_F(ThreeFaces, AnEditThatChangesNothingRecordsNoStep)
{
    CProjectSession& s = *session;
    tagTL_FACE_ITEM_DATA item;
    ASSERT_TRUE(s.timeline.GetItemRecord(1, 0, item));
    EXPECT_TRUE(s.mirror->UpdateItemData(item, item, 1));
    EXPECT_TRUE(s.undo.UndoList().empty());
    EXPECT_EQ(s.modified, 0);
    EXPECT_EQ(LoadSharedFlag(s.block->dataFlag), 0);
    tagTL_FACE_ITEM_DATA wider = item;
    wider.W = 640;
    EXPECT_TRUE(s.mirror->UpdateItemData(item, wider, 1));
    EXPECT_EQ(s.undo.UndoList().size(), 1u);
    EXPECT_EQ(s.ReadDisk().items[1][0].W, 640);
}
