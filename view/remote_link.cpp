#include "view/remote_link.h"

#include "core/message_catalog.h"
#include "platform/paths.h"

namespace {

enum : int { kMsgTooManyClients = 80, kMsgPlayTimeDiffers = 81, kMsgConnectFailed = 82, kMsgHostFailed = 87 };

} // namespace

RemoteActionRow RemoteActionOf(int messageCode)
{
    switch (messageCode) {
    case 1:
        return { RemoteAction::Start };
    case 2:
        return { RemoteAction::Pause };
    case 3:
        return { RemoteAction::TopOrSeek };
    case 4:
    case 5:
        return { RemoteAction::Guide, messageCode == 4 };
    case 6:
    case 7:
        return { RemoteAction::Loop, messageCode == 6 };
    case 8:
    case 9:
        return { RemoteAction::Screen, messageCode == 8 };
    case 50:
        return { RemoteAction::AnswerCurrentTime };
    case 51:
        return { RemoteAction::AnswerPlayLength };
    case 52:
        return { RemoteAction::AnswerProjectTime };
    case 61:
        return { RemoteAction::CheckPlayTime };
    case kEditorConnectionLost:
        return { RemoteAction::LinkLost };
    case 101:
        return { RemoteAction::Refused };
    default:
        return {};
    }
}

QString FormatRemoteTime(int64_t hundredths)
{
    return QString::asprintf("%d:%02d:%02d:%02d", int(hundredths / 360000), int(hundredths / 6000 % 60),
        int(hundredths / 100 % 60), int(hundredths % 100));
}

CRemoteLink::CRemoteLink(CRemoteLinkView& view, CMessageCatalog& messages, RemoteClientOptions options)
    : m_view(view)
    , m_messages(messages)
    , m_client(*this, std::move(options))
{
}

CRemoteLink::~CRemoteLink()
{
    // A remote-control program started from the editor keeps running when the editor closes.
    m_host.Detach();
}

bool CRemoteLink::ConnectHost(const QString& address, uint16_t port)
{
    if (m_client.IsConnected())
        m_client.Disconnect();
    if (!m_client.Connect(address, port)) {
        if (m_linkState != kNotConnected) {
            m_linkState = kNotConnected;
            m_view.RemoteLinkChanged(false);
        }
        m_view.RemoteShowMessage(m_messages.GetMessage(kMsgConnectFailed));
        return false;
    }
    m_linkState = kConnected;
    m_view.RemoteLinkChanged(true);
    return true;
}

void CRemoteLink::DisconnectHost()
{
    m_client.Disconnect();
    if (m_linkState == kNotConnected)
        return;
    m_linkState = kNotConnected;
    m_view.RemoteLinkChanged(false);
}

bool CRemoteLink::StartRemoteHost(const QString& programFolder)
{
    if (m_host.Start(platform::JoinPath(programFolder, QStringLiteral("KaleidraRemote")), {}))
        return true;
    m_view.RemoteShowMessage(m_messages.GetMessage(kMsgHostFailed));
    return false;
}

bool CRemoteLink::IsHostRunning()
{
    return m_host.IsRunning();
}

void CRemoteLink::OnRemoteMessage(int messageCode, const RemoteFrame& frame)
{
    HandleRemoteMessage(messageCode, frame);
}

void CRemoteLink::HandleRemoteMessage(int messageCode, const RemoteFrame& frame)
{
    const RemoteActionRow row = RemoteActionOf(messageCode);
    switch (row.action) {
    case RemoteAction::Ignore:
        break;
    // The remote sends START only while it thinks the show stands and PAUSE only while it thinks
    // it plays; acting on a state the show is in already would turn it the other way.
    case RemoteAction::Start:
        if (!m_view.IsPlaying())
            m_view.RemoteStartPause();
        break;
    case RemoteAction::Pause:
        if (m_view.IsPlaying())
            m_view.RemoteStartPause();
        break;
    case RemoteAction::TopOrSeek:
        if (frame.value == 0)
            m_view.RemoteTop();
        else
            m_view.RemoteSeek(int32_t(frame.value));
        break;
    case RemoteAction::Guide:
        m_view.RemoteSetGuide(row.on);
        break;
    case RemoteAction::Loop:
        m_view.RemoteSetLoop(row.on);
        break;
    case RemoteAction::Screen:
        m_view.RemoteSetScreen(row.on);
        break;
    case RemoteAction::AnswerCurrentTime:
        m_client.SendTime(m_view.RemoteCurrentTime());
        break;
    case RemoteAction::AnswerPlayLength:
        m_client.SendLength(m_view.RemotePlayLength());
        break;
    case RemoteAction::AnswerProjectTime:
        m_client.SendValue3(m_view.RemoteProjectTime());
        break;
    case RemoteAction::CheckPlayTime:
        if (frame.value != m_view.RemotePlayTimeField()) {
            DisconnectHost();
            m_view.RemoteShowMessage(
                m_messages.FormatMessage(kMsgPlayTimeDiffers, { FormatRemoteTime(frame.value) }));
        }
        break;
    case RemoteAction::LinkLost:
        DisconnectHost();
        break;
    case RemoteAction::Refused:
        DisconnectHost();
        m_view.RemoteShowMessage(m_messages.FormatMessage(kMsgTooManyClients, { qint64(frame.value) }));
        break;
    }
}
