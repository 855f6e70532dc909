#include "timeline/timeline_menu.h"

namespace timeline {

namespace {

MenuEntry Command(int id, const char16_t* text)
{
    MenuEntry entry;
    entry.commandId = id;
    entry.text = QString::fromUtf16(text);
    return entry;
}

MenuEntry Popup(const char16_t* text, std::vector<MenuEntry> entries)
{
    MenuEntry entry;
    entry.kind = MenuEntry::Kind::Popup;
    entry.text = QString::fromUtf16(text);
    entry.entries = std::move(entries);
    return entry;
}

MenuEntry Separator()
{
    MenuEntry entry;
    entry.kind = MenuEntry::Kind::Separator;
    return entry;
}

} // namespace

MenuEntry* MenuEntry::FindCommand(int id)
{
    return const_cast<MenuEntry*>(static_cast<const MenuEntry*>(this)->FindCommand(id));
}

const MenuEntry* MenuEntry::FindCommand(int id) const
{
    if (kind == Kind::Command && commandId == id)
        return this;
    for (const MenuEntry& entry : entries) {
        if (const MenuEntry* found = entry.FindCommand(id))
            return found;
    }
    return nullptr;
}

MenuEntry* MenuEntry::At(int position)
{
    return position >= 0 && position < int(entries.size()) ? &entries[size_t(position)] : nullptr;
}

MenuEntry MakeContextMenu()
{
    return Popup(u"",
        {
            Popup(u"設定",
                { Command(ID_ITEM_PROPERTIES, u"プロパティ"), Command(ID_ITEM_EFFECT, u"エフェクト"),
                    Command(ID_ITEM_FILTER, u"フィルター") }),
            Separator(),
            Popup(u"FACE",
                { Command(ID_FACE_ADD, u"追加\tCtrl+A"), Command(ID_FACE_DELETE, u"削除"),
                    Command(ID_FACE_INSERT, u"挿入"), Separator(),
                    Command(ID_FACE_POSITION_COPY, u"表示位置コピー"),
                    Command(ID_FACE_POSITION_PASTE, u"表示位置貼り付け"),
                    Command(ID_FACE_POSITION_CLEAR, u"表示位置クリア") }),
            Separator(),
            Popup(u"ITEM",
                {
                    Popup(u"追加",
                        { Command(ID_ITEM_ADD_NONE, u"NONE"), Command(ID_ITEM_ADD_IMAGE, u"IMAGE"),
                            Command(ID_ITEM_ADD_CAMERA, u"CAMERA"), Command(ID_ITEM_ADD_MOVIE, u"MOVIE"),
                            Command(ID_ITEM_ADD_SOUND, u"SOUND"), Command(ID_ITEM_ADD_LINK, u"LINK") }),
                    Command(ID_ITEM_DELETE, u"削除"),
                    Command(ID_ITEM_DELETE_SELECTED, u"選択ITEM全削除\tDelete"),
                    Separator(),
                    Popup(u"エフェクト",
                        { Command(ID_EFFECT_DISPLAY, u"表示切換え"), Separator(),
                            Command(ID_EFFECT_COPY, u"コピー"), Command(ID_EFFECT_PASTE, u"貼り付け"),
                            Separator(), Command(ID_EFFECT_CLEAR_IN_OUT, u"IN、OUT クリア"),
                            Command(ID_EFFECT_CLEAR_IN, u"IN クリア"),
                            Command(ID_EFFECT_CLEAR_OUT, u"OUT クリア") }),
                    Separator(),
                    Popup(u"フィルター",
                        { Command(ID_FILTER_COPY, u"コピー"), Command(ID_FILTER_PASTE, u"貼り付け"),
                            Separator(), Command(ID_FILTER_CLEAR, u"クリア") }),
                }),
            Popup(u"編集",
                { Command(ID_ITEM_COPY, u"コピー\tCtrl+C"), Command(ID_ITEM_PASTE, u"貼り付け"), Separator(),
                    Command(ID_ITEM_SELECT_ALL_IN_FACE, u"FACEの全ITEMを選択"), Separator(),
                    Command(ID_ITEM_PACK_FORWARD, u"前へ詰める\tCtrl+←"),
                    Command(ID_ITEM_PACK_BACKWARD, u"後ろへ詰める\tCtrl+→") }),
            Popup(u"整列",
                { Popup(u"開始時間",
                      { Command(ID_ALIGN_START_EARLIEST, u"最も早いITEMに合わせる"),
                          Command(ID_ALIGN_START_LATEST, u"最も遅いITEMに合わせる") }),
                    Popup(u"再生時間",
                        { Command(ID_ALIGN_DURATION_SHORTEST, u"最も短いITEMに合わせる"),
                            Command(ID_ALIGN_DURATION_LONGEST, u"最も長いITEMに合わせる") }) }),
        });
}

void DisableCommands(MenuEntry& menu, std::initializer_list<int> commandIds)
{
    for (int id : commandIds) {
        if (MenuEntry* entry = menu.FindCommand(id))
            entry->enabled = false;
    }
}

} // namespace timeline
