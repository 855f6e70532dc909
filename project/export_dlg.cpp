#include "project/export_dlg.h"

#include "controls/msk_edit.h"
#include "core/dialog_services.h"
#include "core/language_data.h"
#include "project/package_paths.h"

using namespace dialog_services;

CExportDlg::CExportDlg(QWidget* parent)
    : CPackagePathDlg(kWidth, kHeight, parent)
{
}

void CExportDlg::CreateControls()
{
    const CLanguageData& text = Language();
    setWindowTitle(text.GetExTitle());
    const Fonts fonts { CSkinIni::kGetExportDlgCommentFont, CSkinIni::kGetExportDlgButtonFont,
        CSkinIni::kGetExportDlgControlFont };
    const QString typeName = text.GetFileTypeProject();
    AddPathRow({ IDC_PROJECT_CAPTION, IDC_PROJECT, IDC_PROJECT_BROWSE, 10, text.GetExCaptionProject() },
        fonts, [typeName] { return BrowseFile(typeName, QStringLiteral("kdp")); });
    AddPathRow({ IDC_FOLDER_CAPTION, IDC_FOLDER, IDC_FOLDER_BROWSE, 78, text.GetExCaptionFolder() }, fonts,
        [] { return BrowseFolder(); });
    AddButtons(IDC_OK, IDC_CANCEL, 151, text.GetExBtnOk(), text.GetExBtnCancel(), fonts);
}

bool CExportDlg::CheckAndStore()
{
    const QString folder = ItemAs<CMskEdit>(IDC_FOLDER)->text();
    const QString project = ItemAs<CMskEdit>(IDC_PROJECT)->text();
    const PackagePathCheck check = CheckExportPaths(folder, project);
    if (!check.Passed()) {
        Refuse(check.messageId, check.field == kExportOutputFolder ? IDC_FOLDER : IDC_PROJECT);
        return false;
    }
    m_outputFolder = FolderWithOneSeparator(folder);
    m_projectFile = project;
    return true;
}
