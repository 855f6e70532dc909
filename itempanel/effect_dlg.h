#pragma once

#include "itempanel/item_page.h"
#include "project/face_data.h"
#include "tables/effect_ini.h"

#include <optional>

class CGdiComboBox;
class CItemPageOwner;
class CMskEdit;

// The effects page of the item panel: the item's entry (IN) and exit (OUT) transition effects,
// each with its time and direction, chosen from the effect table ("Effect.ini" of the settings
// folder), which the page owns. The panel loads an item into it (LoadItem, ShowCaption) and reads
// it back (ReadInto).
class CEffectDlg : public itempanel::CItemPage {
    Q_OBJECT

public:
    enum ControlId : int {
        IDC_FACE_CAPTION = 1800,
        IDC_START_CAPTION = 1801,
        IDC_PLAY_CAPTION = 1802,
        IDC_MODE_CAPTION = 1803,
        IDC_IN_EFFECT_CAPTION = 1804,
        IDC_IN_TIME_CAPTION = 1805,
        IDC_IN_DIRECTION_CAPTION = 1806,
        IDC_OUT_EFFECT_CAPTION = 1807,
        IDC_OUT_TIME_CAPTION = 1808,
        IDC_OUT_DIRECTION_CAPTION = 1809,
        IDC_FACE = 1820,
        IDC_START = 1821,
        IDC_PLAY = 1822,
        IDC_MODE = 1823,
        IDC_IN_EFFECT = 1824,
        IDC_IN_TIME = 1825,
        IDC_IN_DIRECTION = 1826,
        IDC_OUT_EFFECT = 1827,
        IDC_OUT_TIME = 1828,
        IDC_OUT_DIRECTION = 1829,
        IDC_START_TEXT = 1830,
        IDC_PLAY_TEXT = 1831,
    };
    static constexpr int kPageWidth = 320;
    static constexpr int kPageHeight = 600;

    explicit CEffectDlg(QWidget* parent = nullptr);

    void SetOwner(CItemPageOwner* owner) { m_owner = owner; }
    QString m_settingFolder; // where "Effect.ini" is read; set before Create
    int32_t m_defaultEffectTime = 0; // the time a newly chosen effect gets

    // Creates the controls, loads the effect table and empties the page.
    void Create(QWidget* parent);

    const CEffectIni& Table() const { return m_table; }
    CEffectIni& Table() { return m_table; }

    void FillEffectLists(int32_t kind, int32_t linkKind);
    // Refills one direction list (side 0 entry, 1 exit) from the set of the table's row at
    // position `effectNo`.
    void FillDirections(int32_t effectNo, int side);
    void ClearLists();
    void ResetPage();
    void EnableByMode(int32_t kind, int32_t linkKind);
    void SetLock(bool lock);
    bool HasEffectTime(int32_t effectNo) const;
    bool GetEffectDirection(int32_t effectNo, int32_t* directionSet) const;

    // The panel: the item's effects shown, its header written, read back into the record, and
    // the lists put back to their first entries after a change of kind (refilled for the new
    // kind).
    void LoadItem(const tagTL_FACE_ITEM_DATA& item);
    void ShowCaption(int32_t faceNo, int32_t start, int32_t playTime, int32_t kind, int32_t linkKind);
    void ReadInto(tagTL_FACE_ITEM_DATA& item) const;
    void ResetForKind(int32_t kind);

private:
    struct Side {
        CGdiComboBox* effects = nullptr;
        CMskEdit* time = nullptr;
        CGdiComboBox* directions = nullptr;
        int32_t lastEffect = 0;
        // The item's effect or direction was not in the list: kept as stored until chosen.
        bool keepEffect = false;
        bool keepDirection = false;
    };

    void CreateControls();
    void LoadSide(Side& side, int sideIndex, int32_t pattern, int32_t direction, int32_t length);
    void OnEffectChosen(int sideIndex);
    void OnDirectionChosen(int sideIndex);
    void OnTimeTyped(int sideIndex);
    void Notify();

    CItemPageOwner* m_owner = nullptr;
    CEffectIni m_table;
    bool m_locked = false;
    int32_t m_faceNo = 0;
    int32_t m_start = 0;
    int32_t m_playTime = 0;
    int32_t m_kind = 0;
    int32_t m_linkKind = 0;
    Side m_sides[2];
};
