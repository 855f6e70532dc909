#include "core/context_menu_manager.h"
#include "tests/core/qstring_printer.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <gtest/gtest.h>
#include <memory>

namespace {

// An edit with a paste of its own, as the masked edit has: the menu's Paste must reach it.
class CCheckingEdit : public QLineEdit {
    Q_OBJECT
public:
    int ownPastes = 0;
public slots:
    void paste() { ++ownPastes; }
};

QStringList EnabledEntries(QMenu& menu)
{
    QStringList enabled;
    for (QAction* action : menu.actions()) {
        if (action->isEnabled())
            enabled << action->text().section(QLatin1Char('\t'), 0, 0);
    }
    return enabled;
}

} // namespace

TEST(ContextMenuManager, ShowsARegisteredMenuEnabledByWhatItsTargetDoes)
{
    CContextMenuManager manager;
    manager.AddMenu(EditPopupMenuName(), EditPopupMenuEntries());
    EXPECT_EQ(manager.CreatePopupMenu(QStringLiteral("other"), nullptr, nullptr), nullptr);
    EXPECT_EQ(manager.ShowPopupMenu(QStringLiteral("other"), QPoint(), nullptr, nullptr), 0);

    QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    QLineEdit edit;
    edit.setText(QStringLiteral("abc"));
    edit.setSelection(0, 2);
    CLineEditCommands commands(edit);
    const struct {
        const char* name;
        bool readOnly;
        CCommandTarget* target;
        QStringList enabled;
    } cases[] = {
        { "an edit with a selection", false, &commands, { "切り取り(&T)", "コピー(&C)", "貼り付け(&P)" } },
        { "a read-only edit", true, &commands, { "コピー(&C)" } },
        { "a window that carries out none of them", false, nullptr, {} },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        edit.setReadOnly(c.readOnly);
        const std::unique_ptr<QMenu> menu = manager.CreatePopupMenu(EditPopupMenuName(), c.target, nullptr);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->actions().size(), 3);
        EXPECT_EQ(EnabledEntries(*menu), c.enabled);
    }

    // Choosing Cut carries it out on the edit.
    edit.setReadOnly(false);
    const std::unique_ptr<QMenu> menu = manager.CreatePopupMenu(EditPopupMenuName(), &commands, nullptr);
    menu->actions()[0]->trigger();
    EXPECT_EQ(edit.text(), QStringLiteral("c"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("ab"));
    // A read-only edit loses nothing, even when the command comes anyway.
    edit.setReadOnly(true);
    edit.selectAll();
    commands.OnCommand(ID_EDIT_CUT);
    EXPECT_EQ(edit.text(), QStringLiteral("c"));
}

TEST(ContextMenuManager, PasteGoesThroughTheEditsOwnPaste)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("x99"));
    CCheckingEdit edit;
    CLineEditCommands commands(edit);
    commands.OnCommand(ID_EDIT_PASTE);
    EXPECT_EQ(edit.ownPastes, 1);
    EXPECT_EQ(edit.text(), QString());
}

#include "context_menu_manager_test.moc"
