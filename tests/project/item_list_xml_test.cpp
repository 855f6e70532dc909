#include "project/face_list_xml.h"
#include "project/item_list_xml.h"
#include "project/project_xml.h"
#include "project/record_conversion.h"
#include "project/xml_fields.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/project/project_test_data.h"

#include <gtest/gtest.h>
#include <iterator>
#include <set>

namespace {

ItemXmlRecord Entry(int32_t start, int32_t pnum)
{
    ItemXmlRecord entry;
    EXPECT_TRUE(ToItemXmlRecord(FilledItem(start, pnum), entry));
    return entry;
}

// Stores the entry the way the folder store does and saves.
bool Store(CItemListXml& items, const ItemXmlRecord& entry)
{
    items.Item(entry.Start) = entry;
    items.SetCount(int32_t(items.Items().size()));
    return items.SaveItemXml();
}

QString FaceFile(const CTempFolder& temp, const QByteArray& items)
{
    return temp.WriteFile(QStringLiteral("Face_1.xml"), kDeclaration + "<Face>" + items + "</Face>");
}

// Item elements with just the elements a rewrite requires.
QByteArray MinimalItem(int start, const QByteArray& extra = QByteArray())
{
    return "<Item><Start>" + QByteArray::number(start)
        + "</Start><PlayTime>0</PlayTime><Mode>0</Mode><FilePath>0</FilePath><PlayMode>0</PlayMode>"
          "<LinkFaceNo>0</LinkFaceNo><CameraID>0</CameraID><CameraImgW>0</CameraImgW><CameraImgH>0</"
          "CameraImgH>"
          "<InTime>0</InTime><OutTime>0</OutTime><MaskMode>0</MaskMode>"
          "<MaskPos><PNUM>0</PNUM><X>0</X><Y>0</Y><W>0</W><H>0</H></MaskPos><Mute>0</Mute>"
        + extra + "</Item>";
}

QStringList ChildNames(pugi::xml_node element)
{
    QStringList names;
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
        names.append(QString::fromUtf8(child.name()));
    return names;
}

TEST(ItemListXml, EveryFieldRoundTripsWithTheMaskPointRules)
{
    const int32_t pnums[] = { 0, -2, 1, 3, 16, 20 };
    for (const int32_t pnum : pnums) {
        SCOPED_TRACE(testing::Message() << "PNUM " << pnum);
        CTempFolder temp;
        const QString path = FaceFile(temp, QByteArray());
        CItemListXml items;
        ASSERT_TRUE(items.LoadItemXml(path));
        const ItemXmlRecord entry = Entry(100, pnum);
        ASSERT_TRUE(Store(items, entry));
        CItemListXml reread;
        ASSERT_TRUE(reread.LoadItemXml(path));
        ItemXmlRecord back;
        ASSERT_EQ(reread.GetItemByIndex(0, &back), 100);
        EXPECT_EQ(back, AsStored(entry));
        // Rewriting in place over the stored item gives the same again.
        ASSERT_TRUE(Store(reread, Entry(100, pnum)));
        CItemListXml third;
        ASSERT_TRUE(third.LoadItemXml(path));
        EXPECT_EQ(third.Items().at(100), AsStored(entry));
        const pugi::xml_node maskPos = third.Xml().Root().child("Item").child("MaskPos");
        int xs = 0;
        for (pugi::xml_node x = maskPos.child("X"); x; x = x.next_sibling("X"))
            ++xs;
        EXPECT_EQ(xs, pnum <= 0 ? 1 : ClampedMaskPoints(pnum));
    }
}

TEST(ItemListXml, NewItemsAreWrittenInTheFileLayout)
{
    CTempFolder temp;
    const QString path = FaceFile(temp, QByteArray());
    CItemListXml items;
    ASSERT_TRUE(items.LoadItemXml(path));
    ASSERT_TRUE(Store(items, Entry(5, 2)));
    const pugi::xml_node item = items.Xml().Root().child("Item");
    EXPECT_EQ(ChildNames(item).join(QLatin1Char(' ')),
        QStringLiteral(
            "Start PlayTime Mode FilePath PlayMode LinkFaceNo CameraID CameraImgW CameraImgH InTime "
            "OutTime MaskMode MaskPos MaskImageEnable MaskImage Volume Mute InEffect OutEffect "
            "Filter ThumbnailTime"));
    EXPECT_EQ(ChildNames(item.child("MaskPos")).join(QLatin1Char(' ')), QStringLiteral("PNUM X Y X Y W H"));
    EXPECT_EQ(ChildNames(item.child("InEffect")).join(QLatin1Char(' ')),
        QStringLiteral("Pattern Direction StartTime EndTime"));
    EXPECT_EQ(ChildNames(item.child("OutEffect")).join(QLatin1Char(' ')),
        QStringLiteral("Pattern Direction StartTime EndTime"));
    EXPECT_EQ(ChildNames(item.child("Filter")).join(QLatin1Char(' ')),
        QStringLiteral("No") + QStringLiteral(" Param").repeated(10));
    // Values go to their elements: the filter's number, then its parameters in order.
    EXPECT_STREQ(item.child("Filter").child_value("No"), "29");
    EXPECT_STREQ(item.child("Filter").child("Param").next_sibling("Param").child_value(), "31");
    EXPECT_STREQ(item.child("OutEffect").child_value("Direction"), "26");
    EXPECT_STREQ(item.child("MaskPos").child("X").next_sibling("X").child_value(), "101");
}

TEST(ItemListXml, LoadToleratesMissingElementsAndDuplicates)
{
    CTempFolder temp;
    const QByteArray twentyX = [] {
        QByteArray xs;
        for (int i = 0; i < 20; ++i)
            xs += "<X>" + QByteArray::number(i + 1) + "</X>";
        return xs;
    }();
    const QString path = FaceFile(temp,
        "<Item><Start>10</Start><PlayTime>5</PlayTime></Item>"
        "<Item><Start>20</Start><MaskPos><PNUM>16</PNUM>"
            + twentyX
            + "<W>3</W></MaskPos></Item>"
              "<Item><Start>10</Start><PlayTime>6</PlayTime></Item>");
    CItemListXml items;
    ASSERT_TRUE(items.LoadItemXml(path));
    EXPECT_EQ(items.GetCount(), 3);
    ASSERT_EQ(items.Items().size(), 2u);
    const ItemXmlRecord& first = items.Items().at(10);
    EXPECT_EQ(first.PlayTime, 6); // the later duplicate wins
    EXPECT_EQ(first.CameraID, 0); // entries carry no record defaults
    EXPECT_EQ(first.Volume, 0);
    EXPECT_EQ(first.ThumbnailTime, 0);
    EXPECT_EQ(first.MaskX, 0);
    EXPECT_EQ(first.MaskY, 0);
    EXPECT_EQ(first.W, 0);
    EXPECT_EQ(first.H, 0);
    EXPECT_EQ(first.PNUM, 0);
    const ItemXmlRecord& second = items.Items().at(20);
    EXPECT_EQ(second.X[15], 16);
    EXPECT_EQ(second.MaskX, 1);
    EXPECT_EQ(second.W, 3);
    ItemXmlRecord out;
    EXPECT_EQ(items.GetItemByIndex(0, &out), 10);
    EXPECT_EQ(items.GetItemByIndex(1, &out), 20);
    EXPECT_EQ(items.GetItemByIndex(2, &out), -1); // counted, but only two entries
    EXPECT_EQ(out, ItemXmlRecord());
    EXPECT_EQ(items.GetItemByIndex(-1, &out), -1);
    EXPECT_EQ(items.GetItemByIndex(3, &out), -1);
    EXPECT_EQ(items.GetItemByIndex(0, nullptr), -1);
}

TEST(ItemListXml, NumbersAreTheLeadingIntegerOfTheText)
{
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        { "12", 12 },
        { "  -0012", -12 },
        { "+7", 7 },
        { "12ab", 12 },
        { "abc", 0 },
        { "", 0 },
        { "- 3", 0 },
        { "2147483648", 2147483647 },
        { "-99999999999", -2147483647 - 1 },
        { "\n\t 42 ", 42 },
        { "3.9", 3 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CTempFolder temp;
        const QString path
            = FaceFile(temp, QByteArray("<Item><Start>1</Start><PlayTime>") + c.text + "</PlayTime></Item>");
        CItemListXml items;
        ASSERT_TRUE(items.LoadItemXml(path));
        EXPECT_EQ(items.Items().at(1).PlayTime, c.value);
    }
}

TEST(ItemListXml, RefusedFilesLeaveTheStoreEmpty)
{
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const QByteArray longPath(kMaxEntryTextLength + 1, 'a');
    const Case cases[] = {
        { "root of another name", kDeclaration + "<Channel><Item><Start>1</Start></Item></Channel>" },
        { "root in lower case", kDeclaration + "<face><Item><Start>1</Start></Item></face>" },
        { "file path too long",
            kDeclaration + "<Face><Item><Start>1</Start><FilePath>" + longPath
                + "</FilePath></Item></Face>" },
        { "mask image too long",
            kDeclaration + "<Face><Item><MaskImage>" + longPath + "</MaskImage></Item></Face>" },
        { "not XML", "<Face><Item>" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder temp;
        const QString good = FaceFile(temp, MinimalItem(1));
        CItemListXml items;
        ASSERT_TRUE(items.LoadItemXml(good));
        EXPECT_FALSE(items.LoadItemXml(temp.WriteFile(QStringLiteral("bad.xml"), c.bytes)));
        EXPECT_TRUE(items.Items().empty());
        EXPECT_EQ(items.GetCount(), 0);
        EXPECT_FALSE(items.Xml().IsLoaded());
        EXPECT_FALSE(Store(items, Entry(1, 0))); // nothing to save into
    }
    CTempFolder temp;
    CItemListXml items;
    const QByteArray fitting(kMaxEntryTextLength, 'a');
    ASSERT_TRUE(items.LoadItemXml(FaceFile(temp, "<Item><FilePath>" + fitting + "</FilePath></Item>")));
    EXPECT_EQ(items.Items().at(0).FilePath.size(), kMaxEntryTextLength);
}

TEST(ItemListXml, RewriteKeepsOrderAndUnknownElementsAndAddsMissingOnes)
{
    CTempFolder temp;
    // Elements out of the usual order, an element the editor does not know, no "Volume", no
    // "Filter", and a mask with two points where the entry has four.
    const QByteArray item
        = "<Item><Custom keep=\"1\">x</Custom><Mute>0</Mute><MaskMode>0</MaskMode><OutTime>0</OutTime>"
          "<InTime>0</InTime><CameraImgH>0</CameraImgH><CameraImgW>0</CameraImgW><CameraID>0</CameraID>"
          "<LinkFaceNo>0</LinkFaceNo><PlayMode>0</PlayMode><FilePath>a</FilePath><Mode>0</Mode>"
          "<PlayTime>0</PlayTime><Start>100</Start>"
          "<MaskPos><W>0</W><PNUM>2</PNUM><X>1</X><Y>1</Y><X>2</X><Y>2</Y><H>0</H></MaskPos></Item>";
    const QString path = FaceFile(temp, item);
    CItemListXml items;
    ASSERT_TRUE(items.LoadItemXml(path));
    const ItemXmlRecord entry = Entry(100, 4);
    ASSERT_TRUE(Store(items, entry));

    CItemListXml reread;
    ASSERT_TRUE(reread.LoadItemXml(path));
    EXPECT_EQ(reread.Items().at(100), AsStored(entry));
    const pugi::xml_node element = reread.Xml().Root().child("Item");
    const QStringList names = ChildNames(element);
    EXPECT_EQ(names.mid(0, 15).join(QLatin1Char(' ')),
        QStringLiteral(
            "Custom Mute MaskMode OutTime InTime CameraImgH CameraImgW CameraID LinkFaceNo PlayMode "
            "FilePath Mode PlayTime Start MaskPos"));
    EXPECT_EQ(names.mid(15).join(QLatin1Char(' ')),
        QStringLiteral("MaskImageEnable MaskImage Volume InEffect OutEffect Filter ThumbnailTime"));
    EXPECT_STREQ(element.child("Custom").attribute("keep").value(), "1");
    EXPECT_EQ(ChildNames(element.child("MaskPos")).join(QLatin1Char(' ')),
        QStringLiteral("W PNUM X Y X Y X Y X Y H"));
}

TEST(ItemListXml, MissingRequiredElementRefusesTheSaveAndKeepsTheFile)
{
    const char* required[] = { "PlayTime", "Mode", "FilePath", "PlayMode", "LinkFaceNo", "CameraID",
        "CameraImgW", "CameraImgH", "InTime", "OutTime", "MaskMode", "Mute", "W", "H" };
    for (const char* name : required) {
        SCOPED_TRACE(name);
        CTempFolder temp;
        QByteArray item = MinimalItem(100);
        const QByteArray element = QByteArray("<") + name + ">0</" + name + ">";
        ASSERT_TRUE(item.contains(element));
        item.replace(element, QByteArray());
        const QString path = FaceFile(temp, item);
        const QByteArray before = temp.ReadFile(QStringLiteral("Face_1.xml"));
        CItemListXml items;
        ASSERT_TRUE(items.LoadItemXml(path));
        EXPECT_FALSE(Store(items, Entry(100, 0)));
        EXPECT_EQ(temp.ReadFile(QStringLiteral("Face_1.xml")), before);
    }
}

TEST(ItemListXml, MovedAndDeletedItems)
{
    CTempFolder temp;
    const QString path = FaceFile(temp, MinimalItem(100) + MinimalItem(200) + MinimalItem(300));
    const QByteArray unformatted = temp.ReadFile(QStringLiteral("Face_1.xml"));
    CItemListXml items;
    ASSERT_TRUE(items.LoadItemXml(path));

    // Deleting a start time without an entry writes nothing.
    EXPECT_TRUE(items.DeleteItem(150));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("Face_1.xml")), unformatted);

    // Moving 100 to 400: deleted under the old time, set under the new one, written last.
    ItemXmlRecord moved = items.Items().at(100);
    ASSERT_TRUE(items.DeleteItem(100));
    moved.Start = 400;
    ASSERT_TRUE(Store(items, moved));
    EXPECT_EQ(items.GetCount(), 3);
    CItemListXml reread;
    ASSERT_TRUE(reread.LoadItemXml(path));
    QStringList starts;
    for (pugi::xml_node item = reread.Xml().Root().child("Item"); item; item = item.next_sibling("Item"))
        starts.append(QString::fromUtf8(item.child_value("Start")));
    EXPECT_EQ(starts, QStringList({ QStringLiteral("200"), QStringLiteral("300"), QStringLiteral("400") }));
}

TEST(ItemListXml, TextsThatDoNotFitOrThatXmlCannotHoldAreRefused)
{
    const QString texts[] = { QString(kMaxEntryTextLength + 1, QLatin1Char('a')), QStringLiteral("a\x01.png"),
        QStringLiteral("a\r.png"), QString(QChar(0xDC00)) };
    for (const bool maskImage : { false, true }) {
        for (const QString& text : texts) {
            SCOPED_TRACE(testing::Message() << "mask image " << maskImage << " length " << text.size());
            CTempFolder temp;
            const QString path = FaceFile(temp, MinimalItem(100));
            const QByteArray before = temp.ReadFile(QStringLiteral("Face_1.xml"));
            CItemListXml items;
            ASSERT_TRUE(items.LoadItemXml(path));
            ItemXmlRecord entry = Entry(100, 0);
            (maskImage ? entry.MaskImage : entry.FilePath) = text;
            EXPECT_FALSE(Store(items, entry));
            EXPECT_EQ(temp.ReadFile(QStringLiteral("Face_1.xml")), before);
        }
    }
}

TEST(ItemListXml, CopiesShareTheDocument)
{
    CTempFolder temp;
    const QString path = FaceFile(temp, MinimalItem(100));
    CItemListXml loaded;
    ASSERT_TRUE(loaded.LoadItemXml(path));
    CItemListXml copy = loaded;
    EXPECT_EQ(copy.GetCount(), 1);
    EXPECT_EQ(copy.Xml().Path(), path);
    ASSERT_TRUE(Store(copy, Entry(200, 0)));
    // The copy wrote into the one document both hold.
    EXPECT_EQ(xml_fields::CountChildren(loaded.Xml().Root(), "Item"), 2);
    EXPECT_EQ(loaded.Items().size(), 1u); // the entries are the copy's own
}

TEST(ItemListXml, SavesLeaveUnchangedItemsAsTheyAre)
{
    CTempFolder temp;
    // The first item lacks elements a rewrite would add and holds a comment; it stays as it is
    // while the second one changes.
    const QByteArray kept = MinimalItem(100, "<!-- note -->");
    const QString path = FaceFile(temp, kept + MinimalItem(200));
    CItemListXml items;
    ASSERT_TRUE(items.LoadItemXml(path));
    const ItemXmlRecord first = items.Items().at(100);
    ASSERT_TRUE(Store(items, Entry(200, 4)));

    CItemListXml reread;
    ASSERT_TRUE(reread.LoadItemXml(path));
    EXPECT_EQ(reread.Items().at(100), first);
    EXPECT_EQ(reread.Items().at(200), AsStored(Entry(200, 4)));
    const pugi::xml_node element = reread.Xml().Root().child("Item");
    EXPECT_FALSE(element.child("Volume"));
    EXPECT_FALSE(element.child("ThumbnailTime"));
    EXPECT_STREQ(element.last_child().value(), " note ");
    EXPECT_TRUE(element.next_sibling("Item").child("ThumbnailTime"));
}

TEST(ItemListXml, AfterAFailedSaveTheNextOneWritesWhatTheEntriesHold)
{
    CTempFolder temp;
    // The second item lacks a required element: a batch that changes both items fails after the
    // first one was rewritten in the document.
    QByteArray broken = MinimalItem(200);
    broken.replace("<Mode>0</Mode>", "");
    const QString path = FaceFile(temp, MinimalItem(100) + broken);
    CItemListXml items;
    ASSERT_TRUE(items.LoadItemXml(path));
    const ItemXmlRecord first = items.Items().at(100);
    const ItemXmlRecord changed[] = { Entry(100, 4), Entry(200, 4) };
    ASSERT_FALSE(items.SetItems(changed));
    EXPECT_EQ(items.Items().at(100), first);

    // The next save writes the first item as its entry holds it, not as the failed one left it
    // in the document.
    ASSERT_TRUE(items.DeleteItem(200));
    CItemListXml reread;
    ASSERT_TRUE(reread.LoadItemXml(path));
    EXPECT_EQ(reread.Items().at(100), first);
}

TEST(ItemListXml, FilesNestedBeyondTheirRecordsAreRefused)
{
    CTempFolder temp;
    QByteArray nested = "x";
    for (int level = 3; level <= CXmlData::kMaxDepth; ++level)
        nested = "<Keep>" + nested + "</Keep>";
    const QByteArray deepest = MinimalItem(100, nested);
    const QByteArray tooDeep = MinimalItem(100, "<Keep>" + nested + "</Keep>");
    CItemListXml items;
    EXPECT_TRUE(items.LoadItemXml(FaceFile(temp, deepest)));
    EXPECT_FALSE(items.LoadItemXml(FaceFile(temp, tooDeep)));
    EXPECT_EQ(items.Xml().ErrorText(), QStringLiteral("LoadXmlData loadエラー"));
    EXPECT_TRUE(items.Items().empty());

    CFaceListXml faces;
    EXPECT_FALSE(faces.LoadFaceXml(temp.WriteFile(QStringLiteral("Channel_1.xml"),
        kDeclaration + "<Channel><Face><No>1</No><Position>" + nested + "</Position></Face></Channel>")));
    EXPECT_TRUE(faces.Faces().empty());
    CProjectXml project;
    EXPECT_FALSE(project.LoadProjectXml(temp.WriteFile(QStringLiteral("show.xml"),
        kDeclaration + "<Project><Channel><No>1</No><Keep>" + nested + "</Keep></Channel></Project>")));
}

} // namespace

// A save leaves an entry as it is when its fingerprint is unchanged: a change to any one field,
// down to the last mask point and filter parameter or the last character of a text, must show.
TEST(ItemListXml, EveryFieldOfAnEntryChangesItsFingerprint)
{
    ItemXmlRecord base;
    base.FilePath = QStringLiteral("media/a.mp4");
    base.MaskImage = QStringLiteral("mask.png");
    using Change = void (*)(ItemXmlRecord&);
    const Change changes[] = {
        [](ItemXmlRecord& e) { e.Start = 1; },
        [](ItemXmlRecord& e) { e.PlayTime = 1; },
        [](ItemXmlRecord& e) { e.Mode = 1; },
        [](ItemXmlRecord& e) { e.FilePath = QStringLiteral("media/a.mp5"); },
        [](ItemXmlRecord& e) { e.FilePath = QStringLiteral("media/a.mp4 "); },
        [](ItemXmlRecord& e) { e.PlayMode = 1; },
        [](ItemXmlRecord& e) { e.LinkFaceNo = 1; },
        [](ItemXmlRecord& e) { e.CameraID = 1; },
        [](ItemXmlRecord& e) { e.CameraImgW = 1; },
        [](ItemXmlRecord& e) { e.CameraImgH = 1; },
        [](ItemXmlRecord& e) { e.InTime = 1; },
        [](ItemXmlRecord& e) { e.OutTime = 1; },
        [](ItemXmlRecord& e) { e.MaskMode = 1; },
        [](ItemXmlRecord& e) { e.MaskX = 1; },
        [](ItemXmlRecord& e) { e.MaskY = 1; },
        [](ItemXmlRecord& e) { e.W = 1; },
        [](ItemXmlRecord& e) { e.H = 1; },
        [](ItemXmlRecord& e) { e.PNUM = 1; },
        [](ItemXmlRecord& e) { e.X.front() = 1; },
        [](ItemXmlRecord& e) { e.X.back() = 1; },
        [](ItemXmlRecord& e) { e.Y.front() = 1; },
        [](ItemXmlRecord& e) { e.Y.back() = 1; },
        [](ItemXmlRecord& e) { e.MaskImageEnable = 1; },
        [](ItemXmlRecord& e) { e.MaskImage.clear(); },
        // The same characters moved from one text to the other.
        [](ItemXmlRecord& e) {
            e.FilePath += e.MaskImage;
            e.MaskImage.clear();
        },
        [](ItemXmlRecord& e) { e.Volume = 1; },
        [](ItemXmlRecord& e) { e.Mute = 1; },
        [](ItemXmlRecord& e) { e.InPattern = 1; },
        [](ItemXmlRecord& e) { e.InDirection = 1; },
        [](ItemXmlRecord& e) { e.InStartTime = 1; },
        [](ItemXmlRecord& e) { e.InEndTime = 1; },
        [](ItemXmlRecord& e) { e.OutPattern = 1; },
        [](ItemXmlRecord& e) { e.OutDirection = 1; },
        [](ItemXmlRecord& e) { e.OutStartTime = 1; },
        [](ItemXmlRecord& e) { e.OutEndTime = 1; },
        [](ItemXmlRecord& e) { e.FilterNo = 1; },
        [](ItemXmlRecord& e) { e.Param.front() = 1; },
        [](ItemXmlRecord& e) { e.Param.back() = 1; },
        [](ItemXmlRecord& e) { e.ThumbnailTime = 1; },
    };
    std::set<uint64_t> seen = { Fingerprint(base) };
    for (size_t i = 0; i < std::size(changes); ++i) {
        SCOPED_TRACE(i);
        ItemXmlRecord changed = base;
        changes[i](changed);
        ASSERT_NE(changed, base);
        EXPECT_TRUE(seen.insert(Fingerprint(changed)).second);
        EXPECT_EQ(Fingerprint(ItemXmlRecord(changed)), Fingerprint(changed));
    }

    FaceXmlRecord face;
    face.FilePath = QStringLiteral("Face_1.xml");
    using FaceChange = void (*)(FaceXmlRecord&);
    const FaceChange faceChanges[] = {
        [](FaceXmlRecord& e) { e.No = 1; },
        [](FaceXmlRecord& e) { e.FilePath = QStringLiteral("Face_2.xml"); },
        [](FaceXmlRecord& e) { e.Status = 1; },
        [](FaceXmlRecord& e) { e.Lock = 1; },
        [](FaceXmlRecord& e) { e.R = 1; },
        [](FaceXmlRecord& e) { e.G = 1; },
        [](FaceXmlRecord& e) { e.B = 1; },
        [](FaceXmlRecord& e) { e.X.back() = 1; },
        [](FaceXmlRecord& e) { e.Y.back() = 1; },
    };
    std::set<uint64_t> faces = { Fingerprint(face) };
    for (size_t i = 0; i < std::size(faceChanges); ++i) {
        SCOPED_TRACE(i);
        FaceXmlRecord changed = face;
        faceChanges[i](changed);
        EXPECT_TRUE(faces.insert(Fingerprint(changed)).second);
    }
}
