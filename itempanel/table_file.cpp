#include "itempanel/table_file.h"

#include <QFileInfo>

namespace itempanel {

TablePathCheck CheckTablePath(const std::optional<QString>& path)
{
    if (!path)
        return TablePathCheck::NoPath;
    const QFileInfo info(*path);
    if (path->isEmpty() || !info.exists())
        return TablePathCheck::Missing;
    return info.isDir() ? TablePathCheck::Folder : TablePathCheck::File;
}

QString TableRowKey(const char* name, int row)
{
    return QString::asprintf("%s%03d", name, row);
}

} // namespace itempanel
