#include "core/product_picture.h"
#include "core/splash_wnd.h"
#include "core/version_dlg.h"
#include "core/wait_dlg.h"
#include "tests/core/qstring_printer.h"

#include "controls/gdi_button.h"
#include "platform/dialog_service.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"

#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QTest>
#include <gtest/gtest.h>

TEST(SplashWnd, ShownOncePerRunAndOnlyWhenEnabled)
{
    QMainWindow frame;
    CSplashWnd::EnableSplashScreen(false);
    CSplashWnd::ShowSplashScreen(&frame, QString(), 0);
    EXPECT_EQ(CSplashWnd::Current(), nullptr);

    CSplashWnd::EnableSplashScreen(true);
    CSplashWnd::ShowSplashScreen(&frame, QString(), 0);
    CSplashWnd* splash = CSplashWnd::Current();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    // Without skin files the built-in picture stands in, at its own size.
    EXPECT_EQ(splash->Picture().size(), QSize(500, 240));
    EXPECT_EQ(splash->size(), QSize(500, 240));

    CSplashWnd::ShowSplashScreen(&frame, QString(), 0);
    EXPECT_EQ(CSplashWnd::Current(), splash);
    EXPECT_EQ(frame.findChildren<CSplashWnd*>().size(), 1);

    // It hides itself after its time and is not shown again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !splash->isVisible(); }, 3000));
    CSplashWnd::ShowSplashScreen(&frame, QString(), 0);
    EXPECT_FALSE(splash->isVisible());
    EXPECT_EQ(frame.findChildren<CSplashWnd*>().size(), 1);
    CSplashWnd::EnableSplashScreen(false);
}

TEST(WaitDlg, MissingPicturesAreReportedWithTheirPathsAndLeftEmpty)
{
    CTempFolder folder;
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    dialogs.AnswerMessageBox(platform::IDOK);
    CWaitDlg wait;
    const QString failure = QStringLiteral("画像の読込みに失敗しました。");
    EXPECT_TRUE(wait.LoadImage(folder.Path(), &failure));
    const std::vector<QString> texts = dialogs.MessageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], failure + folder.Path() + QStringLiteral("/img_previewstart.png"));
    EXPECT_EQ(texts[1], failure + folder.Path() + QStringLiteral("/img_wait.png"));
    EXPECT_TRUE(wait.PreviewStartPicture().isNull());
    EXPECT_TRUE(wait.WaitPicture().isNull());
    EXPECT_EQ(wait.size(), CWaitDlg::kDefaultSize);
    EXPECT_FALSE(wait.isVisible());
}

TEST(WaitDlg, TakesTheWaitPicturesSizeAndShowsTheChosenPicture)
{
    CTempFolder folder;
    QImage wait(220, 90, QImage::Format_RGB32);
    wait.fill(Qt::red);
    QImage start(220, 90, QImage::Format_RGB32);
    start.fill(Qt::blue);
    ASSERT_TRUE(wait.save(folder.FilePath(QStringLiteral("img_wait.png"))));
    ASSERT_TRUE(start.save(folder.FilePath(QStringLiteral("IMG_PREVIEWSTART.PNG"))));
    CScriptedDialogService dialogs;
    CWaitDlg dialog;
    ASSERT_TRUE(dialog.LoadImage(folder.Path()));
    EXPECT_TRUE(dialogs.MessageTexts().empty()) << "a name found without regard to case is not missing";
    EXPECT_EQ(dialog.size(), QSize(220, 90));
    EXPECT_NEAR(dialog.windowOpacity(), 192.0 / 255.0, 0.01);
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(dialog.ShownPicture(), CWaitDlg::kWaitPicture);
    EXPECT_EQ(dialog.grab().toImage().pixelColor(110, 45), QColor(Qt::red));
    dialog.SetShownPicture(CWaitDlg::kPreviewStartPicture);
    EXPECT_EQ(dialog.grab().toImage().pixelColor(110, 45), QColor(Qt::blue));
}

TEST(VersionDlg, FixedGeometryWithTheButtonInTheBottomRightCorner)
{
    const VersionDlgLayout layout = ComputeVersionDlgLayout();
    EXPECT_EQ(layout.client, QSize(516, 318));
    EXPECT_EQ(layout.okButton, QRect(411, 288, 100, 25));
    EXPECT_EQ(layout.okButton.right(), 516 - 5 - 1);
    EXPECT_EQ(layout.okButton.bottom(), 318 - 5 - 1);
    EXPECT_EQ(layout.picture, QRect(5, 5, 506, 240));
    EXPECT_EQ(layout.versionText, QRect(326, 180, 180, 20));

    CVersionDlg dialog;
    EXPECT_EQ(dialog.size(), QSize(516, 318));
    EXPECT_EQ(dialog.OkButton()->geometry(), layout.okButton);
    EXPECT_EQ(dialog.OkButton()->property("controlId").toInt(), CVersionDlg::kOkButtonId);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(dialog.Picture().size(), QSize(500, 240)) << "no skin: the built-in picture";
}

TEST(VersionDlg, ShowsTheProgramsStampedVersion)
{
    EXPECT_EQ(
        FormatVersionText(std::array<uint16_t, 4> { 1, 6, 1, 5 }), QStringLiteral("Version  1. 6. 1. 5"));
    EXPECT_EQ(FormatVersionText(std::nullopt), QStringLiteral("Version"));
    // The test program carries no stamp; the editor does.
    CVersionDlg unstamped(nullptr, QCoreApplication::applicationFilePath());
    EXPECT_EQ(unstamped.VersionText(), QStringLiteral("Version"));
    CVersionDlg editor(nullptr, QStringLiteral(KALEIDRA_EDITOR_PROGRAM));
    EXPECT_EQ(editor.VersionText(), QStringLiteral(KALEIDRA_EDITOR_VERSION));
}

TEST(VersionDlg, OkAndEnterClose)
{
    for (const bool byEnter : { false, true }) {
        SCOPED_TRACE(byEnter ? "Enter" : "click");
        CVersionDlg dialog;
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        if (byEnter)
            QTest::keyClick(&dialog, Qt::Key_Return);
        else
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_FALSE(dialog.isVisible());
    }
}
