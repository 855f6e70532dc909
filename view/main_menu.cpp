#include "view/main_menu.h"

#include "core/language_data.h"

#include <QMenu>
#include <QMenuBar>
#include <functional>
#include <vector>

namespace {

using TextGetter = QString (CLanguageData::*)() const;

// One entry of the menu: a command, a separator (id 0 without children) or a pop-up.
struct MenuEntry {
    int id = 0;
    TextGetter text = nullptr;
    const char16_t* suffix = u"";
    const char16_t* fixedText = nullptr; // a text of its own instead of the language's
    std::vector<MenuEntry> children;
    bool popup = false;
};

MenuEntry Command(int id, TextGetter text, const char16_t* suffix)
{
    return { id, text, suffix, nullptr, {}, false };
}
MenuEntry FixedCommand(int id, const char16_t* text)
{
    return { id, nullptr, u"", text, {}, false };
}
MenuEntry Separator()
{
    return {};
}
MenuEntry Popup(TextGetter text, const char16_t* suffix, std::vector<MenuEntry> children)
{
    return { 0, text, suffix, nullptr, std::move(children), true };
}

const std::vector<MenuEntry>& MainMenuEntries()
{
    using L = CLanguageData;
    namespace c = menu_command;
    static const std::vector<MenuEntry> entries = {
        Popup(&L::GetFileMenuFile, u"(&F)",
            {
                Command(c::kNewProject, &L::GetFileMenuNew, u"(&N)\tCtrl+Shift+N"),
                Command(c::kOpenProject, &L::GetFileMenuOpen, u"(&O)\tCtrl+Shift+O"),
                Separator(),
                Command(c::kSaveProject, &L::GetFileMenuSave, u"(&S)\t Ctrl+S"),
                Command(c::kSaveProjectAs, &L::GetFileMenuSaveAs, u"(&A)"),
                Command(c::kCloseProject, &L::GetFileMenuClose, u"(&C)"),
                Separator(),
                Command(c::kExport, &L::GetFileMenuExport, u"(&P)"),
                Command(c::kImport, &L::GetFileMenuImport, u"(&I)"),
                Separator(),
                Command(c::kExit, &L::GetFileMenuExit, u"(&X)"),
            }),
        Popup(&L::GetEditMenuEdit, u"(&E)",
            {
                Command(c::kUndo, &L::GetEditMenuUndo, u"(&U)\tCtrl+Z "),
                Command(c::kRedo, &L::GetEditMenuRedo, u"(&R)\tCtrl+Y "),
                Separator(),
                Command(c::kFaceAdd, &L::GetEditMenuFaceAdd, u"(&A)\tCtrl+A "),
                Separator(),
                Command(c::kCopy, &L::GetEditMenuCopy, u"(&C)\tCtrl+C "),
                Command(c::kAllDelete, &L::GetEditMenuAllDelete, u"(&D)\tDelete "),
                Separator(),
                Command(c::kPackLeft, &L::GetEditMenuLeft, u"(&F)\tCtrl+←"),
                Command(c::kPackRight, &L::GetEditMenuRight, u"(&B)\tCtrl+→"),
                Command(c::kSplit, &L::GetEditMenuCut, u"(&K)\tCtrl+K "),
                Separator(),
                Command(c::kSetIn, &L::GetEditMenuIn, u"(&I)\tCtrl+I "),
                Command(c::kSetOut, &L::GetEditMenuOut, u"(&O)\tCtrl+O"),
                // Position 14.
                Popup(&L::GetAlignMenuAlign, u"",
                    {
                        Popup(&L::GetAlignMenuStartTime, u"",
                            {
                                Command(c::kAlignStartEarly, &L::GetAlignMenuStartEarly, u"(&E)"),
                                Command(c::kAlignStartLate, &L::GetAlignMenuStartLate, u"(&L)"),
                            }),
                        Popup(&L::GetAlignMenuPlayTime, u"",
                            {
                                Command(c::kAlignPlayShort, &L::GetAlignMenuPlayShort, u"(&S)"),
                                Command(c::kAlignPlayLong, &L::GetAlignMenuPlayLong, u"(&L)"),
                            }),
                    }),
            }),
        Popup(&L::GetViewMenuView, u"(&V)",
            {
                Command(c::kPreview, &L::GetViewMenuPreview, u"(&V)"),
                Separator(),
                Command(c::kPropertyPage, &L::GetViewMenuPropety, u"(&P)"),
                Command(c::kEffectPage, &L::GetViewMenuEffect, u"(&E)"),
                Command(c::kFilterPage, &L::GetViewMenuFilter, u"(&F)"),
            }),
        Popup(&L::GetControlMenuControl, u"(&C)",
            {
                FixedCommand(c::kTop, u"TOP(&T)\tCtrl+T"),
                FixedCommand(c::kScreen, u"SCREEN(&P)\tCtrl+P"),
                FixedCommand(c::kGuide, u"GUIDE(&G)\tCtrl+G"),
                FixedCommand(c::kLoop, u"LOOP(&L)\tCtrl+L"),
                FixedCommand(c::kStartPause, u"START/PAUSE(&S)\tSpace"),
            }),
        Popup(&L::GetRemoteMenuRemote, u"(&R)",
            {
                Command(c::kRemoteConnect, &L::GetRemoteMenuConnect, u"(&C)"),
                Command(c::kRemoteDisconnect, &L::GetRemoteMenuDisconnect, u"(&D)"),
                Separator(),
                Command(c::kRemoteHost, &L::GetRemoteMenuHost, u"(&H)"),
            }),
        Popup(&L::GetSettingMenuSetting, u"(&S)",
            {
                Command(c::kSettings, &L::GetSettingMenuIni, u"(&S)"),
                Command(c::kCameraSettings, &L::GetSettingMenuCamera, u"(&C)"),
            }),
        Popup(&L::GetHelpMenuHelp, u"(&H)",
            {
                Command(c::kManual, &L::GetHelpMenuManual, u"(&M)"),
                Command(c::kSupport, &L::GetHelpMenuSupport, u"(&S)"),
                Separator(),
                Command(c::kVersion, &L::GetHelpMenuVersion, u"(&A)"),
            }),
    };
    return entries;
}

// Qt shows the text after a tab as the shortcut column, as the menus were written.
void AddEntries(QMenu& menu, const std::vector<MenuEntry>& entries)
{
    for (const MenuEntry& entry : entries) {
        if (entry.popup) {
            AddEntries(*menu.addMenu(QString()), entry.children);
        } else if (entry.id == 0) {
            menu.addSeparator();
        } else {
            QAction* action
                = menu.addAction(entry.fixedText ? QString::fromUtf16(entry.fixedText) : QString());
            action->setProperty("commandId", entry.id);
        }
    }
}

QString EntryText(const MenuEntry& entry, const CLanguageData& language)
{
    if (entry.fixedText)
        return QString::fromUtf16(entry.fixedText);
    return (language.*entry.text)() + QString::fromUtf16(entry.suffix);
}

void SetTexts(
    const QList<QAction*>& actions, const std::vector<MenuEntry>& entries, const CLanguageData& language)
{
    for (size_t index = 0; index < entries.size() && index < size_t(actions.size()); ++index) {
        const MenuEntry& entry = entries[index];
        QAction* action = actions[qsizetype(index)];
        if (entry.popup || entry.id != 0)
            action->setText(EntryText(entry, language));
        if (entry.popup && action->menu())
            SetTexts(action->menu()->actions(), entry.children, language);
    }
}

} // namespace

void BuildMainMenu(QMenuBar& menuBar)
{
    menuBar.clear();
    for (const MenuEntry& entry : MainMenuEntries())
        AddEntries(*menuBar.addMenu(QString()), entry.children);
}

void SetMenuTexts(QMenuBar& menuBar, const CLanguageData& language)
{
    SetTexts(menuBar.actions(), MainMenuEntries(), language);
}

QAction* FindMenuCommand(const QMenuBar& menuBar, int commandId)
{
    for (QAction* action : menuBar.findChildren<QAction*>())
        if (action->property("commandId").toInt() == commandId)
            return action;
    return nullptr;
}
