#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <ostream>
#include <vector>

namespace platform {
class CProfileFile;
}

// The effect and filter tables read by the rules the editor's item panels follow ("Effect.ini"
// sections EFFECT and DIRECTION, "Filter.ini" section FILTER), with checks of every row, for the
// tests of the delivered tables. The check functions list each fault they find as a line of text.

struct EffectRow {
    int No = 0;
    QString Name;
    int In = 0;
    int Out = 0;
    int Time = 0;
    int Dir = 0;
    int ModeImage = 0;
    int ModeCamera = 0;
    int ModeMovie = 0;
    int ModeSound = 0;
    bool operator==(const EffectRow&) const = default;
};

struct EffectTable {
    std::vector<EffectRow> rows;
    std::vector<QStringList> directions; // set s holds its names in order
    bool operator==(const EffectTable&) const = default;
};

struct FilterParam {
    QString Name;
    int Type = 0;
    int Min = 0;
    int Max = 0;
    int Def = 0;
    int Step = 0;
    QString Unit;
    bool operator==(const FilterParam&) const = default;
};

struct FilterRow {
    int No = 0;
    QString Name;
    int ParamCount = 0;
    std::array<FilterParam, 10> Param;
    bool operator==(const FilterRow&) const = default;
};

// Rows in failure messages.
inline void PrintTo(const EffectRow& row, std::ostream* out)
{
    *out << row.No << ' ' << row.Name.toStdString() << " IN " << row.In << " OUT " << row.Out << " TIME "
         << row.Time << " DIR " << row.Dir << " modes " << row.ModeImage << row.ModeCamera << row.ModeMovie
         << row.ModeSound;
}

inline void PrintTo(const FilterParam& param, std::ostream* out)
{
    *out << param.Name.toStdString() << " type " << param.Type << ' ' << param.Min << ".." << param.Max
         << " default " << param.Def << " step " << param.Step << " unit " << param.Unit.toStdString();
}

EffectTable ReadEffectTable(const platform::CProfileFile& file);
std::vector<FilterRow> ReadFilterTable(const platform::CProfileFile& file);

// Numbers unique and equal to their row's position (the effects page finds a row by position),
// every key of a row present, flags 0 or 1, every row offered somewhere, direction sets present,
// no key outside the rows and sets that were read.
QStringList EffectTableProblems(const EffectTable& table, const platform::CProfileFile& file);

// Numbers unique, parameter counts 0..10, every key of a parameter present, types 1 or 2,
// slider ranges not empty with the default inside and a step within the range, switches 0..1 with
// a default of 0 or 1, no key outside the rows that were read.
QStringList FilterTableProblems(const std::vector<FilterRow>& rows, const platform::CProfileFile& file);
