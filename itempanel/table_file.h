#pragma once

#include <QString>
#include <optional>

namespace itempanel {

// What the effect and filter tables find before they read a file: no path given at all, a
// path that does not exist (an empty one included), a folder in place of the file, or a file.
enum class TablePathCheck { NoPath, Missing, Folder, File };
TablePathCheck CheckTablePath(const std::optional<QString>& path);

// A key of a numbered row: the name with the row zero-filled to three digits ("No001"; the
// 1000th row is "No1000").
QString TableRowKey(const char* name, int row);

} // namespace itempanel
