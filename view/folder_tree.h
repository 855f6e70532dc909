#pragma once

#include <QString>
#include <QStringList>

// The folder routines of the project flows. Each works on the entries themselves: a symbolic
// link is removed or left out, never followed, and a copy takes regular files and folders only
// (no link, device or pipe of a project folder is copied).

// Creates every missing level of the path; true when it is a folder afterwards.
bool MakeFolderPath(const QString& path);

// Deletes the folder with everything in it; a link in its place is removed as the link. Each
// entry is tried up to five times 100 ms apart; the first entry that cannot be removed stops
// the deletion with false. True also when there was nothing to delete.
bool DeleteFolderTree(const QString& folder);

// Copies every regular file and folder below the source into the target, creating the target
// and its folders as needed and replacing files of the same name. False at the first entry that
// cannot be copied (and for a source that is not a folder).
bool CopyFolderTree(const QString& source, const QString& target);

// Brings the source folder's tree to the target and removes the source: renamed in one step
// where the target does not exist yet, else copied into it and then deleted. True without doing
// anything when the source is missing.
bool MoveFolderTree(const QString& source, const QString& target);

// Renames a file (replacing one of the target's name), up to ten tries 100 ms apart for errors
// that may pass.
bool RenameFileRetry(const QString& from, const QString& to);

// Deletes every file and folder in the work folder. Refused (false, nothing deleted) for a
// folder that may not serve as the work folder (work_folder.h).
bool ClearWorkFolder(const QString& workFolder);

// The regular files of one folder (not of its subfolders) as full paths, in name order; the
// number found, 0 when the folder is missing or no folder.
int ListFolderFiles(const QString& folder, QStringList& files);

// A new, empty folder "tmpXXXXXX" made exclusively in the parent; empty when it cannot be made.
QString MakeTemporaryFolder(const QString& parent);
