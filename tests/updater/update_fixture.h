#pragma once

#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"
#include "updater/update_environment.h"

#include <QMap>
#include <QString>

// The machine of one update in a temporary folder: folders, machine hive, rights and date are
// fields the test sets; dialogs are answered by the scripted service.
class CTestUpdateEnvironment : public CUpdateEnvironment {
public:
    CTestUpdateEnvironment(const CTempFolder& folder, CScriptedDialogService& dialogs);

    QString UpdaterProgramFile() const override { return updaterProgram; }
    bool HasAdministratorRights() const override { return administrator; }
    QDate Today() const override { return today; }
    std::optional<platform::DesktopUser> DesktopUser() const override { return desktopUser; }
    QString DocumentsFolder() const override { return documents; }
    QString CommonAppDataFolder() const override { return commonAppData; }
    platform::CRegistryStore& MachineRegistry() override { return registry; }
    platform::CDialogService& Dialogs() override { return m_dialogs; }

    QString updaterProgram;
    bool administrator = true;
    QDate today { 2026, 3, 9 };
    std::optional<platform::DesktopUser> desktopUser;
    QString documents;
    QString commonAppData;
    platform::CRegistryStore registry;

private:
    CScriptedDialogService& m_dialogs;
};

// A package beside its updater and an installation it can update, laid out as:
//   package/updater, package/Data/{ProgramFiles/Kaleidra, ProgramData/OXTREL, Document/Kaleidra}
//   install/bin/{Kaleidra, uninstaller}, common/, home/Documents/, hive/registry.ini
// with the uninstall entry naming the installation.
class CUpdateSandbox {
public:
    static const QString kUninstallKey;

    explicit CUpdateSandbox(const QString& updaterVersion = QStringLiteral("1.0.3.4"),
        const QString& newVersion = QStringLiteral("1.6.2.0"),
        const QString& installedVersion = QStringLiteral("1.6.1.5"));

    QString Path(const QString& relative) const { return m_folder.FilePath(relative); }
    QString Package(const QString& relative) const;
    QString Install(const QString& relative) const { return Path(QStringLiteral("install/") + relative); }
    QByteArray Read(const QString& relative) const { return m_folder.ReadFile(relative); }
    QString Write(const QString& relative, const QByteArray& bytes) const
    {
        return m_folder.WriteFile(relative, bytes);
    }
    void WriteEntry(const QString& valueName, const QString& value);
    // Runs the update as root on behalf of a desktop user whose home is "home": the sandbox
    // can be passed through and the home and its documents are open to that user, while still
    // root's, so a test tells what the update gave away.
    void ActForDesktopUser(const platform::FileOwner& owner);
    QByteArray HiveBytes() const;
    // Every file below the folder with its contents, to tell what an update touched.
    QMap<QString, QByteArray> Tree(const QString& relative) const;

    // Runs the update and checks that every queued answer was used.
    bool Run();

    CTempFolder m_folder;
    CScriptedDialogService m_dialogs;
    CTestUpdateEnvironment m_environment;
};

// The texts of the flow's message boxes.
namespace updater_text {
QString NoFiles();
QString NeedsRights();
QString NotInstalled();
QString PackageMismatch(const QString& installed, const QString& package);
QString AlreadyApplied(const QString& installed);
QString Confirm(const QString& installed, const QString& newer);
QString Success();
} // namespace updater_text
