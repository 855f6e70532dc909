#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace platform {

// The owner given to files and folders a program creates for someone else.
struct FileOwner {
    uint32_t uid = 0;
    uint32_t gid = 0;
};

// The user logged on at the desktop who started this program with administrator rights
// through sudo (SUDO_UID) or pkexec (PKEXEC_UID).
struct DesktopUser {
    FileOwner owner;
    QString home;
};

// Administrator rights: the program runs with effective user id 0.
bool HasAdministratorRights();

// The desktop user behind an elevated run; nothing when the program does not run as root on
// behalf of another user.
std::optional<DesktopUser> ElevatingDesktopUser();

// The documents folder of the user with this home: XDG_DOCUMENTS_DIR of their user-dirs.dirs,
// else "<home>/Documents".
QString DocumentsFolderOfHome(const QString& home);

} // namespace platform
