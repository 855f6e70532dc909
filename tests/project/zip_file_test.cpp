#include "project/zip_file.h"
#include "tests/fixtures/temp_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>
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
};

// An archive written entry by entry with the names' bytes exactly as given and no UTF-8 flag,
// as a Windows archiver (or a hostile one) writes them.
void WriteRawArchive(const QString& path, const std::vector<RawEntry>& entries)
{
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr);
    for (const RawEntry& entry : entries) {
        zip_int64_t index = -1;
        if (entry.name.endsWith('/')) {
            index = zip_dir_add(archive, entry.name.constData(), ZIP_FL_ENC_CP437);
        } else {
            zip_source_t* source
                = zip_source_buffer(archive, entry.data.constData(), zip_uint64_t(entry.data.size()), 0);
            index = zip_file_add(archive, entry.name.constData(), source, ZIP_FL_ENC_CP437);
        }
        ASSERT_GE(index, 0) << entry.name.constData();
        if (entry.link)
            zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, 0120777u << 16);
    }
    ASSERT_EQ(zip_close(archive), 0);
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

} // namespace
