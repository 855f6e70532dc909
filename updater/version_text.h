#pragma once

#include "platform/file_version.h"

#include <QString>
#include <QStringList>

// Splits a version text at every "." (empty parts kept) into parts; returns their number.
int SplitVersion(const QString& text, QStringList& parts);

// How an installed version stands to a new one, both of `parts` parts.
enum VersionOrder : int {
    kVersionMalformed = 0, // a text does not have exactly that many parts
    kVersionInstalledOlder = 1,
    kVersionEqual = 2,
    kVersionInstalledNewer = 3,
};
int CompareVersionTexts(const QString& installed, const QString& newer, int parts);

// "%d.%d" (two parts) or "%d.%d.%d.%d" (four parts) of a file version.
QString FormatFileVersion(const platform::FileVersion& version, int parts);
