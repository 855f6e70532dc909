// The view's settings and camera settings commands on a set-up view: the dialogs are the real
// ones, filled in and closed as a user would; the settings file is the fixture's.

#include "controls/gdi_combo_box.h"
#include "controls/msk_edit.h"
#include "itempanel/camera_dlg.h"
#include "itempanel/effect_dlg.h"
#include "itempanel/propety_dlg.h"
#include "itempanel/setting_dlg.h"
#include "platform/dialog_service.h"
#include "tests/core/qstring_printer.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/view/view_fixture.h"
#include "timeline/time_line.h"
#include "view/ini_setting_dlg.h"
#include "view/main_menu.h"

#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QTest>

namespace {

constexpr int kDisplays = 3;

// What the user does in the settings dialog; the changes left unset are not made.
struct SettingsInput {
    bool ok = true;
    std::optional<QString> address = QStringLiteral("192.168.0.20");
    std::optional<int64_t> imageTime;
    std::optional<int64_t> effectTime;
    std::optional<int> viewerMode;
    std::optional<int> resoMode;
    std::optional<int> projectorIndex;
};

} // namespace

class ViewSettings : public ViewFixture {
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        ASSERT_TRUE(MakeView());
        view->SetDisplayNameSource([](int n) { return QStringLiteral("DISPLAY-%1").arg(n); });
        view->SetModalRunner([this](QDialog& dialog) { return Answer(dialog); });
    }

    int Answer(QDialog& dialog)
    {
        ++dialogsRun;
        busyWhileOpen = view->IsBusy();
        if (auto* settings = qobject_cast<CIniSettingDlg*>(&dialog)) {
            settingsBusy = view->IsBusy(CKaleidraView::kBusySettings);
            shownValues = settings->m_values;
            settings->m_displayCount = kDisplays;
            settings->show();
            const auto list = [&](int id) { return settings->ItemAs<CGdiComboBox>(id); };
            if (input.address)
                settings->ItemAs<CMskEdit>(CIniSettingDlg::IDC_ADDRESS)->setText(*input.address);
            if (input.imageTime)
                settings->ItemAs<CMskEdit>(CIniSettingDlg::IDC_IMAGE_TIME)->SetWindowTime(*input.imageTime);
            if (input.effectTime)
                settings->ItemAs<CMskEdit>(CIniSettingDlg::IDC_EFFECT_TIME)->SetWindowTime(*input.effectTime);
            if (input.viewerMode)
                list(CIniSettingDlg::IDC_VIEWER_MODE)->setCurrentIndex(*input.viewerMode);
            if (input.resoMode)
                list(CIniSettingDlg::IDC_RESO_MODE)->setCurrentIndex(*input.resoMode);
            if (input.projectorIndex)
                list(CIniSettingDlg::IDC_PROJECTOR)->setCurrentIndex(*input.projectorIndex);
            if (input.ok)
                settings->accept();
            else
                settings->reject();
            settings->hide();
            return settings->result();
        }
        if (auto* cameras = qobject_cast<CCameraDlg*>(&dialog)) {
            cameraBusy = view->IsBusy(CKaleidraView::kBusyCameraSettings);
            shownCameras = cameras->m_cameras;
            shownSizes = cameras->m_imageWidths.size();
            if (!input.ok)
                return int(QDialog::Rejected);
            cameras->m_cameras = newCameras;
            return int(QDialog::Accepted);
        }
        ADD_FAILURE() << "an unexpected dialog";
        return int(QDialog::Rejected);
    }

    QByteArray SettingsFile() const
    {
        return temp.ReadFile(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Kaleidra.ini"));
    }

    SettingsInput input;
    int dialogsRun = 0;
    bool busyWhileOpen = false;
    bool settingsBusy = false;
    bool cameraBusy = false;
    IniSettingValues shownValues;
    std::vector<tagCAMERA_SETTING_DATA> shownCameras;
    size_t shownSizes = 0;
    std::vector<tagCAMERA_SETTING_DATA> newCameras;
};

TEST_F(ViewSettings, CancelChangesNothingAndClearsTheBusyFlag)
{
    document->SrvIPAdd = QStringLiteral("10.0.0.7");
    const QByteArray file = SettingsFile();
    input.ok = false;
    input.address = QStringLiteral("10.0.0.8");
    EXPECT_TRUE(view->OnSettings());
    EXPECT_EQ(dialogsRun, 1);
    EXPECT_TRUE(settingsBusy) << "busy while the dialog is up";
    EXPECT_EQ(shownValues.remoteAddress, QStringLiteral("10.0.0.7"))
        << "the dialog shows the document's values";
    EXPECT_FALSE(view->IsBusy());
    EXPECT_EQ(document->SrvIPAdd, QStringLiteral("10.0.0.7"));
    EXPECT_EQ(SettingsFile(), file);
}

TEST_F(ViewSettings, NewDefaultTimesReachTheTimelineAndThePanelPages)
{
    input.imageTime = 1234;
    input.effectTime = 250;
    ASSERT_TRUE(view->OnSettings());
    EXPECT_FALSE(view->IsBusy());
    EXPECT_EQ(document->ImageDefaultTime, 1234);
    EXPECT_EQ(document->EffectDefaultTime, 250);
    EXPECT_EQ(view->TimeLine()->ImageDefaultTime(), 1234);
    EXPECT_EQ(view->ItemPanel()->PropertyPage()->m_defaultImageTime, 1234);
    EXPECT_EQ(view->ItemPanel()->EffectPage()->m_defaultEffectTime, 250);
    // And the settings file holds them.
    CKaleidraDoc reread;
    QString error;
    ASSERT_TRUE(reread.ReadIniSettings(error)) << error.toStdString();
    EXPECT_EQ(reread.ImageDefaultTime, 1234);
    EXPECT_EQ(reread.EffectDefaultTime, 250);
}

TEST_F(ViewSettings, AFailedWriteShowsMessage72WithItsReasonAndGoesNoFurther)
{
    const int32_t imageTime = document->ImageDefaultTime;
    ASSERT_TRUE(QFile::remove(temp.FilePath(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Kaleidra.ini"))));
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    input.imageTime = imageTime + 100;
    input.resoMode = (document->ResoMode + 1) % 5;
    Block().resoMode = -1;
    ASSERT_TRUE(view->OnSettings());
    ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
    EXPECT_TRUE(dialogs.MessageTexts()[0].startsWith(QStringLiteral("設定の更新に失敗しました。")))
        << dialogs.MessageTexts()[0].toStdString();
    EXPECT_GT(dialogs.MessageTexts()[0].size(), QStringLiteral("設定の更新に失敗しました。").size())
        << "the reason follows";
    EXPECT_EQ(document->ImageDefaultTime, imageTime + 100) << "the document keeps the new values";
    EXPECT_EQ(view->TimeLine()->ImageDefaultTime(), imageTime) << "nothing goes on from there";
    EXPECT_EQ(Block().resoMode, -1);
    EXPECT_FALSE(view->IsBusy());
}

TEST_F(ViewSettings, DisplayChangesGoIntoTheBlockAndRestartOnlyARunningShowsViewer)
{
    struct Case {
        const char* name;
        bool projectOpen;
        std::function<void(SettingsInput&)> change;
        bool blockWritten;
        bool restarted;
    };
    const Case cases[] = {
        { "the remote address only, project open", true,
            [](SettingsInput& in) { in.address = QStringLiteral("10.1.2.3"); }, false, false },
        { "the aspect, no project", false, [](SettingsInput& in) { in.resoMode = 2; }, true, false },
        { "the display, no project", false, [](SettingsInput& in) { in.projectorIndex = 0; }, true, false },
        { "the viewer mode, project open", true, [](SettingsInput& in) { in.viewerMode = 1; }, true, true },
        { "the display, project open", true, [](SettingsInput& in) { in.projectorIndex = 2; }, true, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(MakeView());
        view->SetDisplayNameSource([](int n) { return QStringLiteral("DISPLAY-%1").arg(n); });
        view->SetModalRunner([this](QDialog& dialog) { return Answer(dialog); });
        document->ViewerMode = 0;
        document->ResoMode = 0;
        document->ProjectorDisplayNo = 2;
        if (c.projectOpen) {
            ASSERT_TRUE(QDir(temp.FilePath(QStringLiteral("work/Show"))).removeRecursively());
            StartFakeViewer();
            OpenTestProject();
            viewer->EndOnQuit(view->ViewerProcessId());
        }
        const pid_t viewerBefore = view->ViewerProcessId();
        Block().resoMode = -1;
        WritePmText(Block().displayName, QStringLiteral("unchanged"));
        input = SettingsInput();
        c.change(input);
        ASSERT_TRUE(view->OnSettings());
        if (c.blockWritten) {
            EXPECT_EQ(Block().resoMode, document->ResoMode);
            EXPECT_EQ(ReadPmText(Block().displayName),
                QStringLiteral("DISPLAY-%1").arg(document->ProjectorDisplayNo));
        } else {
            EXPECT_EQ(Block().resoMode, -1);
            EXPECT_EQ(ReadPmText(Block().displayName), QStringLiteral("unchanged"));
        }
        if (c.restarted) {
            EXPECT_NE(view->ViewerProcessId(), viewerBefore);
            EXPECT_NE(view->ViewerProcessId(), 0);
            EXPECT_TRUE(view->Viewer().IsViewerRunning());
        } else {
            EXPECT_EQ(view->ViewerProcessId(), viewerBefore);
        }
        if (view->ViewerProcessId())
            viewer->EndOnQuit(view->ViewerProcessId());
    }
}

TEST_F(ViewSettings, SettingsAreRefusedWhilePlayingAndAHandOverWaitsForThem)
{
    view->TimeLine()->SetPlaying(true);
    EXPECT_FALSE(view->OnSettings());
    EXPECT_EQ(dialogsRun, 0);
    view->UpdateMenuStates();
    EXPECT_FALSE(FindMenuCommand(*frame->menuBar(), menu_command::kSettings)->isEnabled());
    view->TimeLine()->SetPlaying(false);
    view->UpdateMenuStates();
    EXPECT_TRUE(FindMenuCommand(*frame->menuBar(), menu_command::kSettings)->isEnabled());

    // A second start's path that comes while the dialog is up is opened after it.
    handlers.calls.clear();
    view->SetModalRunner([this](QDialog& dialog) {
        view->OpenHandedOverProject(QStringLiteral("/shows/next.kdp"));
        EXPECT_TRUE(handlers.calls.isEmpty()) << "not while the settings are busy";
        return Answer(dialog);
    });
    input.ok = false;
    FindMenuCommand(*frame->menuBar(), menu_command::kSettings)->trigger();
    EXPECT_EQ(dialogsRun, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !handlers.calls.isEmpty(); }));
    EXPECT_EQ(handlers.calls, QStringList { QStringLiteral("handover /shows/next.kdp") });
}

TEST_F(ViewSettings, CameraSettingsRunOnlyWithoutAProjectAndWriteTheCameras)
{
    document->CameraList = { tagCAMERA_SETTING_DATA { 0, QStringLiteral("Stage"), 640, 480 } };
    document->CameraImageWidths = { 640, 1280 };
    document->CameraImageHeights = { 480, 720 };
    newCameras = { tagCAMERA_SETTING_DATA { 0, QStringLiteral("Stage left"), 1280, 720 },
        tagCAMERA_SETTING_DATA { 1, QStringLiteral("Balcony"), 640, 480 } };

    input.ok = false;
    ASSERT_TRUE(view->OnCameraSettings());
    EXPECT_TRUE(cameraBusy);
    EXPECT_FALSE(view->IsBusy());
    ASSERT_EQ(shownCameras.size(), 1u);
    EXPECT_EQ(shownCameras[0].CameraName, QStringLiteral("Stage"));
    EXPECT_EQ(shownSizes, 2u);
    EXPECT_EQ(document->CameraList.size(), 1u) << "cancel keeps the list";

    // Sizes whose two lists differ in length are not offered.
    document->CameraImageHeights = { 480 };
    input.ok = true;
    ASSERT_TRUE(view->OnCameraSettings());
    EXPECT_EQ(shownSizes, 0u);
    ASSERT_EQ(document->CameraList.size(), 2u);
    EXPECT_EQ(document->CameraList[1].CameraName, QStringLiteral("Balcony"));
    CKaleidraDoc reread;
    QString error;
    ASSERT_TRUE(reread.ReadIniSettings(error)) << error.toStdString();
    ASSERT_EQ(reread.CameraList.size(), 2u);
    EXPECT_EQ(reread.CameraList[0].CameraName, QStringLiteral("Stage left"));
    EXPECT_EQ(reread.CameraList[0].ImageWidth, 1280);

    // A failed write shows the writer's text.
    ASSERT_TRUE(QFile::remove(temp.FilePath(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Kaleidra.ini"))));
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    ASSERT_TRUE(view->OnCameraSettings());
    ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
    EXPECT_TRUE(dialogs.MessageTexts()[0].contains(QStringLiteral("Kaleidra.ini")))
        << dialogs.MessageTexts()[0].toStdString();
    EXPECT_FALSE(view->IsBusy());

    // Greyed and refused as soon as a project is open.
    view->UpdateMenuStates();
    EXPECT_TRUE(FindMenuCommand(*frame->menuBar(), menu_command::kCameraSettings)->isEnabled());
    OpenTestProject();
    view->UpdateMenuStates();
    EXPECT_FALSE(FindMenuCommand(*frame->menuBar(), menu_command::kCameraSettings)->isEnabled());
    const int runs = dialogsRun;
    EXPECT_FALSE(view->OnCameraSettings());
    EXPECT_EQ(dialogsRun, runs);
}
