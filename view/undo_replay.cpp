#include "view/undo_replay.h"

#include "platform/paths.h"
#include "project/quicktime_media.h"
#include "timeline/thumbnail_writer.h"
#include "timeline/timeline_model.h"

#include <QFile>
#include <algorithm>

namespace {

using Item = tagTL_FACE_ITEM_DATA;

} // namespace

CUndoReplay::CUndoReplay(CTimeLineModel& timeLine, CTimeLineOwner& owner, CUndoReplayHost& host)
    : m_timeLine(timeLine)
    , m_owner(owner)
    , m_host(host)
{
}

std::pair<int, int> CUndoReplay::ReverseMoveRows(int from, int to)
{
    if (from > to)
        return { to, from + 1 };
    if (from < to)
        return { std::max(to - 1, 0), from };
    return { std::max(to - 1, 0), from + 1 };
}

CUndoReplayer::Result CUndoReplay::Apply(tagCKD_UNDO_INFO& record, bool backwards)
{
    using K = tagCKD_UNDO_INFO;
    switch (record.Kind) {
    case K::kNoOp:
        return Result::Done;
    case K::kAddFace:
    case K::kDeleteFace:
        // Undoing an added face deletes it, as redoing a deleted one does.
        if ((record.Kind == K::kAddFace) == backwards)
            return DeleteFace(record.Face);
        if (record.Kind == K::kDeleteFace) {
            // The face comes back without items; its items follow from their own records.
            if (!m_timeLine.InsertFace(record.DeleteRow, record.Face))
                return Result::Refused;
        } else {
            if (!m_timeLine.AddFaceRecord(record.Face))
                return Result::Refused;
            if (m_owner.OnTlFaceAdded(record.Face) != 0)
                return Result::WriteFailed;
        }
        m_host.Redraw();
        return Result::Done;
    case K::kUpdateFace: {
        const tagTL_FACE_DATA& target = backwards ? record.Face : record.NewFace;
        tagTL_FACE_DATA present;
        if (!m_timeLine.GetFaceData(target.Channel, target.No, present))
            return Result::Refused;
        m_timeLine.SetFaceDisplayPosition(target);
        m_host.Redraw();
        return Result::Done;
    }
    case K::kAddItem:
    case K::kDeleteItem:
        return (record.Kind == K::kAddItem) == backwards ? RemoveItem(record.Item) : AddItem(record.Item);
    case K::kUpdateItem:
        return backwards ? ChangeItem(record.NewItem, record.Item) : ChangeItem(record.Item, record.NewItem);
    case K::kPlayRange: {
        const bool applied = backwards ? m_host.ApplyPlayRange(record.OldStart, record.OldEnd)
                                       : m_host.ApplyPlayRange(record.NewStart, record.NewEnd);
        if (!applied)
            return Result::WriteFailed;
        m_host.Redraw();
        return Result::Done;
    }
    case K::kProjectTime:
        if (!m_host.ApplyProjectTime(backwards ? record.OldProjectTime : record.NewProjectTime))
            return Result::WriteFailed;
        m_host.Redraw();
        return Result::Done;
    case K::kMoveFace: {
        const auto [from, to] = backwards ? ReverseMoveRows(record.MoveFrom, record.MoveTo)
                                          : std::pair<int, int> { record.MoveFrom, record.MoveTo };
        if (!m_timeLine.MoveFace(from, to))
            return Result::Refused;
        m_host.Redraw();
        return Result::Done;
    }
    case K::kFaceCorners:
        return ApplyCorners(record.Corners.faceNo, backwards ? record.Corners.before : record.Corners.after);
    case K::kCopyFace:
        if (backwards) {
            const int32_t faceNo = m_host.FaceNumberAt(record.CopyTo);
            if (faceNo < 1 || !m_timeLine.DeleteFace(1, faceNo))
                return Result::Refused;
            m_host.Redraw();
            return Result::Done;
        }
        if (!m_timeLine.CopyFace(record.CopyFrom, record.CopyTo))
            return Result::Refused;
        m_host.Redraw();
        return Result::Done;
    case K::kInsertFace:
        if (backwards)
            return DeleteFace(record.Face);
        if (!m_timeLine.InsertFace(record.InsertRow, record.Face))
            return Result::Refused;
        m_host.Redraw();
        return Result::Done;
    default:
        return Result::Refused;
    }
}

CUndoReplayer::Result CUndoReplay::DeleteFace(tagTL_FACE_DATA& face)
{
    if (!m_timeLine.DeleteFace(face.Channel, face.No))
        return Result::Refused;
    face.Items.clear();
    m_host.Redraw();
    return Result::Done;
}

CUndoReplayer::Result CUndoReplay::AddItem(const Item& item)
{
    if (!m_timeLine.AddItemRecord(item))
        return Result::Refused;
    if (m_owner.OnTlItemAdded(item) != 0)
        return Result::WriteFailed;
    RebuildThumbnail(item, false);
    m_host.Redraw();
    return Result::Done;
}

CUndoReplayer::Result CUndoReplay::RemoveItem(const Item& item)
{
    if (!m_timeLine.DeleteItem(item.Channel, item.FaceNo, item.Start, item.SubNo))
        return Result::Refused;
    m_timeLine.SetItemLink(item.Channel, item.FaceNo, item.SubNo, item.Start);
    m_host.Redraw();
    return Result::Done;
}

CUndoReplayer::Result CUndoReplay::ChangeItem(const Item& current, const Item& target)
{
    if (current.Start == target.Start) {
        if (!m_timeLine.SetItemData(target))
            return Result::Refused;
        if (m_owner.OnTlItemChanged(ItemRecordPair { current, target }) != 0)
            return Result::WriteFailed;
        if (current.FilePath != target.FilePath) {
            RebuildThumbnail(target, true);
        } else if (current.ThumbnailTime != target.ThumbnailTime
            && (target.Mode == Item::MODE_MOVIE
                || (target.Mode == Item::MODE_LINK && target.LinkMode == Item::MODE_MOVIE))) {
            RebuildThumbnail(target, true);
        }
    } else if (!m_timeLine.MoveItemTo(target.FaceNo, current.Start, target.Start)) {
        // The move tells the view, which moves the thumbnail with the item.
        return Result::Refused;
    }
    m_timeLine.SetItemLink(target.Channel, target.FaceNo, target.SubNo, target.Start);
    m_host.Redraw();
    return Result::Done;
}

CUndoReplayer::Result CUndoReplay::ApplyCorners(int32_t faceNo, const std::array<int32_t, 8>& corners)
{
    tagTL_FACE_DATA face;
    if (!m_timeLine.GetFaceData(1, faceNo, face))
        return Result::Refused;
    for (size_t corner = 0; corner < 4; ++corner) {
        face.X[corner] = corners[2 * corner];
        face.Y[corner] = corners[2 * corner + 1];
    }
    // The timeline tells the view, which writes the channel file.
    m_timeLine.SetFaceData(face);
    m_host.SendFaceCorners(faceNo, corners);
    m_host.Redraw();
    return Result::Done;
}

void CUndoReplay::RebuildThumbnail(const Item& item, bool removeWhenUnfit)
{
    const QString thumbnail = m_host.ThumbnailPath(item);
    if (thumbnail.isEmpty())
        return;
    // After the edits before it, which may move or remove a thumbnail of the same name.
    m_host.AfterItemWrites(
        [this, item, thumbnail, removeWhenUnfit] { WriteThumbnail(item, thumbnail, removeWhenUnfit); });
}

void CUndoReplay::WriteThumbnail(const Item& item, const QString& thumbnail, bool removeWhenUnfit)
{
    const auto unfit = [&] {
        if (removeWhenUnfit)
            QFile::remove(thumbnail);
    };
    // A project made on Windows names its media with backslashes.
    const QString media = platform::DataFilePathToLocal(item.FilePath);
    if (media.isEmpty() || !platform::IsRegularFile(media))
        return unfit();
    const int32_t kind = CTimeLineModel::GetMediaKindFromFile(media);
    if (kind != item.Mode && !(item.Mode == Item::MODE_LINK && kind == item.LinkMode))
        return unfit();
    const ThumbnailWriter writer;
    if (kind == Item::MODE_IMAGE) {
        writer.WriteFile(media, thumbnail);
    } else if (kind == Item::MODE_MOVIE) {
        CQuickTimeMedia& movies = m_timeLine.Media();
        // A movie that does not open keeps the thumbnail it has.
        if (!movies.OpenMovie(media))
            return;
        const int64_t frameMs
            = item.ThumbnailTime >= 0 ? int64_t(item.ThumbnailTime) * 10 : movies.MovieDuration() / 2;
        writer.WriteBitmap(movies.GetFrameBitmap(int32_t(std::min<int64_t>(frameMs, INT32_MAX))), thumbnail);
        movies.CloseMovie();
    }
}
