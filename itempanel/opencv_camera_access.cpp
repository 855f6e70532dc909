#include "itempanel/camera_access.h"

#include "camera/camera_library.h"
#include "platform/video_devices.h"

#include <chrono>
#include <thread>

namespace {

class COpenCvCapture final : public CCameraCapture {
public:
    explicit COpenCvCapture(std::unique_ptr<CCameraDevice> device)
        : m_device(std::move(device))
    {
    }

    bool IsOpened() const override { return m_device != nullptr; }
    QImage Read() override { return m_device->Read(QImage::Format_RGB888); }
    double Get(int property) const override { return m_device->Get(property); }
    bool Set(int property, double value) override { return m_device->Set(property, value); }

private:
    std::unique_ptr<CCameraDevice> m_device;
};

class COpenCvCameraAccess final : public CCameraAccess {
public:
    explicit COpenCvCameraAccess(const CCameraLibrary* library)
        : m_library(library)
    {
    }

    std::unique_ptr<CCameraCapture> Open(int cameraId) override
    {
        // The camera's number is its place among the devices that can capture, listed afresh.
        const std::vector<int> devices = platform::CaptureDeviceNumbers();
        if (cameraId < 0 || cameraId >= int(devices.size()))
            return nullptr;
        // The camera support is loaded here, at the first camera that is there to open.
        const CCameraLibrary& library = m_library ? *m_library : CCameraLibrary::Shared();
        std::unique_ptr<CCameraDevice> device = library.Open(devices[size_t(cameraId)]);
        if (!device)
            return nullptr;
        return std::make_unique<COpenCvCapture>(std::move(device));
    }

    void Pause(int milliseconds) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

private:
    const CCameraLibrary* m_library;
};

} // namespace

std::unique_ptr<CCameraAccess> MakeOpenCvCameraAccess()
{
    return std::make_unique<COpenCvCameraAccess>(nullptr);
}

std::unique_ptr<CCameraAccess> MakeOpenCvCameraAccess(const CCameraLibrary& library)
{
    return std::make_unique<COpenCvCameraAccess>(&library);
}
