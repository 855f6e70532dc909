#pragma once

#include "project/face_data.h"

#include <cstdint>
#include <vector>

class CEffectIni;

// The timeline's faces as the item panel reads and writes them. The panel looks faces and
// items up by face number at the moment it needs them and keeps no reference into them: face
// moves, deletes and resets replace the timeline's arrays.
class CTimeLineFaceAccess {
public:
    virtual ~CTimeLineFaceAccess() = default;

    // The numbers of the faces in row order (the channel is always 1).
    virtual void GetFaceNumbers(int32_t channel, std::vector<int32_t>& numbers) const = 0;
    // A copy of the face with that number and its items; 0 when there is none.
    virtual int GetFaceData(int32_t channel, int32_t faceNo, tagTL_FACE_DATA& face) const = 0;
    // A copy of the face's item that starts at `start`; false (and a cleared record) when none.
    virtual bool GetItemRecord(int32_t faceNo, int32_t start, tagTL_FACE_ITEM_DATA& item) const = 0;
    // The face's item with the smallest start after `time`; false when none.
    virtual bool FindNextItem(int32_t faceNo, int32_t time, tagTL_FACE_ITEM_DATA& item) const = 0;
    // Replaces the item with the record's key (channel, face, sub-number, start) without a
    // notification; 0 when there is no such item.
    virtual int SetItemData(const tagTL_FACE_ITEM_DATA& item) = 0;
};

// The item panel as the timeline calls it. The panel implements it; CNullTimeLineItemPanel
// stands in while there is none.
class CTimeLineItemPanel {
public:
    virtual ~CTimeLineItemPanel() = default;

    // The timeline's faces changed; the panel reads them through `faces` from now on.
    virtual void SetFaceList(CTimeLineFaceAccess& faces) = 0;
    // Loads an item that became the selected one.
    virtual void SetItem(const tagTL_FACE_ITEM_DATA& item) = 0;
    // Refreshes the pages from a changed version of the item shown (same key).
    virtual void UpdateItem(const tagTL_FACE_ITEM_DATA& item) = 0;
    // Shows no item.
    virtual void ClearItem() = 0;
    // Whether the item shown has this key.
    virtual bool IsCurrentItem(int32_t channel, int32_t faceNo, int32_t subNo, int32_t start) const = 0;
    // Locks (1) or unlocks (0) the three pages.
    virtual void SetLock(int32_t lock) = 0;

    virtual bool IsPanelVisible() const = 0;
    virtual void ShowPanel() = 0;
    // The current page: 0 properties, 1 effects, 2 filter.
    virtual int CurrentTab() const = 0;
    virtual void SelectTab(int tab) = 0;
    // Whether the effects and the filter page can be chosen for the item shown.
    virtual bool IsEffectsTabEnabled() const = 0;
    virtual bool IsFilterTabEnabled() const = 0;

    // The effects page's effect table; null while the page has none.
    virtual const CEffectIni* EffectTable() const = 0;
};

// No panel: every call does nothing and every question answers no.
class CNullTimeLineItemPanel final : public CTimeLineItemPanel {
public:
    void SetFaceList(CTimeLineFaceAccess&) override { }
    void SetItem(const tagTL_FACE_ITEM_DATA&) override { }
    void UpdateItem(const tagTL_FACE_ITEM_DATA&) override { }
    void ClearItem() override { }
    bool IsCurrentItem(int32_t, int32_t, int32_t, int32_t) const override { return false; }
    void SetLock(int32_t) override { }
    bool IsPanelVisible() const override { return false; }
    void ShowPanel() override { }
    int CurrentTab() const override { return 0; }
    void SelectTab(int) override { }
    bool IsEffectsTabEnabled() const override { return true; }
    bool IsFilterTabEnabled() const override { return true; }
    const CEffectIni* EffectTable() const override { return nullptr; }
};
