#pragma once

#include <QRect>
#include <QSize>

// Where the show goes: the output window, or nothing but off-screen frames (headless).
class CViewerOutput {
public:
    virtual ~CViewerOutput() = default;

    // SCREEN on or off with the preview start mode of the command (0 dual, 1 single).
    virtual void SetScreen(bool on, int viewerMode) = 0;
    // The window's place on the desktop (also while hidden).
    virtual QRect WindowRect() const = 0;
    // Pixel size of the display the show is projected on.
    virtual QSize DisplaySize() const = 0;
    // Something to be drawn changed.
    virtual void Refresh() = 0;
};
