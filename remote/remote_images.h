#pragma once

#include <QImage>

// Keys of the remote window's button pictures, with their sizes: START and PAUSE 167 x 42, the
// small buttons 43 x 42.
enum RemoteImageKey : int {
    IMGRC_START_NORMAL = 1,
    IMGRC_START_NOT,
    IMGRC_START_OVER,
    IMGRC_START_PRESS,
    IMGRC_PAUSE_NORMAL,
    IMGRC_PAUSE_NOT,
    IMGRC_PAUSE_OVER,
    IMGRC_PAUSE_PRESS,
    IMGRC_TOP_NORMAL,
    IMGRC_TOP_NOT,
    IMGRC_TOP_OVER,
    IMGRC_TOP_PRESS,
    IMGRC_GUIDE_NORMAL,
    IMGRC_GUIDE_SEL,
    IMGRC_LOOP_NORMAL,
    IMGRC_LOOP_SEL,
    IMGRC_SCREEN_NORMAL,
    IMGRC_SCREEN_SEL,
};

inline constexpr int kRemoteImageCount = 18;

// The button picture of the key, from the pictures built into the program (":/remote/", rendered
// from the skin's sources). An unknown key, or a program without the pictures, gives a null
// image: the button then draws without it.
QImage LoadRemoteButtonImage(int key);

// The resource name of the key's picture ("IMGRC_START_NORMAL"); empty for an unknown key.
QString RemoteButtonImageName(int key);

// The slider's thumb, 11 x 21, from the same pictures; null without them (the slider then draws
// its own thumb).
QImage LoadRemoteSliderThumb();

// The program's icon, 32 x 32.
QImage PaintRemoteIcon();
