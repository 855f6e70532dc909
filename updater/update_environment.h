#pragma once

#include "platform/dialog_service.h"
#include "platform/registry_store.h"
#include "platform/user_account.h"

#include <QDate>
#include <QString>
#include <optional>

// Everything the updater takes from the machine it runs on, so that a test runs the whole
// update in a temporary tree.
class CUpdateEnvironment {
public:
    virtual ~CUpdateEnvironment() = default;

    // The updater's own program file; its folder is the package folder.
    virtual QString UpdaterProgramFile() const = 0;
    virtual bool HasAdministratorRights() const = 0;
    virtual QDate Today() const = 0;
    // The user at the desktop when the updater runs elevated on their behalf: the files it
    // creates in that user's folders become theirs.
    virtual std::optional<platform::DesktopUser> DesktopUser() const = 0;
    // The desktop user's documents and the common application data folder.
    virtual QString DocumentsFolder() const = 0;
    virtual QString CommonAppDataFolder() const = 0;
    // The machine hive, which holds the product's uninstall entry.
    virtual platform::CRegistryStore& MachineRegistry() = 0;
    virtual platform::CDialogService& Dialogs() = 0;
};

// The desktop user when the path lies in their home: files there are reached as theirs, with
// their rights, so that no link of theirs leads a program running as root elsewhere.
std::optional<platform::FileOwner> DesktopOwnerOf(const CUpdateEnvironment& environment, const QString& path);

// The machine itself: the running program, effective user id 0 as administrator rights, and
// the folders and machine hive of the desktop user who started it through sudo or pkexec.
class CSystemUpdateEnvironment final : public CUpdateEnvironment {
public:
    CSystemUpdateEnvironment();

    QString UpdaterProgramFile() const override;
    bool HasAdministratorRights() const override;
    QDate Today() const override;
    std::optional<platform::DesktopUser> DesktopUser() const override { return m_desktopUser; }
    QString DocumentsFolder() const override;
    QString CommonAppDataFolder() const override;
    platform::CRegistryStore& MachineRegistry() override { return m_registry; }
    platform::CDialogService& Dialogs() override { return platform::DialogService(); }

private:
    std::optional<platform::DesktopUser> m_desktopUser;
    platform::CRegistryStore m_registry;
};
