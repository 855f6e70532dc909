#include "itempanel/filter_ini.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/itempanel/panel_fixtures.h"
#include "tests/tables/table_fixtures.h"

#include <QDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

// The keys of one filter row and its parameters; a parameter given as null text is left out.
struct ParamKeys {
    int param;
    QString name;
    int type;
    int min;
    int max;
    int def;
    int step;
    QString unit;
};

QString FilterRow(int row,
    const QString& no,
    const QString& name,
    const QString& count,
    std::initializer_list<ParamKeys> params)
{
    QString text = QString::asprintf("No%03d=", row) + no + QStringLiteral("\r\n")
        + QString::asprintf("Name%03d=", row) + name + QStringLiteral("\r\n");
    if (!count.isNull())
        text += QString::asprintf("ParamCount%03d=", row) + count + QStringLiteral("\r\n");
    for (const ParamKeys& p : params) {
        text += QString::asprintf("ParamName%03d_%02d=", row, p.param) + p.name + QStringLiteral("\r\n");
        text += QString::asprintf("ParamType%03d_%02d=%d\r\nParamMin%03d_%02d=%d\r\nParamMax%03d_%02d=%d\r\n"
                                  "ParamDef%03d_%02d=%d\r\nParamStep%03d_%02d=%d\r\n",
            row, p.param, p.type, row, p.param, p.min, row, p.param, p.max, row, p.param, p.def, row, p.param,
            p.step);
        text += QString::asprintf("ParamUnit%03d_%02d=", row, p.param) + p.unit + QStringLiteral("\r\n");
    }
    return text;
}

const QString kSample = QStringLiteral("; picture filters\r\n[FILTER]\r\n")
    + FilterRow(1, QStringLiteral("0"), QStringLiteral("なし"), QStringLiteral("0"), {})
    + FilterRow(2,
        QStringLiteral("7"),
        QStringLiteral("明るさ"),
        QStringLiteral("2"),
        { { 1, QStringLiteral("明るさ"), 1, -100, 100, 0, 10, QStringLiteral("%") },
            { 2, QStringLiteral("反転"), 2, 0, 1, 1, 1, QString() } });

class FilterIniTest : public ::testing::Test {
protected:
    CFilterIni LoadText(const QString& text)
    {
        CFilterIni table;
        EXPECT_TRUE(table.Load(m_folder.WriteFile(QStringLiteral("Filter.ini"), text.toUtf8())));
        return table;
    }

    CTempFolder m_folder;
};

TEST_F(FilterIniTest, ReadsRowsAndParametersInEveryEncodingOfTheFile)
{
    for (const table_fixtures::DataFileEncoding& c : table_fixtures::DataFileEncodings()) {
        SCOPED_TRACE(c.name);
        const QString path = m_folder.WriteFile(QStringLiteral("Filter.ini"), c.encode(kSample));
        CFilterIni table;
        ASSERT_TRUE(table.Load(path));
        EXPECT_EQ(table.FilePath(), path);
        EXPECT_TRUE(table.LastError().isEmpty());
        ASSERT_EQ(table.Rows().size(), 2u);
        const tagCFT_FILTER_TABLE& brightness = table.Rows()[1];
        EXPECT_EQ(brightness.No, 7);
        EXPECT_EQ(brightness.Name, QStringLiteral("明るさ"));
        EXPECT_EQ(brightness.ParamCount, 2);
        // A slider from -100 to 100 starting at 0 with ticks every 10.
        EXPECT_EQ(brightness.Param[0],
            (FILTER_PARAM { QStringLiteral("明るさ"), 1, -100, 100, 0, 10, QStringLiteral("%") }));
        EXPECT_EQ(brightness.Param[1], (FILTER_PARAM { QStringLiteral("反転"), 2, 0, 1, 1, 1, QString() }));
        EXPECT_EQ(brightness.Param[2], FILTER_PARAM());
        EXPECT_EQ(table.ReadInt(QStringLiteral("ParamMin002_01")), -100);
        EXPECT_EQ(table.ReadString(QStringLiteral("paramunit002_01")), QStringLiteral("%"));
    }
}

TEST_F(FilterIniTest, ParameterCountBoundsWhatIsReadAndIsKeptAsWritten)
{
    QString twelve = QStringLiteral("[FILTER]\r\nNo001=1\r\nName001=twelve\r\nParamCount001=12\r\n");
    for (int p = 1; p <= 12; ++p)
        twelve += QString::asprintf("ParamName001_%02d=p%d\r\nParamType001_%02d=1\r\n", p, p, p);
    const CFilterIni many = LoadText(twelve);
    ASSERT_EQ(many.Rows().size(), 1u);
    EXPECT_EQ(many.Rows()[0].ParamCount, 12);
    EXPECT_EQ(many.Rows()[0].ShownParamCount(), 10);
    EXPECT_EQ(many.Rows()[0].Param[9].Name, QStringLiteral("p10"));

    const CFilterIni none = LoadText(QStringLiteral("[FILTER]\r\nNo001=1\r\nName001=n\r\nParamCount001=0\r\n"
                                                    "ParamName001_01=never\r\nParamType001_01=1\r\n"));
    EXPECT_EQ(none.Rows()[0].Param[0], FILTER_PARAM());

    const CFilterIni negative
        = LoadText(QStringLiteral("[FILTER]\r\nNo001=1\r\nName001=n\r\nParamCount001=-3\r\n"
                                  "ParamName001_01=never\r\n"));
    EXPECT_EQ(negative.Rows()[0].ParamCount, -3);
    EXPECT_EQ(negative.Rows()[0].ShownParamCount(), 0);
    EXPECT_EQ(negative.Rows()[0].Param[0], FILTER_PARAM());

    // Parameter 2 has no keys: an empty label and type 0.
    const CFilterIni gap = LoadText(QStringLiteral("[FILTER]\r\n")
        + FilterRow(1, QStringLiteral("3"), QStringLiteral("gap"), QStringLiteral("3"),
            { { 1, QStringLiteral("a"), 1, 0, 9, 1, 1, QString() },
                { 3, QStringLiteral("c"), 2, 0, 1, 0, 1, QString() } }));
    EXPECT_EQ(gap.Rows()[0].Param[1], FILTER_PARAM());
    EXPECT_EQ(gap.Rows()[0].Param[2].Name, QStringLiteral("c"));
}

TEST_F(FilterIniTest, RowsEndAtTheFirstEmptyNumberAndRepeatedNumbersAnswerWithTheFirst)
{
    const CFilterIni table = LoadText(QStringLiteral("[FILTER]\r\n")
        + FilterRow(1, QStringLiteral("4"), QStringLiteral("first"), QStringLiteral("0"), {})
        + FilterRow(2, QStringLiteral("4"), QStringLiteral("second"), QStringLiteral("0"), {})
        + FilterRow(3, QStringLiteral("x"), QStringLiteral("not a number"), QString(), {})
        + FilterRow(4, QString(), QStringLiteral("ends here"), QString(), {})
        + FilterRow(5, QStringLiteral("9"), QStringLiteral("never read"), QString(), {}));
    ASSERT_EQ(table.Rows().size(), 3u);
    EXPECT_EQ(table.Rows()[2].No, 0);
    EXPECT_EQ(table.Rows()[2].ParamCount, 0);

    tagCFT_FILTER_TABLE row;
    EXPECT_TRUE(table.GetFilter(4, &row));
    EXPECT_EQ(row.Name, QStringLiteral("first"));
    row.Name = QStringLiteral("stale");
    EXPECT_FALSE(table.GetFilter(9, &row));
    EXPECT_EQ(row, tagCFT_FILTER_TABLE());
    EXPECT_FALSE(table.GetFilter(4, nullptr));
}

TEST_F(FilterIniTest, ValuesAreCutAt260UnitsAndALoadReplacesTheRows)
{
    const QString longName(300, u'x');
    CFilterIni table
        = LoadText(QStringLiteral("[FILTER]\r\nNo001=1\r\nName001=") + longName + QStringLiteral("\r\n"));
    EXPECT_EQ(table.Rows()[0].Name, longName.left(260));

    EXPECT_TRUE(table.Load(m_folder.WriteFile(QStringLiteral("Other.ini"),
        QByteArray("[FILTER]\r\nNo001=2\r\nName001=b\r\nNo002=3\r\nName002=c\r\n"))));
    ASSERT_EQ(table.Rows().size(), 2u);
    EXPECT_EQ(table.Rows()[0].No, 2);

    // A file without a FILTER section loads as an empty table.
    EXPECT_TRUE(
        table.Load(m_folder.WriteFile(QStringLiteral("Empty.ini"), QByteArray("[OTHER]\r\nNo001=1\r\n"))));
    EXPECT_TRUE(table.Rows().empty());
    EXPECT_TRUE(table.LastError().isEmpty());
}

TEST_F(FilterIniTest, FailedLoadsReportWhyAndLeaveAnEmptyTable)
{
    const QString folder = m_folder.MakeFolder(QStringLiteral("Folder.ini"));
    const QString missing = m_folder.FilePath(QStringLiteral("missing.ini"));
    struct Case {
        const char* name;
        std::optional<QString> path;
        QString error;
    } cases[] = {
        { "no path", std::nullopt, QStringLiteral("ファイルが指定されていません。") },
        { "empty path", QString(), QStringLiteral("指定したファイルが存在しません。\n") },
        { "missing file", missing, QStringLiteral("指定したファイルが存在しません。\n") + missing },
        { "folder", folder, QStringLiteral("指定したファイルはフォルダです。\n") + folder },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFilterIni table = LoadText(kSample);
        ASSERT_EQ(table.Rows().size(), 2u);
        EXPECT_FALSE(table.Load(c.path));
        EXPECT_EQ(table.LastError(), c.error);
        EXPECT_TRUE(table.FilePath().isEmpty());
        EXPECT_TRUE(table.Rows().empty());
        EXPECT_EQ(table.ReadInt(QStringLiteral("No001")), 0);
        EXPECT_TRUE(table.ReadString(QStringLiteral("Name001")).isEmpty());
    }
}

} // namespace
