#include "view/viewer_keys.h"

#include "core/pm_param_block.h"

ViewerKeyAction DecideViewerKey(int32_t code, bool ctrl, bool shift)
{
    if (code >= kPmKeyLetterA && code <= kPmKeyLetterZ) {
        if (!ctrl)
            return ViewerKeyAction::None;
        switch (char('A' + code - 1)) {
        case 'A':
            return ViewerKeyAction::AddFace;
        case 'C':
            return ViewerKeyAction::CopyItems;
        case 'E':
            return ViewerKeyAction::ToggleEffectDisplay;
        case 'G':
            return ViewerKeyAction::Guide;
        case 'I':
            return ViewerKeyAction::SetIn;
        case 'K':
            return ViewerKeyAction::SplitItems;
        case 'L':
            return ViewerKeyAction::Loop;
        case 'N':
            return shift ? ViewerKeyAction::NewProject : ViewerKeyAction::None;
        case 'O':
            return shift ? ViewerKeyAction::OpenProject : ViewerKeyAction::SetOut;
        case 'P':
            return ViewerKeyAction::Screen;
        case 'S':
            return ViewerKeyAction::Save;
        case 'T':
            return ViewerKeyAction::Top;
        case 'V':
            return ViewerKeyAction::PasteItems;
        case 'Y':
            return ViewerKeyAction::Redo;
        case 'Z':
            return ViewerKeyAction::Undo;
        default:
            return ViewerKeyAction::None;
        }
    }
    switch (code) {
    case kPmKeyLeft:
        return ctrl ? ViewerKeyAction::None : ViewerKeyAction::StepBack;
    case kPmKeyRight:
        return ctrl ? ViewerKeyAction::None : ViewerKeyAction::StepForward;
    case kPmKeyStartPause:
        return ViewerKeyAction::StartPause;
    case kPmKeyDelete:
    case kPmKeyBackspace:
        return ViewerKeyAction::DeleteItems;
    case kPmKeyScreenOff:
        return ViewerKeyAction::ScreenOff;
    default:
        return ViewerKeyAction::None;
    }
}

int32_t ViewerKeyStep(int32_t unitsPerColumn, bool shift)
{
    const int32_t pixel = unitsPerColumn / 10;
    return shift ? pixel * 10 : pixel;
}
