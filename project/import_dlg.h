#pragma once

#include "project/package_path_dlg.h"

// The dialog of the Expand package command: the package to expand, the folder that receives
// the project file and the folder that receives the media. It only collects and checks the
// three paths, all picked by browsing.
class CImportDlg : public CPackagePathDlg {
    Q_OBJECT

public:
    enum ControlId : int {
        IDC_PACKAGE = 1701,
        IDC_PACKAGE_BROWSE = 1702,
        IDC_PROJECT_FOLDER = 1704,
        IDC_PROJECT_BROWSE = 1705,
        IDC_DATA_FOLDER = 1707,
        IDC_DATA_BROWSE = 1708,
        IDC_OK = 1709,
        IDC_CANCEL = 1710,
        IDC_PACKAGE_CAPTION = 1711,
        IDC_PROJECT_CAPTION = 1712,
        IDC_DATA_CAPTION = 1713,
    };
    static constexpr int kWidth = 511;
    static constexpr int kHeight = 300;

    explicit CImportDlg(QWidget* parent = nullptr);

    // Out, on OK: the package as picked, and the two folders each ending in exactly one '/'.
    QString m_packageFile;
    QString m_projectFolder;
    QString m_dataFolder;

protected:
    void CreateControls() override;
    bool CheckAndStore() override;
};
