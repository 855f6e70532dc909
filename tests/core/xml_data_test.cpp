#include "core/xml_data.h"
#include "tests/fixtures/temp_folder.h"

#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QByteArray kEmptyProject = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Project />\n";

QString Loaded(CXmlData& xml, const CTempFolder& temp, const char* name, const QByteArray& bytes)
{
    const QString path = temp.WriteFile(QString::fromLatin1(name), bytes);
    EXPECT_TRUE(xml.LoadXmlData(path)) << xml.ErrorText().toStdString();
    return path;
}

TEST(XmlData, CreateWritesDeclarationAndRootAndKeepsAnExistingFile)
{
    CTempFolder temp;
    CXmlData xml;
    const QString path = temp.FilePath(QStringLiteral("p.xml"));
    ASSERT_TRUE(xml.CreateXmlData(path, QStringLiteral("Project")));
    EXPECT_FALSE(xml.IsLoaded()); // creating does not load
    EXPECT_EQ(temp.ReadFile(QStringLiteral("p.xml")), kEmptyProject);
    ASSERT_TRUE(xml.LoadXmlData(path));
    EXPECT_STREQ(xml.Root().name(), "Project");
    EXPECT_EQ(xml.Path(), path);

    const QByteArray other = "<?xml version=\"1.0\"?><Other><A>1</A></Other>";
    const QString existing = temp.WriteFile(QStringLiteral("o.xml"), other);
    EXPECT_TRUE(xml.CreateXmlData(existing, QStringLiteral("Project")));
    EXPECT_EQ(xml.ErrorText(), QStringLiteral("CreateXmlDataファイルが既に存在しています"));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("o.xml")), other);
    EXPECT_EQ(xml.Path(), path); // the wrapper's state did not change
}

TEST(XmlData, ArgumentAndFileErrors)
{
    CTempFolder temp;
    temp.WriteFile(QStringLiteral("bad.xml"), "<Project><A></Project>");
    temp.WriteFile(QStringLiteral("empty.xml"), "");
    const QString tooLong = temp.FilePath(QString(CXmlData::kMaxPathLength, QLatin1Char('a')));
    struct Case {
        const char* name;
        std::function<bool(CXmlData&)> call;
        bool result;
        QString error;
    };
    const Case cases[] = {
        { "create without path", [](CXmlData& x) { return x.CreateXmlData(QString(), QStringLiteral("A")); },
            false, QStringLiteral("CreateXmlData引数エラー") },
        { "create with a path too long",
            [&](CXmlData& x) { return x.CreateXmlData(tooLong, QStringLiteral("A")); }, false,
            QStringLiteral("CreateXmlData引数エラー") },
        { "create with a bad root name",
            [&](CXmlData& x) {
                return x.CreateXmlData(temp.FilePath(QStringLiteral("n.xml")), QStringLiteral("1 x"));
            },
            false, QStringLiteral("CreateXmlDataルートノード作成エラー") },
        { "create in a missing folder",
            [&](CXmlData& x) {
                return x.CreateXmlData(temp.FilePath(QStringLiteral("no/n.xml")), QStringLiteral("A"));
            },
            false, QStringLiteral("CreateXmlData saveエラー") },
        { "load without path", [](CXmlData& x) { return x.LoadXmlData(QString()); }, false,
            QStringLiteral("LoadXmlData 引数エラー") },
        { "load a missing file",
            [&](CXmlData& x) { return x.LoadXmlData(temp.FilePath(QStringLiteral("none.xml"))); }, false,
            QStringLiteral("LoadXmlData ファイルが存在しません") },
        { "load a malformed file",
            [&](CXmlData& x) { return x.LoadXmlData(temp.FilePath(QStringLiteral("bad.xml"))); }, false,
            QStringLiteral("LoadXmlData loadエラー") },
        { "load an empty file",
            [&](CXmlData& x) { return x.LoadXmlData(temp.FilePath(QStringLiteral("empty.xml"))); }, false,
            QStringLiteral("LoadXmlData loadエラー") },
        { "save without path", [](CXmlData& x) { return x.SaveXmlData(QString()); }, false,
            QStringLiteral("SaveXmlData 引数エラー") },
        { "save into a missing folder",
            [&](CXmlData& x) { return x.SaveXmlData(temp.FilePath(QStringLiteral("no/s.xml"))); }, false,
            QStringLiteral("SaveXmlData saveエラー") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CXmlData xml;
        EXPECT_EQ(c.call(xml), c.result);
        EXPECT_EQ(xml.ErrorText(), c.error);
        EXPECT_TRUE(xml.Path().isEmpty());
    }
}

TEST(XmlData, FailedLoadKeepsThePreviousDocumentUsable)
{
    CTempFolder temp;
    CXmlData xml;
    const QString good = Loaded(xml, temp, "good.xml", "<Project><Version>1.0</Version></Project>");
    temp.WriteFile(QStringLiteral("bad.xml"), "<Project><Version>");
    EXPECT_FALSE(xml.LoadXmlData(temp.FilePath(QStringLiteral("bad.xml"))));
    EXPECT_EQ(xml.Result(), CXmlData::E_FAIL);
    EXPECT_TRUE(xml.Path().isEmpty());
    ASSERT_TRUE(xml.IsLoaded());
    QString version;
    EXPECT_TRUE(xml.GetNodeText(xml.Root(), "Version", version));
    EXPECT_EQ(version, QStringLiteral("1.0"));
    EXPECT_TRUE(xml.SetNodeText(xml.Root(), "Version", QStringLiteral("2.0")));
    EXPECT_TRUE(xml.SaveXmlData(good));
    EXPECT_EQ(xml.Result(), CXmlData::S_OK);
}

TEST(XmlData, NodeOperationErrorsInOrder)
{
    CTempFolder temp;
    CXmlData other;
    Loaded(other, temp, "other.xml", "<Project><Version>1.0</Version></Project>");
    CXmlData notLoaded;
    CXmlData xml;
    Loaded(xml, temp, "x.xml", "<Project><Version>1.0</Version><Cdata><![CDATA[a<b]]></Cdata></Project>");
    const pugi::xml_node foreign = other.Root();
    struct Case {
        const char* name;
        CXmlData* xml;
        std::function<bool(CXmlData&)> call;
        QString error;
    };
    const Case cases[] = {
        { "get, null element", &xml,
            [](CXmlData& x) {
                QString t;
                return x.GetNodeText(pugi::xml_node(), "Version", t);
            },
            QStringLiteral("GetNodeText 引数エラー") },
        { "get, not loaded, whatever element", &notLoaded,
            [&](CXmlData& x) {
                QString t;
                return x.GetNodeText(foreign, "Version", t);
            },
            QStringLiteral("GetNodeText 未読込みエラー") },
        { "set, null element", &xml,
            [](CXmlData& x) { return x.SetNodeText(pugi::xml_node(), "Version", QString()); },
            QStringLiteral("SetNodeText 引数エラー") },
        { "set, not loaded", &notLoaded, [&](CXmlData& x) { return x.SetNodeInt(foreign, "Version", 1); },
            QStringLiteral("SetNodeText 未読込みエラー") },
        { "set, nothing selected", &xml, [](CXmlData& x) { return x.SetNodeInt(x.Root(), "Missing", 1); },
            QStringLiteral("SetNodeText selectSingleNodeエラー") },
        { "set, text XML cannot hold", &xml,
            [](CXmlData& x) { return x.SetNodeText(x.Root(), "Version", QStringLiteral("a\x01")); },
            QStringLiteral("SetNodeText put_textエラー") },
        { "set this, null element", &xml, [](CXmlData& x) { return x.SetThisNodeInt(pugi::xml_node(), 1); },
            QStringLiteral("SetThisNodeText 引数エラー") },
        { "set this, not loaded", &notLoaded,
            [&](CXmlData& x) { return x.SetThisNodeText(foreign, QString()); },
            QStringLiteral("SetThisNodeText 未読込みエラー") },
        { "set this, unpaired surrogate", &xml,
            [](CXmlData& x) { return x.SetThisNodeText(x.Root().child("Version"), QString(QChar(0xD800))); },
            QStringLiteral("SetThisNodeText put_textエラー") },
        { "set this, carriage return", &xml,
            [](CXmlData& x) { return x.SetThisNodeText(x.Root().child("Version"), QStringLiteral("a\rb")); },
            QStringLiteral("SetThisNodeText put_textエラー") },
        { "add, missing parent", &xml, [](CXmlData& x) { return bool(x.AddNode(pugi::xml_node(), "A")); },
            QStringLiteral("AddNode 引数エラー") },
        { "add, bad name", &xml, [](CXmlData& x) { return x.AddIntNode(x.Root(), "1A", 1); },
            QStringLiteral("AddNode createElementエラー") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.call(*c.xml));
        EXPECT_EQ(c.xml->ErrorText(), c.error);
    }
    QString version;
    ASSERT_TRUE(xml.GetNodeText(xml.Root(), "Version", version));
    EXPECT_EQ(version, QStringLiteral("1.0")); // refused writes changed nothing
    QString cdata;
    EXPECT_TRUE(xml.GetNodeText(xml.Root(), "Cdata", cdata));
    EXPECT_EQ(cdata, QStringLiteral("a<b"));
}

TEST(XmlData, SelectionMissLeavesTheOutTextUnchanged)
{
    CTempFolder temp;
    CXmlData xml;
    Loaded(xml, temp, "x.xml", "<Face><Item><MaskPos><W>7</W></MaskPos></Item></Face>");
    QString text = QStringLiteral("unchanged");
    EXPECT_FALSE(xml.GetNodeText(xml.Root(), "Start", text));
    EXPECT_EQ(xml.ErrorText(), QStringLiteral("GetNodeText selectSingleNodeエラー"));
    EXPECT_EQ(text, QStringLiteral("unchanged"));
    // Deeper paths and XPath expressions select below the element given.
    EXPECT_TRUE(xml.GetNodeText(xml.Root(), "Item/MaskPos/W", text));
    EXPECT_EQ(text, QStringLiteral("7"));
    EXPECT_TRUE(xml.GetNodeText(xml.Root(), "Item[1]//W", text));
    EXPECT_EQ(text, QStringLiteral("7"));
    // The text of an element is all the text below it.
    int32_t number = 0;
    EXPECT_TRUE(xml.GetNodeInt(xml.Root(), "Item", number));
    EXPECT_EQ(number, 7);
    EXPECT_FALSE(xml.GetNodeText(xml.Root(), "Item[", text));
    EXPECT_EQ(xml.ErrorText(), QStringLiteral("GetNodeText selectSingleNodeエラー"));
}

TEST(XmlData, WritesAndAddsRoundTripThroughTheFile)
{
    CTempFolder temp;
    CXmlData xml;
    const QString path = temp.FilePath(QStringLiteral("p.xml"));
    ASSERT_TRUE(xml.CreateXmlData(path, QStringLiteral("Project")));
    // An element can be added even before anything is loaded.
    EXPECT_TRUE(xml.AddNode(xml.Document(), "Loose"));
    ASSERT_TRUE(xml.LoadXmlData(path));
    pugi::xml_node root = xml.Root();
    ASSERT_TRUE(xml.AddIntNode(root, "No", 3));
    ASSERT_TRUE(xml.AddIntNode(root, "Time", 0));
    EXPECT_TRUE(xml.SetNodeInt(root, "Time", -5));
    const QStringList texts = { QStringLiteral("C:\\映像\\a & <b>.mp4"), QStringLiteral(" "), QString(),
        QStringLiteral("tab\tand\nline"), QStringLiteral("😀") };
    for (int i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(xml.AddTextNode(root, "T", texts[i]));
    ASSERT_TRUE(xml.SaveXmlData(path));

    CXmlData reread;
    ASSERT_TRUE(reread.LoadXmlData(path));
    QString no;
    int32_t time = 0;
    EXPECT_TRUE(reread.GetNodeText(reread.Root(), "No", no));
    EXPECT_EQ(no, QStringLiteral("3"));
    EXPECT_TRUE(reread.GetNodeInt(reread.Root(), "Time", time));
    EXPECT_EQ(time, -5);
    int i = 0;
    for (pugi::xml_node t = reread.Root().child("T"); t; t = t.next_sibling("T"), ++i) {
        ASSERT_LT(i, texts.size());
        EXPECT_EQ(CXmlData::ThisNodeText(t), texts[i]);
    }
    EXPECT_EQ(i, texts.size());
    EXPECT_TRUE(
        temp.ReadFile(QStringLiteral("p.xml")).startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"));
}

TEST(XmlData, CopiesShareOneDocument)
{
    CTempFolder temp;
    CXmlData first;
    Loaded(first, temp, "x.xml", "<Project><A>1</A></Project>");
    CXmlData copy = first;
    {
        CXmlData scratch = copy;
        EXPECT_TRUE(scratch.SetNodeInt(scratch.Root(), "A", 2));
    }
    QString a;
    EXPECT_TRUE(first.GetNodeText(first.Root(), "A", a));
    EXPECT_EQ(a, QStringLiteral("2"));
    EXPECT_EQ(copy.Path(), first.Path());
}

TEST(XmlData, SavingADocumentWithoutItsOneRootIsRefusedAndKeepsTheFile)
{
    CTempFolder temp;
    const QByteArray old = "<Project><A>old</A></Project>";
    const QString path = temp.WriteFile(QStringLiteral("x.xml"), old);
    CXmlData notLoaded;
    EXPECT_FALSE(notLoaded.SaveXmlData(path));
    EXPECT_EQ(notLoaded.ErrorText(), QStringLiteral("SaveXmlData saveエラー"));
    EXPECT_EQ(notLoaded.Result(), CXmlData::E_FAIL);
    CXmlData twoRoots;
    Loaded(twoRoots, temp, "y.xml", old);
    ASSERT_TRUE(twoRoots.AddNode(twoRoots.Document(), "Second"));
    EXPECT_FALSE(twoRoots.SaveXmlData(path));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("x.xml")), old);
}

TEST(XmlData, FilesReadInAnotherEncodingAreSavedAsDeclaredUtf8)
{
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const QString text
        = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Face><Item>映像</Item></Face>");
    const Case cases[] = {
        { "UTF-16 LE", Utf16LeWithBom(text) },
        { "UTF-16 BE", Utf16BeWithBom(text) },
        { "UTF-8 with BOM",
            Utf8WithBom(
                QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><Face><Item>映像</Item></Face>")) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder temp;
        CXmlData xml;
        const QString path = Loaded(xml, temp, "f.xml", c.bytes);
        ASSERT_TRUE(xml.SaveXmlData(path));
        const QByteArray saved = temp.ReadFile(QStringLiteral("f.xml"));
        EXPECT_TRUE(saved.toUpper().startsWith("<?XML VERSION=\"1.0\" ENCODING=\"UTF-8\"?>"))
            << saved.constData();
        EXPECT_TRUE(saved.contains(QStringLiteral("<Item>映像</Item>").toUtf8()));
    }
}

TEST(XmlData, DeclaredEncodingsAreDecodedAndSavedAsUtf8)
{
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const QString body = QStringLiteral("<Face><Item>映像ﾃｽﾄ①</Item></Face>");
    const auto declared = [&](const char* encoding) {
        return QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\r\n").arg(QLatin1String(encoding))
            + body;
    };
    const Case cases[] = {
        // Older Windows tools name the Windows code page Shift_JIS (① is one of its extensions).
        { "Shift_JIS", Cp932(declared("Shift_JIS")) },
        { "shift_jis in single quotes",
            Cp932(QStringLiteral("<?xml version='1.0' encoding='shift_jis' ?>") + body) },
        { "windows-31j", Cp932(declared("windows-31j")) },
        { "UTF-8 declared as UTF-16 by a tool that kept a string's declaration",
            declared("UTF-16").toUtf8() },
        { "UTF-16 LE without a byte order mark", Utf16LeWithBom(declared("UTF-16")).mid(2) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder temp;
        CXmlData xml;
        const QString path = Loaded(xml, temp, "f.xml", c.bytes);
        QString text;
        ASSERT_TRUE(xml.GetNodeText(xml.Root(), "Item", text));
        EXPECT_EQ(text, QStringLiteral("映像ﾃｽﾄ①"));
        ASSERT_TRUE(xml.SaveXmlData(path));
        const QByteArray saved = temp.ReadFile(QStringLiteral("f.xml"));
        EXPECT_TRUE(saved.toUpper().startsWith("<?XML VERSION=\"1.0\" ENCODING=\"UTF-8\""))
            << saved.constData();
        EXPECT_TRUE(saved.contains(QStringLiteral("<Item>映像ﾃｽﾄ①</Item>").toUtf8())) << saved.constData();
    }
}

TEST(XmlData, TextThatCannotBeReadAsWrittenIsRefused)
{
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const QString body = QStringLiteral("<Face><Item>映像</Item></Face>");
    const Case cases[] = {
        { "CP932 bytes without a declaration", Cp932(body) },
        { "CP932 bytes declared UTF-8",
            Cp932(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + body) },
        { "an unknown encoding", QByteArray("<?xml version=\"1.0\" encoding=\"x-nothing\"?><Face/>") },
        { "a name that is no encoding name",
            QByteArray(
                "<?xml version=\"1.0\" encoding=\"UTF-8//IGNORE\"?><Face><Item>\x93\xfa</Item></Face>") },
        { "bytes that Shift_JIS does not have",
            QByteArray("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><Face><Item>\x85\x40</Item></Face>") },
        { "a cut-off Shift_JIS pair",
            QByteArray("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><Face><Item>A</Item></Face>\x93") },
        { "an unpaired surrogate in UTF-16", QByteArray("\xff\xfe<\0F\0/\0>\0\x00\xd8", 12) },
        { "a reference to NUL", QByteArray("<Face><Item>a&#0;b</Item></Face>") },
        { "a NUL byte", QByteArray("<Face><Item>a\0b</Item></Face>", 27) },
        { "text outside the root", QByteArray("zx<Face/>") },
        { "a declaration after the start",
            QByteArray("<!-- c --><?xml version=\"1.0\" encoding=\"UTF-8\"?><Face/>") },
        { "two roots", QByteArray("<Face/><Face/>") },
        { "a name ending in \"encoding\" is no encoding: CP932 bytes read as UTF-8",
            Cp932(QStringLiteral("<?xml version=\"1.0\" xencoding=\"Shift_JIS\"?>") + body) },
        { "a reference to a surrogate", QByteArray("<Face><Item>&#xD800;</Item></Face>") },
        { "a reference past the last code point", QByteArray("<Face><Item>&#1114112;</Item></Face>") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder temp;
        CXmlData xml;
        const QString earlier = Loaded(xml, temp, "earlier.xml", kEmptyProject);
        const QString path = temp.WriteFile(QStringLiteral("f.xml"), c.bytes);
        EXPECT_FALSE(xml.LoadXmlData(path));
        EXPECT_EQ(xml.ErrorText(), QStringLiteral("LoadXmlData loadエラー"));
        EXPECT_STREQ(xml.Root().name(), "Project") << "the earlier document stays loaded";
        EXPECT_EQ(temp.ReadFile(QStringLiteral("f.xml")), c.bytes);
    }
    // References to other characters are read, control characters too, which a save writes back
    // as references: the text survives the round trip.
    CTempFolder temp;
    CXmlData xml;
    const QString path = Loaded(xml, temp, "ok.xml",
        "<Face>\x15<Item>&#x6620;&#20687;&#9;&#x1F600;&#x14;\x01</Item>"
        "<Mark>\xEF\xBB\xBF\xEF\xBB\xBF"
        "a</Mark></Face>");
    const QString expected = QStringLiteral("映像\t😀\x14\x01");
    // A U+FEFF at the start of a text is a character like any other.
    const QString marks = QStringLiteral("\uFEFF\uFEFFa");
    QString text;
    ASSERT_TRUE(xml.GetNodeText(xml.Root(), "Item", text));
    EXPECT_EQ(text, expected);
    ASSERT_TRUE(xml.GetNodeText(xml.Root(), "Mark", text));
    EXPECT_EQ(text, marks);
    ASSERT_TRUE(xml.SetNodeText(xml.Root(), "Mark", QStringLiteral("\uFEFF")));
    ASSERT_TRUE(xml.SaveXmlData(path));
    CXmlData again;
    ASSERT_TRUE(again.LoadXmlData(path)) << temp.ReadFile(QStringLiteral("ok.xml")).constData();
    ASSERT_TRUE(again.GetNodeText(again.Root(), "Item", text));
    EXPECT_EQ(text, expected);
    ASSERT_TRUE(again.GetNodeText(again.Root(), "Mark", text));
    EXPECT_EQ(text, QStringLiteral("\uFEFF"));
}

TEST(XmlData, CommentsAndProcessingInstructionsSurviveARewrite)
{
    CTempFolder temp;
    CXmlData xml;
    const QString path = Loaded(xml, temp, "f.xml",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- made by hand -->\n<?editor keep?>\n"
        "<Face><!-- first item --><Item><Start>0</Start><FilePath><!-- media -->a.png</FilePath>"
        "<?note x?></Item></Face>");
    ASSERT_TRUE(xml.SetNodeText(xml.Root(), "Item/FilePath", QStringLiteral("b.png")));
    ASSERT_TRUE(xml.SetNodeInt(xml.Root(), "Item/Start", 100));
    ASSERT_TRUE(xml.SaveXmlData(path));
    const QByteArray saved = temp.ReadFile(QStringLiteral("f.xml"));
    for (const char* kept : { "<!-- made by hand -->", "<?editor keep?>", "<!-- first item -->",
             "<!-- media -->", "<?note x?>", "b.png", ">100<" }) {
        SCOPED_TRACE(kept);
        EXPECT_TRUE(saved.contains(kept)) << saved.constData();
    }
    EXPECT_FALSE(saved.contains("a.png"));
    CXmlData again;
    Loaded(again, temp, "f.xml", saved);
    QString text;
    ASSERT_TRUE(again.GetNodeText(again.Root(), "Item/FilePath", text));
    EXPECT_EQ(text, QStringLiteral("b.png"));
}

TEST(XmlData, FailedSaveLeavesTheOldFile)
{
    // A file-size limit makes the system refuse the write the way a full disk does.
    CTempFolder temp;
    CXmlData xml;
    const QByteArray old = "<Project><A>old</A></Project>";
    const QString path = Loaded(xml, temp, "x.xml", old);
    ASSERT_TRUE(xml.SetNodeText(xml.Root(), "A", QString(8000, QLatin1Char('n'))));
    struct rlimit previous { };
    ::getrlimit(RLIMIT_FSIZE, &previous);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = previous;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = xml.SaveXmlData(path);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(xml.ErrorText(), QStringLiteral("SaveXmlData saveエラー"));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("x.xml")), old);
}

// Elements nested `levels` deep, the innermost holding the text.
QByteArray Nested(int levels, const QByteArray& text = "x")
{
    QByteArray bytes;
    bytes.reserve(levels * 8 + text.size());
    for (int i = 0; i < levels; ++i)
        bytes += "<a>";
    bytes += text;
    for (int i = 0; i < levels; ++i)
        bytes += "</a>";
    return bytes;
}

TEST(XmlData, FilesBeyondTheReadBoundsAreRefused)
{
    CTempFolder temp;
    CXmlData xml;
    // Empty elements take a node of the tree, some sixty bytes, for every four bytes of text: a
    // small file of them fits the least a load may take, a larger one does not fit four times its
    // size.
    const auto emptyElements = [](int count) {
        QByteArray text = "<a>";
        for (int i = 0; i < count; ++i)
            text += "<b/>";
        return text + "</a>";
    };
    Loaded(xml, temp, "small.xml", emptyElements(50'000));
    Loaded(xml, temp, "fits.xml", kEmptyProject.left(39) + Nested(CXmlData::kMaxDepth));
    EXPECT_EQ(xml.Root().name(), std::string("a"));

    QByteArray tooLarge = "<a>" + QByteArray(CXmlData::kMaxFileBytes, ' ') + "</a>";
    const QString fifo = temp.FilePath(QStringLiteral("fifo.xml"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    struct Case {
        const char* name;
        QString path;
    };
    const Case cases[] = {
        { "one level too deep", temp.WriteFile(QStringLiteral("deep.xml"), Nested(CXmlData::kMaxDepth + 1)) },
        { "200,000 levels", temp.WriteFile(QStringLiteral("deeper.xml"), Nested(200'000)) },
        { "larger than a load reads", temp.WriteFile(QStringLiteral("large.xml"), tooLarge) },
        { "a tree beyond four times the file",
            temp.WriteFile(QStringLiteral("elements.xml"), emptyElements(1'000'000)) },
        { "not a regular file", fifo },
    };
    tooLarge.clear();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(xml.LoadXmlData(c.path));
        EXPECT_EQ(xml.ErrorText(), QStringLiteral("LoadXmlData loadエラー"));
        EXPECT_TRUE(xml.Path().isEmpty());
        EXPECT_EQ(xml.Root().name(), std::string("a")); // the loaded document stays
    }
}

TEST(XmlData, ElementsNestedBeyondTheRecordsAreWrittenWithoutGrowingIndentation)
{
    CTempFolder temp;
    CXmlData xml;
    // Kept as they are below an entry: an attribute that needs escaping, text, and elements
    // nested to the deepest level a load accepts.
    const QByteArray deep
        = "<b k=\"&quot;&lt;&amp;&#10;\">" + Nested(CXmlData::kMaxDepth - 3, "x &amp; y") + "</b>";
    const QString path = Loaded(xml, temp, "face.xml", "<Face><Item><No>1</No>" + deep + "</Item></Face>");
    ASSERT_TRUE(xml.AddIntNode(xml.Root(), "Count", 2));
    ASSERT_TRUE(xml.SaveXmlData(path));
    const QByteArray saved = temp.ReadFile(QStringLiteral("face.xml"));
    for (const QByteArray& line : saved.split('\n')) {
        qsizetype tabs = 0;
        while (tabs < line.size() && line[tabs] == '\t')
            ++tabs;
        EXPECT_LT(tabs, CXmlData::kIndentedLevels) << line.toStdString();
    }
    EXPECT_LT(saved.size(), 2 * (deep.size() + 64));

    CXmlData reread;
    ASSERT_TRUE(reread.LoadXmlData(path));
    pugi::xml_node b = reread.Root().child("Item").child("b");
    EXPECT_STREQ(b.attribute("k").value(), "\"<&\n");
    pugi::xml_node innermost = b;
    while (innermost.child("a"))
        innermost = innermost.child("a");
    EXPECT_STREQ(innermost.child_value(), "x & y");
    EXPECT_EQ(reread.Root().child("Count").text().as_int(), 2);
    // A second save writes the same bytes.
    ASSERT_TRUE(reread.SaveXmlData(path));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("face.xml")), saved);
}

} // namespace
