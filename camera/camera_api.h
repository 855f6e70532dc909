#pragma once

// The plain C table of the camera support library (libkaleidra_camera.so), the one place where
// the programs meet OpenCV. The programs open the library the first time a camera is used, so
// that OpenCV and the many libraries it pulls in are not loaded at every start. Nothing of C++
// crosses this line: no exception, no class, no allocation the other side frees.

extern "C" {

// The table's layout version: a library of another version is refused.
#define KALEIDRA_CAMERA_API_VERSION 1
// The name of the function the library exports.
#define KALEIDRA_CAMERA_API_ENTRY "kaleidra_camera_api"

typedef struct KaleidraCamera KaleidraCamera;

// One frame: rows of width x channels bytes, `stride` bytes apart, red first.
typedef struct KaleidraCameraFrame {
    const unsigned char* pixels;
    int width;
    int height;
    int stride;
} KaleidraCameraFrame;

typedef struct KaleidraCameraApi {
    int version;
    // Opens video device /dev/video<deviceNumber> for capture; null when it cannot be opened.
    KaleidraCamera* (*open)(int deviceNumber);
    void (*close)(KaleidraCamera* camera);
    // A capture property (the library's own numbers: 3 frame width, 4 frame height); 0 when
    // the camera does not tell.
    double (*get)(KaleidraCamera* camera, int property);
    // Nonzero when the camera took the value.
    int (*set)(KaleidraCamera* camera, int property, double value);
    // Reads one frame, converted to 3 (RGB) or 4 (RGBA) channels; nonzero when there was one.
    // The pixels stay valid until the next read or the close of the camera.
    int (*read)(KaleidraCamera* camera, int channels, KaleidraCameraFrame* frame);
} KaleidraCameraApi;

typedef const KaleidraCameraApi* (*KaleidraCameraApiEntry)(void);

} // extern "C"
