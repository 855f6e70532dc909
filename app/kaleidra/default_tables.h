#pragma once

#include <QString>
#include <QStringList>

// The effect and filter tables the item panels read from the settings folder ("Effect.ini",
// "Filter.ini").
QStringList DefaultTableNames();

// Copies each table delivered beside the programs into the settings folder (made when missing)
// when that folder holds no file of its name, in any letter case: a user's own table, or a link
// in its place, is never replaced. A copy appears whole or not at all. Returns one line per
// table that could not be installed, with the reason; empty when every table is in place.
QStringList InstallDefaultTables(const QString& programFolder, const QString& settingsFolder);
