#include "app/kaleidra/shell_document_view.h"

#include "core/kaleidra_app.h"
#include "core/main_frame.h"
#include "core/skin_ini.h"

#include <QPalette>

bool CShellDocument::OpenDocumentFile(const QString& path)
{
    m_pathToOpen = path;
    return true;
}

CShellView::CShellView(CMainFrame& frame, CShellDocument& document)
    : QWidget(&frame)
    , m_document(document)
    , m_requestedProject(document.PathToOpen())
{
    if (CKaleidraApp* app = KaleidraApp()) {
        app->UpdateFontScales(frame.screen());
        if (const CSkinIni* skin = app->Skin()) {
            QPalette palette = this->palette();
            palette.setColor(
                QPalette::Window, platform::ToQColor(skin->GetColor(CSkinIni::COLOR_BACKGROUND)));
            setPalette(palette);
            setAutoFillBackground(true);
        }
    }
    connect(&frame, &CMainFrame::ProjectPathHandedOver, this, &CShellView::OpenProjectFile);
}

void CShellView::OpenProjectFile(const QString& path)
{
    m_requestedProject = path;
}
