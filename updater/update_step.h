#pragma once

#include <QString>

// The progress window's two messages, named for logs: a step has copied a file (with the count
// copied so far), or the last step has reported. Here a step's result reaches the window as a
// queued call instead.
enum : unsigned {
    WM_UPDATE_PROGRESS = 0x52C, // WM_USER + 300
    WM_UPDATE_FINISHED = 0x52D, // WM_USER + 301
};

// What one copy step of the update reports to the progress dialog: the number of files copied
// so far, or the end with the text and box type of the final message.
struct UpdateStepResult {
    bool finished = false;
    int copiedCount = 0;
    QString text;
    unsigned type = 0;
};
