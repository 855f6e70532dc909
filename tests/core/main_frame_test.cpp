#include "core/main_frame.h"
#include "tests/core/qstring_printer.h"

#include "core/boot_param.h"
#include "core/document.h"
#include "core/frame_view.h"
#include "core/long_work.h"
#include "platform/queued_call.h"
#include "platform/x11_windows.h"
#include "tests/core/mapped_boot_block.h"
#include "tests/fixtures/x_test_client.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstring>
#include <functional>
#include <future>
#include <gtest/gtest.h>

TEST(MainFrame, TitleIsTheProductCaption)
{
    CMainFrame frame(nullptr);
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Kaleidra Pro"));
}

TEST(MainFrame, BootParamHandOver)
{
    const struct {
        const char* name;
        bool withView;
        bool withBlock;
        uint32_t flag;
        int result;
        bool passedOn;
        uint32_t flagAfter;
    } cases[] = {
        { "a waiting path goes to the view", true, true, kBootParamWaiting, 0, true, kBootParamFree },
        { "without a view the path keeps waiting", false, true, kBootParamWaiting, -1, false,
            kBootParamWaiting },
        { "without a block nothing is read", true, false, kBootParamWaiting, 0, false, kBootParamWaiting },
        { "a message without a waiting path does nothing", true, true, kBootParamFree, 0, false,
            kBootParamFree },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CMappedBootBlock mapped;
        ASSERT_NE(mapped.block, nullptr);
        BootParamBlock& block = *mapped.block;
        block.flag = c.flag;
        std::memcpy(block.path, u"/shows/a.kdp", sizeof u"/shows/a.kdp");
        CMainFrame frame(c.withBlock ? &mapped.memory : nullptr);
        if (c.withView)
            frame.SetActiveView(new QWidget);
        QSignalSpy handedOver(&frame, &CMainFrame::ProjectPathHandedOver);

        EXPECT_EQ(frame.OnBootParam(), c.result);
        EXPECT_EQ(handedOver.size(), c.passedOn ? 1 : 0);
        EXPECT_EQ(block.flag, c.flagAfter);
        if (c.passedOn) {
            EXPECT_EQ(handedOver.front().front().toString(), QStringLiteral("/shows/a.kdp"));
            EXPECT_EQ(frame.LastHandedOverPath(), QStringLiteral("/shows/a.kdp"));
            EXPECT_EQ(block.path[0], u'\0');
        } else {
            EXPECT_EQ(QString::fromUtf16(block.path), QStringLiteral("/shows/a.kdp"));
        }
    }
}

TEST(MainFrame, InstanceMessagesReachTheirHandlers)
{
    CMappedBootBlock mapped;
    ASSERT_EQ(WriteBootParam(mapped.memory, QStringLiteral("/x.kdp")), BootParamWrite::Written);
    CMainFrame frame(&mapped.memory);
    frame.SetActiveView(new QWidget);
    QSignalSpy handedOver(&frame, &CMainFrame::ProjectPathHandedOver);
    frame.OnInstanceMessage(kBringToFrontMessage);
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(handedOver.size(), 0);
    frame.showMinimized();
    frame.OnInstanceMessage(kBootParamMessage);
    frame.OnInstanceMessage(kBringToFrontMessage);
    EXPECT_EQ(handedOver.size(), 1);
    EXPECT_FALSE(frame.isMinimized());
}

namespace {

// A view that is set up only when the test says so.
class CFakeFrameView final : public QWidget, public CFrameView {
public:
    bool HasCompletedFirstUpdate() const override { return ready; }
    pid_t ViewerProcessId() const override { return viewerPid; }
    bool ready = false;
    pid_t viewerPid = 0;
};

} // namespace

TEST(MainFrame, AHandOverBeforeTheViewIsSetUpWaitsForIt)
{
    CMappedBootBlock mapped;
    ASSERT_NE(mapped.block, nullptr);
    ASSERT_EQ(WriteBootParam(mapped.memory, QStringLiteral("/shows/early.kdp")), BootParamWrite::Written);
    CMainFrame frame(&mapped.memory);
    auto* view = new CFakeFrameView;
    frame.SetActiveView(view);
    QSignalSpy handedOver(&frame, &CMainFrame::ProjectPathHandedOver);

    EXPECT_EQ(frame.OnBootParam(), -1);
    EXPECT_EQ(handedOver.size(), 0);
    EXPECT_EQ(mapped.block->flag, kBootParamWaiting);

    view->ready = true;
    frame.OnViewReady();
    ASSERT_EQ(handedOver.size(), 1);
    EXPECT_EQ(handedOver.front().front().toString(), QStringLiteral("/shows/early.kdp"));
    EXPECT_EQ(mapped.block->flag, kBootParamFree);
    // Nothing waits any more: a second readiness passes nothing on.
    frame.OnViewReady();
    EXPECT_EQ(handedOver.size(), 1);
}

TEST(MainFrameX11, MinimiseAndRestoreAreMirroredOntoTheViewersWindow)
{
    if (!qEnvironmentVariableIsSet("KALEIDRA_TEST_X11") || !platform::IsX11Session())
        GTEST_SKIP() << "no X display of the test's own";
    CXTestClient manager;
    if (!manager.BecomeWindowManager())
        GTEST_SKIP() << "another window manager runs";
    CXTestClient viewerClient;
    constexpr uint32_t kViewerPid = 3999101;
    const xcb_window_t viewerWindow = viewerClient.MakeWindow(kViewerPid, false);
    // Without a manager mapping it the window is not shown; mark it minimised, as a manager would.
    const uint32_t iconic[2] = { 3, 0 };
    xcb_change_property(viewerClient.connection(), XCB_PROP_MODE_REPLACE, viewerWindow,
        viewerClient.Atom("WM_STATE"), viewerClient.Atom("WM_STATE"), 32, 2, iconic);
    viewerClient.Sync();

    CMainFrame frame(nullptr);
    auto* view = new CFakeFrameView;
    view->viewerPid = kViewerPid;
    frame.SetActiveView(view);
    frame.show();

    frame.showMinimized();
    EXPECT_FALSE(manager.WaitForClientMessage(viewerWindow, "WM_CHANGE_STATE", 3, 200))
        << "not before the view is set up";
    view->ready = true;
    frame.showNormal();
    frame.showMinimized();
    EXPECT_TRUE(manager.WaitForClientMessage(viewerWindow, "WM_CHANGE_STATE", 3));
    frame.showNormal();
    EXPECT_TRUE(manager.WaitForMapRequest(viewerWindow));
}

namespace {

// A document whose closing question the test answers; it records what the frame asked of it.
class CAskingDocument final : public CDocument {
public:
    bool OnOpenDocument(const QString&) override { return true; }
    bool SaveModified() override
    {
        ++asked;
        if (whileAsking)
            whileAsking();
        return answerYes;
    }
    void CloseWithoutQuestion() override { ++closedWithoutQuestion; }

    bool answerYes = false;
    std::function<void()> whileAsking;
    int asked = 0;
    int closedWithoutQuestion = 0;
};

} // namespace

// A termination signal runs the window's close with its question: "No" keeps the editor, and a
// later signal asks again; "Yes" closes it.
TEST(MainFrame, ATerminationSignalClosesAsTheWindowDoesAfterItsQuestion)
{
    for (const bool answerYes : { false, true }) {
        SCOPED_TRACE(answerYes);
        CAskingDocument document;
        document.answerYes = answerYes;
        CMainFrame frame(nullptr);
        frame.SetDocument(&document);
        frame.show();
        frame.OnTerminationSignal(SIGTERM);
        EXPECT_EQ(document.asked, 1);
        EXPECT_EQ(document.closedWithoutQuestion, 0);
        EXPECT_EQ(frame.isVisible(), !answerYes);
        frame.OnTerminationSignal(SIGHUP);
        EXPECT_EQ(document.asked, answerYes ? 1 : 2) << "a closed editor is not asked again";
    }
}

// A second signal while the question of the first waits ends the editor: every event loop
// returns, the question's too, and the editor goes as a confirmed close does, without closing
// the project.
TEST(MainFrame, ASecondTerminationSignalWhileTheQuestionWaitsEndsTheEditor)
{
    CAskingDocument document;
    CMainFrame frame(nullptr);
    frame.SetDocument(&document);
    frame.show();
    bool questionLoopReturned = false;
    document.whileAsking = [&] {
        // The question's own loop, in which the second signal arrives.
        QEventLoop question;
        QTimer::singleShot(0, &frame, [&] { frame.OnTerminationSignal(SIGHUP); });
        question.exec();
        questionLoopReturned = true;
    };
    QTimer::singleShot(0, &frame, [&] { frame.OnTerminationSignal(SIGTERM); });
    // A safety net: the application's loop ends after 10 s whatever happens.
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    safety.start(10000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(questionLoopReturned);
    EXPECT_EQ(document.asked, 1);
    EXPECT_EQ(document.closedWithoutQuestion, 1);
}

// While long work runs off the window thread a signal waits for it: the question never comes
// up over the wait window.
TEST(MainFrame, ATerminationSignalDuringLongWorkWaitsForIt)
{
    CAskingDocument document;
    CMainFrame frame(nullptr);
    frame.SetDocument(&document);
    frame.show();
    std::atomic<int> askedDuringWork { -1 };
    RunOffWindowThread([&] {
        platform::QueueCall(&frame, [&] { frame.OnTerminationSignal(SIGTERM); });
        // A round trip through the window thread: the signal's call above has been handled.
        std::promise<int> asked;
        platform::QueueCall(&frame, [&] { asked.set_value(document.asked); });
        askedDuringWork = asked.get_future().get();
    });
    EXPECT_EQ(askedDuringWork, 0);
    const QDeadlineTimer deadline(5000);
    while (document.asked == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(document.asked, 1);
}
