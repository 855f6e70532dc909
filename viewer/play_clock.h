#pragma once

#include <chrono>
#include <cstdint>

// The show's play clock. While playing, the time is the time it was started from plus the wall
// clock time elapsed since, computed afresh on every reading (never summed up tick by tick), so
// it keeps in step with the wall clock however irregular the readings are. Times are hundredths
// of a second of the project; the clock counts microseconds inside.
class CPlayClock {
public:
    using Clock = std::chrono::steady_clock;

    // The play range: the clock starts from IN when it is before it, and at OUT it loops to IN
    // with LOOP on and otherwise stops there.
    void SetRange(int32_t in, int32_t out);
    void SetLoop(bool loop) { m_loop = loop; }
    bool Loop() const { return m_loop; }
    int32_t In() const { return m_in; }
    int32_t Out() const { return m_out; }

    // Starts from the current time (from IN when before it). At or after OUT it loops to IN
    // with LOOP on; otherwise the clock holds OUT and stays stopped.
    void Play(Clock::time_point now);
    // Stops, keeping the time reached.
    void Pause(Clock::time_point now);
    // Stops at exactly the given time.
    void Seek(int32_t time);

    // Brings the clock to `now` (looping or stopping at OUT) and returns its time.
    int32_t Advance(Clock::time_point now);
    // The time as of the last Advance, Play, Pause or Seek.
    int32_t Time() const { return ToHundredths(m_timeUs); }
    // The time in microseconds, for pictures that change within a hundredth.
    int64_t TimeUs() const { return m_timeUs; }
    bool IsPlaying() const { return m_playing; }
    // How often the clock went back to IN at OUT since it was last started.
    int64_t Laps() const { return m_laps; }

    static int32_t ToHundredths(int64_t us);

private:
    void Restart(Clock::time_point now);

    int32_t m_in = 0;
    int32_t m_out = 0;
    bool m_loop = false;
    bool m_playing = false;
    int64_t m_timeUs = 0;
    // While playing: the time at m_startWall. Looping moves it back by whole spans, so the wall
    // clock stays the only source of elapsed time.
    int64_t m_startUs = 0;
    Clock::time_point m_startWall {};
    int64_t m_laps = 0;
};
