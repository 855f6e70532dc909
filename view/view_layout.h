#pragma once

#include <QRect>

// Where the view puts its child windows in a client area of width x height.
struct ViewLayout {
    QRect timeLine;
    QRect horzScrollBar;
    QRect vertScrollBar;
    QRect controlStrip; // the caption strip above the time fields
    QRect nowTimeLabel;
    QRect nowTimeEdit;
    QRect playTimeLabel;
    QRect playTimeEdit;
    QRect projectTimeLabel;
    QRect projectTimeEdit;
    QRect topButton;
    QRect screenButton;
    QRect guideButton;
    QRect loopButton;
    QRect topLabel;
    QRect screenLabel;
    QRect guideLabel;
    QRect loopLabel;
    QRect startPauseButton; // the remote indicator shares it
    QRect zoomOutButton;
    QRect zoomSlider;
    QRect zoomInButton;
    // Each zoom control shows only while the timeline reaches beyond its left edge.
    bool zoomOutShown = false;
    bool zoomSliderShown = false;
    bool zoomInShown = false;
};

ViewLayout ComputeViewLayout(int width, int height);
