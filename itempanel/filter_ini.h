#pragma once

#include "platform/profile_file.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// One parameter of a filter: its label, its kind (1 slider, 2 on/off button, anything else no
// control), the slider's range, the value it gets when the filter is chosen (for a button 1 on,
// 0 off), the spacing of the slider's ticks and the unit shown after the value.
struct FILTER_PARAM {
    QString Name;
    int32_t Type = 0;
    int32_t Min = 0;
    int32_t Max = 0;
    int32_t Def = 0;
    int32_t Step = 0;
    QString Unit;

    static constexpr int32_t TYPE_SLIDER = 1;
    static constexpr int32_t TYPE_SWITCH = 2;

    bool operator==(const FILTER_PARAM&) const = default;
};

// One filter of "Filter.ini". ParamCount is kept as the file gives it (it may be negative or
// above 10); ShownParamCount() is the number of parameter rows it really has.
struct tagCFT_FILTER_TABLE {
    static constexpr int kMaxParams = 10;

    int32_t No = 0;
    QString Name;
    int32_t ParamCount = 0;
    std::array<FILTER_PARAM, kMaxParams> Param;

    void Clear() { *this = tagCFT_FILTER_TABLE(); }
    // ParamCount kept within 0..10, for every loop over the parameters.
    int ShownParamCount() const
    {
        return ParamCount < 0 ? 0 : (ParamCount > kMaxParams ? kMaxParams : ParamCount);
    }

    bool operator==(const tagCFT_FILTER_TABLE&) const = default;
};

// The filter table: the rows of section FILTER of "Filter.ini" (keys No001, Name001,
// ParamCount001 and ParamName001_01 ... ParamUnit001_10; rows read until the first empty No key,
// at most 1000; parameters 1 .. min(ParamCount, 10) of each row). Read once by the filter page,
// never written. The file may be UTF-16 with a BOM, UTF-8 or CP932. Widget-free, so that the
// output program can read it too.
class CFilterIni {
public:
    static constexpr int kMaxRows = 1000;

    // Reads the file. Without a path (nullopt) the last error is "ファイルが指定されていません。"; a
    // path that does not exist (an empty one included) gives "指定したファイルが存在しません。\n<path>",
    // a folder "指定したファイルはフォルダです。\n<path>". A failed load leaves an empty table; a file
    // without a FILTER section or without rows loads as an empty table.
    bool Load(const std::optional<QString>& path);

    QString FilePath() const { return m_filePath; }
    QString LastError() const { return m_lastError; }

    // A key of section FILTER read as a number (0 when missing or before a load).
    int32_t ReadInt(const QString& key) const;
    // A key of section FILTER (empty when missing or before a load), cut to 260 UTF-16 units.
    QString ReadString(const QString& key) const;

    // The rows in file order, unsorted; repeated numbers stay.
    const std::vector<tagCFT_FILTER_TABLE>& Rows() const { return m_rows; }
    // Copies the first row with that number, all ten parameters included. False with a cleared
    // record when none has it, and false without touching anything when no record is given.
    bool GetFilter(int32_t no, tagCFT_FILTER_TABLE* out) const;

    void ClearTable() { m_rows.clear(); }

private:
    void ReadRows();

    QString m_filePath;
    QString m_lastError;
    platform::CProfileFile m_file;
    std::vector<tagCFT_FILTER_TABLE> m_rows;
};
