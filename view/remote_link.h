#pragma once

#include "platform/child_process.h"
#include "view/remote_client.h"

#include <QString>
#include <cstdint>

class CMessageCatalog;

// What the view does for each command number of the remote.
enum class RemoteAction {
    Ignore,
    Start, // "PM_R01": start or resume, only when the show is not playing
    Pause, // "PM_R02": pause, only when the show is playing
    TopOrSeek, // "PM_R05": value 0 goes to the top, any other value seeks there
    Guide, // "PM_R06"/"PM_R07"
    Loop, // "PM_R08"/"PM_R09"
    Screen, // "PM_R12"/"PM_R13"
    AnswerCurrentTime, // "PM_R03": "PM_S01" with the current time
    AnswerPlayLength, // "PM_R04": "PM_S02" with OUT - IN
    AnswerProjectTime, // "PM_R10": "PM_S03" with the project time
    CheckPlayTime, // "PM_R51": leave when the remote's play time differs
    LinkLost, // the connection has ended
    Refused, // "PM_R11": the remote takes no more editors
};

struct RemoteActionRow {
    RemoteAction action = RemoteAction::Ignore;
    bool on = false; // for GUIDE, LOOP and SCREEN: switched on
};

// The action for a command number; Ignore for "PM_R50", "PM_R52" to "PM_R56" and anything else.
RemoteActionRow RemoteActionOf(int messageCode);

// "%d:%02d:%02d:%02d" of hours, minutes, seconds and hundredths.
QString FormatRemoteTime(int64_t hundredths);

// What the view gives the remote link: its transport commands, its times, and the signs of a
// link (the remote indicator in place of START/PAUSE, the transport buttons disabled, the
// timeline's remote flag). Called on the window's thread.
class CRemoteLinkView {
public:
    virtual ~CRemoteLinkView() = default;

    // The timeline's playing flag.
    virtual bool IsPlaying() const = 0;
    // The START/PAUSE command, TOP, and a seek: the current-time field set to the time and the
    // show moved there.
    virtual void RemoteStartPause() = 0;
    virtual void RemoteTop() = 0;
    virtual void RemoteSeek(int32_t time) = 0;
    // Sets the button on or off and runs its command.
    virtual void RemoteSetGuide(bool on) = 0;
    virtual void RemoteSetLoop(bool on) = 0;
    virtual void RemoteSetScreen(bool on) = 0;
    // The current-time field (time since IN), OUT - IN, the play-time field, the project-time
    // field.
    virtual int32_t RemoteCurrentTime() const = 0;
    virtual int32_t RemotePlayLength() const = 0;
    virtual int32_t RemotePlayTimeField() const = 0;
    virtual int32_t RemoteProjectTime() const = 0;
    // The link came up (true) or ended (false).
    virtual void RemoteLinkChanged(bool connected) = 0;
    // A message in the editor's message box.
    virtual void RemoteShowMessage(const QString& text) = 0;
};

// The view's remote link: the Connect, Disconnect and Start host commands with their enable
// rules, and the view's action for every frame the remote sends.
class CRemoteLink : private CRemoteClientOwner {
public:
    static constexpr int kNotConnected = 0;
    static constexpr int kConnected = 1;

    CRemoteLink(CRemoteLinkView& view, CMessageCatalog& messages, RemoteClientOptions options = {});
    ~CRemoteLink() override;

    int LinkState() const { return m_linkState; }

    // Connect: closes a link that is up, connects to the address (the settings' "SrvIPAdd") on
    // the port and tells the view; message 82 when that fails.
    bool ConnectHost(const QString& address, uint16_t port = kRemotePort);
    // Disconnect: closes the link and tells the view; nothing when there is none.
    void DisconnectHost();
    // Start host: starts KaleidraRemote from the program folder; message 87 when it cannot.
    bool StartRemoteHost(const QString& programFolder);
    bool IsHostRunning();

    // Enable rules of the three commands.
    bool CanConnect(bool projectOpen) const { return projectOpen && m_linkState == kNotConnected; }
    bool CanDisconnect(bool projectOpen) const { return projectOpen && m_linkState != kNotConnected; }
    bool CanStartHost() { return m_linkState == kNotConnected && !IsHostRunning(); }

    // The view's action for a command number and its frame.
    void HandleRemoteMessage(int messageCode, const RemoteFrame& frame);

    RemoteClient& Client() { return m_client; }

private:
    void OnRemoteMessage(int messageCode, const RemoteFrame& frame) override;

    CRemoteLinkView& m_view;
    CMessageCatalog& m_messages;
    RemoteClient m_client;
    platform::CChildProcess m_host;
    int m_linkState = kNotConnected;
};
