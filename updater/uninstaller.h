#pragma once

#include "updater/update_environment.h"

#include <QString>
#include <QStringList>

// The uninstaller of an installation that the install rules laid out, itself in its "bin"
// folder. It removes, after asking, every file that "bin/uninstall.list" names (paths relative
// to the installation folder), the folders that this leaves empty, and the product's uninstall
// entry when the entry names this installation; files the user added stay, with their folders.
// It also records the entry for a new installation (the install script's last step).
class CUninstaller {
public:
    // The environment's program file is the uninstaller's own.
    explicit CUninstaller(CUpdateEnvironment& environment);

    // Asks, removes and reports in a message box. The process exit status: 0 when everything
    // was removed or the user declined, 1 otherwise. Nothing is removed when a listed file's
    // folder cannot be written (run it with the rights the installation was made with).
    int Run();

    // Writes DisplayIcon, UninstallString, DisplayVersion and PackageVersion of this
    // installation, all or none; false with the reason in *error.
    bool Register(QString* error);

    // The folder above the uninstaller's "bin" folder.
    QString InstallationFolder() const;

private:
    struct Removal {
        QStringList failed; // relative paths that could not be removed, with the reason
    };

    int Message(const QString& text, unsigned type);
    // The listed files, each checked to stay inside the installation; nothing when the list
    // cannot be read.
    std::optional<QStringList> ReadList(QString* error) const;
    QStringList UnwritableFolders(const QStringList& files) const;
    Removal RemoveFiles(const QStringList& files) const;
    void RemoveEmptyFolders(const QStringList& files) const;
    bool RemoveEntry();

    CUpdateEnvironment& m_environment;
    QString m_title;
};
