#include "controls/gdi_button.h"
#include "controls/msk_edit.h"
#include "core/dialog_services.h"
#include "core/message_catalog.h"
#include "project/export_dlg.h"
#include "project/import_dlg.h"
#include "project/package_dialog_owner.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QString Message(int id)
{
    return dialog_services::Messages().GetMessage(id);
}

QString SkinFolder()
{
    return QStringLiteral(KALEIDRA_BIN_DIR "/Skin/");
}

// Shows the dialog (not modally) and keeps it for the test.
template <typename Dialog> std::unique_ptr<Dialog> Shown()
{
    auto dialog = std::make_unique<Dialog>();
    dialog->m_skinFolder = SkinFolder();
    dialog->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    return dialog;
}

template <typename Dialog> QString Text(const Dialog& dialog, int id)
{
    return dialog.template ItemAs<CMskEdit>(id)->text();
}

// Clicks a browse button, answering its picker with the path.
template <typename Dialog>
void Browse(Dialog& dialog, CScriptedDialogService& dialogs, int buttonId, const QString& path)
{
    dialogs.AnswerPath(path);
    QTest::mouseClick(dialog.Item(buttonId), Qt::LeftButton);
}

class PackageDialogsTest : public ::testing::Test {
protected:
    CScriptedDialogService dialogs;
    CTempFolder temp;
};

TEST_F(PackageDialogsTest, ExportDialogChecksAndHandsBackThePaths)
{
    const QString project = temp.WriteFile(QStringLiteral("Show.KDP"), "x");
    const QString other = temp.WriteFile(QStringLiteral("notes.txt"), "x");
    const QString folder = temp.MakeFolder(QStringLiteral("out"));
    auto dialog = Shown<CExportDlg>();
    EXPECT_EQ(dialog->size(), QSize(CExportDlg::kWidth, CExportDlg::kHeight));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("パッケージを作成"));
    EXPECT_EQ(dialog->Item(CExportDlg::IDC_PROJECT)->geometry(), QRect(10, 39, 450, 24));
    EXPECT_EQ(dialog->Item(CExportDlg::IDC_FOLDER_BROWSE)->geometry(), QRect(460, 107, 24, 24));
    EXPECT_EQ(dialog->Item(CExportDlg::IDC_CANCEL)->geometry(), QRect(405, 151, 70, 30));
    EXPECT_EQ(dialog->template ItemAs<QLabel>(CExportDlg::IDC_FOLDER_CAPTION)->text(),
        QStringLiteral("パッケージファイルを保存するフォルダを選択してください"));

    // The edits take no typing.
    QTest::keyClicks(dialog->Item(CExportDlg::IDC_PROJECT), QStringLiteral("typed"));
    EXPECT_EQ(Text(*dialog, CExportDlg::IDC_PROJECT), QString());

    struct Step {
        const char* name;
        std::optional<QString> project; // picked before OK; nothing: unchanged
        std::optional<QString> folder;
        int message;
        int focus;
    };
    const Step steps[] = {
        { "nothing picked", std::nullopt, std::nullopt, 8, CExportDlg::IDC_FOLDER },
        { "a text file", other, folder + QStringLiteral("//"), 13, CExportDlg::IDC_PROJECT },
        { "a folder as the project", folder, std::nullopt, 12, CExportDlg::IDC_PROJECT },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.project)
            Browse(*dialog, dialogs, CExportDlg::IDC_PROJECT_BROWSE, *step.project);
        if (step.folder)
            Browse(*dialog, dialogs, CExportDlg::IDC_FOLDER_BROWSE, *step.folder);
        dialogs.Clear();
        dialogs.AnswerMessageBox(platform::IDOK);
        QTest::mouseClick(dialog->Item(CExportDlg::IDC_OK), Qt::LeftButton);
        EXPECT_EQ(dialogs.MessageTexts(), std::vector<QString> { Message(step.message) });
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->Item(step.focus)->hasFocus());
        EXPECT_TRUE(dialog->m_outputFolder.isEmpty()) << "nothing is stored before all checks pass";
    }

    Browse(*dialog, dialogs, CExportDlg::IDC_PROJECT_BROWSE, project);
    dialogs.Clear();
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    EXPECT_TRUE(dialogs.MessageTexts().empty());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->m_outputFolder, folder + u'/');
    EXPECT_EQ(dialog->m_projectFile, project);
}

TEST_F(PackageDialogsTest, ImportDialogChecksAndHandsBackThePaths)
{
    const QString package = temp.WriteFile(QStringLiteral("Show.KDPP"), "x");
    const QString project = temp.WriteFile(QStringLiteral("Show.kdp"), "x");
    const QString folder = temp.MakeFolder(QStringLiteral("out"));
    const QString doomed = temp.MakeFolder(QStringLiteral("doomed"));
    auto dialog = Shown<CImportDlg>();
    EXPECT_EQ(dialog->size(), QSize(CImportDlg::kWidth, CImportDlg::kHeight));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("パッケージを展開"));
    EXPECT_EQ(dialog->Item(CImportDlg::IDC_DATA_FOLDER)->geometry(), QRect(10, 175, 450, 24));
    EXPECT_EQ(dialog->Item(CImportDlg::IDC_OK)->geometry(), QRect(310, 219, 70, 30));

    struct Step {
        const char* name;
        int browse; // 0: none
        QString path;
        int message;
        int focus;
    };
    const Step steps[] = {
        { "nothing picked", 0, QString(), 14, CImportDlg::IDC_PACKAGE },
        { "a project file", CImportDlg::IDC_PACKAGE_BROWSE, project, 17, CImportDlg::IDC_PACKAGE },
        { "no project folder", CImportDlg::IDC_PACKAGE_BROWSE, package, 18, CImportDlg::IDC_PROJECT_FOLDER },
        { "no data folder", CImportDlg::IDC_PROJECT_BROWSE, folder, 20, CImportDlg::IDC_DATA_FOLDER },
        { "a data folder deleted after it was picked", CImportDlg::IDC_DATA_BROWSE, doomed, 21,
            CImportDlg::IDC_DATA_FOLDER },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.browse != 0)
            Browse(*dialog, dialogs, step.browse, step.path);
        if (step.path == doomed)
            QDir(doomed).removeRecursively();
        dialogs.Clear();
        dialogs.AnswerMessageBox(platform::IDOK);
        QTest::mouseClick(dialog->Item(CImportDlg::IDC_OK), Qt::LeftButton);
        EXPECT_EQ(dialogs.MessageTexts(), std::vector<QString> { Message(step.message) });
        EXPECT_TRUE(dialog->Item(step.focus)->hasFocus());
    }

    // A cancelled picker changes nothing; one folder may take both.
    dialogs.AnswerPath(std::nullopt);
    QTest::mouseClick(dialog->Item(CImportDlg::IDC_DATA_BROWSE), Qt::LeftButton);
    EXPECT_EQ(Text(*dialog, CImportDlg::IDC_DATA_FOLDER), doomed);
    Browse(*dialog, dialogs, CImportDlg::IDC_DATA_BROWSE, folder + u'/');
    dialogs.Clear();
    QTest::mouseClick(dialog->Item(CImportDlg::IDC_OK), Qt::LeftButton);
    EXPECT_TRUE(dialogs.MessageTexts().empty());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->m_packageFile, package);
    EXPECT_EQ(dialog->m_projectFolder, folder + u'/');
    EXPECT_EQ(dialog->m_dataFolder, folder + u'/');
}

TEST_F(PackageDialogsTest, FlowOwnerRunsTheRealDialogsAndMessageBoxes)
{
    const QString project = temp.WriteFile(QStringLiteral("Show.kdp"), "x");
    const QString folder = temp.MakeFolder(QStringLiteral("out"));
    std::vector<bool> waits;
    CPackageDialogFlowOwner owner(nullptr, SkinFolder(), [&](bool shown) { waits.push_back(shown); });

    // The export dialog is answered while it runs modally.
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CExportDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        Browse(*dialog, dialogs, CExportDlg::IDC_PROJECT_BROWSE, project);
        Browse(*dialog, dialogs, CExportDlg::IDC_FOLDER_BROWSE, folder);
        QTest::mouseClick(dialog->Item(CExportDlg::IDC_OK), Qt::LeftButton);
    });
    QString outputFolder;
    QString projectFile;
    EXPECT_TRUE(owner.RunExportDialog(outputFolder, projectFile));
    EXPECT_EQ(outputFolder, folder + u'/');
    EXPECT_EQ(projectFile, project);

    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    QString package;
    QString data;
    EXPECT_FALSE(owner.RunImportDialog(package, projectFile, data));

    dialogs.AnswerMessageBox(platform::IDNO);
    EXPECT_FALSE(owner.AskYesNo(54));
    dialogs.AnswerMessageBox(platform::IDYES);
    EXPECT_TRUE(owner.AskYesNo(54));
    EXPECT_EQ(dialogs.Requests().back().type & platform::MB_TYPEMASK, platform::MB_YESNO);
    dialogs.Clear();
    dialogs.AnswerMessageBox(platform::IDOK);
    dialogs.AnswerMessageBox(platform::IDOK);
    owner.Report({ 78, QStringLiteral("zip: no space") });
    owner.Report({ 0, QStringLiteral("プロジェクトファイルのリネームに失敗しました。") });
    EXPECT_EQ(dialogs.MessageTexts(),
        (std::vector<QString> { Message(78) + QStringLiteral("zip: no space"),
            QStringLiteral("プロジェクトファイルのリネームに失敗しました。") }));

    // The long work runs off the window thread under the wait window; what it reports is shown
    // once the wait window is hidden.
    dialogs.Clear();
    dialogs.AnswerMessageBox(platform::IDOK);
    dialogs.onRequest = [&](const CScriptedDialogService::Request&) {
        EXPECT_EQ(waits, (std::vector<bool> { true, false })) << "the wait window is hidden first";
    };
    QThread* workThread = nullptr;
    EXPECT_TRUE(owner.RunUnderWait([&](CPackageReporter& reporter) {
        workThread = QThread::currentThread();
        EXPECT_EQ(waits, std::vector<bool> { true });
        reporter.Report({ 78, QStringLiteral("zip: no space") });
        return true;
    }));
    EXPECT_NE(workThread, QThread::currentThread());
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<QString> { Message(78) + QStringLiteral("zip: no space") });
    EXPECT_EQ(waits, (std::vector<bool> { true, false }));
}

} // namespace
