#include "tests/fixtures/scripted_dialog_service.h"
#include "updater/dlg_progress.h"

#include <QProgressBar>
#include <QTest>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

TEST(DlgProgressTest, TheBarCountsCopiedFilesAndOnlyTheLastStepClosesTheWindow)
{
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    constexpr int kFiles = 3;
    const QProgressBar* bar = nullptr;
    CDlgProgress* window = nullptr;
    // The bar's position and maximum as each step starts; the bar is set before its worker
    // starts and left alone until the worker has reported.
    std::vector<std::pair<int, int>> seen;
    bool openAfterClosing = false;
    CDlgProgress dialog(
        kFiles,
        [&]() -> UpdateStepResult {
            seen.emplace_back(bar->value(), bar->maximum());
            const int step = int(seen.size());
            if (step == 1) {
                // The user presses Esc and Enter and tries to close the window meanwhile.
                QMetaObject::invokeMethod(
                    window,
                    [&] {
                        QTest::keyClick(window, Qt::Key_Escape);
                        QTest::keyClick(window, Qt::Key_Return);
                        window->close();
                        openAfterClosing = window->isVisible();
                    },
                    Qt::QueuedConnection);
            }
            if (step <= kFiles)
                return { false, step, {}, 0 };
            return { true, kFiles, QStringLiteral("done"), platform::MB_ICONINFORMATION };
        },
        dialogs, QStringLiteral("Kaleidra 更新プログラム"));
    window = &dialog;
    bar = dialog.findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(dialog.windowTitle(), u"アップデート処理中...");
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);

    dialog.RunModal();

    EXPECT_EQ(seen, (std::vector<std::pair<int, int>> { { 0, 3 }, { 1, 3 }, { 2, 3 }, { 3, 3 } }));
    EXPECT_TRUE(openAfterClosing);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].text, u"done");
    EXPECT_EQ(dialogs.Requests()[0].caption, u"Kaleidra 更新プログラム");
    EXPECT_EQ(dialogs.Requests()[0].type, unsigned(platform::MB_ICONINFORMATION));
}
