#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>

namespace platform {

// Replaces a file as a whole: the bytes go to a temporary file in the folder of the target
// (a symbolic link is resolved first, so the link stays), locked while it is written (see
// CTemporaryFile), every write and the final rename are checked, and the existing file keeps
// its permissions. On failure the old file is left as it was and the reason is put into *error.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The same, for writers that stream into a device; the writer returns false on failure.
bool WriteFileAtomically(const QString& path,
                         const std::function<bool(QIODevice&)>& writer,
                         QString* error = nullptr);

} // namespace platform
