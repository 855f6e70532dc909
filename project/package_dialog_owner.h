#pragma once

#include "project/package_flows.h"

#include <QString>
#include <functional>

class QWidget;

// The package flows' owner in the editor: the export and import dialogs, questions and messages
// in the editor's message box, and the long work off the window thread while the wait window,
// which the view shows and hides through `showWait`, is up.
class CPackageDialogFlowOwner : public CPackageFlowOwner {
public:
    CPackageDialogFlowOwner(QWidget* parent, QString skinFolder, std::function<void(bool shown)> showWait);

    bool RunExportDialog(QString& outputFolder, QString& projectFile) override;
    bool RunImportDialog(QString& packageFile, QString& projectFolder, QString& dataFolder) override;
    bool AskYesNo(int messageId) override;
    bool RunUnderWait(const std::function<bool(CPackageReporter&)>& work) override;
    void Report(const PackageNotice& notice) override;

private:
    QWidget* m_parent;
    QString m_skinFolder;
    std::function<void(bool)> m_showWait;
};
