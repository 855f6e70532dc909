#pragma once

#include <sys/types.h>

// What the main frame asks of the main view it holds.
class CFrameView {
public:
    virtual ~CFrameView() = default;

    // True once the view's first update has completed.
    virtual bool HasCompletedFirstUpdate() const = 0;
    // The process id of the viewer the view started; 0 while it holds none.
    virtual pid_t ViewerProcessId() const = 0;
};
