#pragma once

#include <cstdint>
#include <string_view>

// The system's millisecond tick count (wraps after 49.7 days).
class RemoteTickClock {
public:
    virtual ~RemoteTickClock() = default;
    virtual uint32_t TickCount() const = 0;
};

// Where the remote's frames go: to every connected editor, or to one.
class RemoteFrameSender {
public:
    virtual ~RemoteFrameSender() = default;
    virtual void Broadcast(std::string_view code, int64_t value) = 0;
    virtual void SendTo(uint64_t clientId, std::string_view code, int64_t value) = 0;
};

// What the remote's window does with its buttons, time field, slider, two 10 ms timers and the
// server's reports, kept apart from the widgets: the remote's own view of the editors' state
// (playing, GUIDE, LOOP, SCREEN), its three times and its play clock.
class CRemoteControlRules {
public:
    CRemoteControlRules(const RemoteTickClock& clock, RemoteFrameSender& sender);

    // Buttons and keys. TOP replaces a slider seek not yet sent; START/PAUSE sends it first.
    void StartPause();
    void Top();
    void ToggleGuide();
    void ToggleLoop();
    void ToggleScreen();

    // A time typed into the current-time field: taken while stopped and within 0 to the play
    // time (exclusive), replacing a slider seek not yet sent; false when refused, and the field
    // should show the current time again.
    bool TypeCurrentTime(int64_t time);

    // The user moved the slider. The seek goes out on the next SeekTick, so a drag sends at most
    // one seek per tick, with the latest position.
    void MoveSlider(int64_t position);

    // Timer 1: the play clock. Timer 2: the pending seek.
    void PlayClockTick();
    void SeekTick();

    // A report of the server: a frame of an editor (1 to 3, 11 to 17) or a client's end (100).
    void Receive(int number, int64_t value);
    // A client took a slot; connectedCount counts it with every other client connected then.
    void ClientAccepted(uint64_t clientId, int connectedCount);

    bool IsPlaying() const { return m_playing; }
    bool IsGuideOn() const { return m_guide; }
    bool IsLoopOn() const { return m_loop; }
    bool IsScreenOn() const { return m_screen; }
    int64_t CurrentTime() const { return m_currentTime; }
    int64_t PlayTime() const { return m_playTime; }
    int64_t ProjectTime() const { return m_projectTime; }
    int64_t PendingSeek() const { return m_pendingSeek; }

    // Received times fit 0 to 2147483647 hundredths before they are shown or used as a range.
    static int64_t ClampReceivedTime(int64_t value);

private:
    void RestartClock(int64_t from);
    void ResetForFirstClient();

    const RemoteTickClock& m_clock;
    RemoteFrameSender& m_sender;
    bool m_playing = false;
    bool m_guide = false;
    bool m_loop = false;
    bool m_screen = false;
    int64_t m_currentTime = 0;
    int64_t m_playTime = 0;
    int64_t m_projectTime = 0;
    int64_t m_clockBase = 0;
    uint32_t m_clockStamp = 0;
    int64_t m_pendingSeek = -1;
};
