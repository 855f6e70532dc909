#include "platform/video_devices.h"

#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool CanCapture(const QString& path)
{
    const QByteArray local = QFile::encodeName(path);
    struct stat info { };
    if (::stat(local.constData(), &info) != 0 || !S_ISCHR(info.st_mode))
        return false;
    const int fd = ::open(local.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    v4l2_capability capability {};
    const bool answered = ::ioctl(fd, VIDIOC_QUERYCAP, &capability) == 0;
    ::close(fd);
    if (!answered)
        return false;
    // A node tells its own capabilities apart from its device's when it can.
    const uint32_t caps
        = (capability.capabilities & V4L2_CAP_DEVICE_CAPS) ? capability.device_caps : capability.capabilities;
    return (caps & (V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_VIDEO_CAPTURE_MPLANE)) != 0;
}

} // namespace

std::optional<int> VideoNodeNumber(QStringView name)
{
    if (!name.startsWith(u"video") || name.size() == 5 || name.size() > 5 + 6)
        return std::nullopt;
    int number = 0;
    for (QChar c : name.mid(5)) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        number = number * 10 + (c.unicode() - u'0');
    }
    return number;
}

std::vector<int> CaptureDeviceNumbers(const QString& deviceFolder)
{
    std::vector<int> numbers;
    const QStringList names = QDir(deviceFolder)
                                  .entryList({ QStringLiteral("video*") },
                                      QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const std::optional<int> number = VideoNodeNumber(name);
        if (number && CanCapture(JoinPath(deviceFolder, name)))
            numbers.push_back(*number);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

} // namespace platform
