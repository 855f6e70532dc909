#include "view/kaleidra_view.h"

#include "core/kaleidra_app.h"
#include "core/main_frame.h"
#include "core/message_catalog.h"
#include "itempanel/camera_dlg.h"
#include "itempanel/effect_dlg.h"
#include "itempanel/propety_dlg.h"
#include "itempanel/setting_dlg.h"
#include "platform/dialog_service.h"
#include "platform/known_folders.h"
#include "timeline/time_line.h"
#include "view/doc_ini_settings.h"
#include "view/ini_setting_dlg.h"
#include "view/kaleidra_doc.h"

namespace {

enum : int { kMsgSettingsNotWritten = 72 };

} // namespace

bool CKaleidraView::OnSettings()
{
    if (m_timeLine && m_timeLine->IsPlaying())
        return false;
    CBusyGuard busy(*this, kBusySettings);
    CDocIniSettingStore store(m_document);
    const IniSettingOutcome outcome = RunIniSettingDialog(
        &m_frame, m_document.GetSkinFolder(), store, [this](QDialog& dialog) { return RunModal(dialog); });
    if (outcome.result == IniSettingOutcome::Cancelled)
        return true;
    if (outcome.result == IniSettingOutcome::WriteFailed) {
        // The document keeps the new values; the file and everything fed from it stay as they were.
        ShowMessage(Messages().GetMessage(kMsgSettingsNotWritten) + outcome.error,
            platform::MB_OK | platform::MB_ICONERROR);
        return true;
    }

    const IniSettingValues& values = outcome.after;
    if (m_timeLine)
        m_timeLine->SetImageDefaultTime(values.imageDefaultTime);
    if (m_itemPanel) {
        m_itemPanel->PropertyPage()->m_defaultImageTime = values.imageDefaultTime;
        m_itemPanel->EffectPage()->m_defaultEffectTime = values.effectDefaultTime;
    }

    // The display and its aspect go into the block for the next start of the viewer even with
    // no project open; a running show's viewer starts again with them.
    const IniSettingChange change = CompareIniSettings(outcome.before, values, IsProjectOpen());
    if (change.displayChanged && m_channel) {
        QString displayName;
        if (m_displayName)
            displayName = m_displayName(values.projectorDisplayNo);
        else if (const CKaleidraApp* app = KaleidraApp())
            displayName = app->GetDisplayDeviceName(values.projectorDisplayNo);
        WriteDisplaySettings(*m_channel, values, displayName);
    }
    if (change.restartViewer)
        RestartViewer();
    return true;
}

bool CKaleidraView::OnCameraSettings()
{
    if (IsProjectOpen())
        return false;
    CBusyGuard busy(*this, kBusyCameraSettings);
    CCameraDlg dialog(&m_frame);
    dialog.m_skinFolder = m_document.GetSkinFolder();
    dialog.m_settingFolder = platform::SettingsFolder();
    dialog.SetCameras(m_document.CameraList);
    // The sizes are offered only as whole pairs.
    if (m_document.CameraImageWidths.size() == m_document.CameraImageHeights.size()) {
        dialog.m_imageWidths = m_document.CameraImageWidths;
        dialog.m_imageHeights = m_document.CameraImageHeights;
    }
    if (RunModal(dialog) != QDialog::Accepted)
        return true;
    QString error;
    if (!m_document.WriteCameraSettings(error, dialog.m_cameras))
        ShowMessage(error, platform::MB_OK | platform::MB_ICONERROR);
    return true;
}
