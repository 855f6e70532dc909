#pragma once

#include "controls/gdi_slider_base.h"
#include "remote/remote_control_rules.h"
#include "remote/remote_server.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <map>
#include <vector>

class CLanguageIni;
class QLabel;

namespace controls::remote {
class CGdiButton;
class CGdiSliderCtrl;
class CMskEdit;
} // namespace controls::remote

// The remote's one working window: transport buttons, the three times, the seek slider, this
// computer's address and the status line. It owns the server, turns button presses into frames
// for every editor and runs the play clock; what it does lives in CRemoteControlRules, and this
// widget only shows that state and passes the user's actions and the server's reports on.
class CKaleidraRemoteView : public QWidget, public CSliderOwner {
    Q_OBJECT

public:
    // The form's size in pixels; the layout scales from it.
    static constexpr int kFormWidth = 385;
    static constexpr int kFormHeight = 300;

    CKaleidraRemoteView(
        const CLanguageIni& language, RemoteServerOptions serverOptions, QWidget* parent = nullptr);
    ~CKaleidraRemoteView() override;

    // First showing: texts, images, the server, the layout and the two timers.
    void OnInitialUpdate();

    void OnStartPause();
    void OnTop();
    void OnGuide();
    void OnLoop();
    void OnScreen();
    void OnStartServer();
    // Takes the time the user typed into the current-time field.
    void OnKillFocusNowTime();
    void OnShowConnectList();

    void OnRemoteReceive(int number, const RemoteEvent& event);
    void OnRemoteAccept(int slotIndex, const RemoteClientSlot& client, int connectedCount);
    void OnRemoteServerFailed(const QString& reason);

    void UpdateButtonImages();
    void UpdateDisplay();

    QString StatusText() const;
    const RemoteServer& Server() const { return m_server; }
    const CRemoteControlRules& Rules() const { return m_rules; }
    bool IsServerRunning() const { return m_serverRunning; }
    QSize sizeHint() const override { return QSize(kFormWidth, kFormHeight); }

protected:
    void OnSliderHScroll(CGdiSliderBase& slider, int code, int position) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    class CServerBridge : public RemoteServerOwner {
    public:
        explicit CServerBridge(CKaleidraRemoteView& view)
            : m_view(view)
        {
        }
        void RemoteAccepted(int slotIndex, const RemoteClientSlot& client, int connectedCount) override;
        void RemoteReceived(int number, const RemoteEvent& event, RemoteFrameHold hold) override;
        void RemoteServerFailed(const QString& reason) override;

    private:
        CKaleidraRemoteView& m_view;
    };

    class CServerSender : public RemoteFrameSender {
    public:
        explicit CServerSender(RemoteServer& server)
            : m_server(server)
        {
        }
        void Broadcast(std::string_view code, int64_t value) override;
        void SendTo(uint64_t clientId, std::string_view code, int64_t value) override;

    private:
        RemoteServer& m_server;
    };

    class CSystemTickClock : public RemoteTickClock {
    public:
        CSystemTickClock() { m_started.start(); }
        uint32_t TickCount() const override { return static_cast<uint32_t>(m_started.elapsed()); }

    private:
        QElapsedTimer m_started;
    };

    struct Placement {
        QWidget* control;
        QRect form; // in form pixels
    };

    void CreateControls();
    void LoadButtonImages();
    void ApplyColoursAndFonts();
    void Layout(const QSize& client);
    bool HandleKey(QObject* watched, const QKeyEvent& key);
    void PlayClockTick();
    const QImage& Image(int key) const;

    const CLanguageIni& m_language;
    CServerBridge m_bridge { *this }; // outlives the server's threads
    RemoteServer m_server;
    CSystemTickClock m_clock;
    CServerSender m_sender { m_server };
    CRemoteControlRules m_rules { m_clock, m_sender };
    bool m_serverRunning = false;
    bool m_layoutReady = false;
    bool m_nowTimeEdited = false; // the user changed the current-time field since it was taken

    std::map<int, QImage> m_images;
    QImage m_empty;
    QTimer m_playClockTimer;
    QTimer m_seekTimer;

    QLabel* m_ipAddress = nullptr;
    QLabel* m_status = nullptr;
    controls::remote::CGdiButton* m_startPause = nullptr;
    controls::remote::CGdiButton* m_top = nullptr;
    controls::remote::CGdiButton* m_guide = nullptr;
    controls::remote::CGdiButton* m_loop = nullptr;
    controls::remote::CGdiButton* m_screen = nullptr;
    std::vector<QLabel*> m_labels; // the plain texts: button captions and time captions
    controls::remote::CMskEdit* m_nowTime = nullptr;
    controls::remote::CMskEdit* m_playTime = nullptr;
    controls::remote::CMskEdit* m_projectTime = nullptr;
    controls::remote::CGdiSliderCtrl* m_slider = nullptr;
    std::vector<Placement> m_placements;
};
