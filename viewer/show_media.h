#pragma once

#include "viewer/face_layer.h"
#include "viewer/item_shape.h"
#include "viewer/item_timing.h"
#include "viewer/picture_loader.h"

#include <QAudioDevice>
#include <QStringList>
#include <map>
#include <memory>
#include <set>
#include <utility>

class CCameraSource;
class CMovieStream;
class CSoundOutput;
class CViewerScene;

// The media behind the faces: pictures read by the loader, a decoding stream per movie item,
// one reader per camera, one output per sound item. Update keeps them in line with the scene
// around the show's time, opening what plays now or soon (so a movie's first frame is decoded
// before its item starts) and closing what no longer plays; Layers then gives each shown face
// its picture for the time.
class CShowMedia {
public:
    // Items starting within this time are prepared ahead; items that ended longer ago are closed.
    static constexpr int64_t kPrepareAheadUs = 2'000'000;
    static constexpr int64_t kKeepBehindUs = 500'000;

    // Without an audio device (a null one) sound items stay silent.
    explicit CShowMedia(QAudioDevice audioDevice = {});
    ~CShowMedia();
    CShowMedia(const CShowMedia&) = delete;
    CShowMedia& operator=(const CShowMedia&) = delete;

    void Update(const CViewerScene& scene, int64_t showUs, bool playing);
    std::vector<FaceLayer> Layers(const CViewerScene& scene, int64_t showUs);
    // True when every face shown at the time has its picture (a movie the frame of exactly that
    // time); media that cannot be read count as ready.
    bool IsReady(const CViewerScene& scene, int64_t showUs);
    // True when a face shows a live camera at the time: its picture changes by itself.
    bool ShowsCamera(const CViewerScene& scene, int64_t showUs) const;
    // Paths of media that could not be read, each told once: leaving an item and coming back
    // to it (a loop pass, a seek) and other items of the same file tell nothing more.
    QStringList TakeFailures();
    // Drops the media (the project is loaded anew). The paths already told stay told, so that
    // the reload after an edit of the same project repeats no message.
    void Clear();
    // A path told before is told again when it fails again (another project was loaded).
    void ForgetToldFailures();

private:
    using ItemKey = std::pair<int32_t, int32_t>; // face number, Start

    struct Source {
        tagTL_FACE_ITEM_DATA item; // the source item (for a LINK item: the item it follows)
        QString path;
        std::shared_ptr<CMovieStream> movie;
        std::shared_ptr<CCameraSource> camera;
        VideoFramePtr picture; // a picture's one frame, uploaded once
        ItemMediaRange range;
        bool rangeSet = false;
        bool failureTold = false;
    };
    struct Shape {
        tagTL_FACE_ITEM_DATA item; // the item shown (for a LINK item: the LINK item itself)
        QSize pictureSize;
        ItemShape shape;
        std::shared_ptr<const QImage> mask;
        uint64_t maskKey = 0;
        bool made = false;
    };

    // The item whose media a shown item uses: itself, or for a LINK item the item of the
    // linked face with the same Start.
    static const tagTL_FACE_ITEM_DATA* SourceItem(
        const CViewerScene& scene, const tagTL_FACE_ITEM_DATA& item);
    Source& SourceFor(const CViewerScene& scene, const tagTL_FACE_ITEM_DATA& source);
    std::shared_ptr<CCameraSource> Camera(int cameraId, int width, int height);
    VideoFramePtr FrameOf(Source& source, int64_t showUs, QSize* pictureSize);
    // Nothing while the mask picture is still being read.
    const Shape* ShapeFor(const tagTL_FACE_ITEM_DATA& shown, QSize pictureSize, const QString& maskPath);
    VideoFramePtr NoSignal(int cameraId);
    void FollowSound(
        const CViewerScene& scene, const tagTL_FACE_ITEM_DATA& item, int64_t showUs, bool playing);
    static bool SameSource(const tagTL_FACE_ITEM_DATA& a, const tagTL_FACE_ITEM_DATA& b);
    static bool SameShape(const tagTL_FACE_ITEM_DATA& a, const tagTL_FACE_ITEM_DATA& b);

    QAudioDevice m_audioDevice;
    CPictureLoader m_pictures;
    std::map<ItemKey, Source> m_sources;
    std::map<ItemKey, Shape> m_shapes;
    std::map<ItemKey, std::unique_ptr<CSoundOutput>> m_sounds;
    std::map<int, std::weak_ptr<CCameraSource>> m_cameras; // by camera number
    std::map<int, VideoFramePtr> m_noSignal;
    QStringList m_failures;
    std::set<QString> m_failedPaths;
    uint64_t m_nextMaskKey = 1;
};
