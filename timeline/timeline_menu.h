#pragma once

#include <QString>
#include <vector>

// The timeline's pop-up menu as data: the widget turns it into a QMenu. Entries are found by
// command id or by position, as the language texts address them.
namespace timeline {

// Command ids of the pop-up menu.
enum MenuCommand : int {
    ID_FACE_ADD = 32771,
    ID_FACE_DELETE = 32772,
    ID_ITEM_DELETE_SELECTED = 32773,
    ID_ITEM_PROPERTIES = 32775,
    ID_ITEM_ADD_NONE = 32776,
    ID_ITEM_EFFECT = 32781,
    ID_ITEM_FILTER = 32782,
    ID_FACE_INSERT = 32814,
    ID_FACE_POSITION_CLEAR = 32816,
    ID_ITEM_DELETE = 32817,
    ID_ITEM_ADD_IMAGE = 32820,
    ID_ITEM_ADD_CAMERA = 32821,
    ID_ITEM_ADD_MOVIE = 32822,
    ID_ITEM_ADD_SOUND = 32823,
    ID_ITEM_ADD_LINK = 32824,
    ID_ITEM_COPY = 32833,
    ID_ITEM_PASTE = 32835,
    ID_ITEM_SELECT_ALL_IN_FACE = 32836,
    ID_ITEM_PACK_FORWARD = 32838,
    ID_ITEM_PACK_BACKWARD = 32839,
    ID_ALIGN_START_EARLIEST = 32844,
    ID_ALIGN_START_LATEST = 32845,
    ID_ALIGN_DURATION_SHORTEST = 32846,
    ID_ALIGN_DURATION_LONGEST = 32847,
    ID_EFFECT_CLEAR_IN = 32864,
    ID_EFFECT_CLEAR_OUT = 32865,
    ID_EFFECT_CLEAR_IN_OUT = 32866,
    ID_FILTER_CLEAR = 32867,
    ID_EFFECT_DISPLAY = 32870,
    ID_EFFECT_COPY = 32874,
    ID_EFFECT_PASTE = 32876,
    ID_FILTER_COPY = 32877,
    ID_FILTER_PASTE = 32878,
    ID_FACE_POSITION_COPY = 32883,
    ID_FACE_POSITION_PASTE = 32884,
};

struct MenuEntry {
    enum class Kind { Command, Popup, Separator };

    Kind kind = Kind::Command;
    int commandId = 0; // commands only
    QString text;
    bool enabled = true;
    bool checked = false;
    std::vector<MenuEntry> entries; // popups only

    // The command with that id anywhere below this entry; null when none.
    MenuEntry* FindCommand(int id);
    const MenuEntry* FindCommand(int id) const;
    // The entry at a position of this popup; null outside.
    MenuEntry* At(int position);
};

// The pop-up menu with the captions of its resource: settings, FACE, ITEM, edit and align
// popups with separators after the settings and FACE popups.
MenuEntry MakeContextMenu();

// Greys (enabled = false) every command of the list found in the menu.
void DisableCommands(MenuEntry& menu, std::initializer_list<int> commandIds);

} // namespace timeline
