#pragma once

#include "project/face_data.h"

#include <vector>

// The receiver of the three pages' reports: the item panel. One method per message of
// item_panel_messages.h; every call is synchronous and may call back into the page.
class CItemPageOwner {
public:
    virtual ~CItemPageOwner() = default;

    // UM_PROPERTY_CHANGED: a value of the properties page was accepted.
    virtual void OnPropertyChanged() = 0;
    // UM_PREVIEW_CHANGED: the item's thumbnail file was rewritten.
    virtual void OnPreviewChanged() = 0;
    // UM_APPLY_TO_ITEMS: the start time was accepted; `mirrors` are the LINK items of other
    // faces that show the item (copies, valid for the call).
    virtual void OnApplyToItems(const std::vector<tagTL_FACE_ITEM_DATA>& mirrors) = 0;
    // UM_LINK_FACE_CHANGED: a link face was chosen (after OnPropertyChanged).
    virtual void OnLinkFaceChanged() = 0;
    // UM_RESET_EFFECT_PAGE, UM_RESET_FILTER_PAGE: the item's kind changed; 0, or -1 without
    // that page.
    virtual int OnResetEffectPage() = 0;
    virtual int OnResetFilterPage() = 0;
    // UM_UNDO_KEY, UM_REDO_KEY: Ctrl+Z and Ctrl+Y in the properties page.
    virtual void OnUndoKey() = 0;
    virtual void OnRedoKey() = 0;
    // UM_EFFECT_CHANGED, UM_FILTER_CHANGED.
    virtual void OnEffectChanged() = 0;
    virtual void OnFilterChanged() = 0;
    // A slider drag begins (true) or ends (false): the changes reported between are one edit,
    // undone in one step.
    virtual void OnEditGroup(bool begin) = 0;
};
