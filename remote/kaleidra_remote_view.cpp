#include "remote/kaleidra_remote_view.h"

#include "controls/remote_gdi_button.h"
#include "controls/remote_gdi_slider_ctrl.h"
#include "controls/remote_msk_edit.h"
#include "platform/queued_call.h"
#include "platform/wait_cursor.h"
#include "remote/dlg_ip_list.h"
#include "remote/language_ini.h"
#include "remote/remote_codes.h"
#include "remote/remote_images.h"
#include "remote/remote_messages.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <algorithm>

using controls::Rgb;
using controls::ToQColor;

namespace {

const QColor kFormBack(128, 128, 128);
const QColor kValueBack(70, 70, 70);
const QColor kFrameLine(51, 51, 51);
constexpr COLORREF kHighlightText = Rgb(244, 211, 112);

void SetTextColours(QLabel& label, const QColor& text, const std::optional<QColor>& back)
{
    QPalette colours = label.palette();
    colours.setColor(QPalette::WindowText, text);
    if (back)
        colours.setColor(QPalette::Window, *back);
    label.setPalette(colours);
    label.setAutoFillBackground(back.has_value());
}

} // namespace

// The server's threads hand each report over as a copy, queued to the window's thread; a report
// that arrives after the window has gone is dropped by Qt with the window. A frame stays held
// until the window has handled it (or dropped it), which paces the client's reader.
void CKaleidraRemoteView::CServerBridge::RemoteAccepted(
    int slotIndex, const RemoteClientSlot& client, int connectedCount)
{
    CKaleidraRemoteView* view = &m_view;
    platform::QueueCall(view, [view, slotIndex, client, connectedCount] {
        view->OnRemoteAccept(slotIndex, client, connectedCount);
    });
}

void CKaleidraRemoteView::CServerBridge::RemoteReceived(
    int number, const RemoteEvent& event, RemoteFrameHold hold)
{
    CKaleidraRemoteView* view = &m_view;
    platform::QueueCall(view, [view, number, event, hold = std::move(hold)]() mutable {
        view->OnRemoteReceive(number, event);
        hold.Release();
    });
}

void CKaleidraRemoteView::CServerBridge::RemoteServerFailed(const QString& reason)
{
    CKaleidraRemoteView* view = &m_view;
    platform::QueueCall(view, [view, reason] { view->OnRemoteServerFailed(reason); });
}

void CKaleidraRemoteView::CServerSender::Broadcast(std::string_view code, int64_t value)
{
    m_server.Broadcast(code, value);
}

void CKaleidraRemoteView::CServerSender::SendTo(uint64_t clientId, std::string_view code, int64_t value)
{
    m_server.SendTo(code, value, clientId);
}

CKaleidraRemoteView::CKaleidraRemoteView(
    const CLanguageIni& language, RemoteServerOptions serverOptions, QWidget* parent)
    : QWidget(parent)
    , m_language(language)
    , m_server(std::move(serverOptions))
{
    LoadButtonImages();
    CreateControls();
    m_playClockTimer.setTimerType(Qt::PreciseTimer);
    m_playClockTimer.setInterval(kRemoteTimerIntervalMs);
    m_seekTimer.setTimerType(Qt::PreciseTimer);
    m_seekTimer.setInterval(kRemoteTimerIntervalMs);
    connect(&m_playClockTimer, &QTimer::timeout, this, &CKaleidraRemoteView::PlayClockTick);
    connect(&m_seekTimer, &QTimer::timeout, this, [this] { m_rules.SeekTick(); });
}

CKaleidraRemoteView::~CKaleidraRemoteView()
{
    // Join the server's threads while everything they report to is still whole.
    m_server.CloseClients();
}

void CKaleidraRemoteView::LoadButtonImages()
{
    for (int key = IMGRC_START_NORMAL; key <= kRemoteImageCount; ++key)
        m_images[key] = LoadRemoteButtonImage(key);
}

const QImage& CKaleidraRemoteView::Image(int key) const
{
    const auto found = m_images.find(key);
    return found == m_images.end() ? m_empty : found->second;
}

void CKaleidraRemoteView::CreateControls()
{
    auto label = [this](int id, const QString& text, Qt::Alignment alignment) {
        auto* created = new QLabel(text, this);
        created->setObjectName(QString::number(id));
        created->setAlignment(alignment);
        return created;
    };
    auto button = [this](int id, void (CKaleidraRemoteView::*handler)()) {
        auto* created = new controls::remote::CGdiButton(this);
        created->setObjectName(QString::number(id));
        connect(created, &QPushButton::clicked, this, handler);
        return created;
    };
    auto timeEdit = [this](int id) {
        auto* created = new controls::remote::CMskEdit(this);
        created->setObjectName(QString::number(id));
        created->SetInputType(3);
        created->setAlignment(Qt::AlignCenter);
        created->SetBkColor(Rgb(70, 70, 70));
        return created;
    };

    m_ipAddress = label(IDC_IPADDRESS, QString(), Qt::AlignCenter);
    m_status = label(IDC_STATUS, QString(), Qt::AlignCenter);
    m_status->installEventFilter(this);
    m_top = button(IDC_TOP, &CKaleidraRemoteView::OnTop);
    m_screen = button(IDC_SCREEN, &CKaleidraRemoteView::OnScreen);
    m_guide = button(IDC_GUIDE, &CKaleidraRemoteView::OnGuide);
    m_loop = button(IDC_LOOP, &CKaleidraRemoteView::OnLoop);
    QLabel* topLabel = label(IDC_TOP_LABEL, QStringLiteral("TOP"), Qt::AlignHCenter | Qt::AlignTop);
    QLabel* screenLabel = label(IDC_SCREEN_LABEL, QStringLiteral("SCREEN"), Qt::AlignHCenter | Qt::AlignTop);
    QLabel* guideLabel = label(IDC_GUIDE_LABEL, QStringLiteral("GUIDE"), Qt::AlignHCenter | Qt::AlignTop);
    QLabel* loopLabel = label(IDC_LOOP_LABEL, QStringLiteral("LOOP"), Qt::AlignHCenter | Qt::AlignTop);
    m_startPause = button(IDC_START_PAUSE, &CKaleidraRemoteView::OnStartPause);
    m_slider = new controls::remote::CGdiSliderCtrl(this);
    m_slider->setObjectName(QString::number(IDC_SEEK_SLIDER));
    m_slider->SetOwner(this);
    const Qt::Alignment captionAlignment = Qt::AlignRight | Qt::AlignVCenter;
    QLabel* nowLabel = label(IDC_NOWTIME_LABEL, QString(), captionAlignment);
    QLabel* playLabel = label(IDC_PLAYTIME_LABEL, QString(), captionAlignment);
    QLabel* projectLabel = label(IDC_PROJECTTIME_LABEL, QString(), captionAlignment);
    m_nowTime = timeEdit(IDC_NOWTIME);
    m_nowTime->installEventFilter(this);
    connect(m_nowTime, &QLineEdit::textEdited, this, [this] { m_nowTimeEdited = true; });
    m_playTime = timeEdit(IDC_PLAYTIME);
    m_playTime->setReadOnly(true);
    m_projectTime = timeEdit(IDC_PROJECTTIME);
    m_projectTime->setReadOnly(true);
    m_labels = { topLabel, screenLabel, guideLabel, loopLabel, nowLabel, playLabel, projectLabel };

    m_placements = {
        { m_ipAddress, { 12, 8, 112, 22 } },
        { m_status, { 253, 8, 120, 22 } },
        { m_top, { 40, 50, 43, 42 } },
        { m_screen, { 127, 50, 43, 42 } },
        { m_guide, { 215, 50, 43, 42 } },
        { m_loop, { 302, 50, 43, 42 } },
        { topLabel, { 36, 94, 51, 20 } },
        { screenLabel, { 123, 94, 51, 20 } },
        { guideLabel, { 211, 94, 51, 20 } },
        { loopLabel, { 298, 94, 51, 20 } },
        { m_startPause, { 109, 120, 167, 42 } },
        { m_slider, { 20, 170, 343, 26 } },
        { nowLabel, { 8, 204, 78, 26 } },
        { m_nowTime, { 94, 204, 212, 26 } },
        { playLabel, { 8, 234, 78, 26 } },
        { m_playTime, { 94, 234, 212, 26 } },
        { projectLabel, { 8, 264, 78, 26 } },
        { m_projectTime, { 94, 264, 212, 26 } },
    };

    // Keys work with the focus anywhere in the window.
    installEventFilter(this);
    for (const Placement& placement : m_placements)
        placement.control->installEventFilter(this);
}

void CKaleidraRemoteView::OnInitialUpdate()
{
    window()->setWindowTitle(m_language.GetText(WINDOW_TITLE));
    findChild<QLabel*>(QString::number(IDC_NOWTIME_LABEL))->setText(m_language.GetText(NOWTIME_CAPTION));
    findChild<QLabel*>(QString::number(IDC_PLAYTIME_LABEL))->setText(m_language.GetText(PLAYTIME_CAPTION));
    findChild<QLabel*>(QString::number(IDC_PROJECTTIME_LABEL))
        ->setText(m_language.GetText(PROJECTTIME_CAPTION));
    ApplyColoursAndFonts();
    UpdateButtonImages();
    {
        CWaitCursor wait;
        m_serverRunning = m_server.Start(&m_bridge) == 1;
    }
    Layout(size());
    m_layoutReady = true;
    update();
    UpdateDisplay();
    m_playClockTimer.start();
    m_seekTimer.start();
}

void CKaleidraRemoteView::ApplyColoursAndFonts()
{
    const QFont textFont(QStringLiteral("Meiryo UI"), 9);
    const QFont timeFont(QStringLiteral("Meiryo UI"), 10);
    for (QLabel* text : m_labels) {
        text->setFont(textFont);
        SetTextColours(*text, Qt::white, std::nullopt);
    }
    m_ipAddress->setFont(textFont);
    SetTextColours(*m_ipAddress, QColor(248, 248, 248), kValueBack);
    m_status->setFont(textFont);
    SetTextColours(*m_status, ToQColor(kHighlightText), kValueBack);
    for (controls::remote::CMskEdit* edit : { m_nowTime, m_playTime, m_projectTime })
        edit->setFont(timeFont);
    m_nowTime->SetTextColor(kHighlightText);
    m_slider->m_endMarks = false;
    m_slider->m_backColor = Rgb(128, 128, 128);
    m_slider->m_thumbImage = LoadRemoteSliderThumb();
}

void CKaleidraRemoteView::UpdateButtonImages()
{
    const int startBase = m_rules.IsPlaying() ? IMGRC_PAUSE_NORMAL : IMGRC_START_NORMAL;
    m_startPause->SetNormalImage(Image(startBase));
    m_startPause->SetDisableImage(Image(startBase + 1));
    m_startPause->SetOverImage(Image(startBase + 2));
    m_startPause->SetPressImage(Image(startBase + 3));
    m_top->SetNormalImage(Image(IMGRC_TOP_NORMAL));
    m_top->SetDisableImage(Image(IMGRC_TOP_NOT));
    m_top->SetOverImage(Image(IMGRC_TOP_OVER));
    m_top->SetPressImage(Image(IMGRC_TOP_PRESS));
    m_guide->SetNormalImage(Image(m_rules.IsGuideOn() ? IMGRC_GUIDE_SEL : IMGRC_GUIDE_NORMAL));
    m_loop->SetNormalImage(Image(m_rules.IsLoopOn() ? IMGRC_LOOP_SEL : IMGRC_LOOP_NORMAL));
    m_screen->SetNormalImage(Image(m_rules.IsScreenOn() ? IMGRC_SCREEN_SEL : IMGRC_SCREEN_NORMAL));
}

QString CKaleidraRemoteView::StatusText() const
{
    if (!m_serverRunning)
        return m_language.GetText(INIT_ERROR_CAPTION);
    const int clients = m_server.GetClientCount();
    if (clients > 0)
        return QString::number(clients) + QLatin1Char(' ') + m_language.GetText(CONNECT_COUNT_CAPTION);
    return m_language.GetText(NONE_CONNECT_CAPTION);
}

void CKaleidraRemoteView::UpdateDisplay()
{
    const bool playing = m_rules.IsPlaying();
    m_ipAddress->setText(m_server.GetLocalAddress());
    // A time the user is still typing stays until the field is left; playing drops it.
    if (playing)
        m_nowTimeEdited = false;
    if (!m_nowTimeEdited)
        m_nowTime->SetWindowTime(m_rules.CurrentTime());
    m_playTime->SetWindowTime(m_rules.PlayTime());
    m_projectTime->SetWindowTime(m_rules.ProjectTime());
    m_nowTime->setReadOnly(playing);
    m_slider->setEnabled(!playing);
    // Times are held within 0 to 2147483647, so they fit the slider's int. A click on the track
    // moves a fifth of the play time, as a track bar's page does by default.
    const int playTime = static_cast<int>(m_rules.PlayTime());
    m_slider->setRange(0, playTime);
    m_slider->setPageStep(std::max(1, playTime / 5));
    m_slider->setValue(static_cast<int>(m_rules.CurrentTime()));
    m_status->setText(StatusText());
}

void CKaleidraRemoteView::PlayClockTick()
{
    if (!m_rules.IsPlaying())
        return;
    m_rules.PlayClockTick();
    if (!m_rules.IsPlaying())
        UpdateButtonImages(); // the end of the play time without LOOP: START again
    UpdateDisplay();
}

void CKaleidraRemoteView::OnStartPause()
{
    m_rules.StartPause();
    UpdateButtonImages();
    UpdateDisplay();
}

void CKaleidraRemoteView::OnTop()
{
    m_rules.Top();
    UpdateButtonImages();
    UpdateDisplay();
}

void CKaleidraRemoteView::OnGuide()
{
    m_rules.ToggleGuide();
    UpdateButtonImages();
}

void CKaleidraRemoteView::OnLoop()
{
    m_rules.ToggleLoop();
    UpdateButtonImages();
}

void CKaleidraRemoteView::OnScreen()
{
    m_rules.ToggleScreen();
    UpdateButtonImages();
}

void CKaleidraRemoteView::OnStartServer()
{
    if (m_serverRunning)
        return;
    CWaitCursor wait;
    if (m_server.Start(&m_bridge) == 1) {
        m_serverRunning = true;
        UpdateDisplay();
    }
}

void CKaleidraRemoteView::OnKillFocusNowTime()
{
    // A refused time is dropped: the field shows the current time again.
    m_nowTimeEdited = false;
    m_rules.TypeCurrentTime(controls::remote::CMskEdit::ConvertWindowTime(m_nowTime->text()));
    UpdateDisplay();
}

void CKaleidraRemoteView::OnShowConnectList()
{
    QStringList addresses;
    m_server.GetClientIpList(addresses);
    CDlgIpList dialog(m_language, addresses, this);
    dialog.exec();
}

void CKaleidraRemoteView::OnSliderHScroll(CGdiSliderBase& /*slider*/, int /*code*/, int position)
{
    m_rules.MoveSlider(position);
    UpdateDisplay();
}

void CKaleidraRemoteView::OnRemoteReceive(int number, const RemoteEvent& event)
{
    m_rules.Receive(number, event.value);
    UpdateDisplay();
}

void CKaleidraRemoteView::OnRemoteAccept(
    int /*slotIndex*/, const RemoteClientSlot& client, int connectedCount)
{
    m_rules.ClientAccepted(client.clientId, connectedCount);
    UpdateButtonImages();
    UpdateDisplay();
}

void CKaleidraRemoteView::OnRemoteServerFailed(const QString& /*reason*/)
{
    // The status line says the server does not run; a click on it starts it again.
    m_serverRunning = false;
    UpdateDisplay();
}

bool CKaleidraRemoteView::HandleKey(QObject* watched, const QKeyEvent& key)
{
    const bool control = key.modifiers().testFlag(Qt::ControlModifier);
    if ((key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && watched == m_nowTime) {
        // Enter moves the focus on, so the typed time is taken as on leaving the field.
        focusNextChild();
        return true;
    }
    if (key.key() == Qt::Key_Space && !control) {
        if (m_startPause->isEnabled())
            OnStartPause();
        return true;
    }
    if (!control)
        return false;
    const std::pair<int, std::pair<controls::remote::CGdiButton*, void (CKaleidraRemoteView::*)()>> keys[] = {
        { Qt::Key_T, { m_top, &CKaleidraRemoteView::OnTop } },
        { Qt::Key_G, { m_guide, &CKaleidraRemoteView::OnGuide } },
        { Qt::Key_L, { m_loop, &CKaleidraRemoteView::OnLoop } },
        { Qt::Key_P, { m_screen, &CKaleidraRemoteView::OnScreen } },
    };
    for (const auto& [code, action] : keys) {
        if (key.key() != code)
            continue;
        if (action.first->isEnabled())
            (this->*action.second)();
        return true;
    }
    return false;
}

bool CKaleidraRemoteView::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (HandleKey(watched, static_cast<const QKeyEvent&>(*event)))
            return true;
        break;
    case QEvent::FocusOut:
        // Qt reports pop-up menus and the menu bar taking the keyboard as a focus-out, which
        // the user never meant as leaving the field; and a field left unchanged seeks nothing.
        if (watched == m_nowTime && m_nowTimeEdited) {
            const Qt::FocusReason reason = static_cast<const QFocusEvent&>(*event).reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason)
                OnKillFocusNowTime();
        }
        break;
    case QEvent::MouseButtonRelease:
        if (watched == m_status)
            OnStartServer();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void CKaleidraRemoteView::Layout(const QSize& client)
{
    const float sx = static_cast<float>(client.width()) / kFormWidth;
    const float sy = static_cast<float>(client.height()) / kFormHeight;
    setUpdatesEnabled(false);
    for (const Placement& placement : m_placements) {
        const QRect& r = placement.form;
        placement.control->setGeometry(static_cast<int>(r.x() * sx), static_cast<int>(r.y() * sy),
            static_cast<int>(r.width() * sx), static_cast<int>(r.height() * sy));
    }
    setUpdatesEnabled(true);
    update();
}

void CKaleidraRemoteView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_layoutReady)
        Layout(size());
}

void CKaleidraRemoteView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), kFormBack);
    painter.setPen(kFrameLine);
    for (const QLabel* framed : { m_ipAddress, m_status })
        painter.drawRect(framed->geometry().adjusted(-1, -1, 0, 0));
}

void CKaleidraRemoteView::contextMenuEvent(QContextMenuEvent* event)
{
    // The edit menu of the window: the window itself carries out none of its commands.
    QMenu menu(this);
    const std::pair<QString, int> entries[] = {
        { QStringLiteral("切り取り(&T)\tCtrl+X"), ID_EDIT_CUT },
        { QStringLiteral("コピー(&C)\tCtrl+C"), ID_EDIT_COPY },
        { QStringLiteral("貼り付け(&P)\tCtrl+V"), ID_EDIT_PASTE },
    };
    for (const auto& [text, id] : entries) {
        QAction* action = menu.addAction(text);
        action->setData(id);
        action->setEnabled(false);
    }
    menu.exec(event->globalPos());
}
