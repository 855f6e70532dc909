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

// While it lives, the calling thread reaches files as the owner: what it creates is theirs, and
// it goes no further than they could, links included, so a link the owner placed in their own
// folders cannot lead a program running as root elsewhere. Only this thread is affected (the
// file-system user and group ids are per thread); nothing changes without an owner.
class CActAsFileOwner {
public:
    explicit CActAsFileOwner(const std::optional<FileOwner>& owner);
    ~CActAsFileOwner();
    CActAsFileOwner(const CActAsFileOwner&) = delete;
    CActAsFileOwner& operator=(const CActAsFileOwner&) = delete;

    // False when the thread could not take the owner's identity (the program is not root).
    bool Ok() const { return m_ok; }

private:
    bool m_switched = false;
    bool m_ok = true;
    uint32_t m_previousUid = 0;
    uint32_t m_previousGid = 0;
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
