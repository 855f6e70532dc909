#include "project/package_flows.h"

#include "platform/paths.h"

#include <QFileInfo>

namespace {

// Shows the wait window for as long as it lives.
class CWaitScope {
public:
    explicit CWaitScope(CPackageFlowOwner& owner)
        : m_owner(owner)
    {
        m_owner.ShowWait();
    }
    ~CWaitScope() { m_owner.HideWait(); }
    CWaitScope(const CWaitScope&) = delete;
    CWaitScope& operator=(const CWaitScope&) = delete;

private:
    CPackageFlowOwner& m_owner;
};

bool Exists(const QString& path)
{
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}

} // namespace

bool CreatePackage(CPackageFlowOwner& owner, const QString& workFolder)
{
    QString outputFolder;
    QString projectFile;
    if (!owner.RunExportDialog(outputFolder, projectFile))
        return false;
    const QString name = ProjectNameOfFile(projectFile);
    if (Exists(platform::JoinPath(outputFolder, name + QStringLiteral(".kdpp")))
        && !owner.AskYesNo(kMsgAskOverwritePackage)) {
        owner.Report({ kMsgCreateCancelled, QString() });
        return false;
    }
    bool written = false;
    {
        const CWaitScope wait(owner);
        written = WritePackage(workFolder, outputFolder, projectFile, name, owner);
    }
    owner.Report({ written ? kMsgCreateDone : kMsgCreateFailed, QString() });
    return written;
}

bool ExpandPackage(CPackageFlowOwner& owner, const QString& workFolder)
{
    QString packageFile;
    QString projectFolder;
    QString dataFolder;
    if (!owner.RunImportDialog(packageFile, projectFolder, dataFolder))
        return false;
    const QString name = ProjectNameOfFile(packageFile);
    const QString innerName = GetPackageProjectName(packageFile);
    if (innerName.isEmpty()) {
        owner.Report({ kMsgNoPackageName, QString() });
        owner.Report({ kMsgExpandFailed, QString() });
        return false;
    }
    if (Exists(platform::JoinPath(projectFolder, name + QStringLiteral(".kdp")))
        && !owner.AskYesNo(kMsgAskOverwriteProject)) {
        owner.Report({ kMsgExpandCancelled, QString() });
        return false;
    }
    bool expanded = false;
    {
        const CWaitScope wait(owner);
        expanded = ExtractPackage(workFolder, packageFile, projectFolder, dataFolder, name, innerName, owner);
    }
    owner.Report({ expanded ? kMsgExpandDone : kMsgExpandFailed, QString() });
    return expanded;
}
