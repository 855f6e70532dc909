#include "core/program_data_file.h"

#include "platform/paths.h"

std::optional<platform::CProfileFile> LoadProgramDataFile(
    const QString& programFolder, const QString& relativePath)
{
    const QString path = platform::JoinPath(programFolder, relativePath);
    if (!platform::IsRegularFile(path))
        return std::nullopt;
    platform::CProfileFile file;
    if (file.Load(path) != platform::CProfileFile::LoadStatus::Loaded)
        return std::nullopt;
    return file;
}
