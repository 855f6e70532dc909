#include "camera/camera_api.h"

#include <new>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

// The cameras through OpenCV's V4L2 capture. OpenCV reports failures by exceptions, which must
// not leave the library: each entry catches them and answers as for a camera that failed.

struct KaleidraCamera {
    cv::VideoCapture capture;
    cv::Mat frame;
    cv::Mat converted;
};

namespace {

// The conversion from OpenCV's blue-first frames of 1, 3 or 4 channels to red first.
int ConversionCode(int from, int to)
{
    if (from == 1)
        return to == 4 ? cv::COLOR_GRAY2RGBA : cv::COLOR_GRAY2RGB;
    if (from == 4)
        return to == 4 ? cv::COLOR_BGRA2RGBA : cv::COLOR_BGRA2RGB;
    return to == 4 ? cv::COLOR_BGR2RGBA : cv::COLOR_BGR2RGB;
}

KaleidraCamera* Open(int deviceNumber)
{
    if (deviceNumber < 0)
        return nullptr;
    try {
        auto* camera = new (std::nothrow) KaleidraCamera;
        if (!camera)
            return nullptr;
        if (!camera->capture.open(deviceNumber, cv::CAP_V4L2) || !camera->capture.isOpened()) {
            delete camera;
            return nullptr;
        }
        return camera;
    } catch (...) {
        return nullptr;
    }
}

void Close(KaleidraCamera* camera)
{
    try {
        delete camera;
    } catch (...) {
    }
}

double Get(KaleidraCamera* camera, int property)
{
    try {
        return camera ? camera->capture.get(property) : 0.0;
    } catch (...) {
        return 0.0;
    }
}

int Set(KaleidraCamera* camera, int property, double value)
{
    try {
        return camera && camera->capture.set(property, value) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int Read(KaleidraCamera* camera, int channels, KaleidraCameraFrame* frame)
{
    if (!camera || !frame || (channels != 3 && channels != 4))
        return 0;
    try {
        if (!camera->capture.read(camera->frame) || camera->frame.empty() || camera->frame.cols <= 0
            || camera->frame.rows <= 0 || camera->frame.depth() != CV_8U)
            return 0;
        const int from = camera->frame.channels();
        if (from != 1 && from != 3 && from != 4)
            return 0;
        cv::cvtColor(camera->frame, camera->converted, ConversionCode(from, channels));
        frame->pixels = camera->converted.data;
        frame->width = camera->converted.cols;
        frame->height = camera->converted.rows;
        frame->stride = int(camera->converted.step);
        return 1;
    } catch (...) {
        return 0;
    }
}

const KaleidraCameraApi kApi = { KALEIDRA_CAMERA_API_VERSION, Open, Close, Get, Set, Read };

} // namespace

extern "C" __attribute__((visibility("default"))) const KaleidraCameraApi* kaleidra_camera_api(void)
{
    return &kApi;
}
