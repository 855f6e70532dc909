#include "remote/remote_control_rules.h"

#include "remote/remote_codes.h"

#include <algorithm>
#include <limits>

CRemoteControlRules::CRemoteControlRules(const RemoteTickClock& clock, RemoteFrameSender& sender)
    : m_clock(clock)
    , m_sender(sender)
    , m_clockStamp(clock.TickCount())
{
}

int64_t CRemoteControlRules::ClampReceivedTime(int64_t value)
{
    return std::clamp<int64_t>(value, 0, std::numeric_limits<int32_t>::max());
}

void CRemoteControlRules::RestartClock(int64_t from)
{
    m_clockBase = from;
    m_clockStamp = m_clock.TickCount();
}

void CRemoteControlRules::StartPause()
{
    // Play starts where the slider was put: its seek goes out first, never after.
    SeekTick();
    m_playing = !m_playing;
    if (m_playing) {
        RestartClock(m_currentTime);
        m_sender.Broadcast(remote_code::kStart, m_currentTime);
    } else {
        // The editors answer the time request with their own time, which resets the clock.
        m_sender.Broadcast(remote_code::kPause, m_currentTime);
        m_sender.Broadcast(remote_code::kAskCurrentTime, m_currentTime);
    }
}

void CRemoteControlRules::Top()
{
    m_currentTime = 0;
    m_playing = false;
    m_pendingSeek = -1; // the seek to 0 replaces it
    m_sender.Broadcast(remote_code::kSeek, 0);
}

void CRemoteControlRules::ToggleGuide()
{
    m_guide = !m_guide;
    m_sender.Broadcast(m_guide ? remote_code::kGuideOn : remote_code::kGuideOff, m_currentTime);
}

void CRemoteControlRules::ToggleLoop()
{
    m_loop = !m_loop;
    m_sender.Broadcast(m_loop ? remote_code::kLoopOn : remote_code::kLoopOff, m_currentTime);
}

void CRemoteControlRules::ToggleScreen()
{
    m_screen = !m_screen;
    m_sender.Broadcast(m_screen ? remote_code::kScreenOn : remote_code::kScreenOff, m_currentTime);
}

bool CRemoteControlRules::TypeCurrentTime(int64_t time)
{
    if (m_playing || time < 0 || time >= m_playTime)
        return false;
    m_currentTime = time;
    m_pendingSeek = -1; // the typed time replaces it
    m_sender.Broadcast(remote_code::kSeek, time);
    return true;
}

void CRemoteControlRules::MoveSlider(int64_t position)
{
    if (m_playing || position == m_currentTime)
        return;
    m_currentTime = position;
    m_pendingSeek = position;
}

void CRemoteControlRules::PlayClockTick()
{
    if (!m_playing)
        return;
    const uint32_t now = m_clock.TickCount();
    // Unsigned difference: the wrap of the tick count does no harm.
    m_currentTime = m_clockBase + static_cast<uint32_t>(now - m_clockStamp) / 10;
    if (m_currentTime <= m_playTime)
        return;
    m_currentTime = m_playTime;
    if (m_loop) {
        m_currentTime = 0;
        m_clockBase = 0;
        m_clockStamp = now;
        m_sender.Broadcast(remote_code::kSeek, 0);
        m_sender.Broadcast(remote_code::kStart, 0);
    } else {
        m_playing = false;
    }
}

void CRemoteControlRules::SeekTick()
{
    if (m_pendingSeek < 0)
        return;
    m_sender.Broadcast(remote_code::kSeek, m_pendingSeek);
    m_pendingSeek = -1;
}

void CRemoteControlRules::Receive(int number, int64_t value)
{
    switch (number) {
    case kReceiveCurrentTime:
        m_currentTime = ClampReceivedTime(value);
        RestartClock(m_currentTime);
        break;
    case kReceivePlayTime:
        m_playTime = ClampReceivedTime(value);
        break;
    case kReceiveProjectTime:
        m_projectTime = ClampReceivedTime(value);
        break;
    case kReceiveAskCurrentTime:
        m_sender.Broadcast(remote_code::kReplyCurrentTime, m_currentTime);
        break;
    case kReceiveAskPlayTime:
        m_sender.Broadcast(remote_code::kReplyPlayTime, m_playTime);
        break;
    case kReceiveAskProjectTime:
        m_sender.Broadcast(remote_code::kReplyProjectTime, m_projectTime);
        break;
    case kReceiveAskGuide:
        m_sender.Broadcast(remote_code::kReplyGuide, m_guide ? 1 : 0);
        break;
    case kReceiveAskLoop:
        m_sender.Broadcast(remote_code::kReplyLoop, m_loop ? 1 : 0);
        break;
    case kReceiveAskScreen:
        m_sender.Broadcast(remote_code::kReplyScreen, m_screen ? 1 : 0);
        break;
    case kReceiveAskPlaying:
        m_sender.Broadcast(remote_code::kReplyPlaying, m_playing ? 1 : 0);
        break;
    default:
        break;
    }
}

void CRemoteControlRules::ResetForFirstClient()
{
    m_currentTime = 0;
    m_playTime = 0;
    m_projectTime = 0;
    m_playing = false;
    m_guide = false;
    m_loop = false;
    m_screen = false;
    m_pendingSeek = -1;
    RestartClock(0);
}

void CRemoteControlRules::ClientAccepted(uint64_t clientId, int connectedCount)
{
    if (connectedCount == 1) {
        // The first editor sets the times: ask for them, in this order.
        ResetForFirstClient();
        m_sender.SendTo(clientId, remote_code::kAskProjectTime, m_projectTime);
        m_sender.SendTo(clientId, remote_code::kAskPlayTime, m_playTime);
        m_sender.SendTo(clientId, remote_code::kAskCurrentTime, m_currentTime);
    } else {
        // A later editor whose play time differs leaves by itself on this.
        m_sender.SendTo(clientId, remote_code::kReplyPlayTime, m_playTime);
    }
}
