#pragma once

#include <QString>
#include <optional>

// Folder work of the package flows. Nothing here follows a symbolic link inside a tree: a link
// is neither entered nor deleted through, and a tree with one is not copied or moved file by
// file (the copy would lack what the link leads to).
namespace package_folders {

// Creates a new folder "<prefix>XXXXXX" inside the parent, exclusively and open to its owner
// only, so that nothing planted in a shared folder can take its place. Nothing on failure.
std::optional<QString> MakeTemporaryFolder(const QString& parent, const QString& prefix);

// Deletes the folder with everything in it; links inside are removed, not followed. True when
// nothing of it is left (also when it did not exist).
bool DeleteFolderTree(const QString& folder);

// Moves a folder (or file) to a path that does not exist yet: a rename on one file system,
// otherwise a copy of the tree followed by deleting the source.
bool MoveFolder(const QString& from, const QString& to);

// Renames a file over the target.
bool RenameFile(const QString& from, const QString& to);

// Puts a copy of the regular file at the target: a hard link where the file system allows one
// (the package flows only read such a copy, and delete it afterwards), else a replacing copy.
// A link at the source's own path is followed: it is the user's choice of a media file.
bool StageFile(const QString& source, const QString& target);

// Copies every file of the tree into the target folder, creating its folders and replacing
// files of the same names. `failedPath` receives the path that could not be copied.
bool CopyFolderTree(const QString& from, const QString& to, QString* failedPath = nullptr);

// Moves every file of the tree into the target folder, replacing files of the same names: a
// rename where the two lie on one file system, else a copy. The source tree is left to its
// caller to delete.
bool MoveFilesInto(const QString& from, const QString& to, QString* failedPath = nullptr);

} // namespace package_folders
