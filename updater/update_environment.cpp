#include "updater/update_environment.h"

#include "platform/known_folders.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>

namespace {

// Under sudo or pkexec the variables of the desktop session are gone: the folders are those
// the desktop user's own programs use by default, unless the overrides are set.
QString CommonAppDataOf(const std::optional<platform::DesktopUser>& user)
{
    if (!user)
        return platform::CommonAppDataFolder();
    const QString overridden = qEnvironmentVariable("KALEIDRA_COMMON_APPDATA");
    return overridden.isEmpty() ? platform::JoinPath(user->home, u".local/share") : overridden;
}

platform::CRegistryStore MachineHiveOf(const std::optional<platform::DesktopUser>& user)
{
    return platform::CRegistryStore(platform::CRegistryStore::MachineHiveFileIn(CommonAppDataOf(user)));
}

} // namespace

CSystemUpdateEnvironment::CSystemUpdateEnvironment()
    : m_desktopUser(platform::ElevatingDesktopUser())
    , m_registry(MachineHiveOf(m_desktopUser))
{
}

QString CSystemUpdateEnvironment::UpdaterProgramFile() const
{
    return QCoreApplication::applicationFilePath();
}

bool CSystemUpdateEnvironment::HasAdministratorRights() const
{
    return platform::HasAdministratorRights();
}

QDate CSystemUpdateEnvironment::Today() const
{
    return QDate::currentDate();
}

QString CSystemUpdateEnvironment::DocumentsFolder() const
{
    return m_desktopUser ? platform::DocumentsFolderOfHome(m_desktopUser->home) : platform::DocumentsFolder();
}

QString CSystemUpdateEnvironment::CommonAppDataFolder() const
{
    return CommonAppDataOf(m_desktopUser);
}

std::optional<platform::FileOwner> DesktopOwnerOf(const CUpdateEnvironment& environment, const QString& path)
{
    const auto user = environment.DesktopUser();
    if (user && QDir::cleanPath(path).startsWith(QDir::cleanPath(user->home) + u'/'))
        return user->owner;
    return std::nullopt;
}
