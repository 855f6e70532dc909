#pragma once

#include "project/package.h"

#include <QString>

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
    virtual void ShowWait() = 0;
    virtual void HideWait() = 0;
};

// Create package: the export dialog, the question before replacing a package of the same
// name, the packing under the wait window and its closing message. True when a package was
// written.
bool CreatePackage(CPackageFlowOwner& owner, const QString& workFolder);

// Expand package: the import dialog, the project name read from the package, the question
// before replacing a project file of the same name, the expansion under the wait window and its
// closing message. True when the package was expanded.
bool ExpandPackage(CPackageFlowOwner& owner, const QString& workFolder);
