#include "itempanel/filter_dlg.h"

#include "controls/control_messages.h"
#include "controls/gdi_button.h"
#include "controls/gdi_combo_box.h"
#include "controls/gdi_slider_ctrl.h"
#include "controls/msk_edit.h"
#include "core/dialog_services.h"
#include "core/language_data.h"
#include "itempanel/page_owner.h"
#include "itempanel/page_rules.h"
#include "platform/number_text.h"

using namespace itempanel;

CFilterDlg::CFilterDlg(QWidget* parent)
    : CItemPage(parent)
{
}

void CFilterDlg::Create(QWidget* parent)
{
    setParent(parent);
    resize(kPageWidth, kPageHeight);
    CreateControls();
    m_table.Load(SettingFilePath(m_settingFolder, u"Filter.ini"));
    FillFilterList();
    ResetPage();
}

void CFilterDlg::CreateControls()
{
    const CLanguageData& text = dialog_services::Language();
    const CSkinIni& skin = dialog_services::Skin();
    AddItemHeader({ IDC_FACE_CAPTION, IDC_START_CAPTION, IDC_PLAY_CAPTION, IDC_MODE_CAPTION, IDC_FACE,
                      IDC_START, IDC_PLAY, IDC_MODE, IDC_START_TEXT, IDC_PLAY_TEXT },
        { text.GetFdCaptionFace(), text.GetFdCaptionStartTime(), text.GetFdCaptionPlayTime(),
            text.GetFdCaptionMode() });
    AddCaption(IDC_FILTER_CAPTION, text.GetFdCaptionFilter(), { 0, 122, 75, 146 });
    m_filterList = AddCombo(IDC_FILTER, { 80, 122, 312, 146 });
    connect(m_filterList, &QComboBox::activated, this, &CFilterDlg::OnFilterChosen);

    for (int p = 0; p < kRows; ++p) {
        Row& row = m_rows[size_t(p)];
        const int top = 160 + 28 * p;
        const int bottom = 184 + 28 * p;
        row.caption = AddCaption(IDC_PARAM_CAPTION + p, QString(), { 0, top, 75, bottom });
        row.slider = new CGdiSliderCtrl(this);
        row.slider->setGeometry(controls::WinRect { 80, top, 251, bottom }.ToQRect());
        row.slider->m_backColor = m_settingBack;
        row.slider->setRange(0, 0);
        row.slider->LoadThumbImage(SkinImage(skin.GetSliderImage()));
        row.slider->SetOwner(this);
        connect(row.slider, &QAbstractSlider::sliderPressed, this, [this] {
            if (!m_dragging && m_owner) {
                m_dragging = true;
                m_owner->OnEditGroup(true);
            }
        });
        Register(IDC_PARAM_SLIDER + p, row.slider);
        row.value = new CMskEdit(this);
        row.value->setGeometry(controls::WinRect { 251, top, 293, bottom }.ToQRect());
        row.value->SetInputType(1);
        row.value->SetNumRange(0, 0);
        row.value->setAlignment(Qt::AlignRight);
        row.value->SetBkColor(m_editBack);
        row.value->setFont(dialog_services::Font(CSkinIni::kGetSettingControlFont));
        row.value->setText(QStringLiteral("0"));
        Register(IDC_PARAM_VALUE + p, row.value);
        CheckOnCommit(row.value, [this, p] { OnValueTyped(p); });
        row.unit = AddCaption(IDC_PARAM_UNIT + p, QString(), { 293, top, 317, bottom });
        row.unit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        row.button = new CGdiButton(this);
        row.button->setGeometry(controls::WinRect { 80, top, 100, bottom }.ToQRect());
        row.button->LoadCheckImages(SkinImage(skin.GetCheckSquareImage(0)), QString(),
            SkinImage(skin.GetCheckSquareImage(1)), SkinImage(skin.GetCheckSquareImage(0)),
            SkinImage(skin.GetCheckSquareImage(1)));
        row.button->SetCheckState(0);
        Register(IDC_PARAM_BUTTON + p, row.button);
        connect(row.button, &QAbstractButton::clicked, this, &CFilterDlg::Notify);
        HideRow(row);
    }
}

void CFilterDlg::FillFilterList()
{
    m_filterList->clear();
    for (const tagCFT_FILTER_TABLE& filter : m_table.Rows())
        m_filterList->addItem(filter.Name, filter.No);
    m_filterList->setCurrentIndex(m_filterList->count() > 0 ? 0 : -1);
}

void CFilterDlg::HideSlider(Row& row)
{
    row.slider->setValue(0);
    row.slider->hide();
    row.value->SetNumRange(0, 0);
    row.value->setText(QStringLiteral("0"));
    row.value->hide();
    row.unit->setText(QString());
    row.unit->hide();
}

void CFilterDlg::HideRow(Row& row)
{
    row.caption->setText(QString());
    row.caption->hide();
    HideSlider(row);
    row.button->SetCheckState(0);
    row.button->hide();
}

void CFilterDlg::ShowFilterParams(int32_t filterNo)
{
    tagCFT_FILTER_TABLE filter;
    const int shown = m_table.GetFilter(filterNo, &filter) ? filter.ShownParamCount() : 0;
    for (int p = 0; p < kRows; ++p) {
        Row& row = m_rows[size_t(p)];
        const FILTER_PARAM& param = filter.Param[size_t(p)];
        // Rows past the filter's parameters, and parameters of a kind without a control, are
        // hidden.
        if (p >= shown
            || (param.Type != FILTER_PARAM::TYPE_SLIDER && param.Type != FILTER_PARAM::TYPE_SWITCH)) {
            HideRow(row);
            continue;
        }
        row.caption->setText(param.Name);
        row.caption->show();
        if (param.Type == FILTER_PARAM::TYPE_SLIDER) {
            row.slider->setRange(param.Min, param.Max);
            row.slider->setTickInterval(param.Step);
            row.slider->show();
            row.value->SetNumRange(param.Max, param.Min);
            row.value->show();
            row.unit->setText(param.Unit);
            row.unit->show();
            row.button->SetCheckState(0);
            row.button->hide();
        } else {
            row.slider->setRange(0, 0);
            HideSlider(row);
            row.button->show();
        }
    }
}

void CFilterDlg::ResetPage()
{
    ClearItemHeader();
    m_filterList->setCurrentIndex(m_filterList->count() > 0 ? 0 : -1);
    m_currentFilter = 0;
    m_keepFilter = false;
    ShowFilterParams(0);
}

void CFilterDlg::EnableByMode(int32_t kind, int32_t linkKind)
{
    if (const std::optional<bool> enabled = FilterListEnabled(IsHeaderBlank(), kind, linkKind))
        m_filterList->setEnabled(*enabled);
}

void CFilterDlg::SetLock(bool lock)
{
    m_locked = lock;
    if (!lock)
        EnableByMode(m_kind, m_linkKind);
    else
        m_filterList->setEnabled(false);
    for (Row& row : m_rows) {
        row.slider->setEnabled(!lock);
        row.value->setEnabled(!lock);
        row.button->setEnabled(!lock);
    }
}

// ---- Items ----------------------------------------------------------------------------------------

void CFilterDlg::LoadItem(const tagTL_FACE_ITEM_DATA& item)
{
    m_filterList->setCurrentIndex(m_filterList->count() > 0 ? 0 : -1);
    const int index = m_filterList->findData(item.FilterNo);
    if (index >= 0)
        m_filterList->setCurrentIndex(index);
    m_keepFilter = index < 0;
    m_currentFilter = item.FilterNo;
    ShowFilterParams(item.FilterNo);
    tagCFT_FILTER_TABLE filter;
    if (!m_table.GetFilter(item.FilterNo, &filter))
        return;
    for (int p = 0; p < filter.ShownParamCount(); ++p) {
        Row& row = m_rows[size_t(p)];
        const int32_t value = item.Param[size_t(p)];
        if (filter.Param[size_t(p)].Type == FILTER_PARAM::TYPE_SLIDER) {
            row.slider->setValue(value);
            row.value->setText(QString::number(value));
        } else if (filter.Param[size_t(p)].Type == FILTER_PARAM::TYPE_SWITCH) {
            row.button->SetCheckState(value == 1 ? 1 : 0);
        }
    }
}

void CFilterDlg::ShowCaption(int32_t faceNo, int32_t start, int32_t playTime, int32_t kind, int32_t linkKind)
{
    m_kind = kind;
    m_linkKind = linkKind;
    ShowItemHeader(faceNo, start, playTime, kind);
    if (!m_locked)
        EnableByMode(kind, linkKind);
}

void CFilterDlg::ReadInto(tagTL_FACE_ITEM_DATA& item) const
{
    if (m_keepFilter)
        return;
    item.FilterNo = m_filterList->currentIndex() < 0 ? 0 : m_filterList->currentData().toInt();
    tagCFT_FILTER_TABLE filter;
    if (!m_table.GetFilter(item.FilterNo, &filter))
        return;
    for (int p = 0; p < filter.ShownParamCount(); ++p) {
        const Row& row = m_rows[size_t(p)];
        if (filter.Param[size_t(p)].Type == FILTER_PARAM::TYPE_SLIDER)
            item.Param[size_t(p)] = row.slider->value();
        else if (filter.Param[size_t(p)].Type == FILTER_PARAM::TYPE_SWITCH)
            item.Param[size_t(p)] = row.button->GetCheckState() ? 1 : 0;
    }
}

void CFilterDlg::ResetForKind()
{
    m_filterList->setCurrentIndex(m_filterList->count() > 0 ? 0 : -1);
    m_currentFilter = 0;
    m_keepFilter = false;
    ShowFilterParams(0);
    for (Row& row : m_rows) {
        row.slider->setValue(0);
        row.value->setText(QString());
        row.button->SetCheckState(0);
    }
}

// ---- The user's choices ---------------------------------------------------------------------

void CFilterDlg::Notify()
{
    if (m_owner)
        m_owner->OnFilterChanged();
}

void CFilterDlg::OnFilterChosen()
{
    if (m_filterList->currentIndex() < 0)
        return;
    const int32_t chosen = m_filterList->currentData().toInt();
    m_keepFilter = false;
    if (chosen == m_currentFilter)
        return;
    m_currentFilter = chosen;
    for (Row& row : m_rows) {
        row.slider->setValue(0);
        row.slider->setRange(0, 0);
        row.value->setText(QStringLiteral("0"));
        row.value->SetNumRange(0, 0);
        row.button->SetCheckState(0);
    }
    ShowFilterParams(chosen);
    tagCFT_FILTER_TABLE filter;
    if (m_table.GetFilter(chosen, &filter)) {
        for (int p = 0; p < filter.ShownParamCount(); ++p) {
            const FILTER_PARAM& param = filter.Param[size_t(p)];
            Row& row = m_rows[size_t(p)];
            if (param.Type == FILTER_PARAM::TYPE_SLIDER) {
                row.slider->setValue(param.Def);
                row.value->setText(QString::number(param.Def));
                row.unit->setText(param.Unit);
            } else if (param.Type == FILTER_PARAM::TYPE_SWITCH && (param.Def == 0 || param.Def == 1)) {
                row.button->SetCheckState(param.Def);
            }
        }
    }
    Notify();
}

void CFilterDlg::OnSliderHScroll(CGdiSliderBase& slider, int code, int position)
{
    for (Row& row : m_rows) {
        if (row.slider != &slider)
            continue;
        row.value->setText(QString::number(position));
        row.value->repaint();
        Notify();
        if (code == controls::TB_ENDTRACK && m_dragging) {
            m_dragging = false;
            if (m_owner)
                m_owner->OnEditGroup(false);
        }
        return;
    }
}

void CFilterDlg::OnValueTyped(int rowIndex)
{
    Row& row = m_rows[size_t(rowIndex)];
    row.slider->setValue(platform::WToI(row.value->text()));
    Notify();
}
