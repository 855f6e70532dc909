#include "tests/app/table_reader.h"

#include "platform/number_text.h"
#include "platform/profile_file.h"

#include <QSet>
#include <map>

namespace {

constexpr int kValueLimit = 260;
constexpr int kMaxRows = 1000;
constexpr int kMaxNames = 1000;
constexpr int kMaxParams = 10;

QString RowKey(const char* name, int row)
{
    return QString::fromLatin1(name) + QStringLiteral("%1").arg(row, 3, 10, QLatin1Char('0'));
}

QString ParamKey(const char* name, int row, int param)
{
    return RowKey(name, row) + QStringLiteral("_%1").arg(param, 2, 10, QLatin1Char('0'));
}

QString DirectionKey(int set, int index)
{
    return QStringLiteral("DIR_%1_%2").arg(set, 3, 10, QLatin1Char('0')).arg(index, 3, 10, QLatin1Char('0'));
}

QString Text(const platform::CProfileFile& file, const QString& section, const QString& key)
{
    return file.Value(section, key, kValueLimit).value_or(QString());
}

// A missing or empty key gives 0; otherwise the leading decimal number of the trimmed text.
int Int(const platform::CProfileFile& file, const QString& section, const QString& key)
{
    return platform::WToI(Text(file, section, key).trimmed());
}

const char* const kEffectKeys[]
    = { "No", "Name", "IN", "OUT", "TIME", "DIR", "MODE_IMAGE", "MODE_CAMERA", "MODE_MOVIE", "MODE_SOUND" };
const char* const kParamKeys[]
    = { "ParamName", "ParamType", "ParamMin", "ParamMax", "ParamDef", "ParamStep", "ParamUnit" };

// Keys of the section that none of the expected keys names (compared without regard to case).
QStringList StrayKeys(
    const platform::CProfileFile& file, const QString& section, const QSet<QString>& expected)
{
    QStringList stray;
    for (const QString& key : file.Keys(section)) {
        if (!expected.contains(key.toUpper()))
            stray << QStringLiteral("%1: stray key %2").arg(section, key);
    }
    return stray;
}

void CheckUnique(int number, int row, std::map<int, int>& seen, QStringList& problems)
{
    const auto [at, inserted] = seen.emplace(number, row);
    if (!inserted)
        problems << QStringLiteral("row %1: number %2 repeats row %3").arg(row).arg(number).arg(at->second);
}

} // namespace

EffectTable ReadEffectTable(const platform::CProfileFile& file)
{
    const QString section = QStringLiteral("EFFECT");
    EffectTable table;
    for (int n = 1; n <= kMaxRows && !Text(file, section, RowKey("No", n)).isEmpty(); ++n) {
        EffectRow row;
        row.No = Int(file, section, RowKey("No", n));
        row.Name = Text(file, section, RowKey("Name", n));
        row.In = Int(file, section, RowKey("IN", n));
        row.Out = Int(file, section, RowKey("OUT", n));
        row.Time = Int(file, section, RowKey("TIME", n));
        row.Dir = Int(file, section, RowKey("DIR", n));
        row.ModeImage = Int(file, section, RowKey("MODE_IMAGE", n));
        row.ModeCamera = Int(file, section, RowKey("MODE_CAMERA", n));
        row.ModeMovie = Int(file, section, RowKey("MODE_MOVIE", n));
        row.ModeSound = Int(file, section, RowKey("MODE_SOUND", n));
        table.rows.push_back(row);
    }
    const QString directions = QStringLiteral("DIRECTION");
    for (int s = 0; s < kMaxRows && !Text(file, directions, DirectionKey(s, 0)).isEmpty(); ++s) {
        QStringList names;
        for (int j = 0; j < kMaxNames; ++j) {
            const QString name = Text(file, directions, DirectionKey(s, j));
            if (name.isEmpty())
                break;
            names << name;
        }
        table.directions.push_back(names);
    }
    return table;
}

std::vector<FilterRow> ReadFilterTable(const platform::CProfileFile& file)
{
    const QString section = QStringLiteral("FILTER");
    std::vector<FilterRow> rows;
    for (int n = 1; n <= kMaxRows && !Text(file, section, RowKey("No", n)).isEmpty(); ++n) {
        FilterRow row;
        row.No = Int(file, section, RowKey("No", n));
        row.Name = Text(file, section, RowKey("Name", n));
        row.ParamCount = Int(file, section, RowKey("ParamCount", n));
        for (int p = 1; p <= row.ParamCount && p <= kMaxParams; ++p) {
            FilterParam& param = row.Param[size_t(p - 1)];
            param.Name = Text(file, section, ParamKey("ParamName", n, p));
            param.Type = Int(file, section, ParamKey("ParamType", n, p));
            param.Min = Int(file, section, ParamKey("ParamMin", n, p));
            param.Max = Int(file, section, ParamKey("ParamMax", n, p));
            param.Def = Int(file, section, ParamKey("ParamDef", n, p));
            param.Step = Int(file, section, ParamKey("ParamStep", n, p));
            param.Unit = Text(file, section, ParamKey("ParamUnit", n, p));
        }
        rows.push_back(row);
    }
    return rows;
}

QStringList EffectTableProblems(const EffectTable& table, const platform::CProfileFile& file)
{
    const QString section = QStringLiteral("EFFECT");
    QStringList problems;
    if (table.rows.empty())
        problems << QStringLiteral("no effect rows");
    std::map<int, int> seen;
    QSet<QString> expected;
    for (int i = 0; i < int(table.rows.size()); ++i) {
        const EffectRow& row = table.rows[size_t(i)];
        const int n = i + 1;
        CheckUnique(row.No, n, seen, problems);
        if (row.No != i)
            problems << QStringLiteral("row %1: number %2 is not its position %3").arg(n).arg(row.No).arg(i);
        for (const char* key : kEffectKeys) {
            expected.insert(RowKey(key, n).toUpper());
            if (!file.Value(section, RowKey(key, n)))
                problems << QStringLiteral("row %1: key %2 missing").arg(n).arg(RowKey(key, n));
        }
        if (row.Name.trimmed().isEmpty())
            problems << QStringLiteral("row %1: empty name").arg(n);
        const std::pair<const char*, int> flags[] = { { "IN", row.In }, { "OUT", row.Out },
            { "TIME", row.Time }, { "MODE_IMAGE", row.ModeImage }, { "MODE_CAMERA", row.ModeCamera },
            { "MODE_MOVIE", row.ModeMovie }, { "MODE_SOUND", row.ModeSound } };
        for (const auto& [name, value] : flags) {
            if (value != 0 && value != 1)
                problems << QStringLiteral("row %1: %2 is %3, not 0 or 1")
                                .arg(n)
                                .arg(QLatin1String(name))
                                .arg(value);
        }
        if (row.In != 1 && row.Out != 1)
            problems << QStringLiteral("row %1: offered neither at the entry nor at the exit").arg(n);
        if (row.ModeImage != 1 && row.ModeCamera != 1 && row.ModeMovie != 1 && row.ModeSound != 1)
            problems << QStringLiteral("row %1: allowed for no kind of item").arg(n);
        if (row.Dir < 0 || row.Dir >= int(table.directions.size()))
            problems << QStringLiteral("row %1: direction set %2 does not exist").arg(n).arg(row.Dir);
    }
    problems << StrayKeys(file, section, expected);

    QSet<QString> names;
    for (int s = 0; s < int(table.directions.size()); ++s) {
        for (int j = 0; j < table.directions[size_t(s)].size(); ++j)
            names.insert(DirectionKey(s, j).toUpper());
    }
    problems << StrayKeys(file, QStringLiteral("DIRECTION"), names);
    return problems;
}

QStringList FilterTableProblems(const std::vector<FilterRow>& rows, const platform::CProfileFile& file)
{
    const QString section = QStringLiteral("FILTER");
    QStringList problems;
    if (rows.empty())
        problems << QStringLiteral("no filter rows");
    std::map<int, int> seen;
    QSet<QString> expected;
    for (int i = 0; i < int(rows.size()); ++i) {
        const FilterRow& row = rows[size_t(i)];
        const int n = i + 1;
        CheckUnique(row.No, n, seen, problems);
        for (const char* key : { "No", "Name", "ParamCount" }) {
            expected.insert(RowKey(key, n).toUpper());
            if (!file.Value(section, RowKey(key, n)))
                problems << QStringLiteral("row %1: key %2 missing").arg(n).arg(RowKey(key, n));
        }
        if (row.Name.trimmed().isEmpty())
            problems << QStringLiteral("row %1: empty name").arg(n);
        if (row.ParamCount < 0 || row.ParamCount > kMaxParams)
            problems << QStringLiteral("row %1: parameter count %2 outside 0..10").arg(n).arg(row.ParamCount);
        for (int p = 1; p <= std::min(row.ParamCount, kMaxParams); ++p) {
            const FilterParam& param = row.Param[size_t(p - 1)];
            const QString where = QStringLiteral("row %1 parameter %2").arg(n).arg(p);
            for (const char* key : kParamKeys) {
                expected.insert(ParamKey(key, n, p).toUpper());
                if (!file.Value(section, ParamKey(key, n, p)))
                    problems << QStringLiteral("%1: key %2 missing").arg(where, ParamKey(key, n, p));
            }
            if (param.Name.trimmed().isEmpty())
                problems << QStringLiteral("%1: empty name").arg(where);
            if (param.Type == 1) {
                if (param.Min >= param.Max)
                    problems
                        << QStringLiteral("%1: empty range %2..%3").arg(where).arg(param.Min).arg(param.Max);
                if (param.Def < param.Min || param.Def > param.Max)
                    problems << QStringLiteral("%1: default %2 outside %3..%4")
                                    .arg(where)
                                    .arg(param.Def)
                                    .arg(param.Min)
                                    .arg(param.Max);
                if (param.Step < 1 || param.Step > qint64(param.Max) - param.Min)
                    problems << QStringLiteral("%1: step %2 outside 1..%3")
                                    .arg(where)
                                    .arg(param.Step)
                                    .arg(qint64(param.Max) - param.Min);
            } else if (param.Type == 2) {
                if (param.Min != 0 || param.Max != 1 || param.Step != 1 || !param.Unit.isEmpty())
                    problems << QStringLiteral("%1: a switch takes 0..1, step 1 and no unit").arg(where);
                if (param.Def != 0 && param.Def != 1)
                    problems << QStringLiteral("%1: switch default %2, not 0 or 1").arg(where).arg(param.Def);
            } else {
                problems << QStringLiteral("%1: type %2, not 1 or 2").arg(where).arg(param.Type);
            }
        }
    }
    problems << StrayKeys(file, section, expected);
    return problems;
}
