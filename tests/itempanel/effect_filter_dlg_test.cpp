#include "controls/gdi_button.h"
#include "controls/gdi_combo_box.h"
#include "controls/gdi_slider_ctrl.h"
#include "controls/msk_edit.h"
#include "itempanel/effect_dlg.h"
#include "itempanel/filter_dlg.h"
#include "platform/dialog_service.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/itempanel/page_fixtures.h"
#include "tests/itempanel/panel_fixtures.h"

#include <gtest/gtest.h>

using namespace page_fixtures;
using namespace panel_fixtures;
using Item = tagTL_FACE_ITEM_DATA;

namespace {

QStringList Texts(const QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

// ---- Effects page -------------------------------------------------------------------------------

class EffectPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder.WriteFile(QStringLiteral("Effect.ini"), SampleEffectIni());
        m_page->m_settingFolder = m_folder.Path() + QStringLiteral("//");
        m_page->m_defaultEffectTime = 400;
        m_page->SetOwner(&m_owner);
        m_page->Create(&m_host);
        m_host.show();
    }

    void Show(const Item& item)
    {
        m_page->LoadItem(item);
        m_page->ShowCaption(item.FaceNo, item.Start, item.PlayTime, item.Mode, item.LinkMode);
    }

    CGdiComboBox* Combo(int id) const { return m_page->ItemAs<CGdiComboBox>(id); }
    CMskEdit* Edit(int id) const { return m_page->ItemAs<CMskEdit>(id); }

    CTempFolder m_folder;
    CScriptedDialogService m_dialogs;
    CRecordingPageOwner m_owner;
    QWidget m_host;
    CEffectDlg* m_page = new CEffectDlg(&m_host);
};

TEST_F(EffectPageTest, LoadingShowsTheEffectsOfTheKindAndReadsBackAsStored)
{
    ASSERT_EQ(m_page->Table().Rows().size(), 4u);
    Item item = WithEffects(MakeItem(2, 1000, 500, Item::MODE_MOVIE), 2, 100, 1, 150);
    item.InDirection = 1;
    Show(item);
    EXPECT_TRUE(m_owner.calls.isEmpty());
    EXPECT_EQ(Texts(Combo(CEffectDlg::IDC_IN_EFFECT)), QStringList({ "cut", "fade", "wipe" }));
    EXPECT_EQ(Combo(CEffectDlg::IDC_IN_EFFECT)->currentText(), QStringLiteral("wipe"));
    EXPECT_EQ(Combo(CEffectDlg::IDC_IN_DIRECTION)->currentText(), QStringLiteral("right"));
    EXPECT_TRUE(Combo(CEffectDlg::IDC_IN_DIRECTION)->isEnabled());
    EXPECT_FALSE(Combo(CEffectDlg::IDC_OUT_DIRECTION)->isEnabled());
    EXPECT_EQ(m_page->ItemAs<QLabel>(CEffectDlg::IDC_FACE)->text(), QStringLiteral("2 "));
    EXPECT_EQ(m_page->ItemAs<QLabel>(CEffectDlg::IDC_MODE)->text(), QStringLiteral(" MOVIE"));
    EXPECT_EQ(m_page->ItemAs<QLabel>(CEffectDlg::IDC_PLAY_TEXT)->text(), QStringLiteral("0:00:05:00 "));
    Item back = item;
    back.InPattern = back.OutPattern = back.InDirection = -1;
    back.InStartTime = back.InEndTime = back.OutStartTime = back.OutEndTime = -1;
    m_page->ReadInto(back);
    EXPECT_EQ(back, item);

    // An effect the kind's list does not offer (still is for pictures only) stays as stored.
    Item still = WithEffects(MakeItem(2, 1000, 500, Item::MODE_MOVIE), 3, 0, 0, 0);
    still.InDirection = 4;
    Show(still);
    back = still;
    m_page->ReadInto(back);
    EXPECT_EQ(back.InPattern, 3);
    EXPECT_EQ(back.InDirection, 4);
}

TEST_F(EffectPageTest, ChoosingAnEffectPresetsItsTimeOnce)
{
    Show(WithEffects(MakeItem(1, 1000, 500, Item::MODE_IMAGE), 0, 0, 1, 200));
    Choose(Combo(CEffectDlg::IDC_IN_EFFECT), 1); // fade takes a time
    EXPECT_EQ(Edit(CEffectDlg::IDC_IN_TIME)->GetWindowTime(), 300);
    EXPECT_TRUE(Edit(CEffectDlg::IDC_IN_TIME)->isEnabled());
    EXPECT_FALSE(Combo(CEffectDlg::IDC_IN_DIRECTION)->isEnabled());
    EXPECT_EQ(m_owner.calls, QStringList({ "EffectChanged" }));
    Choose(Combo(CEffectDlg::IDC_IN_EFFECT), 1);
    EXPECT_EQ(m_owner.calls, QStringList({ "EffectChanged" }));

    // An effect without time or direction: its time edit 0 and disabled, its direction list
    // filled with set 0 but disabled.
    Choose(Combo(CEffectDlg::IDC_IN_EFFECT), 3);
    EXPECT_EQ(Edit(CEffectDlg::IDC_IN_TIME)->GetWindowTime(), 0);
    EXPECT_FALSE(Edit(CEffectDlg::IDC_IN_TIME)->isEnabled());
    EXPECT_EQ(Texts(Combo(CEffectDlg::IDC_IN_DIRECTION)), QStringList({ "none" }));
    EXPECT_FALSE(Combo(CEffectDlg::IDC_IN_DIRECTION)->isEnabled());
}

TEST_F(EffectPageTest, TypedEffectTimesMustNotCross)
{
    Show(WithEffects(MakeItem(1, 1000, 500, Item::MODE_IMAGE), 1, 100, 1, 200));
    CMskEdit* entry = Edit(CEffectDlg::IDC_IN_TIME);
    TypeText(entry, CMskEdit::GetFormatTimeStr(400));
    m_dialogs.AnswerMessageBox(platform::IDOK);
    PressKey(entry, Qt::Key_Return);
    EXPECT_EQ(entry->GetWindowTime(), 300);
    EXPECT_TRUE(m_owner.calls.isEmpty());
    EXPECT_TRUE(m_dialogs.MessageTexts().back().startsWith(QStringLiteral("INエフェクト時間は")));

    // Leaving the field after an edit checks as well; an accepted time is reported.
    TypeText(entry, CMskEdit::GetFormatTimeStr(250));
    LeaveField(entry);
    EXPECT_EQ(m_owner.calls, QStringList({ "EffectChanged" }));

    CMskEdit* exit = Edit(CEffectDlg::IDC_OUT_TIME);
    TypeText(entry, CMskEdit::GetFormatTimeStr(0));
    PressKey(entry, Qt::Key_Tab);
    TypeText(exit, CMskEdit::GetFormatTimeStr(600));
    m_dialogs.AnswerMessageBox(platform::IDOK);
    PressKey(exit, Qt::Key_Tab);
    EXPECT_EQ(exit->GetWindowTime(), 500);
    EXPECT_EQ(m_dialogs.MessageTexts().back(),
        QStringLiteral("エフェクト時間は、ITEMの再生時間より長い時間は設定できません。"));
    EXPECT_TRUE(m_dialogs.AllAnswersUsed());
}

TEST_F(EffectPageTest, EnablingFollowsTheKindAndAChangeOfKindRefillsTheLists)
{
    Show(MakeLink(1, 1000, 500, 2, 0));
    EXPECT_FALSE(Combo(CEffectDlg::IDC_IN_EFFECT)->isEnabled());
    Show(MakeItem(1, 1000, 500, Item::MODE_SOUND));
    EXPECT_EQ(Texts(Combo(CEffectDlg::IDC_IN_EFFECT)), QStringList({ "cut", "fade" }));
    EXPECT_TRUE(Combo(CEffectDlg::IDC_IN_EFFECT)->isEnabled());

    m_page->ResetForKind(Item::MODE_IMAGE);
    EXPECT_EQ(Texts(Combo(CEffectDlg::IDC_OUT_EFFECT)), QStringList({ "cut", "fade", "wipe", "still" }));
    EXPECT_EQ(Combo(CEffectDlg::IDC_OUT_EFFECT)->currentIndex(), 0);
    EXPECT_EQ(Edit(CEffectDlg::IDC_OUT_TIME)->GetWindowTime(), 0);
    EXPECT_TRUE(m_owner.calls.isEmpty());

    m_page->SetLock(true);
    EXPECT_FALSE(Combo(CEffectDlg::IDC_IN_EFFECT)->isEnabled());
    m_page->SetLock(false);
    EXPECT_TRUE(Combo(CEffectDlg::IDC_IN_EFFECT)->isEnabled());

    m_page->ResetPage();
    m_page->EnableByMode(Item::MODE_IMAGE, 0);
    EXPECT_FALSE(Combo(CEffectDlg::IDC_IN_EFFECT)->isEnabled()); // no item shown
}

TEST(EffectPage, AMissingTableLeavesTheListsEmpty)
{
    CTempFolder folder;
    QWidget host;
    auto* page = new CEffectDlg(&host);
    page->m_settingFolder = folder.Path();
    page->Create(&host);
    EXPECT_TRUE(page->Table().Rows().empty());
    EXPECT_FALSE(page->Table().LastError().isEmpty());
    page->LoadItem(MakeItem(1, 0, 100, Item::MODE_IMAGE));
    EXPECT_EQ(page->ItemAs<QComboBox>(CEffectDlg::IDC_IN_EFFECT)->count(), 0);
}

// ---- Filter page --------------------------------------------------------------------------------

class FilterPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder.WriteFile(QStringLiteral("Filter.ini"), SampleFilterIni());
        m_page->m_settingFolder = m_folder.Path();
        m_page->SetOwner(&m_owner);
        m_page->Create(&m_host);
        m_host.resize(340, 620);
        m_host.show();
    }

    void Show(const Item& item)
    {
        m_page->LoadItem(item);
        m_page->ShowCaption(item.FaceNo, item.Start, item.PlayTime, item.Mode, item.LinkMode);
    }

    int VisibleRows() const
    {
        int rows = 0;
        for (int p = 0; p < CFilterDlg::kRows; ++p)
            rows += m_page->Item(CFilterDlg::IDC_PARAM_CAPTION + p)->isVisible() ? 1 : 0;
        return rows;
    }
    CGdiSliderCtrl* Slider(int row) const
    {
        return m_page->ItemAs<CGdiSliderCtrl>(CFilterDlg::IDC_PARAM_SLIDER + row);
    }
    CGdiButton* Button(int row) const
    {
        return m_page->ItemAs<CGdiButton>(CFilterDlg::IDC_PARAM_BUTTON + row);
    }
    CMskEdit* Value(int row) const { return m_page->ItemAs<CMskEdit>(CFilterDlg::IDC_PARAM_VALUE + row); }
    CGdiComboBox* List() const { return m_page->ItemAs<CGdiComboBox>(CFilterDlg::IDC_FILTER); }

    CTempFolder m_folder;
    CScriptedDialogService m_dialogs;
    CRecordingPageOwner m_owner;
    QWidget m_host;
    CFilterDlg* m_page = new CFilterDlg(&m_host);
};

TEST_F(FilterPageTest, ChoosingAFilterShowsItsRowsWithTheirDefaults)
{
    Show(MakeItem(1, 0, 100, Item::MODE_IMAGE));
    EXPECT_EQ(VisibleRows(), 0);
    Choose(List(), 1);
    EXPECT_EQ(m_owner.calls, QStringList({ "FilterChanged" }));
    EXPECT_EQ(VisibleRows(), 2);
    EXPECT_TRUE(Slider(0)->isVisible());
    EXPECT_EQ(Slider(0)->value(), 20);
    EXPECT_EQ(Value(0)->text(), QStringLiteral("20"));
    EXPECT_EQ(QPair(Slider(0)->minimum(), Slider(0)->maximum()), QPair(-100, 100));
    EXPECT_FALSE(Slider(1)->isVisible());
    EXPECT_TRUE(Button(1)->isVisible());
    EXPECT_EQ(Button(1)->GetCheckState(), 1);

    // The current filter again: no reset, no report.
    Slider(0)->setValue(-30);
    Choose(List(), 1);
    EXPECT_EQ(Slider(0)->value(), -30);
    EXPECT_EQ(m_owner.calls.size(), 1);

    // A parameter of an unknown kind hides its row; twelve parameters show ten rows.
    Choose(List(), 2);
    EXPECT_FALSE(m_page->Item(CFilterDlg::IDC_PARAM_CAPTION)->isVisible());
    EXPECT_TRUE(Slider(1)->isVisible());
    Choose(List(), 3);
    EXPECT_EQ(VisibleRows(), 10);
    EXPECT_EQ(Slider(9)->value(), 10);
}

TEST_F(FilterPageTest, LoadingAndReadingBackKeepTheItemsValues)
{
    Item item = MakeItem(1, 0, 100, Item::MODE_MOVIE);
    item.FilterNo = 1;
    item.Param = { -40, 0, 7, 7, 7, 7, 7, 7, 7, 7 };
    Show(item);
    EXPECT_TRUE(m_owner.calls.isEmpty());
    EXPECT_EQ(Slider(0)->value(), -40);
    EXPECT_EQ(Button(1)->GetCheckState(), 0);
    Item back = item;
    back.Param[0] = back.Param[1] = 99;
    m_page->ReadInto(back);
    EXPECT_EQ(back, item);

    // A filter the table does not have: the list shows its first entry, no row, and the item
    // keeps its filter unless the user chooses one.
    Item unknown = item;
    unknown.FilterNo = 42;
    Show(unknown);
    EXPECT_EQ(List()->currentIndex(), 0);
    EXPECT_EQ(VisibleRows(), 0);
    back = unknown;
    m_page->ReadInto(back);
    EXPECT_EQ(back, unknown);
    Choose(List(), 0);
    m_page->ReadInto(back);
    EXPECT_EQ(back.FilterNo, 0);
}

TEST_F(FilterPageTest, TypedValuesAndSliderDragsReachTheOwner)
{
    Show(MakeItem(1, 0, 100, Item::MODE_IMAGE));
    Choose(List(), 1);
    m_owner.calls.clear();
    TypeText(Value(0), QStringLiteral("40"));
    PressKey(Value(0), Qt::Key_Tab);
    EXPECT_EQ(Slider(0)->value(), 40);
    EXPECT_EQ(m_owner.calls, QStringList({ "FilterChanged" }));

    m_owner.calls.clear();
    Slider(0)->setSliderDown(true);
    Slider(0)->setSliderPosition(50);
    Slider(0)->setSliderDown(false);
    EXPECT_EQ(m_owner.calls, QStringList({ "EditGroup 1", "FilterChanged", "FilterChanged", "EditGroup 0" }));
    EXPECT_EQ(Value(0)->text(), QStringLiteral("50"));

    m_owner.calls.clear();
    Button(1)->click();
    EXPECT_EQ(m_owner.calls, QStringList({ "FilterChanged" }));
    EXPECT_EQ(Button(1)->GetCheckState(), 0);
}

TEST_F(FilterPageTest, TheListIsEnabledForPicturesCamerasMoviesAndTheirLinks)
{
    struct Case {
        Item item;
        bool enabled;
    } cases[] = {
        { MakeItem(1, 0, 100, Item::MODE_SOUND), false },
        { MakeLink(1, 0, 100, 2, Item::MODE_MOVIE), true },
        { MakeLink(1, 0, 100, 2, 0), false },
        { MakeItem(1, 0, 100, Item::MODE_CAMERA), true },
        { MakeItem(1, 0, 100, Item::MODE_NONE), false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item.Mode);
        Show(c.item);
        EXPECT_EQ(List()->isEnabled(), c.enabled);
    }
    m_page->ResetPage();
    m_page->EnableByMode(Item::MODE_IMAGE, 0);
    EXPECT_FALSE(List()->isEnabled());
}

TEST_F(FilterPageTest, AChangeOfKindPutsThePageBackToNoFilter)
{
    Item item = MakeItem(1, 0, 100, Item::MODE_IMAGE);
    item.FilterNo = 1;
    item.Param[0] = 30;
    Show(item);
    m_page->ResetForKind();
    EXPECT_EQ(m_page->CurrentFilter(), 0);
    EXPECT_EQ(VisibleRows(), 0);
    Item back = item;
    m_page->ReadInto(back);
    EXPECT_EQ(back.FilterNo, 0);
    EXPECT_TRUE(m_owner.calls.isEmpty());
}

} // namespace
