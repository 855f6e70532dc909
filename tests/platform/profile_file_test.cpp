#include "platform/profile_file.h"
#include "tests/fixtures/temp_folder.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::CProfileFile;

const QString kIni = QStringLiteral(
    "; settings written by hand\r\n"
    "[System]\r\n"
    "WorkFolder = /work/shows \r\n"
    "Quoted=\"  padded  \"\r\n"
    "Single='x'\r\n"
    "Empty=\r\n"
    "Wide=\u3000全角\u3000\r\n"
    "Number= -42abc\r\n"
    "workfolder=/second/ignored\r\n"
    "NoEquals line\r\n"
    "\r\n"
    "[system]\r\n"
    "Only=in the duplicate section\r\n"
    "[REMOTE]\r\n"
    "SrvIPAdd=192.168.0.2\r\n");

TEST(ProfileFile, ReadsWithTheWindowsRules)
{
    CTempFolder temp;
    CProfileFile ini(temp.WriteFile(QStringLiteral("k.ini"), kIni.toUtf8()));
    ASSERT_EQ(ini.Status(), CProfileFile::LoadStatus::Loaded);

    struct Case {
        const char16_t* section;
        const char16_t* key;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {u"SYSTEM", u"WORKFOLDER", QStringLiteral("/work/shows")}, // case-insensitive, trimmed, first wins
        {u"system", u"Quoted", QStringLiteral("  padded  ")},      // one pair of quotes dropped
        {u"System", u"Single", QStringLiteral("x")},
        {u"System", u"Empty", QString()},                          // present but empty
        {u"System", u"Missing", std::nullopt},                     // missing
        {u"System", u"Wide", QStringLiteral("\u3000全角\u3000")},  // U+3000 is not trimmed
        {u"System", u"Only", std::nullopt},                        // the duplicate section is not read
        {u"System", u"NoEquals line", std::nullopt},
        {u"Remote", u"srvipadd", QStringLiteral("192.168.0.2")},
        {u"Nowhere", u"Key", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.key).toStdString());
        EXPECT_EQ(ini.Value(c.section, c.key), c.expected);
    }
    EXPECT_EQ(ini.String(u"System", u"Missing", QStringLiteral("def")), QStringLiteral("def"));
    EXPECT_EQ(ini.String(u"System", u"Empty", QStringLiteral("def")), QString());
    EXPECT_EQ(ini.Int(u"System", u"Number", 7), -42);
    EXPECT_EQ(ini.Int(u"System", u"Missing", 7), 7);
    EXPECT_EQ(ini.Int(u"System", u"Empty", 7), 0);
    EXPECT_EQ(ini.Sections(), QStringList({QStringLiteral("System"), QStringLiteral("REMOTE")}));
}

TEST(ProfileFile, CutsAtTheLimitWithoutSplittingASurrogatePair)
{
    CTempFolder temp;
    const QString longValue = QString(259, QLatin1Char('a')) + QStringLiteral("😀b");
    CProfileFile ini(temp.WriteFile(QStringLiteral("k.ini"), ("[S]\nK=" + longValue + "\n").toUtf8()));
    EXPECT_EQ(ini.Value(u"S", u"K")->size(), 259); // the pair at 259..260 would be split: dropped whole
    EXPECT_EQ(ini.Value(u"S", u"K", 261)->size(), 261);
    EXPECT_EQ(ini.Value(u"S", u"K", 512), longValue);
    EXPECT_EQ(ini.String(u"S", u"Missing", QString(300, QLatin1Char('d'))).size(), 260);
}

TEST(ProfileFile, DecodesEveryEncoding)
{
    const QString text = QStringLiteral("[LANG]\r\nTitle=新規プロジェクト\r\n");
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"utf16le", Utf16LeWithBom(text)},
        {"utf16be", Utf16BeWithBom(text)},
        {"utf8 bom", Utf8WithBom(text)},
        {"utf8", text.toUtf8()},
        {"cp932", Cp932(text)},
    };
    CTempFolder temp;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CProfileFile ini(temp.WriteFile(QString::fromLatin1(c.name), c.bytes));
        EXPECT_EQ(ini.Value(u"lang", u"title"), QStringLiteral("新規プロジェクト"));
    }
}

TEST(ProfileFile, MissingAndUnreadableFilesGiveDefaults)
{
    CTempFolder temp;
    CProfileFile missing(temp.FilePath(QStringLiteral("none.ini")));
    EXPECT_EQ(missing.Status(), CProfileFile::LoadStatus::Missing);
    EXPECT_EQ(missing.String(u"S", u"K", QStringLiteral("d")), QStringLiteral("d"));

    CProfileFile folder(temp.MakeFolder(QStringLiteral("dir.ini")));
    EXPECT_EQ(folder.Status(), CProfileFile::LoadStatus::Unreadable);

    // Binary garbage reads as text that holds no sections.
    CProfileFile garbage(temp.WriteFile(QStringLiteral("bin.ini"), QByteArray("\x00\x93\xff=\x01[", 6)));
    EXPECT_EQ(garbage.Status(), CProfileFile::LoadStatus::Loaded);
    EXPECT_TRUE(garbage.Sections().isEmpty());
}

TEST(ProfileFile, WritesKeepEncodingBomCommentsOrderAndLineEnds)
{
    CTempFolder temp;
    const QString original = QStringLiteral(
        "; 設定\r\n[SYSTEM]\r\nImageDefaultTime=0\r\n; inside\r\nOther=1\r\n\r\n[VIEWER]\r\nViewerMode=0\r\n");
    struct Case {
        const char* name;
        QByteArray bytes;
        QByteArray (*encode)(const QString&);
    };
    const Case cases[] = {
        {"utf16le", Utf16LeWithBom(original), &Utf16LeWithBom},
        {"cp932", Cp932(original), &Cp932},
        {"utf8bom", Utf8WithBom(original), &Utf8WithBom},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = temp.WriteFile(QString::fromLatin1(c.name), c.bytes);
        CProfileFile ini(path);
        ASSERT_TRUE(ini.Save()); // unchanged: byte for byte the same
        EXPECT_EQ(temp.ReadFile(QString::fromLatin1(c.name)), c.bytes);

        ASSERT_TRUE(ini.SetValue(u"system", u"imagedefaulttime", QStringLiteral("150")));
        ASSERT_TRUE(ini.SetValue(u"SYSTEM", u"New", QStringLiteral("値")));
        ASSERT_TRUE(ini.SetValue(u"REMOTE", u"SrvIPAdd", QStringLiteral("10.0.0.1")));
        ASSERT_TRUE(ini.Save());
        const QString expected = QStringLiteral(
            "; 設定\r\n[SYSTEM]\r\nImageDefaultTime=150\r\n; inside\r\nOther=1\r\nNew=値\r\n\r\n"
            "[VIEWER]\r\nViewerMode=0\r\n[REMOTE]\r\nSrvIPAdd=10.0.0.1\r\n");
        EXPECT_EQ(temp.ReadFile(QString::fromLatin1(c.name)), c.encode(expected));
    }
}

TEST(ProfileFile, LfFilesStayLfAndLastLineWithoutEndIsEnded)
{
    CTempFolder temp;
    const QString path = temp.WriteFile(QStringLiteral("lf.ini"), "[A]\nx=1");
    CProfileFile ini(path);
    ASSERT_TRUE(ini.SetValue(u"A", u"y", QStringLiteral("2")));
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(temp.ReadFile(QStringLiteral("lf.ini")), QByteArray("[A]\nx=1\ny=2\n"));
}

TEST(ProfileFile, ValuesReadBackAsWritten)
{
    CTempFolder temp;
    const QString path = temp.FilePath(QStringLiteral("new.ini"));
    const QString values[] = {QStringLiteral("  blanks  "), QStringLiteral("\"quoted\""), QStringLiteral("a=b;c"),
                              QString(), QStringLiteral("\u3000x")};
    {
        CProfileFile ini(path);
        EXPECT_EQ(ini.Status(), CProfileFile::LoadStatus::Missing);
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(ini.SetValue(u"S", QStringLiteral("k%1").arg(i), values[i]));
        ASSERT_TRUE(ini.Save());
    }
    CProfileFile ini(path);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ini.Value(u"S", QStringLiteral("k%1").arg(i)), values[i]) << i;
    // A new file is UTF-8 with CRLF.
    EXPECT_TRUE(QFile(path).open(QIODevice::ReadOnly));
    EXPECT_TRUE(temp.ReadFile(QStringLiteral("new.ini")).startsWith("[S]\r\n"));
}

TEST(ProfileFile, RefusesEntriesThatWouldNotReadBack)
{
    CProfileFile ini;
    EXPECT_FALSE(ini.SetValue(u"S", u"K", QStringLiteral("two\nlines")));
    EXPECT_FALSE(ini.SetValue(u"S", u"a=b", QStringLiteral("v")));
    EXPECT_FALSE(ini.SetValue(u"S]", u"K", QStringLiteral("v")));
    EXPECT_FALSE(ini.SetValue(u"S", u";K", QStringLiteral("v")));
    EXPECT_FALSE(ini.SetValue(u"", u"K", QStringLiteral("v")));
    EXPECT_FALSE(ini.SetValue(u"S", u" ", QStringLiteral("v")));
    EXPECT_TRUE(ini.Sections().isEmpty());
}

TEST(ProfileFile, RemovesKeysAndSections)
{
    CTempFolder temp;
    CProfileFile ini(temp.WriteFile(QStringLiteral("r.ini"), "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n[C]\r\nw=4\r\n"));
    ini.RemoveKey(u"a", u"X");
    ini.RemoveSection(u"b");
    EXPECT_EQ(ini.ToText(), QStringLiteral("[A]\r\ny=2\r\n[C]\r\nw=4\r\n"));
}

TEST(ProfileFile, CannotEncodeOrWriteLeavesFileUntouched)
{
    CTempFolder temp;
    const QByteArray original = Cp932(QStringLiteral("[S]\r\nK=日本\r\n"));
    const QString path = temp.WriteFile(QStringLiteral("sjis.ini"), original);
    CProfileFile ini(path);
    ASSERT_TRUE(ini.SetValue(u"S", u"K", QStringLiteral("😀")));
    QString error;
    EXPECT_FALSE(ini.Save(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(temp.ReadFile(QStringLiteral("sjis.ini")), original);

    // A folder that cannot be written: the one-shot write reports failure.
    if (::geteuid() != 0) {
        const QString locked = temp.MakeFolder(QStringLiteral("locked"));
        ::chmod(QFile::encodeName(locked).constData(), 0500);
        EXPECT_FALSE(platform::WritePrivateProfileString(u"S", u"K", QStringLiteral("v"), locked + "/x.ini"));
        ::chmod(QFile::encodeName(locked).constData(), 0700);
    }
    EXPECT_FALSE(platform::WritePrivateProfileString(u"S", u"K", QStringLiteral("v"),
                                                     temp.FilePath(QStringLiteral("no/such/folder/x.ini"))));
}

TEST(ProfileFile, OneShotCalls)
{
    CTempFolder temp;
    const QString path = temp.FilePath(QStringLiteral("one.ini"));
    EXPECT_TRUE(platform::WritePrivateProfileString(u"SYSTEM", u"A", QStringLiteral("12"), path));
    EXPECT_EQ(platform::GetPrivateProfileInt(u"system", u"a", 0, path), 12);
    EXPECT_EQ(platform::GetPrivateProfileString(u"SYSTEM", u"B", QStringLiteral("d"), path), QStringLiteral("d"));
}

} // namespace
