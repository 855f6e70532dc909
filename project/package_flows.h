#pragma once

#include "project/package.h"

#include <QString>
#include <functional>
#include <vector>

// Keeps the notices of work that runs off the window thread, to be shown once it is done.
class CPackageNoticeList final : public CPackageReporter {
public:
    void Report(const PackageNotice& notice) override { m_notices.push_back(notice); }
    // Tells the reporter every kept notice, in order.
    void ReportTo(CPackageReporter& reporter) const;
    const std::vector<PackageNotice>& Notices() const { return m_notices; }

private:
    std::vector<PackageNotice> m_notices;
};

// What the Create package and Expand package flows need of the window that runs them: the two
// dialogs, the questions and messages, and the wait window around the long work.
class CPackageFlowOwner : public CPackageReporter {
public:
    // The export dialog; true on OK with the output folder and the project file.
    virtual bool RunExportDialog(QString& outputFolder, QString& projectFile) = 0;
    // The import dialog; true on OK with the package, the project folder and the data folder.
    virtual bool RunImportDialog(QString& packageFile, QString& projectFolder, QString& dataFolder) = 0;
    // A Yes/No question with a catalogue message; true on Yes.
    virtual bool AskYesNo(int messageId) = 0;
    // Runs the long work of a flow with the wait window on screen and returns its result. The
    // work may run off the window thread: it reports into the reporter it is given, whose
    // notices the owner shows once the wait window is hidden again.
    virtual bool RunUnderWait(const std::function<bool(CPackageReporter&)>& work) = 0;
};

// Create package: the export dialog, the question before replacing a package of the same
// name, the packing under the wait window and its closing message. True when a package was
// written.
bool CreatePackage(CPackageFlowOwner& owner, const QString& workFolder);

// Expand package: the import dialog, the project name read from the package, the question
// before replacing a project file of the same name, the expansion under the wait window and its
// closing message. True when the package was expanded.
bool ExpandPackage(CPackageFlowOwner& owner, const QString& workFolder);
