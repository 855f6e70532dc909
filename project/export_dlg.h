#pragma once

#include "project/package_path_dlg.h"

// The dialog of the Create package command: the project file to pack and the folder that
// receives the package. It only collects and checks the two paths, both picked by browsing.
class CExportDlg : public CPackagePathDlg {
    Q_OBJECT

public:
    enum ControlId : int {
        IDC_FOLDER = 1351,
        IDC_FOLDER_BROWSE = 1352,
        IDC_PROJECT = 1354,
        IDC_PROJECT_BROWSE = 1355,
        IDC_OK = 1356,
        IDC_CANCEL = 1357,
        IDC_FOLDER_CAPTION = 1358,
        IDC_PROJECT_CAPTION = 1359,
    };
    static constexpr int kWidth = 511;
    static constexpr int kHeight = 230;

    explicit CExportDlg(QWidget* parent = nullptr);

    // Out, on OK: the folder ending in exactly one '/', and the project file as picked.
    QString m_outputFolder;
    QString m_projectFile;

protected:
    void CreateControls() override;
    bool CheckAndStore() override;
};
