#include "view/kaleidra_view.h"

#include "controls/gdi_button.h"
#include "controls/msk_edit.h"
#include "platform/dialog_service.h"
#include "platform/known_folders.h"
#include "timeline/time_line.h"
#include "view/kaleidra_doc.h"
#include "view/main_menu.h"

#include <QAction>
#include <QMenuBar>

namespace c = menu_command;

// The remote link of the view: the remote-control program drives the show through the same
// handlers as the transport buttons, which are disabled meanwhile, and asks for the view's times.

CRemoteLink& CKaleidraView::RemoteLink()
{
    if (!m_remoteLink)
        m_remoteLink = std::make_unique<CRemoteLink>(static_cast<CRemoteLinkView&>(*this), Messages());
    return *m_remoteLink;
}

int CKaleidraView::RemoteLinkState() const
{
    return m_remoteLink ? m_remoteLink->LinkState() : CRemoteLink::kNotConnected;
}

bool CKaleidraView::OnConnect()
{
    if (!IsProjectOpen())
        return false;
    return RemoteLink().ConnectHost(m_document.SrvIPAdd, m_remotePort);
}

void CKaleidraView::OnDisconnect()
{
    if (m_remoteLink)
        m_remoteLink->DisconnectHost();
}

bool CKaleidraView::OnStartHost()
{
    if (!RemoteLink().CanStartHost())
        return false;
    return RemoteLink().StartRemoteHost(platform::ProgramFolder());
}

// ---- What the remote asks of the view --------------------------------------------------------------

bool CKaleidraView::IsPlaying() const
{
    return m_timeLine && m_timeLine->IsPlaying();
}

void CKaleidraView::RemoteStartPause()
{
    if (IsProjectOpen())
        OnStartPause();
}

void CKaleidraView::RemoteTop()
{
    if (IsProjectOpen())
        OnTop();
}

void CKaleidraView::RemoteSeek(int32_t time)
{
    if (!IsProjectOpen())
        return;
    SetNowTime(time);
    SeekToCurrentTime();
}

void CKaleidraView::RemoteSetGuide(bool on)
{
    if (!IsProjectOpen() || !m_guideButton)
        return;
    m_guideButton->SetCheckState(on ? 1 : 0);
    m_guideButton->update();
    OnGuide();
}

void CKaleidraView::RemoteSetLoop(bool on)
{
    if (!IsProjectOpen() || !m_loopButton)
        return;
    m_loopButton->SetCheckState(on ? 1 : 0);
    m_loopButton->update();
    OnLoop();
}

void CKaleidraView::RemoteSetScreen(bool on)
{
    if (!IsProjectOpen() || !m_screenButton)
        return;
    m_screenButton->SetCheckState(on ? 1 : 0);
    m_screenButton->update();
    OnScreen();
}

int32_t CKaleidraView::RemoteCurrentTime() const
{
    return NowTime();
}

int32_t CKaleidraView::RemotePlayLength() const
{
    return m_timeLine ? m_timeLine->OutPosition() - m_timeLine->InPosition() : 0;
}

int32_t CKaleidraView::RemotePlayTimeField() const
{
    return PlayTime();
}

int32_t CKaleidraView::RemoteProjectTime() const
{
    return ProjectTime();
}

void CKaleidraView::RemoteLinkChanged(bool connected)
{
    // While linked the remote indicator stands in START/PAUSE's place and the transport is the
    // remote's; afterwards the buttons come back as far as a project is open.
    const bool transport = !connected && IsProjectOpen();
    if (m_remoteButton) {
        if (m_startPauseButton)
            m_remoteButton->setGeometry(m_startPauseButton->geometry());
        m_remoteButton->setVisible(connected);
    }
    if (m_startPauseButton) {
        m_startPauseButton->setEnabled(transport);
        m_startPauseButton->setVisible(!connected);
    }
    for (CGdiButton* button : { m_topButton, m_screenButton, m_guideButton, m_loopButton }) {
        if (button)
            button->setEnabled(transport);
    }
    if (m_timeLine) {
        m_timeLine->SetRemoteConnected(connected);
        m_timeLine->update();
    }
}

void CKaleidraView::RemoteShowMessage(const QString& text)
{
    ShowMessage(text, platform::MB_OK | platform::MB_ICONWARNING);
}

// ---- Menu -----------------------------------------------------------------------------------------------

void CKaleidraView::ConnectPackageAndRemoteCommands()
{
    QMenuBar* menuBar = MenuBar();
    for (const int id : { c::kExport, c::kImport, c::kRemoteConnect, c::kRemoteDisconnect, c::kRemoteHost }) {
        if (QAction* action = FindMenuCommand(*menuBar, id))
            connect(action, &QAction::triggered, this, [this, id] { RunMenuCommand(id); });
    }
}

bool CKaleidraView::RunPackageOrRemoteCommand(int commandId)
{
    switch (commandId) {
    case c::kExport:
        OnCreatePackage();
        return true;
    case c::kImport:
        OnExpandPackage();
        return true;
    case c::kRemoteConnect:
        if (IsProjectOpen() && RemoteLinkState() == CRemoteLink::kNotConnected)
            OnConnect();
        return true;
    case c::kRemoteDisconnect:
        OnDisconnect();
        return true;
    case c::kRemoteHost:
        OnStartHost();
        return true;
    default:
        return false;
    }
}

void CKaleidraView::UpdatePackageAndRemoteMenuStates()
{
    QMenuBar* menuBar = MenuBar();
    const bool open = IsProjectOpen();
    const auto set = [&](int id, bool enabled) {
        if (QAction* action = FindMenuCommand(*menuBar, id))
            action->setEnabled(enabled);
    };
    set(c::kExport, true);
    set(c::kImport, true);
    set(c::kRemoteConnect, open && RemoteLinkState() == CRemoteLink::kNotConnected);
    set(c::kRemoteDisconnect, open && RemoteLinkState() != CRemoteLink::kNotConnected);
    set(c::kRemoteHost, RemoteLink().CanStartHost());
}
