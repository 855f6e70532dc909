#include "controls/gdi_button.h"
#include "controls/gdi_combo_box.h"
#include "controls/msk_edit.h"
#include "core/dialog_services.h"
#include "core/message_catalog.h"
#include "platform/profile_file.h"
#include "tests/fixtures/scoped_env.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"
#include "view/doc_ini_settings.h"
#include "view/ini_setting_dlg.h"
#include "view/kaleidra_doc.h"
#include "view/viewer_channel.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

QString Message(int id)
{
    return dialog_services::Messages().GetMessage(id);
}

TEST(IniSettings, OkChecksInOrder)
{
    struct Case {
        const char* name;
        int64_t imageTime;
        const char* address;
        int message;
    };
    const Case cases[] = {
        { "a usable address", 500, "192.168.0.10", 0 },
        { "three parts", 500, "192.168.0", 23 },
        { "five parts", 500, "1.2.3.4.5", 23 },
        { "a part above 255", 500, "256.1.1.1", 24 },
        { "the last part above 255", 500, "1.1.1.999", 24 },
        { "three dots alone", 500, "...", 0 },
        { "an image time of 0 before the address", 0, "1.2", 22 },
        { "an image time whose low 32 bits are 0", int64_t(1) << 32, "1.2.3.4", 22 },
        { "a negative image time", -1, "1.2.3.4", 22 },
        { "one hundredth", 1, "1.2.3.4", 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckIniSettings(c.imageTime, QString::fromLatin1(c.address)), c.message) << c.name;
}

TEST(IniSettings, ProjectorListSelectionAndWhatAChangeAsks)
{
    struct Selection {
        int count;
        int32_t number;
        int expected;
    };
    const Selection selections[] = {
        { 0, 2, -1 },
        { 2, 3, 1 },
        { 2, 2, 1 },
        { 2, 1, 0 },
        { 2, 0, -1 },
        { 3, -4, -1 },
    };
    for (const Selection& s : selections)
        EXPECT_EQ(ProjectorListSelection(s.count, s.number), s.expected) << s.count << " " << s.number;

    const IniSettingValues before;
    struct Change {
        const char* name;
        std::function<void(IniSettingValues&)> edit;
        bool projectOpen;
        bool displayChanged;
        bool restart;
    };
    const Change changes[] = {
        { "only the address", [](IniSettingValues& v) { v.remoteAddress = QStringLiteral("10.0.0.1"); }, true,
            false, false },
        { "only the times", [](IniSettingValues& v) { v.imageDefaultTime = 9; }, true, false, false },
        { "the resolution without a project", [](IniSettingValues& v) { v.resoMode = 2; }, false, true,
            false },
        { "the resolution with a project", [](IniSettingValues& v) { v.resoMode = 2; }, true, true, true },
        { "the viewer mode", [](IniSettingValues& v) { v.viewerMode = 1; }, true, true, true },
        { "the projector", [](IniSettingValues& v) { v.projectorDisplayNo = 1; }, false, true, false },
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        IniSettingValues after = before;
        c.edit(after);
        const IniSettingChange change = CompareIniSettings(before, after, c.projectOpen);
        EXPECT_EQ(change.displayChanged, c.displayChanged);
        EXPECT_EQ(change.restartViewer, c.restart);
    }
}

class CNoViewer final : public CViewerLiveness {
public:
    bool IsViewerRunning() override { return false; }
};

TEST(IniSettings, DisplaySettingsGoIntoTheViewerBlock)
{
    auto block = std::make_unique<PmParamBlock>();
    CNoViewer liveness;
    CViewerChannel channel(block.get(), liveness);
    IniSettingValues values;
    values.resoMode = 4;
    WriteDisplaySettings(channel, values, QStringLiteral("HDMI-1"));
    EXPECT_EQ(block->resoMode, 4);
    EXPECT_EQ(QString::fromUtf16(block->displayName), QStringLiteral("HDMI-1"));
    WriteDisplaySettings(channel, values, QString(300, u'x'));
    EXPECT_EQ(QString::fromUtf16(block->displayName), QString()) << "a name too long is not cut";
}

TEST(IniSettings, FramePiecesAreLaidOutAroundThePages)
{
    // Corners 10 x 12 (left top), 14 x 16 (right top), 6 x 8 (left under), 4 x 2 (right under);
    // edges 3 high (top), 5 wide (left), 7 wide (right), 9 high (under).
    const std::array<QSize, 8> sizes = { QSize(10, 12), QSize(14, 16), QSize(6, 8), QSize(4, 2), QSize(1, 3),
        QSize(5, 1), QSize(7, 1), QSize(1, 9) };
    const std::array<QRect, 8> rects = IniSettingFrameRects(QSize(326, 408), sizes);
    const std::array<QRect, 8> expected = {
        QRect(2, 31, 10, 12), // left top
        QRect(310, 31, 14, 16), // right top at W - 2 - its width
        QRect(2, 364, 6, 8), // left under ends at H - 36
        QRect(320, 370, 4, 2), // right under
        QRect(12, 31, 298, 3), // top between the top corners
        QRect(2, 43, 5, 321), // left between left top and left under
        QRect(310, 47, 7, 323), // right lined up with the right-top corner
        QRect(8, 363, 312, 9), // under between the under corners
    };
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(rects[i], expected[i]) << i;
}

// The dialog with the delivered skin, shown without a modal loop.
class IniSettingDlgTest : public ::testing::Test {
protected:
    void Show(const IniSettingValues& values, int displays)
    {
        dialog = std::make_unique<CIniSettingDlg>();
        dialog->m_skinFolder = QStringLiteral(KALEIDRA_BIN_DIR "/Skin/");
        dialog->m_values = values;
        dialog->m_displayCount = displays;
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    template <typename T> T* Control(int id) const { return dialog->ItemAs<T>(id); }
    void Click(int id) const { QTest::mouseClick(dialog->Item(id), Qt::LeftButton); }
    // OK, with the message box it shows answered.
    void PressOk(bool expectMessage)
    {
        dialogs.Clear();
        if (expectMessage)
            dialogs.AnswerMessageBox(platform::IDOK);
        Click(CIniSettingDlg::IDC_OK);
    }

    CScriptedDialogService dialogs;
    std::unique_ptr<CIniSettingDlg> dialog;
};

TEST_F(IniSettingDlgTest, ValuesShowOnTheirPagesAndComeBackOnOk)
{
    IniSettingValues values;
    values.imageDefaultTime = 500;
    values.effectDefaultTime = 0;
    values.remoteAddress = QStringLiteral("192.168.0.10");
    values.viewerMode = 1;
    values.resoMode = 2;
    values.projectorDisplayNo = 3;
    Show(values, 2);
    EXPECT_EQ(dialog->size(), QSize(CIniSettingDlg::kWidth, CIniSettingDlg::kHeight));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("各種設定"));
    EXPECT_EQ(Control<CMskEdit>(CIniSettingDlg::IDC_IMAGE_TIME)->text(), QStringLiteral("0:00:05:00"));
    EXPECT_EQ(Control<CMskEdit>(CIniSettingDlg::IDC_EFFECT_TIME)->text(), QStringLiteral("0:00:00:00"));
    EXPECT_EQ(Control<CGdiComboBox>(CIniSettingDlg::IDC_VIEWER_MODE)->currentText(),
        QStringLiteral("シングル（投影のみ）"));
    EXPECT_EQ(Control<CGdiComboBox>(CIniSettingDlg::IDC_RESO_MODE)->currentText(), QStringLiteral("4:3"));
    auto* projector = Control<CGdiComboBox>(CIniSettingDlg::IDC_PROJECTOR);
    EXPECT_EQ(projector->count(), 2);
    EXPECT_EQ(projector->currentText(), QStringLiteral("2"));
    EXPECT_EQ(dialog->Item(CIniSettingDlg::IDC_PROJECTOR)->geometry(), QRect(10, 235, 306, 24));
    EXPECT_EQ(dialog->Item(CIniSettingDlg::IDC_OK)->geometry(), QRect(173, 374, 65, 30));
    EXPECT_EQ(dialog->Item(CIniSettingDlg::IDC_PREVIEW_COMMENT_1)->geometry(), QRect(10, 312, 306, 18));

    // An effect time of 0 is accepted; the projector beyond the displays is stored as the last.
    PressOk(false);
    EXPECT_TRUE(dialogs.MessageTexts().empty());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    IniSettingValues expected = values;
    expected.projectorDisplayNo = 2;
    EXPECT_EQ(dialog->m_values, expected);
}

TEST_F(IniSettingDlgTest, TabsShowOnePageAtATime)
{
    Show(IniSettingValues(), 1);
    struct Step {
        int tab;
        int page;
    };
    const Step steps[]
        = { { 0, 0 }, { CIniSettingDlg::IDC_REMOTE_TAB, 1 }, { CIniSettingDlg::IDC_REMOTE_TAB, 1 },
              { CIniSettingDlg::IDC_PREVIEW_TAB, 2 }, { CIniSettingDlg::IDC_TIME_TAB, 0 } };
    const int tabs[]
        = { CIniSettingDlg::IDC_TIME_TAB, CIniSettingDlg::IDC_REMOTE_TAB, CIniSettingDlg::IDC_PREVIEW_TAB };
    const int pageControls[]
        = { CIniSettingDlg::IDC_IMAGE_TIME, CIniSettingDlg::IDC_ADDRESS, CIniSettingDlg::IDC_PROJECTOR };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.tab);
        if (step.tab != 0)
            Click(step.tab);
        EXPECT_EQ(dialog->CurrentPage(), step.page);
        for (int page = 0; page < 3; ++page) {
            EXPECT_EQ(Control<CGdiButton>(tabs[page])->GetCheckState(), page == step.page ? 1 : 0);
            EXPECT_EQ(dialog->Item(pageControls[page])->isVisible(), page == step.page);
        }
    }
    dialog->ShowPage(3);
    EXPECT_EQ(dialog->CurrentPage(), 0) << "pages beyond the three do nothing";
}

TEST_F(IniSettingDlgTest, RefusedValuesKeepTheDialogOpenAndUnchanged)
{
    IniSettingValues values;
    values.imageDefaultTime = 500;
    values.remoteAddress = QStringLiteral("192.168.0");
    Show(values, 1);
    // The address is checked while the time page shows.
    PressOk(true);
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<QString> { Message(23) });
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->CurrentPage(), 0);

    Click(CIniSettingDlg::IDC_REMOTE_TAB);
    auto* address = Control<CMskEdit>(CIniSettingDlg::IDC_ADDRESS);
    address->setFocus();
    address->selectAll();
    QTest::keyClicks(address, QStringLiteral("256.1.1.1abc.2222222222"));
    EXPECT_EQ(address->text(), QStringLiteral("256.1.1.1.22222")) << "digits and dots, 15 at most";
    address->setText(QStringLiteral("256.1.1.1"));
    PressOk(true);
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<QString> { Message(24) });
    EXPECT_EQ(dialog->CurrentPage(), 1);

    address->setText(QStringLiteral("10.0.0.1"));
    Control<CMskEdit>(CIniSettingDlg::IDC_IMAGE_TIME)->SetWindowTime(0);
    PressOk(true);
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<QString> { Message(22) });
    EXPECT_EQ(dialog->m_values, values) << "nothing is stored before all checks pass";
}

TEST_F(IniSettingDlgTest, ListsLeftWithoutASelectionKeepTheirValues)
{
    IniSettingValues values;
    values.imageDefaultTime = 100;
    values.viewerMode = 5;
    values.resoMode = -1;
    values.projectorDisplayNo = 0;
    Show(values, 2);
    EXPECT_EQ(Control<CGdiComboBox>(CIniSettingDlg::IDC_VIEWER_MODE)->currentIndex(), -1);
    EXPECT_EQ(Control<CGdiComboBox>(CIniSettingDlg::IDC_PROJECTOR)->currentIndex(), -1);
    PressOk(false);
    EXPECT_EQ(dialog->m_values, values);
}

// A store that keeps the values and fails its write when told to.
class CMemoryStore final : public CIniSettingStore {
public:
    IniSettingValues ReadIniSettings() const override { return values; }
    bool WriteIniSettings(const IniSettingValues& written, QString& error) override
    {
        values = written;
        ++writes;
        if (failWith.isEmpty())
            return true;
        error = failWith;
        return false;
    }
    IniSettingValues values;
    QString failWith;
    int writes = 0;
};

// Answers the modal dialog once it runs.
void AnswerDialog(const std::function<void(CIniSettingDlg&)>& answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<CIniSettingDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(*dialog);
    });
}

TEST(IniSettingCommand, TheDialogReadsAndWritesTheStore)
{
    CScriptedDialogService dialogs;
    CMemoryStore store;
    store.values.imageDefaultTime = 300;
    store.values.remoteAddress = QStringLiteral("10.0.0.1");

    AnswerDialog([](CIniSettingDlg& dialog) { dialog.reject(); });
    IniSettingOutcome outcome = RunIniSettingDialog(nullptr, QString(), store);
    EXPECT_EQ(outcome.result, IniSettingOutcome::Cancelled);
    EXPECT_EQ(store.writes, 0);

    AnswerDialog([](CIniSettingDlg& dialog) {
        dialog.ItemAs<CMskEdit>(CIniSettingDlg::IDC_ADDRESS)->setText(QStringLiteral("10.0.0.9"));
        dialog.accept();
    });
    outcome = RunIniSettingDialog(nullptr, QString(), store);
    EXPECT_EQ(outcome.result, IniSettingOutcome::Written);
    EXPECT_EQ(outcome.before.remoteAddress, QStringLiteral("10.0.0.1"));
    EXPECT_EQ(outcome.after.remoteAddress, QStringLiteral("10.0.0.9"));
    EXPECT_EQ(store.values.remoteAddress, QStringLiteral("10.0.0.9"));

    store.failWith = QStringLiteral("disk full");
    AnswerDialog([](CIniSettingDlg& dialog) { dialog.accept(); });
    outcome = RunIniSettingDialog(nullptr, QString(), store);
    EXPECT_EQ(outcome.result, IniSettingOutcome::WriteFailed);
    EXPECT_EQ(outcome.error, QStringLiteral("disk full"));
}

TEST(IniSettingCommand, TheDocumentKeepsAndWritesTheValues)
{
    CTempFolder temp;
    const CScopedEnv appData("KALEIDRA_COMMON_APPDATA", temp.FilePath(QStringLiteral("appdata")).toUtf8());
    CMessageCatalog messages;
    CKaleidraDoc document(&messages);
    document.ResoMode = 1;
    CDocIniSettingStore store(document);
    EXPECT_EQ(store.ReadIniSettings().resoMode, 1);

    IniSettingValues values = store.ReadIniSettings();
    values.resoMode = 3;
    values.remoteAddress = QStringLiteral("10.1.2.3");
    QString error;
    EXPECT_FALSE(store.WriteIniSettings(values, error)) << "there is no settings file";
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(document.ResoMode, 3) << "the document holds the new values";

    const QString file
        = temp.WriteFile(QStringLiteral("appdata/Oxtrel/Kaleidra/SETTING/Kaleidra.ini"), "[VIEWER]\r\n");
    ASSERT_TRUE(store.WriteIniSettings(values, error)) << error.toStdString();
    const platform::CProfileFile written(file);
    EXPECT_EQ(
        written.String(QStringLiteral("VIEWER"), QStringLiteral("ResoMode"), QString()), QStringLiteral("3"));
    EXPECT_EQ(written.String(QStringLiteral("REMOTE"), QStringLiteral("SrvIPAdd"), QString()),
        QStringLiteral("10.1.2.3"));
}

} // namespace
