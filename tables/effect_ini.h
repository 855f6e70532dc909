#pragma once

#include "platform/profile_file.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// One transition effect of "Effect.ini". Items store only the number; everything else is looked
// up here. Only the value 1 counts as set for IN, OUT, TIME and the MODE_ flags; DIR above 0
// names the direction set the effect offers.
struct tagCEF_EFFECT_TABLE {
    int32_t No = 0;
    QString Name;
    int32_t IN = 0;
    int32_t OUT = 0;
    int32_t TIME = 0;
    int32_t DIR = 0;
    int32_t MODE_IMAGE = 0;
    int32_t MODE_CAMERA = 0;
    int32_t MODE_MOVIE = 0;
    int32_t MODE_SOUND = 0;

    void Clear() { *this = tagCEF_EFFECT_TABLE(); }
    bool IsEntryEffect() const { return IN == 1; }
    bool IsExitEffect() const { return OUT == 1; }
    bool HasTime() const { return TIME == 1; }
    bool OffersDirections() const { return DIR > 0; }
    // Whether the effect may be given to an item of this kind (1 IMAGE, 2 CAMERA, 3 MOVIE,
    // 6 SOUND); every other kind, LINK and NONE included, gets none.
    bool AllowsMode(int32_t mode) const;

    bool operator==(const tagCEF_EFFECT_TABLE&) const = default;
};

// The effect table: the rows of section EFFECT (keys No001, Name001, ... MODE_SOUND001, rows read
// until the first empty No key, at most 1000) and the direction sets of section DIRECTION (keys
// DIR_sss_nnn, sets and names read until the first empty one, at most 1000 each). Loaded once;
// the program never writes the file. The file may be UTF-16 with a BOM, UTF-8 or CP932.
class CEffectIni {
public:
    static constexpr int kMaxRows = 1000;
    static constexpr int kMaxDirectionSets = 1000;
    static constexpr int kMaxDirectionNames = 1000;
    // Error texts by index: no file given, file missing, the path is a folder.
    static constexpr int kErrorNoFile = 0;
    static constexpr int kErrorMissing = 1;
    static constexpr int kErrorFolder = 2;

    CEffectIni();

    // Reads the file. Without a path (nullopt) the last error is error text 0; a path that does
    // not exist (an empty one included) gives "<text 1>\n<path>", a folder "<text 2>\n<path>".
    // A failed load leaves an empty table; a file without rows loads as an empty table.
    bool Load(const std::optional<QString>& path);

    QString FilePath() const { return m_filePath; }
    QString LastError() const { return m_lastError; }

    // A key of section EFFECT read as a number (0 when missing or before a load).
    int32_t ReadInt(const QString& key) const;
    // A key's text (empty when missing or before a load), cut to 260 UTF-16 units.
    QString ReadString(const QString& section, const QString& key) const;

    // The rows in file order, unsorted; repeated numbers stay.
    const std::vector<tagCEF_EFFECT_TABLE>& Rows() const { return m_rows; }
    // The name of the first row with that number; empty when none has it.
    QString GetEffectName(int32_t no) const;
    // Copies the first row with that number. False with a cleared record when none has it, and
    // false without touching anything when no record is given.
    bool GetEffect(int32_t no, tagCEF_EFFECT_TABLE* out) const;

    int DirectionSetCount() const { return int(m_directionSets.size()); }
    // Name `index` of direction set `set`; empty outside the sets and their names.
    QString GetDirectionName(int set, int index) const;
    // The direction names an effect offers: the set named by the DIR of the first row with that
    // effect number (the number items store, not the row's position in the file). Empty when no
    // row has the number or its DIR is not above 0.
    QStringList GetEffectDirectionNames(int32_t no) const;

    QString GetErrorText(int index) const;
    // The effects page replaces the three texts with the message catalogue's.
    void SetErrorText(int index, const QString& text);

    void ClearTable() { m_rows.clear(); }

private:
    const tagCEF_EFFECT_TABLE* FindRow(int32_t no) const;
    void ReadRows();
    void ReadDirectionSets();
    QString Text(const QString& section, const QString& key) const;

    QString m_filePath;
    QString m_lastError;
    platform::CProfileFile m_file;
    std::vector<tagCEF_EFFECT_TABLE> m_rows;
    std::vector<QStringList> m_directionSets;
    std::array<QString, 3> m_errorTexts;
};
