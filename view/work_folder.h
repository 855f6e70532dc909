#pragma once

#include <QString>

// The work folder is emptied at every project close, so only a folder that holds nothing else
// of the user's or of the system's may serve: an existing folder named by an absolute path not
// longer than its field, that is
// - not the file-system root, a system folder or a folder inside one (/etc, /usr, /var, ...),
//   nor a shared root that holds other people's files (/home, /tmp, /media, ...);
// - not a hidden folder of the home (~/.ssh, ~/.config, ...) or a folder inside one;
// - not the home, the documents folder (nor the product's folder in it), the program folder,
//   the settings folder, the user's configuration, data or cache folder, the common
//   application data folder or a folder of the registry store, nor a folder that contains one of
//   them, whether they exist yet or not.
bool IsAcceptableWorkFolder(const QString& folder);

// The work folder a settings value names. A value of "~" or beginning with "~/" names a folder in
// the home of the user who runs the editor (so that one settings file, as the programs deliver
// it, gives every user a folder of their own); that folder is made when it is missing and may
// serve as a work folder. Any other value is the folder as it stands. Whether the result may
// serve is for IsAcceptableWorkFolder to say.
QString ResolveWorkFolder(const QString& value);

// Whether the path lies in the work folder (links resolved): a project file kept there would go
// with the next project close, so no project file is written to or opened from it.
bool IsInsideWorkFolder(const QString& path, const QString& workFolder);

// The user's documents folder of the product ("Kaleidra" in the documents folder); empty when
// the system names no documents folder.
QString ProductDocumentsFolder();

// Longest work folder path, in UTF-16 units: the settings file's value as the editor reads it.
inline constexpr int kMaxWorkFolderLength = 260;
