#include "view/work_folder.h"

#include "platform/known_folders.h"
#include "view/kaleidra_doc.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The folder with every link resolved; empty when it does not exist.
QString Canonical(const QString& folder)
{
    return folder.isEmpty() ? QString() : QFileInfo(folder).canonicalFilePath();
}

bool IsSameOrInside(const QString& inner, const QString& outer)
{
    if (inner == outer)
        return true;
    const QString prefix = outer.endsWith(QLatin1Char('/')) ? outer : outer + QLatin1Char('/');
    return inner.startsWith(prefix);
}

} // namespace

bool IsAcceptableWorkFolder(const QString& folder)
{
    // A relative path would name another folder for every start folder of the editor.
    if (folder.isEmpty() || folder.size() > kMaxWorkFolderLength || QDir::isRelativePath(folder))
        return false;
    const QFileInfo info(folder);
    if (!info.isDir())
        return false;
    const QString work = Canonical(folder);
    if (work.isEmpty() || QDir(work).isRoot())
        return false;
    // The product's documents folder keeps the user's saved projects, and the settings folder
    // the settings file itself: emptying either would lose them.
    const QString protectedFolders[] = {
        platform::HomeFolder(),
        platform::DocumentsFolder(),
        CKaleidraDoc::GetDocumentsFolder(),
        platform::ProgramFolder(),
        platform::SettingsFolder(),
    };
    for (const QString& kept : protectedFolders) {
        const QString canonical = Canonical(kept);
        if (!canonical.isEmpty() && IsSameOrInside(canonical, work))
            return false;
    }
    return true;
}
