#pragma once

// What the settings document asks of the main view when the editor is about to close.
class DocumentView {
public:
    virtual ~DocumentView() = default;

    // While set, the view lets its windows go without questions of their own.
    virtual void SetClosing(bool closing) = 0;
    // Shuts the viewer down (screen off, its window rectangle taken back, quit).
    virtual void CloseViewer() = 0;
    // True once the view has been set up: only then are positions and recent projects stored.
    virtual bool HasCompletedFirstUpdate() const = 0;
    virtual void SaveWindowPositions() = 0;
    virtual void SaveHistory() = 0;
    // Cancels the modal dialogs the view has open, so that nothing holds the editor open.
    virtual void CloseModalWindows() = 0;
};
