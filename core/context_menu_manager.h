#pragma once

#include <QPoint>
#include <QString>
#include <memory>
#include <vector>

class QLineEdit;
class QMenu;
class QWidget;

// The standard edit commands of the pop-up menus.
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_CUT = 57635;
inline constexpr int ID_EDIT_PASTE = 57637;

// What a window that shows a registered pop-up menu does with the menu's commands.
class CCommandTarget {
public:
    virtual ~CCommandTarget() = default;
    virtual bool IsCommandEnabled(int commandId) const = 0;
    virtual void OnCommand(int commandId) = 0;
};

// The edit commands carried out on a line edit through its own cut, copy and paste slots, so
// that an edit which checks what enters it (the masked edit) checks pasted text too. Cut and
// paste are offered only where the edit can be changed.
class CLineEditCommands final : public CCommandTarget {
public:
    explicit CLineEditCommands(QLineEdit& edit)
        : m_edit(edit)
    {
    }
    bool IsCommandEnabled(int commandId) const override;
    void OnCommand(int commandId) override;

private:
    QLineEdit& m_edit;
};

// The context-menu manager: pop-up menus registered by name at start and shown by the windows on
// a right-click. A menu's entries are enabled only when the window's target carries them out.
class CContextMenuManager {
public:
    struct Entry {
        QString text; // with its "&" mnemonic and, after a tab, its shortcut
        int commandId = 0;
    };

    void AddMenu(const QString& name, std::vector<Entry> entries);
    bool HasMenu(const QString& name) const;
    std::vector<Entry> MenuEntries(const QString& name) const;

    // Builds the named menu for a target (null: every entry greyed); choosing an entry calls the
    // target's OnCommand. Null for a name that was never registered.
    std::unique_ptr<QMenu> CreatePopupMenu(
        const QString& name, CCommandTarget* target, QWidget* parent) const;
    // Shows the named menu at a screen position and carries out the chosen command; returns the
    // command id, 0 when nothing was chosen.
    int ShowPopupMenu(
        const QString& name, const QPoint& globalPos, CCommandTarget* target, QWidget* parent) const;

private:
    struct Menu {
        QString name;
        std::vector<Entry> entries;
    };
    const Menu* Find(const QString& name) const;

    std::vector<Menu> m_menus;
};

// The editor's edit pop-up menu ("編集": cut, copy, paste), registered at start.
QString EditPopupMenuName();
std::vector<CContextMenuManager::Entry> EditPopupMenuEntries();
