#pragma once

#include <QString>
#include <QStringList>

// The files the editor reads from the settings folder and the programs deliver beside themselves:
// the settings file "Kaleidra.ini" and the effect and filter tables "Effect.ini" and "Filter.ini".
QStringList DefaultSettingFileNames();

// Copies each of those files delivered beside the programs into the settings folder (made when
// missing) when that folder holds no file of its name, in any letter case: a user's own file, or a
// link in its place, is never replaced. A copy appears whole or not at all. Returns one line per
// file that could not be installed, with the reason; empty when every file is in place.
QStringList InstallDefaultSettingFiles(const QString& programFolder, const QString& settingsFolder);
