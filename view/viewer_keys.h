#pragma once

#include <cstdint>

// What a key pressed in the viewer asks the editor to do. The letters act only with Ctrl held
// in the editor; a transport action also needs its button to be enabled, which the view checks.
enum class ViewerKeyAction {
    None,
    AddFace,
    CopyItems,
    ToggleEffectDisplay,
    Guide,
    SetIn,
    SplitItems,
    Loop,
    NewProject,
    OpenProject,
    SetOut,
    Screen,
    Save,
    Top,
    PasteItems,
    Redo,
    Undo,
    StepBack,
    StepForward,
    StartPause,
    DeleteItems,
    ScreenOff,
};

// The action of a key code of the viewer's key reply with the editor's Ctrl and Shift state.
ViewerKeyAction DecideViewerKey(int32_t code, bool ctrl, bool shift);

// The step of the Left and Right keys: one pixel of the timeline's scale (its units per 10-pixel
// column divided by 10), ten with Shift.
int32_t ViewerKeyStep(int32_t unitsPerColumn, bool shift);
