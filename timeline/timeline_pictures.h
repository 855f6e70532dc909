#pragma once

#include <QHash>
#include <QImage>
#include <QSet>
#include <QSize>
#include <QString>
#include <functional>
#include <list>
#include <memory>

class QFileSystemWatcher;

// The pictures the timeline draws from files: item thumbnails and the camera and sound icons.
// Each is loaded and scaled to its box once, and kept (a bounded number, the least recently
// drawn going first) until its folder changes: thumbnails are replaced, renamed and removed
// as whole files, so a change of the folder is a change of the file. A file not found is looked
// for again at the next paint, and its folder is watched too. Painting never scales.
class CTimeLinePictures {
public:
    explicit CTimeLinePictures(int capacity = 2048);
    ~CTimeLinePictures();
    CTimeLinePictures(const CTimeLinePictures&) = delete;
    CTimeLinePictures& operator=(const CTimeLinePictures&) = delete;

    // The file's picture scaled to the box (logical pixels) at the device pixel ratio; a null
    // image when there is no such file or it holds no picture.
    QImage Picture(const QString& path, QSize box, qreal devicePixelRatio);

    // Called (on the GUI thread) when pictures were dropped because their folder changed.
    void SetChangedHandler(std::function<void()> handler) { m_changed = std::move(handler); }
    // Drops every picture (the skin or the project changed).
    void Clear();
    int Count() const { return int(m_order.size()); }
    // Drops the pictures of one folder; what the folder watch does when the folder changes.
    void DropFolder(const QString& folder);

private:
    struct Entry {
        QString key;
        QString folder;
        QImage image;
    };
    void Watch(const QString& folder);

    int m_capacity;
    std::list<Entry> m_order; // most recently used first
    QHash<QString, std::list<Entry>::iterator> m_index;
    std::unique_ptr<QFileSystemWatcher> m_watcher;
    QSet<QString> m_watched;
    std::function<void()> m_changed;
};
