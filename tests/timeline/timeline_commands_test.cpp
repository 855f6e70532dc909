#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/timeline/timeline_fixtures.h"

using namespace timeline;
using Mode = tagTL_FACE_ITEM_DATA;

namespace {

class TimelineCommands : public CTimeLineFixture {
protected:
    // The enabled state of every command of the menu.
    static std::map<int, bool> Enabled(const MenuEntry& entry, std::map<int, bool> states = {})
    {
        if (entry.kind == MenuEntry::Kind::Command)
            states[entry.commandId] = entry.enabled;
        for (const MenuEntry& child : entry.entries)
            states = Enabled(child, states);
        return states;
    }
    static std::vector<int> Disabled(const MenuEntry& menu)
    {
        std::vector<int> ids;
        for (const auto& [id, enabled] : Enabled(menu)) {
            if (!enabled)
                ids.push_back(id);
        }
        return ids;
    }
    CScriptedDialogService dialogs;
};

const std::vector<int> kAddItem = { ID_ITEM_ADD_NONE, ID_ITEM_ADD_IMAGE, ID_ITEM_ADD_CAMERA,
    ID_ITEM_ADD_MOVIE, ID_ITEM_ADD_SOUND, ID_ITEM_ADD_LINK };

std::vector<int> Sorted(std::vector<int> ids)
{
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

std::vector<int> Join(std::initializer_list<std::vector<int>> lists)
{
    std::vector<int> all;
    for (const auto& list : lists)
        all.insert(all.end(), list.begin(), list.end());
    return Sorted(all);
}

TEST_F(TimelineCommands, TheMenuGreysWhatTheClickDoesNotAllow)
{
    Load({ Face(1, { Item(1, 1000, 500) }), Face(2, { Item(2, 1000, 500) }, 1) });
    const std::vector<int> noItem = { ID_ITEM_DELETE_SELECTED, ID_ITEM_DELETE, ID_ITEM_COPY,
        ID_ITEM_PACK_FORWARD, ID_ITEM_PACK_BACKWARD, ID_ALIGN_START_EARLIEST, ID_ALIGN_START_LATEST,
        ID_ALIGN_DURATION_SHORTEST, ID_ALIGN_DURATION_LONGEST, ID_EFFECT_CLEAR_IN_OUT, ID_EFFECT_CLEAR_IN,
        ID_EFFECT_CLEAR_OUT, ID_FILTER_CLEAR, ID_EFFECT_COPY, ID_EFFECT_PASTE, ID_FILTER_COPY,
        ID_FILTER_PASTE };
    const std::vector<int> noFace = { ID_FACE_DELETE, ID_FACE_INSERT, ID_FACE_POSITION_COPY,
        ID_FACE_POSITION_PASTE, ID_FACE_POSITION_CLEAR, ID_ITEM_SELECT_ALL_IN_FACE, ID_ITEM_PASTE };
    const std::vector<int> emptyBuffers
        = { ID_ITEM_PASTE, ID_EFFECT_PASTE, ID_FILTER_PASTE, ID_FACE_POSITION_PASTE };
    const std::vector<int> lockedFace = { ID_FACE_DELETE, ID_FACE_POSITION_COPY, ID_FACE_POSITION_PASTE,
        ID_FACE_POSITION_CLEAR, ID_ITEM_DELETE_SELECTED, ID_ITEM_DELETE, ID_EFFECT_CLEAR_IN_OUT,
        ID_EFFECT_CLEAR_IN, ID_EFFECT_CLEAR_OUT, ID_FILTER_CLEAR, ID_ITEM_PASTE, ID_ITEM_PACK_FORWARD,
        ID_ITEM_PACK_BACKWARD, ID_ALIGN_START_EARLIEST, ID_ALIGN_START_LATEST, ID_ALIGN_DURATION_SHORTEST,
        ID_ALIGN_DURATION_LONGEST };
    struct Case {
        const char* name;
        int32_t time;
        int row;
        std::vector<int> disabled;
        int32_t projectLength = 10000;
    };
    const Case cases[] = {
        { "below the last face: only FACE add, the display toggle and the pages", 500, 4,
            Join({ noItem, noFace, emptyBuffers, kAddItem }) },
        { "empty track before the project's end", 3000, 0, Join({ noItem, emptyBuffers }) },
        { "empty track at the project's end", 3000, 0, Join({ noItem, emptyBuffers, kAddItem }), 3000 },
        { "an item", 1200, 0, Join({ emptyBuffers, kAddItem }) },
        { "an item of a locked face: copies stay", 1200, 1, Join({ lockedFace, emptyBuffers, kAddItem }) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        model.SetProjectLength(c.projectLength);
        EXPECT_TRUE(model.OnRButtonUp(XOf(c.time), YOfRow(c.row), false));
        EXPECT_EQ(Disabled(model.BuildContextMenu()), c.disabled);
    }
}

TEST_F(TimelineCommands, TheReleaseSelectsWhatLiesUnderIt)
{
    Load({ Face(1, { Item(1, 1000, 500), Item(1, 2000, 500) }), Face(2, { Link(2, 1000, 500, 1) }) });
    ASSERT_TRUE(model.OnRButtonUp(XOf(1200), YOfRow(0), false));
    EXPECT_EQ(model.Selection().size(), 2u) << "the item and its LINK";
    EXPECT_EQ(model.CurrentItem(), (TlItemRef { 1, 1000 }));
    EXPECT_EQ(model.CurrentFace(), 1);
    EXPECT_EQ(model.ClickedTime(), 1200);
    EXPECT_EQ(owner.Log(), QStringList { QStringLiteral("SELECT_FACE 1@1000") });
    EXPECT_EQ(panel.shown, At(1, 1000));

    owner.Clear();
    model.OnRButtonUp(XOf(2200), YOfRow(0), true);
    EXPECT_EQ(model.Selection().size(), 3u) << "Ctrl adds";
    model.OnRButtonUp(XOf(1200), YOfRow(0), false);
    EXPECT_EQ(model.Selection().size(), 3u) << "a selected item keeps the selection";
    model.OnRButtonUp(XOf(2200), YOfRow(1), false);
    EXPECT_TRUE(model.Selection().empty()) << "empty track empties it";
    EXPECT_FALSE(model.CurrentItem().IsSet());
    EXPECT_FALSE(panel.shown.has_value());
    EXPECT_EQ(owner.Log().last(), QStringLiteral("SELECT_FACE 0"));
    model.OnRButtonUp(XOf(1000), YOfRow(0), false);
    EXPECT_TRUE(model.Selection().empty()) << "an item's start belongs to the time before it";

    model.OnRButtonUp(XOf(1200), YOfRow(0), false);
    model.OnRButtonUp(XOf(1200), 5, false);
    EXPECT_EQ(model.Selection().size(), 2u) << "off the rows the selection stays";
    model.SetMouseState(TL_MOUSE_ITEM_MOVE);
    EXPECT_FALSE(model.OnRButtonUp(XOf(2200), YOfRow(0), false)) << "no menu during a drag";
    EXPECT_EQ(model.Selection().size(), 1u) << "but the selection follows the click";
    model.SetMouseState(TL_MOUSE_NONE);
    model.SetProjectOpen(false);
    EXPECT_FALSE(model.OnRButtonUp(XOf(2200), YOfRow(0), false));
}

TEST_F(TimelineCommands, PageEntriesAreCheckedForTheVisiblePanel)
{
    Load({ Face(1) });
    model.OnRButtonUp(XOf(100), YOfRow(0), false);
    EXPECT_FALSE(model.BuildContextMenu().FindCommand(ID_ITEM_EFFECT)->checked);
    panel.visible = true;
    panel.tab = 1;
    panel.effectsTabEnabled = false;
    const MenuEntry menu = model.BuildContextMenu();
    EXPECT_FALSE(menu.FindCommand(ID_ITEM_PROPERTIES)->checked);
    EXPECT_TRUE(menu.FindCommand(ID_ITEM_EFFECT)->checked);
    EXPECT_FALSE(menu.FindCommand(ID_EFFECT_DISPLAY)->enabled) << "the effects page cannot be chosen";
    ASSERT_TRUE(model.RunCommand(ID_ITEM_FILTER));
    EXPECT_EQ(panel.calls.mid(panel.calls.size() - 2),
        (QStringList { QStringLiteral("ShowPanel"), QStringLiteral("SelectTab 2") }));
    EXPECT_FALSE(model.RunCommand(12345));
}

TEST_F(TimelineCommands, FaceCommands)
{
    Load({ Face(1), Face(2, { Item(2, 100, 100) }), Face(3) });
    model.OnRButtonUp(XOf(100), YOfRow(1), false);
    dialogs.AnswerMessageBox(platform::IDOK);
    ASSERT_TRUE(model.RunCommand(ID_FACE_DELETE));
    EXPECT_EQ(dialogs.MessageTexts(),
        std::vector<QString> { QStringLiteral("FACEにITEMが存在します。ITEMから削除してください。") });
    EXPECT_EQ(model.FaceCount(), 3) << "a face with items is not deleted";

    dialogs.Clear();
    model.SetMessageTexts({ QString(), QStringLiteral("Delete face %d?"), QString(), QString() });
    model.OnRButtonUp(XOf(100), YOfRow(2), false);
    dialogs.AnswerMessageBox(platform::IDNO);
    model.RunCommand(ID_FACE_DELETE);
    EXPECT_EQ(model.FaceCount(), 3);
    dialogs.AnswerMessageBox(platform::IDYES);
    owner.Clear();
    model.RunCommand(ID_FACE_DELETE);
    EXPECT_EQ(dialogs.MessageTexts().back(), QStringLiteral("Delete face 3?"));
    EXPECT_EQ(model.FaceCount(), 2);
    EXPECT_EQ(owner.Log(),
        (QStringList { QStringLiteral("CHANGE_GROUP 1"), QStringLiteral("FACE_DELETED 3"),
            QStringLiteral("CHANGE_GROUP 0") }));

    // Insert before the clicked face 2: a new face 2 with the default corners of number 2.
    model.OnRButtonUp(XOf(100), YOfRow(1), false);
    owner.Clear();
    model.RunCommand(ID_FACE_INSERT);
    ASSERT_EQ(model.FaceCount(), 3);
    EXPECT_EQ(Describe(model), QStringLiteral("1:  | 2:  | 3: 100+100 IMAGE"));
    tagTL_FACE_DATA inserted;
    model.GetFaceData(1, 2, inserted);
    EXPECT_EQ(inserted.X[0], 830);
    EXPECT_EQ(inserted.R, int32_t(model.FrameColors()[2] & 0xFF)) << "the colour of entry (faces + 1)";
    EXPECT_EQ(owner.Of(WM_TL_FACE_INSERTED).size(), 1u);

    // Display positions: copy face 1's, paste onto face 3, clear face 3's.
    tagTL_FACE_DATA moved;
    model.GetFaceData(1, 1, moved);
    moved.X = { 1, 2, 3, 4 };
    model.SetFaceDisplayPosition(moved);
    model.OnRButtonUp(XOf(5000), YOfRow(0), false);
    model.RunCommand(ID_FACE_POSITION_COPY);
    model.OnRButtonUp(XOf(5000), YOfRow(2), false);
    model.RunCommand(ID_FACE_POSITION_PASTE);
    tagTL_FACE_DATA third;
    model.GetFaceData(1, 3, third);
    EXPECT_EQ(third.X, moved.X);
    model.RunCommand(ID_FACE_POSITION_CLEAR);
    model.GetFaceData(1, 3, third);
    EXPECT_EQ(third.X, (std::array<int32_t, 4> { 860, 1180, 1180, 860 }));

    owner.Clear();
    model.RunCommand(ID_FACE_ADD);
    EXPECT_EQ(owner.Log(), QStringList { QStringLiteral("FACE_ADDED 4") });
    EXPECT_TRUE(dialogs.AllAnswersUsed());
    EXPECT_TRUE(TimelineInvariantsHold(model));
}

TEST_F(TimelineCommands, ItemCommands)
{
    Load({ Face(1, { Item(1, 1000, 500), Item(1, 2000, 500) }), Face(2, { Link(2, 1000, 500, 1) }) });
    // Add on empty track at the clicked time.
    model.OnRButtonUp(XOf(3000), YOfRow(1), false);
    model.RunCommand(ID_ITEM_ADD_MOVIE);
    EXPECT_EQ(Describe(model),
        QStringLiteral("1: 1000+500 IMAGE, 2000+500 IMAGE | 2: 1000+500 LINK>1, 3000+7000 MOVIE"));

    // Select all items of face 1: with the LINK of the first.
    model.OnRButtonUp(XOf(600), YOfRow(0), false);
    model.RunCommand(ID_ITEM_SELECT_ALL_IN_FACE);
    EXPECT_EQ(model.Selection().size(), 3u);

    // Deleting the selection asks with the count; one item asks the single-item question.
    dialogs.AnswerMessageBox(platform::IDNO);
    model.RunCommand(ID_ITEM_DELETE_SELECTED);
    EXPECT_EQ(
        dialogs.MessageTexts().back(), QStringLiteral("選択中の3個のITEMを削除します。よろしいですか？"));
    EXPECT_EQ(model.Selection().size(), 3u);
    model.OnRButtonUp(XOf(3200), YOfRow(1), false);
    dialogs.AnswerMessageBox(platform::IDYES);
    model.RunCommand(ID_ITEM_DELETE_SELECTED);
    EXPECT_EQ(dialogs.MessageTexts().back(), QStringLiteral("ITEMを削除します。よろしいですか？"));
    EXPECT_FALSE(Has(2, 3000));

    // Deleting the clicked item frees its LINK.
    model.OnRButtonUp(XOf(1200), YOfRow(0), false);
    dialogs.AnswerMessageBox(platform::IDYES);
    model.RunCommand(ID_ITEM_DELETE);
    EXPECT_EQ(Describe(model), QStringLiteral("1: 2000+500 IMAGE | 2: 1000+500 IMAGE"));

    // Copy the clicked item and paste it on face 2 at the clicked time.
    model.OnRButtonUp(XOf(2200), YOfRow(0), false);
    model.RunCommand(ID_ITEM_COPY);
    model.OnRButtonUp(XOf(4000), YOfRow(1), false);
    model.RunCommand(ID_ITEM_PASTE);
    EXPECT_EQ(Describe(model), QStringLiteral("1: 2000+500 IMAGE | 2: 1000+500 IMAGE, 4000+500 IMAGE"));
    EXPECT_TRUE(dialogs.AllAnswersUsed());
    EXPECT_TRUE(TimelineInvariantsHold(model));
}

TEST_F(TimelineCommands, EditCommandsRunTheirOperations)
{
    Load({ Face(1, { Item(1, 0, 300), Item(1, 1000, 500) }), Face(2, { Item(2, 2000, 200) }) });
    model.OnRButtonUp(XOf(1200), YOfRow(0), false);
    model.RunCommand(ID_ITEM_PACK_FORWARD);
    EXPECT_TRUE(Has(1, 300));
    model.OnRButtonUp(XOf(400), YOfRow(0), false);
    model.RunCommand(ID_ITEM_PACK_BACKWARD);
    EXPECT_TRUE(Has(1, 9500));
    model.OnRButtonUp(XOf(9600), YOfRow(0), true);
    model.OnRButtonUp(XOf(2100), YOfRow(1), true);
    model.RunCommand(ID_ALIGN_DURATION_SHORTEST);
    EXPECT_EQ(At(1, 9500).PlayTime, 200);
    model.RunCommand(ID_ALIGN_DURATION_LONGEST);
    model.RunCommand(ID_ALIGN_START_EARLIEST);
    EXPECT_TRUE(Has(1, 2000));
    model.RunCommand(ID_ALIGN_START_LATEST);
    EXPECT_TRUE(TimelineInvariantsHold(model));
    EXPECT_EQ(model.EffectDisplay(), 0);
    model.RunCommand(ID_EFFECT_DISPLAY);
    EXPECT_EQ(model.EffectDisplay(), 1);
}

} // namespace
