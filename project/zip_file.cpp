#include "project/zip_file.h"

#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/text_codec.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>
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

bool IsValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder(bytes);
    return !decoder.hasError();
}

// An entry's name: UTF-8 when the entry says so (or is plain ASCII). A name without the flag
// is the Japanese code page that Windows archivers write, unless it is valid UTF-8, as the
// archivers of other systems write it without the flag (Japanese text in that code page is
// almost never valid UTF-8).
QString EntryName(zip_t* archive, zip_uint64_t index)
{
    const QByteArray raw(zip_get_name(archive, index, ZIP_FL_ENC_RAW));
    const char* strict = zip_get_name(archive, index, ZIP_FL_ENC_STRICT);
    // A strict read converts only names without the UTF-8 flag (from CP437); an unchanged
    // name was UTF-8 or ASCII already.
    if ((strict && raw == strict) || IsValidUtf8(raw))
        return QString::fromUtf8(raw);
    return platform::DecodeCp932(raw);
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
};

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

    // The temporary file of the write lies beside the target; an archive written into the
    // folder it packs must not take itself in.
    const QFileInfo targetInfo(zipFile);
    const QString temporaryPrefix
        = targetInfo.absolutePath() + QStringLiteral("/.") + targetInfo.fileName() + QLatin1Char('.');
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
                // Links are not followed: they could pull in files from anywhere.
                if (child.isSymLink() || child.absoluteFilePath().startsWith(temporaryPrefix))
                    continue;
                const QString childEntry = entry + QLatin1Char('/') + child.fileName();
                if (child.isDir()) {
                    if (!addFolder(child.absoluteFilePath(), childEntry))
                        return false;
                    continue;
                }
                zip_source_t* file = zip_source_file(
                    archive.get(), QFile::encodeName(child.absoluteFilePath()).constData(), 0, -1);
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
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i)
        entries.append(EntryName(archive.get(), zip_uint64_t(i)));
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
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const QString name = EntryName(archive.get(), zip_uint64_t(i));
        Entry entry;
        entry.index = zip_uint64_t(i);
        entry.relativePath = SafeRelativePath(name, entry.isFolder);
        if (entry.relativePath.isEmpty() || IsLink(archive.get(), entry.index))
            return Fail(QStringLiteral("UnZip 不正なエントリです: %1").arg(name));
        entries.push_back(std::move(entry));
    }

    const QString destination = QDir::cleanPath(destinationFolder);
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
        const bool written = platform::WriteFileAtomically(
            path,
            [file](QIODevice& device) {
                char buffer[1 << 16];
                zip_int64_t read = 0;
                while ((read = zip_fread(file, buffer, sizeof(buffer))) > 0) {
                    if (device.write(buffer, read) != read)
                        return false;
                }
                return read == 0;
            },
            &error);
        zip_fclose(file);
        if (!written)
            return Fail(QStringLiteral("UnZip 書き込みエラー: %1 %2").arg(entry.relativePath, error));
    }
    return 1;
}
