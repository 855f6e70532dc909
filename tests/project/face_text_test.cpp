// The face file store reads a file in its own layout straight from the text and writes back the
// untouched entries' bytes; every file must give what the DOM load and save give: the same
// result, entries, count and error text on load, and the same file bytes after each save.
#include "platform/text_codec.h"
#include "project/item_list_xml.h"
#include "project/record_conversion.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/project/project_test_data.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <malloc.h>
#include <vector>

namespace {

ItemXmlRecord Entry(int32_t start, int32_t pnum)
{
    ItemXmlRecord entry;
    EXPECT_TRUE(ToItemXmlRecord(FilledItem(start, pnum), entry));
    return entry;
}

// A face file as the DOM save writes it for these entries.
QByteArray StoreLayout(const std::vector<ItemXmlRecord>& entries)
{
    CTempFolder temp;
    const QString path = temp.WriteFile(QStringLiteral("Face_1.xml"), kDeclaration + "<Face />\n");
    CItemListXml items;
    EXPECT_TRUE(items.LoadItemXmlAsDocument(path));
    EXPECT_TRUE(items.SetItems(entries));
    return temp.ReadFile(QStringLiteral("Face_1.xml"));
}

// Entries that use every form the layout has: texts with escapes, Japanese, tab and line feed or
// empty; no mask points, some, all and more than the record holds; the extremes of the numbers.
const QByteArray& RegularFace()
{
    static const QByteArray bytes = [] {
        std::vector<ItemXmlRecord> entries
            = { Entry(0, 0), Entry(500, 3), Entry(1000, 16), Entry(1500, 20), Entry(2000, -2) };
        entries[1].FilePath = QString();
        entries[1].MaskImage = QString();
        entries[2].FilePath = QStringLiteral("a\tb\nc \"d\" 'e' > f");
        entries[3].PlayTime = std::numeric_limits<int32_t>::min();
        entries[3].OutTime = std::numeric_limits<int32_t>::max();
        entries[4].FilePath = QString(kMaxEntryTextLength, QChar(u'字'));
        return StoreLayout(entries);
    }();
    return bytes;
}

QByteArray Replaced(QByteArray bytes, const QByteArray& before, const QByteArray& after)
{
    const qsizetype at = bytes.indexOf(before);
    EXPECT_GE(at, 0) << before.constData();
    return at < 0 ? bytes : bytes.replace(at, before.size(), after);
}

// The text with every run of whitespace between two tags (after a '>', before a '<') replaced by
// what `respace` makes of it, given the run and its number.
template <typename Respace> QByteArray Respaced(const QByteArray& bytes, Respace respace)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    QByteArray out;
    out.reserve(bytes.size());
    int runs = 0;
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype end = at;
        while (end < bytes.size() && isSpace(bytes[end]))
            ++end;
        if (end > at && at > 0 && bytes[at - 1] == '>' && end < bytes.size() && bytes[end] == '<') {
            out.append(respace(bytes.mid(at, end - at), runs++));
            at = end;
            continue;
        }
        out.append(bytes.mid(at, std::max<qsizetype>(end - at, 1)));
        at = std::max(end, at + 1);
    }
    return out;
}

struct FaceCase {
    const char* name;
    QByteArray bytes;
    bool keptAsText;
};

std::vector<FaceCase> FaceCases()
{
    const QByteArray& regular = RegularFace();
    const QByteArray filePath = "<FilePath>/media/映像/clip &amp; &lt;one&gt;.mp4</FilePath>";
    QByteArray deep = "<Extra>";
    for (int i = 0; i < CXmlData::kMaxDepth; ++i)
        deep = "<Deep>" + deep + "</Deep>";
    return {
        { "regular", regular, true },
        { "empty root", kDeclaration + "<Face />\n", true },
        { "duplicate starts", Replaced(regular, "<Start>500</Start>", "<Start>0</Start>"), true },
        { "no mask points", Replaced(regular, "\t\t\t<X>13</X>\n\t\t\t<Y>14</Y>\n", ""), true },
        { "blank text", Replaced(regular, filePath, "<FilePath> \n\t</FilePath>"), true },
        { "more mask points than an entry holds",
            Replaced(regular, "\t\t\t<Y>-215</Y>\n", "\t\t\t<Y>-215</Y>\n\t\t\t<X>1</X>\n\t\t\t<Y>2</Y>\n"),
            true },
        { "unknown element in an item",
            Replaced(regular, "\t\t<Volume>", "\t\t<Extra>1</Extra>\n\t\t<Volume>"), true },
        { "unknown element beside the items", Replaced(regular, "<Face>\n", "<Face>\n\t<Note>n</Note>\n"),
            true },
        { "comment", Replaced(regular, "\t<Item>", "\t<!-- c -->\n\t<Item>"), true },
        { "CDATA", Replaced(regular, filePath, "<FilePath><![CDATA[a & b]]></FilePath>"), true },
        { "character reference", Replaced(regular, filePath, "<FilePath>&#65;&#x42;</FilePath>"), true },
        { "quote entity", Replaced(regular, filePath, "<FilePath>&quot;</FilePath>"), true },
        { "bare ampersand", Replaced(regular, filePath, "<FilePath>a & b</FilePath>"), true },
        { "raw greater-than", Replaced(regular, filePath, "<FilePath>a > b</FilePath>"), true },
        { "carriage return in a text", Replaced(regular, filePath, "<FilePath>a\rb</FilePath>"), true },
        { "control character reference", Replaced(regular, filePath, "<FilePath>&#1;</FilePath>"), true },
        { "text opening with U+FEFF", Replaced(regular, filePath, "<FilePath>\xEF\xBB\xBFx</FilePath>"),
            true },
        { "empty text element", Replaced(regular, filePath, "<FilePath></FilePath>"), true },
        { "empty number element", Replaced(regular, "<CameraID>5</CameraID>", "<CameraID />"), true },
        { "attribute", Replaced(regular, "<Item>", "<Item id=\"1\">"), true },
        { "line ends CRLF, also in a text", QByteArray(regular).replace("\n", "\r\n"), true },
        { "line ends CRLF between tags",
            Respaced(regular, [](QByteArray run, int) { return run.replace("\n", "\r\n"); }), true },
        { "line ends CR between tags",
            Respaced(regular, [](QByteArray run, int) { return run.replace("\n", "\r"); }), true },
        { "spaces for tabs", QByteArray(regular).replace("\t", "  "), true },
        { "no indentation", Respaced(regular, [](QByteArray run, int) { return run.replace("\t", ""); }),
            true },
        { "no whitespace between tags",
            Respaced(regular, [](const QByteArray&, int) { return QByteArray(); }), true },
        { "mixed whitespace between tags",
            Respaced(regular,
                [](const QByteArray& run, int i) {
                    const QByteArray kinds[] = { "", " ", "\r\n\t", "\n\n  \t", run };
                    return kinds[i % 5];
                }),
            true },
        { "one entry indented otherwise", Replaced(regular, "\t\t<Mode>", " \t <Mode>"), true },
        { "whitespace after the root", regular + " \r\n\t", true },
        { "no final line end", regular.chopped(1), true },
        { "empty root with CRLF", kDeclaration.chopped(1) + "\r\n<Face />\r\n", true },
        { "no mask points, CRLF between tags",
            Respaced(Replaced(regular, "\t\t\t<X>13</X>\n\t\t\t<Y>14</Y>\n", ""),
                [](QByteArray run, int) { return run.replace("\n", "\r\n"); }),
            true },
        { "more mask points than PNUM, no indentation",
            Respaced(
                Replaced(regular, "<PNUM>-2</PNUM>\n\t\t\t<X>13</X>\n\t\t\t<Y>14</Y>\n",
                    "<PNUM>-2</PNUM>\n\t\t\t<X>13</X>\n\t\t\t<Y>14</Y>\n\t\t\t<X>1</X>\n\t\t\t<Y>2</Y>\n"),
                [](QByteArray run, int) { return run.replace("\t", ""); }),
            true },
        { "whitespace before a closing tag",
            Replaced(regular, "<PlayTime>500</PlayTime>", "<PlayTime>500\n</PlayTime>"), true },
        { "whitespace before the declaration", "\n" + regular, false },
        { "single-quoted declaration",
            Replaced(regular, kDeclaration, "<?xml version='1.0' encoding='UTF-8'?>\n"), true },
        { "declaration in mixed quotes",
            Replaced(regular, kDeclaration, "<?xml version='1.0' encoding=\"UTF-8\"?>\n"), true },
        { "UTF-16", Utf16LeWithBom(QString::fromUtf8(regular)), true },
        { "missing field", Replaced(regular, "\t\t<CameraID>5</CameraID>\n", ""), true },
        { "missing required field", Replaced(regular, "\t\t<PlayTime>500</PlayTime>\n", ""), true },
        { "number with blank", Replaced(regular, "<PlayTime>500</PlayTime>", "<PlayTime> 500</PlayTime>"),
            true },
        { "number with plus", Replaced(regular, "<PlayTime>500</PlayTime>", "<PlayTime>+500</PlayTime>"),
            true },
        { "number with leading zero",
            Replaced(regular, "<PlayTime>500</PlayTime>", "<PlayTime>0500</PlayTime>"), true },
        { "minus zero", Replaced(regular, "<PlayTime>500</PlayTime>", "<PlayTime>-0</PlayTime>"), true },
        { "not a number", Replaced(regular, "<PlayTime>500</PlayTime>", "<PlayTime>abc</PlayTime>"), true },
        { "number beyond 32 bits",
            Replaced(regular, "<PlayTime>500</PlayTime>", "<PlayTime>99999999999</PlayTime>"), true },
        { "number with trailing text",
            Replaced(regular, "<PlayTime>500</PlayTime>", "<PlayTime>5x</PlayTime>"), true },
        { "text too long", Replaced(regular, filePath, "<FilePath>" + QByteArray(300, 'a') + "</FilePath>"),
            false },
        { "too deep", Replaced(regular, "\t\t<Volume>", "\t\t" + deep + "\n\t\t<Volume>"), false },
        { "not UTF-8", Replaced(regular, "映像", "\xFF\xFE"), false },
        { "NUL", Replaced(regular, "clip", QByteArray("cl\0ip", 5)), false },
        { "empty file", QByteArray(), false },
        { "truncated", regular.left(regular.size() / 2), false },
        { "truncated after an item", regular.left(regular.indexOf("\t<Item>", 100)), false },
        { "comment inside an entry", Replaced(regular, "\t\t<Mode>", "\t\t<!-- c -->\n\t\t<Mode>"), true },
        { "comment after the entries", Replaced(regular, "</Face>", "\t<!-- c -->\n</Face>"), true },
        { "comments and an unknown element together between entries",
            Replaced(regular, "\t<Item>\n\t\t<Start>500<",
                "<!--a--><?note x?>\n<Note a=\"1 > 0\"><!-- <Item> "
                "--><![CDATA[</Note>]]></Note>\t<Item>\n\t\t<Start>500<"),
            true },
        { "processing instruction between entries",
            Replaced(regular, "\t<Item>", "\t<?editor note?>\n\t<Item>"), true },
        { "processing instruction inside an entry",
            Replaced(regular, "\t\t<Mute>", "\t\t<?editor note?>\n\t\t<Mute>"), true },
        { "unknown element with children in an entry",
            Replaced(regular, "\t\t<Mute>", "\t\t<Extra a='1'><Inner>x</Inner></Extra>\n\t\t<Mute>"), true },
        { "an entry without a start", Replaced(regular, "\t\t<Start>500</Start>\n", ""), true },
        { "an empty entry", Replaced(regular, "\t<Item>", "\t<Item/>\n\t<Item>"), true },
        { "only a comment in the root", kDeclaration + "<Face>\n\t<!-- c -->\n</Face>\n", true },
        { "unknown element nested deeper than the save indents in an entry",
            Replaced(regular, "\t\t<Mute>", "\t\t<A><B><C>x</C></B></A>\n\t\t<Mute>"), false },
        { "unknown element nested deeper than the save indents beside the entries",
            Replaced(regular, "\t<Item>", "\t<A><B><C><D>x</D></C></B></A>\n\t<Item>"), false },
        { "text beside the entries", Replaced(regular, "\t<Item>", "\tloose\n\t<Item>"), false },
        { "text that could start a name beside the entries",
            Replaced(regular, "\t<Item>", "\t\xEF\xBB\xBF<Item>"), false },
        { "CDATA beside the entries", Replaced(regular, "\t<Item>", "\t<![CDATA[x]]>\n\t<Item>"), false },
        // Editors on Windows often write one; the document save writes none.
        { "UTF-8 byte order mark", "\xEF\xBB\xBF" + regular, true },
        { "UTF-8 byte order mark twice", "\xEF\xBB\xBF\xEF\xBB\xBF" + regular, false },
        { "document type", Replaced(regular, "<Face>", "<!DOCTYPE Face>\n<Face>"), false },
        { "comment before the root", Replaced(regular, "<Face>", "<!-- c -->\n<Face>"), false },
        { "unclosed comment in an entry", Replaced(regular, "\t\t<Mute>", "\t\t<!-- c\n\t\t<Mute>"), false },
        { "mismatched tags in an unknown element",
            Replaced(regular, "\t<Item>", "\t<Note><a></b></Note>\n\t<Item>"), false },
        { "declaration in Shift_JIS",
            platform::EncodeText(QString::fromUtf8(Replaced(regular, "UTF-8", "Shift_JIS")),
                platform::TextEncoding::Cp932, false)
                .value_or(QByteArray()),
            true },
        { "declaration naming utf-8 in small letters", Replaced(regular, "UTF-8", "utf-8"), true },
        { "declaration with standalone",
            Replaced(regular, "encoding=\"UTF-8\"?>", "encoding=\"UTF-8\" standalone=\"yes\"?>"), true },
        { "declaration without encoding", Replaced(regular, " encoding=\"UTF-8\"", ""), true },
        { "declaration with blanks", Replaced(regular, "<?xml version=\"1.0\"", "<?xml  version = '1.0' "),
            true },
        { "no declaration", regular.mid(kDeclaration.size()), true },
        { "no declaration, empty root", QByteArray("<Face />"), true },
        { "processing instruction named like the declaration in the root",
            Replaced(regular, "\t<Item>", "\t<?xml-note x?>\n\t<Item>"), false },
        { "another root", QByteArray(regular).replace("Face>", "Faces>"), false },
        { "empty root with a line end", kDeclaration + "<Face>\n</Face>\n", false },
    };
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One file loaded both ways, and the same edits made to both.
class CTwinStores {
public:
    explicit CTwinStores(const QByteArray& bytes)
        : m_textPath(m_temp.WriteFile(QStringLiteral("text/Face_1.xml"), bytes))
        , m_documentPath(m_temp.WriteFile(QStringLiteral("document/Face_1.xml"), bytes))
    {
    }

    void ExpectSameLoad(bool keptAsText)
    {
        const bool loaded = text.LoadItemXml(m_textPath);
        EXPECT_EQ(loaded, document.LoadItemXmlAsDocument(m_documentPath));
        EXPECT_EQ(text.IsKeptAsText(), keptAsText);
        ExpectSameEntries();
    }

    void ExpectSameEntries()
    {
        EXPECT_EQ(text.GetCount(), document.GetCount());
        EXPECT_TRUE(text.Items() == document.Items());
        ItemXmlRecord fromText;
        ItemXmlRecord fromDocument;
        for (int32_t i = -1; i <= text.GetCount(); ++i)
            EXPECT_EQ(text.GetItemByIndex(i, &fromText), document.GetItemByIndex(i, &fromDocument));
    }

    template <typename Edit> void ExpectSameSave(const char* step, Edit edit)
    {
        SCOPED_TRACE(step);
        const bool keptAsText = text.IsKeptAsText();
        const bool saved = edit(text);
        EXPECT_EQ(saved, edit(document));
        EXPECT_EQ(text.IsKeptAsText(), keptAsText);
        ExpectSameEntries();
        EXPECT_EQ(FileBytes(m_textPath).toStdString(), FileBytes(m_documentPath).toStdString());
    }

    // Read last: asking for the document turns a text-kept store into a DOM one.
    void ExpectSameErrorText()
    {
        EXPECT_EQ(text.Xml().ErrorText(), document.Xml().ErrorText());
        EXPECT_EQ(text.Xml().IsLoaded(), document.Xml().IsLoaded());
    }

    QString TextPath() const { return m_textPath; }
    QString DocumentPath() const { return m_documentPath; }

    CItemListXml text;
    CItemListXml document;

private:
    CTempFolder m_temp;
    QString m_textPath;
    QString m_documentPath;
};

bool Store(CItemListXml& items, const ItemXmlRecord& entry)
{
    items.Item(entry.Start) = entry;
    items.SetCount(int32_t(items.Items().size()));
    return items.SaveItemXml();
}

TEST(FaceText, EveryFileLoadsAndSavesAsTheDocumentDoes)
{
    for (const FaceCase& face : FaceCases()) {
        SCOPED_TRACE(face.name);
        CTwinStores twins(face.bytes);
        twins.ExpectSameLoad(face.keptAsText);
        twins.ExpectSameSave("unchanged", [](CItemListXml& items) { return items.SaveItemXml(); });
        twins.ExpectSameSave("one entry changed, one added", [](CItemListXml& items) {
            ItemXmlRecord added = Entry(700, 2);
            added.FilePath = QStringLiteral("新 & <new>\t\"x\"");
            if (!items.Items().empty()) {
                ItemXmlRecord& first = items.Items().begin()->second;
                first.PlayTime ^= 1;
                first.PNUM = first.PNUM > 0 ? 0 : 3;
                first.FilePath = QStringLiteral("a & b <c>");
                first.MaskImage = QString();
            }
            return Store(items, added);
        });
        twins.ExpectSameSave("one entry deleted, one moved", [](CItemListXml& items) {
            if (items.Items().size() < 2)
                return items.DeleteItem(12345);
            const int32_t last = items.Items().rbegin()->first;
            ItemXmlRecord moved = items.Items().begin()->second;
            if (!items.DeleteItem(last) || !items.DeleteItem(moved.Start))
                return false;
            moved.Start = last + 1;
            return Store(items, moved);
        });
        twins.ExpectSameSave("entries stored under another start", [](CItemListXml& items) {
            ItemXmlRecord entry = Entry(900, 1);
            entry.Start = 950;
            items.Item(900) = entry;
            if (!items.Items().empty()) {
                ItemXmlRecord& first = items.Items().begin()->second;
                first.Start += 3;
                first.Volume += 1;
            }
            items.SetCount(int32_t(items.Items().size()));
            return items.SaveItemXml();
        });
        twins.ExpectSameSave("a text that no file can hold", [](CItemListXml& items) {
            items.Item(0).FilePath = QStringLiteral("bell\a");
            const bool saved = items.SaveItemXml();
            items.Item(0).FilePath = QStringLiteral("bell");
            return saved;
        });
        twins.ExpectSameSave("every entry removed", [](CItemListXml& items) {
            items.Items().clear();
            items.SetCount(0);
            return items.SaveItemXml();
        });
        twins.ExpectSameErrorText();
    }
}

// A failed write leaves the file as it was; the store keeps the edits made so far, as a document
// does, and the next save writes the entries anew.
TEST(FaceText, AFailedSaveIsFollowedAsByTheDocument)
{
    CTwinStores twins(RegularFace());
    twins.ExpectSameLoad(true);
    twins.ExpectSameSave("failed", [&twins](CItemListXml& items) {
        const QString path = &items == &twins.text ? twins.TextPath() : twins.DocumentPath();
        QFile::remove(path);
        QDir().mkdir(path); // a folder in the file's place: the replacement fails
        items.Items().erase(items.Items().begin());
        items.Item(300) = Entry(300, 1);
        items.SetCount(int32_t(items.Items().size()));
        const bool saved = items.SaveItemXml();
        EXPECT_FALSE(saved);
        QDir().rmdir(path);
        return saved;
    });
    twins.ExpectSameSave("next", [](CItemListXml& items) { return Store(items, Entry(100, 4)); });
    twins.ExpectSameErrorText();
}

// Copies share the loaded file: a save through one is what the other's next save starts from.
TEST(FaceText, CopiesShareTheFileAsTheyShareADocument)
{
    CTwinStores twins(RegularFace());
    twins.ExpectSameLoad(true);
    CItemListXml textCopy = twins.text;
    CItemListXml documentCopy = twins.document;
    twins.ExpectSameSave(
        "through the original", [](CItemListXml& items) { return Store(items, Entry(100, 4)); });
    EXPECT_TRUE(Store(textCopy, Entry(200, 2)));
    EXPECT_TRUE(Store(documentCopy, Entry(200, 2)));
    EXPECT_EQ(FileBytes(twins.TextPath()).toStdString(), FileBytes(twins.DocumentPath()).toStdString());
    // Asking one copy for its document hands the other copy the same one.
    EXPECT_EQ(textCopy.Xml().Root().first_child().name(), std::string("Item"));
    EXPECT_FALSE(twins.text.IsKeptAsText());
    twins.ExpectSameSave(
        "after the document was asked for", [](CItemListXml& items) { return Store(items, Entry(250, 0)); });
}

// The growth of the process's resident size over a call, at its highest: the peak is started
// anew from the current size, and the heap gives back what it holds free first, so that memory
// freed before cannot hide what the call takes.
template <typename Call> long PeakGrowthBytes(Call call)
{
    const auto statusKilobytes = [](const char* field) {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
            return 0L;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith(field))
                return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLong();
        }
        return 0L;
    };
    ::malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return -1;
    clear.close();
    const long before = statusKilobytes("VmRSS:");
    call();
    return (statusKilobytes("VmHWM:") - before) * 1024;
}

enum class Outcome { KeptAsText, Document, Refused };

struct LargeFace {
    const char* name;
    // The text of one entry in this file's layout, from the store's own.
    QByteArray (*relayout)(const QByteArray& item);
    // What comes between the root's opening tag and the first entry.
    QByteArray beforeEntries;
    Outcome outcome;
    // The encoding the file is written in and its declaration names; UTF-8 when null.
    const char* encoding = nullptr;
};

// The memory tests do not run under the sanitizers, nor are their layouts built there.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
QByteArray AsStored(const QByteArray& item)
{
    return item;
}

QByteArray WithCrlfAndTwoSpaces(const QByteArray& item)
{
    return Respaced(item, [](QByteArray run, int) { return run.replace("\n", "\r\n").replace("\t", "  "); });
}

QByteArray WithoutWhitespace(const QByteArray& item)
{
    return Respaced(item, [](const QByteArray&, int) { return QByteArray(); });
}

QByteArray WithUnknownElement(const QByteArray& item)
{
    return Replaced(item, "\t\t<Volume>", "\t\t<Extra>1</Extra>\n\t\t<Volume>");
}

QByteArray WithComment(const QByteArray& item)
{
    return Replaced(item, "\t\t<Volume>", "\t\t<!-- louder -->\n\t\t<Volume>");
}
#endif

// A large face loads within four times its size, whatever its layout: read from its text, the text
// once and the entries; read into a document, the text, the tree and the entries within the load's
// bound. The tree of entries of short values takes about three times their text: such a face does
// not fit beside its text and entries and is refused, as a file too large is, unless other text
// (here a long comment) makes up for it.
TEST(FaceText, ALargeFaceLoadsWithinFourTimesItsSize)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' allocators keep freed memory and shadow every byte";
#else
    constexpr int kItems = 20000;
    const LargeFace faces[] = {
        { "the store's own layout", AsStored, "", Outcome::KeptAsText },
        { "CRLF line ends and two-space indentation", WithCrlfAndTwoSpaces, "", Outcome::KeptAsText },
        { "no whitespace between tags", WithoutWhitespace, "", Outcome::KeptAsText },
        { "a comment before the entries", AsStored, "\t<!-- made by hand -->\n", Outcome::KeptAsText },
        { "an unknown element in every entry", WithUnknownElement, "", Outcome::KeptAsText },
        { "a comment in every entry", WithComment, "", Outcome::KeptAsText },
        { "a long comment before the entries", AsStored, "\t<!--" + QByteArray(24 << 20, 'c') + "-->\n",
            Outcome::KeptAsText },
        { "Shift_JIS with Japanese texts", AsStored, "", Outcome::KeptAsText, "Shift_JIS" },
        { "Shift_JIS with an unknown element in every entry", WithUnknownElement, "", Outcome::KeptAsText,
            "Shift_JIS" },
    };
    for (const LargeFace& face : faces) {
        SCOPED_TRACE(face.name);
        const QByteArray one = StoreLayout({ Entry(0, 16) });
        const qsizetype itemStart = one.indexOf("\t<Item>");
        const qsizetype itemEnd = one.indexOf("</Item>") + 8;
        ASSERT_GT(itemStart, 0);
        const QByteArray item = one.mid(itemStart, itemEnd - itemStart);
        CTempFolder temp;
        const QString path = temp.Path() + QStringLiteral("/Face_1.xml");
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            const auto write = [&](QByteArray utf8) {
                if (face.encoding)
                    utf8 = platform::EncodeText(QString::fromUtf8(utf8), platform::TextEncoding::Cp932, false)
                               .value_or(QByteArray());
                ASSERT_EQ(file.write(utf8), utf8.size());
            };
            QByteArray head = one.left(itemStart) + face.beforeEntries;
            if (face.encoding)
                head.replace("UTF-8", face.encoding);
            write(head);
            const QByteArray relaid = face.relayout(item);
            for (int i = 0; i < kItems; ++i)
                write(QByteArray(relaid).replace(
                    "<Start>0</Start>", "<Start>" + QByteArray::number(i * 500) + "</Start>"));
            write(one.mid(itemEnd));
        }
        const qint64 fileBytes = QFileInfo(path).size();
        ASSERT_GT(fileBytes, 20 << 20);
        CItemListXml items;
        bool loaded = false;
        const long growth = PeakGrowthBytes([&] { loaded = items.LoadItemXml(path); });
        ASSERT_GE(growth, 0) << "the peak resident size cannot be reset here";
        EXPECT_EQ(loaded, face.outcome != Outcome::Refused);
        EXPECT_EQ(items.IsKeptAsText(), face.outcome == Outcome::KeptAsText);
        EXPECT_EQ(items.Items().size(), face.outcome == Outcome::Refused ? 0 : size_t(kItems));
        if (!items.Items().empty()) {
            EXPECT_EQ(items.Items().begin()->second.FilePath, Entry(0, 16).FilePath);
        }
        EXPECT_LE(double(growth), 4.0 * double(fileBytes)) << growth << " bytes for a file of " << fileBytes;
    }
#endif
}

// Files that would take many times their size in memory, kept within the 128 MiB of a readable
// file: a node of the tree for every few bytes, or entries whose records outweigh their text by far.
// Each is refused with the load error, without taking more than the load's bound on the way.
TEST(FaceText, AFileThatWouldTakeManyTimesItsSizeIsRefused)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' allocators keep freed memory and shadow every byte";
#else
    const struct {
        const char* name;
        QByteArray (*entry)(int i);
    } files[] = {
        { "empty elements", [](int) { return QByteArray("<a/>"); } },
        { "entries larger as records than as text",
            [](int i) {
                return "<Item><Start>" + QByteArray::number(i) + QByteArray(60, ' ') + "</Start></Item>";
            } },
    };
    for (const auto& face : files) {
        SCOPED_TRACE(face.name);
        CTempFolder temp;
        const QString path = temp.Path() + QStringLiteral("/Face_1.xml");
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            QByteArray text = kDeclaration + "<Face>";
            for (int i = 0; text.size() < (32 << 20); ++i)
                text += face.entry(i);
            file.write(text + "</Face>\n");
        }
        const qint64 fileBytes = QFileInfo(path).size();
        ASSERT_LT(fileBytes, CXmlData::kMaxFileBytes);
        CItemListXml items;
        bool loaded = true;
        const long growth = PeakGrowthBytes([&] { loaded = items.LoadItemXml(path); });
        EXPECT_FALSE(loaded);
        EXPECT_TRUE(items.Items().empty());
        EXPECT_EQ(items.GetCount(), 0);
        EXPECT_EQ(items.Xml().ErrorText(), QStringLiteral("LoadXmlData loadエラー"));
        EXPECT_LE(double(growth), 4.0 * double(fileBytes)) << growth << " bytes for a file of " << fileBytes;
    }
#endif
}

} // namespace
