#pragma once

#include <QString>

// Packages ("kdpp"): a project together with the media files and mask images its items use, so
// that it can be moved to another computer. A package of project N is a zip archive of the
// folder "N_Package", which holds the project folder "N", the media "N_Data" and the masks
// "N_Mask"; inside it, items name their media and masks by the file names "<face>_<position>.
// <extension>" only.
//
// The operations work in temporary folders of the work folder, which they delete on every way
// out. An archive is always written to a temporary file beside it and renamed over it, so a
// failure leaves an earlier package or project file as it was.

// What an operation tells the user: a catalogue message followed by a detail (the zip
// library's text, a path), or, with message 0, the detail alone.
struct PackageNotice {
    int messageId = 0;
    QString detail;

    bool operator==(const PackageNotice&) const = default;
};

// The one fixed text of the flows; every other notice is a catalogue message.
inline constexpr char16_t kProjectRenameFailedText[] = u"プロジェクトファイルのリネームに失敗しました。";

// Catalogue messages of the package flows.
enum PackageMessage : int {
    kMsgTemporaryName = 40,
    kMsgTemporaryCopy = 41,
    kMsgItemWrite = 39,
    kMsgNoPackageName = 49,
    kMsgExpandFailed = 50,
    kMsgAskOverwriteProject = 51,
    kMsgExpandCancelled = 52,
    kMsgExpandDone = 53,
    kMsgAskOverwritePackage = 54,
    kMsgCreateCancelled = 55,
    kMsgCreateFailed = 56,
    kMsgCreateDone = 57,
    kMsgPackageProjectUnreadable = 59,
    kMsgPackageSaveZip = 60,
    kMsgPackageSaveRebase = 61,
    kMsgPackageReload = 62,
    kMsgPackageUnzip = 74,
    kMsgExtractedProjectUnreadable = 75,
    kMsgProjectFileOutput = 76,
    kMsgProjectUnzip = 77,
    kMsgPackageZip = 78,
    kMsgRebaseUnreadable = 79,
    kMsgProcessFailed = 84,
};

class CPackageReporter {
public:
    virtual ~CPackageReporter() = default;
    virtual void Report(const PackageNotice& notice) = 0;
};

// The project name a package's first entry names: the text before its first '\' (or else its
// first '/') less a trailing "_Package". Empty when the archive cannot be read, its first entry
// lies at the top level, or the name is not one safe path component.
QString GetPackageProjectName(const QString& zipFile);

// The name a project or package file gives its project: its file name cut before the last '.'.
QString ProjectNameOfFile(const QString& path);

// Packs the project file into "<outputFolder>/<name>.kdpp", with copies of its media and masks.
// A media file that cannot be copied ends the operation. False on any failure (reported).
bool WritePackage(const QString& workFolder,
    const QString& outputFolder,
    const QString& projectFile,
    const QString& name,
    CPackageReporter& reporter);

// Expands a package: the media go to "<dataFolder>/<name>_Data", the masks to
// "<dataFolder>/<name>_Mask", and the project, its items pointing at them, becomes the project
// file "<projectFolder>/<name>.kdp". False on any failure (reported).
bool ExtractPackage(const QString& workFolder,
    const QString& packageFile,
    const QString& projectFolder,
    const QString& dataFolder,
    const QString& name,
    const QString& innerName,
    CPackageReporter& reporter);

// Points every non-empty media path of the project into the data folder and every non-empty
// mask path into the mask folder (each by its file name). False on failure (reported).
bool RebaseMediaPaths(const QString& projectXml,
    const QString& folder,
    const QString& dataFolder,
    const QString& maskFolder,
    CPackageReporter& reporter);

// The work copy of a project opened from a package: "<workFolder>/<name>_Package".
QString PackageWorkCopy(const QString& workFolder, const QString& name);
// Its project XML: "<work copy>/<name>/<name>.xml".
QString PackageWorkCopyProjectXml(const QString& workFolder, const QString& name);

// Saves the work copy of a package project back into the package it was opened from. The
// package is built in a staging folder, with the media renumbered; only once it is written do
// the work copy's data and mask folders take the new media, and its items point at them again.
// On failure the package and the work copy are as they were. False on failure (reported).
bool SavePackageProject(
    const QString& workFolder, const QString& name, const QString& packageFile, CPackageReporter& reporter);
