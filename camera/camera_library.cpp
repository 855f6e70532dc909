#include "camera/camera_library.h"

#include "camera/camera_api.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/support_library.h"

#include <QtGlobal>

CCameraDevice::CCameraDevice(const KaleidraCameraApi& api, KaleidraCamera* camera)
    : m_api(api)
    , m_camera(camera)
{
}

CCameraDevice::~CCameraDevice()
{
    m_api.close(m_camera);
}

QImage CCameraDevice::Read(QImage::Format format)
{
    const int channels = format == QImage::Format_RGBA8888 ? 4 : 3;
    KaleidraCameraFrame frame {};
    if (!m_api.read(m_camera, channels, &frame) || !frame.pixels || frame.width <= 0 || frame.height <= 0
        || frame.stride < frame.width * channels)
        return QImage();
    const QImage::Format taken = channels == 4 ? QImage::Format_RGBA8888 : QImage::Format_RGB888;
    return QImage(frame.pixels, frame.width, frame.height, frame.stride, taken).copy();
}

double CCameraDevice::Get(int property) const
{
    return m_api.get(m_camera, property);
}

bool CCameraDevice::Set(int property, double value)
{
    return m_api.set(m_camera, property, value) != 0;
}

const CCameraLibrary& CCameraLibrary::Shared()
{
    static const CCameraLibrary library(
        platform::JoinPath(platform::ExecutableFolder(), QString::fromLatin1(kFileName)));
    return library;
}

CCameraLibrary::CCameraLibrary(const QString& path)
{
    // Never unloaded: OpenCV keeps threads and handlers of its own.
    if (const auto entry = reinterpret_cast<KaleidraCameraApiEntry>(
            platform::OpenLibraryEntry(path, KALEIDRA_CAMERA_API_ENTRY, m_errorText))) {
        const KaleidraCameraApi* api = entry();
        if (api && api->version == KALEIDRA_CAMERA_API_VERSION && api->open && api->close && api->get
            && api->set && api->read)
            m_api = api;
        else
            m_errorText = QStringLiteral("%1 is of another version than this program").arg(path);
    }
    if (!m_api)
        qWarning("The camera support could not be loaded, so no camera can be opened: %s",
            qUtf8Printable(m_errorText));
}

std::unique_ptr<CCameraDevice> CCameraLibrary::Open(int deviceNumber) const
{
    if (!m_api || deviceNumber < 0)
        return nullptr;
    KaleidraCamera* camera = m_api->open(deviceNumber);
    if (!camera)
        return nullptr;
    return std::unique_ptr<CCameraDevice>(new CCameraDevice(*m_api, camera));
}
