#pragma once

#include "platform/profile_file.h"

#include <QString>
#include <optional>

// Opens one of the ini-format data files that lie in the program folder ("Language.dat",
// "Message.dat", "Skin/Skin.ini"). Nothing when it is missing, is a folder or cannot be read:
// the caller then keeps its built-in defaults.
std::optional<platform::CProfileFile> LoadProgramDataFile(
    const QString& programFolder, const QString& relativePath);
