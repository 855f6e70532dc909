#pragma once

#include <QString>

// The work folder is emptied at every project close, so only a folder that holds nothing else
// of the user's may serve: an existing folder named by an absolute path, not longer than a path
// field, and neither the file-system root, the home folder, the documents folder (nor the
// product's folder in it), the program folder, the settings folder nor a folder that contains
// one of them.
bool IsAcceptableWorkFolder(const QString& folder);

// Longest work folder path, in UTF-16 units.
inline constexpr int kMaxWorkFolderLength = 259;
