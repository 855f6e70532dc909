#include "project/import_dlg.h"

#include "controls/msk_edit.h"
#include "core/dialog_services.h"
#include "core/language_data.h"
#include "project/package_paths.h"

using namespace dialog_services;

CImportDlg::CImportDlg(QWidget* parent)
    : CPackagePathDlg(kWidth, kHeight, parent)
{
}

void CImportDlg::CreateControls()
{
    const CLanguageData& text = Language();
    setWindowTitle(text.GetImTitle());
    const Fonts fonts { CSkinIni::kGetImportDlgCommentFont, CSkinIni::kGetImportDlgButtonFont,
        CSkinIni::kGetImportDlgControlFont };
    const QString typeName = text.GetFileTypePackage();
    AddPathRow({ IDC_PACKAGE_CAPTION, IDC_PACKAGE, IDC_PACKAGE_BROWSE, 10, text.GetImCaptionPackage() },
        fonts, [typeName] { return BrowseFile(typeName, QStringLiteral("kdpp")); });
    AddPathRow(
        { IDC_PROJECT_CAPTION, IDC_PROJECT_FOLDER, IDC_PROJECT_BROWSE, 78, text.GetImCaptionProject() },
        fonts, [] { return BrowseFolder(); });
    AddPathRow({ IDC_DATA_CAPTION, IDC_DATA_FOLDER, IDC_DATA_BROWSE, 146, text.GetImCaptionData() }, fonts,
        [] { return BrowseFolder(); });
    AddButtons(IDC_OK, IDC_CANCEL, 219, text.GetImBtnOk(), text.GetImBtnCancel(), fonts);
}

bool CImportDlg::CheckAndStore()
{
    const QString package = ItemAs<CMskEdit>(IDC_PACKAGE)->text();
    const QString projectFolder = ItemAs<CMskEdit>(IDC_PROJECT_FOLDER)->text();
    const QString dataFolder = ItemAs<CMskEdit>(IDC_DATA_FOLDER)->text();
    const PackagePathCheck check = CheckImportPaths(package, projectFolder, dataFolder);
    if (!check.Passed()) {
        const int fields[] = { IDC_PACKAGE, IDC_PROJECT_FOLDER, IDC_DATA_FOLDER };
        Refuse(check.messageId, fields[check.field]);
        return false;
    }
    m_packageFile = package;
    m_projectFolder = FolderWithOneSeparator(projectFolder);
    m_dataFolder = FolderWithOneSeparator(dataFolder);
    return true;
}
