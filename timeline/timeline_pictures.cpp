#include "timeline/timeline_pictures.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QImageReader>
#include <cmath>

CTimeLinePictures::CTimeLinePictures(int capacity)
    : m_capacity(std::max(capacity, 1))
{
}

CTimeLinePictures::~CTimeLinePictures() = default;

QImage CTimeLinePictures::Picture(const QString& path, QSize box, qreal devicePixelRatio)
{
    if (path.isEmpty() || box.isEmpty())
        return QImage();
    const QString key
        = QStringLiteral("%1|%2x%3@%4").arg(path).arg(box.width()).arg(box.height()).arg(devicePixelRatio);
    if (const auto found = m_index.find(key); found != m_index.end()) {
        m_order.splice(m_order.begin(), m_order, found.value());
        return m_order.front().image;
    }

    const QFileInfo file(path);
    const QString folder = file.absolutePath();
    QImage picture;
    if (file.isFile()) {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QImage loaded = reader.read();
        if (!loaded.isNull()) {
            const QSize pixels(int(std::lround(box.width() * devicePixelRatio)),
                int(std::lround(box.height() * devicePixelRatio)));
            picture = loaded.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                          .scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            picture.setDevicePixelRatio(devicePixelRatio);
        }
    }
    // A missing picture is looked for again at every paint: one written a moment ago must show
    // at once, before the folder's watch can tell. Its folder is watched so that one written
    // later is drawn then.
    if (picture.isNull()) {
        if (QFileInfo(folder).isDir())
            Watch(folder);
        return picture;
    }
    Watch(folder);
    m_order.push_front(Entry { key, folder, picture });
    m_index.insert(key, m_order.begin());
    while (int(m_order.size()) > m_capacity) {
        m_index.remove(m_order.back().key);
        m_order.pop_back();
    }
    return picture;
}

void CTimeLinePictures::Watch(const QString& folder)
{
    if (!m_watcher) {
        m_watcher = std::make_unique<QFileSystemWatcher>();
        QObject::connect(
            m_watcher.get(), &QFileSystemWatcher::directoryChanged, [this](const QString& changed) {
                DropFolder(changed);
                if (m_changed)
                    m_changed();
            });
    }
    if (!m_watched.contains(folder)) {
        m_watched.insert(folder);
        m_watcher->addPath(folder);
    }
}

void CTimeLinePictures::DropFolder(const QString& folder)
{
    for (auto entry = m_order.begin(); entry != m_order.end();) {
        if (entry->folder == folder) {
            m_index.remove(entry->key);
            entry = m_order.erase(entry);
        } else {
            ++entry;
        }
    }
}

void CTimeLinePictures::Clear()
{
    m_order.clear();
    m_index.clear();
    if (m_watcher && !m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_watched.clear();
}
