#pragma once

#include <QString>
#include <QStringList>

// Packs a folder into a zip archive and unpacks one again. Every operation returns non-zero on
// success and otherwise leaves a text saying what failed, which the callers show after their
// own message.
class CZipFile {
public:
    // Writes the folder with all its contents into the zip file; every entry starts with the
    // folder's own name. The archive is built in a temporary file beside the target and put in
    // its place only when complete, so a failure leaves an existing file as it was. Media that
    // are already compressed (jpg, png, mp4, mov, mp3) are stored as they are, the rest deflated.
    int Zip(const QString& sourceFolder, const QString& zipFile);
    // Recreates the archive's folders and files under the destination folder. Every entry is
    // checked first: one that would leave the destination (an absolute path, a drive letter,
    // a ".." component, a link) fails the whole call and nothing is extracted.
    int UnZip(const QString& zipFile, const QString& destinationFolder);
    // The archive's entry paths, in archive order.
    int ReadZipFile(const QString& zipFile, QStringList& entries);

    const QString& ErrorText() const { return m_errorText; }

private:
    int Fail(const QString& text);

    QString m_errorText;
};
