#include "tables/effect_ini.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/timeline/timeline_fixtures.h"
#include "timeline/thumbnail_writer.h"

#include <QImage>
#include <QImageReader>

using namespace timeline;
using Mode = tagTL_FACE_ITEM_DATA;

namespace {

class TimelineClipboard : public CTimeLineFixture {
protected:
    void Select(const std::vector<TlItemRef>& items)
    {
        model.ClearSelection();
        for (const TlItemRef& ref : items)
            model.AddToSelection(At(ref.faceNo, ref.start));
    }
    void Reload(std::initializer_list<tagTL_FACE_DATA> faces)
    {
        CTimeLineFixture::SetUp();
        model.ResetTimeLine(true);
        model.SetProjectLength(10000);
        Load(faces);
    }
    // An effect table: 0 none, 1 for every kind but sound, 2 for sound only.
    void UseEffectTable()
    {
        const QString text = QStringLiteral(
            "[EFFECT]\r\n"
            "No001=0\r\nName001=なし\r\nMODE_IMAGE001=1\r\nMODE_CAMERA001=1\r\nMODE_MOVIE001=1\r\nMODE_"
            "SOUND001=1\r\n"
            "No002=1\r\nName002=フェード\r\nMODE_IMAGE002=1\r\nMODE_CAMERA002=1\r\nMODE_MOVIE002=1\r\n"
            "No003=2\r\nName003=音\r\nMODE_SOUND003=1\r\n");
        ASSERT_TRUE(m_effects.Load(m_folder.WriteFile(QStringLiteral("Effect.ini"), text.toUtf8())));
        panel.effectTable = &m_effects;
    }
    static tagTL_FACE_ITEM_DATA WithEffects(
        tagTL_FACE_ITEM_DATA item, int32_t entryPattern, int32_t entry, int32_t exitPattern, int32_t exit)
    {
        item.InPattern = entryPattern;
        item.InDirection = 1;
        item.InStartTime = item.Start;
        item.InEndTime = item.Start + entry;
        item.OutPattern = exitPattern;
        item.OutDirection = 2;
        item.OutEndTime = item.Start + item.PlayTime;
        item.OutStartTime = item.OutEndTime - exit;
        return item;
    }

    CTempFolder m_folder;
    CEffectIni m_effects;
};

TEST_F(TimelineClipboard, PastedItemsKeepTheirArrangement)
{
    struct Case {
        const char* name;
        int32_t face;
        int32_t time;
        QString pasted; // faces 5 and 6 afterwards
        int added;
    };
    const Case cases[] = {
        { "faces 5 and 6 at 1000 and 1200", 5, 1000, QStringLiteral("5: 1000+100 IMAGE | 6: 1200+50 MOVIE"),
            2 },
        { "face 6 only exists for the first", 6, 1000, QStringLiteral("5:  | 6: 1000+100 IMAGE"), 1 },
        { "an item already covers the time", 5, 9000, QStringLiteral("5: 8900+200 SOUND | 6: 9200+50 MOVIE"),
            1 },
        { "past the project's end", 5, 9990, QStringLiteral("5: 8900+200 SOUND, 9990+100 IMAGE | 6: "), 1 },
        { "before 0", 5, -150, QStringLiteral("5:  | 6: 50+50 MOVIE"), 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool sound = c.time == 9000 || c.time == 9990;
        Reload({ Face(1), Face(2, { Item(2, 100, 100) }), Face(3, { Item(3, 300, 50, Mode::MODE_MOVIE) }),
            Face(4),
            Face(5,
                sound ? std::vector { Item(5, 8900, 200, Mode::MODE_SOUND) }
                      : std::vector<tagTL_FACE_ITEM_DATA> {}),
            Face(6) });
        Select({ { 3, 300 }, { 2, 100 } });
        EXPECT_EQ(model.CopySelectedItems(), 2);
        EXPECT_EQ(model.ItemClipboard()[0].FaceNo, 2) << "the clipboard is in key order";
        owner.Clear();
        model.PasteItems(c.face, c.time);
        EXPECT_TRUE(Describe(model).endsWith(c.pasted)) << Describe(model).toStdString();
        EXPECT_EQ(int(owner.Of(WM_TL_ITEM_ADDED).size()), c.added);
        EXPECT_EQ(owner.Log().first(), QStringLiteral("CHANGE_GROUP 1"));
        EXPECT_EQ(owner.Log().mid(owner.Log().size() - 2),
            (QStringList { QStringLiteral("CHANGE_GROUP 0"), QStringLiteral("WAIT_END") }));
        EXPECT_EQ(int(model.Selection().size()), c.added) << "the pasted items are selected";
        EXPECT_TRUE(TimelineInvariantsHold(model));
    }
    owner.Clear();
    model.PasteItems(0, 100);
    EXPECT_TRUE(owner.received.empty()) << "no face";
}

TEST_F(TimelineClipboard, PastedLinksNeedTheirSourceAlongside)
{
    struct Case {
        const char* name;
        std::vector<TlItemRef> copied;
        int32_t face;
        int32_t time;
        QString faces;
    };
    const Case cases[] = {
        { "the LINK with its source: it shows the pasted source", { { 1, 100 }, { 2, 100 } }, 3, 500,
            QStringLiteral(
                "1: 100+100 IMAGE | 2: 100+100 LINK>1 | 3: 500+100 IMAGE | 4: 500+100 LINK>3 | 5: ") },
        { "the LINK alone, same time, other face: it becomes an IMAGE", { { 2, 100 } }, 4, 100,
            QStringLiteral("1: 100+100 IMAGE | 2: 100+100 LINK>1 | 3:  | 4: 100+100 IMAGE | 5: ") },
        { "its face shifted off the faces", { { 2, 100 } }, 1, 700,
            QStringLiteral("1: 100+100 IMAGE, 700+100 IMAGE | 2: 100+100 LINK>1 | 3:  | 4:  | 5: ") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reload(
            { Face(1, { Item(1, 100, 100) }), Face(2, { Link(2, 100, 100, 1) }), Face(3), Face(4), Face(5) });
        Select(c.copied);
        model.CopySelectedItems();
        model.PasteItems(c.face, c.time);
        EXPECT_EQ(Describe(model), c.faces);
        EXPECT_TRUE(TimelineInvariantsHold(model));
    }
    EXPECT_EQ(At(1, 700).LinkFaceNo, 0);
    EXPECT_EQ(At(1, 700).LinkMode, 0);
}

TEST_F(TimelineClipboard, APasteNeverLandsOnTheSelection)
{
    Load({ Face(1, { Item(1, 100, 100), Item(1, 1000, 500) }) });
    Select({ { 1, 100 } });
    model.CopySelectedItems();
    Select({ { 1, 1000 } });
    model.PasteItems(1, 1200);
    EXPECT_EQ(Describe(model), QStringLiteral("1: 100+100 IMAGE, 1000+500 IMAGE"))
        << "not pushed behind it either";
    model.SetCurrentFace(1);
    model.SetPlayPosition(2000);
    model.PasteItemsAtPlayPosition();
    EXPECT_EQ(Describe(model), QStringLiteral("1: 100+100 IMAGE, 1000+500 IMAGE, 2000+100 IMAGE"));
    EXPECT_EQ(model.Selection()[0], At(1, 2000));
    EXPECT_EQ(panel.shown, At(1, 2000));
}

TEST_F(TimelineClipboard, PastingAPictureWritesItsThumbnail)
{
    CTempFolder project;
    QImage picture(1920, 1080, QImage::Format_RGB32);
    picture.fill(Qt::green);
    const QString picturePath = project.FilePath(QStringLiteral("media/wide.png"));
    project.MakeFolder(QStringLiteral("media"));
    ASSERT_TRUE(picture.save(picturePath));
    project.MakeFolder(QStringLiteral("Show/Channel_1/Face_2"));
    model.SetProjectFolder(project.Path());
    model.SetProjectName(QStringLiteral("Show"));
    tagTL_FACE_ITEM_DATA item = Item(1, 100, 100);
    item.FilePath = picturePath;
    Load({ Face(1, { item, Item(1, 300, 100, Mode::MODE_SOUND) }), Face(2) });
    Select({ { 1, 100 }, { 1, 300 } });
    model.CopySelectedItems();
    model.PasteItems(2, 400);
    QImageReader reader(project.FilePath(QStringLiteral("Show/Channel_1/Face_2/thumbnail_400.jpg")));
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    EXPECT_EQ(reader.size(), QSize(48, 27));
    EXPECT_FALSE(
        QFileInfo::exists(project.FilePath(QStringLiteral("Show/Channel_1/Face_2/thumbnail_600.jpg"))))
        << "a sound has no thumbnail";
    EXPECT_EQ(model.CreateItemThumbnail(Item(2, 5, 5, Mode::MODE_CAMERA)), 0);

    ThumbnailWriter writer;
    QImage tall(1080, 1920, QImage::Format_RGB32);
    tall.fill(Qt::red);
    const QString tallPath = project.FilePath(QStringLiteral("tall.jpg"));
    EXPECT_EQ(writer.WriteBitmap(tall, tallPath), 1);
    EXPECT_EQ(QImageReader(tallPath).size(), QSize(48, 27)) << "squeezed, not kept in aspect";
    EXPECT_EQ(writer.WriteBitmap(QImage(), tallPath), 0);
    EXPECT_EQ(writer.WriteFile(QString(), tallPath), 0);
}

TEST_F(TimelineClipboard, EffectsArePastedWhereTheTableAllowsThemAndTheyFit)
{
    UseEffectTable();
    Load({ Face(1,
               { WithEffects(Item(1, 0, 1000), 1, 200, 1, 200), Item(1, 2000, 300),
                   Item(1, 3000, 500, Mode::MODE_SOUND), Link(1, 4000, 500, 2),
                   Item(1, 5000, 500, Mode::MODE_NONE), Item(1, 6000, 500) }),
        Face(2, { Item(2, 4000, 500), Item(2, 6000, 500) }, 1) });
    model.SetCurrentItem({ 1, 5000 });
    model.CopyItemEffect();
    EXPECT_FALSE(model.HasEffectBuffer()) << "a NONE item has no effects to copy";
    model.SetCurrentItem({ 1, 0 });
    model.CopyItemEffect();
    ASSERT_TRUE(model.HasEffectBuffer());
    model.SetCurrentItem({ 1, 5000 });
    model.CopyItemEffect();
    EXPECT_TRUE(model.HasEffectBuffer()) << "the earlier copy stays";

    Select({ { 1, 2000 }, { 1, 3000 }, { 1, 4000 }, { 1, 6000 }, { 2, 6000 } });
    owner.Clear();
    EXPECT_EQ(model.PasteItemEffect(), 1);
    EXPECT_EQ(owner.Log().filter(QStringLiteral("ITEM_")),
        QStringList { QStringLiteral("ITEM_CHANGED 1@6000>1@6000") })
        << "300 is too short for 200 + 200, a SOUND and a LINK may not take it, face 2 is locked";
    const tagTL_FACE_ITEM_DATA pasted = At(1, 6000);
    EXPECT_EQ(pasted.InStartTime, 6000);
    EXPECT_EQ(pasted.InEndTime, 6200);
    EXPECT_EQ(pasted.InDirection, 1);
    EXPECT_EQ(pasted.OutStartTime, 6300);
    EXPECT_EQ(pasted.OutEndTime, 6500);

    EXPECT_EQ(model.IsEffectUsableForMode(2, Mode::MODE_SOUND), 1);
    EXPECT_EQ(model.IsEffectUsableForMode(2, Mode::MODE_IMAGE), 0);
    EXPECT_EQ(model.IsEffectUsableForMode(9, Mode::MODE_IMAGE), 0);
    model.SetItemPanel(nullptr);
    EXPECT_EQ(model.IsEffectUsableForMode(1, Mode::MODE_IMAGE), 0) << "without the panel no effect is usable";
}

TEST_F(TimelineClipboard, ClearingEffectsReportsOnlyTheItemsThatHadOne)
{
    struct Case {
        int mask;
        QStringList changed;
    };
    const Case cases[] = {
        { 1, { QStringLiteral("ITEM_CHANGED 1@0>1@0") } },
        { 2, { QStringLiteral("ITEM_CHANGED 1@0>1@0"), QStringLiteral("ITEM_CHANGED 1@1000>1@1000") } },
        { 3, { QStringLiteral("ITEM_CHANGED 1@0>1@0"), QStringLiteral("ITEM_CHANGED 1@1000>1@1000") } },
        { 4, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        Reload({ Face(1,
            { WithEffects(Item(1, 0, 500), 1, 100, 1, 100),
                WithEffects(Item(1, 1000, 500), 0, 0, 1, 100) }) });
        Select({ { 1, 0 }, { 1, 1000 } });
        model.ClearItemEffects(c.mask);
        EXPECT_EQ(owner.Log().filter(QStringLiteral("ITEM_")), c.changed);
        if (c.mask & 1) {
            EXPECT_EQ(At(1, 0).InPattern + At(1, 0).InEndTime, 0);
        }
    }
}

TEST_F(TimelineClipboard, FiltersGoToPicturesCamerasMoviesAndTheirLinks)
{
    tagTL_FACE_ITEM_DATA filtered = Item(1, 0, 100, Mode::MODE_CAMERA);
    filtered.FilterNo = 4;
    filtered.Param[9] = 77;
    tagTL_FACE_ITEM_DATA sound = Item(1, 200, 100, Mode::MODE_SOUND);
    sound.FilterNo = 2;
    Load({ Face(1, { filtered, sound, Item(1, 400, 100, Mode::MODE_MOVIE), Link(1, 600, 100, 2) }),
        Face(2, { Item(2, 600, 100) }) });
    model.SetCurrentItem({ 1, 200 });
    model.CopyItemFilter();
    EXPECT_FALSE(model.HasFilterBuffer()) << "a SOUND has no filter to copy";
    model.SetCurrentItem({ 1, 0 });
    model.CopyItemFilter();
    Select({ { 1, 200 }, { 1, 400 }, { 1, 600 } });
    EXPECT_EQ(model.PasteItemFilter(), 1);
    EXPECT_EQ(At(1, 200).FilterNo, 2) << "sounds are skipped";
    EXPECT_EQ(At(1, 400).FilterNo, 4);
    EXPECT_EQ(At(1, 400).Param[9], 77);
    EXPECT_EQ(At(1, 600).FilterNo, 4);

    owner.Clear();
    Select({ { 1, 0 }, { 1, 600 }, { 2, 600 } });
    EXPECT_EQ(model.ClearItemFilters(), 1);
    EXPECT_EQ(owner.Log().filter(QStringLiteral("ITEM_")),
        (QStringList { QStringLiteral("ITEM_CHANGED 1@0>1@0"), QStringLiteral("ITEM_CHANGED 1@600>1@600") }));
    EXPECT_EQ(At(1, 0).Param[9], 0);
}

TEST_F(TimelineClipboard, DisplayPositionsAndTheEffectDisplay)
{
    tagTL_FACE_DATA first = Face(1);
    first.X = { 1, 2, 3, 4 };
    first.Y = { 5, 6, 7, 8 };
    Load({ first, Face(2) });
    EXPECT_EQ(model.PasteFaceDisplayPosition(), 0) << "nothing copied yet";
    model.SetCurrentFace(1);
    EXPECT_EQ(model.CopyFaceDisplayPosition(), 1);
    model.SetCurrentFace(2);
    EXPECT_EQ(model.PasteFaceDisplayPosition(), 1);
    tagTL_FACE_DATA second;
    model.GetFaceData(1, 2, second);
    EXPECT_EQ(second.X, first.X);
    EXPECT_EQ(second.Y, first.Y);
    EXPECT_EQ(owner.Log(), QStringList { QStringLiteral("FACE_CHANGED 2") }) << "no change group of its own";

    EXPECT_EQ(model.EffectDisplay(), 0);
    model.ToggleEffectDisplay();
    EXPECT_EQ(model.EffectDisplay(), 1);
    model.ToggleEffectDisplay();
    EXPECT_EQ(model.EffectDisplay(), 0);
}

TEST_F(TimelineClipboard, TheClipboardOutlivesAResetWhenAsked)
{
    Load({ Face(1, { Item(1, 0, 100) }) });
    Select({ { 1, 0 } });
    model.CopySelectedItems();
    model.ResetTimeLine(false);
    EXPECT_EQ(model.ItemClipboard().size(), 1u);
    model.ResetTimeLine(true);
    EXPECT_TRUE(model.ItemClipboard().empty());
}

} // namespace
