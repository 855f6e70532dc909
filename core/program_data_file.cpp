#include "core/program_data_file.h"

#include "platform/paths.h"

#include <QDir>

namespace {

// The entry of the folder with that name, spelled as on disk: the exact name when it exists,
// else the first entry (in name order) that differs only in letter case. Windows finds these
// files whatever their case, and the remote program looks up the same language file as
// "Language.Dat".
QString EntryIgnoringCase(const QString& folder, const QString& name)
{
    const QString exact = platform::JoinPath(folder, name);
    if (folder.isEmpty() || QFileInfo::exists(exact))
        return exact;
    const QStringList entries
        = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return platform::JoinPath(folder, entry);
    }
    return exact;
}

} // namespace

QString ProgramDataPath(const QString& folder, const QString& relativePath)
{
    QString path = folder;
    for (const QString& name : relativePath.split(u'/', Qt::SkipEmptyParts))
        path = EntryIgnoringCase(path, name);
    return path;
}

std::optional<platform::CProfileFile> LoadProgramDataFile(
    const QString& programFolder, const QString& relativePath)
{
    const QString path = ProgramDataPath(programFolder, relativePath);
    if (!platform::IsRegularFile(path))
        return std::nullopt;
    platform::CProfileFile file;
    if (file.Load(path) != platform::CProfileFile::LoadStatus::Loaded)
        return std::nullopt;
    return file;
}
