#include "core/context_menu_manager.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>

bool CLineEditCommands::IsCommandEnabled(int commandId) const
{
    const bool canCopy = m_edit.hasSelectedText() && m_edit.echoMode() == QLineEdit::Normal;
    switch (commandId) {
    case ID_EDIT_CUT:
        return canCopy && !m_edit.isReadOnly();
    case ID_EDIT_COPY:
        return canCopy;
    case ID_EDIT_PASTE:
        return !m_edit.isReadOnly() && !QGuiApplication::clipboard()->text().isEmpty();
    default:
        return false;
    }
}

void CLineEditCommands::OnCommand(int commandId)
{
    if (!IsCommandEnabled(commandId))
        return;
    // Called by name, so that an edit's own slot (one that checks the text) is the one run.
    const char* slot = commandId == ID_EDIT_CUT ? "cut" : commandId == ID_EDIT_COPY ? "copy" : "paste";
    QMetaObject::invokeMethod(&m_edit, slot);
}

void CContextMenuManager::AddMenu(const QString& name, std::vector<Entry> entries)
{
    for (Menu& menu : m_menus) {
        if (menu.name == name) {
            menu.entries = std::move(entries);
            return;
        }
    }
    m_menus.push_back({ name, std::move(entries) });
}

const CContextMenuManager::Menu* CContextMenuManager::Find(const QString& name) const
{
    for (const Menu& menu : m_menus) {
        if (menu.name == name)
            return &menu;
    }
    return nullptr;
}

bool CContextMenuManager::HasMenu(const QString& name) const
{
    return Find(name) != nullptr;
}

std::vector<CContextMenuManager::Entry> CContextMenuManager::MenuEntries(const QString& name) const
{
    const Menu* menu = Find(name);
    return menu ? menu->entries : std::vector<Entry> {};
}

std::unique_ptr<QMenu> CContextMenuManager::CreatePopupMenu(
    const QString& name, CCommandTarget* target, QWidget* parent) const
{
    const Menu* registered = Find(name);
    if (!registered)
        return nullptr;
    auto menu = std::make_unique<QMenu>(name, parent);
    for (const Entry& entry : registered->entries) {
        QAction* action = menu->addAction(entry.text);
        action->setData(entry.commandId);
        action->setEnabled(target && target->IsCommandEnabled(entry.commandId));
        if (target) {
            const int commandId = entry.commandId;
            QObject::connect(action, &QAction::triggered, menu.get(),
                [target, commandId] { target->OnCommand(commandId); });
        }
    }
    return menu;
}

int CContextMenuManager::ShowPopupMenu(
    const QString& name, const QPoint& globalPos, CCommandTarget* target, QWidget* parent) const
{
    const std::unique_ptr<QMenu> menu = CreatePopupMenu(name, target, parent);
    if (!menu)
        return 0;
    const QAction* chosen = menu->exec(globalPos);
    return chosen ? chosen->data().toInt() : 0;
}

QString EditPopupMenuName()
{
    return QStringLiteral("編集");
}

std::vector<CContextMenuManager::Entry> EditPopupMenuEntries()
{
    return {
        { QStringLiteral("切り取り(&T)\tCtrl+X"), ID_EDIT_CUT },
        { QStringLiteral("コピー(&C)\tCtrl+C"), ID_EDIT_COPY },
        { QStringLiteral("貼り付け(&P)\tCtrl+V"), ID_EDIT_PASTE },
    };
}
