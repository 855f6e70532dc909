#pragma once

#include <QString>
#include <optional>

namespace platform {

// The current user's private runtime folder, for sockets and locks that no other user may see
// or plant: $XDG_RUNTIME_DIR, else /run/user/<uid>, else /tmp/kaleidra-<uid> (made here), each
// taken only when it is a real folder (not a link) owned by the user and closed to group and
// others. Nothing when none qualifies; *error then says why.
std::optional<QString> UserRuntimeFolder(QString* error = nullptr);

// Whether a folder is private to the current user: a real folder, owned by the user, mode
// without group or other bits.
bool IsPrivateFolder(const QString& path, QString* why = nullptr);

} // namespace platform
