#include "controls/gdi_scroll_bar.h"
#include "tables/effect_ini.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/project/media_fixtures.h"
#include "tests/timeline/timeline_fixtures.h"
#include "tests/timeline/timeline_scene.h"
#include "timeline/time_line.h"
#include "timeline/timeline_messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

TEST(TimeLineControl, LaysOutOnResizeAndDrivesTheViewsScrollBars)
{
    QWidget view;
    view.resize(1200, 500);
    CGdiScrollBar horizontal(&view);
    horizontal.m_vertical = false;
    CGdiScrollBar vertical(&view);
    CTimeLine timeline;
    timeline.SetProjectLength(20000);
    ASSERT_TRUE(timeline.CreateTimeLine(&view, QRect(0, 0, 1000, 300)));
    timeline.AttachScrollBars(&horizontal, &vertical);
    EXPECT_EQ(timeline.parentWidget(), &view);
    EXPECT_TRUE(timeline.acceptDrops());
    EXPECT_EQ(timeline.VisibleRows(), 7);
    EXPECT_EQ(timeline.VisibleColumns(), 92);

    for (int face = 1; face <= 10; ++face)
        ASSERT_EQ(timeline.AddFaceRecord(Face(face)), face);
    timeline.RecalcLayout();
    EXPECT_EQ(vertical.m_scrollInfo.maximum, 3);
    EXPECT_EQ(horizontal.m_scrollInfo.maximum, 200 - 92 + 5);
    EXPECT_EQ(timeline.ScrollVert(2), 1);
    EXPECT_EQ(vertical.GetScrollPos(), 2);
    timeline.SetHorzScrollPos(50);
    EXPECT_EQ(horizontal.GetScrollPos(), 50);

    view.show();
    timeline.resize(1000, 100); // two rows: the rows scroll back into the new range
    EXPECT_EQ(timeline.VisibleRows(), 2);
    EXPECT_EQ(vertical.m_scrollInfo.maximum, 8);
    EXPECT_EQ(timeline.FirstRow(), 2);
    timeline.resize(1000, 600);
    EXPECT_EQ(vertical.m_scrollInfo.maximum, 0);
    EXPECT_EQ(timeline.FirstRow(), 0);
    EXPECT_EQ(vertical.GetScrollPos(), 0);

    timeline.ResetTimeLine(true);
    EXPECT_EQ(horizontal.GetScrollPos(), 0);
    EXPECT_EQ(horizontal.m_scrollInfo.maximum, 0);
}

TEST(TimeLineControl, PaintsItsBackgroundFromTheColourTable)
{
    CTimeLine timeline;
    timeline.resize(200, 100);
    timeline.SetProjectLength(1000);
    timeline.SetInOutPosition(0, 1000); // the whole track inside the play range: nothing dimmed
    const QImage image = timeline.grab().toImage();
    EXPECT_EQ(image.pixelColor(100, 50), QColor(43, 43, 43));
}

TEST(TimeLineControl, TheWaitCursorIsShownWhileTheSelectionIsDeleted)
{
    CTimeLine timeline;
    timeline.SetProjectOpen(true);
    timeline.AddFaceRecord(Face(1, { Item(1, 0, 100) }));
    class CCursorOwner : public CRecordingOwner {
    public:
        int OnTlItemDeleted(const tagTL_FACE_ITEM_DATA& item) override
        {
            waitCursor = QGuiApplication::overrideCursor()
                && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
            return CRecordingOwner::OnTlItemDeleted(item);
        }
        bool waitCursor = false;
    } owner;
    timeline.SetOwner(&owner);
    timeline.AddToSelection(Item(1, 0, 100));
    ASSERT_EQ(timeline.DeleteSelectedItems(), 1);
    EXPECT_TRUE(owner.waitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "and gone afterwards";
}

TEST(TimeLineControl, TheMenuDataBecomesAQMenu)
{
    CTimeLine timeline;
    timeline.SetProjectOpen(true);
    timeline.RecalcLayout(TlRect { 0, 0, 1000, 300 });
    timeline.AddFaceRecord(Face(1));
    ASSERT_TRUE(timeline.OnRButtonUp(500, 40, false));
    QMenu menu;
    FillContextMenu(menu, timeline.BuildContextMenu());
    const QList<QAction*> top = menu.actions();
    ASSERT_EQ(top.size(), 7);
    EXPECT_TRUE(top[1]->isSeparator());
    ASSERT_NE(top[2]->menu(), nullptr);
    EXPECT_EQ(top[2]->menu()->title(), QStringLiteral("FACE"));
    const QAction* add = top[2]->menu()->actions()[0];
    EXPECT_EQ(add->data().toInt(), timeline::ID_FACE_ADD);
    EXPECT_TRUE(add->isEnabled());
    const QAction* paste = top[2]->menu()->actions()[5];
    EXPECT_EQ(paste->data().toInt(), timeline::ID_FACE_POSITION_PASTE);
    EXPECT_FALSE(paste->isEnabled()) << "nothing copied yet";
    EXPECT_EQ(top[6]->menu()->actions()[1]->menu()->actions()[1]->data().toInt(),
        timeline::ID_ALIGN_DURATION_LONGEST);
}

} // namespace

// ---- The control on screen --------------------------------------------------------------------

namespace {

using namespace timeline;
using timeline_scene::Blend;
using timeline_scene::Near;
using timeline_scene::SlotColour;

// Waits for a condition with a deadline, running the event loop meanwhile.
template <typename Condition> bool WaitFor(Condition condition, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

// Records the regions the control is asked to paint.
class CPaintRecorder : public QObject {
public:
    QRegion painted;
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
            ++paints;
        }
        return false;
    }
};

// A control of 1000 x 300 on screen with the plain skin, a recording owner and panel: time t at
// x 80 + t / 10, row r from y 20 + 40 r.
class TimeLineOnScreenTest : public ::testing::Test {
protected:
    TimeLineOnScreenTest()
    {
        timeline_scene::WritePlainSkin(skin.Path());
        timeline.LoadImages(skin.Path());
        timeline.SetOwner(&owner);
        timeline.SetItemPanel(&panel);
        timeline.SetProjectLength(10000);
        timeline.SetInOutPosition(0, 10000);
        timeline.SetPlayPosition(5000);
        timeline.SetImageDefaultTime(500);
        timeline.SetProjectOpen(true);
        timeline.SetProjectFolder(project.Path());
        timeline.SetProjectName(QStringLiteral("Show"));
        project.MakeFolder(QStringLiteral("Show/Channel_1/Face_1"));
        project.MakeFolder(QStringLiteral("Show/Channel_1/Face_2"));
        timeline.CreateTimeLine(nullptr, QRect(0, 0, 1000, 300));
        // The view moves the playhead and the markers when it is told.
        owner.onNotification = [this](const RecordedNotification& n) {
            if (n.message == WM_TL_PLAYPOS_SET)
                timeline.SetPlayPosition(n.wParam);
            else if (n.message == WM_TL_IN_MOVED)
                timeline.SetInOutPosition(n.wParam, timeline.OutPosition());
        };
    }

    void Load(std::initializer_list<tagTL_FACE_DATA> faces)
    {
        for (const tagTL_FACE_DATA& face : faces) {
            tagTL_FACE_DATA empty = face;
            empty.Items.clear();
            timeline.AddFaceRecord(empty);
            for (const tagTL_FACE_ITEM_DATA& item : face.Items)
                timeline.AddItemRecord(item);
        }
        timeline.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&timeline));
        owner.Clear();
    }

    void Mouse(QEvent::Type type,
        QPoint at,
        Qt::MouseButton button = Qt::LeftButton,
        Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const Qt::MouseButtons held
            = type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(button);
        QMouseEvent event(type, QPointF(at), timeline.mapToGlobal(QPointF(at)),
            type == QEvent::MouseMove ? Qt::NoButton : button, type == QEvent::MouseMove ? m_held : held,
            modifiers);
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            m_held = button;
        else if (type == QEvent::MouseButtonRelease)
            m_held = Qt::NoButton;
        QCoreApplication::sendEvent(&timeline, &event);
    }
    void DragMouse(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Mouse(QEvent::MouseMove, from, Qt::NoButton, modifiers);
        Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, modifiers);
        Mouse(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, modifiers);
        Mouse(QEvent::MouseMove, to, Qt::NoButton, modifiers);
        Mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, modifiers);
    }
    static QPoint P(int32_t time, int row) { return QPoint(80 + time / 10, 40 + 40 * row); }
    QImage Grab() { return timeline.grab().toImage(); }

    CTempFolder skin;
    CTempFolder project;
    CRecordingOwner owner;
    CRecordingPanel panel;
    CScriptedDialogService dialogs;
    CTimeLine timeline;

private:
    Qt::MouseButtons m_held;
};

TEST_F(TimeLineOnScreenTest, DrawsRowsBarsMarkersAndThePlayhead)
{
    tagTL_FACE_DATA first = Face(1, { Item(1, 1000, 2000) });
    first.R = 200;
    first.G = 100;
    first.B = 50;
    Load({ first, Face(2, { Item(2, 3000, 1000, tagTL_FACE_ITEM_DATA::MODE_MOVIE) }) });
    timeline.SetInOutPosition(500, 8000);
    const QImage image = Grab();
    EXPECT_EQ(image.pixelColor(2, 30), QColor(200, 100, 50)) << "colour strip";
    EXPECT_TRUE(Near(image.pixelColor(505, 22), QColor(75, 75, 75), 3)) << "first row";
    EXPECT_TRUE(Near(image.pixelColor(505, 62), QColor(50, 50, 50), 3)) << "second row";
    EXPECT_EQ(image.pixelColor(300, 55), SlotColour(4)) << "picture bar";
    EXPECT_EQ(image.pixelColor(450, 95), SlotColour(8)) << "movie bar";
    EXPECT_EQ(image.pixelColor(580, 250), QColor(255, 51, 0)) << "playhead";
    EXPECT_EQ(image.pixelColor(130, 250), QColor(255, 204, 0)) << "IN";
    EXPECT_EQ(image.pixelColor(880, 250), QColor(255, 204, 0)) << "OUT";
    EXPECT_TRUE(Near(image.pixelColor(100, 250), Blend(QColor(43, 43, 43), Qt::black, 128))) << "before IN";
    EXPECT_TRUE(Near(image.pixelColor(500, 250), QColor(43, 43, 43))) << "inside the play range";

    timeline.setEnabled(false);
    const QImage disabled = Grab();
    EXPECT_TRUE(Near(disabled.pixelColor(300, 55), QColor(43, 43, 43))) << "a disabled control shows no rows";
}

TEST_F(TimeLineOnScreenTest, APlayClockTickRepaintsOnlyThePlayheadsStrips)
{
    Load({ Face(1, { Item(1, 0, 9000) }) });
    timeline.SetPlayPosition(3000);
    CPaintRecorder recorder;
    timeline.installEventFilter(&recorder);
    timeline.update();
    ASSERT_TRUE(WaitFor([&] { return recorder.paints > 0; }));
    const int restPaints = timeline.RestPaintCount();
    recorder.painted = QRegion();
    recorder.paints = 0;

    // Before the middle of the view the playhead moves and the view stays.
    timeline.SetPlayPositionFollow(3100);
    ASSERT_TRUE(WaitFor([&] { return recorder.paints > 0; }));
    EXPECT_EQ(timeline.FirstColumn(), 0);
    EXPECT_EQ(timeline.RestPaintCount(), restPaints) << "the rows came from the kept image";
    EXPECT_LE(recorder.painted.boundingRect().width(), 29 + 10 + 2);
    EXPECT_TRUE(recorder.painted.contains(QPoint(380, 200)));
    EXPECT_TRUE(recorder.painted.contains(QPoint(390, 200)));
    EXPECT_FALSE(recorder.painted.contains(QPoint(300, 200)));
    const QImage image = Grab();
    EXPECT_EQ(image.pixelColor(390, 250), QColor(255, 51, 0));
    EXPECT_NE(image.pixelColor(380, 250), QColor(255, 51, 0));

    // The view's own update of the whole control after a tick takes the rows from the image too.
    recorder.paints = 0;
    timeline.update();
    ASSERT_TRUE(WaitFor([&] { return recorder.paints > 0; }));
    EXPECT_EQ(timeline.RestPaintCount(), restPaints);

    // A change of the items paints the rows again, also when only the view asks for a repaint.
    timeline.SetItemData([&] {
        tagTL_FACE_ITEM_DATA item = Item(1, 0, 9000, tagTL_FACE_ITEM_DATA::MODE_SOUND);
        return item;
    }());
    timeline.update();
    ASSERT_TRUE(WaitFor([&] { return timeline.RestPaintCount() > restPaints; }));
    EXPECT_EQ(Grab().pixelColor(300, 55), SlotColour(12));
}

TEST_F(TimeLineOnScreenTest, MouseDragsReachTheOwner)
{
    Load({ Face(1, { Item(1, 1000, 1000), Item(1, 5000, 1000) }), Face(2), Face(3) });
    // Select, then move to face 2 at 3000.
    DragMouse(P(1500, 0), P(3500, 1));
    EXPECT_TRUE(owner.Log().contains(QStringLiteral("ITEM_MOVED 1@1000>2@3000")));
    EXPECT_EQ(Grab().pixelColor(P(3500, 1).x(), P(3500, 1).y() + 15), SlotColour(4)) << "drawn where it went";

    // Ctrl copies, Meta (like Alt) links.
    owner.Clear();
    DragMouse(P(5500, 0), P(7500, 2), Qt::ControlModifier);
    EXPECT_TRUE(owner.Log().contains(QStringLiteral("ITEM_COPIED 1@5000>3@7000")));
    owner.Clear();
    DragMouse(P(5500, 0), P(7500, 1), Qt::MetaModifier);
    EXPECT_TRUE(owner.Log().contains(QStringLiteral("ITEM_COPIED 1@5000>2@5000")))
        << owner.Log().join(u',').toStdString();
    tagTL_FACE_ITEM_DATA link;
    ASSERT_TRUE(timeline.GetItemRecord(2, 5000, link));
    EXPECT_EQ(link.Mode, tagTL_FACE_ITEM_DATA::MODE_LINK);

    // Trim the end of the moved item; the cursor shows the edge first.
    owner.Clear();
    Mouse(QEvent::MouseMove, P(3990, 1), Qt::NoButton);
    EXPECT_EQ(timeline.cursor().shape(), Qt::SizeHorCursor);
    DragMouse(P(3990, 1), P(4490, 1));
    EXPECT_TRUE(owner.Log().contains(QStringLiteral("ITEM_CHANGED 2@3000>2@3000")));
    EXPECT_EQ(timeline.Faces()[1].Items[0].PlayTime, 1490) << "the end under the pointer";

    // Rubber band over both rows' items, then the playhead and IN.
    DragMouse(QPoint(P(2500, 0).x(), 25), QPoint(P(6000, 1).x(), 95));
    EXPECT_EQ(timeline.Selection().size(), 3u);
    owner.Clear();
    DragMouse(QPoint(P(2000, 0).x(), 10), QPoint(P(2500, 0).x(), 10));
    EXPECT_EQ(owner.Log().last(), QStringLiteral("PLAYPOS_SET 2500"));
    owner.Clear();
    DragMouse(QPoint(80 + 9, 14), QPoint(P(800, 0).x() + 9, 14));
    EXPECT_EQ(owner.Log().last(), QStringLiteral("IN_MOVED 800"));
}

TEST_F(TimeLineOnScreenTest, HoldingAFaceHeaderAndDraggingMovesTheFaceWithRealMouseEvents)
{
    // Driven as a user does it: the events go through the window system's path to the control
    // (ctest runs this one on a real X display too), the press is held past the hold time
    // without moving, then the pointer moves down two rows.
    Load({ Face(1, { Item(1, 1000, 1000) }), Face(2), Face(3), Face(4) });
    const QPoint header(30, 45); // face 1's header, away from its buttons
    QWindow* window = timeline.windowHandle();
    ASSERT_NE(window, nullptr);
    QTest::mouseMove(window, header);
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, header);
    ASSERT_EQ(timeline.MouseState(), TL_MOUSE_FACE_HOLD);
    ASSERT_TRUE(WaitFor([&] { return timeline.MouseState() == TL_MOUSE_FACE_MOVE; }))
        << "the hold started no face drag";
    for (const int y : { 60, 90, 110, 120 })
        QTest::mouseMove(window, QPoint(header.x(), y));
    EXPECT_EQ(timeline.MouseState(), TL_MOUSE_FACE_MOVE);
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, QPoint(header.x(), 120));

    ASSERT_EQ(owner.Of(WM_TL_FACE_MOVED).size(), 1u) << owner.Log().join(u',').toStdString();
    EXPECT_EQ(timeline.MouseState(), TL_MOUSE_NONE);
    ASSERT_EQ(timeline.Faces().size(), 4u);
    // The moved face, with its item, lands in the row under the release; the others close up.
    for (size_t row = 0; row < 4; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(timeline.Faces()[row].Items.size(), row == 2 ? 1u : 0u);
    }
    EXPECT_EQ(timeline.Faces()[2].No, 3);

    // Moving before the hold time is up starts no drag and moves nothing.
    owner.Clear();
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, header);
    QTest::mouseMove(window, QPoint(header.x(), 140));
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, QPoint(header.x(), 140));
    QTest::qWait(1000);
    EXPECT_TRUE(owner.Of(WM_TL_FACE_MOVED).empty());
    EXPECT_EQ(timeline.MouseState(), TL_MOUSE_NONE);
}

TEST_F(TimeLineOnScreenTest, ADoubleClickIsNotASecondPress)
{
    Load({ Face(1), Face(2) });
    // A double click on the lock button switches it once: the first press did, the double click
    // does not.
    const QPoint lock(66, 40);
    Mouse(QEvent::MouseButtonPress, lock);
    Mouse(QEvent::MouseButtonRelease, lock);
    Mouse(QEvent::MouseButtonDblClick, lock);
    Mouse(QEvent::MouseButtonRelease, lock);
    EXPECT_EQ(owner.Of(WM_TL_FACE_CHANGED).size(), 1u);
    EXPECT_TRUE(timeline.IsFaceLocked(1));

    // On the colour strip it asks for the colour.
    owner.Clear();
    dialogs.AnswerColour(platform::Rgb(1, 2, 3));
    const QPoint strip(2, 80);
    Mouse(QEvent::MouseButtonPress, strip);
    Mouse(QEvent::MouseButtonRelease, strip);
    Mouse(QEvent::MouseButtonDblClick, strip);
    Mouse(QEvent::MouseButtonRelease, strip);
    ASSERT_EQ(owner.Of(WM_TL_FACE_CHANGED).size(), 1u);
    EXPECT_EQ(owner.Of(WM_TL_FACE_CHANGED)[0].face->R, 1);
    EXPECT_EQ(timeline.MouseState(), TL_MOUSE_NONE);
    EXPECT_FALSE(timeline.Controller().IsTimerActive(TL_TIMER_FACE_HOLD));
}

TEST_F(TimeLineOnScreenTest, KeysDeleteCancelAndSwitchTheDrag)
{
    Load({ Face(1, { Item(1, 1000, 1000) }), Face(2) });
    DragMouse(P(1500, 0), P(1500, 0)); // select
    timeline.setFocus();
    dialogs.AnswerMessageBox(platform::IDNO);
    QTest::keyClick(&timeline, Qt::Key_Delete);
    ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
    EXPECT_EQ(dialogs.MessageTexts()[0], timeline.MessageText(2));
    EXPECT_EQ(timeline.Faces()[0].Items.size(), 1u);

    // A drag: Ctrl pressed turns it into a copy, released back into a move; Escape ends it.
    Mouse(QEvent::MouseMove, P(1500, 0), Qt::NoButton);
    Mouse(QEvent::MouseButtonPress, P(1500, 0));
    Mouse(QEvent::MouseMove, P(2500, 1), Qt::NoButton);
    EXPECT_EQ(timeline.MouseState(), TL_MOUSE_ITEM_MOVE);
    QTest::keyPress(&timeline, Qt::Key_Control, Qt::NoModifier);
    EXPECT_EQ(timeline.MouseState(), TL_MOUSE_ITEM_COPY);
    EXPECT_EQ(timeline.cursor().shape(), Qt::DragCopyCursor);
    QTest::keyRelease(&timeline, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(timeline.MouseState(), TL_MOUSE_ITEM_MOVE);
    QTest::keyClick(&timeline, Qt::Key_Escape);
    EXPECT_EQ(timeline.MouseState(), TL_MOUSE_NONE);
    owner.Clear();
    Mouse(QEvent::MouseButtonRelease, P(2500, 1));
    EXPECT_TRUE(owner.received.empty());

    // Ctrl+E switches the effect display.
    QTest::keyClick(&timeline, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(timeline.EffectDisplay(), 1);
}

TEST_F(TimeLineOnScreenTest, DroppedFilesBecomeItemsOnTheRowUnderThePointer)
{
    Load({ Face(1), Face(2) });
    QImage picture(64, 36, QImage::Format_RGB32);
    picture.fill(Qt::green);
    const QString path = project.FilePath(QStringLiteral("green.png"));
    ASSERT_TRUE(picture.save(path));
    const QString movie = project.FilePath(QStringLiteral("ramp.mov"));
    ASSERT_TRUE(media_fixtures::MakeGreyRampMovie(
        movie, QStringLiteral("30"), 60, { "-c:v", "mpeg4", "-q:v", "1", "-video_track_timescale", "600" }));
    QMimeData files;
    files.setUrls({ QUrl::fromLocalFile(path), QUrl::fromLocalFile(movie) });

    QDragEnterEvent enter(P(1000, 1), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&timeline, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent below(QPoint(500, 250), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&timeline, &below);
    EXPECT_FALSE(below.isAccepted()) << "no face row under it";
    QMimeData text;
    text.setText(QStringLiteral("words"));
    QDragEnterEvent words(P(1000, 1), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&timeline, &words);
    EXPECT_FALSE(words.isAccepted());

    QDropEvent drop(QPointF(P(1000, 1)), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&timeline, &drop);
    EXPECT_EQ(owner.Log(),
        (QStringList { QStringLiteral("WAIT_BEGIN"), QStringLiteral("ITEM_ADDED 2@1000"),
            QStringLiteral("ITEM_ADDED 2@1500"), QStringLiteral("WAIT_END") }));
    // The thumbnails written for them are drawn in their boxes: the picture, and the movie's
    // middle frame (frame 30 of its grey ramp) in the part of its box that its 2 s show.
    const QImage image = Grab();
    EXPECT_TRUE(Near(image.pixelColor(181 + 30, 62 + 15), QColor(0, 255, 0), 12));
    const int grey = media_fixtures::GreyOfFrame(30);
    EXPECT_TRUE(Near(image.pixelColor(231 + 17, 62 + 15), QColor(grey, grey, grey), 6));
}

TEST_F(TimeLineOnScreenTest, AThumbnailIsDrawnAgainWhenItsFileChanges)
{
    Load({ Face(1, { Item(1, 1000, 2000) }) });
    tagTL_FACE_ITEM_DATA item;
    timeline.GetItemRecord(1, 1000, item);
    ASSERT_TRUE(timeline_scene::WriteThumbnail(timeline, item, QColor(250, 0, 0)));
    // Written after the control was painted: its folder's watch brings it in.
    const QPoint box(181 + 30, 22 + 15);
    EXPECT_TRUE(WaitFor([&] { return Near(Grab().pixelColor(box), QColor(250, 0, 0), 12); }));
    const int cached = timeline.Pictures().Count();
    EXPECT_TRUE(Near(Grab().pixelColor(box), QColor(250, 0, 0), 12));
    EXPECT_EQ(timeline.Pictures().Count(), cached) << "drawn from the cache";

    ASSERT_TRUE(timeline_scene::WriteThumbnail(timeline, item, QColor(0, 0, 250)));
    EXPECT_TRUE(WaitFor([&] { return Near(Grab().pixelColor(box), QColor(0, 0, 250), 12); }));
    ASSERT_TRUE(QFile::remove(timeline.ThumbnailPath(item)));
    EXPECT_TRUE(WaitFor([&] { return Grab().pixelColor(box) == SlotColour(4); })) << "gone with its file";
}

TEST_F(TimeLineOnScreenTest, TheRightButtonShowsThePopUpMenuAndRunsItsCommand)
{
    Load({ Face(1, { Item(1, 1000, 1000) }) });
    // Chooses FACE > add with the keyboard once the menu is up.
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        shown = true;
        menu->setActiveAction(menu->actions()[2]);
        QTest::keyClick(menu, Qt::Key_Right);
        QTimer::singleShot(0, [] {
            auto* faceMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!faceMenu)
                return;
            faceMenu->setActiveAction(faceMenu->actions()[0]);
            QTest::keyClick(faceMenu, Qt::Key_Return);
        });
    });
    Mouse(QEvent::MouseButtonPress, P(1500, 0), Qt::RightButton);
    Mouse(QEvent::MouseButtonRelease, P(1500, 0), Qt::RightButton);
    EXPECT_TRUE(shown);
    EXPECT_EQ(timeline.Selection().size(), 1u) << "the item under it was selected";
    EXPECT_TRUE(owner.Log().contains(QStringLiteral("FACE_ADDED 2")));
    EXPECT_EQ(timeline.FaceCount(), 2);

    // Without a project no menu comes up.
    timeline.SetProjectOpen(false);
    shown = false;
    QTimer::singleShot(0, [&] {
        if (auto* menu = QApplication::activePopupWidget()) {
            shown = true;
            menu->close();
        }
    });
    Mouse(QEvent::MouseButtonPress, P(1500, 0), Qt::RightButton);
    Mouse(QEvent::MouseButtonRelease, P(1500, 0), Qt::RightButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(shown);
}

TEST_F(TimeLineOnScreenTest, ShowcaseAsDelivered)
{
    CEffectIni effects;
    ASSERT_TRUE(effects.Load(QStringLiteral(KALEIDRA_EFFECT_INI)));
    panel.effectTable = &effects;
    timeline.LoadImages(QStringLiteral(KALEIDRA_SKIN_FOLDER));
    timeline.resize(1400, 320);
    timeline_scene::BuildShowcase(timeline, project.Path());
    timeline.ToggleEffectDisplay();
    timeline.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&timeline));
    const QImage image = Grab();
    if (const QByteArray path = qgetenv("KALEIDRA_TIMELINE_GRAB"); !path.isEmpty())
        image.save(QString::fromLocal8Bit(path));
    EXPECT_EQ(image.pixelColor(430, 300), QColor(255, 51, 0)) << "the playhead at 35 s";
    EXPECT_EQ(image.pixelColor(980, 300), QColor(255, 204, 0)) << "OUT at 90 s";
    EXPECT_TRUE(Near(image.pixelColor(2, 60 + 10), QColor(60, 160, 230))) << "face 2's colour";

    // Drags under way: the selected item moved to face 6, the movie's end trimmed, a face held.
    const auto grabDuring = [&](const char* name) {
        const QImage during = Grab();
        if (const QByteArray path = qgetenv("KALEIDRA_TIMELINE_GRAB"); !path.isEmpty())
            during.save(
                QString::fromLocal8Bit(path).replace(QStringLiteral(".png"), QString::fromLatin1(name)));
        return during;
    };
    Mouse(QEvent::MouseMove, P(3000, 2), Qt::NoButton);
    Mouse(QEvent::MouseButtonPress, P(3000, 2));
    Mouse(QEvent::MouseMove, P(6000, 5), Qt::NoButton);
    Mouse(QEvent::MouseMove, P(6500, 5), Qt::NoButton);
    const QImage moving = grabDuring("_move.png");
    // Grabbed 180 pixels into the item: it would start at 4700 on face 6.
    EXPECT_NE(moving.pixelColor(P(6500, 5).x(), 254), image.pixelColor(P(6500, 5).x(), 254)) << "its ghost";
    EXPECT_EQ(moving.pixelColor(P(6500, 5).x(), 262), image.pixelColor(P(6500, 5).x(), 262));
    EXPECT_NE(moving.pixelColor(P(3000, 2).x(), 134), image.pixelColor(P(3000, 2).x(), 134))
        << "gone from face 3";
    Mouse(QEvent::MouseButtonRelease, P(6500, 5));
    EXPECT_TRUE(owner.Log().contains(QStringLiteral("ITEM_MOVED 3@1200>6@4700")));

    Mouse(QEvent::MouseMove, P(2595, 0), Qt::NoButton);
    Mouse(QEvent::MouseButtonPress, P(2595, 0));
    Mouse(QEvent::MouseMove, P(2900, 0), Qt::NoButton);
    grabDuring("_trim.png");
    Mouse(QEvent::MouseButtonRelease, P(2900, 0));

    Mouse(QEvent::MouseButtonPress, QPoint(20, 100));
    timeline.Controller().OnTimer(TL_TIMER_FACE_HOLD);
    Mouse(QEvent::MouseMove, QPoint(20, 195), Qt::NoButton);
    grabDuring("_face.png");
    Mouse(QEvent::MouseButtonRelease, QPoint(20, 195));
}

} // namespace
