#include "tests/view/project_session.h"

#include "project/record_conversion.h"
#include "view/folder_tree.h"
#include "view/project_faces.h"

#include <QDir>
#include <QDirIterator>
#include <gtest/gtest.h>

namespace {

// The viewer of a session never runs: waits return at once.
class CNoViewer final : public CViewerLiveness {
public:
    bool IsViewerRunning() override { return false; }
};
CNoViewer g_noViewer;

} // namespace

tagTL_FACE_ITEM_DATA SessionItem(int32_t faceNo, int32_t start, int32_t playTime, int32_t mode)
{
    tagTL_FACE_ITEM_DATA item;
    item.Channel = 1;
    item.FaceNo = faceNo;
    item.Start = start;
    item.PlayTime = playTime;
    item.Mode = mode;
    return item;
}

tagTL_FACE_DATA SessionFace(int32_t faceNo, std::vector<tagTL_FACE_ITEM_DATA> items)
{
    tagTL_FACE_DATA face;
    face.Channel = 1;
    face.No = faceNo;
    face.Status = 1;
    face.R = 10 * faceNo;
    for (int corner = 0; corner < 4; ++corner) {
        face.X[size_t(corner)] = 100 * faceNo + corner;
        face.Y[size_t(corner)] = 50 * faceNo + corner;
    }
    face.Items = std::move(items);
    return face;
}

CProjectSession::CProjectSession(const CTempFolder& temp, int32_t projectTime)
    : block(std::make_unique<PmParamBlock>())
    , m_work(temp.MakeFolder(QStringLiteral("work")))
{
    channel = std::make_unique<CViewerChannel>(block.get(), g_noViewer);
    mirror = std::make_unique<CEditMirror>(store, undo, modified, messages, *this);
    replay = std::make_unique<CUndoReplay>(timeline, *this, *this);
    const QString xml = m_work + QStringLiteral("/Show/Show.xml");
    EXPECT_TRUE(MakeFolderPath(m_work + QStringLiteral("/Show/Channel_1")));
    CProjectFolderStore creator;
    EXPECT_TRUE(creator.CreateProject(xml, m_work, projectTime));
    store.SetFolder(m_work);
    EXPECT_TRUE(store.OpenProject(xml, 1));
    timeline.SetOwner(this);
    timeline.SetProjectLength(projectTime);
    timeline.SetImageDefaultTime(500);
    timeline.SetProjectOpen(true);
    timeline.SetProjectFolder(m_work);
    timeline.SetProjectName(QStringLiteral("Show"));
}

QString CProjectSession::ChannelFolder() const
{
    return m_work + QStringLiteral("/Show/Channel_1");
}

QString CProjectSession::FaceFolder(int32_t faceNo) const
{
    return ChannelFolder() + QStringLiteral("/Face_%1").arg(faceNo);
}

void CProjectSession::AddStoredFace(const tagTL_FACE_DATA& face)
{
    ASSERT_TRUE(MakeFolderPath(FaceFolder(face.No)));
    ASSERT_TRUE(store.AddFace(ToFaceXmlRecord(face)));
    std::vector<ItemXmlRecord> entries;
    for (const tagTL_FACE_ITEM_DATA& item : face.Items) {
        ItemXmlRecord entry;
        ASSERT_TRUE(ToItemXmlRecord(item, entry));
        entries.push_back(entry);
    }
    if (!entries.empty()) {
        ASSERT_TRUE(store.SetItems(face.No, entries));
    }
    Reload();
}

void CProjectSession::Reload()
{
    timeline.ResetTimeLine(false);
    timeline.SetProjectLength(store.GetProjectXml().ProjectTime);
    for (tagTL_FACE_DATA& face : ReadProjectFaces(store))
        timeline.AddFaceRecord(std::move(face));
}

QStringList CProjectSession::ChannelTree() const
{
    QStringList names;
    QDirIterator entries(ChannelFolder(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
        QDirIterator::Subdirectories);
    while (entries.hasNext())
        names << QDir(ChannelFolder()).relativeFilePath(entries.next());
    names.sort();
    return names;
}

CProjectSession::DiskState CProjectSession::ReadDisk() const
{
    CProjectFolderStore fresh;
    fresh.SetFolder(m_work);
    DiskState state;
    if (!fresh.OpenProject(m_work + QStringLiteral("/Show/Show.xml"), 1)) {
        ADD_FAILURE() << "the project does not load";
        return state;
    }
    state.faces = fresh.GetFaceListXml().Faces();
    for (const auto& [number, items] : fresh.GetFaceItemMap())
        state.items[number] = items.Items();
    const CProjectXml& project = fresh.GetProjectXml();
    state.projectTime = project.ProjectTime;
    state.start = project.StartTime;
    state.end = project.EndTime;
    state.playTime = project.TotalTime;
    state.files = ChannelTree();
    return state;
}

int CProjectSession::OnTlFaceDeleted(const tagTL_FACE_DATA& face)
{
    if (mirror->DeleteFaceData(face, 1))
        return 0;
    ++failedRenumberings;
    return -1;
}

void CProjectSession::OnTlFaceMoved(const FaceMoveInfo& info)
{
    if (!mirror->FaceMoved(info))
        ++failedRenumberings;
}

void CProjectSession::OnTlFaceCopied(const FaceCopyInfo& info)
{
    if (!mirror->FaceCopied(info))
        ++failedRenumberings;
}

void CProjectSession::OnTlFaceInserted(const FaceInsertInfo& info)
{
    if (!mirror->FaceInserted(info))
        ++failedRenumberings;
}

bool CProjectSession::ApplyPlayRange(int32_t in, int32_t out)
{
    timeline.SetInOutPosition(in, out);
    return mirror->SetPlayRange(out - in, in, out);
}

bool CProjectSession::ApplyProjectTime(int32_t time)
{
    if (!mirror->SetProjectTime(time))
        return false;
    timeline.SetProjectLength(time);
    return true;
}

int32_t CProjectSession::FaceNumberAt(int32_t position)
{
    FaceXmlRecord entry;
    const int32_t number = store.GetFaceListXml().GetFaceByIndex(position, &entry);
    return number > 0 ? number : 0;
}

void PrintTo(const CProjectSession::DiskState& state, std::ostream* out)
{
    *out << "times " << state.projectTime << " " << state.start << "-" << state.end << " (" << state.playTime
         << ")";
    for (const auto& [number, face] : state.faces)
        *out << "\n  face " << number << " " << face.FilePath.toStdString() << " lock " << face.Lock
             << " colour " << face.R << "," << face.G << "," << face.B << " x0 " << face.X[0] << " y0 "
             << face.Y[0];
    for (const auto& [number, items] : state.items) {
        for (const auto& [start, item] : items)
            *out << "\n  item " << number << "@" << start << " mode " << item.Mode << " link "
                 << item.LinkFaceNo << " time " << item.PlayTime << " thumb " << item.ThumbnailTime;
    }
    *out << "\n  files " << state.files.join(QLatin1Char(' ')).toStdString();
}
