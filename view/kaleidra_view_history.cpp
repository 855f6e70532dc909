#include "view/kaleidra_view.h"

#include "core/main_frame.h"
#include "platform/registry_store.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

platform::CRegistryStore UserStore()
{
    return platform::CRegistryStore::ForHive(platform::RegistryHive::CurrentUser);
}

std::vector<QRect> ScreenRects()
{
    std::vector<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back(screen->geometry());
    return screens;
}

} // namespace

bool CKaleidraView::LoadWindowPositions()
{
    const std::optional<CWindowPositions> positions = CWindowPositions::Load(UserStore(), ScreenRects());
    if (!positions)
        return false;
    // Position and size come back; when the window is shown is the start-up's matter.
    if (!positions->mainWindow.normal.IsEmpty())
        m_frame.setGeometry(positions->mainWindow.normal.ToQRect());
    m_itemPanelRect = positions->itemPanel;
    m_viewerRect = positions->viewer;
    return true;
}

void CKaleidraView::SaveWindowPositions()
{
    CWindowPositions positions;
    tagWINDOW_PLACEMENT& placement = positions.mainWindow;
    placement.normal = tagWINDOW_RECT::FromQRect(m_frame.normalGeometry());
    if (m_frame.isMinimized())
        placement.showCmd = tagWINDOW_PLACEMENT::SW_SHOWMINIMIZED;
    else if (m_frame.isMaximized())
        placement.showCmd = tagWINDOW_PLACEMENT::SW_SHOWMAXIMIZED;
    else
        placement.showCmd = tagWINDOW_PLACEMENT::SW_SHOWNORMAL;
    if (m_itemPanel)
        m_itemPanelRect = tagWINDOW_RECT::FromQRect(m_itemPanel->normalGeometry());
    positions.itemPanel = m_itemPanelRect;
    positions.viewer = m_viewerRect;
    platform::CRegistryStore store = UserStore();
    positions.Save(store);
}

bool CKaleidraView::LoadHistory()
{
    return m_history.LoadHistory(UserStore());
}

void CKaleidraView::SaveHistory()
{
    platform::CRegistryStore store = UserStore();
    m_history.SaveHistory(store);
}

bool CKaleidraView::AddHistory(const QString& path)
{
    return m_history.AddHistory(path);
}
