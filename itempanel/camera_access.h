#pragma once

#include <QImage>
#include <memory>

// One camera opened for capture.
class CCameraCapture {
public:
    // The properties of the frame size (the capture library's own numbers).
    static constexpr int kFrameWidth = 3;
    static constexpr int kFrameHeight = 4;

    virtual ~CCameraCapture() = default;
    virtual bool IsOpened() const = 0;
    // One frame; a null image when the camera gave none.
    virtual QImage Read() = 0;
    virtual double Get(int property) const = 0;
    virtual bool Set(int property, double value) = 0;
};

// The cameras of the computer: camera 0 is the first video device that can capture, in the order
// of the devices' numbers. Tests put a fake in its place (build machines have no camera).
class CCameraAccess {
public:
    virtual ~CCameraAccess() = default;
    // Opens a camera; null, or a capture that is not opened, when there is no such camera.
    virtual std::unique_ptr<CCameraCapture> Open(int cameraId) = 0;
    // Waits between two reads that gave no frame.
    virtual void Pause(int milliseconds) = 0;
};

class CCameraLibrary;

// The cameras through OpenCV's V4L2 capture, in the camera support library that the first
// camera to open loads (CCameraLibrary::Shared()). Without that library no camera opens.
std::unique_ptr<CCameraAccess> MakeOpenCvCameraAccess();
// The same through the library given, which outlives the access.
std::unique_ptr<CCameraAccess> MakeOpenCvCameraAccess(const CCameraLibrary& library);
