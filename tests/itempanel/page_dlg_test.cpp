#include "controls/control_messages.h"
#include "controls/gdi_slider_ctrl.h"
#include "itempanel/in_out_slider.h"
#include "itempanel/item_panel_messages.h"
#include "itempanel/page_dlg.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A holder 300 high with three pages: 600, 200 and 700 pixels tall.
class PageHolderTest : public ::testing::Test {
public:
    void SetUp() override
    {
        m_holder.resize(340, 300);
        const int heights[3] = { 600, 200, 700 };
        for (int i = 0; i < 3; ++i) {
            m_pages[i] = new QWidget(&m_holder);
            m_pages[i]->resize(320, heights[i]);
            m_pages[i]->hide();
            m_holder.SetPage(i, m_pages[i]);
        }
        m_holder.CreateScrollBar();
        m_holder.show();
    }

    void Notify(int action, int track = 0)
    {
        ScrollNotifyRecord record { action, m_holder.ScrollBar()->GetScrollPos(), track };
        static_cast<CScrollBarOwner&>(m_holder).OnScrollBarNotify(
            itempanel::UM_PAGE_SCROLL_NOTIFY, record, *m_holder.ScrollBar());
    }

    int PageTop(int index) const { return m_pages[index]->y(); }

    CPageDlg m_holder;
    QWidget* m_pages[3] {};
};

TEST_F(PageHolderTest, ScrollsThePageWithinItsRange)
{
    EXPECT_EQ(m_holder.ScrollBar()->m_scrollInfo.maximum, 300);
    EXPECT_EQ(m_holder.ScrollBar()->geometry(), QRect(340 - 17, 0, 17, 300));
    struct Step {
        const char* name;
        std::function<void(PageHolderTest&)> act;
        int offset;
    } steps[] = {
        { "line down", [](PageHolderTest& t) { t.Notify(controls::SCROLL_LINE_FORWARD); }, 10 },
        { "line up", [](PageHolderTest& t) { t.Notify(controls::SCROLL_LINE_BACK); }, 0 },
        { "line up at the top", [](PageHolderTest& t) { t.Notify(controls::SCROLL_LINE_BACK); }, 0 },
        { "page down", [](PageHolderTest& t) { t.Notify(controls::SCROLL_PAGE_FORWARD); }, 300 },
        { "page down at the end", [](PageHolderTest& t) { t.Notify(controls::SCROLL_PAGE_FORWARD); }, 300 },
        { "thumb dragged", [](PageHolderTest& t) { t.Notify(controls::SCROLL_THUMB_TRACK, 123); }, 123 },
        { "wheel down", [](PageHolderTest& t) { t.m_holder.OnScrollDown(); }, 133 },
        { "wheel up", [](PageHolderTest& t) { t.m_holder.OnScrollUp(); }, 123 },
        { "far past the end", [](PageHolderTest& t) { t.m_holder.ScrollBy(5000); }, 300 },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act(*this);
        EXPECT_EQ(m_holder.Offset(), step.offset);
        EXPECT_EQ(m_holder.ScrollBar()->GetScrollPos(), step.offset);
        EXPECT_EQ(PageTop(0), -step.offset);
    }
    // A resize takes the page back to its top.
    m_holder.resize(340, 400);
    EXPECT_EQ(m_holder.Offset(), 0);
    EXPECT_EQ(m_holder.ScrollBar()->m_scrollInfo.maximum, 200);
    EXPECT_EQ(PageTop(0), 0);
}

// Each newly chosen page opens at its own top, whatever the page before was scrolled to, and the
// bar agrees with it: its range is the new page's and its thumb at the top.
TEST_F(PageHolderTest, ANewPageOpensAtItsTopAndAPageThatFitsNeverScrolls)
{
    m_holder.ScrollBy(250);
    EXPECT_FALSE(m_holder.ShowPage(3));
    EXPECT_EQ(m_holder.CurrentPage(), 0);
    EXPECT_EQ(m_holder.Offset(), 250);
    ASSERT_TRUE(m_holder.ShowPage(2));
    EXPECT_FALSE(m_pages[0]->isVisible());
    EXPECT_TRUE(m_pages[2]->isVisible());
    EXPECT_EQ(PageTop(2), 0);
    EXPECT_EQ(m_holder.Offset(), 0);
    EXPECT_EQ(m_holder.ScrollBar()->GetScrollPos(), 0);
    EXPECT_EQ(m_holder.ScrollBar()->m_scrollInfo.maximum, 400);
    // The page shown already stays where it is when it is chosen again.
    m_holder.ScrollBy(120);
    ASSERT_TRUE(m_holder.ShowPage(2));
    EXPECT_EQ(PageTop(2), -120);
    EXPECT_EQ(m_holder.ScrollBar()->GetScrollPos(), 120);
    ASSERT_TRUE(m_holder.ShowPage(1));
    EXPECT_EQ(m_holder.Offset(), 0);
    EXPECT_EQ(PageTop(1), 0);
    EXPECT_EQ(m_holder.ScrollBar()->m_scrollInfo.maximum, 0);
    m_holder.ScrollBy(40);
    EXPECT_EQ(PageTop(1), 0);
    // Back to the first page: at its top, although it was left scrolled.
    ASSERT_TRUE(m_holder.ShowPage(0));
    EXPECT_EQ(PageTop(0), 0);
    EXPECT_EQ(m_holder.ScrollBar()->GetScrollPos(), 0);
    EXPECT_EQ(m_holder.ScrollBar()->m_scrollInfo.maximum, 300);

    CPageDlg empty;
    empty.resize(100, 100);
    empty.CreateScrollBar();
    EXPECT_FALSE(empty.ShowPage(0));
}

TEST_F(PageHolderTest, AStandardScrollBarStepsByTwentyAndAFocusedControlIsBroughtIntoView)
{
    QScrollBar bar(Qt::Vertical);
    bar.setRange(0, 300);
    m_holder.OnVScroll(QAbstractSlider::SliderSingleStepAdd, 0, bar);
    EXPECT_EQ(m_holder.Offset(), 20);
    m_holder.OnVScroll(QAbstractSlider::SliderPageStepAdd, 0, bar);
    EXPECT_EQ(m_holder.Offset(), 300);

    m_holder.ScrollBy(-300);
    auto* below = new QLineEdit(m_pages[0]);
    below->setGeometry(10, 400, 100, 24);
    below->show();
    m_holder.OnEnsureVisible(QRect(below->mapToGlobal(QPoint(0, 0)), below->size()));
    EXPECT_EQ(m_holder.Offset(), 124); // its bottom at the holder's bottom
    auto* above = new QLineEdit(m_pages[0]);
    above->setGeometry(10, 50, 100, 24);
    above->show();
    m_holder.OnEnsureVisible(QRect(above->mapToGlobal(QPoint(0, 0)), above->size()));
    EXPECT_EQ(m_holder.Offset(), 50); // its top at the holder's top
}

// ---- The IN/OUT bar -----------------------------------------------------------------------------

class CRecordingSliderParent : public QWidget, public CInOutSliderOwner {
public:
    std::vector<int> positions;
    void OnInOutSliderPos(int position) override { positions.push_back(position); }
};

TEST(InOutBar, LabelsSitAtThePointsAndAnEmptyRangePutsThemAtTheLeft)
{
    struct Case {
        int width;
        int position;
        int maximum;
        int x;
    } cases[] = {
        { 200, 0, 1000, 0 },
        { 200, -1, 1000, 0 },
        { 200, 1000, 1000, 190 },
        { 200, 500, 1000, 95 },
        { 200, 2000, 1000, 380 }, // past the maximum, right of the track
        { 200, 500, 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.position << "/" << c.maximum);
        EXPECT_EQ(CInOutSlider::LabelX(c.width, c.position, c.maximum), c.x);
    }
}

TEST(InOutBar, ReportsTheUsersMovesAndMarksThePoints)
{
    CRecordingSliderParent parent;
    CInOutSlider bar;
    bar.SetInOut(10, 20); // before Create: nothing
    ASSERT_TRUE(bar.Create(QRect(0, 0, 200, 40), &parent));
    EXPECT_EQ(bar.Slider()->geometry(), QRect(0, 16, 200, 24));
    EXPECT_EQ(bar.Slider()->maximum(), 100);
    EXPECT_EQ(bar.Slider()->m_inPosition, -1);
    bar.SetInOut(30, 60);
    EXPECT_EQ(bar.Slider()->m_inPosition, 30);
    EXPECT_EQ(bar.Slider()->m_outPosition, 60);
    bar.Slider()->setValue(40); // set from code: no report
    bar.Slider()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(parent.positions, std::vector<int>({ 41 }));

    // With no points the strip stays empty: every pixel the background colour.
    bar.SetInOut(-1, -1);
    const QImage strip = bar.grab(QRect(0, 0, 200, 16)).toImage();
    const QColor background = strip.pixelColor(0, 0);
    for (int x = 0; x < strip.width(); ++x)
        for (int y = 0; y < strip.height(); ++y)
            ASSERT_EQ(strip.pixelColor(x, y), background) << x << "," << y;
}

} // namespace
