#include "project/zip_file.h"

#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/temporary_file.h"
#include "platform/text_codec.h"
#include "project/zip_sources.h"
#include "project/zip_staging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <unistd.h>
#include <zip.h>

namespace {

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipCloser>;

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

// One entry of an archive being written: a folder (its name ends in '/') or a file.
struct PackedEntry {
    QString name;
    QFileInfo file;
};

// The refusal of an archive beyond what one may hold.
QString LimitText(const QString& operation)
{
    return QStringLiteral(
        "%1 アーカイブが上限を超えます (上限は %2 エントリ、展開後 %3 バイト、うち XML %4 バイト)")
        .arg(operation)
        .arg(CZipFile::kMaxEntries)
        .arg(CZipFile::kMaxUnpackedBytes)
        .arg(CZipFile::kMaxUnpackedXmlBytes);
}

bool IsXmlFileName(const QString& name)
{
    return name.endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive);
}

zip_uint64_t AddCapped(zip_uint64_t total, zip_uint64_t size)
{
    return size > UINT64_MAX - total ? UINT64_MAX : total + size;
}

enum class ExtractResult { Done, SizeMismatch, ReadError, WriteError };

bool WriteAll(int fd, const char* bytes, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= size_t(written);
    }
    return true;
}

// Inflates the entry into the file. An entry that unpacks to more or fewer bytes than it
// declares is damaged or made to fill the disk: it is refused, and never more than its declared
// size is written.
ExtractResult Extract(zip_file_t* file, zip_uint64_t declared, int fd)
{
    char buffer[1 << 16];
    zip_uint64_t left = declared;
    while (true) {
        const zip_uint64_t ask = std::min<zip_uint64_t>(sizeof(buffer), left + 1);
        const zip_int64_t read = zip_fread(file, buffer, ask);
        if (read < 0)
            return ExtractResult::ReadError;
        if (read == 0)
            return left == 0 ? ExtractResult::Done : ExtractResult::SizeMismatch;
        if (zip_uint64_t(read) > left)
            return ExtractResult::SizeMismatch;
        left -= zip_uint64_t(read);
        if (!WriteAll(fd, buffer, size_t(read)))
            return ExtractResult::WriteError;
    }
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

    // An archive written into the folder it packs must not take in its previous self.
    const QString target = ResolvedTarget(zipFile);
    const QString targetName = platform::FileNameOf(target);
    const auto isTheArchive = [&](const QFileInfo& child) {
        return child.fileName() == targetName && child.canonicalFilePath() == target;
    };
    // Everything to pack is listed first, so that a refusal writes nothing.
    std::vector<PackedEntry> packed;
    zip_uint64_t total = 0;
    zip_uint64_t xmlTotal = 0;
    QString refusal;
    std::function<bool(const QString&, const QString&)> list
        = [&](const QString& path, const QString& entry) {
              packed.push_back({ entry + QLatin1Char('/'), QFileInfo() });
              const QFileInfoList children = QDir(path).entryInfoList(
                  QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
              for (const QFileInfo& child : children) {
                  // A link is never followed (it could pull in files from anywhere) nor left out (what
                  // it leads to would be missing from the saved project): the archive is refused.
                  if (child.isSymLink()) {
                      refusal = QStringLiteral("Zip シンボリックリンクは保存できません: %1")
                                    .arg(child.absoluteFilePath());
                      return false;
                  }
                  // Only regular files and folders are packed: a pipe would be waited on for ever, a
                  // device read. A writer's temporary file is no part of the project.
                  if ((!child.isDir() && !child.isFile()) || isTheArchive(child)
                      || (child.isFile() && platform::IsTemporaryFileName(child.fileName())))
                      continue;
                  const QString childEntry = entry + QLatin1Char('/') + child.fileName();
                  if (child.isDir()) {
                      if (!list(child.absoluteFilePath(), childEntry))
                          return false;
                      continue;
                  }
                  packed.push_back({ childEntry, child });
                  total += zip_uint64_t(child.size());
                  if (IsXmlFileName(child.fileName()))
                      xmlTotal += zip_uint64_t(child.size());
              }
              if (packed.size() > size_t(kMaxEntries) || total > kMaxUnpackedBytes
                  || xmlTotal > kMaxUnpackedXmlBytes) {
                  refusal = LimitText(QStringLiteral("Zip"));
                  return false;
              }
              return true;
          };
    if (!list(folder, topName))
        return Fail(refusal);

    QString error;
    const auto writeArchive = [&](QIODevice& device) {
        zip_error_t openError;
        zip_error_init(&openError);
        zip_sources::CDeviceZipSink sink(device);
        zip_source_t* source
            = zip_source_function_create(&zip_sources::CDeviceZipSink::Callback, &sink, &openError);
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
        zip_sources::CDeflater deflater;
        for (const PackedEntry& entry : packed) {
            const QByteArray name = entry.name.toUtf8();
            if (entry.name.endsWith(QLatin1Char('/'))) {
                // Stored, as it holds nothing: left to libzip, each folder had a compressor
                // made and thrown away.
                const zip_int64_t index = zip_dir_add(archive.get(), name.constData(), ZIP_FL_ENC_UTF_8);
                if (index < 0
                    || zip_set_file_compression(archive.get(), zip_uint64_t(index), ZIP_CM_STORE, 0) != 0)
                    return libraryError();
                continue;
            }
            const bool deflate = zip_sources::IsWorthDeflating(entry.file, deflater);
            zip_source_t* file
                = zip_sources::CreateFileSource(archive.get(), entry.file, deflate ? &deflater : nullptr);
            const zip_int64_t index
                = file ? zip_file_add(archive.get(), name.constData(), file, ZIP_FL_ENC_UTF_8) : -1;
            if (index < 0) {
                if (file)
                    zip_source_free(file);
                return libraryError();
            }
            if (!deflate
                && zip_set_file_compression(archive.get(), zip_uint64_t(index), ZIP_CM_STORE, 0) != 0)
                return libraryError();
        }
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
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    if (count > kMaxEntries)
        return Fail(LimitText(QStringLiteral("UnZip")));

    // Every entry is checked before anything is written: a hostile archive extracts nothing.
    std::vector<Entry> entries;
    const std::vector<EntryName> names = EntryNames(archive.get());
    zip_uint64_t total = 0;
    zip_uint64_t xmlTotal = 0;
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
        total = AddCapped(total, stat.size);
        if (!entry.isFolder && IsXmlFileName(entry.relativePath))
            xmlTotal = AddCapped(xmlTotal, stat.size);
        entries.push_back(std::move(entry));
    }
    if (total > kMaxUnpackedBytes || xmlTotal > kMaxUnpackedXmlBytes)
        return Fail(LimitText(QStringLiteral("UnZip")));
    if (const QString collision = FindCollision(entries); !collision.isEmpty())
        return Fail(QStringLiteral("UnZip 同じ名前のエントリがあります: %1").arg(collision));

    const QString destination = QDir::cleanPath(destinationFolder);
    // What the archive declares must fit the disk; each entry is held to its declared size below.
    const qint64 freeSpace = FreeSpaceAt(destination);
    if (freeSpace < 0 || total > zip_uint64_t(freeSpace))
        return Fail(QStringLiteral("UnZip 空き容量が足りません: %1").arg(destinationFolder));
    if (!QDir().mkpath(destination))
        return Fail(QStringLiteral("UnZip フォルダ作成エラー: %1").arg(destinationFolder));

    // The archive is read whole into a fresh folder before any of it reaches the destination.
    CZipStaging staging(destination);
    if (!staging.IsValid())
        return Fail(QStringLiteral("UnZip フォルダ作成エラー: %1").arg(destinationFolder));
    for (const Entry& entry : entries) {
        if (entry.isFolder) {
            if (!staging.MakeFolder(entry.relativePath))
                return Fail(QStringLiteral("UnZip フォルダ作成エラー: %1").arg(entry.relativePath));
            continue;
        }
        const int fd = staging.CreateFile(entry.relativePath);
        if (fd < 0)
            return Fail(QStringLiteral("UnZip 書き込みエラー: %1 %2")
                            .arg(entry.relativePath, QString::fromLocal8Bit(std::strerror(errno))));
        zip_file_t* file = zip_fopen_index(archive.get(), entry.index, 0);
        const ExtractResult result = file ? Extract(file, entry.size, fd) : ExtractResult::ReadError;
        const int writeErrno = errno;
        if (file)
            zip_fclose(file);
        // A file written whole is synced and closed by the staging, which reports a failure of
        // either when it is made durable.
        if (result == ExtractResult::Done) {
            staging.FinishFile(fd);
            continue;
        }
        ::close(fd);
        if (result == ExtractResult::SizeMismatch)
            return Fail(QStringLiteral("UnZip サイズが宣言と違います: %1").arg(entry.relativePath));
        if (result == ExtractResult::ReadError)
            return Fail(QStringLiteral("UnZip 読込みエラー: %1 %2")
                            .arg(entry.relativePath, QString::fromUtf8(zip_strerror(archive.get()))));
        return Fail(QStringLiteral("UnZip 書き込みエラー: %1 %2")
                        .arg(entry.relativePath, QString::fromLocal8Bit(std::strerror(writeErrno))));
    }
    if (!staging.MakeDurable())
        return Fail(QStringLiteral("UnZip 書き込みエラー: %1").arg(destinationFolder));
    QString failed;
    if (!staging.MoveIntoPlace(&failed))
        return Fail(QStringLiteral("UnZip 展開先に置けません: %1").arg(failed));
    return 1;
}
