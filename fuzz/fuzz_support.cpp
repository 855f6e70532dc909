#include "fuzz/fuzz_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace fuzz_support {

QString ScratchFolder()
{
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/kaleidra-fuzz-XXXXXX"));
    return folder.path();
}

QString WriteInput(const QString& relative, const uint8_t* data, size_t size)
{
    const QString path = ScratchFolder() + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size)) {
        std::fprintf(stderr, "cannot write the input to %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

void Check(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "expectation broken: %s\n", what);
    std::abort();
}

} // namespace fuzz_support
