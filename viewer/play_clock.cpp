#include "viewer/play_clock.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int64_t kUsPerHundredth = 10000;

int64_t ToUs(int32_t hundredths)
{
    return int64_t(hundredths) * kUsPerHundredth;
}

} // namespace

int32_t CPlayClock::ToHundredths(int64_t us)
{
    // Floor, so that a time just before a boundary never reads as the boundary.
    int64_t hundredths = us / kUsPerHundredth;
    if (us % kUsPerHundredth < 0)
        --hundredths;
    return int32_t(std::clamp<int64_t>(
        hundredths, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

void CPlayClock::SetRange(int32_t in, int32_t out)
{
    m_in = in;
    m_out = out;
}

void CPlayClock::Restart(Clock::time_point now)
{
    m_startUs = m_timeUs;
    m_startWall = now;
}

void CPlayClock::Play(Clock::time_point now)
{
    if (m_playing)
        return;
    m_laps = 0;
    if (m_timeUs < ToUs(m_in))
        m_timeUs = ToUs(m_in);
    if (m_timeUs >= ToUs(m_out)) {
        if (!m_loop || m_out <= m_in) {
            m_timeUs = ToUs(m_out);
            return;
        }
        m_timeUs = ToUs(m_in);
    }
    m_playing = true;
    Restart(now);
}

void CPlayClock::Pause(Clock::time_point now)
{
    if (!m_playing)
        return;
    Advance(now);
    m_playing = false;
}

void CPlayClock::Seek(int32_t time)
{
    m_playing = false;
    m_timeUs = ToUs(time);
}

int32_t CPlayClock::Advance(Clock::time_point now)
{
    if (!m_playing)
        return Time();
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - m_startWall).count();
    m_timeUs = m_startUs + std::max<int64_t>(elapsed, 0);
    const int64_t outUs = ToUs(m_out);
    if (m_timeUs >= outUs) {
        const int64_t spanUs = outUs - ToUs(m_in);
        if (!m_loop || spanUs <= 0) {
            m_timeUs = outUs;
            m_playing = false;
        } else {
            // Whole spans go back, so the part past OUT carries over into the next lap.
            const int64_t laps = (m_timeUs - ToUs(m_in)) / spanUs;
            m_startUs -= laps * spanUs;
            m_timeUs -= laps * spanUs;
            m_laps += laps;
        }
    }
    return Time();
}
