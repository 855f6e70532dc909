#include "tables/table_file.h"

#include <QFileInfo>

namespace tables {

std::optional<QString> TablePathError(const std::optional<QString>& path, const std::array<QString, 3>& texts)
{
    if (!path)
        return texts[0];
    const QFileInfo info(*path);
    if (path->isEmpty() || !info.exists())
        return texts[1] + u'\n' + *path;
    if (info.isDir())
        return texts[2] + u'\n' + *path;
    return std::nullopt;
}

QString TableRowKey(const char* name, int row)
{
    return QString::asprintf("%s%03d", name, row);
}

} // namespace tables
