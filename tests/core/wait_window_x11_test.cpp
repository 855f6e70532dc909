// Long work under the wait window, on a real X display of the test's own: the window is on
// screen and painted before the work starts, the work runs off the window thread, the other
// windows are painted meanwhile, and the user's keys wait until the work is done.
#include "core/long_work.h"
#include "core/wait_dlg.h"
#include "tests/fixtures/scripted_dialog_service.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <atomic>
#include <cstdlib>
#include <future>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

namespace {

// An editor window that counts its paints and the keys it is given.
class CCountingWindow final : public QWidget {
public:
    int paints = 0;
    int keys = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(rect(), Qt::darkCyan);
        ++paints;
    }
    void keyPressEvent(QKeyEvent*) override { ++keys; }
};

// Runs `probe` on the window thread and waits for it: the work's view of what the user sees.
void OnWindowThread(QObject* context, const std::function<void()>& probe)
{
    // Work that (wrongly) runs on the window thread looks at once.
    if (QThread::currentThread() == context->thread()) {
        probe();
        return;
    }
    std::promise<void> done;
    QMetaObject::invokeMethod(
        context,
        [&] {
            probe();
            done.set_value();
        },
        Qt::QueuedConnection);
    done.get_future().wait();
}

// The share of pixels two pictures of one size have alike.
double Alike(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return 0.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qsizetype same = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int column = 0; column < x.width(); ++column)
            same += x.pixel(column, row) == y.pixel(column, row) ? 1 : 0;
    return double(same) / double(x.width() * x.height());
}

} // namespace

TEST(WaitWindowX11, LongWorkRunsOffTheWindowThreadUnderThePaintedWaitWindow)
{
    if (!qEnvironmentVariableIsSet("KALEIDRA_TEST_X11") || QGuiApplication::platformName() != u"xcb")
        GTEST_SKIP() << "no X display of the test's own";
    CCountingWindow editor;
    editor.setGeometry(100, 100, 700, 500);
    editor.show();
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    CScriptedDialogService dialogs;
    CWaitDlg wait(&editor);
    ASSERT_TRUE(wait.LoadImage(QFileInfo(QStringLiteral(KALEIDRA_EDITOR_PROGRAM)).absolutePath() + "/Skin/"));
    ASSERT_TRUE(dialogs.Requests().empty()) << "the default skin has both pictures";

    QThread* const windowThread = QThread::currentThread();
    std::atomic<bool> offThread { false };
    bool shownAtStart = false;
    double onScreenAtStart = 0.0;
    int paintsAtStart = 0;
    int paintsLater = 0;
    int keysDuringWork = -1;
    wait.RunWork(CWaitDlg::kWaitPicture, [&] {
        offThread = QThread::currentThread() != windowThread;
        OnWindowThread(&editor, [&] {
            shownAtStart = wait.isVisible() && wait.windowHandle()->isExposed();
            // What the display shows where the wait window is: its picture.
            const QRect place = wait.frameGeometry();
            onScreenAtStart = Alike(
                wait.screen()->grabWindow(0, place.x(), place.y(), place.width(), place.height()).toImage(),
                wait.grab().toImage());
            paintsAtStart = editor.paints;
            editor.update();
            // A key typed at the editor while the work runs.
            QProcess::execute(
                QStringLiteral(KALEIDRA_XDOTOOL_PATH), { QStringLiteral("key"), QStringLiteral("a") });
        });
        const QDeadlineTimer deadline(10000);
        while (paintsLater <= paintsAtStart && !deadline.hasExpired())
            OnWindowThread(&editor, [&] { paintsLater = editor.paints; });
        // A round trip on the program's own X connection: the key, sent before, has reached the
        // program once the answer is back; it waits.
        OnWindowThread(&editor, [] {
            auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
            xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
            if (connection)
                std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        });
        OnWindowThread(&editor, [&] { keysDuringWork = editor.keys; });
    });
    EXPECT_TRUE(offThread);
    EXPECT_TRUE(shownAtStart);
    EXPECT_GT(onScreenAtStart, 0.95);
    EXPECT_GT(paintsLater, paintsAtStart) << "the editor's window is painted while the work runs";
    EXPECT_EQ(keysDuringWork, 0) << "no user input is taken while the work runs";
    EXPECT_FALSE(wait.isVisible());
    // The key is the editor's once the work is done.
    const QDeadlineTimer deadline(5000);
    while (editor.keys == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(editor.keys, 1);
}
