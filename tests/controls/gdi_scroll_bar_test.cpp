#include "controls/control_messages.h"
#include "controls/gdi_scroll_bar.h"
#include "tests/controls/widget_probe.h"

#include <QPainter>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace controls;

namespace {

struct Received {
    unsigned message;
    int action;
    int position;
    int trackPosition;
    bool operator==(const Received&) const = default;
};

// Records notifications; as a window it also stands for the bar's parent.
class CRecordingOwner : public QWidget, public CScrollBarOwner {
public:
    std::vector<Received> received;
    void OnScrollBarNotify(unsigned message, const ScrollNotifyRecord& record, CGdiScrollBar&) override
    {
        received.push_back({ message, record.action, record.position, record.trackPosition });
    }
};

struct ScrollBarFixture : ::testing::Test {
    CRecordingOwner parent;
    CRecordingOwner target;
    CGdiScrollBar* bar = new CGdiScrollBar(&parent);
    int64_t now = 1000;

    ScrollBarFixture()
    {
        bar->m_vertical = false;
        bar->setGeometry(0, 0, 200, 18); // track 18..182; page 10 of 100 gives the small thumb, 36 long
        bar->SetClock([this] { return now; });
        bar->m_targetWindow = &target;
        bar->m_targetMessage = 0x496;
    }
    void Press(QPoint at) { SendMouse(*bar, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void Move(QPoint at) { SendMouse(*bar, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
    void Release(QPoint at) { SendMouse(*bar, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }
};

} // namespace

TEST_F(ScrollBarFixture, RangeAndPositionSettersClampAndReportNothing)
{
    bar->SetScrollRange(7, -5);
    EXPECT_EQ(bar->m_scrollInfo.minimum, 0);
    EXPECT_EQ(bar->m_scrollInfo.maximum, 0);
    EXPECT_EQ(bar->m_scrollInfo.page, 1);
    bar->SetScrollRange(100);
    EXPECT_EQ(bar->m_scrollInfo.maximum, 100);
    EXPECT_EQ(bar->m_scrollInfo.page, 1);
    bar->SetScrollPos(250);
    EXPECT_EQ(bar->m_scrollInfo.position, 100);
    EXPECT_EQ(bar->m_scrollInfo.trackPosition, 100);
    bar->SetScrollPos(-3);
    EXPECT_EQ(bar->GetScrollPos(), 0);
    EXPECT_TRUE(target.received.empty());
    EXPECT_TRUE(parent.received.empty());
}

TEST_F(ScrollBarFixture, RoutesToTargetParentOrItself)
{
    Press(QPoint(190, 5)); // arrow 2
    Release(QPoint(190, 5));
    EXPECT_EQ(target.received, (std::vector<Received> { { 0x496, SCROLL_LINE_FORWARD, 0, 0 } }));
    EXPECT_EQ(bar->GetScrollPos(), 0); // the receiver moves the bar, not the bar itself

    bar->m_targetWindow = nullptr;
    bar->m_targetMessage = 0;
    Press(QPoint(150, 5)); // the track behind the thumb
    Release(QPoint(150, 5));
    EXPECT_EQ(
        parent.received, (std::vector<Received> { { UM_SCROLLBAR_NOTIFY, SCROLL_PAGE_FORWARD, 0, 0 } }));

    // A target message without a target window: the bar scrolls itself.
    bar->m_targetMessage = 0x497;
    bar->m_lineStep = 3;
    Press(QPoint(190, 5));
    Release(QPoint(190, 5));
    EXPECT_EQ(bar->GetScrollPos(), 3);
    Press(QPoint(150, 5));
    Release(QPoint(150, 5));
    EXPECT_EQ(bar->GetScrollPos(), 13);
    Press(QPoint(5, 5));
    Release(QPoint(5, 5));
    EXPECT_EQ(bar->GetScrollPos(), 10);
    EXPECT_EQ(parent.received.size(), 1u);
    EXPECT_EQ(target.received.size(), 1u);
}

TEST_F(ScrollBarFixture, HeldArrowRepeatsAfterHalfASecondWhileTheCursorStaysOnIt)
{
    Press(QPoint(190, 5));
    ASSERT_EQ(target.received.size(), 1u);
    for (int64_t elapsed : { 60, 120, 499 }) {
        now = 1000 + elapsed;
        bar->OnTimer(SCROLLBAR_REPEAT_TIMER_ID);
    }
    EXPECT_EQ(target.received.size(), 1u);
    now = 1500;
    bar->OnTimer(SCROLLBAR_REPEAT_TIMER_ID);
    bar->OnTimer(7); // not the repeat timer
    now = 1560;
    bar->OnTimer(SCROLLBAR_REPEAT_TIMER_ID);
    EXPECT_EQ(target.received.size(), 3u);
    Move(QPoint(100, 5)); // off the arrow
    now = 1620;
    bar->OnTimer(SCROLLBAR_REPEAT_TIMER_ID);
    EXPECT_EQ(target.received.size(), 3u);
    Move(QPoint(195, 10));
    Release(QPoint(195, 10));
    EXPECT_EQ(bar->PressedPart(), PART_NONE);
    now = 1680;
    bar->OnTimer(SCROLLBAR_REPEAT_TIMER_ID);
    EXPECT_EQ(target.received.size(), 3u);
    for (const Received& r : target.received)
        EXPECT_EQ(r.action, SCROLL_LINE_FORWARD);
}

TEST_F(ScrollBarFixture, HeldTrackPagesUntilTheThumbReachesTheCursor)
{
    // The receiver moves the bar as a real one would.
    class CPagingOwner : public CScrollBarOwner {
    public:
        int pages = 0;
        void OnScrollBarNotify(unsigned, const ScrollNotifyRecord& record, CGdiScrollBar& bar) override
        {
            ++pages;
            bar.SetScrollPos(record.position + (record.action == SCROLL_PAGE_FORWARD ? 10 : 0));
        }
    } pager;
    bar->m_targetWindow = &pager;
    Press(QPoint(120, 5)); // thumb at 18..54
    for (int64_t t = 500; t <= 1500; t += 60) {
        now = 1000 + t;
        bar->OnTimer(SCROLLBAR_REPEAT_TIMER_ID);
    }
    // Thumb ends: position 50 -> 120, still at the cursor; 60 -> 133, past it.
    EXPECT_EQ(pager.pages, 6);
    EXPECT_EQ(bar->GetScrollPos(), 60);
}

TEST_F(ScrollBarFixture, DraggingTheThumbTracksThenEnds)
{
    bar->SetScrollPos(0);
    Press(QPoint(22, 5)); // 4 pixels into the thumb
    EXPECT_TRUE(target.received.empty());
    Move(QPoint(100, 5));
    Move(QPoint(100, 5)); // no change, no report
    Move(QPoint(500, 5));
    Release(QPoint(500, 5));
    EXPECT_EQ(target.received,
        (std::vector<Received> { { 0x496, SCROLL_THUMB_TRACK, 0, 60 }, { 0x496, SCROLL_THUMB_TRACK, 0, 100 },
            { 0x496, SCROLL_THUMB_END, 0, 0 } }));

    // With an empty range the thumb fills the track and a drag gives the minimum.
    target.received.clear();
    bar->SetScrollRange(0, 0);
    Press(QPoint(100, 5));
    Move(QPoint(150, 5));
    Release(QPoint(150, 5));
    EXPECT_EQ(target.received, (std::vector<Received> { { 0x496, SCROLL_THUMB_END, 0, 0 } }));
}

TEST_F(ScrollBarFixture, WheelUpIsALineBack)
{
    bar->SetScrollPos(5);
    for (int delta : { 120, -120 }) {
        QWheelEvent wheel(QPointF(50, 5), QPointF(50, 5), QPoint(), QPoint(0, delta), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(bar, &wheel);
    }
    EXPECT_EQ(target.received,
        (std::vector<Received> { { 0x496, SCROLL_LINE_BACK, 5, 0 }, { 0x496, SCROLL_LINE_FORWARD, 5, 0 } }));

    // The events that open and close a touchpad scroll turn nothing and report nothing.
    target.received.clear();
    for (Qt::ScrollPhase phase : { Qt::ScrollBegin, Qt::ScrollEnd }) {
        QWheelEvent wheel(
            QPointF(50, 5), QPointF(50, 5), QPoint(), QPoint(), Qt::NoButton, Qt::NoModifier, phase, false);
        QCoreApplication::sendEvent(bar, &wheel);
    }
    EXPECT_TRUE(target.received.empty());
}

TEST_F(ScrollBarFixture, PaintsArrowsTrackThumbAndVeils)
{
    QImage picture = bar->grab().toImage();
    EXPECT_EQ(RgbText(picture.pixelColor(0, 0)), "121,121,121"); // arrow frame
    EXPECT_TRUE(Near(picture.pixelColor(2, 1), 71, 71, 71, 6)); // arrow gradient top
    EXPECT_TRUE(Near(picture.pixelColor(2, 16), 43, 43, 43, 6)); // arrow gradient bottom
    EXPECT_EQ(RgbText(picture.pixelColor(9, 9)), "246,246,246"); // arrow triangle
    EXPECT_EQ(RgbText(picture.pixelColor(100, 0)), "102,102,102"); // track frame
    EXPECT_EQ(RgbText(picture.pixelColor(100, 1)), "153,153,153"); // inner track frame
    EXPECT_EQ(RgbText(picture.pixelColor(18, 9)), "136,136,136"); // thumb frame
    EXPECT_TRUE(Near(picture.pixelColor(25, 2), 238, 238, 238, 8)); // thumb gradient top

    Press(QPoint(5, 5));
    picture = bar->grab().toImage();
    EXPECT_TRUE(Near(picture.pixelColor(2, 1), 192, 64, 80, 8)); // pressed arrow
    Release(QPoint(5, 5));

    bar->m_arrow2Active = false;
    picture = bar->grab().toImage();
    EXPECT_EQ(RgbText(picture.pixelColor(0, 0)), "121,121,121");
    EXPECT_TRUE(Near(picture.pixelColor(182, 0), 129, 129, 129)); // veiled frame of arrow 2

    bar->setEnabled(false);
    picture = bar->grab().toImage();
    EXPECT_TRUE(Near(picture.pixelColor(0, 0), 129, 129, 129, 2));
    EXPECT_TRUE(Near(picture.pixelColor(182, 0), 129, 129, 129, 2)); // one veil, not two
    EXPECT_EQ(bar->Layout().thumb, (WinRect { 18, 1, 54, 17 })); // still laid out
}

TEST_F(ScrollBarFixture, ArrowPicturesReplaceTheDrawnArrows)
{
    bar->m_arrow1Image = SolidImage(QColor(0, 200, 0));
    bar->m_arrow1PressedImage = SolidImage(QColor(0, 0, 200));
    EXPECT_EQ(RgbText(PixelAt(*bar, QPoint(9, 9))), "0,200,0");
    Press(QPoint(5, 5));
    EXPECT_EQ(RgbText(PixelAt(*bar, QPoint(9, 9))), "0,0,200");
    Release(QPoint(5, 5));
}

TEST(GdiScrollBarPainting, GradientsRunFromEdgeToEdgeAndFramesAreOnePixel)
{
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    CGdiScrollBar::FillGradientV(painter, Rgb(255, 0, 0), Rgb(0, 0, 255), { 0, 0, 10, 10 });
    CGdiScrollBar::FillGradientH(painter, Rgb(0, 255, 0), Rgb(255, 255, 255), { 10, 0, 20, 5 });
    CGdiScrollBar::DrawFrameRect(painter, Rgb(9, 9, 9), { 10, 5, 20, 10 });
    painter.end();
    EXPECT_TRUE(Near(image.pixelColor(5, 0), 255, 0, 0, 14));
    EXPECT_TRUE(Near(image.pixelColor(5, 9), 0, 0, 255, 14));
    EXPECT_TRUE(Near(image.pixelColor(10, 2), 0, 255, 0, 14));
    EXPECT_TRUE(Near(image.pixelColor(19, 2), 255, 255, 255, 14));
    for (QPoint p : { QPoint(10, 5), QPoint(19, 5), QPoint(19, 9), QPoint(10, 9), QPoint(15, 9) })
        EXPECT_EQ(RgbText(image.pixelColor(p)), "9,9,9");
    EXPECT_EQ(RgbText(image.pixelColor(15, 7)), "0,0,0");
}

TEST_F(ScrollBarFixture, AMoveWithoutTheButtonEndsThePress)
{
    for (QPoint at : { QPoint(190, 5), QPoint(30, 5) }) { // an arrow, then the thumb
        SCOPED_TRACE(at.x());
        target.received.clear();
        Press(at);
        SendMouse(*bar, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
        EXPECT_EQ(bar->PressedPart(), PART_NONE);
        now += 1000;
        bar->OnTimer(SCROLLBAR_REPEAT_TIMER_ID);
        Move(QPoint(150, 5)); // a later drag moves nothing
        for (const Received& r : target.received)
            EXPECT_NE(r.action, SCROLL_THUMB_TRACK);
        EXPECT_LE(target.received.size(), 1u);
    }
}

// A smaller range takes the position and the track position with it, so the thumb never sits
// outside the track.
TEST_F(ScrollBarFixture, ANewRangeKeepsThePositionInside)
{
    bar->SetScrollRange(100);
    bar->SetScrollPos(80);
    bar->SetScrollRange(0, 50);
    EXPECT_EQ(bar->m_scrollInfo.position, 50);
    EXPECT_EQ(bar->m_scrollInfo.trackPosition, 50);
    bar->SetScrollRange(-1);
    EXPECT_EQ(bar->GetScrollPos(), 0);
    EXPECT_EQ(bar->m_scrollInfo.trackPosition, 0);
}

// A receiver destroyed before the bar is never called: the bar then scrolls itself, as it does
// for a target message without a target.
TEST_F(ScrollBarFixture, AReceiverDestroyedFirstIsNotCalled)
{
    auto gone = std::make_unique<CRecordingOwner>();
    bar->m_targetWindow = gone.get();
    gone.reset();
    EXPECT_FALSE(bar->m_targetWindow);
    Press(QPoint(190, 5)); // arrow 2
    Release(QPoint(190, 5));
    EXPECT_EQ(bar->GetScrollPos(), 1);
    EXPECT_TRUE(parent.received.empty());

    bar->m_targetWindow = &target; // a live receiver set again is called again
    Press(QPoint(190, 5));
    Release(QPoint(190, 5));
    EXPECT_EQ(target.received.size(), 1u);
}
