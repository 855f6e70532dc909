#include "tests/app/delivered_files.h"
#include "tests/app/table_reader.h"
#include "tests/core/qstring_printer.h"

#include "platform/profile_file.h"
#include "platform/text_codec.h"
#include "tests/fixtures/temp_folder.h"

#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The body rows of the table in the document whose header line begins with the given text, each
// as its trimmed cells.
std::vector<QStringList> DocumentTable(const QString& headerStart)
{
    const QStringList lines
        = QString::fromUtf8(ReadBytes(SourceFile(QStringLiteral("docs/effects-and-filters.md"))))
              .split(QLatin1Char('\n'));
    std::vector<QStringList> rows;
    int at = 0;
    while (at < lines.size() && !lines[at].startsWith(headerStart))
        ++at;
    for (at += 2; at < lines.size() && lines[at].startsWith(QLatin1Char('|')); ++at) {
        QStringList cells = lines[at].trimmed().split(QLatin1Char('|'));
        cells = cells.mid(1, cells.size() - 2);
        for (QString& cell : cells)
            cell = cell.trimmed();
        rows.push_back(cells);
    }
    return rows;
}

// "Name (English)" gives the name as the table file holds it.
QString TableName(const QString& cell)
{
    const qsizetype english = cell.lastIndexOf(QStringLiteral(" ("));
    return english < 0 ? cell : cell.left(english);
}

int YesNo(const QString& cell)
{
    return cell == QStringLiteral("yes") ? 1 : 0;
}

EffectTable DocumentedEffects()
{
    EffectTable table;
    for (const QStringList& cells : DocumentTable(QStringLiteral("| No | Name | IN/OUT"))) {
        EXPECT_EQ(cells.size(), 7) << cells.join(u'|').toStdString();
        if (cells.size() != 7)
            continue;
        EffectRow row;
        row.No = cells[0].toInt();
        row.Name = TableName(cells[1]);
        row.In = cells[2] == QStringLiteral("both") || cells[2] == QStringLiteral("IN");
        row.Out = cells[2] == QStringLiteral("both") || cells[2] == QStringLiteral("OUT");
        row.Time = YesNo(cells[3]);
        const QStringList direction = cells[4].split(QStringLiteral(": "));
        row.Dir = direction[0].toInt();
        if (direction.size() > 1) {
            if (int(table.directions.size()) <= row.Dir)
                table.directions.resize(size_t(row.Dir + 1));
            table.directions[size_t(row.Dir)] = direction[1].split(QStringLiteral(", "));
        }
        row.ModeImage = row.ModeCamera = row.ModeMovie = YesNo(cells[5]);
        row.ModeSound = YesNo(cells[6]);
        table.rows.push_back(row);
    }
    return table;
}

std::vector<FilterRow> DocumentedFilters()
{
    std::vector<FilterRow> rows;
    for (const QStringList& cells : DocumentTable(QStringLiteral("| No | Filter | P |"))) {
        EXPECT_EQ(cells.size(), 10) << cells.join(u'|').toStdString();
        if (cells.size() != 10)
            continue;
        if (!cells[0].isEmpty()) {
            rows.emplace_back();
            rows.back().No = cells[0].toInt();
            rows.back().Name = TableName(cells[1]);
        }
        if (cells[2].isEmpty() || rows.empty())
            continue;
        FilterRow& row = rows.back();
        FilterParam& param = row.Param[size_t(row.ParamCount++)];
        param.Name = cells[3];
        param.Type = cells[4] == QStringLiteral("slider") ? 1 : cells[4] == QStringLiteral("on/off") ? 2 : 0;
        param.Min = cells[5].toInt();
        param.Max = cells[6].toInt();
        param.Def = cells[7].toInt();
        param.Step = cells[8].toInt();
        param.Unit = cells[9];
    }
    return rows;
}

platform::CProfileFile Delivered(const char* name)
{
    platform::CProfileFile file;
    EXPECT_EQ(file.Load(DeliveredFile(QString::fromLatin1(name))), platform::CProfileFile::LoadStatus::Loaded)
        << name;
    return file;
}

} // namespace

TEST(DeliveredTables, EveryEffectRowIsValid)
{
    const platform::CProfileFile file = Delivered("Effect.ini");
    const EffectTable table = ReadEffectTable(file);
    EXPECT_EQ(EffectTableProblems(table, file), QStringList());
    // Cut, fade, wipe, slide, push, iris, zoom, blinds and dissolve at least.
    EXPECT_GE(table.rows.size(), 9u);
}

TEST(DeliveredTables, EveryFilterRowIsValid)
{
    const platform::CProfileFile file = Delivered("Filter.ini");
    const std::vector<FilterRow> rows = ReadFilterTable(file);
    EXPECT_EQ(FilterTableProblems(rows, file), QStringList());
    EXPECT_GE(rows.size(), 14u);
}

// The viewer draws what the document defines for each number: the delivered tables must offer
// exactly the documented effects, directions, filters and parameters.
TEST(DeliveredTables, EffectsAreTheDocumentedOnes)
{
    const EffectTable documented = DocumentedEffects();
    const EffectTable delivered = ReadEffectTable(Delivered("Effect.ini"));
    ASSERT_EQ(delivered.rows.size(), documented.rows.size());
    for (size_t i = 0; i < delivered.rows.size(); ++i) {
        SCOPED_TRACE(delivered.rows[i].Name.toStdString());
        EXPECT_EQ(delivered.rows[i], documented.rows[i]);
    }
    EXPECT_EQ(delivered.directions, documented.directions);
}

TEST(DeliveredTables, FiltersAreTheDocumentedOnes)
{
    const std::vector<FilterRow> documented = DocumentedFilters();
    const std::vector<FilterRow> delivered = ReadFilterTable(Delivered("Filter.ini"));
    ASSERT_EQ(delivered.size(), documented.size());
    for (size_t i = 0; i < delivered.size(); ++i) {
        SCOPED_TRACE(delivered[i].Name.toStdString());
        EXPECT_EQ(delivered[i].No, documented[i].No);
        EXPECT_EQ(delivered[i].Name, documented[i].Name);
        ASSERT_EQ(delivered[i].ParamCount, documented[i].ParamCount);
        for (int p = 0; p < delivered[i].ParamCount; ++p) {
            const FilterParam& got = delivered[i].Param[size_t(p)];
            const FilterParam& want = documented[i].Param[size_t(p)];
            SCOPED_TRACE(got.Name.toStdString());
            EXPECT_EQ(got, want);
        }
    }
}

// The tables are read through the profile-string reader, which takes UTF-16 with a byte-order
// mark, UTF-8 and the Japanese ANSI code page: a copy saved in any of them reads the same.
TEST(DeliveredTables, ReadTheSameInEveryEncodingOfIniFiles)
{
    struct Encoding {
        const char* name;
        platform::TextEncoding encoding;
        bool bom;
    };
    const Encoding encodings[] = {
        { "UTF-8", platform::TextEncoding::Utf8, false },
        { "UTF-16LE", platform::TextEncoding::Utf16LE, true },
        { "UTF-16BE", platform::TextEncoding::Utf16BE, true },
        { "CP932", platform::TextEncoding::Cp932, false },
    };
    const EffectTable effects = ReadEffectTable(Delivered("Effect.ini"));
    const std::vector<FilterRow> filters = ReadFilterTable(Delivered("Filter.ini"));
    CTempFolder folder;
    for (const Encoding& encoding : encodings) {
        SCOPED_TRACE(encoding.name);
        for (const char* name : { "Effect.ini", "Filter.ini" }) {
            const QString text
                = platform::DecodeText(ReadBytes(DeliveredFile(QString::fromLatin1(name)))).text;
            const std::optional<QByteArray> bytes
                = platform::EncodeText(text, encoding.encoding, encoding.bom);
            ASSERT_TRUE(bytes.has_value()) << name << " holds a character the encoding lacks";
            folder.WriteFile(QString::fromLatin1(name), *bytes);
        }
        const platform::CProfileFile effectFile(folder.FilePath(QStringLiteral("Effect.ini")));
        const platform::CProfileFile filterFile(folder.FilePath(QStringLiteral("Filter.ini")));
        EXPECT_EQ(ReadEffectTable(effectFile), effects);
        EXPECT_EQ(ReadFilterTable(filterFile), filters);
    }
}

// The checks above would catch the faults a hand-edited table typically has.
TEST(DeliveredTables, ChecksFindBrokenRows)
{
    const QString effectRow
        = QStringLiteral("No%1=%2\nName%1=E\nIN%1=1\nOUT%1=1\nTIME%1=1\nDIR%1=%3\n"
                         "MODE_IMAGE%1=1\nMODE_CAMERA%1=1\nMODE_MOVIE%1=1\nMODE_SOUND%1=0\n");
    const QString oneSet = QStringLiteral("[DIRECTION]\nDIR_000_000=none\n");
    const QString filterHead = QStringLiteral("[FILTER]\nNo001=0\nName001=F\nParamCount001=%1\n");
    const QString param = QStringLiteral("ParamName001_%1=P\nParamType001_%1=%2\nParamMin001_%1=%3\n"
                                         "ParamMax001_%1=%4\nParamDef001_%1=%5\nParamStep001_%1=%6\n"
                                         "ParamUnit001_%1=%7\n");
    struct Case {
        const char* name;
        bool effect;
        QString text;
        const char* problem;
    };
    const Case cases[] = {
        { "repeated number", true,
            "[EFFECT]\n" + effectRow.arg("001", "0", "0") + effectRow.arg("002", "0", "0") + oneSet,
            "row 2: number 0 repeats row 1" },
        { "number off its position", true, "[EFFECT]\n" + effectRow.arg("001", "1", "0") + oneSet,
            "row 1: number 1 is not its position 0" },
        { "missing direction set", true, "[EFFECT]\n" + effectRow.arg("001", "0", "2") + oneSet,
            "row 1: direction set 2 does not exist" },
        { "no direction sets", true, "[EFFECT]\n" + effectRow.arg("001", "0", "0"),
            "row 1: direction set 0 does not exist" },
        { "gap in a set", true, "[EFFECT]\n" + effectRow.arg("001", "0", "0") + oneSet + "DIR_000_002=far\n",
            "DIRECTION: stray key DIR_000_002" },
        { "flag 2", true,
            "[EFFECT]\n" + effectRow.arg("001", "0", "0").replace("IN001=1", "IN001=2") + oneSet,
            "row 1: IN is 2, not 0 or 1" },
        { "missing key", true, "[EFFECT]\n" + effectRow.arg("001", "0", "0").remove("TIME001=1\n") + oneSet,
            "row 1: key TIME001 missing" },
        { "row after a gap", true,
            "[EFFECT]\n" + effectRow.arg("001", "0", "0") + effectRow.arg("003", "2", "0") + oneSet,
            "EFFECT: stray key No003" },
        { "eleven parameters", false, filterHead.arg(11), "row 1: parameter count 11 outside 0..10" },
        { "default outside the range", false,
            filterHead.arg(1) + param.arg("01", "1", "0", "100", "101", "10", "%"),
            "row 1 parameter 1: default 101 outside 0..100" },
        { "empty range", false, filterHead.arg(1) + param.arg("01", "1", "5", "5", "5", "1", "%"),
            "row 1 parameter 1: empty range 5..5" },
        { "step 0", false, filterHead.arg(1) + param.arg("01", "1", "0", "100", "0", "0", "%"),
            "row 1 parameter 1: step 0 outside 1..100" },
        { "switch default 2", false, filterHead.arg(1) + param.arg("01", "2", "0", "1", "2", "1", ""),
            "row 1 parameter 1: switch default 2, not 0 or 1" },
        { "unknown type", false, filterHead.arg(1) + param.arg("01", "3", "0", "1", "0", "1", ""),
            "row 1 parameter 1: type 3, not 1 or 2" },
        { "parameter keys missing", false, filterHead.arg(2) + param.arg("01", "1", "0", "10", "0", "1", ""),
            "row 1 parameter 2: key ParamType001_02 missing" },
        { "parameter beyond the count", false, filterHead.arg(0) + "ParamName001_01=P\n",
            "FILTER: stray key ParamName001_01" },
    };
    CTempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const platform::CProfileFile file(folder.WriteFile(QStringLiteral("table.ini"), c.text.toUtf8()));
        const QStringList problems = c.effect ? EffectTableProblems(ReadEffectTable(file), file)
                                              : FilterTableProblems(ReadFilterTable(file), file);
        EXPECT_TRUE(problems.contains(QString::fromUtf8(c.problem))) << problems.join(u'\n').toStdString();
    }
}
