#pragma once

#include "core/pm_param_block.h"

#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <deque>
#include <optional>

// The corners of a face in the order the block carries them: x1, y1, x2, y2, x3, y3, x4, y4
// (top-left, top-right, bottom-right, bottom-left), in output pixels.
using FaceCorners = std::array<int32_t, 8>;

// One reply to the editor: its kind and the texts of its cells (the rest stay empty).
struct ViewerReply {
    int32_t kind = 0;
    std::array<QString, kPmReplyCells> cells;

    static ViewerReply FaceClicked(int32_t faceNo);
    static ViewerReply Corners(int32_t faceNo, const FaceCorners& corners);
    static ViewerReply Key(int32_t code);
    static ViewerReply Minimised(bool minimised);
    // severity 1 warning, 2 error, other values information.
    static ViewerReply Message(int32_t severity, bool show, const QString& text);
};

// What the viewer does for each request of the editor.
class CViewerChannelOwner {
public:
    virtual ~CViewerChannelOwner() = default;

    // Project flag 1: load the project XML at the path, its tree lying under the work folder.
    virtual void LoadProject(const QString& projectXmlPath, const QString& workFolder) = 0;
    // Project flag 2: the project file's times changed.
    virtual void ReloadTimes() = 0;

    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Seek(int32_t time) = 0;
    virtual void SetGuide(bool on) = 0;
    virtual void SetLoop(bool on) = 0;
    virtual void SetScreen(bool on, int32_t viewerMode) = 0;
    virtual void Quit() = 0;

    // Data kinds 0 (added), 2 (changed) and 3 (selected).
    virtual void FaceData(int32_t kind, int32_t faceNo) = 0;

    // Query 1; false when the face is unknown.
    virtual bool GetFaceCorners(int32_t faceNo, FaceCorners& corners) = 0;
    // Query 2.
    virtual void SetFaceCorners(int32_t faceNo, const FaceCorners& corners) = 0;
    // Query 3: the output window's place on the desktop, also while it is hidden.
    virtual QRect WindowRect() const = 0;

    // The playback time to publish, hundredths of a second.
    virtual int32_t PlaybackTime() = 0;
};

// The viewer's side of the shared block. Each pass takes the project flag first, then the
// command, the data and the query, each flag cleared only once its area was read or its answer
// written, and then hands the editor the next queued reply when the reply area is free.
class CViewerChannel {
public:
    // Replies waiting for the editor beyond this are dropped (the newest first).
    static constexpr size_t kMaxQueuedReplies = 256;

    CViewerChannel(PmParamBlock& block, CViewerChannelOwner& owner);

    // Runs one pass. Returns false once the quit command was taken.
    bool Poll();

    // Queues a reply. A corners reply replaces one of the same face still waiting, so a drag
    // leaves one reply with its last corners.
    void QueueReply(ViewerReply reply);
    size_t QueuedReplies() const { return m_replies.size(); }
    // True while a corners reply of the face waits or stands unread in the reply area: the
    // face's corners in the files are older than the viewer's until the editor took it.
    bool CornersPending(int32_t faceNo) const;

    // Publishes the playback time (offset 5160).
    void PublishTime(int32_t time);

    // Values the editor keeps in the block for the viewer to read when it needs them.
    int32_t ResoMode() const;
    QString DisplayName() const;
    QString Version() const;

private:
    void TakeProject();
    bool TakeCommand();
    void TakeData();
    void TakeQuery();
    void GiveReply();

    PmParamBlock& m_block;
    CViewerChannelOwner& m_owner;
    std::deque<ViewerReply> m_replies;
    // The reply last written, until the editor cleared the reply flag.
    std::optional<ViewerReply> m_standing;
    bool m_quit = false;
};
