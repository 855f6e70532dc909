// Runs every file of the given corpus folders (and files) through the fuzz target's entry point
// once: ctest replays the seed corpora and the inputs of crashes found, so that a fixed crash
// stays fixed. Built with the product's own compiler, without libFuzzer.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        QStringList files;
        if (QFileInfo(argument).isDir()) {
            const QDir folder(argument);
            for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
                files.append(folder.filePath(name));
        } else {
            files.append(argument);
        }
        for (const QString& path : files) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            std::printf("%s\n", qPrintable(path));
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
            ++replayed;
        }
    }
    std::printf("%d inputs replayed\n", replayed);
    // A corpus that is not there must not pass for one that replays cleanly.
    return replayed > 0 ? 0 : 1;
}
