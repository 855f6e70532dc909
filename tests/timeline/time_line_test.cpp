#include "controls/gdi_scroll_bar.h"
#include "itempanel/effect_ini.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/timeline/timeline_fixtures.h"
#include "tests/timeline/timeline_scene.h"
#include "timeline/time_line.h"

#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QWidget>
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

namespace {

TEST(TimeLineControl, ShowcaseAsDelivered)
{
    CTempFolder project;
    CEffectIni effects;
    ASSERT_TRUE(effects.Load(QStringLiteral(KALEIDRA_EFFECT_INI)));
    CRecordingPanel panel;
    panel.effectTable = &effects;
    CTimeLine timeline;
    timeline.SetItemPanel(&panel);
    timeline.LoadImages(QStringLiteral(KALEIDRA_SKIN_FOLDER));
    timeline.resize(1400, 320);
    timeline_scene::BuildShowcase(timeline, project.Path());
    timeline.ToggleEffectDisplay();
    timeline.show();
    const QImage image = timeline.grab().toImage();
    if (const QByteArray path = qgetenv("KALEIDRA_TIMELINE_GRAB"); !path.isEmpty())
        image.save(QString::fromLocal8Bit(path));
    EXPECT_FALSE(image.isNull());
}

} // namespace
