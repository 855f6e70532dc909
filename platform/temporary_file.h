#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace platform {

// The temporary file a writer fills before it renames it over its target. It lies in the
// target's folder and is named after it: "." + the target's name (cut at a character boundary
// so that the whole fits a file name) + "." + six random letters or digits. It is created
// exclusively and locked (flock) for as long as the object lives, so that a later writer can
// tell it from the temporary of a writer that crashed. Removed on destruction unless it was
// renamed over the target.
class CTemporaryFile {
public:
    // `target` is the file that will be replaced, links already resolved; `mode` is asked of
    // the system at creation (the umask applies).
    CTemporaryFile(const QString& target, mode_t mode);
    ~CTemporaryFile();
    CTemporaryFile(const CTemporaryFile&) = delete;
    CTemporaryFile& operator=(const CTemporaryFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }
    // The system's error when the file could not be made.
    int Error() const { return m_error; }
    const QByteArray& Path() const { return m_path; }

    // Renames the file over its target, still locked, then makes the rename durable by syncing
    // the folder. False (errno set) when the rename fails; the file is then removed.
    bool RenameOverTarget();

private:
    QByteArray m_target;
    QByteArray m_folder;
    QByteArray m_path;
    int m_fd = -1;
    int m_error = 0;
    bool m_renamed = false;
};

// Whether the file name has the form of a writer's temporary (of any target).
bool IsTemporaryFileName(const QString& fileName);

// Removes the temporaries of writes to the target (a link resolved), in its folder, that no
// writer holds: left
// by a writer that ended without finishing. Only regular files of the running user are removed;
// a temporary whose lock cannot be taken is someone's write in progress and stays.
void RemoveAbandonedTemporaries(const QString& target);

// The same for the temporaries of every target below the folder, without following links.
void RemoveAbandonedTemporariesBelow(const QString& folder);

} // namespace platform
