#pragma once

#include "platform/user_account.h"
#include "updater/update_environment.h"
#include "updater/update_step.h"

#include <QString>
#include <QStringList>
#include <optional>

// The updater's flow: checks the package against the installation, asks the user, copies the
// package's three "Data" trees with the progress dialog and records the new version in the
// product's uninstall entry. Every outcome ends in one message box.
class CUpdateCtrl {
public:
    explicit CUpdateCtrl(CUpdateEnvironment& environment);
    virtual ~CUpdateCtrl() = default;
    CUpdateCtrl(const CUpdateCtrl&) = delete;
    CUpdateCtrl& operator=(const CUpdateCtrl&) = delete;

    // True when the flow ended normally (installed, cancelled, nothing to do, already current),
    // false on a refusal (no rights, installation not found, package mismatch).
    bool Run();

    // True once the copy phase has ended without completing the update: a file could not be
    // copied, or the new version could not be recorded.
    bool UpdateFailed() const { return m_updateFailed; }

    // 2 equal, 1 installed older, 3 installed newer, 0 a text without exactly `parts` parts.
    static int CompareVersion(const QString& installed, const QString& newer, int parts);
    // "%d.%d" or "%d.%d.%d.%d" of the file's version; an empty path is the updater itself;
    // "" when the file carries no version.
    QString GetFileVersionText(const QString& path, int parts) const;
    // The value's text, "" when it cannot be read; reading never creates the key.
    QString ReadUninstallValue(const QString& key, const QString& valueName) const;
    bool WriteUninstallValue(const QString& key, const QString& valueName, const QString& text);
    QString GetDocumentsFolder() const { return m_environment.DocumentsFolder(); }
    QString GetCommonAppDataFolder() const { return m_environment.CommonAppDataFolder(); }

    // One step of the copy phase, run on a worker thread: copies the next file (install files,
    // then settings, then documents, then the program file) or, when all are copied, records the
    // new version.
    UpdateStepResult UpdateThread();

    // Appends the full path of every regular file below the folder; links and special files
    // are neither listed nor followed.
    static void EnumFiles(const QString& folder, QStringList& files, bool clear);
    // Copies the file into the target folder, creating the folder first. Below the source root
    // (the package tree it was listed from) no link is followed, even one put there since.
    static bool CopyOneFile(const QString& source,
        const QString& targetFolder,
        bool clearReadOnly,
        const std::optional<platform::FileOwner>& owner = std::nullopt,
        const QString& sourceRoot = QString());
    static bool MakeFolder(
        const QString& path, const std::optional<platform::FileOwner>& owner = std::nullopt);

    // The folder for the package's "OXTREL" tree: the one the editor reads its settings from,
    // whatever other letter case of that name exists beside it.
    static QString SettingsTargetIn(const QString& commonAppData);

private:
    enum ListIndex { kInstallList, kSettingsList, kDocumentsList, kProgramList };

    struct FileList {
        QString sourceRoot;
        QString target;
        std::optional<platform::FileOwner> owner;
        QStringList files;
        int copied = 0;
        bool HasFilesLeft() const { return copied < files.size(); }
    };

    int Message(const QString& text, unsigned type);
    // Checks the installation the uninstall entry names, or the one the user picks; sets the
    // program file and uninstaller paths. Nothing when the user cancelled the picker.
    std::optional<bool> FindInstallation(QString& programFile, QString& uninstaller);
    void SetTargets(const QString& programFile);
    int CopiedTotal() const;
    // Whether the file of the list is the editor's settings file and the user already has one,
    // which is kept.
    static bool KeepsUsersSettings(int listIndex, const QString& relative, const QString& targetPath);
    UpdateStepResult CopyFailure(int listIndex, const QString& targetPath);
    UpdateStepResult RecordVersion();

    CUpdateEnvironment& m_environment;
    bool m_started = false;
    QString m_title;
    // Install, settings and documents files, and last of all the installed program whose
    // version tells which version is installed: it changes only once everything else is in
    // place, so that an update that failed can be run again.
    FileList m_lists[4];
    QString m_binFolder;
    QString m_uninstallKey;
    QString m_newVersion;
    QString m_packageVersion;
    QString m_updateDate;
    QString m_updateVersion;
    bool m_updateFailed = false;
};

// One run of the updater as its process: the exit status is 0 when the flow ended normally and
// any update it began was completed, 1 otherwise.
int RunUpdater(CUpdateEnvironment& environment);
