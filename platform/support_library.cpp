#include "platform/support_library.h"

#include "platform/paths.h"

#include <QLibrary>

namespace platform {

QFunctionPointer OpenLibraryEntry(const QString& path, const char* entryName, QString& errorText)
{
    if (!IsRegularFile(path)) {
        errorText = QStringLiteral("%1 is missing or no regular file").arg(path);
        return nullptr;
    }
    QLibrary library(path);
    if (!library.load()) {
        errorText = library.errorString();
        return nullptr;
    }
    const QFunctionPointer entry = library.resolve(entryName);
    if (!entry)
        errorText = QStringLiteral("%1 has no %2").arg(path, QLatin1String(entryName));
    return entry;
}

} // namespace platform
