#pragma once

#include "controls/gdi_slider_base.h"
#include "itempanel/filter_ini.h"
#include "itempanel/item_page.h"
#include "project/face_data.h"

#include <array>

class CGdiButton;
class CGdiComboBox;
class CGdiSliderCtrl;
class CItemPageOwner;
class CMskEdit;

// The filter page of the item panel: the item's filter, chosen from the filter table
// ("Filter.ini" of the settings folder, owned by the page), and one row per parameter of the
// chosen filter: a slider with its value and unit, or an on/off button.
class CFilterDlg : public itempanel::CItemPage, public CSliderOwner {
    Q_OBJECT

public:
    enum ControlId : int {
        IDC_FACE_CAPTION = 2000,
        IDC_START_CAPTION = 2001,
        IDC_PLAY_CAPTION = 2002,
        IDC_MODE_CAPTION = 2003,
        IDC_FILTER_CAPTION = 2004,
        IDC_FACE = 2020,
        IDC_START = 2021,
        IDC_PLAY = 2022,
        IDC_MODE = 2023,
        IDC_FILTER = 2024,
        IDC_PARAM_CAPTION = 2040, // + row
        IDC_PARAM_SLIDER = 2050,
        IDC_PARAM_VALUE = 2060,
        IDC_PARAM_BUTTON = 2070,
        IDC_PARAM_UNIT = 2080,
        IDC_START_TEXT = 2090,
        IDC_PLAY_TEXT = 2091,
    };
    static constexpr int kRows = tagCFT_FILTER_TABLE::kMaxParams;
    static constexpr int kPageWidth = 320;
    static constexpr int kPageHeight = 600;

    explicit CFilterDlg(QWidget* parent = nullptr);

    void SetOwner(CItemPageOwner* owner) { m_owner = owner; }
    QString m_settingFolder; // where "Filter.ini" is read; set before Create

    // Creates the controls, loads the filter table and empties the page.
    void Create(QWidget* parent);

    const CFilterIni& Table() const { return m_table; }
    int32_t CurrentFilter() const { return m_currentFilter; }

    void FillFilterList();
    void ShowFilterParams(int32_t filterNo);
    void ResetPage();
    void EnableByMode(int32_t kind, int32_t linkKind);
    void SetLock(bool lock);

    // The panel: the item's filter shown, its header written, read back into the record, and
    // the page put back to no filter after a change of kind.
    void LoadItem(const tagTL_FACE_ITEM_DATA& item);
    void ShowCaption(int32_t faceNo, int32_t start, int32_t playTime, int32_t kind, int32_t linkKind);
    void ReadInto(tagTL_FACE_ITEM_DATA& item) const;
    void ResetForKind();

protected:
    void OnSliderHScroll(CGdiSliderBase& slider, int code, int position) override;

private:
    struct Row {
        itempanel::CPageLabel* caption = nullptr;
        CGdiSliderCtrl* slider = nullptr;
        CMskEdit* value = nullptr;
        CGdiButton* button = nullptr;
        itempanel::CPageLabel* unit = nullptr;
    };

    void CreateControls();
    void HideSlider(Row& row);
    void HideRow(Row& row);
    void ClearRows(bool emptyValues);
    void OnFilterChosen();
    void OnValueTyped(int row);
    void Notify();

    CItemPageOwner* m_owner = nullptr;
    CFilterIni m_table;
    bool m_locked = false;
    int32_t m_kind = 0;
    int32_t m_linkKind = 0;
    int32_t m_currentFilter = 0;
    // The item's filter was not in the list: kept as stored until the user chooses one.
    bool m_keepFilter = false;
    // A slider drag is one edit from press to release.
    bool m_dragging = false;
    CGdiComboBox* m_filterList = nullptr;
    std::array<Row, kRows> m_rows;
};
