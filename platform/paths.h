#pragma once

#include <QFile>
#include <QString>
#include <QStringView>

namespace platform {

// Joins two parts with one '/', whatever separators they end or start with.
QString JoinPath(QStringView folder, QStringView name);

// The text after the last '/' or '\' (the whole text when there is none).
QString FileNameOf(QStringView path);

// Paths read from data files may have been written on Windows: '\' becomes '/'.
QString DataFilePathToLocal(QStringView path);

bool IsRegularFile(const QString& path);
// Whether opening a file follows a symbolic link in the last component of its path.
enum class LinkHandling { Refuse, Follow };
// Opens the file for reading only when it is a regular file, checked on the opened file itself:
// never blocking on a pipe or reading a device that took the file's place, and by default never
// through a symbolic link (a followed link must lead to a regular file, too). -1 when it is not,
// or cannot be opened; the caller closes the descriptor.
int OpenRegularFileForReading(const QString& path, LinkHandling links = LinkHandling::Refuse);
// Opens the file into `file` for unbuffered reading, as above but following links; false when it
// is not a regular file or cannot be opened.
bool OpenRegularFile(QFile& file, const QString& path);
bool IsDirectory(const QString& path);

// True when the name is one plain path component: not empty, not "." or "..", no '/', '\', ':'
// or control character, at most 255 bytes in UTF-8.
bool IsSafeComponent(QStringView name);

} // namespace platform
