#include "controls/remote_gdi_button.h"
#include "controls/remote_gdi_slider_ctrl.h"
#include "controls/remote_msk_edit.h"
#include "remote/about_dlg.h"
#include "remote/dlg_ip_list.h"
#include "remote/gdi_list_ctrl.h"
#include "remote/kaleidra_remote_view.h"
#include "remote/language_ini.h"
#include "remote/main_frame.h"
#include "remote/remote_messages.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/remote/raw_client.h"

#include "platform/qt_dialog_service.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

using namespace std::chrono_literals;

namespace {

RemoteServerOptions LoopbackAnyPort()
{
    RemoteServerOptions options;
    options.bindAddress = QStringLiteral("127.0.0.1");
    options.port = 0;
    return options;
}

// The next frame, letting the window's thread work while waiting for it.
std::optional<std::string> NextFrame(CRawClient& client, int timeoutMs = 5000)
{
    std::optional<std::string> frame;
    const bool arrived
        = QTest::qWaitFor([&] { return (frame = client.ReadFrame(1ms)).has_value(); }, timeoutMs);
    return arrived ? frame : std::nullopt;
}

// True when nothing arrives while the window's thread works for the given time.
bool StaysQuiet(CRawClient& client, int timeMs = 100)
{
    QTest::qWait(timeMs);
    return client.StaysQuiet(1ms);
}

class KaleidraRemoteViewTest : public ::testing::Test {
protected:
    void SetUp() override { CreateView(LoopbackAnyPort()); }

    void CreateView(RemoteServerOptions options)
    {
        language.SetDefaultPath(folder.FilePath(QStringLiteral("Language.Dat")));
        language.Load(QString());
        view = std::make_unique<CKaleidraRemoteView>(language, std::move(options));
        view->resize(CKaleidraRemoteView::kFormWidth, CKaleidraRemoteView::kFormHeight);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        view->OnInitialUpdate();
        ASSERT_TRUE(view->IsServerRunning());
        port = view->Server().ListeningPort();
    }

    template <typename T> T* Control(int id) const { return view->findChild<T*>(QString::number(id)); }
    QString Text(int id) const { return Control<QWidget>(id)->property("text").toString(); }

    // A first editor connects and answers the opening requests with these times.
    CRawClient ConnectFirstEditor(int64_t projectTime, int64_t playTime, int64_t currentTime)
    {
        CRawClient client(port);
        EXPECT_EQ(NextFrame(client), "PM_R10,000000000000");
        EXPECT_EQ(NextFrame(client), "PM_R04,000000000000");
        EXPECT_EQ(NextFrame(client), "PM_R03,000000000000");
        client.SendFrame("PM_S03", projectTime);
        client.SendFrame("PM_S02", playTime);
        client.SendFrame("PM_S01", currentTime);
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return view->Rules().ProjectTime() == projectTime && view->Rules().PlayTime() == playTime
                && view->Rules().CurrentTime() == currentTime;
        }));
        return client;
    }

    CTempFolder folder;
    CLanguageIni language;
    std::unique_ptr<CKaleidraRemoteView> view;
    uint16_t port = 0;
};

TEST_F(KaleidraRemoteViewTest, FirstEditorSetsTheTimesAndPlayStopsAtTheEnd)
{
    EXPECT_EQ(Text(IDC_STATUS), QStringLiteral("接続なし"));
    EXPECT_EQ(Text(IDC_NOWTIME_LABEL), QStringLiteral("現在時間"));
    CRawClient first = ConnectFirstEditor(360000, 1000, 990);
    EXPECT_EQ(Text(IDC_NOWTIME), QStringLiteral("0:00:09:90"));
    EXPECT_EQ(Text(IDC_PLAYTIME), QStringLiteral("0:00:10:00"));
    EXPECT_EQ(Text(IDC_PROJECTTIME), QStringLiteral("1:00:00:00"));
    EXPECT_EQ(Text(IDC_STATUS), QStringLiteral("1 台接続"));
    auto* slider = Control<controls::remote::CGdiSliderCtrl>(IDC_SEEK_SLIDER);
    EXPECT_EQ(slider->maximum(), 1000);
    EXPECT_EQ(slider->value(), 990);

    // A later editor is told the play time and changes nothing.
    CRawClient second(port);
    EXPECT_EQ(NextFrame(second), "PM_R51,000000001000");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Text(IDC_STATUS) == QStringLiteral("2 台接続"); }));
    EXPECT_EQ(view->Rules().CurrentTime(), 990);

    QTest::mouseClick(Control<QWidget>(IDC_START_PAUSE), Qt::LeftButton);
    EXPECT_EQ(NextFrame(first), "PM_R01,000000000990");
    EXPECT_EQ(NextFrame(second), "PM_R01,000000000990");
    EXPECT_FALSE(slider->isEnabled());
    EXPECT_TRUE(Control<QLineEdit>(IDC_NOWTIME)->isReadOnly());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view->Rules().IsPlaying(); }, 2000));
    EXPECT_EQ(Text(IDC_NOWTIME), QStringLiteral("0:00:10:00"));
    EXPECT_EQ(slider->value(), 1000);
    EXPECT_TRUE(slider->isEnabled());
    // The clock moved the slider; that is no seek of the user's.
    EXPECT_TRUE(StaysQuiet(first));

    second.Close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Text(IDC_STATUS) == QStringLiteral("1 台接続"); }));
}

TEST_F(KaleidraRemoteViewTest, KeysWorkWithTheFocusAnywhere)
{
    CRawClient editor = ConnectFirstEditor(360000, 5000, 100);
    QWidget* nowTime = Control<QWidget>(IDC_NOWTIME);
    nowTime->setFocus();

    QTest::keyClick(nowTime, Qt::Key_Space);
    EXPECT_EQ(NextFrame(editor).value_or("").substr(0, 7), "PM_R01,");
    QTest::keyClick(nowTime, Qt::Key_Space);
    EXPECT_EQ(NextFrame(editor).value_or("").substr(0, 7), "PM_R02,");
    EXPECT_EQ(NextFrame(editor).value_or("").substr(0, 7), "PM_R03,");

    struct Case {
        Qt::Key key;
        const char* code;
    };
    const Case cases[] = { { Qt::Key_G, "PM_R06," }, { Qt::Key_L, "PM_R08," }, { Qt::Key_P, "PM_R12," } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        QTest::keyClick(Control<QWidget>(IDC_START_PAUSE), c.key, Qt::ControlModifier);
        EXPECT_EQ(NextFrame(editor).value_or("").substr(0, 7), c.code);
    }
    EXPECT_TRUE(view->Rules().IsGuideOn());
    QTest::keyClick(nowTime, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(NextFrame(editor), "PM_R05,000000000000");

    // Without Ctrl the letters go to the focused control.
    QTest::keyClick(nowTime, Qt::Key_G);
    EXPECT_TRUE(StaysQuiet(editor, 30));
}

TEST_F(KaleidraRemoteViewTest, TypedTimesAndSliderMovesSeek)
{
    CRawClient editor = ConnectFirstEditor(360000, 1000, 0);
    auto* nowTime = Control<QLineEdit>(IDC_NOWTIME);

    struct Case {
        const char* typed;
        std::optional<std::string> frame;
        const char* shown;
    };
    const Case cases[] = {
        { "0:00:09:99", "PM_R05,000000000999", "0:00:09:99" },
        { "0:00:10:00", std::nullopt, "0:00:09:99" }, // the play time itself is refused
        { "0:00:05:00", "PM_R05,000000000500", "0:00:05:00" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        nowTime->setFocus();
        nowTime->selectAll();
        QTest::keyClicks(nowTime, QString::fromLatin1(c.typed));
        QTest::keyClick(nowTime, Qt::Key_Return);
        if (c.frame)
            EXPECT_EQ(NextFrame(editor), c.frame);
        else
            EXPECT_TRUE(StaysQuiet(editor, 30));
        EXPECT_EQ(nowTime->text(), QString::fromLatin1(c.shown));
    }

    // Five moves before the next tick give one seek, to the last position.
    auto* slider = Control<controls::remote::CGdiSliderCtrl>(IDC_SEEK_SLIDER);
    for (int i = 0; i < 5; ++i)
        slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(view->Rules().CurrentTime(), 505);
    EXPECT_EQ(NextFrame(editor), "PM_R05,000000000505");
    EXPECT_TRUE(StaysQuiet(editor, 50));
}

TEST_F(KaleidraRemoteViewTest, TheTimeFieldSeeksOnlyForATimeTheUserTyped)
{
    CRawClient editor = ConnectFirstEditor(360000, 1000, 250);
    auto* nowTime = Control<QLineEdit>(IDC_NOWTIME);
    QWidget* startPause = Control<QWidget>(IDC_START_PAUSE);
    // The window may lose the activation to a closing pop-up: take it back first.
    const auto focusOn = [&](QWidget* widget) {
        view->activateWindow();
        widget->setFocus(Qt::OtherFocusReason);
        return QTest::qWaitFor([&] { return widget->hasFocus(); });
    };
    // Opens a pop-up menu, which tells the focused control it lost the focus to a pop-up though
    // it keeps it, and checks that no seek goes out while the menu is open.
    const auto popUpAMenu = [&] {
        QMenu menu(view.get());
        menu.addAction(QStringLiteral("コピー"));
        menu.popup(view->mapToGlobal(QPoint(20, 20)));
        EXPECT_TRUE(QTest::qWaitFor([&] { return menu.isVisible(); }));
        EXPECT_TRUE(StaysQuiet(editor)) << "a pop-up menu took the field's time";
        menu.close();
    };
    const auto menuBarTakesTheFocus = [&] {
        QFocusEvent focusOut(QEvent::FocusOut, Qt::MenuBarFocusReason);
        QApplication::sendEvent(nowTime, &focusOut);
    };

    // Nothing typed: a pop-up, the menu bar or another control taking the focus seeks nothing.
    ASSERT_TRUE(focusOn(nowTime));
    popUpAMenu();
    ASSERT_TRUE(focusOn(nowTime));
    menuBarTakesTheFocus();
    ASSERT_TRUE(focusOn(startPause));
    EXPECT_TRUE(StaysQuiet(editor)) << "a focus-out without an edit sent a seek";

    // Typed: the menu bar and a pop-up keep the edit, leaving the field takes it. (Here the
    // closing pop-up leaves no window active, which is a way of leaving the field too.)
    ASSERT_TRUE(focusOn(nowTime));
    nowTime->selectAll();
    QTest::keyClicks(nowTime, QStringLiteral("0:00:05:00"));
    editor.SendFrame("PM_S03", 350000); // a report shown meanwhile leaves the typing alone
    EXPECT_TRUE(QTest::qWaitFor([&] { return Text(IDC_PROJECTTIME) == QStringLiteral("0:58:20:00"); }));
    menuBarTakesTheFocus();
    EXPECT_TRUE(StaysQuiet(editor));
    EXPECT_EQ(nowTime->text(), QStringLiteral("0:00:05:00"));
    popUpAMenu();
    ASSERT_TRUE(focusOn(startPause));
    EXPECT_EQ(NextFrame(editor), "PM_R05,000000000500");
    EXPECT_EQ(view->Rules().CurrentTime(), 500);

    // Taken once: leaving again without a new edit sends nothing more.
    ASSERT_TRUE(focusOn(nowTime));
    ASSERT_TRUE(focusOn(startPause));
    EXPECT_TRUE(StaysQuiet(editor));
}

TEST_F(KaleidraRemoteViewTest, AClickOnTheSliderTrackMovesAFifthOfThePlayTime)
{
    CRawClient editor = ConnectFirstEditor(360000, 6000, 0);
    auto* slider = Control<controls::remote::CGdiSliderCtrl>(IDC_SEEK_SLIDER);
    QTest::mouseClick(
        slider, Qt::LeftButton, Qt::NoModifier, QPoint(slider->width() - 4, slider->height() / 2));
    EXPECT_EQ(slider->value(), 1200);
    EXPECT_EQ(NextFrame(editor), "PM_R05,000000001200");

    // A shorter play time gives a shorter step.
    editor.SendFrame("PM_S02", 50);
    EXPECT_TRUE(QTest::qWaitFor([&] { return slider->maximum() == 50; }));
    EXPECT_EQ(slider->pageStep(), 10);
    editor.SendFrame("PM_S02", 3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return slider->maximum() == 3; }));
    EXPECT_EQ(slider->pageStep(), 1);
}

TEST_F(KaleidraRemoteViewTest, TheSliderSendsOnlyWhatTheUserMoved)
{
    CRawClient editor = ConnectFirstEditor(360000, 1000, 990);
    auto* slider = Control<controls::remote::CGdiSliderCtrl>(IDC_SEEK_SLIDER);

    // A shorter play time pulls the slider back, and a reported time moves it: neither is a seek.
    editor.SendFrame("PM_S02", 500);
    EXPECT_TRUE(QTest::qWaitFor([&] { return slider->maximum() == 500; }));
    EXPECT_EQ(slider->value(), 500);
    editor.SendFrame("PM_S01", 250);
    EXPECT_TRUE(QTest::qWaitFor([&] { return slider->value() == 250; }));
    EXPECT_TRUE(StaysQuiet(editor));
    EXPECT_EQ(view->Rules().PendingSeek(), -1);
}

TEST_F(KaleidraRemoteViewTest, LaysControlsOutScaledFromTheFormSize)
{
    EXPECT_EQ(Control<QWidget>(IDC_IPADDRESS)->geometry(), QRect(12, 8, 112, 22));
    EXPECT_EQ(Control<QWidget>(IDC_PROJECTTIME)->geometry(), QRect(94, 264, 212, 26));

    // 500 x 450: every product is cut towards zero.
    view->resize(500, 450);
    struct Case {
        int id;
        QRect expected;
    };
    const Case cases[] = {
        { IDC_STATUS, QRect(328, 12, 155, 33) },
        { IDC_START_PAUSE, QRect(141, 180, 216, 63) },
        { IDC_SEEK_SLIDER, QRect(25, 255, 445, 39) },
        { IDC_PROJECTTIME, QRect(122, 396, 275, 39) },
    };
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Control<QWidget>(IDC_STATUS)->geometry() == cases[0].expected; }));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(Control<QWidget>(c.id)->geometry(), c.expected);
    }
}

TEST_F(KaleidraRemoteViewTest, AServerThatStopsAcceptingShowsItAndAClickRestartsIt)
{
    view.reset();
    auto failNext = std::make_shared<std::atomic<bool>>(false);
    RemoteServerOptions options = LoopbackAnyPort();
    options.accept = [failNext](int listenSocket, sockaddr_in& peer) {
        if (failNext->exchange(false)) {
            errno = EBADF;
            return -1;
        }
        socklen_t length = sizeof peer;
        return ::accept4(listenSocket, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    };
    CreateView(options);

    *failNext = true;
    CRawClient refused(port);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view->IsServerRunning(); }));
    EXPECT_EQ(Text(IDC_STATUS), QStringLiteral("サーバ初期化エラー"));

    QTest::mouseClick(Control<QWidget>(IDC_STATUS), Qt::LeftButton);
    EXPECT_TRUE(view->IsServerRunning());
    EXPECT_EQ(Text(IDC_STATUS), QStringLiteral("接続なし"));
    port = view->Server().ListeningPort();
    CRawClient editor(port);
    EXPECT_EQ(NextFrame(editor), "PM_R10,000000000000");
}

TEST(DlgIpList, ShowsTheAddressesNumberedInSlotOrder)
{
    CTempFolder folder;
    CLanguageIni language;
    language.SetDefaultPath(folder.FilePath(QStringLiteral("Language.Dat")));
    language.Load(QString());

    CDlgIpList three(language,
        { QStringLiteral("192.168.1.20"), QStringLiteral("10.0.0.1"), QStringLiteral("192.168.1.3") });
    EXPECT_EQ(three.windowTitle(), QStringLiteral("IPアドレス一覧"));
    const CGdiListCtrl& list = three.List();
    ASSERT_EQ(list.GetItemCount(), 3);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(list.GetText(row, 0), QString::number(row + 1));
    EXPECT_EQ(list.GetText(1, 1), QStringLiteral("10.0.0.1"));
    EXPECT_EQ(list.Header().GetText(1), QStringLiteral("IPアドレス"));

    CDlgIpList none(language, {});
    EXPECT_EQ(none.List().GetItemCount(), 0);
}

TEST(MainFrame, AsksBeforeClosingAndKeepsRunningOnNo)
{
    CTempFolder folder;
    CLanguageIni language;
    language.SetDefaultPath(folder.FilePath(QStringLiteral("Language.Dat")));
    language.Load(QString());
    CScriptedDialogService dialogs;
    CMainFrame frame(language, LoopbackAnyPort());
    frame.show();
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Kaleidra リモコンソフト"));
    const uint16_t port = frame.View().Server().ListeningPort();
    CRawClient editor(port);
    for (const char* opening : { "PM_R10,000000000000", "PM_R04,000000000000", "PM_R03,000000000000" })
        EXPECT_EQ(NextFrame(editor), opening);

    dialogs.AnswerMessageBox(platform::IDNO);
    EXPECT_FALSE(frame.close());
    ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
    EXPECT_EQ(dialogs.MessageTexts()[0], QStringLiteral("終了してよろしいですか？"));
    EXPECT_TRUE(frame.isVisible());
    editor.SendFrame("PM_S56", 0);
    EXPECT_EQ(NextFrame(editor), "PM_R56,000000000000") << "the connection still serves";

    dialogs.AnswerMessageBox(platform::IDYES);
    EXPECT_TRUE(frame.close());
}

TEST(MainFrame, TheExitQuestionBelongsToTheWindowEvenWhenAnotherIsActive)
{
    CTempFolder folder;
    CLanguageIni language;
    language.SetDefaultPath(folder.FilePath(QStringLiteral("Language.Dat")));
    language.Load(QString());
    platform::CQtDialogService realDialogs;
    platform::SetDialogService(&realDialogs);
    CMainFrame frame(language, LoopbackAnyPort());
    frame.show();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    // Answer the real question with No, once it shows, noting whose it is.
    QWidget* questionParent = nullptr;
    QString questionText;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        answer.stop();
        questionParent = box->parentWidget();
        questionText = box->text();
        box->button(QMessageBox::No)->click();
    });
    answer.start();
    const bool closed = frame.close();
    platform::SetDialogService(nullptr);

    EXPECT_FALSE(closed);
    EXPECT_EQ(questionText, QStringLiteral("終了してよろしいですか？"));
    EXPECT_EQ(questionParent, &frame);
}

TEST(MainFrame, MenusAndTheVersionBoxTakeTheirTextsFromTheLanguageFile)
{
    CTempFolder folder;
    folder.WriteFile(QStringLiteral("Language.Dat"),
        "[REMOTE]\nMENU_FILE_CAPTION=File\nMENU_HELP_VERSION=About\nVERSION_TITLE=Version box\n"
        "HELP_CAPTION=Remote control\n");
    CLanguageIni language;
    language.SetDefaultPath(folder.FilePath(QStringLiteral("Language.Dat")));
    language.Load(QString());
    CMainFrame frame(language, LoopbackAnyPort());

    struct Entry {
        QString text;
        int command;
    };
    const std::pair<QString, Entry> menus[] = {
        { QStringLiteral("File(&F)"), { QStringLiteral("アプリケーションの終了(&X)"), ID_APP_EXIT } },
        { QStringLiteral("表示(&V)"), { QStringLiteral("接続一覧の表示(&L)"), ID_VIEW_CONNECTLIST } },
        { QStringLiteral("ヘルプ(&H)"), { QStringLiteral("About(&A)..."), ID_APP_ABOUT } },
    };
    const QList<QAction*> topLevel = frame.menuBar()->actions();
    ASSERT_EQ(topLevel.size(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(topLevel[i]->text(), menus[i].first);
        const QList<QAction*> commands = topLevel[i]->menu()->actions();
        ASSERT_EQ(commands.size(), 1);
        EXPECT_EQ(commands[0]->text(), menus[i].second.text);
        EXPECT_EQ(commands[0]->data().toInt(), menus[i].second.command);
    }

    // The version is the one stamped into the program, as the editor shows its own.
    CAboutDlg about(language, nullptr, QStringLiteral(KALEIDRA_REMOTE_EXECUTABLE));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Version box"));
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("4000"))->text(), QStringLiteral("Remote control"));
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("version"))->text(),
        QStringLiteral("Version " KALEIDRA_PROJECT_VERSION));
    // A program without a stamp claims no version.
    CAboutDlg unstamped(language, nullptr, QCoreApplication::applicationFilePath());
    EXPECT_EQ(unstamped.findChild<QLabel*>(QStringLiteral("version"))->text(), QStringLiteral("Version"));
}

} // namespace
