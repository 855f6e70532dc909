#include "viewer/show_media.h"

#include "viewer/camera_source.h"
#include "viewer/effects_and_filters.h"
#include "viewer/face_geometry.h"
#include "viewer/movie_stream.h"
#include "viewer/sound_output.h"
#include "viewer/viewer_scene.h"

#include <algorithm>

namespace {

using Item = tagTL_FACE_ITEM_DATA;

bool IsVisualKind(int32_t mode)
{
    return mode == Item::MODE_IMAGE || mode == Item::MODE_MOVIE || mode == Item::MODE_CAMERA;
}

int64_t StartUs(const Item& item)
{
    return HundredthsToUs(item.Start);
}

int64_t EndUs(const Item& item)
{
    return HundredthsToUs(int64_t(item.Start) + std::max(item.PlayTime, 0));
}

QSize CameraPictureSize(const Item& item)
{
    return item.CameraImgW > 0 && item.CameraImgH > 0 ? QSize(item.CameraImgW, item.CameraImgH)
                                                      : QSize(640, 360);
}

} // namespace

CShowMedia::CShowMedia(QAudioDevice audioDevice)
    : m_audioDevice(std::move(audioDevice))
{
}

CShowMedia::~CShowMedia()
{
    Clear();
}

void CShowMedia::Clear()
{
    for (auto& [key, source] : m_sources) {
        if (source.movie)
            source.movie->RequestStop();
    }
    m_sounds.clear();
    m_shapes.clear();
    m_sources.clear();
    m_pictures.KeepOnly({});
}

void CShowMedia::ForgetToldFailures()
{
    m_failures.clear();
    m_failedPaths.clear();
}

bool CShowMedia::SameSource(const Item& a, const Item& b)
{
    return a.Mode == b.Mode && a.FilePath == b.FilePath && a.CameraID == b.CameraID
        && a.CameraImgW == b.CameraImgW && a.CameraImgH == b.CameraImgH;
}

bool CShowMedia::SameShape(const Item& a, const Item& b)
{
    return a.MaskMode == b.MaskMode && a.MaskX == b.MaskX && a.MaskY == b.MaskY && a.W == b.W && a.H == b.H
        && a.PNUM == b.PNUM && a.X == b.X && a.Y == b.Y && a.MaskImageEnable == b.MaskImageEnable
        && a.MaskImage == b.MaskImage;
}

const Item* CShowMedia::SourceItem(const CViewerScene& scene, const Item& item)
{
    if (item.Mode != Item::MODE_LINK)
        return IsVisualKind(item.Mode) ? &item : nullptr;
    const tagTL_FACE_DATA* linked = scene.Face(item.LinkFaceNo);
    if (!linked || item.LinkFaceNo == item.FaceNo)
        return nullptr;
    const auto source = std::find_if(linked->Items.begin(), linked->Items.end(),
        [&item](const Item& candidate) { return candidate.Start == item.Start; });
    // A link follows a picture, a movie or a camera; never another link.
    return source != linked->Items.end() && IsVisualKind(source->Mode) ? &*source : nullptr;
}

std::shared_ptr<CCameraSource> CShowMedia::Camera(int cameraId, int width, int height)
{
    // A capture device opens once: items of the same camera share its reader.
    auto& slot = m_cameras[cameraId];
    if (auto camera = slot.lock())
        return camera;
    auto camera = std::make_shared<CCameraSource>(cameraId, width, height);
    slot = camera;
    return camera;
}

CShowMedia::Source& CShowMedia::SourceFor(const CViewerScene& scene, const Item& item)
{
    const ItemKey key { item.FaceNo, item.Start };
    Source& source = m_sources[key];
    if (source.item.Mode != 0 && SameSource(source.item, item)) {
        if (source.item.InTime != item.InTime || source.item.OutTime != item.OutTime
            || source.item.PlayMode != item.PlayMode)
            source.rangeSet = false;
        source.item = item;
        return source;
    }
    source = Source();
    source.item = item;
    source.path = scene.MediaPath(item.FilePath);
    // An item without a file shows nothing, and nothing failed.
    if (item.Mode == Item::MODE_MOVIE && !source.path.isEmpty())
        source.movie = std::make_shared<CMovieStream>(source.path);
    else if (item.Mode == Item::MODE_CAMERA)
        source.camera = Camera(item.CameraID, item.CameraImgW, item.CameraImgH);
    return source;
}

void CShowMedia::Update(const CViewerScene& scene, int64_t showUs, bool playing)
{
    std::set<ItemKey> sources;
    std::set<ItemKey> shapes;
    std::set<ItemKey> sounds;
    std::set<QString> pictures;
    for (const tagTL_FACE_DATA& face : scene.Faces()) {
        for (const Item& item : face.Items) {
            const int64_t start = StartUs(item);
            const int64_t end = EndUs(item);
            if (end <= showUs - kKeepBehindUs || start >= showUs + kPrepareAheadUs)
                continue;
            if (item.Mode == Item::MODE_SOUND || item.Mode == Item::MODE_MOVIE) {
                // A sound item, or a movie's own sound (a movie without one stays silent).
                sounds.insert({ item.FaceNo, item.Start });
                FollowSound(scene, item, showUs, playing);
                if (item.Mode == Item::MODE_SOUND)
                    continue;
            }
            const Item* sourceItem = SourceItem(scene, item);
            if (!sourceItem)
                continue;
            Source& source = SourceFor(scene, *sourceItem);
            sources.insert({ sourceItem->FaceNo, sourceItem->Start });
            shapes.insert({ item.FaceNo, item.Start });
            if (sourceItem->Mode == Item::MODE_IMAGE && !source.path.isEmpty())
                pictures.insert(source.path);
            if (UsesMaskPicture(item))
                pictures.insert(scene.MediaPath(item.MaskImage));
            if (source.movie && source.movie->GetState() == CMovieStream::State::Ready) {
                if (!source.rangeSet) {
                    source.range = ItemMediaRange::Of(source.item, source.movie->DurationUs());
                    source.movie->SetRange(source.range);
                    source.rangeSet = true;
                }
                // An item still to come is prepared from its first frame.
                const int64_t at = std::clamp(showUs, start, std::max(start, end - 1));
                const ItemMediaPosition position = MediaPositionAt(source.item, source.range, at);
                const bool moving = playing && showUs >= start && showUs < end && !position.ended;
                source.movie->Request(position.sequenceUs, moving);
            }
        }
    }
    std::erase_if(m_sources, [&sources](const auto& entry) { return !sources.count(entry.first); });
    std::erase_if(m_shapes, [&shapes](const auto& entry) { return !shapes.count(entry.first); });
    std::erase_if(m_sounds, [&sounds](const auto& entry) { return !sounds.count(entry.first); });
    std::erase_if(m_cameras, [](const auto& entry) { return entry.second.expired(); });
    m_pictures.KeepOnly(pictures);
}

void CShowMedia::FollowSound(const CViewerScene& scene, const Item& item, int64_t showUs, bool playing)
{
    const QString path = scene.MediaPath(item.FilePath);
    // Without an audio device a sound item's file is still opened, so that one that cannot be
    // is told as every other media file is; a movie's own sound is then left alone.
    if (path.isEmpty() || (m_audioDevice.isNull() && item.Mode != Item::MODE_SOUND))
        return;
    auto& output = m_sounds[{ item.FaceNo, item.Start }];
    const ItemMediaRange range = ItemMediaRange::Of(item, 0);
    if (!output)
        output = std::make_unique<CSoundOutput>(m_audioDevice, path, range);
    // A movie without sound stays silent; its picture tells whether its file can be read.
    if (item.Mode == Item::MODE_SOUND && output->HasFailed() && m_failedPaths.insert(path).second)
        m_failures << path;
    const bool active = showUs >= StartUs(item) && showUs < EndUs(item);
    // A fade changes the sound's gain with the picture's.
    const double gain = SoundGainOf(EffectsAt(item, double(showUs) / 10000.0));
    output->Follow(
        MediaPositionAt(item, range, showUs), playing && active, item.Volume * gain, item.Mute == 1);
}

VideoFramePtr CShowMedia::NoSignal(int cameraId)
{
    VideoFramePtr& frame = m_noSignal[cameraId];
    if (!frame)
        frame = CVideoFrame::FromImage(NoSignalPicture(cameraId, QSize(640, 360)));
    return frame;
}

VideoFramePtr CShowMedia::FrameOf(Source& source, int64_t showUs, QSize* pictureSize)
{
    const auto tellFailure = [this, &source]() {
        if (source.failureTold)
            return;
        source.failureTold = true;
        if (m_failedPaths.insert(source.path).second)
            m_failures << source.path;
    };
    if (source.item.Mode != Item::MODE_CAMERA && source.path.isEmpty())
        return nullptr;
    if (source.item.Mode == Item::MODE_IMAGE) {
        if (!source.picture) {
            QImage image;
            const CPictureLoader::State state = m_pictures.Get(source.path, &image);
            if (state == CPictureLoader::State::Failed)
                tellFailure();
            if (state != CPictureLoader::State::Ready)
                return nullptr;
            source.picture = CVideoFrame::FromImage(std::move(image));
        }
        *pictureSize = QSize(source.picture->width, source.picture->height);
        return source.picture;
    }
    if (source.item.Mode == Item::MODE_MOVIE) {
        const CMovieStream::State state = source.movie->GetState();
        if (state == CMovieStream::State::Failed)
            tellFailure();
        if (state != CMovieStream::State::Ready || !source.rangeSet)
            return nullptr;
        *pictureSize = source.movie->DisplaySize();
        return source.movie->FrameFor(MediaPositionAt(source.item, source.range, showUs).sequenceUs);
    }
    if (source.item.Mode == Item::MODE_CAMERA) {
        if (VideoFramePtr live = source.camera ? source.camera->Latest() : nullptr) {
            *pictureSize = QSize(live->width, live->height);
            return live;
        }
        // Without a signal the picture stands in at the camera's size, so the item's display
        // area and mask keep their meaning.
        *pictureSize = CameraPictureSize(source.item);
        return NoSignal(source.item.CameraID);
    }
    return nullptr;
}

const CShowMedia::Shape* CShowMedia::ShapeFor(const Item& shown, QSize pictureSize, const QString& maskPath)
{
    Shape& shape = m_shapes[{ shown.FaceNo, shown.Start }];
    if (shape.made && shape.pictureSize == pictureSize && SameShape(shape.item, shown))
        return &shape;
    QImage maskPicture;
    if (UsesMaskPicture(shown)) {
        const CPictureLoader::State state = m_pictures.Get(maskPath, &maskPicture);
        if (state == CPictureLoader::State::Pending)
            return nullptr;
        if (state == CPictureLoader::State::Failed && m_failedPaths.insert(maskPath).second)
            m_failures << maskPath;
    }
    shape.item = shown;
    shape.pictureSize = pictureSize;
    shape.shape = MakeItemShape(shown, pictureSize, maskPicture);
    shape.mask = shape.shape.mask.isNull() ? nullptr : std::make_shared<const QImage>(shape.shape.mask);
    shape.maskKey = m_nextMaskKey++;
    shape.made = true;
    return &shape;
}

std::vector<FaceLayer> CShowMedia::Layers(const CViewerScene& scene, int64_t showUs)
{
    std::vector<FaceLayer> layers;
    const int32_t time = int32_t(showUs / 10000);
    for (const tagTL_FACE_DATA& face : scene.Faces()) {
        if (face.Status != 1)
            continue;
        const Item* shown = CViewerScene::ItemAt(face, time);
        const Item* sourceItem = shown ? SourceItem(scene, *shown) : nullptr;
        if (!sourceItem)
            continue;
        const auto found = m_sources.find({ sourceItem->FaceNo, sourceItem->Start });
        if (found == m_sources.end())
            continue;
        QSize pictureSize;
        VideoFramePtr frame = FrameOf(found->second, showUs, &pictureSize);
        if (!frame || pictureSize.isEmpty())
            continue;
        const Shape* shape = ShapeFor(*shown, pictureSize, scene.MediaPath(shown->MaskImage));
        if (!shape)
            continue;
        // The shown item's own effects and filter (a LINK item has its own).
        const ItemEffects effects = EffectsAt(*shown, double(showUs) / 10000.0);
        if (effects.hidden)
            continue;
        FaceLayer layer;
        layer.entry = effects.entry;
        layer.exit = effects.exit;
        layer.filter = FilterOf(*shown);
        layer.aspect = shown->W > 0 && shown->H > 0 ? double(shown->W) / shown->H
                                                    : double(pictureSize.width()) / pictureSize.height();
        layer.faceNo = face.No;
        layer.quad = FaceQuad(face);
        layer.frame = std::move(frame);
        const QRectF area = shape->shape.shownArea;
        layer.shownArea = QRectF(area.x() / pictureSize.width(), area.y() / pictureSize.height(),
            area.width() / pictureSize.width(), area.height() / pictureSize.height());
        layer.mask = shape->mask;
        layer.maskKey = shape->maskKey;
        layers.push_back(std::move(layer));
    }
    return layers;
}

bool CShowMedia::IsReady(const CViewerScene& scene, int64_t showUs)
{
    const int32_t time = int32_t(showUs / 10000);
    for (const tagTL_FACE_DATA& face : scene.Faces()) {
        if (face.Status != 1)
            continue;
        const Item* shown = CViewerScene::ItemAt(face, time);
        const Item* sourceItem = shown ? SourceItem(scene, *shown) : nullptr;
        if (!sourceItem)
            continue;
        const auto found = m_sources.find({ sourceItem->FaceNo, sourceItem->Start });
        if (found == m_sources.end())
            return false;
        Source& source = found->second;
        // An item without a file waits for nothing.
        if (source.item.Mode != Item::MODE_CAMERA && source.path.isEmpty())
            continue;
        if (source.item.Mode == Item::MODE_IMAGE && !source.picture
            && m_pictures.Get(source.path, nullptr) == CPictureLoader::State::Pending)
            return false;
        if (source.item.Mode == Item::MODE_MOVIE) {
            const CMovieStream::State state = source.movie->GetState();
            if (state == CMovieStream::State::Opening)
                return false;
            if (state == CMovieStream::State::Ready
                && (!source.rangeSet
                    || !source.movie->IsReadyFor(
                        MediaPositionAt(source.item, source.range, showUs).sequenceUs)))
                return false;
        }
        if (UsesMaskPicture(*shown)
            && m_pictures.Get(scene.MediaPath(shown->MaskImage), nullptr) == CPictureLoader::State::Pending)
            return false;
    }
    return true;
}

bool CShowMedia::ShowsCamera(const CViewerScene& scene, int64_t showUs) const
{
    const int32_t time = int32_t(showUs / 10000);
    for (const tagTL_FACE_DATA& face : scene.Faces()) {
        const Item* shown = face.Status == 1 ? CViewerScene::ItemAt(face, time) : nullptr;
        const Item* sourceItem = shown ? SourceItem(scene, *shown) : nullptr;
        if (sourceItem && sourceItem->Mode == Item::MODE_CAMERA)
            return true;
    }
    return false;
}

QStringList CShowMedia::TakeFailures()
{
    return std::exchange(m_failures, {});
}
