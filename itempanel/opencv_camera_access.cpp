#include "itempanel/camera_access.h"

#include "platform/video_devices.h"

#include <chrono>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <thread>

namespace {

class COpenCvCapture final : public CCameraCapture {
public:
    explicit COpenCvCapture(int deviceNumber)
        : m_capture(deviceNumber, cv::CAP_V4L2)
    {
    }

    bool IsOpened() const override { return m_capture.isOpened(); }

    QImage Read() override
    {
        cv::Mat frame;
        if (!m_capture.read(frame) || frame.empty() || frame.cols <= 0 || frame.rows <= 0)
            return QImage();
        cv::Mat rgb;
        if (frame.channels() == 1)
            cv::cvtColor(frame, rgb, cv::COLOR_GRAY2RGB);
        else if (frame.channels() == 4)
            cv::cvtColor(frame, rgb, cv::COLOR_BGRA2RGB);
        else
            cv::cvtColor(frame, rgb, cv::COLOR_BGR2RGB);
        return QImage(rgb.data, rgb.cols, rgb.rows, int(rgb.step), QImage::Format_RGB888).copy();
    }

    double Get(int property) const override { return m_capture.get(property); }
    bool Set(int property, double value) override { return m_capture.set(property, value); }

private:
    mutable cv::VideoCapture m_capture;
};

class COpenCvCameraAccess final : public CCameraAccess {
public:
    std::unique_ptr<CCameraCapture> Open(int cameraId) override
    {
        // The camera's number is its place among the devices that can capture, listed afresh.
        const std::vector<int> devices = platform::CaptureDeviceNumbers();
        if (cameraId < 0 || cameraId >= int(devices.size()))
            return nullptr;
        return std::make_unique<COpenCvCapture>(devices[size_t(cameraId)]);
    }

    void Pause(int milliseconds) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

} // namespace

std::unique_ptr<CCameraAccess> MakeOpenCvCameraAccess()
{
    return std::make_unique<COpenCvCameraAccess>();
}
