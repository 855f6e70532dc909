#pragma once

#include <QString>

// The checks the export and import dialogs make on OK, in their order: the first one that
// fails names its catalogue message and the field that gets the focus.
struct PackagePathCheck {
    int messageId = 0; // 0: every check passed
    int field = -1; // the field at fault

    bool Passed() const { return messageId == 0; }
    bool operator==(const PackagePathCheck&) const = default;
};

// Fields of the export dialog.
enum ExportField : int { kExportOutputFolder = 0, kExportProjectFile = 1 };
PackagePathCheck CheckExportPaths(const QString& outputFolder, const QString& projectFile);

// Fields of the import dialog.
enum ImportField : int { kImportPackageFile = 0, kImportProjectFolder = 1, kImportDataFolder = 2 };
PackagePathCheck CheckImportPaths(
    const QString& packageFile, const QString& projectFolder, const QString& dataFolder);

// The folder with its trailing separators removed and one '/' appended ("/" stays "/").
QString FolderWithOneSeparator(const QString& folder);

// True when the extension of the path's file name (the text after its last '.') is the given
// one, without regard to letter case.
bool HasExtension(const QString& path, const QString& extension);
