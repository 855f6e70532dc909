#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace platform {

// The four 16-bit parts of a program's file version (major, minor, then the two halves of the
// low part), as kaleidra_stamp_version puts them into the program: one 16-byte record, the
// marker "KLDRFVER" and the parts in the file's byte order, alone in the ELF section
// ".kaleidra_version".
using FileVersion = std::array<uint16_t, 4>;

// Reads the stamp from the file without running it. Nothing when the file cannot be read, is
// no ELF file, or has no such section holding exactly one marked record.
std::optional<FileVersion> ReadFileVersion(const QString& path);

} // namespace platform
