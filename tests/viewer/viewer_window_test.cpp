// The output window itself, in this process on a virtual display: placement by SCREEN, the
// picture it shows, and what the mouse and keys send back through the block.
#include "platform/shared_flag.h"
#include "tests/viewer/editor_side.h"
#include "tests/viewer/show_project.h"
#include "viewer/lux_viewer.h"
#include "viewer/viewer_window.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

namespace {

using Item = tagTL_FACE_ITEM_DATA;
using platform::LoadSharedFlag;
using platform::StoreSharedFlag;

// Runs the event loop (the viewer lives in this process) until the condition holds.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

class ViewerWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(editor.IsValid());
        screen = QGuiApplication::primaryScreen()->geometry();
        // The canvas is the display's: a face in its middle half.
        ASSERT_TRUE(project.AddFace(1,
            QPolygon({ { screen.width() / 4, screen.height() / 4 },
                { screen.width() * 3 / 4, screen.height() / 4 },
                { screen.width() * 3 / 4, screen.height() * 3 / 4 },
                { screen.width() / 4, screen.height() * 3 / 4 } }),
            Qt::cyan));
        ASSERT_TRUE(project.SetItem(
            CShowProject::Item(1, 0, 1000, Item::MODE_IMAGE, WriteSolidPicture(temp, "red.png", Qt::red))));
        options.rect = QRect(40, 40, screen.width() / 3, screen.height() / 3);
        viewer = std::make_unique<CLuxViewer>(options, editor.Block());
        window = new CViewerWindow(*viewer, options.rect, 0);
        viewer->Start(std::unique_ptr<CViewerOutput>(window));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        Raise(editor.Block().projectFlag, kPmProjectLoad, [this] {
            WritePmText(editor.Block().projectPath, project.ProjectXmlPath());
            WritePmText(editor.Block().workFolder, project.WorkFolder());
        });
    }

    void TearDown() override { viewer.reset(); }

    // Writes an area, raises its flag and lets the viewer take it.
    void Raise(int32_t& flag, int32_t value, const std::function<void()>& fill = {})
    {
        if (fill)
            fill();
        StoreSharedFlag(flag, value);
        ASSERT_TRUE(PumpUntil([&flag] { return LoadSharedFlag(flag) == 0; }));
    }

    void Command(int32_t kind, std::initializer_list<const char16_t*> cells)
    {
        Raise(editor.Block().commandFlag, 1, [&] {
            editor.Block().commandKind = kind;
            int i = 0;
            for (const char16_t* cell : cells)
                WritePmText(editor.Block().commandCells[i++], cell);
        });
    }

    std::optional<CEditorSide::Reply> NextReply(int timeoutMs = 3000)
    {
        std::optional<CEditorSide::Reply> reply;
        if (!PumpUntil([this] { return LoadSharedFlag(editor.Block().replyFlag) == 1; }, timeoutMs))
            return reply;
        reply = CEditorSide::Reply { editor.Block().replyKind, {} };
        for (const PmCell& cell : editor.Block().replyCells)
            reply->cells << ReadPmText(cell);
        StoreSharedFlag(editor.Block().replyFlag, 0);
        return reply;
    }

    // Window pixels of a canvas point.
    QPoint At(double x, double y) const { return QPoint(int(x / 3), int(y / 3)); }

    CEditorSide editor;
    CTempFolder temp;
    CShowProject project { temp };
    QRect screen;
    ViewerOptions options;
    std::unique_ptr<CLuxViewer> viewer;
    CViewerWindow* window = nullptr;
};

TEST_F(ViewerWindow, ShowsTheFaceAndFollowsScreen)
{
    EXPECT_EQ(window->geometry(), options.rect);
    ASSERT_TRUE(PumpUntil([this] { return viewer->IsFrameReady(); }));
    window->update();
    QImage picture;
    ASSERT_TRUE(PumpUntil([&] {
        picture = window->grabFramebuffer();
        return picture.pixelColor(picture.width() / 2, picture.height() / 2) == QColor(Qt::red);
    }));
    EXPECT_EQ(picture.pixelColor(5, 5), QColor(Qt::black));

    // SCREEN on: full screen on the display; off in the dual mode: back at the preview place.
    Command(kPmCommandScreen, { u"1", u"0" });
    EXPECT_TRUE(PumpUntil([this] { return window->geometry() == screen; }));
    Command(kPmCommandScreen, { u"0", u"0" });
    EXPECT_TRUE(PumpUntil([this] { return window->geometry() == options.rect && window->isVisible(); }));
    // Off in the single mode: hidden, and the rectangle still answers.
    Command(kPmCommandScreen, { u"0", u"1" });
    EXPECT_FALSE(window->isVisible());
    Raise(editor.Block().queryFlag, 1, [this] { editor.Block().queryKind = kPmQueryWindowRect; });
    EXPECT_EQ(ReadPmText(editor.Block().queryCells[7]), QString::number(options.rect.width()));
}

TEST_F(ViewerWindow, GuideMouseAndKeysReachTheEditor)
{
    // Without GUIDE the mouse does nothing.
    QTest::mouseClick(window, Qt::LeftButton, {}, At(screen.width() / 2, screen.height() / 2));
    EXPECT_FALSE(NextReply(300));

    Command(kPmCommandGuide, { u"1" });
    // A click inside the face.
    QTest::mouseClick(window, Qt::LeftButton, {}, At(screen.width() / 2, screen.height() / 2));
    auto reply = NextReply();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->kind, kPmReplyFaceClicked);
    EXPECT_EQ(reply->cells[0], "1");

    // A drag of the top-left corner, reported once on release with all four corners.
    const QPoint corner = At(screen.width() / 4, screen.height() / 4);
    QTest::mousePress(window, Qt::LeftButton, {}, corner);
    QMouseEvent move(QEvent::MouseMove, corner + QPoint(10, 5), window->mapToGlobal(corner + QPoint(10, 5)),
        Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &move);
    QTest::mouseRelease(window, Qt::LeftButton, {}, corner + QPoint(10, 5));
    reply = NextReply();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->kind, kPmReplyCorners);
    EXPECT_EQ(reply->cells[0], "1");
    EXPECT_EQ(reply->cells[5].toInt(), (corner.x() + 10) * 3);
    EXPECT_EQ(reply->cells[6].toInt(), (corner.y() + 5) * 3);
    EXPECT_EQ(reply->cells[7].toInt(), screen.width() * 3 / 4);
    // The viewer shows the corner where it was dropped.
    Raise(editor.Block().queryFlag, 1, [this] {
        editor.Block().queryKind = kPmQueryGetCorners;
        WritePmText(editor.Block().queryCells[0], u"1");
    });
    EXPECT_EQ(ReadPmText(editor.Block().queryCells[5]), reply->cells[5]);

    // Keys, with and without Ctrl.
    QTest::keyClick(window, Qt::Key_Space);
    reply = NextReply();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->kind, kPmReplyKey);
    EXPECT_EQ(reply->cells[0], "35");
    QTest::keyClick(window, Qt::Key_S);
    QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
    reply = NextReply();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->cells[0], "19");
    EXPECT_FALSE(NextReply(300));
}

} // namespace
