#include "project/zip_file.h"

#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/text_codec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <cerrno>
#include <functional>
#include <memory>
#include <zip.h>

namespace {

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipCloser>;

// Media that are already compressed gain nothing from deflating.
bool IsCompressedMedia(const QString& fileName)
{
    static const QStringList kStoredSuffixes = { QStringLiteral("jpg"), QStringLiteral("jpeg"),
        QStringLiteral("png"), QStringLiteral("mp4"), QStringLiteral("mov"), QStringLiteral("mp3") };
    return kStoredSuffixes.contains(QFileInfo(fileName).suffix(), Qt::CaseInsensitive);
}

// Lets libzip write a new archive into a device: the temporary file of an atomic write, which
// is committed (synced and renamed over the target) only when the archive is complete.
class CDeviceZipSink {
public:
    explicit CDeviceZipSink(QIODevice& device)
        : m_device(device)
    {
        zip_error_init(&m_error);
    }
    ~CDeviceZipSink() { zip_error_fini(&m_error); }
    CDeviceZipSink(const CDeviceZipSink&) = delete;
    CDeviceZipSink& operator=(const CDeviceZipSink&) = delete;

    static zip_int64_t Callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        return static_cast<CDeviceZipSink*>(state)->Handle(data, length, command);
    }

private:
    zip_int64_t Fail(int code, int systemCode = 0)
    {
        zip_error_set(&m_error, code, systemCode);
        return -1;
    }

    zip_int64_t Handle(void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                ZIP_SOURCE_SUPPORTS, ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE,
                ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE,
                ZIP_SOURCE_REMOVE, -1);
        case ZIP_SOURCE_STAT:
            // There is no archive yet (libzip takes a read error "no such file" as that): a new one
            // is written.
            return Fail(ZIP_ER_READ, ENOENT);
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&m_error, data, length);
        case ZIP_SOURCE_OPEN:
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_FREE:
        case ZIP_SOURCE_READ:
        case ZIP_SOURCE_SEEK:
        case ZIP_SOURCE_TELL:
        case ZIP_SOURCE_BEGIN_WRITE:
        case ZIP_SOURCE_COMMIT_WRITE:
        case ZIP_SOURCE_ROLLBACK_WRITE:
        case ZIP_SOURCE_REMOVE:
            return 0;
        case ZIP_SOURCE_WRITE:
            return m_device.write(static_cast<const char*>(data), qint64(length)) == qint64(length)
                ? zip_int64_t(length)
                : Fail(ZIP_ER_WRITE);
        case ZIP_SOURCE_SEEK_WRITE: {
            const auto* seek = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &m_error);
            if (!seek)
                return -1;
            const qint64 base = seek->whence == SEEK_CUR ? m_device.pos()
                : seek->whence == SEEK_END               ? m_device.size()
                                                         : 0;
            const qint64 offset = base + seek->offset;
            return offset >= 0 && m_device.seek(offset) ? 0 : Fail(ZIP_ER_SEEK);
        }
        case ZIP_SOURCE_TELL_WRITE:
            return m_device.pos();
        default:
            return Fail(ZIP_ER_OPNOTSUPP);
        }
    }

    QIODevice& m_device;
    zip_error_t m_error;
};

// A file of the packed folder, opened only when libzip reads it and only when it is still a
// regular file then: a pipe or device put in its place is neither waited on nor read.
class CRegularFileSource {
public:
    CRegularFileSource(QString path, zip_uint64_t size, time_t modified)
        : m_path(std::move(path))
        , m_size(size)
        , m_modified(modified)
    {
        zip_error_init(&m_error);
    }
    ~CRegularFileSource() { zip_error_fini(&m_error); }
    CRegularFileSource(const CRegularFileSource&) = delete;
    CRegularFileSource& operator=(const CRegularFileSource&) = delete;

    // A libzip source that owns the object and deletes it when libzip frees the source.
    static zip_source_t* Create(zip_t* archive, const QFileInfo& file)
    {
        auto* state = new CRegularFileSource(file.absoluteFilePath(), zip_uint64_t(file.size()),
            time_t(file.lastModified().toSecsSinceEpoch()));
        zip_source_t* source = zip_source_function(archive, &CRegularFileSource::Callback, state);
        if (!source)
            delete state;
        return source;
    }

private:
    static zip_int64_t Callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        auto* self = static_cast<CRegularFileSource*>(state);
        const zip_int64_t result = self->Handle(data, length, command);
        if (command == ZIP_SOURCE_FREE)
            delete self;
        return result;
    }

    zip_int64_t Fail(int code, int systemCode = 0)
    {
        zip_error_set(&m_error, code, systemCode);
        return -1;
    }

    zip_int64_t Handle(void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SUPPORTS, -1);
        case ZIP_SOURCE_OPEN: {
            const int fd = platform::OpenRegularFileForReading(m_path);
            if (fd < 0 || !m_file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
                return Fail(ZIP_ER_OPEN, errno);
            return 0;
        }
        case ZIP_SOURCE_READ: {
            const qint64 read = m_file.read(static_cast<char*>(data), qint64(length));
            return read < 0 ? Fail(ZIP_ER_READ, errno) : read;
        }
        case ZIP_SOURCE_CLOSE:
            m_file.close();
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &m_error);
            if (!stat)
                return -1;
            zip_stat_init(stat);
            stat->size = m_size;
            stat->mtime = m_modified;
            stat->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&m_error, data, length);
        case ZIP_SOURCE_FREE:
            return 0;
        default:
            return Fail(ZIP_ER_OPNOTSUPP);
        }
    }

    QString m_path;
    zip_uint64_t m_size;
    time_t m_modified;
    QFile m_file;
    zip_error_t m_error;
};

// The file a write to the path replaces: the target of a symbolic link, as the atomic write
// resolves it.
QString ResolvedTarget(const QString& path)
{
    QString target = QFileInfo(path).absoluteFilePath();
    for (int depth = 0; depth < 32 && QFileInfo(target).isSymLink(); ++depth)
        target = QFileInfo(target).symLinkTarget();
    const QFileInfo info(target);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? target : folder + QLatin1Char('/') + info.fileName();
}

QString OpenErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

ZipArchive OpenForReading(const QString& zipFile, QString& error)
{
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(zipFile).constData(), ZIP_RDONLY, &code);
    if (!archive)
        error = OpenErrorText(code);
    return ZipArchive(archive);
}

// An entry's name as the archive gives it, and whether it was decoded without loss.
struct EntryName {
    QString text;
    bool exact = true;
};

bool IsMadeOnWindows(zip_t* archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0)
        return false;
    return system == ZIP_OPSYS_DOS || system == ZIP_OPSYS_WINDOWS_NTFS || system == ZIP_OPSYS_VFAT;
}

// The names of every entry. A name with the UTF-8 flag, or plain ASCII, is UTF-8. The names
// without the flag are in one encoding for the whole archive, as one archiver wrote them: the
// Japanese code page of Windows archivers, or UTF-8 as the archivers of other systems write it
// without saying so. Many names are valid in both (pairs of half-width katakana are valid
// UTF-8, and UTF-8 Japanese is mostly valid CP932), so the whole archive decides: the encoding
// every unflagged name is valid in; where both fit, the one of the system the archiver ran on.
std::vector<EntryName> EntryNames(zip_t* archive)
{
    const zip_int64_t count = std::max<zip_int64_t>(zip_get_num_entries(archive, 0), 0);
    std::vector<QByteArray> raw(static_cast<size_t>(count));
    std::vector<bool> flagged(static_cast<size_t>(count));
    bool allUtf8 = true;
    bool allCp932 = true;
    bool windowsMade = false;
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = zip_uint64_t(i);
        raw[index] = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
        // A strict read converts only names without the UTF-8 flag (from CP437): an unchanged
        // name was UTF-8 or ASCII already.
        const char* strict = zip_get_name(archive, index, ZIP_FL_ENC_STRICT);
        flagged[index] = strict && raw[index] == strict;
        if (flagged[index])
            continue;
        allUtf8 = allUtf8 && platform::IsValidUtf8(raw[index]);
        allCp932 = allCp932 && platform::ConvertToUtf8(raw[index], "CP932").has_value();
        windowsMade = windowsMade || IsMadeOnWindows(archive, index);
    }
    // Only where no encoding fits every name (an archive put together from several sources) is
    // each name read by itself.
    enum class Choice { Utf8, Cp932, EachName };
    const Choice choice = allUtf8 && allCp932 ? (windowsMade ? Choice::Cp932 : Choice::Utf8)
        : allCp932                            ? Choice::Cp932
        : allUtf8                             ? Choice::Utf8
                                              : Choice::EachName;
    std::vector<EntryName> names(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        const bool utf8Name = flagged[i] || choice == Choice::Utf8
            || (choice == Choice::EachName && platform::IsValidUtf8(raw[i]));
        if (utf8Name) {
            names[i] = { QString::fromUtf8(raw[i]), platform::IsValidUtf8(raw[i]) };
        } else if (const auto utf8 = platform::ConvertToUtf8(raw[i], "CP932")) {
            names[i] = { QString::fromUtf8(*utf8), true };
        } else {
            names[i] = { platform::DecodeCp932(raw[i]), false };
        }
    }
    return names;
}

bool IsLink(zip_t* archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0)
        return false;
    constexpr zip_uint32_t kTypeMask = 0170000;
    constexpr zip_uint32_t kLinkType = 0120000;
    return system == ZIP_OPSYS_UNIX && ((attributes >> 16) & kTypeMask) == kLinkType;
}

struct Entry {
    zip_uint64_t index = 0;
    QString relativePath;
    bool isFolder = false;
    zip_uint64_t size = 0; // what the archive declares the entry unpacks to
};

// The key under which a file system may store a path: names that differ only in letter case
// or in the composition of their characters are one file on the file systems projects travel
// on (a Windows disk, a memory card), so they must not be two entries.
QString MergedKey(const QString& relativePath)
{
    return relativePath.normalized(QString::NormalizationForm_C).toCaseFolded();
}

// Refuses an archive whose entries would land on one file: two entries of one name (after the
// separators, "." components and the merging above), or a file that another entry needs as a
// folder. The text names the entry; empty when the entries are distinct.
QString FindCollision(const std::vector<Entry>& entries)
{
    QSet<QString> files;
    QSet<QString> folders;
    for (const Entry& entry : entries) {
        const QString key = MergedKey(entry.relativePath);
        for (qsizetype slash = key.indexOf(QLatin1Char('/')); slash > 0;
             slash = key.indexOf(QLatin1Char('/'), slash + 1))
            folders.insert(key.left(slash));
        if (entry.isFolder) {
            folders.insert(key);
            continue;
        }
        if (files.contains(key))
            return entry.relativePath;
        files.insert(key);
    }
    for (const Entry& entry : entries) {
        if (!entry.isFolder && folders.contains(MergedKey(entry.relativePath)))
            return entry.relativePath;
    }
    return QString();
}

// The space free for new files at the path (or at its nearest existing folder).
qint64 FreeSpaceAt(QString path)
{
    while (!path.isEmpty() && !QFileInfo::exists(path)) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    const QStorageInfo storage(path);
    return storage.isValid() ? storage.bytesAvailable() : -1;
}

// The entry's path below the destination, or empty when it would leave it.
QString SafeRelativePath(QString name, bool& isFolder)
{
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    isFolder = name.endsWith(QLatin1Char('/'));
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')))
        return QString();
    QStringList components;
    for (const QString& component : name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (component == QLatin1String("."))
            continue;
        if (!platform::IsSafeComponent(component))
            return QString();
        components.append(component);
    }
    return components.join(QLatin1Char('/'));
}

} // namespace

int CZipFile::Fail(const QString& text)
{
    m_errorText = text;
    return 0;
}

int CZipFile::Zip(const QString& sourceFolder, const QString& zipFile)
{
    m_errorText.clear();
    const QString folder = QDir::cleanPath(platform::DataFilePathToLocal(sourceFolder));
    const QString topName = platform::FileNameOf(folder);
    if (sourceFolder.isEmpty() || zipFile.isEmpty() || !platform::IsSafeComponent(topName))
        return Fail(QStringLiteral("Zip 引数エラー"));
    if (!platform::IsDirectory(folder))
        return Fail(QStringLiteral("Zip フォルダがありません: %1").arg(sourceFolder));

    // An archive written into the folder it packs must take in neither its previous self nor
    // the temporary file it is written to, which lies beside the link-resolved target.
    const QString target = ResolvedTarget(zipFile);
    const QString targetName = platform::FileNameOf(target);
    const QString temporaryPrefix = QStringLiteral(".") + targetName + QLatin1Char('.');
    const auto isTheArchive = [&](const QFileInfo& child) {
        const QString name = child.fileName();
        if (name != targetName && !name.startsWith(temporaryPrefix))
            return false;
        const QString canonical = child.canonicalFilePath();
        return canonical == target
            || (name.startsWith(temporaryPrefix) && QFileInfo(canonical).path() == QFileInfo(target).path());
    };
    QString error;
    const auto writeArchive = [&](QIODevice& device) {
        zip_error_t openError;
        zip_error_init(&openError);
        CDeviceZipSink sink(device);
        zip_source_t* source = zip_source_function_create(&CDeviceZipSink::Callback, &sink, &openError);
        zip_t* opened
            = source ? zip_open_from_source(source, ZIP_CREATE | ZIP_TRUNCATE, &openError) : nullptr;
        if (!opened) {
            error = QString::fromUtf8(zip_error_strerror(&openError));
            if (source)
                zip_source_free(source);
            zip_error_fini(&openError);
            return false;
        }
        zip_error_fini(&openError);
        ZipArchive archive(opened);
        const auto libraryError = [&] {
            error = QString::fromUtf8(zip_strerror(archive.get()));
            return false;
        };
        // Each folder's entry before its contents, in name order.
        std::function<bool(const QString&, const QString&)> addFolder = [&](const QString& path,
                                                                            const QString& entry) {
            if (zip_dir_add(archive.get(), (entry + QLatin1Char('/')).toUtf8().constData(), ZIP_FL_ENC_UTF_8)
                < 0)
                return libraryError();
            const QFileInfoList children = QDir(path).entryInfoList(
                QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
            for (const QFileInfo& child : children) {
                // Links are not followed: they could pull in files from anywhere. Only regular
                // files and folders are packed: a pipe would be waited on for ever, a device read.
                if (child.isSymLink() || (!child.isDir() && !child.isFile()) || isTheArchive(child))
                    continue;
                const QString childEntry = entry + QLatin1Char('/') + child.fileName();
                if (child.isDir()) {
                    if (!addFolder(child.absoluteFilePath(), childEntry))
                        return false;
                    continue;
                }
                zip_source_t* file = CRegularFileSource::Create(archive.get(), child);
                const zip_int64_t index = file
                    ? zip_file_add(archive.get(), childEntry.toUtf8().constData(), file, ZIP_FL_ENC_UTF_8)
                    : -1;
                if (index < 0) {
                    if (file)
                        zip_source_free(file);
                    return libraryError();
                }
                const zip_int32_t method
                    = IsCompressedMedia(child.fileName()) ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
                if (zip_set_file_compression(archive.get(), zip_uint64_t(index), method, 0) != 0)
                    return libraryError();
            }
            return true;
        };
        if (!addFolder(folder, topName))
            return false;
        if (zip_close(archive.get()) != 0)
            return libraryError();
        archive.release();
        return true;
    };
    QString writeError;
    if (!platform::WriteFileAtomically(zipFile, writeArchive, &writeError))
        return Fail(QStringLiteral("Zip 書き込みエラー: %1").arg(error.isEmpty() ? writeError : error));
    return 1;
}

int CZipFile::ReadZipFile(const QString& zipFile, QStringList& entries)
{
    m_errorText.clear();
    entries.clear();
    QString error;
    ZipArchive archive = OpenForReading(zipFile, error);
    if (!archive)
        return Fail(QStringLiteral("ReadZipFile 読込みエラー: %1").arg(error));
    for (const EntryName& name : EntryNames(archive.get()))
        entries.append(name.text);
    return 1;
}

int CZipFile::UnZip(const QString& zipFile, const QString& destinationFolder)
{
    m_errorText.clear();
    if (zipFile.isEmpty() || destinationFolder.isEmpty())
        return Fail(QStringLiteral("UnZip 引数エラー"));
    QString error;
    ZipArchive archive = OpenForReading(zipFile, error);
    if (!archive)
        return Fail(QStringLiteral("UnZip 読込みエラー: %1").arg(error));

    // Every entry is checked before anything is written: a hostile archive extracts nothing.
    std::vector<Entry> entries;
    const std::vector<EntryName> names = EntryNames(archive.get());
    zip_uint64_t total = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        const QString& name = names[i].text;
        Entry entry;
        entry.index = zip_uint64_t(i);
        entry.relativePath = names[i].exact ? SafeRelativePath(name, entry.isFolder) : QString();
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (entry.relativePath.isEmpty() || IsLink(archive.get(), entry.index)
            || zip_stat_index(archive.get(), entry.index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)
            || (entry.isFolder && stat.size != 0))
            return Fail(QStringLiteral("UnZip 不正なエントリです: %1").arg(name));
        entry.size = stat.size;
        total = stat.size > UINT64_MAX - total ? UINT64_MAX : total + stat.size;
        entries.push_back(std::move(entry));
    }
    if (const QString collision = FindCollision(entries); !collision.isEmpty())
        return Fail(QStringLiteral("UnZip 同じ名前のエントリがあります: %1").arg(collision));

    const QString destination = QDir::cleanPath(destinationFolder);
    // What the archive declares must fit the disk; each entry is held to its declared size below.
    const qint64 freeSpace = FreeSpaceAt(destination);
    if (freeSpace < 0 || total > zip_uint64_t(freeSpace))
        return Fail(QStringLiteral("UnZip 空き容量が足りません: %1").arg(destinationFolder));
    if (!QDir().mkpath(destination))
        return Fail(QStringLiteral("UnZip フォルダ作成エラー: %1").arg(destinationFolder));
    // Folders below the destination known to be real folders, not links to elsewhere.
    QSet<QString> checkedFolders;
    const auto makeFolder = [&](const QString& relative) {
        QString path = destination;
        for (const QString& component : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            path += QLatin1Char('/') + component;
            if (checkedFolders.contains(path))
                continue;
            const QFileInfo info(path);
            if (info.isSymLink() || (info.exists() && !info.isDir())
                || (!info.exists() && !QDir().mkdir(path)))
                return false;
            checkedFolders.insert(path);
        }
        return true;
    };

    for (const Entry& entry : entries) {
        const qsizetype slash = entry.relativePath.lastIndexOf(QLatin1Char('/'));
        const QString folder
            = entry.isFolder ? entry.relativePath : entry.relativePath.left(qMax<qsizetype>(slash, 0));
        if (!makeFolder(folder))
            return Fail(QStringLiteral("UnZip フォルダ作成エラー: %1").arg(entry.relativePath));
        if (entry.isFolder)
            continue;
        const QString path = destination + QLatin1Char('/') + entry.relativePath;
        if (QFileInfo(path).isSymLink())
            return Fail(QStringLiteral("UnZip 不正なエントリです: %1").arg(entry.relativePath));
        zip_file_t* file = zip_fopen_index(archive.get(), entry.index, 0);
        if (!file)
            return Fail(
                QStringLiteral("UnZip 読込みエラー: %1").arg(QString::fromUtf8(zip_strerror(archive.get()))));
        // An entry that unpacks to more or fewer bytes than it declares is damaged or made to
        // fill the disk: it is refused, and never more than its declared size is written.
        bool sizeMatches = true;
        const bool written = platform::WriteFileAtomically(
            path,
            [file, &entry, &sizeMatches](QIODevice& device) {
                char buffer[1 << 16];
                zip_uint64_t left = entry.size;
                while (true) {
                    const zip_uint64_t ask = std::min<zip_uint64_t>(sizeof(buffer), left + 1);
                    const zip_int64_t read = zip_fread(file, buffer, ask);
                    if (read < 0)
                        return false;
                    if (read == 0) {
                        sizeMatches = left == 0;
                        return sizeMatches;
                    }
                    if (zip_uint64_t(read) > left) {
                        sizeMatches = false;
                        return false;
                    }
                    left -= zip_uint64_t(read);
                    if (device.write(buffer, read) != read)
                        return false;
                }
            },
            &error);
        zip_fclose(file);
        if (!sizeMatches)
            return Fail(QStringLiteral("UnZip サイズが宣言と違います: %1").arg(entry.relativePath));
        if (!written)
            return Fail(QStringLiteral("UnZip 書き込みエラー: %1 %2").arg(entry.relativePath, error));
    }
    return 1;
}
