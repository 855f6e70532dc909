#include "core/kaleidra_app.h"

#include "core/context_menu_manager.h"
#include "core/instance_handover.h"
#include "core/language_data.h"
#include "core/main_frame.h"
#include "core/message_box.h"
#include "core/message_catalog.h"
#include "core/skin_font.h"
#include "core/skin_ini.h"
#include "platform/dialog_service.h"
#include "platform/paths.h"
#include "platform/single_instance.h"
#include "platform/termination_signals.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScreen>
#include <clocale>

Q_LOGGING_CATEGORY(lcKaleidraStart, "kaleidra.start")

namespace {

CKaleidraApp* g_app = nullptr;

} // namespace

CKaleidraApp* KaleidraApp()
{
    return g_app;
}

std::vector<tagCKD_DISPLAY_DEVICE> AttachedDisplayDevices(std::span<const tagCKD_DISPLAY_DEVICE> devices)
{
    std::vector<tagCKD_DISPLAY_DEVICE> attached;
    for (const tagCKD_DISPLAY_DEVICE& device :
        devices.first(std::min<size_t>(devices.size(), kMaxDisplayDevices))) {
        if (device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP)
            attached.push_back(device);
    }
    return attached;
}

CKaleidraApp::CKaleidraApp()
    : m_contextMenus(std::make_unique<CContextMenuManager>())
{
    Q_ASSERT(!g_app);
    g_app = this;
    SetKaleidraMessageBoxHandler(
        [this](const QString& text, unsigned type) { return DoMessageBox(text, type); });
}

CKaleidraApp::~CKaleidraApp()
{
    // The frame and document go before the services they use.
    m_mainFrame.reset();
    m_document.reset();
    if (g_app == this) {
        g_app = nullptr;
        SetKaleidraMessageBoxHandler({});
    }
}

void CKaleidraApp::SetDocumentTemplate(CSingleDocTemplate docTemplate)
{
    m_docTemplate = std::move(docTemplate);
}

QString CKaleidraApp::GetModuleFileTitle()
{
    return platform::FileNameOf(QCoreApplication::applicationFilePath());
}

bool CKaleidraApp::InitInstance(const QStringList& arguments)
{
    std::setlocale(LC_ALL, "");

    const EditorInstanceNames names = MakeEditorInstanceNames(GetModuleFileTitle());
    // Without the block a second start only raises the running editor; nothing is reported.
    m_bootParam
        = static_cast<BootParamBlock*>(m_bootParamMemory.Create(sizeof(BootParamBlock), names.bootBlock));

    m_instance = std::make_unique<platform::CSingleInstance>(names.lock, names.server);
    const platform::CSingleInstance::LockResult lock = m_instance->TryLock();
    if (lock == platform::CSingleInstance::LockResult::AlreadyHeld) {
        m_secondStart = true;
        HandOverToRunningInstance(names.server, m_bootParamMemory, arguments, QDir::currentPath());
        return false;
    }
    // A lock nobody could take does not mean that no other editor runs: this start ends.
    if (lock == platform::CSingleInstance::LockResult::Failed) {
        qCCritical(lcKaleidraStart).noquote() << "the editor cannot start:" << m_instance->LockProblem();
        return false;
    }
    // Something planted under the machine-wide name: this user's own lock stands in for it.
    if (!m_instance->LockProblem().isEmpty())
        qCWarning(lcKaleidraStart).noquote() << m_instance->LockProblem();

    m_skin = std::make_unique<CSkinIni>();
    m_skin->Load();
    m_language = std::make_unique<CLanguageData>();
    m_language->Load();
    m_messages = std::make_unique<CMessageCatalog>();
    m_messages->Load();

    InstallJapaneseFontSubstitutes();
    PreLoadState();
    EnumDisplayDevices();

    if (!ProcessShellCommand(arguments))
        return false;
    m_mainFrame->show();

    // A logout or a stop request closes the editor as its window's close does, asking first; the
    // close runs once the signal's handler has returned.
    m_terminationSignals = std::make_unique<platform::CTerminationSignals>();
    QObject::connect(m_terminationSignals.get(), &platform::CTerminationSignals::TerminationRequested,
        m_mainFrame.get(), &CMainFrame::OnTerminationSignal, Qt::QueuedConnection);

    // Second starts find the editor only once its window is there.
    QObject::connect(m_instance.get(), &platform::CSingleInstance::MessageReceived, m_mainFrame.get(),
        &CMainFrame::OnInstanceMessage);
    // Without the socket the editor still runs, but second starts cannot reach it: say so.
    if (!m_instance->Listen())
        qCWarning(lcKaleidraStart).noquote()
            << "second starts cannot reach this editor:" << m_instance->ListenError();
    return true;
}

bool CKaleidraApp::ProcessShellCommand(const QStringList& arguments)
{
    if (!m_docTemplate.createDocument || !m_docTemplate.createView)
        return false;
    m_document = m_docTemplate.createDocument();
    if (!m_document)
        return false;
    // The document knows the path before the view's first update, which opens it.
    if (!arguments.isEmpty() && !m_document->OnOpenDocument(arguments.front()))
        return false;
    m_mainFrame = std::make_unique<CMainFrame>(&m_bootParamMemory);
    m_mainFrame->SetDocument(m_document.get());
    m_mainFrame->OnCreate();
    QWidget* view = m_docTemplate.createView(*m_mainFrame, *m_document);
    if (!view)
        return false;
    m_mainFrame->SetActiveView(view);
    return true;
}

void CKaleidraApp::PreLoadState()
{
    m_contextMenus->AddMenu(EditPopupMenuName(), EditPopupMenuEntries());
}

int CKaleidraApp::ExitInstance()
{
    m_terminationSignals.reset();
    m_mainFrame.reset();
    m_document.reset();
    m_skin.reset();
    m_language.reset();
    m_messages.reset();
    m_instance.reset();
    return 0;
}

void CKaleidraApp::EnumDisplayDevices()
{
    std::vector<tagCKD_DISPLAY_DEVICE> devices;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens()) {
        tagCKD_DISPLAY_DEVICE device;
        device.DeviceName = screen->name();
        device.DeviceString = screen->model();
        // Every screen Qt reports is part of the desktop.
        device.StateFlags
            = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP | (screen == primary ? DISPLAY_DEVICE_PRIMARY_DEVICE : 0);
        device.Geometry = screen->geometry();
        devices.push_back(device);
    }
    m_displayDevices = AttachedDisplayDevices(devices);
}

QString CKaleidraApp::GetDisplayDeviceName(int n) const
{
    if (n < 1 || n > int(m_displayDevices.size()))
        return {};
    return m_displayDevices[size_t(n - 1)].DeviceName;
}

int CKaleidraApp::DoMessageBox(const QString& text, unsigned type, unsigned /*helpId*/)
{
    const QString caption = QString::fromUtf16(kKaleidraCaption);
    const QString previousName = std::exchange(m_appName, caption);
    const int answer = platform::DialogService().MessageBox(text, caption, type);
    m_appName = previousName;
    return answer;
}

void CKaleidraApp::UpdateFontScales(const QScreen* screen)
{
    if (!screen) {
        SetFontScales(1.0, 1.0);
        return;
    }
    SetFontScales(screen->logicalDotsPerInchX() / 96.0, screen->logicalDotsPerInchY() / 96.0);
}

void CKaleidraApp::SetFontScales(double x, double y)
{
    m_fontScaleX = x > 0.0 ? x : 1.0;
    m_fontScaleY = y;
}
