#include "itempanel/effect_dlg.h"

#include "controls/gdi_combo_box.h"
#include "controls/msk_edit.h"
#include "core/dialog_services.h"
#include "core/language_data.h"
#include "core/message_catalog.h"
#include "itempanel/page_owner.h"
#include "itempanel/page_rules.h"
#include "itempanel/time_rules.h"

#include <algorithm>

using namespace itempanel;

namespace {

constexpr int kMsgNoFile = 115;
constexpr int kMsgMissingFile = 116;
constexpr int kMsgFolder = 117;

void FillList(CGdiComboBox* combo, const std::vector<ListEntry>& entries)
{
    combo->clear();
    for (const ListEntry& entry : entries)
        combo->addItem(entry.text, entry.data);
    combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
}

std::optional<int32_t> SelectedData(const CGdiComboBox* combo)
{
    if (combo->currentIndex() < 0)
        return std::nullopt;
    return combo->currentData().toInt();
}

// Selects entry 0, then the last entry with the data; false when none has it.
bool SelectLastWithData(CGdiComboBox* combo, int32_t data)
{
    combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
    for (int i = combo->count() - 1; i >= 0; --i) {
        if (combo->itemData(i).toInt() == data) {
            combo->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

} // namespace

CEffectDlg::CEffectDlg(QWidget* parent)
    : CItemPage(parent)
{
    m_table.SetErrorText(CEffectIni::kErrorNoFile, dialog_services::Messages().GetMessage(kMsgNoFile));
    m_table.SetErrorText(CEffectIni::kErrorMissing, dialog_services::Messages().GetMessage(kMsgMissingFile));
    m_table.SetErrorText(CEffectIni::kErrorFolder, dialog_services::Messages().GetMessage(kMsgFolder));
}

void CEffectDlg::Create(QWidget* parent)
{
    setParent(parent);
    resize(kPageWidth, kPageHeight);
    CreateControls();
    m_table.Load(SettingFilePath(m_settingFolder, u"Effect.ini"));
    ClearLists();
    ResetPage();
}

void CEffectDlg::CreateControls()
{
    const CLanguageData& text = dialog_services::Language();
    AddItemHeader({ IDC_FACE_CAPTION, IDC_START_CAPTION, IDC_PLAY_CAPTION, IDC_MODE_CAPTION, IDC_FACE,
                      IDC_START, IDC_PLAY, IDC_MODE, IDC_START_TEXT, IDC_PLAY_TEXT },
        { text.GetEdCaptionFace(), text.GetEdCaptionStartTime(), text.GetEdCaptionPlayTime(),
            text.GetEdCaptionMode() });

    AddCaption(IDC_IN_EFFECT_CAPTION, text.GetEdCaptionInEffect(), { 0, 122, 75, 146 });
    m_sides[0].effects = AddCombo(IDC_IN_EFFECT, { 81, 122, 313, 146 });
    AddCaption(IDC_IN_TIME_CAPTION, text.GetEdCaptionTime(), { 0, 150, 75, 174 });
    m_sides[0].time = AddTimeEdit(IDC_IN_TIME, { 81, 150, 293, 174 });
    AddCaption(IDC_IN_DIRECTION_CAPTION, text.GetEdCaptionDirection(), { 0, 178, 75, 202 });
    m_sides[0].directions = AddCombo(IDC_IN_DIRECTION, { 81, 178, 313, 202 });
    AddSeparatorBelow(m_sides[0].directions);

    AddCaption(IDC_OUT_EFFECT_CAPTION, text.GetEdCaptionOutEffect(), { 0, 216, 75, 240 });
    m_sides[1].effects = AddCombo(IDC_OUT_EFFECT, { 81, 216, 313, 240 });
    AddCaption(IDC_OUT_TIME_CAPTION, text.GetEdCaptionTime(), { 0, 244, 75, 268 });
    m_sides[1].time = AddTimeEdit(IDC_OUT_TIME, { 81, 244, 293, 268 });
    AddCaption(IDC_OUT_DIRECTION_CAPTION, text.GetEdCaptionDirection(), { 0, 272, 75, 296 });
    m_sides[1].directions = AddCombo(IDC_OUT_DIRECTION, { 81, 272, 313, 296 });
    AddSeparatorBelow(m_sides[1].directions);

    for (int side = 0; side < 2; ++side) {
        m_sides[side].time->setAlignment(Qt::AlignRight);
        connect(m_sides[side].effects, &QComboBox::activated, this, [this, side] { OnEffectChosen(side); });
        connect(
            m_sides[side].directions, &QComboBox::activated, this, [this, side] { OnDirectionChosen(side); });
        CheckOnCommit(m_sides[side].time, [this, side] { OnTimeTyped(side); });
    }
}

// ---- Lists --------------------------------------------------------------------------------------

void CEffectDlg::FillEffectLists(int32_t kind, int32_t linkKind)
{
    const EffectLists lists = EffectListsForMode(m_table, kind, linkKind);
    FillList(m_sides[0].effects, lists.entry);
    FillList(m_sides[1].effects, lists.exit);
    const int32_t firstSet = m_table.Rows().empty() ? 0 : m_table.Rows().front().DIR;
    const std::vector<ListEntry> directions = DirectionSet(m_table, firstSet);
    FillList(m_sides[0].directions, directions);
    FillList(m_sides[1].directions, directions);
}

void CEffectDlg::FillDirections(int32_t effectNo, int side)
{
    if (side != 0 && side != 1)
        return;
    FillList(m_sides[side].directions, DirectionsOfRowAt(m_table, effectNo));
}

void CEffectDlg::ClearLists()
{
    for (Side& side : m_sides) {
        side.effects->clear();
        side.directions->clear();
    }
}

bool CEffectDlg::HasEffectTime(int32_t effectNo) const
{
    return itempanel::HasEffectTime(m_table, effectNo);
}

bool CEffectDlg::GetEffectDirection(int32_t effectNo, int32_t* directionSet) const
{
    const std::optional<int32_t> set = EffectDirectionSet(m_table, effectNo);
    if (directionSet)
        *directionSet = set.value_or(0);
    return set.has_value();
}

// ---- Page state -----------------------------------------------------------------------------------

void CEffectDlg::ResetPage()
{
    ClearItemHeader();
    for (Side& side : m_sides) {
        side.effects->setCurrentIndex(side.effects->count() > 0 ? 0 : -1);
        side.directions->setCurrentIndex(side.directions->count() > 0 ? 0 : -1);
        side.time->SetWindowTime(int64_t(0));
        side.time->setEnabled(false);
        side.directions->setEnabled(false);
        side.keepEffect = side.keepDirection = false;
    }
}

void CEffectDlg::EnableByMode(int32_t kind, int32_t linkKind)
{
    const EffectEnableState state = EffectEnableByMode(IsHeaderBlank(), kind, linkKind,
        SelectedData(m_sides[0].effects), SelectedData(m_sides[1].effects), m_table);
    for (Side& side : m_sides)
        side.effects->setEnabled(state.effectLists);
    m_sides[0].time->setEnabled(state.entryTime);
    m_sides[0].directions->setEnabled(state.entryDirection);
    m_sides[1].time->setEnabled(state.exitTime);
    m_sides[1].directions->setEnabled(state.exitDirection);
}

void CEffectDlg::SetLock(bool lock)
{
    m_locked = lock;
    if (!lock) {
        EnableByMode(m_kind, m_linkKind);
        return;
    }
    for (Side& side : m_sides) {
        side.effects->setEnabled(false);
        side.time->setEnabled(false);
        side.directions->setEnabled(false);
    }
}

// ---- Items ----------------------------------------------------------------------------------------

void CEffectDlg::LoadSide(Side& side, int sideIndex, int32_t pattern, int32_t direction, int32_t length)
{
    side.lastEffect = pattern;
    FillDirections(pattern, sideIndex);
    side.keepEffect = !SelectLastWithData(side.effects, pattern);
    side.time->SetWindowTime(int64_t(length));
    side.keepDirection = !SelectLastWithData(side.directions, direction);
}

void CEffectDlg::LoadItem(const tagTL_FACE_ITEM_DATA& item)
{
    FillEffectLists(item.Mode, item.LinkMode);
    LoadSide(m_sides[0], 0, item.InPattern, item.InDirection, item.InEndTime - item.InStartTime);
    LoadSide(m_sides[1], 1, item.OutPattern, item.OutDirection, item.OutEndTime - item.OutStartTime);
}

void CEffectDlg::ShowCaption(int32_t faceNo, int32_t start, int32_t playTime, int32_t kind, int32_t linkKind)
{
    m_faceNo = faceNo;
    m_start = start;
    m_playTime = playTime;
    m_kind = kind;
    m_linkKind = linkKind;
    ShowItemHeader(faceNo, start, playTime, kind);
    if (!m_locked)
        EnableByMode(kind, linkKind);
}

void CEffectDlg::ReadInto(tagTL_FACE_ITEM_DATA& item) const
{
    const auto read = [&](const Side& side, int32_t& pattern, int32_t& direction) {
        if (!side.keepEffect)
            pattern = SelectedData(side.effects).value_or(0);
        if (!side.keepDirection)
            direction = SelectedData(side.directions).value_or(0);
    };
    const int64_t entry = m_sides[0].time->GetWindowTime();
    const int64_t exit = m_sides[1].time->GetWindowTime();
    read(m_sides[0], item.InPattern, item.InDirection);
    item.InStartTime = item.Start;
    item.InEndTime = int32_t(item.Start + entry);
    read(m_sides[1], item.OutPattern, item.OutDirection);
    item.OutEndTime = item.Start + item.PlayTime;
    item.OutStartTime = int32_t(item.OutEndTime - exit);
}

void CEffectDlg::ResetForKind(int32_t kind)
{
    // The lists are filled again for the new kind, so that they offer its effects only.
    FillEffectLists(kind, 0);
    for (Side& side : m_sides) {
        side.time->SetWindowTime(int64_t(0));
        side.lastEffect = SelectedData(side.effects).value_or(0);
        side.keepEffect = side.keepDirection = false;
    }
}

// ---- The user's choices ---------------------------------------------------------------------

void CEffectDlg::Notify()
{
    if (m_owner)
        m_owner->OnEffectChanged();
}

void CEffectDlg::OnEffectChosen(int sideIndex)
{
    Side& side = m_sides[sideIndex];
    const std::optional<int32_t> chosen = SelectedData(side.effects);
    if (!chosen || *chosen == side.lastEffect)
        return;
    side.lastEffect = *chosen;
    side.keepEffect = side.keepDirection = false;
    if (HasEffectTime(*chosen)) {
        side.time->setEnabled(true);
        const int64_t other = m_sides[1 - sideIndex].time->GetWindowTime();
        side.time->SetWindowTime(PresetEffectTime(m_defaultEffectTime, m_playTime, other));
    } else {
        side.time->setEnabled(false);
        side.time->SetWindowTime(int64_t(0));
    }
    FillDirections(*chosen, sideIndex);
    side.directions->setEnabled(GetEffectDirection(*chosen, nullptr));
    Notify();
}

void CEffectDlg::OnDirectionChosen(int sideIndex)
{
    if (m_sides[sideIndex].directions->currentIndex() < 0)
        return;
    m_sides[sideIndex].keepDirection = false;
    Notify();
}

void CEffectDlg::OnTimeTyped(int sideIndex)
{
    const int64_t entry = m_sides[0].time->GetWindowTime();
    const int64_t exit = m_sides[1].time->GetWindowTime();
    const int64_t start = HeaderStartEdit()->GetWindowTime();
    const int64_t playTime = HeaderPlayEdit()->GetWindowTime();
    const auto ask = [](int id, unsigned type) { return dialog_services::ShowMessage(id, type); };
    const EffectTimeCheck check = sideIndex == 0 ? CheckEntryEffectTime(entry, exit, start, playTime, ask)
                                                 : CheckExitEffectTime(entry, exit, start, playTime, ask);
    m_sides[sideIndex].time->SetWindowTime(int64_t(check.value));
    if (check.accepted)
        Notify();
}
