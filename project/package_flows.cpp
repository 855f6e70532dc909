#include "project/package_flows.h"

#include "platform/paths.h"

#include <QFileInfo>

namespace {

bool Exists(const QString& path)
{
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}

} // namespace

void CPackageNoticeList::ReportTo(CPackageReporter& reporter) const
{
    for (const PackageNotice& notice : m_notices)
        reporter.Report(notice);
}

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
    const bool written = owner.RunUnderWait([&](CPackageReporter& reporter) {
        return WritePackage(workFolder, outputFolder, projectFile, name, reporter);
    });
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
    const bool expanded = owner.RunUnderWait([&](CPackageReporter& reporter) {
        return ExtractPackage(workFolder, packageFile, projectFolder, dataFolder, name, innerName, reporter);
    });
    owner.Report({ expanded ? kMsgExpandDone : kMsgExpandFailed, QString() });
    return expanded;
}
