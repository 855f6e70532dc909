#include "controls/gdi_button.h"
#include "controls/gdi_combo_box.h"
#include "controls/gdi_slider_ctrl.h"
#include "controls/msk_edit.h"
#include "core/dialog_services.h"
#include "core/message_catalog.h"
#include "itempanel/effect_dlg.h"
#include "itempanel/filter_dlg.h"
#include "itempanel/page_dlg.h"
#include "itempanel/propety_dlg.h"
#include "itempanel/setting_dlg.h"
#include "itempanel/setting_dlg_owner.h"
#include "platform/dialog_service.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/itempanel/page_fixtures.h"
#include "tests/itempanel/panel_fixtures.h"
#include "timeline/timeline_model.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <functional>
#include <gtest/gtest.h>

using namespace page_fixtures;
using namespace panel_fixtures;
using Item = tagTL_FACE_ITEM_DATA;

namespace {

// The main view as the panel sees it: every message recorded ("ItemChanged 1@1000",
// "EditBatch 1"), and the item changes written into the timeline as the view does.
class CRecordingView : public CSettingDlgOwner {
public:
    QStringList calls;
    std::vector<ItemRecordPair> changes;
    CTimeLineModel* timeline = nullptr;
    CSettingDlg* panel = nullptr;

    int OnItemChanged(const ItemRecordPair& change) override
    {
        changes.push_back(change);
        calls << QStringLiteral("ItemChanged %1@%2").arg(change.after.FaceNo).arg(change.after.Start);
        if (timeline)
            timeline->SetItemData(change.after);
        ShowCaptionOf(change.after);
        return 0;
    }
    void ShowCaptionOf(const Item& item)
    {
        if (panel && panel->IsCurrentItem(item.Channel, item.FaceNo, item.SubNo, item.Start))
            panel->SetItemCaption(
                item.Channel, item.FaceNo, item.SubNo, item.Start, item.PlayTime, item.Mode, item.LinkMode);
    }
    void OnRedrawPreview() override { calls << QStringLiteral("RedrawPreview"); }
    int OnItemsChanged(const ItemRecordPair& change) override
    {
        changes.push_back(change);
        calls << QStringLiteral("ItemsChanged %1@%2>%3")
                     .arg(change.before.FaceNo)
                     .arg(change.before.Start)
                     .arg(change.after.Start);
        if (timeline)
            timeline->ApplyItemChange(change.before, change.after);
        ShowCaptionOf(change.after);
        return 0;
    }
    void OnShowItem(const Item& item) override
    {
        calls << QStringLiteral("ShowItem %1@%2").arg(item.FaceNo).arg(item.Start);
    }
    void OnUndo() override { calls << QStringLiteral("Undo"); }
    void OnRedo() override { calls << QStringLiteral("Redo"); }
    void OnEditBatch(int open) override { calls << QStringLiteral("EditBatch %1").arg(open); }
};

class SettingPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder.WriteFile(QStringLiteral("SETTING/Effect.ini"), SampleEffectIni());
        m_folder.WriteFile(QStringLiteral("SETTING/Filter.ini"), SampleFilterIni());
        m_view.timeline = &m_timeline;
        m_view.panel = &m_panel;
        m_panel.m_workFolder = m_folder.Path();
        m_panel.m_settingFolder = m_folder.FilePath(QStringLiteral("SETTING"));
        m_panel.PropertyPage()->SetMedia(std::make_unique<CFakeMedia>());
        m_panel.Create();
        m_panel.PropertyPage()->InitComboItems();
        m_panel.SetProject(QStringLiteral("Show"), 1);
        m_panel.SelectTab(0);
        m_panel.ClearItem();
        m_timeline.SetItemPanel(&m_panel);
    }

    void AddFace(int32_t no, std::vector<Item> items)
    {
        ASSERT_EQ(m_timeline.AddFaceRecord(MakeFace(no, {})), no);
        for (const Item& item : items)
            ASSERT_EQ(m_timeline.AddItemRecord(item), 1);
    }

    Item Stored(int32_t faceNo, int32_t start) const
    {
        Item item;
        EXPECT_TRUE(m_timeline.GetItemRecord(faceNo, start, item));
        return item;
    }

    // The timeline hands the panel an item as it does on a click.
    void Select(int32_t faceNo, int32_t start)
    {
        m_panel.SetFaceList(m_timeline);
        m_panel.SetItem(Stored(faceNo, start));
    }

    template <typename T> T* Property(int id) const { return m_panel.PropertyPage()->ItemAs<T>(id); }

    CTempFolder m_folder;
    CScriptedDialogService m_dialogs;
    CRecordingView m_view;
    CTimeLineModel m_timeline;
    CSettingDlg m_panel { &m_view };
};

TEST_F(SettingPanelTest, LoadingAnItemSendsNothingAndTheSameItemIsNotLoadedAgain)
{
    Item picture = MakeItem(1, 1000, 500, Item::MODE_IMAGE);
    picture.FilterNo = 1;
    picture.Param[0] = 30;
    picture = WithEffects(picture, 2, 100, 1, 50);
    AddFace(1, { picture });
    Select(1, 1000);
    EXPECT_TRUE(m_view.calls.isEmpty());
    EXPECT_EQ(m_panel.WorkItem(), picture);
    EXPECT_TRUE(m_panel.IsCurrentItem(1, 1, 0, 1000));
    EXPECT_EQ(m_panel.EffectPage()->ItemAs<QLabel>(CEffectDlg::IDC_MODE)->text(), QStringLiteral(" IMAGE"));

    // The pages read back into the work record give the item as stored.
    Item back = m_panel.WorkItem();
    back.Mute = 1;
    back.InPattern = back.FilterNo = -1;
    m_panel.ReadPropertyPage(back);
    m_panel.ReadEffectPage(back);
    m_panel.ReadFilterPage(back);
    EXPECT_EQ(back, picture);

    // The same key, play time and kind: nothing is loaded; a changed play time reloads.
    m_panel.PropertyPage()->ItemAs<CMskEdit>(CPropetyDlg::IDC_PLAY)->SetWindowTime(int64_t(7));
    Item same = picture;
    same.FilePath = QStringLiteral("other.png");
    m_panel.SetItem(same);
    EXPECT_EQ(m_panel.PropertyPage()->ItemAs<CMskEdit>(CPropetyDlg::IDC_PLAY)->GetWindowTime(), 7);
    same.PlayTime = 400;
    m_panel.SetItem(same);
    EXPECT_EQ(m_panel.PropertyPage()->ItemAs<CMskEdit>(CPropetyDlg::IDC_PLAY)->GetWindowTime(), 400);
    EXPECT_TRUE(m_view.calls.isEmpty());

    // A refresh for another item does nothing; for this one it shows the change.
    Item other = same;
    other.Start = 3000;
    other.Volume = 3;
    m_panel.UpdateItem(other);
    EXPECT_EQ(m_panel.WorkItem().Volume, 100);
    Item changed = same;
    changed.Volume = 55;
    m_panel.UpdateItem(changed);
    EXPECT_EQ(m_panel.WorkItem().Volume, 55);
    EXPECT_EQ(Property<CGdiSliderCtrl>(CPropetyDlg::IDC_VOLUME)->value(), 55);
    EXPECT_TRUE(m_view.calls.isEmpty());

    m_panel.ClearItem();
    EXPECT_FALSE(m_panel.IsCurrentItem(1, 1, 0, 1000));
    EXPECT_EQ(m_panel.WorkItem(), Item());
    EXPECT_FALSE(m_panel.EffectPage()->Item(CEffectDlg::IDC_IN_EFFECT)->isEnabled());
    EXPECT_FALSE(m_panel.FilterPage()->Item(CFilterDlg::IDC_FILTER)->isEnabled());
}

TEST_F(SettingPanelTest, APictureThatDoesNotLoadLeavesNoEarlierPictureBehind)
{
    QImage image(64, 36, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    const QString path = m_folder.FilePath(QStringLiteral("a.png"));
    ASSERT_TRUE(image.save(path, "PNG"));
    Item shown = MakeItem(1, 0, 500, Item::MODE_IMAGE);
    shown.FilePath = path;
    Item missing = MakeItem(1, 1000, 500, Item::MODE_IMAGE);
    missing.FilePath = QStringLiteral("D:\\Show\\gone.png");
    missing.W = 300;
    AddFace(1, { shown, missing });
    Select(1, 0);
    EXPECT_FALSE(m_panel.PropertyPage()->Preview()->m_picture.isNull());
    Select(1, 1000);
    EXPECT_TRUE(m_panel.PropertyPage()->Preview()->m_picture.isNull());
    Item back = m_panel.WorkItem();
    m_panel.ReadPropertyPage(back);
    EXPECT_EQ(back, missing);
    EXPECT_TRUE(m_view.calls.isEmpty());
}

TEST_F(SettingPanelTest, AnEditIsReadBackAndToldInOneBatch)
{
    AddFace(1, { MakeItem(1, 1000, 500, Item::MODE_MOVIE) });
    Select(1, 1000);
    Property<CGdiButton>(CPropetyDlg::IDC_MUTE)->click();
    EXPECT_EQ(m_view.calls, QStringList({ "EditBatch 1", "ItemChanged 1@1000", "EditBatch 0" }));
    ASSERT_EQ(m_view.changes.size(), 1u);
    EXPECT_EQ(m_view.changes[0].before.Mute, 0);
    EXPECT_EQ(m_view.changes[0].after.Mute, 1);
    EXPECT_EQ(Stored(1, 1000).Mute, 1);

    // A volume drag is one batch however many steps it takes.
    m_view.calls.clear();
    CGdiSliderCtrl* volume = Property<CGdiSliderCtrl>(CPropetyDlg::IDC_VOLUME);
    volume->setSliderDown(true);
    volume->setSliderPosition(110);
    volume->setSliderPosition(120);
    volume->setSliderDown(false);
    EXPECT_EQ(m_view.calls,
        QStringList({ "EditBatch 1", "ItemChanged 1@1000", "ItemChanged 1@1000", "ItemChanged 1@1000",
            "EditBatch 0" }));
    EXPECT_EQ(Stored(1, 1000).Volume, 120);

    // A drag still open when another item is loaded ends with it.
    m_view.calls.clear();
    volume->setSliderDown(true);
    volume->setSliderPosition(130);
    m_panel.ClearItem();
    EXPECT_EQ(m_view.calls.last(), QStringLiteral("EditBatch 0"));
    EXPECT_EQ(m_view.calls.count(QStringLiteral("EditBatch 1")), 1);
    volume->setSliderDown(false);
    EXPECT_EQ(m_view.calls.count(QStringLiteral("EditBatch 0")), 1);
}

TEST_F(SettingPanelTest, LinkItemsOfOtherFacesFollowTheEditedItem)
{
    const QString picture = m_folder.WriteFile(QStringLiteral("b.png"), QByteArray());
    Item source = MakeItem(1, 1000, 500, Item::MODE_IMAGE);
    source.FilePath = QStringLiteral("/m/a.png");
    Item link = MakeLink(2, 1000, 500, 1, Item::MODE_IMAGE);
    link.FilePath = source.FilePath;
    AddFace(1, { source });
    AddFace(2, { link, MakeItem(2, 1600, 100) });
    AddFace(3, { MakeLink(3, 1000, 500, 1, Item::MODE_IMAGE), MakeItem(3, 1200, 100) });
    const QString sourceThumbnail
        = m_folder.WriteFile(QStringLiteral("Show/Channel_1/Face_1/thumbnail_1000.jpg"), "source");
    m_folder.MakeFolder(QStringLiteral("Show/Channel_1/Face_2"));
    Select(1, 1000);

    // A new play mode reaches both links; face 3's link has no room for the play time and
    // becomes a picture of its own.
    CMskEdit* play = Property<CMskEdit>(CPropetyDlg::IDC_PLAY);
    TypeText(play, CMskEdit::GetFormatTimeStr(600));
    PressKey(play, Qt::Key_Tab);
    EXPECT_EQ(m_view.calls,
        QStringList({ "EditBatch 1", "ItemChanged 1@1000", "ItemChanged 2@1000", "ItemChanged 3@1000",
            "EditBatch 0" }));
    EXPECT_EQ(Stored(2, 1000).PlayTime, 600);
    EXPECT_EQ(Stored(2, 1000).Mode, Item::MODE_LINK);
    EXPECT_EQ(Stored(3, 1000).Mode, Item::MODE_IMAGE);
    EXPECT_EQ(Stored(3, 1000).LinkFaceNo, 0);

    // Another file: the link takes it and the thumbnail.
    m_view.calls.clear();
    m_dialogs.AnswerPath(picture);
    Property<CGdiButton>(CPropetyDlg::IDC_BROWSE)->click();
    EXPECT_EQ(Stored(2, 1000).FilePath, picture);
    EXPECT_EQ(m_folder.ReadFile(QStringLiteral("Show/Channel_1/Face_2/thumbnail_1000.jpg")),
        m_folder.ReadFile(QStringLiteral("Show/Channel_1/Face_1/thumbnail_1000.jpg")));
    EXPECT_TRUE(m_view.calls.contains(QStringLiteral("ItemChanged 2@1000")));
    (void)sourceThumbnail;
}

TEST_F(SettingPanelTest, ThumbnailsOfAPackageProjectLieInThePackageFolder)
{
    m_panel.SetProject(QStringLiteral("Show"), 2);
    Item source = MakeItem(1, 0, 500, Item::MODE_IMAGE);
    source.FilePath = QStringLiteral("/m/a.png");
    AddFace(1, { source });
    AddFace(2, { MakeLink(2, 0, 500, 1, Item::MODE_IMAGE) });
    m_folder.WriteFile(QStringLiteral("Show_Package/Show/Channel_1/Face_1/thumbnail_0.jpg"), "source");
    m_folder.MakeFolder(QStringLiteral("Show_Package/Show/Channel_1/Face_2"));
    Select(1, 0);
    m_panel.PropertyPage()->ItemAs<CMskEdit>(CPropetyDlg::IDC_FILE)->setText(QStringLiteral("/m/b.png"));
    Choose(Property<CGdiComboBox>(CPropetyDlg::IDC_SHAPE), 1);
    EXPECT_EQ(
        m_view.calls.join(u','), QStringLiteral("EditBatch 1,ItemChanged 1@0,ItemChanged 2@0,EditBatch 0"));
    EXPECT_EQ(
        m_folder.ReadFile(QStringLiteral("Show_Package/Show/Channel_1/Face_2/thumbnail_0.jpg")), "source");
}

TEST_F(SettingPanelTest, AStartMoveCarriesTheMirroringLinksInOneBatch)
{
    AddFace(1, { MakeItem(1, 0, 400), MakeItem(1, 1000, 200) });
    AddFace(2, { WithEffects(MakeLink(2, 1000, 200, 1, Item::MODE_IMAGE), 2, 50, 3, 30) });
    Select(1, 1000);
    CMskEdit* start = Property<CMskEdit>(CPropetyDlg::IDC_START);
    TypeText(start, CMskEdit::GetFormatTimeStr(500));
    PressKey(start, Qt::Key_Return);
    EXPECT_EQ(m_view.calls,
        QStringList({ "EditBatch 1", "ItemsChanged 1@1000>500", "ItemsChanged 2@1000>500", "EditBatch 0" }));
    const Item moved = Stored(2, 500);
    EXPECT_EQ(moved.InEndTime - moved.InStartTime, 50);
    EXPECT_EQ(moved.OutEndTime, 700);
    EXPECT_EQ(moved.OutStartTime, 670);
    EXPECT_EQ(m_panel.WorkItem().Start, 500);

    // Without mirrors the run carries the item alone.
    m_view.calls.clear();
    static_cast<CItemPageOwner&>(m_panel).OnApplyToItems({});
    EXPECT_EQ(m_view.calls, QStringList({ "EditBatch 1", "ItemsChanged 1@500>500", "EditBatch 0" }));
}

TEST_F(SettingPanelTest, AChangeOfKindRefillsTheEffectListsAndResetsTheFilter)
{
    Item sound = MakeItem(1, 0, 500, Item::MODE_SOUND);
    AddFace(1, { sound });
    Select(1, 0);
    CGdiComboBox* entry = m_panel.EffectPage()->ItemAs<CGdiComboBox>(CEffectDlg::IDC_IN_EFFECT);
    EXPECT_EQ(entry->count(), 2);
    Choose(Property<CGdiComboBox>(CPropetyDlg::IDC_MODE), 1); // IMAGE
    EXPECT_EQ(entry->count(), 4);
    EXPECT_EQ(m_panel.FilterPage()->CurrentFilter(), 0);
    EXPECT_EQ(Stored(1, 0).Mode, Item::MODE_IMAGE);
    EXPECT_TRUE(m_panel.FilterPage()->Item(CFilterDlg::IDC_FILTER)->isEnabled());
}

TEST_F(SettingPanelTest, ALinkFaceChoiceShowsTheItemOnTheTimeline)
{
    Item source = MakeItem(2, 0, 500, Item::MODE_IMAGE);
    AddFace(1, { MakeLink(1, 0, 500, 0, 0) });
    AddFace(2, { source });
    Select(1, 0);
    Choose(Property<CGdiComboBox>(CPropetyDlg::IDC_LINK), 0);
    EXPECT_EQ(m_view.calls, QStringList({ "EditBatch 1", "ItemChanged 1@0", "EditBatch 0", "ShowItem 1@0" }));
    EXPECT_EQ(Stored(1, 0).LinkFaceNo, 2);
    EXPECT_EQ(Stored(1, 0).LinkMode, Item::MODE_IMAGE);
}

TEST_F(SettingPanelTest, UndoAndRedoKeysGiveExactlyOneUndoOrRedo)
{
    AddFace(1, { MakeItem(1, 0, 500, Item::MODE_IMAGE) });
    Select(1, 0);
    PressKey(Property<CMskEdit>(CPropetyDlg::IDC_START), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m_view.calls, QStringList({ "Undo" }));
    m_panel.SelectTab(1);
    PressKey(m_panel.EffectPage()->Item(CEffectDlg::IDC_IN_EFFECT), Qt::Key_Z, Qt::ControlModifier);
    PressKey(m_panel.FilterPage()->Item(CFilterDlg::IDC_FILTER), Qt::Key_Y, Qt::ControlModifier);
    PressKey(m_panel.TabButton(0), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(m_view.calls, QStringList({ "Undo", "Undo", "Redo", "Redo" }));
}

TEST_F(SettingPanelTest, TheWindowKeepsItsWidthAndEscapeOrTheCloseBoxOnlyHideIt)
{
    m_panel.show();
    m_panel.resize(600, 100);
    EXPECT_EQ(m_panel.width(), 365);
    EXPECT_EQ(m_panel.height(), 260);
    m_panel.resize(365, 700);
    // No frame pictures in this skin: the holder fills the frame's inside.
    EXPECT_EQ(m_panel.PageHolder()->geometry(), QRect(2, 31, 360, 700 - 2 - 31));

    AddFace(1, { MakeItem(1, 0, 500, Item::MODE_IMAGE) });
    Select(1, 0);
    PressKey(m_panel.TabButton(0), Qt::Key_Return);
    EXPECT_TRUE(m_panel.isVisible());
    PressKey(m_panel.TabButton(0), Qt::Key_Escape);
    EXPECT_FALSE(m_panel.IsPanelVisible());
    m_panel.ShowPanel();
    EXPECT_FALSE(m_panel.close()); // the window stays; it is only hidden
    EXPECT_FALSE(m_panel.isVisible());
    EXPECT_TRUE(m_panel.IsCurrentItem(1, 1, 0, 0));
}

TEST_F(SettingPanelTest, TabsShowTheirPagesAndTheWheelScrollsThem)
{
    m_panel.show();
    m_panel.resize(365, 300);
    m_panel.TabButton(2)->click();
    EXPECT_EQ(m_panel.CurrentTab(), 2);
    EXPECT_EQ(m_panel.TabButton(2)->GetCheckState(), 1);
    EXPECT_EQ(m_panel.TabButton(0)->GetCheckState(), 0);
    EXPECT_TRUE(m_panel.FilterPage()->isVisible());
    m_panel.SelectTab(7);
    EXPECT_EQ(m_panel.CurrentTab(), 2);
    // Clicking the tab that is on keeps it on.
    m_panel.TabButton(2)->click();
    EXPECT_EQ(m_panel.TabButton(2)->GetCheckState(), 1);

    m_panel.SelectTab(0);
    QWidget* over = m_panel.PropertyPage()->Item(CPropetyDlg::IDC_MODE);
    const auto wheel = [&](QWidget* target, int delta) {
        QWheelEvent event(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    };
    wheel(over, -120);
    wheel(over, -120);
    EXPECT_EQ(m_panel.PageHolder()->Offset(), 20);
    wheel(m_panel.PropertyPage(), 120);
    EXPECT_EQ(m_panel.PageHolder()->Offset(), 10);
    // Over the IN/OUT bar's slider the wheel scrolls nothing.
    wheel(m_panel.PropertyPage()->InOutBar()->Slider(), -120);
    EXPECT_EQ(m_panel.PageHolder()->Offset(), 10);
}

TEST(SettingPanel, WithoutAnOwnerNothingIsSent)
{
    CTempFolder folder;
    CSettingDlg panel(nullptr);
    panel.PropertyPage()->SetMedia(std::make_unique<CFakeMedia>());
    panel.m_settingFolder = folder.Path();
    panel.Create();
    panel.PropertyPage()->InitComboItems();
    CFakeFaces faces;
    faces.faces = { MakeFace(1, { MakeItem(1, 0, 500, Item::MODE_SOUND) }) };
    panel.SetFaceList(faces);
    panel.SetItem(faces.faces[0].Items[0]);
    panel.PropertyPage()->ItemAs<CGdiButton>(CPropetyDlg::IDC_MUTE)->click();
    EXPECT_EQ(panel.WorkItem().Mute, 1);
    EXPECT_TRUE(faces.writes.isEmpty());
}

} // namespace

namespace {

// The panel on a real display with the real message boxes, which take the focus as they open.
class SettingPanelFocusX11 : public SettingPanelTest {
protected:
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet("KALEIDRA_TEST_X11") || QGuiApplication::platformName() != u"xcb")
            GTEST_SKIP() << "no X display of the test's own";
        SettingPanelTest::SetUp();
        // The Qt boxes, as in the editor.
        platform::SetDialogService(nullptr);
    }
};

// Closes every modal box as it comes up, once it holds the focus, and records what was true
// while it was open.
class CBoxWatcher : public QObject {
public:
    struct Seen {
        QString text;
        bool tookTheFocus = false;
        QStringList callsMeanwhile;
    };

    CBoxWatcher(const QStringList& calls)
        : m_calls(calls)
    {
        connect(&m_timer, &QTimer::timeout, this, &CBoxWatcher::Look);
        m_timer.start(20);
    }
    std::vector<Seen> seen;

private:
    void Look()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (box != m_box) {
            m_box = box;
            m_since.start();
        }
        // The box is closed once the window system gave it the focus (or after two seconds).
        const bool focused = QApplication::activeWindow() == box;
        if (!focused && m_since.elapsed() < 2000)
            return;
        seen.push_back({ box->text(), focused, m_calls });
        m_box = nullptr;
        box->done(QMessageBox::Ok);
    }

    const QStringList& m_calls;
    QTimer m_timer;
    QPointer<QMessageBox> m_box;
    QElapsedTimer m_since;
};

} // namespace

// Typing 2:00:00:00 one key at a time into a time field: the key that passes the hour opens the
// field's range message, which takes the focus. That is not the user leaving the field: nothing
// is checked or stored while the message is open, and no other message comes over it.
TEST_F(SettingPanelFocusX11, AHalfTypedTimeIsNotCheckedWhileTheFieldsRangeMessageHasTheFocus)
{
    Item picture = WithEffects(MakeItem(1, 600, 200, Item::MODE_IMAGE), 1, 50, 0, 0);
    AddFace(1, { picture, MakeItem(1, 1000, 100) });
    Select(1, 600);
    m_panel.ShowPanel();
    const QString rangeMessage = dialog_services::Messages().GetMessage(118).left(10);

    const struct {
        const char* name;
        int tab;
        CMskEdit* edit;
    } cases[] = {
        { "開始時間", 0, Property<CMskEdit>(CPropetyDlg::IDC_START) },
        { "再生時間", 0, Property<CMskEdit>(CPropetyDlg::IDC_PLAY) },
        { "the effects page's IN time", 1, m_panel.EffectPage()->ItemAs<CMskEdit>(CEffectDlg::IDC_IN_TIME) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_panel.SelectTab(c.tab);
        // The user works in the panel.
        m_panel.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_panel));
        c.edit->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == c.edit; }));
        m_view.calls.clear();
        CBoxWatcher boxes(m_view.calls);

        c.edit->selectAll();
        QTest::keyClicks(c.edit, QStringLiteral("2:00:00:00"));
        ASSERT_FALSE(boxes.seen.empty()) << "the range message came up";
        for (const CBoxWatcher::Seen& box : boxes.seen) {
            EXPECT_TRUE(box.text.startsWith(rangeMessage)) << box.text.toStdString();
            EXPECT_TRUE(box.tookTheFocus);
            EXPECT_TRUE(box.callsMeanwhile.isEmpty()) << box.callsMeanwhile.join(u',').toStdString();
        }
        EXPECT_TRUE(m_view.calls.isEmpty()) << "the field was not left";
        EXPECT_EQ(Stored(1, 600), picture);
        // The panel active again (as the window manager makes it when the box goes): the focus
        // is back in the field, which still checks nothing.
        m_panel.activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == c.edit; }));
        EXPECT_TRUE(m_view.calls.isEmpty());
        // Leaving it with Tab checks the value typed (it is stored, or a message of the check
        // comes up).
        const size_t rangeBoxes = boxes.seen.size();
        QTest::keyClick(c.edit, Qt::Key_Tab);
        EXPECT_TRUE(!m_view.calls.isEmpty() || boxes.seen.size() > rangeBoxes);

        // The item as it was, for the next case.
        m_timeline.ApplyItemChange(m_panel.WorkItem(), picture);
        Select(1, 600);
        ASSERT_EQ(Stored(1, 600), picture);
    }
}
