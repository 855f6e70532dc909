// The archive reader: any bytes list or are refused, and unpacking writes regular files and
// folders inside the destination only, no more than the archive declares.
#include "fuzz/fuzz_support.h"
#include "project/zip_file.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

using fuzz_support::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString scratch = fuzz_support::ScratchFolder();
    const QString destination = scratch + QStringLiteral("/out");
    QDir(destination).removeRecursively();
    const QString archive = fuzz_support::WriteInput(QStringLiteral("package.kdpp"), data, size);

    CZipFile zip;
    QStringList entries;
    const bool listed = zip.ReadZipFile(archive, entries) != 0;
    Check(listed || entries.isEmpty(), "a refused archive lists nothing");
    if (zip.UnZip(archive, destination) == 0)
        return 0;
    Check(listed, "an archive that unpacks can be listed");
    int written = 0;
    QDirIterator walk(destination, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
        QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        const QFileInfo info(walk.next());
        Check(
            !info.isSymLink() && (info.isFile() || info.isDir()), "only regular files and folders are made");
        Check(info.absoluteFilePath().startsWith(destination + QLatin1Char('/')), "everything lies inside");
        written += info.isFile();
    }
    Check(written <= entries.size(), "no more files than entries");
    // Nothing beside the destination and the archive itself.
    const QStringList beside
        = QDir(scratch).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& name : beside)
        Check(name == QLatin1String("out") || name == QLatin1String("package.kdpp"),
            "nothing is written outside the destination");
    return 0;
}
