#include "view/work_folder.h"

#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/registry_store.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// The absolute path with every link resolved, as far as it exists: a folder that is not made yet
// (the documents folder before the first start) is its nearest existing folder, resolved, with
// the rest of the path after it. Empty for an empty or relative text.
QString Resolved(const QString& path)
{
    if (path.isEmpty() || QDir::isRelativePath(path))
        return QString();
    QString existing = QDir::cleanPath(path);
    QString rest;
    while (!QFileInfo::exists(existing)) {
        const QString parent = QFileInfo(existing).path();
        if (parent == existing)
            return QDir::cleanPath(path);
        rest = QFileInfo(existing).fileName() + (rest.isEmpty() ? QString() : QLatin1Char('/') + rest);
        existing = parent;
    }
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    if (canonical.isEmpty())
        return QDir::cleanPath(path);
    return rest.isEmpty() ? canonical : QDir::cleanPath(canonical + QLatin1Char('/') + rest);
}

bool IsSameOrInside(const QString& inner, const QString& outer)
{
    if (inner == outer)
        return true;
    const QString prefix = outer.endsWith(QLatin1Char('/')) ? outer : outer + QLatin1Char('/');
    return inner.startsWith(prefix);
}

// Folders of the system: neither they nor anything inside them may be emptied.
bool IsSystemFolder(const QString& work, const QString& home)
{
    static const char* const kSystem[]
        = { "/bin", "/boot", "/dev", "/etc", "/lib", "/lib32", "/lib64", "/libx32", "/lost+found", "/opt",
              "/proc", "/root", "/run", "/sbin", "/snap", "/srv", "/sys", "/usr", "/var" };
    // Shared roots: the folders inside them belong to someone, the roots themselves to all.
    static const char* const kSharedRoots[] = { "/home", "/media", "/mnt", "/tmp", "/var/tmp" };
    for (const char* root : kSharedRoots) {
        if (work == QLatin1String(root))
            return true;
    }
    for (const char* system : kSystem) {
        const QString folder = QString::fromLatin1(system);
        // A temporary folder of the system and a home that lies below a system folder (root's
        // own) are the user's to use.
        if (IsSameOrInside(work, folder) && !IsSameOrInside(work, QStringLiteral("/var/tmp/"))
            && !(IsSameOrInside(home, folder) && IsSameOrInside(work, home) && work != home))
            return true;
    }
    return false;
}

} // namespace

bool IsInsideWorkFolder(const QString& path, const QString& workFolder)
{
    const QString work = Resolved(QDir::cleanPath(workFolder));
    const QString resolved = Resolved(QDir::cleanPath(QDir(path).absolutePath()));
    return !work.isEmpty() && !resolved.isEmpty() && IsSameOrInside(resolved, work);
}

QString ProductDocumentsFolder()
{
    const QString documents = platform::DocumentsFolder();
    return documents.isEmpty() ? QString() : platform::JoinPath(documents, u"Kaleidra");
}

namespace {

// Whether a work folder may lie at the absolute path, made or not: everything of
// IsAcceptableWorkFolder but the folder's existence.
bool IsAllowedPlace(const QString& folder)
{
    // A relative path would name another folder for every start folder of the editor.
    if (folder.isEmpty() || folder.size() > kMaxWorkFolderLength || QDir::isRelativePath(folder))
        return false;
    const QString work = Resolved(folder);
    if (work.isEmpty() || QDir(work).isRoot())
        return false;
    const QString home = Resolved(platform::HomeFolder());
    if (IsSystemFolder(work, home))
        return false;
    // The hidden folders of the home hold the user's keys and settings.
    if (!home.isEmpty() && IsSameOrInside(work, home) && work != home
        && work.mid(home.size() + (home.endsWith(QLatin1Char('/')) ? 0 : 1)).startsWith(QLatin1Char('.')))
        return false;
    // Emptying any of these, or a folder that holds one, would lose the user's projects, settings
    // or data. (The runtime folder lies below /run.)
    const QString kept[] = {
        platform::HomeFolder(),
        platform::DocumentsFolder(),
        ProductDocumentsFolder(),
        platform::ProgramFolder(),
        platform::SettingsFolder(),
        platform::CommonAppDataFolder(),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation),
        QFileInfo(platform::CRegistryStore::HiveFile(platform::RegistryHive::CurrentUser)).path(),
        QFileInfo(platform::CRegistryStore::HiveFile(platform::RegistryHive::LocalMachine)).path(),
    };
    for (const QString& folderKept : kept) {
        const QString resolved = Resolved(folderKept);
        if (!resolved.isEmpty() && IsSameOrInside(resolved, work))
            return false;
    }
    return true;
}

} // namespace

bool IsAcceptableWorkFolder(const QString& folder)
{
    return !folder.isEmpty() && !QDir::isRelativePath(folder) && QFileInfo(folder).isDir()
        && IsAllowedPlace(folder);
}

QString ResolveWorkFolder(const QString& value)
{
    if (value != QStringLiteral("~") && !value.startsWith(QStringLiteral("~/")))
        return value;
    const QString home = platform::HomeFolder();
    if (home.isEmpty() || QDir::isRelativePath(home))
        return value;
    const QString folder = QDir::cleanPath(home + value.mid(1));
    const QFileInfo info(folder);
    // Only a folder that stays in the home is made ("~/../x" names none).
    if (!info.exists() && !info.isSymLink() && IsSameOrInside(Resolved(folder), Resolved(home))
        && IsAllowedPlace(folder))
        QDir().mkpath(folder);
    return folder;
}
