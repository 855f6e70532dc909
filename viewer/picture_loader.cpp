#include "viewer/picture_loader.h"

#include "platform/paths.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

CPictureLoader::CPictureLoader()
    : m_thread([this](std::stop_token stop) { Run(stop); })
{
}

CPictureLoader::~CPictureLoader()
{
    m_thread.request_stop();
    m_wake.notify_all();
}

QImage CPictureLoader::Read(const QString& path)
{
    // Only a regular file is read, checked on the opened file: a pipe or a device named as a
    // picture would hold this thread, and every picture queued after it, for good. The open
    // never waits; a link is read where it leads, as the editor reads it.
    QFile file;
    const int fd = platform::OpenRegularFileForReading(path, platform::LinkHandling::Follow);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return {};
    // The name's suffix is the first guess at the format, as when the reader opens the path.
    QImageReader reader(&file, QFileInfo(path).suffix().toLower().toLatin1());
    reader.setAutoTransform(true);
    QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxSide || size.height() > kMaxSide)) {
        size.scale(kMaxSide, kMaxSide, Qt::KeepAspectRatio);
        reader.setScaledSize(size);
    }
    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.width() > kMaxSide || image.height() > kMaxSide)
        image = image.scaled(kMaxSide, kMaxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_RGBA8888);
}

CPictureLoader::State CPictureLoader::Get(const QString& path, QImage* image)
{
    std::lock_guard lock(m_mutex);
    const auto [entry, added] = m_entries.try_emplace(path);
    if (added) {
        m_queue.push_back(path);
        m_wake.notify_all();
    }
    if (image && entry->second.state == State::Ready)
        *image = entry->second.image;
    return entry->second.state;
}

void CPictureLoader::KeepOnly(const std::set<QString>& paths)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [&paths](const auto& entry) { return !paths.count(entry.first); });
    std::erase_if(m_queue, [&paths](const QString& path) { return !paths.count(path); });
}

bool CPictureLoader::IsBusy() const
{
    std::lock_guard lock(m_mutex);
    return !m_queue.empty() || m_running > 0;
}

void CPictureLoader::Run(std::stop_token stop)
{
    while (!stop.stop_requested()) {
        QString path;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, stop, [this] { return !m_queue.empty(); });
            if (stop.stop_requested())
                return;
            path = m_queue.front();
            m_queue.pop_front();
            ++m_running;
        }
        QImage image = Read(path);
        std::lock_guard lock(m_mutex);
        --m_running;
        // The entry may have been dropped meanwhile; then the picture is not wanted any more.
        if (const auto entry = m_entries.find(path); entry != m_entries.end()) {
            entry->second.state = image.isNull() ? State::Failed : State::Ready;
            entry->second.image = std::move(image);
        }
    }
}
