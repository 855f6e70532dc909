#include "itempanel/page_rules.h"
#include "tables/effect_ini.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/itempanel/panel_fixtures.h"

#include <gtest/gtest.h>

using namespace itempanel;

namespace {

using Item = tagTL_FACE_ITEM_DATA;

// A compact picture of the properties page's state: one letter per control, upper case when
// enabled (or shown, for the rows).
std::string Describe(const PropertyEnableState& s)
{
    const std::pair<char, bool> flags[] = {
        { 'm', s.modeCombo },
        { 'f', s.fileRow },
        { 'p', s.playModeCombo },
        { 'v', s.preview },
        { 'd', s.dropPicture },
        { 's', s.shapeAndPosition },
        { 'b', s.inOutBar },
        { 'r', s.replay },
        { 't', s.previewTime },
        { 'i', s.inOutPoints },
        { 'o', s.startAndPlayTime },
        { 'l', s.linkCombo },
        { 'c', s.cameraCombo },
        { 'z', s.sizeCombo },
        { 'u', s.volumeAndMute },
    };
    std::string text;
    for (const auto& [letter, on] : flags)
        text += on ? char(std::toupper(letter)) : letter;
    text += ' ';
    const std::pair<char, bool> rows[] = { { 'f', s.showFileRow }, { 'p', s.showPlayModeRow },
        { 'l', s.showLinkRow }, { 'c', s.showCameraRow }, { 'z', s.showSizeRow } };
    for (const auto& [letter, shown] : rows)
        text += shown ? char(std::toupper(letter)) : letter;
    return text;
}

TEST(PropertyEnable, KindsAndLinkedKinds)
{
    struct Case {
        const char* name;
        int32_t kind;
        int32_t linkKind;
        bool faceBlank;
        const char* state; // m f p v d s b r t i o l c z u, then the rows f p l c z
    } cases[] = {
        { "NONE with an item", Item::MODE_NONE, 0, false, "MfpvDsbrtiolczu FPlcz" },
        { "NONE without an item", Item::MODE_NONE, 0, true, "mfpvDsbrtiolczu FPlcz" },
        { "IMAGE", Item::MODE_IMAGE, 0, false, "MFpVdSbrtiOlczu FPlcz" },
        { "CAMERA", Item::MODE_CAMERA, 0, false, "MfpVdSbrtiOlCzu fplCZ" },
        { "MOVIE", Item::MODE_MOVIE, 0, false, "MFPVdSBRTIOlczU FPlcz" },
        { "SOUND", Item::MODE_SOUND, 0, false, "MFPvDsbrtiOlczU FPlcz" },
        { "LINK to a picture", Item::MODE_LINK, Item::MODE_IMAGE, false, "MfpVdSbrtioLczu fPLcz" },
        { "LINK to a camera", Item::MODE_LINK, Item::MODE_CAMERA, false, "MfpVdSbrtioLczu fPLcz" },
        { "LINK to a movie", Item::MODE_LINK, Item::MODE_MOVIE, false, "MfpVdSBRTioLczu fPLcz" },
        { "LINK to nothing", Item::MODE_LINK, 0, false, "MfpvdsbrtioLczu fPLcz" },
        { "LINK to a sound", Item::MODE_LINK, Item::MODE_SOUND, false, "MfpvdsbrtioLczu fPLcz" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto state = PropertyEnableByMode(c.kind, c.linkKind, c.faceBlank);
        ASSERT_TRUE(state);
        EXPECT_EQ(Describe(*state), c.state);
    }
    EXPECT_FALSE(PropertyEnableByMode(4, 0, false));
    EXPECT_FALSE(PropertyEnableByMode(-1, 0, false));
}

TEST(FilterEnable, TheListFollowsTheKindAndForLinksTheLinkedKind)
{
    struct Case {
        int32_t kind;
        int32_t linkKind;
        bool faceBlank;
        std::optional<bool> enabled;
    } cases[] = {
        { 1, 0, false, true },
        { 2, 0, false, true },
        { 3, 0, false, true },
        { 0, 0, false, false },
        { 6, 0, false, false },
        { 7, 3, false, true },
        { 7, 1, false, true },
        { 7, 6, false, false },
        { 7, 0, false, false },
        { 1, 0, true, false },
        { 5, 0, false, std::nullopt },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << "/" << c.linkKind << (c.faceBlank ? " blank" : ""));
        EXPECT_EQ(FilterListEnabled(c.faceBlank, c.kind, c.linkKind), c.enabled);
    }
}

class EffectRulesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Row 0 cut (no time, no direction, every kind), row 1 fade (time, sound too), row 2 wipe
        // (time and direction set 1, no sound), row 3 entry-only camera effect with IN=2 (never
        // offered at the entry).
        const QByteArray text
            = "[EFFECT]\r\n"
              "No001=0\r\nName001=cut\r\nIN001=1\r\nOUT001=1\r\nDIR001=0\r\n"
              "MODE_IMAGE001=1\r\nMODE_CAMERA001=1\r\nMODE_MOVIE001=1\r\nMODE_SOUND001=1\r\n"
              "No002=1\r\nName002=fade\r\nIN002=1\r\nOUT002=1\r\nTIME002=1\r\n"
              "MODE_IMAGE002=1\r\nMODE_SOUND002=1\r\n"
              "No003=2\r\nName003=wipe\r\nIN003=1\r\nOUT003=1\r\nTIME003=1\r\nDIR003=1\r\n"
              "MODE_IMAGE003=1\r\nMODE_MOVIE003=1\r\n"
              "No004=3\r\nName004=odd\r\nIN004=2\r\nOUT004=1\r\nMODE_CAMERA004=1\r\n"
              "[DIRECTION]\r\nDIR_000_000=none\r\nDIR_001_000=left\r\nDIR_001_001=right\r\n";
        ASSERT_TRUE(m_table.Load(m_folder.WriteFile(QStringLiteral("Effect.ini"), text)));
    }

    static QStringList Names(const std::vector<ListEntry>& entries)
    {
        QStringList names;
        for (const ListEntry& entry : entries)
            names << entry.text;
        return names;
    }

    CTempFolder m_folder;
    CEffectIni m_table;
};

TEST_F(EffectRulesTest, ListsHoldTheEffectsOfTheKindAtEachSide)
{
    struct Case {
        const char* name;
        int32_t kind;
        int32_t linkKind;
        QStringList entry;
        QStringList exit;
    } cases[] = {
        { "picture", 1, 0, { "cut", "fade", "wipe" }, { "cut", "fade", "wipe" } },
        { "camera: IN=2 does not count", 2, 0, { "cut" }, { "cut", "odd" } },
        { "sound", 6, 0, { "cut", "fade" }, { "cut", "fade" } },
        { "link to a movie", 7, 3, { "cut", "wipe" }, { "cut", "wipe" } },
        { "link to a sound", 7, 6, {}, {} },
        { "none", 0, 0, {}, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const EffectLists lists = EffectListsForMode(m_table, c.kind, c.linkKind);
        EXPECT_EQ(Names(lists.entry), c.entry);
        EXPECT_EQ(Names(lists.exit), c.exit);
    }
    EXPECT_EQ(EffectListsForMode(m_table, 1, 0).entry[2], (ListEntry { QStringLiteral("wipe"), 2 }));
    // Directions are taken from the row at the effect's position in the file.
    EXPECT_EQ(Names(DirectionsOfRowAt(m_table, 2)), QStringList({ "left", "right" }));
    EXPECT_EQ(Names(DirectionsOfRowAt(m_table, 0)), QStringList({ "none" }));
    EXPECT_TRUE(DirectionsOfRowAt(m_table, 9).empty());
}

TEST_F(EffectRulesTest, TimesAndDirectionsAreEnabledByTheSelectedEffect)
{
    struct Case {
        const char* name;
        bool faceBlank;
        int32_t kind;
        int32_t linkKind;
        std::optional<int32_t> entry;
        std::optional<int32_t> exit;
        EffectEnableState state;
    } cases[] = {
        { "no item shown", true, 1, 0, 2, 2, {} },
        { "picture, wipe in, cut out", false, 1, 0, 2, 0, { true, true, true, false, false } },
        { "picture, fade both", false, 1, 0, 1, 1, { true, true, false, true, false } },
        { "sound, nothing selected", false, 6, 0, std::nullopt, std::nullopt,
            { true, false, false, false, false } },
        { "link to nothing", false, 7, 0, 2, 2, {} },
        { "link to a movie", false, 7, 3, 2, std::nullopt, { true, true, true, false, false } },
        { "none", false, 0, 0, 2, 2, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EffectEnableByMode(c.faceBlank, c.kind, c.linkKind, c.entry, c.exit, m_table), c.state);
    }
}

} // namespace
