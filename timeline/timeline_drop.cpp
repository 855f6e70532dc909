#include "project/quicktime_media.h"
#include "project/xml_records.h"
#include "timeline/thumbnail_writer.h"
#include "timeline/timeline_model.h"

#include <QFileInfo>
#include <QImageReader>

using namespace timeline;

namespace {

// A dropped file made into an item, with what its thumbnail is made from.
struct DroppedMedia {
    tagTL_FACE_ITEM_DATA item;
    QImage picture; // a picture item's picture
};

// Closes the movie left open for the thumbnail whatever way the file's turn ends.
class CMovieCloser {
public:
    explicit CMovieCloser(CQuickTimeMedia& media)
        : m_media(media)
    {
    }
    ~CMovieCloser() { m_media.CloseMovie(); }
    CMovieCloser(const CMovieCloser&) = delete;
    CMovieCloser& operator=(const CMovieCloser&) = delete;

private:
    CQuickTimeMedia& m_media;
};

} // namespace

int CTimeLineModel::DropFiles(const QStringList& paths, int x, int y)
{
    CWaitCursorScope wait(*this);
    const TlFaceRowHit hit = HitTestFaceRow(x, y);
    if (hit.channel < 0 || hit.faceNo < 0 || hit.time < 0 || hit.subNo < 0)
        return 0;
    if (paths.size() >= 2)
        NotifyWaitBegin();

    int added = 0;
    int64_t time = hit.time;
    CQuickTimeMedia& media = Media();
    const uint64_t generation = m_faceListGeneration;
    for (const QString& path : paths) {
        // The owner may renumber the faces while it is told of an item: the face hit would then
        // be another one.
        if (time > m_projectLength || m_faceListGeneration != generation)
            break;
        const QFileInfo file(path);
        // The item keeps the path in a field of limited length: a longer path is never cut.
        if (!file.exists() || file.isDir() || path.size() > kMaxEntryTextLength)
            continue;
        const int32_t kind = GetMediaKindFromFile(path);
        DroppedMedia dropped;
        tagTL_FACE_ITEM_DATA& item = dropped.item;
        item.Channel = hit.channel;
        item.FaceNo = hit.faceNo;
        item.SubNo = hit.subNo;
        item.Start = int32_t(time);
        item.Mode = kind;
        item.FilePath = path;
        CMovieCloser closer(media);
        if (kind == tagTL_FACE_ITEM_DATA::MODE_IMAGE) {
            QImageReader reader(path);
            reader.setAutoTransform(true);
            dropped.picture = reader.read();
            if (dropped.picture.isNull())
                continue; // not a picture that can be read
            item.PlayTime = m_imageDefaultTime;
            item.W = dropped.picture.width();
            item.H = dropped.picture.height();
        } else if (kind == tagTL_FACE_ITEM_DATA::MODE_MOVIE) {
            if (!media.OpenMovie(path))
                continue;
            const int32_t durationMs = media.MovieDuration();
            item.PlayTime = durationMs / 10;
            item.OutTime = item.PlayTime;
            item.W = media.MovieBox().right - media.MovieBox().left;
            item.H = media.MovieBox().bottom - media.MovieBox().top;
            item.ThumbnailTime = (durationMs / 2) / 10; // the middle of the movie
        } else if (kind == tagTL_FACE_ITEM_DATA::MODE_SOUND) {
            int32_t lengthMs = 0;
            if (!media.GetSoundLength(path, lengthMs))
                continue;
            item.PlayTime = lengthMs / 10;
            item.OutTime = item.PlayTime;
        } else {
            continue;
        }
        // Media shorter than a hundredth of a second would make an item without length.
        if (kind != tagTL_FACE_ITEM_DATA::MODE_IMAGE && item.PlayTime <= 0)
            continue;

        int32_t start = item.Start;
        if (!CanPlaceItem(item.Channel, item.FaceNo, item.SubNo, start, item, false, true))
            break; // it does not fit: the files after it are not added either
        item.Start = start;
        if (!AddItemRecord(item))
            break;
        const QString thumbnail = ThumbnailPath(item);
        ThumbnailWriter writer;
        if (kind == tagTL_FACE_ITEM_DATA::MODE_IMAGE)
            writer.WriteBitmap(dropped.picture, thumbnail);
        else if (kind == tagTL_FACE_ITEM_DATA::MODE_MOVIE)
            writer.WriteBitmap(media.GetFrameBitmap(int32_t(int64_t(item.ThumbnailTime) * 10)), thumbnail);
        ++added;
        const tagTL_FACE_ITEM_DATA told = item;
        if (m_owner)
            m_owner->OnTlItemAdded(told);
        RepaintControl();
        time = int64_t(told.Start) + told.PlayTime;
    }
    NotifyWaitEnd();
    return added;
}
