#pragma once

#include "platform/text_codec.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <vector>

namespace platform {

// The editor cuts every value to 260 UTF-16 units, the remote program to 512.
inline constexpr int kProfileValueLimit = 260;

// An ini-style file read and written with the rules of the Windows profile calls:
// section and key names match without regard to letter case, the first of two equal
// sections or keys wins, values are trimmed of ASCII blanks (never of U+3000) and lose one
// pair of enclosing quotes, and a missing key is told apart from an empty value. Lines that
// start with ';' are comments. The file is parsed once; a save keeps its encoding, BOM, line
// ends, comments and order and replaces the file atomically.
class CProfileFile {
public:
    enum class LoadStatus { Loaded, Missing, Unreadable };

    CProfileFile() = default;
    explicit CProfileFile(const QString& path) { Load(path); }

    // Reads and parses the file. A missing or unreadable file leaves the object empty (every
    // lookup misses) but keeps the path, so a later Save creates the file.
    LoadStatus Load(const QString& path);
    LoadStatus Status() const { return m_status; }
    QString Path() const { return m_path; }

    // The value, cut to maxUnits UTF-16 units without splitting a surrogate pair; nothing when
    // the section or key is missing.
    std::optional<QString> Value(QStringView section, QStringView key, int maxUnits = kProfileValueLimit) const;

    // GetPrivateProfileString: the value, or the default when the key is missing.
    QString String(QStringView section,
                   QStringView key,
                   const QString& defaultValue,
                   int maxUnits = kProfileValueLimit) const;

    // GetPrivateProfileInt: the value read as WToI does, or the default when the key is missing.
    int32_t Int(QStringView section, QStringView key, int32_t defaultValue) const;

    bool HasSection(QStringView section) const;
    QStringList Sections() const;
    QStringList Keys(QStringView section) const;

    // Edits in memory; Save writes them. SetValue refuses (false) names and values that would
    // not read back as given: line breaks, NUL, '=' or a leading '[' or ';' in a key, ']' in a
    // section name. A value with outer blanks or quotes is written in quotes.
    bool SetValue(QStringView section, QStringView key, const QString& value);
    void RemoveKey(QStringView section, QStringView key);
    void RemoveSection(QStringView section);

    // Writes the file atomically. A new file is written as UTF-8 with CRLF line ends. Fails
    // (file untouched) when the text cannot be encoded in the file's encoding.
    bool Save(QString* error = nullptr) const;

    QString ToText() const;

private:
    struct Line {
        QString text;      // the line without its end
        QString ending;    // "\r\n", "\n", "\r" or "" for the last line
    };
    struct Entry {
        QString key;       // as written
        int line = -1;
    };
    struct Section {
        QString name;      // as written
        int headerLine = -1;   // -1 for keys before any header (never looked up)
        std::vector<Entry> entries;
    };

    void Parse(const QString& text);
    void Reindex();
    const Section* FindSection(QStringView name) const;
    static const Entry* FindEntry(const Section& section, QStringView key);
    QString DefaultLineEnding() const;
    void InsertLine(int index, const QString& text);

    QString m_path;
    LoadStatus m_status = LoadStatus::Missing;
    TextEncoding m_encoding = TextEncoding::Utf8;
    bool m_hasBom = false;
    std::vector<Line> m_lines;
    std::vector<Section> m_sections;
};

// One-shot forms of the Windows calls, each reading the file anew.
QString GetPrivateProfileString(QStringView section,
                                QStringView key,
                                const QString& defaultValue,
                                const QString& path,
                                int maxUnits = kProfileValueLimit);
int32_t GetPrivateProfileInt(QStringView section, QStringView key, int32_t defaultValue, const QString& path);
bool WritePrivateProfileString(QStringView section, QStringView key, const QString& value, const QString& path);

} // namespace platform
