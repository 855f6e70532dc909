#include "view/kaleidra_view.h"

#include "controls/gdi_button.h"
#include "controls/gdi_scroll_bar.h"
#include "controls/gdi_slider_ctrl.h"
#include "controls/msk_edit.h"
#include "core/kaleidra_app.h"
#include "core/language_data.h"
#include "core/main_frame.h"
#include "core/message_box.h"
#include "core/message_catalog.h"
#include "core/skin_font.h"
#include "core/skin_ini.h"
#include "core/wait_dlg.h"
#include "itempanel/setting_dlg.h"
#include "platform/dialog_service.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "timeline/time_line.h"
#include "view/kaleidra_doc.h"
#include "view/view_commands.h"
#include "view/view_records.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace {

enum : int {
    kMsgSettingsUnreadable = 34,
    kMsgSharedMemory = 35,
    kMsgNotFound = 36,
    kMsgPictureUnreadable = 122,
};

} // namespace

CKaleidraView::CModalGuard::CModalGuard(CKaleidraView& view)
    : m_view(view)
{
    ++m_view.m_modalCount;
}

CKaleidraView::CModalGuard::~CModalGuard()
{
    if (--m_view.m_modalCount == 0 && !m_view.m_pendingHandOver.isEmpty()) {
        // Opened once the window that held it back is gone, outside of its handler.
        QMetaObject::invokeMethod(
            &m_view, [view = &m_view] { view->OpenPendingHandOver(); }, Qt::QueuedConnection);
    }
}

CKaleidraView::CKaleidraView(CMainFrame& frame, CKaleidraDoc& document)
    : QWidget(&frame)
    , m_frame(frame)
    , m_document(document)
{
    CKaleidraApp* app = KaleidraApp();
    if (!app || !app->Skin())
        m_ownSkin = std::make_unique<CSkinIni>();
    if (!app || !app->Language())
        m_ownLanguage = std::make_unique<CLanguageData>();
    if (!app || !app->Messages())
        m_ownMessages = std::make_unique<CMessageCatalog>();

    const double fontScaleX = app ? (app->UpdateFontScales(frame.screen()), app->FontScaleX()) : 1.0;
    const double dpi = frame.screen() ? frame.screen()->logicalDotsPerInchX() : 96.0;
    const CSkinIni& skin = Skin();
    const CSkinIni::Font fonts[4] = { CSkinIni::kGetCommonTitleFont, CSkinIni::kGetCommonCaptionFont,
        CSkinIni::kGetCommonControlFont, CSkinIni::kGetCommonButtonTitleFont };
    for (size_t index = 0; index < m_fonts.size(); ++index)
        m_fonts[index]
            = MakeSkinFont(skin.GetFontFace(fonts[index]), skin.GetFontSize(fonts[index]), fontScaleX, dpi);

    m_channel = std::make_unique<CViewerChannel>(nullptr, m_viewer);
    m_playTimer = new QTimer(this);
    m_playTimer->setTimerType(Qt::PreciseTimer);
    m_playTimer->setInterval(kTimerMs);
    connect(m_playTimer, &QTimer::timeout, this, &CKaleidraView::OnPlayClock);
    m_pollTimer = new QTimer(this);
    m_pollTimer->setTimerType(Qt::PreciseTimer);
    m_pollTimer->setInterval(kTimerMs);
    connect(m_pollTimer, &QTimer::timeout, this, &CKaleidraView::OnViewerPoll);
    m_modifiers = [] { return QGuiApplication::queryKeyboardModifiers(); };
    m_ownHandlers = MakeOwnCommandHandlers(*this);
    m_handlers = m_ownHandlers.get();
    m_mirror = std::make_unique<CEditMirror>(document.GetProjectStore(1), m_undo, document.Modified,
        Messages(), static_cast<CEditMirrorHost&>(*this));
    document.SetView(this);
    connect(&frame, &CMainFrame::ProjectPathHandedOver, this, &CKaleidraView::OpenHandedOverProject);
}

CKaleidraView::~CKaleidraView()
{
    // The link's threads are joined while everything they reach still stands.
    m_remoteLink.reset();
    m_pollTimer->stop();
    m_playTimer->stop();
    m_document.SetView(nullptr);
    if (m_timeLine) {
        m_timeLine->SetOwner(nullptr);
        m_timeLine->SetItemPanel(nullptr);
    }
    delete m_itemPanel;
    delete m_waitDlg;
}

const CSkinIni& CKaleidraView::Skin() const
{
    const CKaleidraApp* app = KaleidraApp();
    return app && app->Skin() ? *app->Skin() : *m_ownSkin;
}

const CLanguageData& CKaleidraView::Language() const
{
    const CKaleidraApp* app = KaleidraApp();
    return app && app->Language() ? *app->Language() : *m_ownLanguage;
}

CMessageCatalog& CKaleidraView::Messages() const
{
    const CKaleidraApp* app = KaleidraApp();
    return app && app->Messages() ? *app->Messages() : *m_ownMessages;
}

int CKaleidraView::ShowMessage(const QString& text, unsigned type)
{
    CModalGuard modal(*this);
    return KaleidraMessageBox(text, type);
}

void CKaleidraView::SetCommandHandlers(CViewCommandHandlers* handlers)
{
    m_handlers = handlers ? handlers : m_ownHandlers.get();
}

int CKaleidraView::RunModal(QDialog& dialog)
{
    CModalGuard modal(*this);
    m_modalDialogs.push_back(&dialog);
    const int result = m_modalRunner ? m_modalRunner(dialog) : dialog.exec();
    std::erase(m_modalDialogs, &dialog);
    return result;
}

void CKaleidraView::CloseModalWindows()
{
    // Each dialog's own loop returns as if it was cancelled.
    for (const QPointer<QDialog>& dialog : std::vector<QPointer<QDialog>>(m_modalDialogs)) {
        if (dialog)
            dialog->reject();
    }
}

QMenuBar* CKaleidraView::MenuBar() const
{
    return m_frame.menuBar();
}

// ---- First update ----------------------------------------------------------------------------------

bool CKaleidraView::OnInitialUpdate()
{
    m_frame.setWindowTitle(QString::fromUtf16(kKaleidraCaption));

    QString error;
    if (!m_document.ReadIniSettings(error)) {
        ShowMessage(QStringLiteral("%1\n\n%2").arg(Messages().GetMessage(kMsgSettingsUnreadable), error),
            platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }

    const bool shiftHeld = m_modifiers().testFlag(Qt::ShiftModifier);
    PlaceWindows(!shiftHeld && LoadWindowPositions());

    m_waitDlg = new CWaitDlg(&m_frame);
    const QString pictureFailure = Messages().GetMessage(kMsgPictureUnreadable);
    m_waitDlg->LoadImage(m_document.GetSkinFolder(), &pictureFailure);

    CreateChildWindows();
    EnableControls(false);

    if (!MapViewerChannel()) {
        ShowMessage(Messages().GetMessage(kMsgSharedMemory), platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    if (const CKaleidraApp* app = KaleidraApp())
        m_channel->WriteDisplayName(app->GetDisplayDeviceName(m_document.ProjectorDisplayNo));
    m_channel->WriteResoMode(m_document.ResoMode);

    LoadHistory();
    m_defaultFolder = CKaleidraDoc::GetDocumentsFolder();
    if (!History().isEmpty()) {
        const QString last = History().back();
        const qsizetype slash = last.lastIndexOf(QLatin1Char('/'));
        if (slash > 0)
            m_defaultFolder = last.left(slash);
    }
    if (!m_defaultFolder.isEmpty() && !QFileInfo(m_defaultFolder).isDir())
        QDir().mkpath(m_defaultFolder);

    m_initialised = true;
    if (m_timeLine)
        m_timeLine->setFocus();
    RecalcLayout();
    m_frame.OnViewReady();

    // The start-up choice comes once the editor runs: while its dialog is up, the editor already
    // takes a second start's path (opened when the dialog has closed) and a request to end.
    QMetaObject::invokeMethod(
        this,
        [this] {
            bool projectOpened = false;
            RunStartupChoice(projectOpened);
            if (projectOpened && m_document.AutoPlayMode == 1)
                AutoPlay();
        },
        Qt::QueuedConnection);
    return true;
}

bool CKaleidraView::MapViewerChannel()
{
    auto* block
        = static_cast<PmParamBlock*>(m_document.MapViewerChannel(sizeof(PmParamBlock), PmParamBlockName()));
    m_channel = std::make_unique<CViewerChannel>(block, m_viewer);
    return block != nullptr;
}

void CKaleidraView::RunStartupChoice(bool& projectOpened)
{
    projectOpened = false;
    const QString path = m_document.GetOpenedPath();
    if (!path.isEmpty()) {
        projectOpened = OpenExistingProject(path);
        return;
    }
    if (!m_handlers)
        return;
    QString recent;
    int choice = 0;
    {
        CModalGuard modal(*this);
        choice = m_handlers->RunStartupDialog(History(), recent);
    }
    switch (choice) {
    case 1:
        projectOpened = m_handlers->NewProject();
        break;
    case 2:
        projectOpened = m_handlers->OpenProject(nullptr);
        break;
    case 3:
        projectOpened = OpenExistingProject(recent);
        break;
    default:
        break;
    }
}

bool CKaleidraView::OpenExistingProject(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        ShowMessage(
            Messages().FormatMessage(kMsgNotFound, { path }), platform::MB_OK | platform::MB_ICONWARNING);
        return false;
    }
    return m_handlers && m_handlers->OpenProject(&path);
}

// ---- Second starts ---------------------------------------------------------------------------------

void CKaleidraView::OpenHandedOverProject(const QString& path)
{
    m_pendingHandOver = path;
    if (!IsModalOpen())
        OpenPendingHandOver();
}

void CKaleidraView::OpenPendingHandOver()
{
    if (IsModalOpen() || IsBusy() || m_pendingHandOver.isEmpty())
        return;
    const QString path = std::exchange(m_pendingHandOver, QString());
    if (m_handlers) {
        CModalGuard modal(*this);
        m_handlers->OpenProjectFile(path);
    }
}

// ---- Time fields ---------------------------------------------------------------------------------

namespace {

void SetTime(CMskEdit* edit, int64_t time)
{
    if (!edit)
        return;
    // A time before IN shows as 0, never as a negative time.
    edit->SetWindowTime(std::max<int64_t>(time, 0));
    edit->update();
}

int32_t GetTime(const CMskEdit* edit)
{
    return edit ? int32_t(std::clamp<int64_t>(edit->GetWindowTime(), 0, INT32_MAX)) : 0;
}

} // namespace

int32_t CKaleidraView::NowTime() const
{
    return GetTime(m_nowTimeEdit);
}

void CKaleidraView::SetNowTime(int64_t time)
{
    SetTime(m_nowTimeEdit, time);
}

int32_t CKaleidraView::PlayTime() const
{
    return GetTime(m_playTimeEdit);
}

void CKaleidraView::SetPlayTime(int64_t time)
{
    SetTime(m_playTimeEdit, time);
}

int32_t CKaleidraView::ProjectTime() const
{
    return GetTime(m_projectTimeEdit);
}

void CKaleidraView::SetProjectTimeField(int64_t time)
{
    SetTime(m_projectTimeEdit, time);
}

// ---- Wait window ----------------------------------------------------------------------------------

void CKaleidraView::ShowWaitPicture(int picture)
{
    if (!m_waitDlg)
        return;
    m_waitDlg->SetShownPicture(picture);
    if (!m_waitDlg->isVisible()) {
        m_waitDlg->show();
        m_waitDlg->repaint();
    }
}

void CKaleidraView::HideWaitWindow()
{
    if (m_waitDlg && m_waitDlg->isVisible())
        m_waitDlg->hide();
}

void CKaleidraView::OnTlWaitBegin()
{
    ShowWaitPicture(CWaitDlg::kWaitPicture);
}

void CKaleidraView::OnTlWaitEnd()
{
    HideWaitWindow();
}

void CKaleidraView::FocusTimeLine()
{
    if (m_timeLine && m_timeLine->isEnabled())
        m_timeLine->setFocus();
}
