#include "view/kaleidra_view.h"

#include "controls/gdi_button.h"
#include "controls/gdi_scroll_bar.h"
#include "controls/gdi_slider_ctrl.h"
#include "controls/msk_edit.h"
#include "core/language_data.h"
#include "core/main_frame.h"
#include "core/message_catalog.h"
#include "core/skin_ini.h"
#include "itempanel/effect_dlg.h"
#include "itempanel/propety_dlg.h"
#include "itempanel/setting_dlg.h"
#include "platform/known_folders.h"
#include "platform/win_color.h"
#include "timeline/time_line.h"
#include "view/kaleidra_doc.h"
#include "view/main_menu.h"
#include "view/view_layout.h"
#include "view/view_records.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>

// The view's child windows: where the frame and the panels are placed, how the children are made,
// wired and laid out, and the view's own painting.

namespace {

// The frame's height before it is first placed.
constexpr int kDefaultFrameHeight = 440;

QRect ScreenOf(const QWidget& widget, bool available)
{
    const QScreen* screen = widget.screen() ? widget.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return available ? screen->availableGeometry() : screen->geometry();
}

} // namespace

void CKaleidraView::PlaceWindows(bool useSaved)
{
    if (useSaved) {
        std::vector<QRect> monitors;
        for (const QScreen* screen : QGuiApplication::screens())
            monitors.push_back(screen->geometry());
        const tagWINDOW_RECT workArea = tagWINDOW_RECT::FromQRect(ScreenOf(m_frame, true));
        m_itemPanelRect = FitRectToMonitor(m_itemPanelRect, monitors, workArea);
        m_viewerRect = FitRectToMonitor(m_viewerRect, monitors, workArea);
        return;
    }
    const QRect workArea = ScreenOf(m_frame, true);
    if (workArea.isEmpty())
        return;
    const int frameHeight = m_frame.height() > 100 ? m_frame.height() : kDefaultFrameHeight;
    const DefaultPlacement placement
        = ComputeDefaultPlacement(tagWINDOW_RECT::FromQRect(workArea), frameHeight, FrameMetrics());
    m_frame.setGeometry(placement.mainFrame.ToQRect());
    m_itemPanelRect = placement.itemPanel;
    m_viewerRect = placement.viewer;
}

void CKaleidraView::CreateChildWindows()
{
    const CSkinIni& skin = Skin();
    const CLanguageData& language = Language();
    const auto path = [&](const QString& name) { return skin.ImageFilePath(name); };

    // 1: the timeline, with its skin, texts and questions before it is created.
    m_timeLine = new CTimeLine(this);
    m_timeLine->setProperty("controlId", int(kIdTimeLine));
    m_timeLine->SetOwner(this);
    m_timeLine->SetSkin(MakeViewSettingRecord(skin));
    m_timeLine->SetLanguageTexts(MakeViewTextRecord(language));
    m_timeLine->SetMessageTexts(MakeViewMessageRecord(Messages()));
    m_timeLine->CreateTimeLine(this, QRect(0, 0, 400, 200));
    m_timeLine->LoadImages(skin.SkinFolder());
    m_timeLine->SetImageDefaultTime(m_document.ImageDefaultTime);
    std::array<COLORREF, 10> frameColors {};
    for (size_t index = 0; index < frameColors.size(); ++index)
        frameColors[index] = controls::Rgb(uint8_t(m_document.FrameColorR[index]),
            uint8_t(m_document.FrameColorG[index]), uint8_t(m_document.FrameColorB[index]));
    m_timeLine->SetFrameColors(frameColors);
    m_replay = std::make_unique<CUndoReplay>(*m_timeLine, *this, static_cast<CUndoReplayHost&>(*this));

    // 2, 3: the timeline's scroll bars.
    m_horzScrollBar = new CGdiScrollBar(this);
    m_horzScrollBar->setProperty("controlId", int(kIdHorzScrollBar));
    m_vertScrollBar = new CGdiScrollBar(this);
    m_vertScrollBar->setProperty("controlId", int(kIdVertScrollBar));
    m_timeLine->AttachScrollBars(m_horzScrollBar, m_vertScrollBar);

    const auto label = [&](size_t slot, int id, Qt::Alignment alignment, const QString& text) {
        auto* widget = new QLabel(text, this);
        widget->setProperty("controlId", id);
        widget->setAlignment(alignment | Qt::AlignVCenter);
        widget->setFont(m_fonts[2]);
        m_labels[slot] = widget;
    };
    const auto timeEdit = [&](int id, bool readOnly) {
        auto* edit = new CMskEdit(this);
        edit->setProperty("controlId", id);
        edit->SetInputType(3); // a time
        edit->SetDrawCenter(true, false);
        edit->setReadOnly(readOnly);
        edit->setFocusPolicy(Qt::StrongFocus);
        edit->setFont(m_fonts[2]);
        edit->SetWindowTime(int64_t(0));
        return edit;
    };
    const Qt::Alignment right = Qt::AlignRight;
    label(0, kIdControlCaption, Qt::AlignHCenter, language.GetTlCaptionControl());
    label(1, kIdNowTimeLabel, right, language.GetTlCaptionNowtime());
    m_nowTimeEdit = timeEdit(kIdNowTime, false);
    label(2, kIdPlayTimeLabel, right, language.GetTlCaptionPlaytime());
    m_playTimeEdit = timeEdit(kIdPlayTime, true);
    label(3, kIdProjectTimeLabel, right, language.GetTlCaptionProjecttime());
    m_projectTimeEdit = timeEdit(kIdProjectTime, false);

    const auto button = [&](int id, std::function<QString(int)> images, bool toggle) {
        auto* widget = new CGdiButton(this);
        widget->setProperty("controlId", id);
        widget->setFocusPolicy(Qt::NoFocus);
        if (toggle)
            widget->LoadCheckImages(
                path(images(0)), path(images(2)), path(images(3)), path(images(1)), path(images(3)));
        else
            widget->LoadImages(path(images(0)), path(images(2)), path(images(3)), path(images(1)));
        return widget;
    };
    m_topButton = button(
        kIdTop, [&](int s) { return skin.GetBtnTopImage(s); }, false);
    m_screenButton = button(
        kIdScreen, [&](int s) { return skin.GetBtnScreenImage(s); }, true);
    m_guideButton = button(
        kIdGuide, [&](int s) { return skin.GetBtnGuideImage(s); }, true);
    m_loopButton = button(
        kIdLoop, [&](int s) { return skin.GetBtnLoopImage(s); }, true);
    label(4, kIdTopLabel, Qt::AlignHCenter, QStringLiteral("TOP"));
    label(5, kIdScreenLabel, Qt::AlignHCenter, QStringLiteral("SCREEN"));
    label(6, kIdGuideLabel, Qt::AlignHCenter, QStringLiteral("GUIDE"));
    label(7, kIdLoopLabel, Qt::AlignHCenter, QStringLiteral("LOOP"));
    m_startPauseButton = button(
        kIdStartPause, [&](int s) { return skin.GetBtnStartImage(s); }, false);
    m_remoteButton = button(
        kIdRemote, [&](int s) { return skin.GetBtnRemoteImage(s); }, false);
    m_remoteButton->setEnabled(false);
    m_remoteButton->hide();
    m_zoomOutButton = button(
        kIdZoomOut, [&](int s) { return skin.GetBtnShortImage(s); }, false);
    m_zoomInButton = button(
        kIdZoomIn, [&](int s) { return skin.GetBtnLongImage(s); }, false);
    m_zoomSlider = new CGdiSliderCtrl(this);
    m_zoomSlider->setProperty("controlId", int(kIdZoomSlider));
    m_zoomSlider->setRange(0, 6);
    m_zoomSlider->LoadThumbImage(path(skin.GetSliderImage()));

    for (QLabel* widget : m_labels) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, platform::ToQColor(skin.GetColor(CSkinIni::COLOR_TEXT)));
        widget->setPalette(palette);
    }
    CreateItemPanel();
    ConnectCommands();
    SetMainMenuTexts();
}

void CKaleidraView::CreateItemPanel()
{
    // A tool window of the view's own: it stays above the editor and goes with it.
    m_itemPanel = new CSettingDlg(this, this);
    m_itemPanel->m_workFolder = m_document.GetWorkFolder();
    m_itemPanel->m_skinFolder = m_document.GetSkinFolder();
    m_itemPanel->m_settingFolder = platform::SettingsFolder();
    CPropetyDlg* properties = m_itemPanel->PropertyPage();
    properties->AddCameraImgSize(-1, 0, 0);
    if (m_document.CameraImageWidths.size() == m_document.CameraImageHeights.size()) {
        for (size_t index = 0; index < m_document.CameraImageWidths.size(); ++index)
            properties->AddCameraImgSize(int32_t(index) + 1, m_document.CameraImageWidths[index],
                m_document.CameraImageHeights[index]);
    }
    properties->SetCameraList(m_document.CameraList);
    properties->m_defaultImageTime = m_document.ImageDefaultTime;
    m_itemPanel->EffectPage()->m_defaultEffectTime = m_document.EffectDefaultTime;
    m_itemPanel->Create();
    properties->InitComboItems();
    m_itemPanel->SelectTab(0);
    m_itemPanel->ClearItem();
    const QString documents = CKaleidraDoc::GetDocumentsFolder();
    m_itemPanel->SetLastFolders(documents, documents, documents, documents);
    m_timeLine->SetItemPanel(m_itemPanel);

    const QRect screen = ScreenOf(m_frame, false);
    const tagWINDOW_RECT place
        = PlaceItemPanel(m_itemPanelRect, tagWINDOW_RECT::FromQRect(m_frame.frameGeometry()),
            m_itemPanel->size(), screen.isEmpty() ? INT_MAX : screen.right() + 1);
    m_itemPanel->setGeometry(place.ToQRect());
    m_itemPanel->hide();
}

void CKaleidraView::SetMainMenuTexts()
{
    QMenuBar* menuBar = MenuBar();
    if (menuBar->actions().isEmpty())
        BuildMainMenu(*menuBar);
    SetMenuTexts(*menuBar, Language());
}

void CKaleidraView::ConnectCommands()
{
    connect(m_topButton, &CGdiButton::clicked, this, &CKaleidraView::OnTop);
    connect(m_screenButton, &CGdiButton::clicked, this, &CKaleidraView::OnScreen);
    connect(m_guideButton, &CGdiButton::clicked, this, &CKaleidraView::OnGuide);
    connect(m_loopButton, &CGdiButton::clicked, this, &CKaleidraView::OnLoop);
    connect(m_startPauseButton, &CGdiButton::clicked, this, &CKaleidraView::OnStartPause);

    // The Control menu runs the buttons' commands; a toggle's menu entry flips its button first.
    QMenuBar* menuBar = MenuBar();
    if (menuBar->actions().isEmpty())
        BuildMainMenu(*menuBar);
    const auto onCommand = [&](int id, std::function<void()> run) {
        if (QAction* action = FindMenuCommand(*menuBar, id))
            connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
    };
    for (const int id : { menu_command::kTop, menu_command::kScreen, menu_command::kGuide,
             menu_command::kLoop, menu_command::kStartPause })
        onCommand(id, [this, id] { RunTransportCommand(id); });
    onCommand(menu_command::kExit, [this] { m_frame.close(); });
    ConnectEditCommands();
    ConnectPackageAndRemoteCommands();
    ConnectKeysAndZoom();
}

// ---- Layout and painting -----------------------------------------------------------------------------

QWidget* CKaleidraView::Control(int id) const
{
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->property("controlId").toInt() == id)
            return child;
    return nullptr;
}

void CKaleidraView::RecalcLayout()
{
    if (!m_timeLine)
        return;
    const ViewLayout layout = ComputeViewLayout(width(), height());
    setUpdatesEnabled(false);
    m_timeLine->setGeometry(layout.timeLine);
    m_timeLine->RecalcLayout();
    m_horzScrollBar->setGeometry(layout.horzScrollBar);
    m_vertScrollBar->setGeometry(layout.vertScrollBar);
    m_labels[0]->setGeometry(layout.controlStrip);
    m_labels[1]->setGeometry(layout.nowTimeLabel);
    m_labels[2]->setGeometry(layout.playTimeLabel);
    m_labels[3]->setGeometry(layout.projectTimeLabel);
    m_nowTimeEdit->setGeometry(layout.nowTimeEdit);
    m_playTimeEdit->setGeometry(layout.playTimeEdit);
    m_projectTimeEdit->setGeometry(layout.projectTimeEdit);
    m_topButton->setGeometry(layout.topButton);
    m_screenButton->setGeometry(layout.screenButton);
    m_guideButton->setGeometry(layout.guideButton);
    m_loopButton->setGeometry(layout.loopButton);
    m_labels[4]->setGeometry(layout.topLabel);
    m_labels[5]->setGeometry(layout.screenLabel);
    m_labels[6]->setGeometry(layout.guideLabel);
    m_labels[7]->setGeometry(layout.loopLabel);
    m_startPauseButton->setGeometry(layout.startPauseButton);
    m_remoteButton->setGeometry(layout.startPauseButton);
    m_zoomOutButton->setGeometry(layout.zoomOutButton);
    m_zoomSlider->setGeometry(layout.zoomSlider);
    m_zoomInButton->setGeometry(layout.zoomInButton);
    m_zoomOutButton->setVisible(layout.zoomOutShown);
    m_zoomSlider->setVisible(layout.zoomSliderShown);
    m_zoomInButton->setVisible(layout.zoomInShown);
    setUpdatesEnabled(true);
}

void CKaleidraView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_initialised)
        RecalcLayout();
}

void CKaleidraView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), platform::ToQColor(Skin().GetColor(CSkinIni::COLOR_BACKGROUND)));
}

bool CKaleidraView::eventFilter(QObject* watched, QEvent* event)
{
    // The view's keys, for whichever of its children has the focus, and the wheel over the
    // timeline.
    if (event->type() == QEvent::KeyPress && HandleViewKey(watched, *static_cast<QKeyEvent*>(event)))
        return true;
    if (event->type() == QEvent::Wheel && watched == m_timeLine
        && HandleTimeLineWheel(*static_cast<QWheelEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void CKaleidraView::EnableControls(bool enable)
{
    for (QWidget* control : std::initializer_list<QWidget*> { m_timeLine, m_horzScrollBar, m_vertScrollBar,
             m_nowTimeEdit, m_playTimeEdit, m_projectTimeEdit, m_topButton, m_screenButton, m_guideButton,
             m_loopButton, m_startPauseButton, m_zoomOutButton, m_zoomInButton }) {
        if (control)
            control->setEnabled(enable);
    }
}
