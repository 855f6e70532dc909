#pragma once

#include "platform/user_account.h"

#include <QString>
#include <optional>

namespace platform {

// Creates the folder with every missing parent (the CopyFile-era MakeSureDirectoryPathExists).
// With an owner, the folders are made as that owner (see CActAsFileOwner): they are theirs, and
// the path is followed only as far as they could. True when the folder exists.
bool MakeFolderTree(const QString& path, const std::optional<FileOwner>& owner = std::nullopt);

struct CopyOptions {
    // Give the copy its owner's write permission (the read-only attribute cleared).
    bool makeWritable = false;
    // Owner of the new file, who also reaches the target folder (see CActAsFileOwner); nothing
    // keeps the running user.
    std::optional<FileOwner> owner;
    // The tree the source was listed from: no link in the source's folders below it is followed.
    QString sourceRoot;
};

// Copies a regular file over the target: the bytes go to a temporary file beside the target
// (CTemporaryFile: named after it whatever its length, locked while it is written), which takes
// the source's permission bits and is renamed over the target, so the target is
// either the old file or the whole new one. Refused: a source that is not a regular file
// (links are not followed), a target that exists and is not a regular file or a link, and a
// target without its owner's write permission (read-only), whoever runs the copy.
bool CopyFileReplacing(const QString& source, const QString& target, const CopyOptions& options);

} // namespace platform
