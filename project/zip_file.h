#pragma once

#include <QString>
#include <QStringList>

// Packs a folder into a zip archive and unpacks one again. Every operation returns non-zero on
// success and otherwise leaves a text saying what failed, which the callers show after their
// own message.
class CZipFile {
public:
    // What one archive may hold, written or read: more entries, or more bytes unpacked, than any
    // project or package needs. Beyond them Zip refuses to write (a save that could not be
    // opened again) and UnZip refuses to read, before anything is written.
    static constexpr qint64 kMaxEntries = 100'000;
    static constexpr quint64 kMaxUnpackedBytes = quint64(256) << 30; // 256 GiB
    // The XML files (names ending in ".xml") of one archive together: an open reads a channel's
    // files into memory, so what a small archive of highly compressible text may unpack to is
    // bounded by this rather than by the media's limit above.
    static constexpr quint64 kMaxUnpackedXmlBytes = quint64(1) << 30; // 1 GiB

    // Writes the folder with all its contents into the zip file; every entry starts with the
    // folder's own name. The archive is built in a temporary file beside the target and put in
    // its place only when complete, so a failure leaves an existing file as it was. Only regular
    // files and folders are packed, never the temporary files of writers (CTemporaryFile); a
    // symbolic link in the folder refuses the archive, naming the link. Entries are stored or
    // deflated at a fast level as zip_sources::IsWorthDeflating decides: any zip reader reads
    // both.
    int Zip(const QString& sourceFolder, const QString& zipFile);
    // Recreates the archive's folders and files under the destination folder. Every entry is
    // checked first: one that would leave the destination (an absolute path, a drive letter,
    // a ".." component, a link) fails the whole call and nothing is extracted. The archive is
    // unpacked into a fresh folder (CZipStaging) and each of its top-level entries takes the
    // place of the destination's entry of that name only once the archive was read whole and
    // made durable: a failure, a damaged entry found while inflating among them, leaves the
    // destination as it was.
    int UnZip(const QString& zipFile, const QString& destinationFolder);
    // The archive's entry paths, in archive order.
    int ReadZipFile(const QString& zipFile, QStringList& entries);

    const QString& ErrorText() const { return m_errorText; }

private:
    int Fail(const QString& text);

    QString m_errorText;
};
