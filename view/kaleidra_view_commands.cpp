#include "view/kaleidra_view.h"

#include "controls/gdi_button.h"
#include "core/language_data.h"
#include "core/main_frame.h"
#include "core/version_dlg.h"
#include "itempanel/setting_dlg.h"
#include "platform/paths.h"
#include "timeline/time_line.h"
#include "view/kaleidra_doc.h"
#include "view/main_menu.h"
#include "view/web_address.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

namespace c = menu_command;

// The commands of the main menu that the view carries: the project commands of the File menu,
// the Edit menu, the item panel's pages, the settings, and the Help menu. The Control menu runs the transport
// buttons' commands (kaleidra_view.cpp).
void CKaleidraView::ConnectEditCommands()
{
    QMenuBar* menuBar = MenuBar();
    for (const int id : { c::kNewProject, c::kOpenProject, c::kSaveProject, c::kSaveProjectAs,
             c::kCloseProject, c::kUndo, c::kRedo, c::kAllDelete, c::kCopy, c::kPackLeft, c::kPackRight,
             c::kSplit, c::kAlignStartEarly, c::kAlignStartLate, c::kAlignPlayShort, c::kAlignPlayLong,
             c::kFaceAdd, c::kSetIn, c::kSetOut, c::kPreview, c::kPropertyPage, c::kEffectPage,
             c::kFilterPage, c::kVersion, c::kManual, c::kSupport, c::kSettings, c::kCameraSettings }) {
        if (QAction* action = FindMenuCommand(*menuBar, id))
            connect(action, &QAction::triggered, this, [this, id] { RunMenuCommand(id); });
    }
    for (const int id :
        { c::kScreen, c::kGuide, c::kLoop, c::kPropertyPage, c::kEffectPage, c::kFilterPage, c::kPreview }) {
        if (QAction* action = FindMenuCommand(*menuBar, id))
            action->setCheckable(true);
    }
    // The entries show their states when their menu opens.
    for (QMenu* menu : menuBar->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, &CKaleidraView::UpdateMenuStates);
}

void CKaleidraView::ShowPanelPage(int tab)
{
    if (!m_itemPanel)
        return;
    if (!m_itemPanel->isVisible())
        m_itemPanel->ShowPanel();
    m_itemPanel->SelectTab(tab);
}

bool CKaleidraView::RunMenuCommand(int commandId)
{
    if (RunPackageOrRemoteCommand(commandId))
        return true;
    const bool open = IsProjectOpen() && m_timeLine;
    switch (commandId) {
    case c::kNewProject:
        OnNewProject();
        return true;
    case c::kOpenProject:
        OnOpenProject();
        return true;
    case c::kSaveProject:
        OnSaveProject();
        return true;
    case c::kSaveProjectAs:
        OnSaveProjectAs();
        return true;
    case c::kCloseProject:
        OnCloseProject();
        return true;
    case c::kSettings:
        OnSettings();
        return true;
    case c::kCameraSettings:
        OnCameraSettings();
        return true;
    case c::kTop:
    case c::kScreen:
    case c::kGuide:
    case c::kLoop:
    case c::kStartPause:
        RunTransportCommand(commandId);
        return true;
    case c::kVersion: {
        // Not while the show plays.
        if (m_timeLine && m_timeLine->IsPlaying())
            return true;
        CVersionDlg dialog(&m_frame);
        RunModal(dialog);
        return true;
    }
    case c::kManual: {
        if (m_timeLine && m_timeLine->IsPlaying())
            return true;
        const QString manual = platform::JoinPath(
            platform::JoinPath(CKaleidraDoc::GetDocumentsFolder(), u"Document"), u"Kaleidra Manual.pdf");
        if (QFileInfo(manual).isFile())
            QDesktopServices::openUrl(QUrl::fromLocalFile(manual));
        return true;
    }
    case c::kSupport: {
        // Only a web address is handed on: the language file is no place to run programs from.
        const QUrl address = SupportPageAddress(Language().GetSupportUrlPro());
        if (!address.isEmpty())
            QDesktopServices::openUrl(address);
        return true;
    }
    default:
        break;
    }
    if (!open)
        return true;
    switch (commandId) {
    case c::kUndo:
        if (CanUndo())
            Undo();
        break;
    case c::kRedo:
        if (CanRedo())
            Redo();
        break;
    case c::kAllDelete: {
        // The timeline asks before it deletes.
        CModalGuard modal(*this);
        m_timeLine->DeleteSelectedItems();
        break;
    }
    case c::kCopy:
        m_timeLine->CopySelectedItems();
        break;
    case c::kPackLeft:
        m_timeLine->PackItemsForward();
        break;
    case c::kPackRight:
        m_timeLine->PackItemsBackward();
        break;
    case c::kSplit:
        m_timeLine->SplitItemAtPlayPosition();
        break;
    case c::kAlignStartEarly:
        m_timeLine->AlignStartTime(0);
        break;
    case c::kAlignStartLate:
        m_timeLine->AlignStartTime(1);
        break;
    case c::kAlignPlayShort:
        m_timeLine->AlignDuration(2);
        break;
    case c::kAlignPlayLong:
        m_timeLine->AlignDuration(3);
        break;
    case c::kFaceAdd:
        m_timeLine->OnFaceAdd();
        break;
    case c::kSetIn:
        OnTlInMoved(m_timeLine->PlayPosition());
        break;
    case c::kSetOut:
        OnTlOutMoved(m_timeLine->PlayPosition());
        break;
    case c::kPreview:
        if (!m_viewer.IsViewerRunning())
            RestartViewer();
        break;
    case c::kPropertyPage:
        ShowPanelPage(0);
        break;
    case c::kEffectPage:
        ShowPanelPage(1);
        break;
    case c::kFilterPage:
        ShowPanelPage(2);
        break;
    default:
        return false;
    }
    m_timeLine->update();
    return true;
}

void CKaleidraView::UpdateMenuStates()
{
    QMenuBar* menuBar = MenuBar();
    const bool open = IsProjectOpen() && m_timeLine;
    const bool playing = m_timeLine && m_timeLine->IsPlaying();
    const bool remote = m_timeLine && m_timeLine->IsRemoteConnected();
    const bool selection = open && !m_timeLine->Selection().empty();
    const auto set = [&](int id, bool enabled, std::optional<bool> checked = std::nullopt) {
        QAction* action = FindMenuCommand(*menuBar, id);
        if (!action)
            return;
        action->setEnabled(enabled);
        if (checked)
            action->setChecked(enabled && *checked);
    };
    const auto toggled = [](const CGdiButton* button) { return button && button->GetCheckState() != 0; };
    const bool panelShown = m_itemPanel && m_itemPanel->isVisible();
    const int tab = m_itemPanel ? m_itemPanel->CurrentTab() : -1;

    set(c::kNewProject, !remote);
    set(c::kOpenProject, !remote);
    set(c::kSaveProject, open);
    set(c::kSaveProjectAs, open && m_document.ProjectSource == 1);
    set(c::kCloseProject, open);
    set(c::kUndo, CanUndo());
    set(c::kRedo, CanRedo());
    for (const int id : { c::kAllDelete, c::kCopy, c::kPackLeft, c::kPackRight, c::kSplit,
             c::kAlignStartEarly, c::kAlignStartLate, c::kAlignPlayShort, c::kAlignPlayLong })
        set(id, selection);
    set(c::kFaceAdd, open);
    set(c::kScreen, open, toggled(m_screenButton));
    set(c::kGuide, open, toggled(m_guideButton));
    set(c::kLoop, open, toggled(m_loopButton));
    set(c::kPreview, open, m_viewer.IsViewerRunning());
    set(c::kPropertyPage, open, panelShown && tab == 0);
    set(c::kEffectPage, open, panelShown && tab == 1);
    set(c::kFilterPage, open, panelShown && tab == 2);
    for (const int id : { c::kSetIn, c::kSetOut, c::kTop, c::kStartPause })
        set(id, open);
    set(c::kSettings, !playing);
    set(c::kCameraSettings, !IsProjectOpen());
    set(c::kVersion, !playing);
    set(c::kManual, !playing);
    set(c::kSupport, !playing && !Language().GetSupportUrlPro().trimmed().isEmpty());
    UpdatePackageAndRemoteMenuStates();
}
