#include "tables/effect_ini.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/timeline/timeline_fixtures.h"

using namespace timeline;

namespace {

class TimelineLookups : public CTimeLineFixture { };

ViewTextRecord NumberedTexts()
{
    ViewTextRecord texts;
    for (int slot = 0; slot < ViewTextRecord::kSlotCount; ++slot)
        texts.texts[size_t(slot)] = QStringLiteral("t%1").arg(slot);
    return texts;
}

TEST_F(TimelineLookups, MenuCaptionsComeFromTheLanguageTexts)
{
    MenuEntry untouched = MakeContextMenu();
    model.SetContextMenuTexts(untouched);
    EXPECT_EQ(untouched.FindCommand(ID_FACE_ADD)->text, QStringLiteral("追加\tCtrl+A"))
        << "no texts: the menu's own";
    EXPECT_EQ(untouched.At(0)->text, QStringLiteral("設定"));

    model.SetLanguageTexts(NumberedTexts());
    MenuEntry menu = MakeContextMenu();
    model.SetContextMenuTexts(menu);
    struct Position {
        std::vector<int> path;
        QString text;
    };
    const Position positions[] = {
        { { 0 }, QStringLiteral("t0") },
        { { 2 }, QStringLiteral("t4") },
        { { 4 }, QStringLiteral("t11") },
        { { 4, 0 }, QStringLiteral("t12") },
        { { 4, 4 }, QStringLiteral("t15") },
        { { 4, 6 }, QStringLiteral("t20") },
        { { 5 }, QStringLiteral("t26") },
        { { 6 }, QStringLiteral("t32") },
        { { 6, 0 }, QStringLiteral("t33") },
        { { 6, 1 }, QStringLiteral("t34") },
    };
    for (const Position& p : positions) {
        MenuEntry* entry = &menu;
        for (int index : p.path)
            entry = entry->At(index);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->text, p.text);
        EXPECT_EQ(entry->kind, MenuEntry::Kind::Popup);
    }
    const std::pair<int, const char16_t*> commands[] = {
        { ID_ITEM_PROPERTIES, u"t1" },
        { ID_ITEM_EFFECT, u"t2" },
        { ID_ITEM_FILTER, u"t3" },
        { ID_FACE_ADD, u"t5" },
        { ID_FACE_DELETE, u"t6" },
        { ID_FACE_INSERT, u"t7" },
        { ID_FACE_POSITION_CLEAR, u"t10" },
        { ID_ITEM_DELETE, u"t13" },
        { ID_ITEM_DELETE_SELECTED, u"t14" },
        { ID_EFFECT_DISPLAY, u"t16" },
        { ID_EFFECT_CLEAR_IN_OUT, u"t17" },
        { ID_EFFECT_CLEAR_IN, u"t18" },
        { ID_EFFECT_CLEAR_OUT, u"t19" },
        { ID_FILTER_CLEAR, u"t21" },
        { ID_EFFECT_COPY, u"t22" },
        { ID_EFFECT_PASTE, u"t23" },
        { ID_FILTER_COPY, u"t24" },
        { ID_FILTER_PASTE, u"t25" },
        { ID_ITEM_COPY, u"t27\tCtrl+C" },
        { ID_ITEM_PASTE, u"t28" },
        { ID_ITEM_SELECT_ALL_IN_FACE, u"t29" },
        { ID_ITEM_PACK_FORWARD, u"t30\tCtrl+←" },
        { ID_ITEM_PACK_BACKWARD, u"t31\tCtrl+→" },
        { ID_ALIGN_START_EARLIEST, u"t35" },
        { ID_ALIGN_START_LATEST, u"t36" },
        { ID_ALIGN_DURATION_SHORTEST, u"t37" },
        { ID_ALIGN_DURATION_LONGEST, u"t38" },
        // The display-position copy and paste and the kinds keep the menu's own captions.
        { ID_FACE_POSITION_COPY, u"表示位置コピー" },
        { ID_FACE_POSITION_PASTE, u"表示位置貼り付け" },
        { ID_ITEM_ADD_LINK, u"LINK" },
    };
    for (const auto& [id, text] : commands)
        EXPECT_EQ(menu.FindCommand(id)->text, QString::fromUtf16(text)) << id;
}

TEST_F(TimelineLookups, CameraLabels)
{
    model.SetCameraList(
        { { 0, QStringLiteral("正面"), 1920, 1080 }, { 3, QStringLiteral("舞台"), 640, 480 } });
    EXPECT_EQ(model.GetCameraName(-1), QStringLiteral("未設定"));
    EXPECT_EQ(model.GetCameraName(3), QStringLiteral("舞台"));
    EXPECT_EQ(model.GetCameraName(0), QStringLiteral("正面"));
    EXPECT_EQ(model.GetCameraName(5), QString()) << "a camera missing from the list has no label";
    EXPECT_EQ(model.GetCameraSetting(5), tagCAMERA_SETTING_DATA());
    EXPECT_EQ(model.GetCameraSetting(3).ImageWidth, 640);
    model.SetLanguageTexts(NumberedTexts());
    EXPECT_EQ(model.GetCameraName(-1), QStringLiteral("t39"));
}

TEST_F(TimelineLookups, EffectNamesComeThroughThePanelsTable)
{
    CTempFolder folder;
    CEffectIni table;
    ASSERT_TRUE(table.Load(folder.WriteFile(
        QStringLiteral("Effect.ini"), QStringLiteral("[EFFECT]\r\nNo001=4\r\nName001=ワイプ\r\n").toUtf8())));
    model.SetItemPanel(nullptr);
    EXPECT_EQ(model.GetEffectName(4), QString()) << "without the panel every name is empty";
    model.SetItemPanel(&panel);
    EXPECT_EQ(model.GetEffectName(4), QString()) << "a panel without its effects page";
    panel.effectTable = &table;
    EXPECT_EQ(model.GetEffectName(4), QStringLiteral("ワイプ"));
    EXPECT_EQ(model.GetEffectName(5), QString());
}

TEST_F(TimelineLookups, TrackRectangleUnderAPoint)
{
    Load({ Face(1), Face(2) });
    TlRect track;
    EXPECT_TRUE(model.GetTrackRectAt(500, YOfRow(1), track));
    EXPECT_EQ(track, (TlRect { 80, 60, 1000, 100 }));
    EXPECT_FALSE(model.GetTrackRectAt(40, YOfRow(1), track)) << "the header";
    EXPECT_FALSE(model.GetTrackRectAt(500, YOfRow(2), track)) << "a row without a face";
    EXPECT_FALSE(model.GetTrackRectAt(500, 5, track)) << "the ruler";
}

} // namespace
