#include "platform/user_account.h"

#include "platform/paths.h"

#include <QFile>
#include <pwd.h>
#include <sys/fsuid.h>
#include <unistd.h>

namespace platform {

CActAsFileOwner::CActAsFileOwner(const std::optional<FileOwner>& owner)
{
    if (!owner)
        return;
    m_switched = true;
    // The calls answer with the previous id; an invalid id (-1) changes nothing and so reads
    // the current one back.
    m_previousGid = uint32_t(::setfsgid(owner->gid));
    m_previousUid = uint32_t(::setfsuid(owner->uid));
    m_ok = uint32_t(::setfsgid(uid_t(-1))) == owner->gid && uint32_t(::setfsuid(uid_t(-1))) == owner->uid;
}

CActAsFileOwner::~CActAsFileOwner()
{
    if (!m_switched)
        return;
    ::setfsuid(m_previousUid);
    ::setfsgid(m_previousGid);
}

bool HasAdministratorRights()
{
    return geteuid() == 0;
}

std::optional<DesktopUser> ElevatingDesktopUser()
{
    if (geteuid() != 0)
        return std::nullopt;
    for (const char* variable : { "PKEXEC_UID", "SUDO_UID" }) {
        bool isNumber = false;
        const uint uid = qEnvironmentVariable(variable).toUInt(&isNumber);
        if (!isNumber || uid == 0)
            continue;
        const passwd* account = getpwuid(uid);
        if (!account || !account->pw_dir)
            continue;
        DesktopUser user;
        user.owner = { account->pw_uid, account->pw_gid };
        user.home = QFile::decodeName(account->pw_dir);
        return user;
    }
    return std::nullopt;
}

QString DocumentsFolderOfHome(const QString& home)
{
    QFile dirs(JoinPath(home, u".config/user-dirs.dirs"));
    if (dirs.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!dirs.atEnd()) {
            const QString line = QString::fromUtf8(dirs.readLine()).trimmed();
            if (!line.startsWith(u"XDG_DOCUMENTS_DIR="))
                continue;
            QString value = line.mid(int(qstrlen("XDG_DOCUMENTS_DIR=")));
            if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
                value = value.mid(1, value.size() - 2);
            if (value.startsWith(u"$HOME"))
                value = home + value.mid(5);
            if (value.startsWith(u'/') && value.size() > 1)
                return value;
        }
    }
    return JoinPath(home, u"Documents");
}

} // namespace platform
