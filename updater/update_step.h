#pragma once

#include <QString>

// What one copy step of the update reports to the progress dialog: the number of files copied
// so far, or the end with the text and box type of the final message.
struct UpdateStepResult {
    bool finished = false;
    int copiedCount = 0;
    QString text;
    unsigned type = 0;
};
