#pragma once

// A scroll bar the view attached to the timeline (horizontal: columns, vertical: rows). The
// range always starts at 0.
class CTimeLineScrollBar {
public:
    virtual ~CTimeLineScrollBar() = default;
    // A negative maximum is taken as 0; the page is kept within 1 and the maximum; repaints.
    virtual void SetScrollRange(int maximum) = 0;
    virtual int GetScrollMax() const = 0;
    // Clamps to the range and repaints without erasing.
    virtual void SetScrollPos(int position) = 0;
    virtual int GetScrollPos() const = 0;
};
