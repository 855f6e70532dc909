#include "core/main_frame.h"
#include "tests/core/qstring_printer.h"

#include "core/boot_param.h"
#include "core/frame_view.h"
#include "platform/x11_windows.h"
#include "tests/core/mapped_boot_block.h"
#include "tests/fixtures/x_test_client.h"

#include <QSignalSpy>
#include <cstring>
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
