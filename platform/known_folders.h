#pragma once

#include <QString>

namespace platform {

// Folders the programs read and write. Each has an environment override for tests and for
// running from a build tree.

// The folder of the running program ($KALEIDRA_PROGRAM_DIR): Skin/, Language.dat, Message.dat,
// Luxviewer and KaleidraRemote lie there.
QString ProgramFolder();

// The folder of the running program's own file, whatever $KALEIDRA_PROGRAM_DIR names: the support
// libraries the programs open by path are taken only from there.
QString ExecutableFolder();

// Data shared by all users ($KALEIDRA_COMMON_APPDATA, else $XDG_DATA_HOME, else ~/.local/share).
QString CommonAppDataFolder();

// The editor's settings folder: <common application data>/Oxtrel/Kaleidra/SETTING.
QString SettingsFolder();

// The user's documents ($KALEIDRA_DOCUMENTS_DIR, else the desktop's documents folder).
QString DocumentsFolder();

QString HomeFolder();

} // namespace platform
