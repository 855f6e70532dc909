#include "platform/known_folders.h"

#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace platform {
namespace {

QString FromEnvironment(const char* name)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? QString() : QDir::cleanPath(value);
}

} // namespace

QString ProgramFolder()
{
    if (QString dir = FromEnvironment("KALEIDRA_PROGRAM_DIR"); !dir.isEmpty())
        return dir;
    return ExecutableFolder();
}

QString ExecutableFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir(QStringLiteral("/proc/self/exe")).canonicalPath().section(QLatin1Char('/'), 0, -2);
}

QString HomeFolder()
{
    return QDir::homePath();
}

QString CommonAppDataFolder()
{
    if (QString dir = FromEnvironment("KALEIDRA_COMMON_APPDATA"); !dir.isEmpty())
        return dir;
    if (QString dir = FromEnvironment("XDG_DATA_HOME"); !dir.isEmpty())
        return dir;
    return JoinPath(HomeFolder(), u".local/share");
}

QString SettingsFolder()
{
    return JoinPath(CommonAppDataFolder(), u"Oxtrel/Kaleidra/SETTING");
}

QString DocumentsFolder()
{
    if (QString dir = FromEnvironment("KALEIDRA_DOCUMENTS_DIR"); !dir.isEmpty())
        return dir;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

} // namespace platform
