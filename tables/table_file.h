#pragma once

#include <QString>
#include <array>
#include <optional>

namespace tables {

// Why the effect or filter table cannot read a path, or nothing for a file. `texts` are the
// table's texts for no path given at all, a path that does not exist (an empty one included)
// and a folder in place of the file; the last two are followed by a line break and the path.
std::optional<QString> TablePathError(
    const std::optional<QString>& path, const std::array<QString, 3>& texts);

// A key of a numbered row: the name with the row zero-filled to three digits ("No001"; the
// 1000th row is "No1000").
QString TableRowKey(const char* name, int row);

} // namespace tables
