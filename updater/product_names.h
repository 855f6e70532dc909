#pragma once

#include "platform/paths.h"

#include <QString>

// The product's names that the updater and the uninstaller share.
namespace product {

inline const QString kDisplayName = QStringLiteral("Kaleidra");
// The tree below "Data/ProgramFiles" and "Data/Document" of a package, and the documents folder.
inline const QString kFolderName = QStringLiteral("Kaleidra");
// The installed editor, whose version is the installed version.
inline const QString kMainProgram = QStringLiteral("Kaleidra");
inline const QString kUninstaller = QStringLiteral("uninstaller");
// Beside the programs: every installed file, relative to the installation folder.
inline const QString kUninstallList = QStringLiteral("uninstall.list");
// The editor's settings file, relative to the shared settings folder ("Data/ProgramData/OXTREL"
// of a package): a package's copy is the default for a user who has none yet.
inline const QString kSettingsFile = QStringLiteral("Kaleidra/SETTING/Kaleidra.ini");
// The uninstall entry, in the machine hive.
inline const QString kUninstallKey
    = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kaleidra");

// "<installation folder>/bin/<name>".
inline QString BinFile(const QString& installationFolder, const QString& name)
{
    return platform::JoinPath(platform::JoinPath(installationFolder, u"bin"), name);
}

} // namespace product
