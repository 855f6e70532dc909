#include "platform/registry_store.h"
#include "project/registry_keys.h"
#include "project/window_positions.h"
#include "tests/fixtures/temp_folder.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {

const std::vector<QRect> kTwoScreens = { QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 720) };

CWindowPositions SamplePositions()
{
    CWindowPositions positions;
    positions.mainWindow.flags = 2;
    positions.mainWindow.showCmd = tagWINDOW_PLACEMENT::SW_SHOWMAXIMIZED;
    positions.mainWindow.minX = -1;
    positions.mainWindow.minY = -1;
    positions.mainWindow.maxX = -8;
    positions.mainWindow.maxY = -31;
    positions.mainWindow.normal = { 100, 50, 1300, 850 };
    positions.itemPanel = { 1400, 60, 1800, 900 };
    positions.viewer = { 1920, 0, 3200, 720 };
    return positions;
}

uint32_t StoredShowCommand(const platform::CRegistryStore& store)
{
    const auto text = store.ReadString(registry_keys::SettingKey(), "WndPos");
    const auto bytes = QByteArray::fromHex(text.value_or(QString()).toLatin1());
    return bytes.size() == 44 ? qFromLittleEndian<uint32_t>(bytes.constData() + 8) : 0xFFFFFFFF;
}

} // namespace

TEST(WindowPositions, RoundTripComesBackHiddenAndAMinimisedWindowRestored)
{
    CTempFolder folder;
    platform::CRegistryStore store(folder.FilePath("hkcu.ini"));
    EXPECT_FALSE(CWindowPositions::Load(store, kTwoScreens).has_value()) << "first start has no positions";

    auto positions = SamplePositions();
    ASSERT_TRUE(positions.Save(store));
    EXPECT_EQ(StoredShowCommand(store), tagWINDOW_PLACEMENT::SW_SHOWMAXIMIZED);

    const auto loaded = CWindowPositions::Load(store, kTwoScreens);
    ASSERT_TRUE(loaded.has_value());
    auto expected = positions.mainWindow;
    expected.showCmd = tagWINDOW_PLACEMENT::SW_HIDE;
    EXPECT_EQ(loaded->mainWindow, expected);
    EXPECT_EQ(loaded->itemPanel, positions.itemPanel);
    EXPECT_EQ(loaded->viewer, positions.viewer);

    positions.mainWindow.showCmd = tagWINDOW_PLACEMENT::SW_SHOWMINIMIZED;
    ASSERT_TRUE(positions.Save(store));
    EXPECT_EQ(StoredShowCommand(store), tagWINDOW_PLACEMENT::SW_RESTORE);
}

TEST(WindowPositions, LoadFailsUnlessAllThreeValuesAreWhole)
{
    struct Case {
        const char* name;
        const char* value;
        QString text; // empty: the value is deleted
    };
    const Case cases[] = {
        { "main window missing", "WndPos", {} },
        { "item panel missing", "SetWndPos", {} },
        { "viewer missing", "ViewerWndPos", {} },
        { "viewer too short", "ViewerWndPos", QString(30, QLatin1Char('0')) },
        { "main window too long", "WndPos", QString(90, QLatin1Char('0')) },
        { "not hexadecimal", "SetWndPos", QString(32, QLatin1Char('z')) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder folder;
        platform::CRegistryStore store(folder.FilePath("hkcu.ini"));
        ASSERT_TRUE(SamplePositions().Save(store));
        if (c.text.isEmpty())
            ASSERT_TRUE(store.DeleteValue(registry_keys::SettingKey(), c.value));
        else
            ASSERT_TRUE(store.WriteString(registry_keys::SettingKey(), c.value, c.text));
        EXPECT_FALSE(CWindowPositions::Load(store, kTwoScreens).has_value());
    }
}

TEST(WindowPositions, PositionsOffEveryScreenArePulledOntoTheNearest)
{
    struct Case {
        const char* name;
        tagWINDOW_RECT stored;
        tagWINDOW_RECT expected;
    };
    const Case cases[] = {
        { "inside a screen", { 100, 100, 500, 400 }, { 100, 100, 500, 400 } },
        { "partly on the second screen", { 3000, 600, 3400, 900 }, { 3000, 600, 3400, 900 } },
        { "right of every screen", { 4000, 100, 4400, 400 }, { 2800, 100, 3200, 400 } },
        { "below the second screen", { 3000, 800, 3200, 1000 }, { 3000, 520, 3200, 720 } },
        { "left of the first, too large", { -5000, -100, -1000, 2900 }, { 0, 0, 1920, 1080 } },
        { "empty stays empty", { 0, 0, 0, 0 }, { 0, 0, 0, 0 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PullOntoScreens(c.stored, kTwoScreens), c.expected);
        EXPECT_EQ(PullOntoScreens(c.stored, {}), c.stored) << "no screens known: left alone";
    }

    CTempFolder folder;
    platform::CRegistryStore store(folder.FilePath("hkcu.ini"));
    auto positions = SamplePositions();
    positions.mainWindow.normal = { 4000, 100, 4400, 400 };
    positions.viewer = { 5000, 0, 6280, 720 }; // the projector display has gone
    ASSERT_TRUE(positions.Save(store));
    const auto loaded = CWindowPositions::Load(store, kTwoScreens);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->mainWindow.normal, (tagWINDOW_RECT { 2800, 100, 3200, 400 }));
    EXPECT_EQ(loaded->viewer, (tagWINDOW_RECT { 1920, 0, 3200, 720 }));
    EXPECT_EQ(loaded->itemPanel, positions.itemPanel);
}
