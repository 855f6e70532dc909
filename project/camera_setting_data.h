#pragma once

#include <QString>
#include <cstdint>

// One camera of the settings: its number (the capture device index less 700, so 0 is the first
// camera), the name shown for it and the image size chosen for it (0 x 0 when none was chosen).
// Kept in "Kaleidra.ini" as the key group CameraId%02d, CameraName%02d, CameraImgSizeX%02d and
// CameraImgSizeY%02d.
struct tagCAMERA_SETTING_DATA {
    int32_t CameraId = 0;
    QString CameraName;
    int32_t ImageWidth = 0;
    int32_t ImageHeight = 0;

    bool operator==(const tagCAMERA_SETTING_DATA&) const = default;
};

// One image size offered for cameras: the NN of the settings key CameraImgSizeNN (from 1),
// width and height in pixels.
struct CAMERA_IMG_SIZE {
    int32_t SizeNo;
    int32_t Width;
    int32_t Height;
};
