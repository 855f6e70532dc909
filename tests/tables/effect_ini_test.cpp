#include "tables/effect_ini.h"
#include "tests/core/qstring_printer.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/tables/table_fixtures.h"

#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

namespace {

// The keys of one effect row.
QString EffectRow(int row, const QString& no, const QString& name, const QString& flags = QString())
{
    QString text = QString::asprintf("No%03d=", row) + no + QStringLiteral("\r\n")
        + QString::asprintf("Name%03d=", row) + name + QStringLiteral("\r\n");
    return text + flags;
}

QString Flags(int row, int in, int out, int time, int dir, int image, int camera, int movie, int sound)
{
    return QString::asprintf("IN%03d=%d\r\nOUT%03d=%d\r\nTIME%03d=%d\r\nDIR%03d=%d\r\n"
                             "MODE_IMAGE%03d=%d\r\nMODE_CAMERA%03d=%d\r\nMODE_MOVIE%03d=%d\r\n"
                             "MODE_SOUND%03d=%d\r\n",
        row, in, row, out, row, time, row, dir, row, image, row, camera, row, movie, row, sound);
}

QString Directions(std::initializer_list<std::pair<int, QStringList>> sets)
{
    QString text = QStringLiteral("[DIRECTION]\r\n");
    for (const auto& [set, names] : sets) {
        for (int index = 0; index < names.size(); ++index) {
            if (!names[index].isNull())
                text += QString::asprintf("DIR_%03d_%03d=", set, index) + names[index]
                    + QStringLiteral("\r\n");
        }
    }
    return text;
}

class EffectIniTest : public ::testing::Test {
protected:
    CEffectIni LoadText(const QString& text)
    {
        CEffectIni table;
        EXPECT_TRUE(table.Load(m_folder.WriteFile(QStringLiteral("Effect.ini"), text.toUtf8())));
        return table;
    }

    CTempFolder m_folder;
};

const QString kSampleFile = QStringLiteral("[EFFECT]\r\n")
    + EffectRow(1, QStringLiteral("0"), QStringLiteral("なし"), Flags(1, 1, 1, 0, 0, 1, 1, 1, 1))
    + EffectRow(2, QStringLiteral("5"), QStringLiteral("ワイプ"), Flags(2, 1, 1, 1, 2, 1, 0, 1, 0))
    + EffectRow(3, QStringLiteral("2"), QStringLiteral("フェード"), Flags(3, 2, 1, 1, 1, 1, 1, 1, 1))
    + Directions({ { 0, { QStringLiteral("-") } }, { 1, { QStringLiteral("左"), QStringLiteral("右") } },
        { 2, { QStringLiteral("上"), QStringLiteral("下"), QStringLiteral("中央") } } });

TEST_F(EffectIniTest, ReadsRowsFlagsAndDirectionSetsInEveryEncodingOfTheFile)
{
    for (const table_fixtures::DataFileEncoding& c : table_fixtures::DataFileEncodings()) {
        SCOPED_TRACE(c.name);
        const QString path = m_folder.WriteFile(QStringLiteral("Effect.ini"), c.encode(kSampleFile));
        CEffectIni table;
        ASSERT_TRUE(table.Load(path));
        EXPECT_EQ(table.FilePath(), path);
        EXPECT_TRUE(table.LastError().isEmpty());
        ASSERT_EQ(table.Rows().size(), 3u);

        const tagCEF_EFFECT_TABLE& wipe = table.Rows()[1];
        EXPECT_EQ(wipe.No, 5);
        EXPECT_EQ(wipe.Name, QStringLiteral("ワイプ"));
        EXPECT_TRUE(wipe.IsEntryEffect());
        EXPECT_TRUE(wipe.HasTime());
        EXPECT_TRUE(wipe.OffersDirections());
        EXPECT_TRUE(wipe.AllowsMode(1));
        EXPECT_FALSE(wipe.AllowsMode(2));
        EXPECT_TRUE(wipe.AllowsMode(3));
        EXPECT_FALSE(wipe.AllowsMode(6));
        EXPECT_FALSE(wipe.AllowsMode(7)) << "a LINK never takes an effect";

        EXPECT_EQ(table.GetEffectName(2), QStringLiteral("フェード"));
        EXPECT_EQ(table.GetEffectName(9), QString());
        EXPECT_EQ(table.DirectionSetCount(), 3);
        EXPECT_EQ(table.GetDirectionName(2, 2), QStringLiteral("中央"));
        // Only the value 1 counts as set: IN003=2 is not an entry effect.
        EXPECT_FALSE(table.Rows()[2].IsEntryEffect());
        EXPECT_TRUE(table.Rows()[2].IsExitEffect());
    }
}

TEST_F(EffectIniTest, DirectionsAreFoundByTheEffectNumberNotTheRowPosition)
{
    CEffectIni table = LoadText(kSampleFile);
    // Effect 5 is the second row and names set 2; effect 2 is the third row and names set 1.
    EXPECT_EQ(table.GetEffectDirectionNames(5),
        QStringList({ QStringLiteral("上"), QStringLiteral("下"), QStringLiteral("中央") }));
    EXPECT_EQ(table.GetEffectDirectionNames(2), QStringList({ QStringLiteral("左"), QStringLiteral("右") }));
    EXPECT_TRUE(table.GetEffectDirectionNames(0).isEmpty()) << "DIR 0 offers no directions";
    EXPECT_TRUE(table.GetEffectDirectionNames(77).isEmpty());
}

TEST_F(EffectIniTest, RowsAndSetsEndAtTheFirstEmptyKey)
{
    struct Case {
        const char* name;
        QString text;
        size_t rows;
        int sets;
        std::vector<int> namesPerSet;
    };
    const Case cases[] = {
        { "No003 empty: rows 4 and 5 are never read",
            QStringLiteral("[EFFECT]\r\n") + EffectRow(1, QStringLiteral("1"), QStringLiteral("a"))
                + EffectRow(2, QStringLiteral("2"), QStringLiteral("b"))
                + EffectRow(3, QStringLiteral("  "), QStringLiteral("c"))
                + EffectRow(4, QStringLiteral("4"), QStringLiteral("d"))
                + EffectRow(5, QStringLiteral("5"), QStringLiteral("e")),
            2, 0, {} },
        { "No001 missing: an empty table", QStringLiteral("[EFFECT]\r\nNo002=2\r\n"), 0, 0, {} },
        { "DIR_000_000 empty: no sets even with set 1",
            Directions({ { 1, { QStringLiteral("x"), QStringLiteral("y") } } }), 0, 0, {} },
        { "set 2 stops at its missing name 002",
            Directions({ { 0, { QStringLiteral("a") } }, { 1, { QStringLiteral("b") } },
                { 2, { QStringLiteral("c"), QStringLiteral("d"), QString(), QStringLiteral("f") } } }),
            0, 3, { 1, 1, 2 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CEffectIni table = LoadText(c.text);
        EXPECT_EQ(table.Rows().size(), c.rows);
        ASSERT_EQ(table.DirectionSetCount(), c.sets);
        for (int set = 0; set < c.sets; ++set) {
            EXPECT_FALSE(table.GetDirectionName(set, c.namesPerSet[size_t(set)] - 1).isEmpty());
            EXPECT_TRUE(table.GetDirectionName(set, c.namesPerSet[size_t(set)]).isEmpty());
        }
    }
}

TEST_F(EffectIniTest, ReadsExactlyAThousandRows)
{
    QString text = QStringLiteral("[EFFECT]\r\n");
    for (int row = 1; row <= 1001; ++row)
        text += EffectRow(row, QString::number(row), QStringLiteral("e%1").arg(row),
            Flags(row, 1, 0, 0, 0, 0, 0, 0, row == 1000 ? 1 : 0));
    CEffectIni table = LoadText(text);
    ASSERT_EQ(table.Rows().size(), 1000u);
    EXPECT_EQ(table.Rows().back().No, 1000);
    EXPECT_EQ(table.Rows().back().Name, QStringLiteral("e1000"));
    EXPECT_EQ(table.Rows().back().MODE_SOUND, 1) << "the 1000th row's keys are MODE_SOUND1000 and so on";
    EXPECT_TRUE(table.GetEffectName(1001).isEmpty());
}

TEST_F(EffectIniTest, ValuesAreReadAsTheProfileCallsGiveThem)
{
    const QString longName(300, QLatin1Char('n'));
    CEffectIni table = LoadText(QStringLiteral("[EFFECT]\r\n")
        + EffectRow(1, QStringLiteral("  12abc "), longName) + QStringLiteral("IN001=  -3\r\nOUT001=x\r\n")
        + EffectRow(2, QStringLiteral("seven"), QStringLiteral("  \u3000名前 ")));
    ASSERT_EQ(table.Rows().size(), 2u);
    EXPECT_EQ(table.Rows()[0].No, 12);
    EXPECT_EQ(table.Rows()[0].Name.size(), 260) << "values are cut to 260 characters";
    EXPECT_EQ(table.Rows()[0].IN, -3);
    EXPECT_EQ(table.Rows()[0].OUT, 0);
    EXPECT_EQ(table.Rows()[0].TIME, 0) << "a missing key reads 0";
    EXPECT_EQ(table.Rows()[1].No, 0) << "a text without a number is effect 0";
    EXPECT_EQ(table.Rows()[1].Name, QStringLiteral("\u3000名前")) << "only ASCII blanks are trimmed";
    EXPECT_EQ(table.ReadInt(QStringLiteral("in001")), -3) << "key names match without regard to case";
    EXPECT_EQ(
        table.ReadString(QStringLiteral("EFFECT"), QStringLiteral("Name002")), QStringLiteral("\u3000名前"));
    EXPECT_TRUE(table.ReadString(QStringLiteral("NOPE"), QStringLiteral("Name002")).isEmpty());
}

TEST_F(EffectIniTest, TwoRowsWithOneNumberAnswerWithTheFirst)
{
    CEffectIni table = LoadText(QStringLiteral("[EFFECT]\r\n")
        + EffectRow(1, QStringLiteral("4"), QStringLiteral("first"), Flags(1, 1, 0, 0, 0, 1, 0, 0, 0))
        + EffectRow(2, QStringLiteral("4"), QStringLiteral("second"), Flags(2, 0, 1, 0, 0, 0, 1, 0, 0)));
    EXPECT_EQ(table.Rows().size(), 2u);
    EXPECT_EQ(table.GetEffectName(4), QStringLiteral("first"));
    tagCEF_EFFECT_TABLE row;
    ASSERT_TRUE(table.GetEffect(4, &row));
    EXPECT_EQ(row, table.Rows()[0]);
}

TEST_F(EffectIniTest, LookupsOutsideTheTableAnswerEmpty)
{
    CEffectIni table = LoadText(kSampleFile);
    tagCEF_EFFECT_TABLE row;
    row.No = 9;
    row.Name = QStringLiteral("old");
    row.MODE_IMAGE = 1;
    EXPECT_FALSE(table.GetEffect(42, &row));
    EXPECT_EQ(row, tagCEF_EFFECT_TABLE()) << "the record is cleared";
    EXPECT_FALSE(table.GetEffect(5, nullptr));
    EXPECT_TRUE(table.GetDirectionName(1, 5).isEmpty());
    EXPECT_TRUE(table.GetDirectionName(-1, 0).isEmpty());
    EXPECT_TRUE(table.GetDirectionName(3, 0).isEmpty());
    EXPECT_TRUE(table.GetDirectionName(1, -1).isEmpty());

    CEffectIni noDirections = LoadText(QStringLiteral("[EFFECT]\r\nNo001=1\r\nDIR001=1\r\n"));
    EXPECT_EQ(noDirections.DirectionSetCount(), 0);
    EXPECT_TRUE(noDirections.GetDirectionName(0, 0).isEmpty());
    EXPECT_TRUE(noDirections.GetEffectDirectionNames(1).isEmpty());
}

TEST_F(EffectIniTest, FailedLoadsReportWhyAndLeaveAnEmptyTable)
{
    const QString folder = m_folder.MakeFolder(QStringLiteral("Effect.ini.d"));
    const QString missing = m_folder.FilePath(QStringLiteral("none/Effect.ini"));
    struct Case {
        const char* name;
        std::optional<QString> path;
        QString error;
    };
    const Case cases[] = {
        { "no path", std::nullopt, QStringLiteral("ファイルが指定されていません。") },
        { "empty path", QString(QLatin1String("")), QStringLiteral("指定したファイルが存在しません。\n") },
        { "missing file", missing, QStringLiteral("指定したファイルが存在しません。\n") + missing },
        { "a folder", folder, QStringLiteral("指定したファイルはフォルダです。\n") + folder },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CEffectIni table = LoadText(kSampleFile);
        ASSERT_EQ(table.Rows().size(), 3u);
        EXPECT_FALSE(table.Load(c.path));
        EXPECT_EQ(table.LastError(), c.error);
        EXPECT_TRUE(table.FilePath().isEmpty());
        EXPECT_TRUE(table.Rows().empty());
        EXPECT_EQ(table.DirectionSetCount(), 0);
        EXPECT_EQ(table.ReadInt(QStringLiteral("No001")), 0) << "nothing is read without a loaded file";
        EXPECT_TRUE(table.GetEffectName(5).isEmpty());
    }

    CEffectIni catalogueTexts;
    catalogueTexts.SetErrorText(CEffectIni::kErrorFolder, QStringLiteral("folder: "));
    EXPECT_FALSE(catalogueTexts.Load(folder));
    EXPECT_EQ(catalogueTexts.LastError(), QStringLiteral("folder: \n") + folder);
    EXPECT_TRUE(catalogueTexts.GetErrorText(3).isEmpty());
    EXPECT_EQ(catalogueTexts.GetErrorText(0), QStringLiteral("ファイルが指定されていません。"));
}

} // namespace
