#pragma once

#include "core/boot_param.h"
#include "core/doc_template.h"
#include "platform/mem_mapped.h"

#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class CContextMenuManager;
class CLanguageData;
class CMainFrame;
class CMessageCatalog;
class CSkinIni;
class QScreen;

namespace platform {
class CSingleInstance;
class CTerminationSignals;
} // namespace platform

// One display attached to the desktop, as the projector choice lists it.
struct tagCKD_DISPLAY_DEVICE {
    QString DeviceName; // the system's name of the display (the viewer is placed on it)
    QString DeviceString; // its model, for people
    uint32_t StateFlags = 0;
    QRect Geometry;
};
inline constexpr uint32_t DISPLAY_DEVICE_ATTACHED_TO_DESKTOP = 0x1;
inline constexpr uint32_t DISPLAY_DEVICE_PRIMARY_DEVICE = 0x4;
inline constexpr int kMaxDisplayDevices = 100;

// The attached devices of a list, in order, at most kMaxDisplayDevices examined.
std::vector<tagCKD_DISPLAY_DEVICE> AttachedDisplayDevices(std::span<const tagCKD_DISPLAY_DEVICE> devices);

// The editor's application object: decides at start whether this process becomes the editor or
// hands its argument to the one already running, owns the skin, language and message services
// for the whole run, lists the displays and creates the main frame, document and view.
class CKaleidraApp {
public:
    static constexpr char16_t kAppId[] = u"Kaleidra.AppID.NoVersion";
    static constexpr char16_t kAppName[] = u"Kaleidra";
    // Registry key under which the framework-level settings of the editor lie.
    static constexpr char16_t kRegistryKey[]
        = u"アプリケーション ウィザードで生成されたローカル アプリケーション";

    CKaleidraApp();
    ~CKaleidraApp();
    CKaleidraApp(const CKaleidraApp&) = delete;
    CKaleidraApp& operator=(const CKaleidraApp&) = delete;

    // Set before InitInstance.
    void SetDocumentTemplate(CSingleDocTemplate docTemplate);

    // Start-up with the command-line arguments (without the program). false ends the process:
    // a second start that handed its argument over, or a start that failed.
    bool InitInstance(const QStringList& arguments);
    // Shut-down; the process's exit code.
    int ExitInstance();
    // Registers the pop-up menus the windows show (the edit menu "編集").
    void PreLoadState();

    bool IsSecondStart() const { return m_secondStart; }

    // The program file's name.
    static QString GetModuleFileTitle();

    // Refills the list of displays attached to the desktop.
    void EnumDisplayDevices();
    // The device name of display n (1-based), or empty outside the list.
    QString GetDisplayDeviceName(int n) const;
    const std::vector<tagCKD_DISPLAY_DEVICE>& DisplayDevices() const { return m_displayDevices; }

    // Every message box of the editor: caption "Kaleidra Pro", also as the application name
    // while the box is shown.
    int DoMessageBox(const QString& text, unsigned type, unsigned helpId = 0);
    QString AppName() const { return m_appName; }

    // Font scales: logical pixels per inch / 96 of the given screen (1.0 without one); X is 1.0
    // when it comes out zero or negative. Set by the main view when it is constructed.
    void UpdateFontScales(const QScreen* screen);
    void SetFontScales(double x, double y);
    double FontScaleX() const { return m_fontScaleX; }
    double FontScaleY() const { return m_fontScaleY; }

    CSkinIni* Skin() const { return m_skin.get(); }
    CLanguageData* Language() const { return m_language.get(); }
    CMessageCatalog* Messages() const { return m_messages.get(); }
    BootParamBlock* BootParam() const { return m_bootParam; }
    CMemMapped& BootParamMemory() { return m_bootParamMemory; }
    CMainFrame* MainFrame() const { return m_mainFrame.get(); }
    CContextMenuManager& ContextMenuManager() const { return *m_contextMenus; }
    CDocument* Document() const { return m_document.get(); }

private:
    bool ProcessShellCommand(const QStringList& arguments);

    CSingleDocTemplate m_docTemplate;
    CMemMapped m_bootParamMemory;
    BootParamBlock* m_bootParam = nullptr;
    std::unique_ptr<platform::CSingleInstance> m_instance;
    std::unique_ptr<platform::CTerminationSignals> m_terminationSignals;
    std::unique_ptr<CContextMenuManager> m_contextMenus;
    bool m_secondStart = false;
    std::unique_ptr<CSkinIni> m_skin;
    std::unique_ptr<CLanguageData> m_language;
    std::unique_ptr<CMessageCatalog> m_messages;
    std::unique_ptr<CDocument> m_document;
    std::unique_ptr<CMainFrame> m_mainFrame;
    std::vector<tagCKD_DISPLAY_DEVICE> m_displayDevices;
    QString m_appName = QString::fromUtf16(kAppName);
    double m_fontScaleX = 1.0;
    double m_fontScaleY = 1.0;
};

// The one application object, or null before it exists.
CKaleidraApp* KaleidraApp();
