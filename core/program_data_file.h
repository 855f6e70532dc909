#pragma once

#include "platform/profile_file.h"

#include <QString>
#include <optional>

// The path of a file or folder below the folder ("/"-separated relative path), each part matched
// without regard to letter case when it is not there as written, as Windows finds them.
QString ProgramDataPath(const QString& folder, const QString& relativePath);

// Opens one of the ini-format data files that lie in the program folder ("Language.dat",
// "Message.dat", "Skin/Skin.ini"), found as ProgramDataPath finds it. Nothing when it is missing, is a folder
// or cannot be read: the caller then keeps its built-in defaults.
std::optional<platform::CProfileFile> LoadProgramDataFile(
    const QString& programFolder, const QString& relativePath);
