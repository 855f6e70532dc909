#include "tests/fixtures/temp_folder.h"
#include "tests/timeline/timeline_fixtures.h"

#include <QImage>

using namespace timeline;
using Mode = tagTL_FACE_ITEM_DATA;

namespace {

// 1000 x 300 pixels at 100 units per column: 10 time units per pixel, half a column is 50.
class TimelineSelection : public CTimeLineFixture { };

TEST_F(TimelineSelection, ItemPartsUnderAPoint)
{
    Load({ Face(1,
               { Item(1, 0, 100), Item(1, 100, 100), Item(1, 1000, 80), Item(1, 2000, 1000),
                   Item(1, 4000, 500) }),
        Face(2, { Item(2, 1000, 1000), Item(2, 2040, 500) }) });
    struct Case {
        const char* name;
        int row;
        int32_t time;
        TlItemHit hit;
    };
    const Case cases[] = {
        { "short item: 30 after the start is the body (edges of 26)", 0, 1030,
            { 1, 1, 1000, 1080, TL_PART_BODY } },
        { "short item: 20 after the start is its left edge", 0, 1020,
            { 1, 1, 1000, 1080, TL_PART_LEFT_EDGE } },
        { "adjacent items: the first one's right edge wins", 0, 100, { 1, 1, 0, 100, TL_PART_RIGHT_EDGE } },
        { "long item: left edge zone of 50", 0, 2050, { 1, 1, 2000, 3000, TL_PART_LEFT_EDGE } },
        { "long item: body", 0, 2060, { 1, 1, 2000, 3000, TL_PART_BODY } },
        { "long item: right edge zone", 0, 2950, { 1, 1, 2000, 3000, TL_PART_RIGHT_EDGE } },
        { "just before an item", 0, 3960, { 1, 1, 4000, 4500, TL_PART_BEFORE } },
        { "just after an item", 0, 4540, { 1, 1, 4000, 4500, TL_PART_AFTER } },
        { "past the zone after an item", 0, 4560, {} },
        { "covered by another item: its own part, not the zone before the next", 1, 2000,
            { 1, 2, 1000, 2000, TL_PART_RIGHT_EDGE } },
        { "just before one item and just after another: before wins", 1, 2010,
            { 1, 2, 2040, 2540, TL_PART_BEFORE } },
        { "a row without a face", 2, 1000, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TlItemHit hit = model.HitTestItem(XOf(c.time), YOfRow(c.row));
        EXPECT_EQ(hit.hit, c.hit.hit);
        EXPECT_EQ(hit.faceNo, c.hit.faceNo);
        EXPECT_EQ(hit.start, c.hit.start);
        EXPECT_EQ(hit.end, c.hit.end);
        EXPECT_EQ(hit.part, c.hit.part);
    }
    EXPECT_EQ(model.HitTestItem(80, YOfRow(0)).hit, 0) << "x = 80 is the header";
    EXPECT_EQ(model.HitTestItem(81, YOfRow(0)).part, TL_PART_LEFT_EDGE);
}

TEST_F(TimelineSelection, FaceRowUnderAPoint)
{
    Load({ Face(1), Face(2), Face(3), Face(4), Face(5), Face(6), Face(7), Face(8), Face(9) });
    model.SetHorzScrollPos(3);
    const TlFaceRowHit track = model.HitTestFaceRow(100, YOfRow(1));
    EXPECT_EQ(track.faceNo, 2);
    EXPECT_EQ(track.channel, 1);
    EXPECT_EQ(track.subNo, 0);
    EXPECT_EQ(track.time, 300 + 200);
    EXPECT_EQ(model.HitTestFaceRow(30, YOfRow(0)).time, 300) << "the header gives the left edge time";
    EXPECT_EQ(model.HitTestFaceRow(100, 10).time, -1) << "the ruler is no row";
    model.SetVertScrollPos(1);
    EXPECT_EQ(model.HitTestFaceRow(100, YOfRow(0)).faceNo, 2) << "row 0 shows the first visible face";
    model.SetVertScrollPos(0);
    model.DeleteFace(1, 9);
    model.DeleteFace(1, 8);
    model.DeleteFace(1, 7);
    EXPECT_EQ(model.HitTestFaceRow(100, YOfRow(6)).faceNo, -1) << "a row below the last face";
}

TEST_F(TimelineSelection, EffectAreasAndTheirHandles)
{
    tagTL_FACE_ITEM_DATA item = Item(1, 1000, 500);
    item.InPattern = 1;
    item.InStartTime = 1000;
    item.InEndTime = 1100;
    item.OutPattern = 2;
    item.OutStartTime = 1400;
    item.OutEndTime = 1500;
    Load({ Face(1, { item, Item(1, 2000, 100) }) });
    struct Case {
        int32_t time;
        int dy; // from the row's top
        TlEffectHit hit;
    };
    const Case cases[] = {
        { 1020, 20, { TL_EFFECT_ENTRY, 0 } },
        { 1050, 20, { TL_EFFECT_ENTRY, 1 } },
        { 1000, 20, { TL_EFFECT_ENTRY, 0 } },
        { 1100, 20, {} },
        { 1420, 20, { TL_EFFECT_EXIT, 1 } },
        { 1460, 20, { TL_EFFECT_EXIT, 0 } },
        { 1400, 20, {} },
        { 1050, 5, {} },
        { 1050, 31, {} },
        { 1050, 29, { TL_EFFECT_ENTRY, 1 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "time " << c.time << " dy " << c.dy);
        const TlEffectHit hit = model.HitTestEffectHandle(1, 1000, XOf(c.time), kRulerHeight + c.dy);
        EXPECT_EQ(hit.area, c.hit.area);
        EXPECT_EQ(hit.handle, c.hit.handle);
    }
    EXPECT_EQ(model.HitTestEffectHandle(1, 2000, XOf(2050), 40).area, 0) << "no effects";
}

TEST_F(TimelineSelection, FilterIconHoverUsesTheSkinsIcon)
{
    CTempFolder skin;
    QImage icon(12, 9, QImage::Format_RGB32);
    icon.fill(Qt::red);
    skin.MakeFolder(QStringLiteral("TimeLine"));
    ASSERT_TRUE(icon.save(skin.FilePath(QStringLiteral("TimeLine/icon_filter.bmp")), "BMP"));
    model.LoadImages(skin.Path());
    tagTL_FACE_ITEM_DATA filtered = Item(1, 1000, 500);
    filtered.FilterNo = 3;
    Load({ Face(1, { filtered, Item(1, 2000, 500) }) });

    model.UpdateFilterIconHover(1, 1000, 180 + 5, kRulerHeight + 4);
    EXPECT_EQ(model.Hover().filterIcon, (TlRect { 180, 20, 192, 29 }));
    model.UpdateFilterIconHover(1, 1000, 180 + 12, kRulerHeight + 4);
    EXPECT_TRUE(model.Hover().filterIcon.IsEmpty());
    model.UpdateFilterIconHover(1, 2000, 280 + 1, kRulerHeight + 1);
    EXPECT_TRUE(model.Hover().filterIcon.IsEmpty()) << "no filter, no icon";
}

TEST_F(TimelineSelection, LookupsByTime)
{
    Load({ Face(1, { Item(1, 100, 50), Item(1, 300, 50), Item(1, 500, 50) }, 1),
        Face(2, { Item(2, 100, 50) }) });
    tagTL_FACE_ITEM_DATA found;
    EXPECT_TRUE(model.FindPreviousItem(1, 300, found));
    EXPECT_EQ(found.Start, 100) << "an item starting at the time is not the previous one";
    EXPECT_TRUE(model.FindNextItem(1, 300, found));
    EXPECT_EQ(found.Start, 500);
    EXPECT_FALSE(model.FindNextItem(1, 500, found));
    EXPECT_FALSE(model.FindPreviousItem(1, 100, found));
    EXPECT_FALSE(model.FindNextItem(9, 0, found));

    EXPECT_TRUE(model.GetItemRecord(1, 300, found));
    found.Volume = 3;
    EXPECT_FALSE(model.GetItemRecord(1, 301, found));
    EXPECT_EQ(found, tagTL_FACE_ITEM_DATA()) << "a failed lookup resets the record";

    EXPECT_TRUE(model.IsFaceLocked(1));
    EXPECT_FALSE(model.IsFaceLocked(2));
    EXPECT_FALSE(model.IsFaceLocked(3));
    model.AddToSelection(At(2, 100));
    EXPECT_FALSE(model.IsSelectionLocked());
    model.AddToSelection(At(1, 500));
    EXPECT_TRUE(model.IsSelectionLocked());
}

TEST_F(TimelineSelection, LinkedItemsAreSelectedAndDeselectedTogether)
{
    Load({ Face(1, { Link(1, 300, 100, 2) }),
             Face(2, { Item(2, 300, 100, Mode::MODE_MOVIE), Item(2, 800, 50, Mode::MODE_SOUND) }),
             Face(5, { Link(5, 300, 10, 2), Link(5, 310, 100, 2) }) },
        false);
    struct Case {
        const char* name;
        tagTL_FACE_ITEM_DATA clicked;
        std::vector<TlItemRef> selected;
    };
    const Case cases[] = {
        { "a source selects its LINKs at its start", At(2, 300), { { 1, 300 }, { 5, 300 }, { 2, 300 } } },
        { "a LINK selects its source and the other LINKs", At(5, 300),
            { { 2, 300 }, { 1, 300 }, { 5, 300 } } },
        { "a SOUND links nothing", At(2, 800), { { 2, 800 } } },
        { "a LINK without a source item", At(5, 310), { { 5, 310 } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        model.ClearSelection();
        model.SelectLinkedItems(c.clicked);
        model.AddToSelection(c.clicked);
        model.AddToSelection(c.clicked);
        std::vector<TlItemRef> selected;
        for (const tagTL_FACE_ITEM_DATA& item : model.Selection())
            selected.push_back({ item.FaceNo, item.Start });
        EXPECT_EQ(selected, c.selected);
    }
    model.ClearSelection();
    model.SelectLinkedItems(At(2, 300));
    model.AddToSelection(At(2, 300));
    model.DeselectLinkedItems(At(2, 300));
    ASSERT_EQ(model.Selection().size(), 1u);
    EXPECT_EQ(model.Selection()[0], At(2, 300)) << "deselecting the group leaves the item itself";
    EXPECT_TRUE(model.IsFaceSelected(2));
    EXPECT_FALSE(model.IsFaceSelected(5));
    model.RemoveFromSelection(2, 300);
    EXPECT_TRUE(model.Selection().empty());
}

// The selection's records by key: order kept through removals, keys followed through
// replacements, never two records with one key.
TEST(TimelineItemSelection, KeepsOrderAndOneRecordPerKey)
{
    const auto keys = [](const CItemSelection& selection) {
        std::vector<TlItemRef> refs;
        for (const tagTL_FACE_ITEM_DATA& item : selection.Items())
            refs.push_back({ item.FaceNo, item.Start });
        return refs;
    };
    CItemSelection selection;
    EXPECT_TRUE(selection.Add(Item(1, 100, 50)));
    EXPECT_TRUE(selection.Add(Item(2, 100, 50)));
    EXPECT_TRUE(selection.Add(Item(1, 300, 50)));
    EXPECT_FALSE(selection.Add(Item(1, 100, 70))) << "one record per face and start";
    EXPECT_EQ(selection.Find(1, 100)->PlayTime, 50);

    EXPECT_TRUE(selection.Remove(1, 100));
    EXPECT_FALSE(selection.Remove(1, 100));
    EXPECT_EQ(keys(selection), (std::vector<TlItemRef> { { 2, 100 }, { 1, 300 } }));
    EXPECT_EQ(selection.Find(1, 300), &selection.Items()[1]) << "found where it now lies";

    EXPECT_TRUE(selection.Replace(2, 100, Item(3, 500, 20)));
    EXPECT_FALSE(selection.Contains(2, 100));
    EXPECT_EQ(selection.Find(3, 500)->PlayTime, 20);
    EXPECT_EQ(keys(selection), (std::vector<TlItemRef> { { 3, 500 }, { 1, 300 } })) << "in its place";

    EXPECT_TRUE(selection.Replace(3, 500, Item(1, 300, 20)));
    EXPECT_EQ(keys(selection), (std::vector<TlItemRef> { { 1, 300 } })) << "onto a selected key: one left";
    EXPECT_EQ(selection.Find(1, 300)->PlayTime, 50);
    EXPECT_FALSE(selection.Replace(9, 9, Item(1, 1, 1)));

    selection.Clear();
    EXPECT_TRUE(selection.Empty());
    EXPECT_FALSE(selection.Contains(1, 300));
}

TEST_F(TimelineSelection, TheViewerSelectsTheItemUnderATime)
{
    Load({ Face(1, { Item(1, 100, 100), Item(1, 500, 100) }), Face(2, { Link(2, 100, 100, 1) }, 1) });
    struct Case {
        const char* name;
        int32_t face;
        int32_t time;
        std::vector<TlItemRef> selected;
        QStringList panel;
    };
    const Case cases[] = {
        { "an item with its LINK", 1, 150, { { 2, 100 }, { 1, 100 } },
            { QStringLiteral("SetFaceList"), QStringLiteral("SetItem 1@100"), QStringLiteral("SetLock 0") } },
        { "an item of a locked face locks the pages", 2, 100, { { 1, 100 }, { 2, 100 } },
            { QStringLiteral("SetFaceList"), QStringLiteral("SetItem 2@100"), QStringLiteral("SetLock 1") } },
        { "between items", 1, 300, {}, { QStringLiteral("ClearItem") } },
        { "face 0", 0, 100, {}, { QStringLiteral("ClearItem") } },
        { "an item's end is not in it", 1, 600, {}, { QStringLiteral("ClearItem") } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        model.AddToSelection(At(1, 500));
        panel.calls.clear();
        model.SelectItemAtTime(c.face, c.time);
        std::vector<TlItemRef> selected;
        for (const tagTL_FACE_ITEM_DATA& item : model.Selection())
            selected.push_back({ item.FaceNo, item.Start });
        EXPECT_EQ(selected, c.selected);
        EXPECT_EQ(panel.calls, c.panel);
    }
    model.AddToSelection(At(1, 500));
    panel.calls.clear();
    model.SelectItemAtTime(7, 100);
    EXPECT_EQ(model.Selection().size(), 1u) << "an unknown face changes nothing";

    model.SelectItem(1, 100);
    EXPECT_EQ(model.Selection().size(), 3u) << "the panel's request adds to the selection";
    EXPECT_TRUE(panel.calls.isEmpty());
}

TEST_F(TimelineSelection, CursorFollowsTheHoverAndTheDrag)
{
    struct Case {
        const char* name;
        TlHoverState hover;
        int mouseState;
        int cursor;
    };
    const auto hover = [](int part) {
        TlHoverState state;
        state.valid = 1;
        state.part = part;
        return state;
    };
    TlHoverState effectHandle;
    effectHandle.effect = { TL_EFFECT_EXIT, 1 };
    TlHoverState effectBand;
    effectBand.effect = { TL_EFFECT_EXIT, 0 };
    const Case cases[] = {
        { "effect edge", effectHandle, 0, TL_CURSOR_EFFECT_EDGE },
        { "effect band only", effectBand, 0, TL_CURSOR_DEFAULT },
        { "copy drag", {}, TL_MOUSE_ITEM_COPY, TL_CURSOR_COPY },
        { "link drag", {}, TL_MOUSE_ITEM_LINK, TL_CURSOR_LINK },
        { "left edge", hover(TL_PART_LEFT_EDGE), 0, TL_CURSOR_TRIM_LEFT },
        { "after the item", hover(TL_PART_AFTER), 0, TL_CURSOR_TRIM_LEFT },
        { "right edge", hover(TL_PART_RIGHT_EDGE), 0, TL_CURSOR_TRIM_RIGHT },
        { "before the item", hover(TL_PART_BEFORE), 0, TL_CURSOR_TRIM_RIGHT },
        { "body", hover(TL_PART_BODY), TL_MOUSE_ITEM_COPY, TL_CURSOR_DEFAULT },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        model.SetHover(c.hover);
        model.SetMouseState(c.mouseState);
        EXPECT_EQ(model.CursorForHover(), c.cursor);
    }
}

TEST(TimelineFiles, KindOfAFileByItsExtension)
{
    const std::pair<const char*, int32_t> cases[] = {
        { "/a/b/photo.JPG", 1 },
        { "x.jpeg", 1 },
        { "x.bmp", 1 },
        { "x.Png", 1 },
        { "clip.mov", 3 },
        { "clip.MP4", 3 },
        { "song.mp3", 6 },
        { "song.wav", 6 },
        { "x.gif", 0 },
        { "noext", 0 },
        { "dot.", 0 },
        { "dir.mp4/x", 0 },
    };
    for (const auto& [path, kind] : cases)
        EXPECT_EQ(CTimeLineModel::GetMediaKindFromFile(QString::fromUtf8(path)), kind) << path;
}

} // namespace
