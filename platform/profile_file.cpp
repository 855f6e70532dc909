#include "platform/profile_file.h"

#include "platform/atomic_file.h"
#include "platform/number_text.h"

#include <QFile>
#include <QFileInfo>

namespace platform {
namespace {

// Larger files are not settings files; refusing them keeps a stray path from eating memory.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

bool IsAsciiBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; }

QStringView TrimAsciiBlanks(QStringView text)
{
    while (!text.isEmpty() && IsAsciiBlank(text.front()))
        text = text.mid(1);
    while (!text.isEmpty() && IsAsciiBlank(text.back()))
        text.chop(1);
    return text;
}

bool SameName(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool HasQuotes(QStringView value)
{
    return value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front();
}

bool HasLineBreakOrNul(QStringView text)
{
    for (const QChar c : text) {
        if (c == u'\r' || c == u'\n' || c.unicode() == 0)
            return true;
    }
    return false;
}

QString CutToUnits(const QString& value, int maxUnits)
{
    if (maxUnits < 0 || value.size() <= maxUnits)
        return value;
    qsizetype cut = maxUnits;
    if (cut > 0 && value.at(cut - 1).isHighSurrogate())
        --cut;
    return value.left(cut);
}

enum class LineKind { Other, Header, Entry };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    QString name; // section or key name
};

ParsedLine Classify(const QString& line)
{
    const QStringView text = TrimAsciiBlanks(line);
    if (text.isEmpty() || text.front() == u';')
        return {};
    if (text.front() == u'[') {
        const qsizetype close = text.indexOf(u']');
        const QStringView name = close < 0 ? text.mid(1) : text.mid(1, close - 1);
        return {LineKind::Header, TrimAsciiBlanks(name).toString()};
    }
    const qsizetype equals = text.indexOf(u'=');
    if (equals <= 0)
        return {};
    const QStringView key = TrimAsciiBlanks(text.left(equals));
    if (key.isEmpty())
        return {};
    return {LineKind::Entry, key.toString()};
}

QString ValueOfLine(const QString& line)
{
    const qsizetype equals = line.indexOf(u'=');
    QStringView value = TrimAsciiBlanks(QStringView(line).mid(equals + 1));
    if (HasQuotes(value))
        value = value.mid(1, value.size() - 2);
    return value.toString();
}

} // namespace

CProfileFile::LoadStatus CProfileFile::Load(const QString& path)
{
    m_path = path;
    m_lines.clear();
    m_sections.clear();
    m_encoding = TextEncoding::Utf8;
    m_hasBom = false;

    QFile file(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        m_status = LoadStatus::Missing;
        return m_status;
    }
    if (!info.isFile() || info.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly)) {
        m_status = LoadStatus::Unreadable;
        return m_status;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_status = LoadStatus::Unreadable;
        return m_status;
    }
    DecodedText decoded = DecodeText(bytes);
    m_encoding = decoded.encoding;
    m_hasBom = decoded.hasBom;
    Parse(decoded.text);
    m_status = LoadStatus::Loaded;
    return m_status;
}

void CProfileFile::Parse(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        qsizetype next = end;
        if (next < text.size() && text[next] == u'\r')
            ++next;
        if (next < text.size() && text[next] == u'\n' && (next == end || text[end] == u'\r'))
            ++next;
        m_lines.push_back({text.mid(start, end - start), text.mid(end, next - end)});
        start = next;
    }
    Reindex();
}

void CProfileFile::Reindex()
{
    m_sections.clear();
    for (int i = 0; i < int(m_lines.size()); ++i) {
        ParsedLine parsed = Classify(m_lines[size_t(i)].text);
        if (parsed.kind == LineKind::Header)
            m_sections.push_back({std::move(parsed.name), i, {}});
        else if (parsed.kind == LineKind::Entry && !m_sections.empty())
            m_sections.back().entries.push_back({std::move(parsed.name), i});
    }
}

const CProfileFile::Section* CProfileFile::FindSection(QStringView name) const
{
    for (const Section& section : m_sections) {
        if (SameName(section.name, name))
            return &section;
    }
    return nullptr;
}

const CProfileFile::Entry* CProfileFile::FindEntry(const Section& section, QStringView key)
{
    for (const Entry& entry : section.entries) {
        if (SameName(entry.key, key))
            return &entry;
    }
    return nullptr;
}

std::optional<QString> CProfileFile::Value(QStringView section, QStringView key, int maxUnits) const
{
    const Section* found = FindSection(section);
    if (!found)
        return std::nullopt;
    const Entry* entry = FindEntry(*found, key);
    if (!entry)
        return std::nullopt;
    return CutToUnits(ValueOfLine(m_lines[size_t(entry->line)].text), maxUnits);
}

QString CProfileFile::String(QStringView section, QStringView key, const QString& defaultValue, int maxUnits) const
{
    return Value(section, key, maxUnits).value_or(CutToUnits(defaultValue, maxUnits));
}

int32_t CProfileFile::Int(QStringView section, QStringView key, int32_t defaultValue) const
{
    const auto value = Value(section, key);
    return value ? WToI(*value) : defaultValue;
}

bool CProfileFile::HasSection(QStringView section) const { return FindSection(section) != nullptr; }

QStringList CProfileFile::Sections() const
{
    QStringList names;
    for (const Section& section : m_sections) {
        if (FindSection(section.name) == &section)
            names << section.name;
    }
    return names;
}

QStringList CProfileFile::Keys(QStringView section) const
{
    QStringList keys;
    if (const Section* found = FindSection(section)) {
        for (const Entry& entry : found->entries) {
            if (FindEntry(*found, entry.key) == &entry)
                keys << entry.key;
        }
    }
    return keys;
}

QString CProfileFile::DefaultLineEnding() const
{
    for (const Line& line : m_lines) {
        if (!line.ending.isEmpty())
            return line.ending;
    }
    return QStringLiteral("\r\n");
}

void CProfileFile::InsertLine(int index, const QString& text)
{
    const QString ending = DefaultLineEnding();
    // The line before the new one must end, or the two would run together.
    if (index > 0 && m_lines[size_t(index - 1)].ending.isEmpty())
        m_lines[size_t(index - 1)].ending = ending;
    m_lines.insert(m_lines.begin() + index, Line{text, ending});
}

bool CProfileFile::SetValue(QStringView section, QStringView key, const QString& value)
{
    const QStringView trimmedSection = TrimAsciiBlanks(section);
    const QStringView trimmedKey = TrimAsciiBlanks(key);
    if (trimmedSection.isEmpty() || trimmedKey.isEmpty() || HasLineBreakOrNul(section) || HasLineBreakOrNul(key)
        || HasLineBreakOrNul(value) || section.contains(u']') || key.contains(u'=') || trimmedKey.front() == u'['
        || trimmedKey.front() == u';')
        return false;

    QString written = value;
    if (TrimAsciiBlanks(value).size() != value.size() || HasQuotes(value))
        written = QLatin1Char('"') + value + QLatin1Char('"');

    const QString keyLine = trimmedKey.toString() + QLatin1Char('=') + written;
    const Section* found = FindSection(trimmedSection);
    if (!found) {
        InsertLine(int(m_lines.size()), QLatin1Char('[') + trimmedSection.toString() + QLatin1Char(']'));
        InsertLine(int(m_lines.size()), keyLine);
    } else if (const Entry* entry = FindEntry(*found, trimmedKey)) {
        m_lines[size_t(entry->line)].text = entry->key + QLatin1Char('=') + written;
    } else {
        const int after = found->entries.empty() ? found->headerLine : found->entries.back().line;
        InsertLine(after + 1, keyLine);
    }
    Reindex();
    return true;
}

void CProfileFile::RemoveKey(QStringView section, QStringView key)
{
    const Section* found = FindSection(section);
    const Entry* entry = found ? FindEntry(*found, key) : nullptr;
    if (!entry)
        return;
    m_lines.erase(m_lines.begin() + entry->line);
    Reindex();
}

void CProfileFile::RemoveSection(QStringView section)
{
    const Section* found = FindSection(section);
    if (!found)
        return;
    const int first = found->headerLine;
    int last = int(m_lines.size());
    for (const Section& other : m_sections) {
        if (other.headerLine > first) {
            last = other.headerLine;
            break;
        }
    }
    m_lines.erase(m_lines.begin() + first, m_lines.begin() + last);
    Reindex();
}

QString CProfileFile::ToText() const
{
    QString text;
    for (const Line& line : m_lines)
        text += line.text + line.ending;
    return text;
}

bool CProfileFile::Save(QString* error) const
{
    const auto bytes = EncodeText(ToText(), m_encoding, m_hasBom);
    if (!bytes) {
        if (error)
            *error = QStringLiteral("%1: the text cannot be written in the file's encoding").arg(m_path);
        return false;
    }
    return WriteFileAtomically(m_path, *bytes, error);
}

QString GetPrivateProfileString(QStringView section,
                                QStringView key,
                                const QString& defaultValue,
                                const QString& path,
                                int maxUnits)
{
    return CProfileFile(path).String(section, key, defaultValue, maxUnits);
}

int32_t GetPrivateProfileInt(QStringView section, QStringView key, int32_t defaultValue, const QString& path)
{
    return CProfileFile(path).Int(section, key, defaultValue);
}

bool WritePrivateProfileString(QStringView section, QStringView key, const QString& value, const QString& path)
{
    CProfileFile file(path);
    if (file.Status() == CProfileFile::LoadStatus::Unreadable)
        return false;
    return file.SetValue(section, key, value) && file.Save();
}

} // namespace platform
