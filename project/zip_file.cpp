#include "project/zip_file.h"

#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/text_codec.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QUuid>
#include <filesystem>
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

// An entry's name: UTF-8 when the entry says so (or is plain ASCII), otherwise the Japanese
// code page that Windows archivers write.
QString EntryName(zip_t* archive, zip_uint64_t index)
{
    const QByteArray raw(zip_get_name(archive, index, ZIP_FL_ENC_RAW));
    const char* strict = zip_get_name(archive, index, ZIP_FL_ENC_STRICT);
    // A strict read converts only names without the UTF-8 flag (from CP437); an unchanged
    // name was UTF-8 or ASCII already.
    if (strict && raw == strict)
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
    QString folder = QDir::cleanPath(platform::DataFilePathToLocal(sourceFolder));
    const QString topName = platform::FileNameOf(folder);
    if (sourceFolder.isEmpty() || zipFile.isEmpty() || !platform::IsSafeComponent(topName))
        return Fail(QStringLiteral("Zip 引数エラー"));
    if (!platform::IsDirectory(folder))
        return Fail(QStringLiteral("Zip フォルダがありません: %1").arg(sourceFolder));

    // A link is replaced at its target, so the link stays.
    const QFileInfo targetInfo(zipFile);
    const QString target
        = targetInfo.isSymLink() ? targetInfo.symLinkTarget() : targetInfo.absoluteFilePath();
    const QString temporary = QFileInfo(target).absolutePath() + QStringLiteral("/.")
        + QFileInfo(target).fileName() + QLatin1Char('.') + QUuid::createUuid().toString(QUuid::Id128);
    int code = 0;
    ZipArchive archive(zip_open(QFile::encodeName(temporary).constData(), ZIP_CREATE | ZIP_EXCL, &code));
    if (!archive)
        return Fail(QStringLiteral("Zip 書き込みエラー: %1").arg(OpenErrorText(code)));

    QString error;
    // Folders first-to-last in name order, each folder's entry before its contents.
    std::function<bool(const QString&, const QString&)> addFolder = [&](const QString& path,
                                                                        const QString& entry) {
        if (zip_dir_add(archive.get(), (entry + QLatin1Char('/')).toUtf8().constData(), ZIP_FL_ENC_UTF_8)
            < 0) {
            error = QString::fromUtf8(zip_strerror(archive.get()));
            return false;
        }
        const QFileInfoList children = QDir(path).entryInfoList(
            QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
        for (const QFileInfo& child : children) {
            // Links are not followed: they could pull in files from anywhere.
            if (child.isSymLink() || child.absoluteFilePath() == temporary)
                continue;
            const QString childEntry = entry + QLatin1Char('/') + child.fileName();
            if (child.isDir()) {
                if (!addFolder(child.absoluteFilePath(), childEntry))
                    return false;
                continue;
            }
            zip_source_t* source = zip_source_file(
                archive.get(), QFile::encodeName(child.absoluteFilePath()).constData(), 0, -1);
            const zip_int64_t index = source
                ? zip_file_add(archive.get(), childEntry.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8)
                : -1;
            if (index < 0) {
                if (source)
                    zip_source_free(source);
                error = QString::fromUtf8(zip_strerror(archive.get()));
                return false;
            }
            const zip_int32_t method = IsCompressedMedia(child.fileName()) ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
            if (zip_set_file_compression(archive.get(), zip_uint64_t(index), method, 0) != 0) {
                error = QString::fromUtf8(zip_strerror(archive.get()));
                return false;
            }
        }
        return true;
    };
    bool written = addFolder(folder, topName);
    if (written && zip_close(archive.get()) == 0)
        archive.release();
    else if (written)
        error = QString::fromUtf8(zip_strerror(archive.get())), written = false;
    if (written) {
        std::error_code renameError;
        std::filesystem::rename(
            QFile::encodeName(temporary).toStdString(), QFile::encodeName(target).toStdString(), renameError);
        if (renameError) {
            error = QString::fromLocal8Bit(renameError.message().c_str());
            written = false;
        }
    }
    if (!written) {
        archive.reset();
        QFile::remove(temporary);
        return Fail(QStringLiteral("Zip 書き込みエラー: %1").arg(error));
    }
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
