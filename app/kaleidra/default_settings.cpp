#include "app/kaleidra/default_settings.h"

#include "core/program_data_file.h"
#include "platform/file_copy.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

namespace {

// The files are a few kilobytes; anything far larger beside the program is not one of them.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

bool HoldsName(const QString& folder, const QString& name)
{
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString InstallFile(const QString& programFolder, const QString& settingsFolder, const QString& name)
{
    if (HoldsName(settingsFolder, name))
        return QString();
    QFile source(ProgramDataPath(programFolder, name));
    if (!platform::IsRegularFile(source.fileName()) || !source.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: not in the program folder %2").arg(name, programFolder);
    if (source.size() > kMaxFileBytes)
        return QStringLiteral("%1: %2 is too large to be that file").arg(name, source.fileName());
    const QByteArray bytes = source.readAll();
    if (bytes.size() != source.size())
        return QStringLiteral("%1: cannot read %2: %3").arg(name, source.fileName(), source.errorString());

    const QString target = platform::JoinPath(settingsFolder, name);
    QTemporaryFile copy(platform::JoinPath(settingsFolder, QStringLiteral(".%1.XXXXXX").arg(name)));
    if (!copy.open())
        return QStringLiteral("%1: cannot write in %2: %3").arg(name, settingsFolder, copy.errorString());
    if (copy.write(bytes) != bytes.size() || !copy.flush()
        || !copy.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther))
        return QStringLiteral("%1: cannot write %2: %3").arg(name, copy.fileName(), copy.errorString());
    // The rename never replaces: a file that appeared meanwhile is the user's and stays.
    if (!copy.rename(target))
        return HoldsName(settingsFolder, name)
            ? QString()
            : QStringLiteral("%1: cannot write %2: %3").arg(name, target, copy.errorString());
    // The temporary file now goes by the table's name: it must outlive the object.
    copy.setAutoRemove(false);
    return QString();
}

} // namespace

QStringList DefaultSettingFileNames()
{
    return { QStringLiteral("Kaleidra.ini"), QStringLiteral("Effect.ini"), QStringLiteral("Filter.ini") };
}

QStringList InstallDefaultSettingFiles(const QString& programFolder, const QString& settingsFolder)
{
    QStringList problems;
    if (!platform::MakeFolderTree(settingsFolder)) {
        for (const QString& name : DefaultSettingFileNames())
            problems << QStringLiteral("%1: cannot make the settings folder %2").arg(name, settingsFolder);
        return problems;
    }
    for (const QString& name : DefaultSettingFileNames()) {
        const QString problem = InstallFile(programFolder, settingsFolder, name);
        if (!problem.isEmpty())
            problems << problem;
    }
    return problems;
}
