#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <memory>
#include <vector>

class CSyncPool;

// The fresh folder an archive is unpacked into before anything of it reaches its destination.
// It is made hidden inside the destination (one file system, so its contents move by renames),
// filled with plain writes, made durable (each file synced on a few threads as soon as it is
// written, every folder once all files are) and only then moved into place entry by entry of
// the archive's top level. Whatever is still in it when the object ends, a failed unpack among
// it, is deleted: a failure leaves the destination as it was.
class CZipStaging {
public:
    explicit CZipStaging(const QString& destination);
    ~CZipStaging();
    CZipStaging(const CZipStaging&) = delete;
    CZipStaging& operator=(const CZipStaging&) = delete;

    bool IsValid() const { return !m_folder.isEmpty(); }

    // Creates the folder (relative, '/'-separated, made of safe components) and its parents.
    bool MakeFolder(const QString& relative);
    // Creates the new file, its folder made first; a descriptor open for writing, -1 on failure.
    // The caller hands it to FinishFile once the file is written whole, or closes it.
    int CreateFile(const QString& relative);
    // Takes over the descriptor of a file written whole: its sync starts on the staging's own
    // threads while the next files are written, and it is closed there.
    void FinishFile(int fd);

    // Waits until every finished file is synced and closed, then syncs every folder; false when
    // any of these failed.
    bool MakeDurable();

    // Puts each top-level entry in the place of the destination's entry of that name: a new name
    // is renamed into the destination; an existing file or folder of the same kind is exchanged
    // for it in one step, the old one going into the staging folder to be deleted with it.
    // Refused before anything moves when an existing entry is of another kind or a link.
    bool MoveIntoPlace(QString* failed);

private:
    QByteArray Native(const QString& relative) const;

    QString m_destination;
    QString m_folder;
    std::vector<QString> m_folders;
    std::vector<QString> m_topLevel;
    QSet<QString> m_madeFolders;
    std::unique_ptr<CSyncPool> m_syncs;
};
