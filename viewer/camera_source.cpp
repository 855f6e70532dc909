#include "viewer/camera_source.h"

#include "camera/camera_library.h"

#include <QFont>
#include <QPainter>
#include <chrono>

namespace {

constexpr auto kRetryInterval = std::chrono::seconds(3);
// Reads that give no picture in a row before the camera counts as lost.
constexpr int kFailedReadsToLose = 30;

} // namespace

CCameraSource::CCameraSource(int cameraId, int width, int height)
    : m_cameraId(cameraId)
    , m_width(width)
    , m_height(height)
    , m_thread([this](std::stop_token stop) { Run(stop); })
{
}

CCameraSource::~CCameraSource()
{
    m_thread.request_stop();
    m_wake.notify_all();
}

VideoFramePtr CCameraSource::Latest() const
{
    std::lock_guard lock(m_mutex);
    return m_latest;
}

void CCameraSource::Run(std::stop_token stop)
{
    // The capture property numbers of the camera support.
    constexpr int kFrameWidth = 3;
    constexpr int kFrameHeight = 4;
    while (!stop.stop_requested()) {
        // The camera support is loaded here, on this thread, when the first camera is shown.
        std::unique_ptr<CCameraDevice> capture
            = m_cameraId >= 0 ? CCameraLibrary::Shared().Open(m_cameraId) : nullptr;
        if (capture) {
            if (m_width > 0 && m_height > 0) {
                capture->Set(kFrameWidth, m_width);
                capture->Set(kFrameHeight, m_height);
            }
            int failedReads = 0;
            while (!stop.stop_requested() && failedReads < kFailedReadsToLose) {
                QImage image = capture->Read(QImage::Format_RGBA8888);
                if (image.isNull()) {
                    ++failedReads;
                    continue;
                }
                failedReads = 0;
                VideoFramePtr frame = CVideoFrame::FromImage(std::move(image));
                std::lock_guard lock(m_mutex);
                m_latest = std::move(frame);
            }
        }
        {
            std::unique_lock lock(m_mutex);
            m_latest.reset();
            m_wake.wait_for(lock, stop, kRetryInterval, [] { return false; });
        }
    }
}

QImage NoSignalPicture(int cameraId, QSize size)
{
    QImage image(size, QImage::Format_RGBA8888);
    image.fill(QColor(32, 34, 38));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const int border = std::max(2, size.height() / 60);
    painter.setPen(QPen(QColor(90, 94, 102), border));
    painter.drawRect(QRectF(border / 2.0, border / 2.0, size.width() - border, size.height() - border));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(std::max(8, size.height() / 8));
    painter.setFont(font);
    painter.setPen(QColor(220, 222, 226));
    const QRect upper(0, 0, size.width(), size.height() * 55 / 100);
    painter.drawText(upper, Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("NO SIGNAL"));
    font.setBold(false);
    font.setPixelSize(std::max(6, size.height() / 16));
    painter.setFont(font);
    painter.setPen(QColor(150, 154, 162));
    const QRect lower(0, size.height() * 60 / 100, size.width(), size.height() * 40 / 100);
    const QString label
        = cameraId >= 0 ? QStringLiteral("CAMERA %1").arg(cameraId + 1) : QStringLiteral("CAMERA");
    painter.drawText(lower, Qt::AlignHCenter | Qt::AlignTop, label);
    return image;
}
