#include "project/zip_file.h"
#include "tests/fixtures/sync_recorder.h"
#include "tests/fixtures/temp_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

namespace {

// Every file and folder below the folder, relative, sorted.
QStringList TreeOf(const QString& folder)
{
    QStringList tree;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
        QDirIterator::Subdirectories);
    while (it.hasNext())
        tree.append(QDir(folder).relativeFilePath(it.next()));
    tree.sort();
    return tree;
}

struct RawEntry {
    QByteArray name;
    QByteArray data;
    bool link = false;
    bool windows = false; // made by a Windows archiver
    bool stored = false;
};

bool IsNonAsciiUtf8(const QByteArray& name)
{
    bool ascii = true;
    for (const char c : name)
        ascii = ascii && uchar(c) < 0x80;
    return !ascii && QString::fromUtf8(name).toUtf8() == name;
}

// An archive written entry by entry with the names' bytes exactly as given and no UTF-8 flag,
// as a Windows archiver (or a hostile one) writes them. The library takes no such name that
// reads as UTF-8: those are written as a placeholder of their length and put in place after.
void WriteRawArchive(const QString& path, const std::vector<RawEntry>& entries)
{
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr);
    std::vector<std::pair<QByteArray, QByteArray>> placeholders;
    for (const RawEntry& entry : entries) {
        QByteArray name = entry.name;
        if (IsNonAsciiUtf8(name)) {
            QByteArray placeholder(name.size(), char('A' + placeholders.size() % 26));
            if (name.endsWith('/'))
                placeholder.back() = '/';
            placeholders.emplace_back(placeholder, name);
            name = placeholder;
        }
        zip_int64_t index = -1;
        if (name.endsWith('/')) {
            index = zip_dir_add(archive, name.constData(), ZIP_FL_ENC_CP437);
        } else {
            zip_source_t* source
                = zip_source_buffer(archive, entry.data.constData(), zip_uint64_t(entry.data.size()), 0);
            index = zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_CP437);
        }
        ASSERT_GE(index, 0) << entry.name.constData();
        if (entry.stored)
            zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0);
        if (entry.windows)
            zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_DOS, 0);
        if (entry.link)
            zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, 0120777u << 16);
    }
    ASSERT_EQ(zip_close(archive), 0);
    if (placeholders.empty())
        return;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    for (const auto& [placeholder, name] : placeholders) {
        ASSERT_EQ(bytes.count(placeholder), 2); // the local and the central header
        bytes.replace(placeholder, name);
    }
    file.seek(0);
    file.write(bytes);
}

TEST(ZipFile, JapaneseNamedProjectRoundTrips)
{
    CTempFolder temp;
    const QByteArray xml
        = QByteArray("<?xml version=\"1.0\"?><Project>") + QByteArray(5000, ' ') + "</Project>";
    const QByteArray picture(3000, '\x7f');
    temp.WriteFile(QStringLiteral("work/映像ショー/映像ショー.xml"), xml);
    temp.WriteFile(QStringLiteral("work/映像ショー/Channel_1/Face_1/Face_1.xml"), xml);
    temp.WriteFile(QStringLiteral("work/映像ショー/Channel_1/Face_1/thumbnail_0.jpg"), picture);
    temp.WriteFile(QStringLiteral("work/映像ショー/Channel_1/Face_1/サムネイル.PNG"), picture);
    temp.MakeFolder(QStringLiteral("work/映像ショー/Channel_1/Face_2"));
    const QString zipPath = temp.FilePath(QStringLiteral("映像ショー.kdp"));

    CZipFile zip;
    ASSERT_TRUE(zip.Zip(temp.FilePath(QStringLiteral("work/映像ショー")), zipPath))
        << zip.ErrorText().toStdString();
    QStringList entries;
    ASSERT_TRUE(zip.ReadZipFile(zipPath, entries));
    ASSERT_FALSE(entries.isEmpty());
    for (const QString& entry : entries)
        EXPECT_TRUE(entry.startsWith(QStringLiteral("映像ショー/"))) << entry.toStdString();
    EXPECT_TRUE(entries.contains(QStringLiteral("映像ショー/Channel_1/Face_2/")));

    // Names carry the UTF-8 flag; media are stored, XML deflated.
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY, &error);
    ASSERT_NE(archive, nullptr);
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        const QByteArray raw(zip_get_name(archive, zip_uint64_t(i), ZIP_FL_ENC_RAW));
        EXPECT_EQ(raw, QByteArray(zip_get_name(archive, zip_uint64_t(i), ZIP_FL_ENC_STRICT)));
        zip_stat_t stat;
        ASSERT_EQ(zip_stat_index(archive, zip_uint64_t(i), 0, &stat), 0);
        if (raw.endsWith(".jpg") || raw.endsWith(".PNG")) {
            EXPECT_EQ(stat.comp_method, ZIP_CM_STORE) << raw.constData();
        } else if (raw.endsWith(".xml")) {
            EXPECT_EQ(stat.comp_method, ZIP_CM_DEFLATE) << raw.constData();
        }
    }
    zip_close(archive);

    const QString out = temp.MakeFolder(QStringLiteral("out"));
    ASSERT_TRUE(zip.UnZip(zipPath, out)) << zip.ErrorText().toStdString();
    EXPECT_EQ(TreeOf(out), TreeOf(temp.FilePath(QStringLiteral("work"))));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("out/映像ショー/Channel_1/Face_1/thumbnail_0.jpg")), picture);
    EXPECT_EQ(temp.ReadFile(QStringLiteral("out/映像ショー/映像ショー.xml")), xml);
}

TEST(ZipFile, WindowsArchiveWithCp932NamesAndBackslashes)
{
    // "ソ" ends in the byte of a backslash in CP932: names are decoded before separators are read.
    CTempFolder temp;
    const QString zipPath = temp.FilePath(QStringLiteral("win.kdp"));
    WriteRawArchive(zipPath,
        { { Cp932(QStringLiteral("映像_Package\\")), {} },
            { Cp932(QStringLiteral("映像_Package\\ソフト\\ソフト.xml")), "<Project/>" },
            { Cp932(QStringLiteral("映像_Package\\映像_Data\\1_1.jpg")), "jpg" },
            { Cp932(QStringLiteral("./映像_Package/./readme.txt")), "plain" } });
    CZipFile zip;
    QStringList entries;
    ASSERT_TRUE(zip.ReadZipFile(zipPath, entries));
    EXPECT_EQ(entries,
        QStringList({ QStringLiteral("映像_Package\\"), QStringLiteral("映像_Package\\ソフト\\ソフト.xml"),
            QStringLiteral("映像_Package\\映像_Data\\1_1.jpg"),
            QStringLiteral("./映像_Package/./readme.txt") }));
    const QString out = temp.MakeFolder(QStringLiteral("out"));
    ASSERT_TRUE(zip.UnZip(zipPath, out)) << zip.ErrorText().toStdString();
    EXPECT_EQ(temp.ReadFile(QStringLiteral("out/映像_Package/ソフト/ソフト.xml")), QByteArray("<Project/>"));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("out/映像_Package/映像_Data/1_1.jpg")), QByteArray("jpg"));
    EXPECT_EQ(
        temp.ReadFile(QStringLiteral("out/映像_Package/readme.txt")), QByteArray("plain")); // "." is no step
}

TEST(ZipFile, UnflaggedUtf8NamesFromOtherArchiversAreUnderstood)
{
    // Archivers of other systems write UTF-8 names without the UTF-8 flag and without a
    // UTF-8 name field. The archive is written with ASCII names of the same length, whose bytes
    // are then replaced in place.
    CTempFolder temp;
    const QString zipPath = temp.FilePath(QStringLiteral("other.kdp"));
    const QByteArray utf8Name = QStringLiteral("映像ショー/ソフト.xml").toUtf8();
    const QByteArray placeholder(utf8Name.size(), 'p');
    WriteRawArchive(zipPath,
        { { placeholder, "<Project/>" }, { Cp932(QStringLiteral("映像ショー/サムネイル.jpg")), "jpg" } });
    QByteArray bytes = temp.ReadFile(QStringLiteral("other.kdp"));
    ASSERT_EQ(bytes.count(placeholder), 2); // the local and the central header
    temp.WriteFile(QStringLiteral("other.kdp"), bytes.replace(placeholder, utf8Name));

    CZipFile zip;
    QStringList entries;
    ASSERT_TRUE(zip.ReadZipFile(zipPath, entries));
    EXPECT_EQ(entries,
        QStringList(
            { QStringLiteral("映像ショー/ソフト.xml"), QStringLiteral("映像ショー/サムネイル.jpg") }));
    const QString out = temp.MakeFolder(QStringLiteral("out"));
    ASSERT_TRUE(zip.UnZip(zipPath, out)) << zip.ErrorText().toStdString();
    EXPECT_EQ(temp.ReadFile(QStringLiteral("out/映像ショー/ソフト.xml")), QByteArray("<Project/>"));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("out/映像ショー/サムネイル.jpg")), QByteArray("jpg"));
}

// Replaces the bytes in the archive file (a name of the same length, a size field).
void Patch(
    const CTempFolder& temp, const QString& name, const QByteArray& from, const QByteArray& to, int times)
{
    QByteArray bytes = temp.ReadFile(name);
    ASSERT_EQ(bytes.count(from), times) << from.toHex().constData();
    temp.WriteFile(name, bytes.replace(from, to));
}

QByteArray LittleEndian32(uint32_t value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

// Sets the declared (uncompressed) size of every entry in the local and central headers.
void DeclareSize(const CTempFolder& temp, const QString& name, uint32_t size)
{
    QByteArray bytes = temp.ReadFile(name);
    for (const auto& [signature, offset] :
        { std::pair<QByteArray, int>("PK\x03\x04", 22), { "PK\x01\x02", 24 } }) {
        for (qsizetype at = bytes.indexOf(signature); at >= 0; at = bytes.indexOf(signature, at + 4))
            bytes.replace(at + offset, 4, LittleEndian32(size));
    }
    temp.WriteFile(name, bytes);
}

TEST(ZipFile, NamesThatEveryEntryAgreesOnAreReadInThatEncoding)
{
    // "ﾃｽﾄｱ" in the Windows code page is C3 BD C4 B1, which is also valid UTF-8 ("ýı"): a
    // Windows archiver's name of half-width katakana pairs must not be read as UTF-8.
    const QString katakana = QStringLiteral("ﾃｽﾄｱ");
    ASSERT_EQ(Cp932(katakana), QByteArray("\xC3\xBD\xC4\xB1"));
    // UTF-8 Japanese is mostly valid in the Windows code page too.
    const QByteArray utf8Name = QStringLiteral("ショー").toUtf8();
    struct Case {
        const char* name;
        std::vector<RawEntry> entries;
        QStringList expected;
    };
    const Case cases[] = {
        { "Windows archiver, katakana pairs",
            { { Cp932(katakana + "/"), {}, false, true },
                { Cp932(katakana + "/" + katakana + ".xml"), "x", false, true } },
            { katakana + "/", katakana + "/" + katakana + ".xml" } },
        { "Windows archiver, katakana pairs beside a name only the code page reads",
            { { Cp932(katakana + "/" + katakana + ".xml"), "x" }, { Cp932(katakana + "/映像.jpg"), "j" } },
            { katakana + "/" + katakana + ".xml", katakana + "/映像.jpg" } },
        { "another system's archiver, UTF-8 without the flag",
            { { utf8Name + "/" + utf8Name + ".xml", "x" } }, { QStringLiteral("ショー/ショー.xml") } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder temp;
        const QString zipPath = temp.FilePath(QStringLiteral("a.kdp"));
        WriteRawArchive(zipPath, c.entries);
        CZipFile zip;
        QStringList entries;
        ASSERT_TRUE(zip.ReadZipFile(zipPath, entries));
        EXPECT_EQ(entries, c.expected);
        const QString out = temp.MakeFolder(QStringLiteral("out"));
        ASSERT_TRUE(zip.UnZip(zipPath, out)) << zip.ErrorText().toStdString();
        EXPECT_TRUE(QFileInfo::exists(out + "/" + c.expected.back()));
    }
}

TEST(ZipFile, EntriesThatUnpackToAnotherSizeThanDeclaredAreRefused)
{
    struct Case {
        const char* name;
        QByteArray data;
        bool stored;
        uint32_t declared;
    };
    const Case cases[] = {
        { "16 bytes declared as 4294967294", QByteArray(16, 'a'), true, 4294967294u },
        { "16 bytes declared as 17", QByteArray(16, 'a'), true, 17 },
        { "1 MiB declared as 64", QByteArray(1 << 20, '\0'), false, 64 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder temp;
        const QString zipPath = temp.FilePath(QStringLiteral("size.zip"));
        WriteRawArchive(zipPath, { { "proj/data.bin", c.data, false, false, c.stored } });
        DeclareSize(temp, QStringLiteral("size.zip"), c.declared);
        const QString out = temp.MakeFolder(QStringLiteral("out"));
        CZipFile zip;
        EXPECT_FALSE(zip.UnZip(zipPath, out));
        EXPECT_FALSE(zip.ErrorText().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("/proj/data.bin")));
        EXPECT_TRUE(QDir(out + QStringLiteral("/proj")).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
}

TEST(ZipFile, EntriesThatWouldLandOnOneFileAreRefused)
{
    struct Case {
        const char* name;
        QByteArray first;
        QByteArray second;
    };
    // The second name is written as a placeholder of its length and put in place afterwards:
    // the library refuses to write two entries of one name itself.
    const Case cases[] = {
        { "one name twice", "proj/a.xml", "proj/a.xml" },
        { "letter case", "proj/a.xml", "proj/A.XML" },
        { "doubled separator", "proj/a.xml", "proj//a.xml" },
        { "backslash", "proj/a.xml", "proj\\a.xml" },
        { "a \".\" step", "proj/a.xml", "proj/./a.xml" },
        { "composed and decomposed characters", QStringLiteral("proj/が.xml").toUtf8(),
            QStringLiteral("proj/か\u3099.xml").toUtf8() },
        { "a file needed as a folder", "proj/a", "proj/a/b.xml" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder temp;
        const QString zipPath = temp.FilePath(QStringLiteral("dup.zip"));
        const QByteArray placeholder(c.second.size(), 'p');
        WriteRawArchive(
            zipPath, { { "proj/fine.txt", "fine" }, { c.first, "first" }, { placeholder, "second" } });
        Patch(temp, QStringLiteral("dup.zip"), placeholder, c.second, 2);
        const QString out = temp.MakeFolder(QStringLiteral("out"));
        CZipFile zip;
        QStringList entries;
        ASSERT_TRUE(zip.ReadZipFile(zipPath, entries));
        ASSERT_EQ(entries.size(), 3);
        EXPECT_FALSE(zip.UnZip(zipPath, out));
        EXPECT_FALSE(zip.ErrorText().isEmpty());
        EXPECT_TRUE(TreeOf(out).isEmpty());
    }
}

TEST(ZipFile, ArchivesThatDoNotFitTheFreeSpaceAreRefused)
{
    CTempFolder temp;
    const QString out = temp.MakeFolder(QStringLiteral("out"));
    const qint64 free = QStorageInfo(out).bytesAvailable();
    ASSERT_GT(free, 0);
    // Entries of one byte that declare almost 4 GiB each, together more than the disk holds.
    const int count = int(free / 4294967294LL) + 2;
    ASSERT_LT(count, 100000) << "a disk this large needs declared sizes of another kind";
    std::vector<RawEntry> entries = { { "proj/fine.txt", "fine" } };
    for (int i = 0; i < count; ++i)
        entries.push_back({ QByteArray("proj/big_") + QByteArray::number(i), "b", false, false, true });
    const QString zipPath = temp.FilePath(QStringLiteral("big.zip"));
    WriteRawArchive(zipPath, entries);
    DeclareSize(temp, QStringLiteral("big.zip"), 4294967294u);
    CZipFile zip;
    EXPECT_FALSE(zip.UnZip(zipPath, out));
    EXPECT_FALSE(zip.ErrorText().isEmpty());
    EXPECT_TRUE(TreeOf(out).isEmpty()) << "nothing is unpacked at all";
}

TEST(ZipFile, PackingTakesRegularFilesAndFoldersButNotTheArchiveItself)
{
    CTempFolder temp;
    temp.WriteFile(QStringLiteral("show/show.xml"), "<Project/>");
    temp.MakeFolder(QStringLiteral("show/Channel_1"));
    const QString pipe = temp.FilePath(QStringLiteral("show/Channel_1/pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString inside = temp.FilePath(QStringLiteral("show/show.kdp"));
    const QString link = temp.FilePath(QStringLiteral("link.kdp"));
    ASSERT_TRUE(QFile::link(inside, link));
    const QStringList expected
        = { QStringLiteral("show/"), QStringLiteral("show/Channel_1/"), QStringLiteral("show/show.xml") };
    // Written into the folder it packs, directly and through a link, twice each: the previous
    // archive is never packed into the new one.
    for (const QString& target : { inside, inside, link, link }) {
        SCOPED_TRACE(target.toStdString());
        CZipFile zip;
        ASSERT_TRUE(zip.Zip(temp.FilePath(QStringLiteral("show")), target)) << zip.ErrorText().toStdString();
        QStringList entries;
        ASSERT_TRUE(zip.ReadZipFile(inside, entries));
        entries.sort();
        EXPECT_EQ(entries, expected);
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink()) << "the link stays a link";
}

TEST(ZipFile, HostileArchivesExtractNothing)
{
    struct Case {
        const char* name;
        RawEntry entry;
    };
    const Case cases[] = {
        { "parent folder", { "../x", "evil" } },
        { "absolute path", { "/abs", "evil" } },
        { "drive letter", { "C:\\x", "evil" } },
        { "backslashed parents", { "a\\..\\..\\b", "evil" } },
        { "parents inside", { "a/../../b", "evil" } },
        { "link", { "a/link", "/etc/passwd", true } },
        { "backslash root", { "\\x", "evil" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder temp;
        const QString zipPath = temp.FilePath(QStringLiteral("bad.zip"));
        // A harmless entry first: even that must not be extracted.
        WriteRawArchive(zipPath, { { "a/fine.txt", "fine" }, c.entry });
        const QString out = temp.MakeFolder(QStringLiteral("deep/er/out"));
        const QStringList before = TreeOf(temp.Path());
        CZipFile zip;
        EXPECT_FALSE(zip.UnZip(zipPath, out));
        EXPECT_FALSE(zip.ErrorText().isEmpty());
        EXPECT_EQ(TreeOf(temp.Path()), before);
    }
}

TEST(ZipFile, ExtractionDoesNotWriteThroughLinksInTheDestination)
{
    CTempFolder temp;
    const QString zipPath = temp.FilePath(QStringLiteral("p.zip"));
    WriteRawArchive(zipPath, { { "proj/a.xml", "new" } });
    const QString outside = temp.MakeFolder(QStringLiteral("outside"));
    const QString out = temp.MakeFolder(QStringLiteral("out"));
    ASSERT_TRUE(QFile::link(outside, out + QStringLiteral("/proj")));
    CZipFile zip;
    EXPECT_FALSE(zip.UnZip(zipPath, out));
    EXPECT_TRUE(TreeOf(outside).isEmpty());
}

TEST(ZipFile, FailuresKeepTheExistingArchive)
{
    CTempFolder temp;
    temp.WriteFile(QStringLiteral("show/show.xml"), "<Project/>");
    const QString target = temp.WriteFile(QStringLiteral("show.kdp"), "old archive");
    CZipFile zip;
    EXPECT_FALSE(zip.Zip(temp.FilePath(QStringLiteral("missing")), target));
    EXPECT_FALSE(zip.ErrorText().isEmpty());
    EXPECT_FALSE(
        zip.Zip(temp.FilePath(QStringLiteral("show")), temp.FilePath(QStringLiteral("none/show.kdp"))));
    EXPECT_FALSE(zip.Zip(QString(), target));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("show.kdp")), QByteArray("old archive"));
    EXPECT_EQ(TreeOf(temp.Path()),
        QStringList({ QStringLiteral("show"), QStringLiteral("show.kdp"), QStringLiteral("show/show.xml") }));

    QStringList entries = { QStringLiteral("stale") };
    EXPECT_FALSE(zip.ReadZipFile(target, entries));
    EXPECT_TRUE(entries.isEmpty());
    EXPECT_FALSE(zip.UnZip(target, temp.FilePath(QStringLiteral("out"))));
    EXPECT_FALSE(zip.ErrorText().isEmpty());

    // A successful zip replaces the old archive as a whole, leaving no temporary file.
    ASSERT_TRUE(zip.Zip(temp.FilePath(QStringLiteral("show/")), target));
    ASSERT_TRUE(zip.ReadZipFile(target, entries));
    EXPECT_EQ(entries, QStringList({ QStringLiteral("show/"), QStringLiteral("show/show.xml") }));
    EXPECT_EQ(TreeOf(temp.Path()).size(), 3);
}

TEST(ZipFile, PackingLeavesOutTheTemporaryFilesOfWriters)
{
    CTempFolder temp;
    temp.WriteFile(QStringLiteral("show/show.xml"), "<Project/>");
    temp.WriteFile(QStringLiteral("show/Channel_1/Face_1/Face_1.xml"), "<Face/>");
    // Left by saves that a crash ended: old copies of the files they were to replace.
    temp.WriteFile(QStringLiteral("show/Channel_1/Face_1/.Face_1.xml.Ab12Cd"), "<Face>old</Face>");
    temp.WriteFile(QStringLiteral("show/.show.xml.Xy34Zw"), "<Project>old</Project>");
    temp.WriteFile(QStringLiteral("show/.hidden.xml"), "<kept/>");
    const QString kdp = temp.FilePath(QStringLiteral("show.kdp"));
    CZipFile zip;
    ASSERT_TRUE(zip.Zip(temp.FilePath(QStringLiteral("show")), kdp)) << zip.ErrorText().toStdString();
    QStringList entries;
    ASSERT_TRUE(zip.ReadZipFile(kdp, entries));
    entries.sort();
    EXPECT_EQ(entries,
        QStringList({ QStringLiteral("show/"), QStringLiteral("show/.hidden.xml"),
            QStringLiteral("show/Channel_1/"), QStringLiteral("show/Channel_1/Face_1/"),
            QStringLiteral("show/Channel_1/Face_1/Face_1.xml"), QStringLiteral("show/show.xml") }));
}

TEST(ZipFile, ALinkInTheFolderRefusesTheArchiveNamingTheLink)
{
    struct Case {
        const char* name;
        const char* link;
        const char* pointsTo; // relative to the temporary folder
    };
    const Case cases[] = {
        { "a face folder linked to another", "show/Channel_1/Face_2", "show/Channel_1/Face_1" },
        { "a folder outside", "show/Channel_1/Face_2", "elsewhere" },
        { "a file", "show/Channel_1/Face_1/thumbnail_0.jpg", "elsewhere/picture.jpg" },
        { "nothing", "show/Channel_1/Face_3", "missing" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder temp;
        temp.WriteFile(QStringLiteral("show/show.xml"), "<Project/>");
        temp.WriteFile(QStringLiteral("show/Channel_1/Face_1/Face_1.xml"), "<Face/>");
        temp.WriteFile(QStringLiteral("elsewhere/picture.jpg"), "jpg");
        const QString link = temp.FilePath(QString::fromUtf8(c.link));
        ASSERT_TRUE(QFile::link(temp.FilePath(QString::fromUtf8(c.pointsTo)), link));
        const QString kdp = temp.WriteFile(QStringLiteral("show.kdp"), "old archive");
        CZipFile zip;
        EXPECT_FALSE(zip.Zip(temp.FilePath(QStringLiteral("show")), kdp));
        EXPECT_TRUE(zip.ErrorText().contains(link)) << zip.ErrorText().toStdString();
        EXPECT_EQ(temp.ReadFile(QStringLiteral("show.kdp")), QByteArray("old archive"));
        EXPECT_FALSE(TreeOf(temp.Path()).join(u' ').contains(QStringLiteral(".show.kdp.")));
    }
}

TEST(ZipFile, AnArchiveRefusedWhileInflatingLeavesTheDestinationAsItWas)
{
    CTempFolder temp;
    const QString out = temp.MakeFolder(QStringLiteral("out"));
    temp.WriteFile(QStringLiteral("out/proj/old.xml"), "the old copy");
    temp.WriteFile(QStringLiteral("out/other.txt"), "not the archive's");
    const QStringList before = TreeOf(out);
    // The first entry unpacks whole; the second, 1 MiB declared as 64 bytes, is found out only
    // while it is inflated.
    const QString zipPath = temp.FilePath(QStringLiteral("damaged.kdp"));
    const QByteArray first(64, 'a');
    WriteRawArchive(zipPath, { { "proj/a.xml", first }, { "proj/b.bin", QByteArray(1 << 20, '\0') } });
    DeclareSize(temp, QStringLiteral("damaged.kdp"), 64);
    CZipFile zip;
    EXPECT_FALSE(zip.UnZip(zipPath, out));
    EXPECT_TRUE(zip.ErrorText().contains(QStringLiteral("proj/b.bin"))) << zip.ErrorText().toStdString();
    EXPECT_EQ(TreeOf(out), before);
    EXPECT_EQ(temp.ReadFile(QStringLiteral("out/proj/old.xml")), QByteArray("the old copy"));

    // An archive read whole takes the place of the folder of its name, the rest stays.
    const QString good = temp.FilePath(QStringLiteral("good.kdp"));
    WriteRawArchive(good, { { "proj/a.xml", first } });
    ASSERT_TRUE(zip.UnZip(good, out)) << zip.ErrorText().toStdString();
    EXPECT_EQ(TreeOf(out),
        QStringList({ QStringLiteral("other.txt"), QStringLiteral("proj"), QStringLiteral("proj/a.xml") }));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("out/proj/a.xml")), first);
}

// A project's tree: three face folders of 30 files each (more than are synced at one time), a
// file at the top and an empty folder.
std::vector<RawEntry> ManyFilesArchive()
{
    std::vector<RawEntry> entries = { { "proj/", {} }, { "proj/proj.xml", "<Project/>" } };
    for (const char* folder : { "a", "b", "c" }) {
        for (int i = 0; i < 30; ++i)
            entries.push_back({ QByteArray("proj/") + folder + "/f" + QByteArray::number(i) + ".txt",
                QByteArray(1000 + i, char('a' + i % 26)) });
    }
    entries.push_back({ "proj/empty/", {} });
    return entries;
}

int OpenDescriptors()
{
    return int(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

TEST(ZipFile, EveryUnpackedFileAndFolderIsSyncedOnceBeforeTheTreeIsPutInPlace)
{
    CTempFolder temp;
    const QString zipPath = temp.FilePath(QStringLiteral("many.kdp"));
    const std::vector<RawEntry> archive = ManyFilesArchive();
    WriteRawArchive(zipPath, archive);
    const QString out = QFileInfo(temp.MakeFolder(QStringLiteral("out"))).canonicalFilePath();

    std::vector<CSyncRecorder::Sync> syncs;
    {
        const CSyncRecorder recorder;
        CZipFile zip;
        ASSERT_TRUE(zip.UnZip(zipPath, out)) << zip.ErrorText().toStdString();
        syncs = recorder.Syncs();
    }
    // The staged path of each entry, as it was synced: what was put in place later.
    const auto stagedName = [&](const CSyncRecorder::Sync& sync) {
        const qsizetype entries = sync.path.indexOf(QStringLiteral("/entries/"));
        EXPECT_TRUE(sync.path.startsWith(out + QStringLiteral("/.unzip-")) && entries > 0)
            << sync.path.toStdString();
        return sync.path.mid(entries + 9) + (sync.folder ? QStringLiteral("/") : QString());
    };
    // The face folders have no entries of their own: they are made for their files.
    QStringList expected
        = { QStringLiteral("proj/a/"), QStringLiteral("proj/b/"), QStringLiteral("proj/c/") };
    for (const RawEntry& entry : archive)
        expected.append(QString::fromUtf8(entry.name));
    expected.sort();
    ASSERT_EQ(syncs.size(), size_t(expected.size()) + 1);
    QStringList files;
    QStringList folders;
    // Every file before the folders that name them, the destination last.
    for (size_t i = 0; i + 1 < syncs.size(); ++i) {
        (syncs[i].folder ? folders : files).append(stagedName(syncs[i]));
        if (i > 0) {
            EXPECT_FALSE(syncs[i - 1].folder && !syncs[i].folder) << syncs[i].path.toStdString();
        }
    }
    EXPECT_TRUE(syncs.back().folder);
    EXPECT_EQ(syncs.back().path, out);
    QStringList synced = files + folders;
    synced.sort();
    EXPECT_EQ(synced, expected);
    EXPECT_EQ(temp.ReadFile(QStringLiteral("out/proj/c/f29.txt")), QByteArray(1029, char('a' + 29 % 26)));
}

TEST(ZipFile, AFailedSyncFailsTheUnpackAndLeavesTheDestinationAsItWas)
{
    struct Case {
        const char* name;
        const char* failing; // part of the staged path whose sync fails
    };
    const Case cases[] = {
        { "an early file", "/entries/proj/a/f1.txt" },
        { "the last file", "/entries/proj/c/f29.txt" },
        { "a folder", "/entries/proj/empty" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder temp;
        const QString zipPath = temp.FilePath(QStringLiteral("many.kdp"));
        WriteRawArchive(zipPath, ManyFilesArchive());
        const QString out = temp.MakeFolder(QStringLiteral("out"));
        temp.WriteFile(QStringLiteral("out/proj/old.xml"), "the old copy");
        temp.WriteFile(QStringLiteral("out/other.txt"), "not the archive's");
        const QStringList before = TreeOf(out);
        const int descriptors = OpenDescriptors();
        {
            CSyncRecorder recorder;
            recorder.FailSyncsOf(QString::fromUtf8(c.failing));
            CZipFile zip;
            EXPECT_FALSE(zip.UnZip(zipPath, out));
            EXPECT_FALSE(zip.ErrorText().isEmpty());
            const std::vector<CSyncRecorder::Sync> syncs = recorder.Syncs();
            EXPECT_TRUE(std::any_of(syncs.begin(), syncs.end(), [&](const CSyncRecorder::Sync& sync) {
                return sync.path.contains(QString::fromUtf8(c.failing));
            }));
        }
        EXPECT_EQ(TreeOf(out), before);
        EXPECT_EQ(temp.ReadFile(QStringLiteral("out/proj/old.xml")), QByteArray("the old copy"));
        EXPECT_EQ(OpenDescriptors(), descriptors);
    }
}

TEST(ZipFile, ArchivesBeyondTheLimitsAreRefused)
{
    const QString limit = QStringLiteral("上限");
    // An unpack beyond a limit writes nothing; a pack beyond one leaves the old archive as it was.
    const auto expectUnpackRefused = [&](const CTempFolder& temp, const QString& zipPath) {
        const QString out = temp.MakeFolder(QStringLiteral("out"));
        CZipFile zip;
        EXPECT_FALSE(zip.UnZip(zipPath, out));
        EXPECT_TRUE(zip.ErrorText().contains(limit)) << zip.ErrorText().toStdString();
        EXPECT_TRUE(TreeOf(out).isEmpty());
    };
    const auto expectPackRefused = [&](const CTempFolder& temp) {
        const QString kdp = temp.WriteFile(QStringLiteral("show.kdp"), "old archive");
        CZipFile zip;
        EXPECT_FALSE(zip.Zip(temp.FilePath(QStringLiteral("show")), kdp));
        EXPECT_TRUE(zip.ErrorText().contains(limit)) << zip.ErrorText().toStdString();
        EXPECT_EQ(temp.ReadFile(QStringLiteral("show.kdp")), QByteArray("old archive"));
    };
    {
        SCOPED_TRACE("more entries than an archive may hold");
        CTempFolder temp;
        const QString zipPath = temp.FilePath(QStringLiteral("many.kdp"));
        int error = 0;
        zip_t* archive = zip_open(QFile::encodeName(zipPath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(archive, nullptr);
        // Stored, not deflated: a compressor made and freed for each of 100,001 empty entries is
        // what made this test slow, far slower still under the address sanitizer.
        for (qint64 i = 0; i <= CZipFile::kMaxEntries; ++i) {
            const zip_int64_t index
                = zip_dir_add(archive, QByteArray("p/" + QByteArray::number(i) + '/').constData(), 0);
            ASSERT_GE(index, 0);
            ASSERT_EQ(zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0), 0);
        }
        ASSERT_EQ(zip_close(archive), 0);
        expectUnpackRefused(temp, zipPath);
    }
    {
        SCOPED_TRACE("more bytes unpacked than an archive may hold");
        CTempFolder temp;
        const QString zipPath = temp.FilePath(QStringLiteral("large.kdp"));
        const qint64 count = qint64(CZipFile::kMaxUnpackedBytes / 4294967294u) + 1;
        std::vector<RawEntry> entries;
        for (qint64 i = 0; i < count; ++i)
            entries.push_back({ QByteArray("p/") + QByteArray::number(i), "b", false, false, true });
        WriteRawArchive(zipPath, entries);
        DeclareSize(temp, QStringLiteral("large.kdp"), 4294967294u);
        expectUnpackRefused(temp, zipPath);
    }
    {
        // A small archive of text that would unpack to more project files than an open can read
        // into memory, though far below the limit for media.
        SCOPED_TRACE("more XML unpacked than an archive may hold");
        CTempFolder temp;
        const QString zipPath = temp.FilePath(QStringLiteral("text.kdp"));
        WriteRawArchive(zipPath, { { "p/Channel_1/Face_1.XML", "<Face/>", false, false, true } });
        const quint64 declared = CZipFile::kMaxUnpackedXmlBytes + 1;
        ASSERT_LT(declared, CZipFile::kMaxUnpackedBytes);
        DeclareSize(temp, QStringLiteral("text.kdp"), uint32_t(declared));
        expectUnpackRefused(temp, zipPath);
    }
    {
        SCOPED_TRACE("a folder of more XML than an archive may hold");
        CTempFolder temp;
        temp.WriteFile(QStringLiteral("show/show.xml"), "<Project/>");
        // Two sparse files, each within the limit, together beyond it.
        for (const char* name : { "show/Channel_1/Face_1.xml", "show/Channel_1/Face_2.xml" }) {
            temp.WriteFile(QString::fromUtf8(name), "");
            QFile face(temp.FilePath(QString::fromUtf8(name)));
            ASSERT_TRUE(face.resize(qint64(CZipFile::kMaxUnpackedXmlBytes / 2) + 1));
        }
        expectPackRefused(temp);
    }
    {
        SCOPED_TRACE("a folder of more bytes than an archive may hold");
        CTempFolder temp;
        temp.WriteFile(QStringLiteral("show/show.xml"), "<Project/>");
        // A sparse file: its size, not its blocks.
        QFile huge(temp.FilePath(QStringLiteral("show/huge.bmp")));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize(qint64(CZipFile::kMaxUnpackedBytes) + 1));
        huge.close();
        expectPackRefused(temp);
    }
}

} // namespace
