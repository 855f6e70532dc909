#include "platform/picture_files.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace platform {

namespace {

struct DecodedPicture {
    qint64 size = -1;
    QDateTime modified;
    QImage picture;
};

struct PictureStore {
    QMutex mutex;
    QHash<QString, DecodedPicture> pictures; // by absolute path
    int decodes = 0;
};

PictureStore& Store()
{
    static PictureStore store;
    return store;
}

} // namespace

QImage DecodedPictureFile(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return {};
    const QString key = info.absoluteFilePath();
    const qint64 size = info.size();
    const QDateTime modified = info.lastModified();
    PictureStore& store = Store();
    {
        QMutexLocker lock(&store.mutex);
        const auto found = store.pictures.constFind(key);
        if (found != store.pictures.cend() && found->size == size && found->modified == modified)
            return found->picture;
    }
    // Decoded outside the lock; two threads decoding the same file at once keep the later one.
    QImage picture(key);
    QMutexLocker lock(&store.mutex);
    ++store.decodes;
    store.pictures.insert(key, DecodedPicture { size, modified, picture });
    return picture;
}

int PictureFileDecodeCount()
{
    PictureStore& store = Store();
    QMutexLocker lock(&store.mutex);
    return store.decodes;
}

} // namespace platform
