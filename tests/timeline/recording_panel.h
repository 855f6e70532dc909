#pragma once

#include "timeline/timeline_item_panel.h"

#include <QStringList>

// An item panel that keeps the item it was given, as the real one does, and logs each call.
class CRecordingPanel : public CTimeLineItemPanel {
public:
    QStringList calls;
    std::optional<tagTL_FACE_ITEM_DATA> shown; // the work item; none after ClearItem
    CTimeLineFaceAccess* faces = nullptr;
    int lock = -1;
    bool visible = false;
    int tab = 0;
    bool effectsTabEnabled = true;
    bool filterTabEnabled = true;
    const CEffectIni* effectTable = nullptr;

    void SetFaceList(CTimeLineFaceAccess& faceAccess) override
    {
        faces = &faceAccess;
        calls << QStringLiteral("SetFaceList");
    }
    void SetItem(const tagTL_FACE_ITEM_DATA& item) override
    {
        shown = item;
        calls << QStringLiteral("SetItem %1@%2").arg(item.FaceNo).arg(item.Start);
    }
    void UpdateItem(const tagTL_FACE_ITEM_DATA& item) override
    {
        calls << QStringLiteral("UpdateItem %1@%2").arg(item.FaceNo).arg(item.Start);
        if (shown && IsCurrentItem(item.Channel, item.FaceNo, item.SubNo, item.Start))
            shown = item;
    }
    void ClearItem() override
    {
        shown.reset();
        calls << QStringLiteral("ClearItem");
    }
    bool IsCurrentItem(int32_t channel, int32_t faceNo, int32_t subNo, int32_t start) const override
    {
        return shown && shown->Channel == channel && shown->FaceNo == faceNo && shown->SubNo == subNo
            && shown->Start == start;
    }
    void SetLock(int32_t value) override
    {
        lock = value;
        calls << QStringLiteral("SetLock %1").arg(value);
    }
    bool IsPanelVisible() const override { return visible; }
    void ShowPanel() override
    {
        visible = true;
        calls << QStringLiteral("ShowPanel");
    }
    int CurrentTab() const override { return tab; }
    void SelectTab(int index) override
    {
        tab = index;
        calls << QStringLiteral("SelectTab %1").arg(index);
    }
    bool IsEffectsTabEnabled() const override { return effectsTabEnabled; }
    bool IsFilterTabEnabled() const override { return filterTabEnabled; }
    const CEffectIni* EffectTable() const override { return effectTable; }
};
