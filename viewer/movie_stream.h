#pragma once

#include "viewer/item_timing.h"
#include "viewer/video_frame.h"

#include <QSize>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class CMovieDecodeState;

// One movie item's pictures, decoded on a thread of its own ahead of the show's clock. The
// show asks by sequence time (item_timing.h): the stream decodes the item's range from IN to
// OUT, going on from IN again after OUT when the item loops, into a short queue; the drawing
// side takes the frame whose time has come. A request back before what is queued starts a new
// generation: the queue is emptied and the thread seeks.
class CMovieStream {
public:
    enum class State { Opening, Ready, Failed };

    // Frames decoded ahead at most.
    static constexpr size_t kQueuedFrames = 8;

    // Starts opening the file on the stream's thread. `onPictureSent` is called on that thread
    // after each picture it hands to the decoder (the tests slow the decoding or hold it with it).
    explicit CMovieStream(QString path, std::function<void()> onPictureSent = {});
    ~CMovieStream();
    CMovieStream(const CMovieStream&) = delete;
    CMovieStream& operator=(const CMovieStream&) = delete;

    // Asks the thread to end after the frame it decodes; the destructor waits for it. Streams
    // closed together are asked first, so they end side by side.
    void RequestStop();

    State GetState() const;
    const QString& Path() const { return m_path; }
    // Known once the state is Ready.
    QSize DisplaySize() const;
    int64_t DurationUs() const;

    // The item's IN, OUT and loop; decoding starts once it is given. A change starts anew.
    void SetRange(const ItemMediaRange& range);
    // The sequence time the show stands at, and whether its clock runs on from there: the frame
    // for it is wanted and later ones are decoded ahead. A jump back starts anew; a jump ahead
    // is followed by the decoding thread, which while it is behind skips the frames nothing
    // depends on, hands over a frame now and then so the face moves, and seeks on to a later
    // key frame when one lies between its frames and where the clock will be.
    void Request(int64_t sequenceUs, bool playing = false);
    // The frame to show at the sequence time: the last decoded one at or before it (frames
    // before that are dropped). Until that one is decoded, the frame shown last.
    VideoFramePtr FrameFor(int64_t sequenceUs);
    // True when the frame for the sequence time is known: decoded, or nothing more will come.
    bool IsReadyFor(int64_t sequenceUs) const;
    // How far past the requested time the decoded frames reach (negative when behind).
    int64_t LeadUs() const;

private:
    void Run(std::stop_token stop);
    bool NeedsNewGeneration(int64_t sequenceUs) const;
    // Moves the frame shown on to the last one at or before the time; true when it moved.
    bool TakeFramesUpTo(int64_t sequenceUs);

    const QString m_path;
    const std::function<void()> m_onPictureSent;
    mutable std::mutex m_mutex;
    std::condition_variable_any m_wake;
    State m_state = State::Opening;
    QSize m_displaySize;
    int64_t m_durationUs = 0;
    ItemMediaRange m_range;
    bool m_hasRange = false;
    int64_t m_targetUs = 0;
    std::chrono::steady_clock::time_point m_requestedAt;
    bool m_playing = false;
    uint64_t m_generation = 0;
    std::deque<VideoFramePtr> m_queue;
    // Nothing more will be decoded in this generation (the end of a range that does not loop).
    bool m_endOfRange = false;
    VideoFramePtr m_shown;
    // The frame shown before the last new start, shown until the new one arrives.
    VideoFramePtr m_stale;
    std::jthread m_thread;
};
