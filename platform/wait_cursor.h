#pragma once

// The wait cursor over every window of the program while the object lives, as a long call on
// the main thread shows it. Main thread only; nests.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
