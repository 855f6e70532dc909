#include "project/face_text.h"

#include "core/xml_data.h"
#include "platform/text_codec.h"

#include <QFile>
#include <QFileInfo>
#include <charconv>
#include <cstring>

namespace face_text {

namespace {

constexpr std::string_view kTabs = "\t\t\t\t";
constexpr int kEffectValues = 4;

// The children of the "Item" between "Start" and "MaskPos", all numbers but "FilePath".
struct IntChild {
    std::string_view name;
    int32_t ItemXmlRecord::*field;
};

constexpr IntChild kBeforePath[] = {
    { "PlayTime", &ItemXmlRecord::PlayTime },
    { "Mode", &ItemXmlRecord::Mode },
};

constexpr IntChild kAfterPath[] = {
    { "PlayMode", &ItemXmlRecord::PlayMode },
    { "LinkFaceNo", &ItemXmlRecord::LinkFaceNo },
    { "CameraID", &ItemXmlRecord::CameraID },
    { "CameraImgW", &ItemXmlRecord::CameraImgW },
    { "CameraImgH", &ItemXmlRecord::CameraImgH },
    { "InTime", &ItemXmlRecord::InTime },
    { "OutTime", &ItemXmlRecord::OutTime },
    { "MaskMode", &ItemXmlRecord::MaskMode },
};

constexpr std::string_view kEffectNames[kEffectValues] = { "Pattern", "Direction", "StartTime", "EndTime" };
constexpr int32_t ItemXmlRecord::*kInEffect[kEffectValues] = { &ItemXmlRecord::InPattern,
    &ItemXmlRecord::InDirection, &ItemXmlRecord::InStartTime, &ItemXmlRecord::InEndTime };
constexpr int32_t ItemXmlRecord::*kOutEffect[kEffectValues] = { &ItemXmlRecord::OutPattern,
    &ItemXmlRecord::OutDirection, &ItemXmlRecord::OutStartTime, &ItemXmlRecord::OutEndTime };

// A number as the store writes it ("%d"): an optional minus, then digits without leading zeros
// ("0" alone), within the signed 32-bit range. Any other spelling reads the same through the DOM
// but would be written back differently.
bool ParsePlainInt(const char*& at, const char* end, int32_t& value)
{
    const char* c = at;
    const bool negative = c < end && *c == '-';
    c += negative;
    const char* const digits = c;
    int64_t number = 0;
    while (c < end && *c >= '0' && *c <= '9' && c - digits < 11) {
        number = number * 10 + (*c - '0');
        ++c;
    }
    const ptrdiff_t count = c - digits;
    if (count == 0 || count > 10 || (*digits == '0' && (count > 1 || negative)))
        return false;
    number = negative ? -number : number;
    if (number < INT32_MIN || number > INT32_MAX)
        return false;
    value = int32_t(number);
    at = c;
    return true;
}

// The escapes the DOM writes into a text: each stands for one character.
struct Escape {
    std::string_view text;
    char character;
};
constexpr Escape kEscapes[] = { { "&amp;", '&' }, { "&lt;", '<' }, { "&gt;", '>' } };

void Append(QByteArray& out, std::string_view bytes)
{
    out.append(bytes.data(), qsizetype(bytes.size()));
}

void AppendOpen(QByteArray& out, int indent, std::string_view name)
{
    Append(out, kTabs.substr(0, size_t(indent)));
    out.append('<');
    Append(out, name);
    out.append('>');
}

void AppendClose(QByteArray& out, std::string_view name)
{
    Append(out, "</");
    Append(out, name);
    Append(out, ">\n");
}

void AppendInt(QByteArray& out, int indent, std::string_view name, int32_t value)
{
    AppendOpen(out, indent, name);
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end - digits);
    AppendClose(out, name);
}

// The text escaped as the DOM writes it; the store only writes texts that XML holds (see
// CXmlData::IsXmlText), whose only control characters are tab and line feed.
void AppendText(QByteArray& out, int indent, std::string_view name, const QString& text)
{
    if (text.isEmpty()) {
        Append(out, kTabs.substr(0, size_t(indent)));
        out.append('<');
        Append(out, name);
        Append(out, " />\n");
        return;
    }
    AppendOpen(out, indent, name);
    const QByteArray utf8 = text.toUtf8();
    const char* run = utf8.constData();
    const char* const end = run + utf8.size();
    for (const char* c = run; c < end; ++c) {
        const Escape* escape = nullptr;
        for (const Escape& candidate : kEscapes) {
            if (*c == candidate.character)
                escape = &candidate;
        }
        if (!escape)
            continue;
        out.append(run, c - run);
        Append(out, escape->text);
        run = c + 1;
    }
    out.append(run, end - run);
    AppendClose(out, name);
}

void AppendContainerOpen(QByteArray& out, std::string_view name)
{
    AppendOpen(out, 2, name);
    out.append('\n');
}

void AppendContainerClose(QByteArray& out, std::string_view name)
{
    Append(out, kTabs.substr(0, 2));
    AppendClose(out, name);
}

} // namespace

bool ReadFile(const QString& path, QByteArray& bytes)
{
    if (path.isEmpty() || path.size() > CXmlData::kMaxPathLength)
        return false;
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > CXmlData::kMaxFileBytes)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    const qint64 size = file.size();
    if (size <= 0 || size > CXmlData::kMaxFileBytes)
        return false;
    bytes = QByteArray(qsizetype(size), Qt::Uninitialized);
    return file.read(bytes.data(), size) == size;
}

bool CItemReader::Literal(std::string_view bytes)
{
    if (size_t(m_end - m_at) < bytes.size() || std::memcmp(m_at, bytes.data(), bytes.size()) != 0)
        return false;
    m_at += bytes.size();
    return true;
}

bool CItemReader::Indent(int indent)
{
    return Literal(kTabs.substr(0, size_t(indent)));
}

bool CItemReader::Open(int indent, std::string_view name)
{
    return Indent(indent) && Literal("<") && Literal(name) && Literal(">\n");
}

bool CItemReader::Close(int indent, std::string_view name)
{
    return Indent(indent) && Literal("</") && Literal(name) && Literal(">\n");
}

bool CItemReader::Int(int indent, std::string_view name, int32_t& value)
{
    const char* const start = m_at;
    if (Indent(indent) && Literal("<") && Literal(name) && Literal(">") && ParsePlainInt(m_at, m_end, value)
        && Literal("</") && Literal(name) && Literal(">\n"))
        return true;
    m_at = start;
    return false;
}

bool CItemReader::Text(int indent, std::string_view name, QString& text)
{
    if (!Indent(indent) || !Literal("<") || !Literal(name))
        return false;
    if (Literal(" />\n"))
        return true;
    if (!Literal(">"))
        return false;
    // The text runs to the next '<'; it holds no markup, no carriage return (the DOM reads it as
    // a line feed) and no control character (the DOM writes it as a reference).
    const char* const begin = m_at;
    bool escaped = false;
    const char* c = begin;
    while (c < m_end && *c != '<') {
        const auto byte = static_cast<unsigned char>(*c);
        if (byte >= 0x80) {
            const char* run = c;
            while (c < m_end && static_cast<unsigned char>(*c) >= 0x80)
                ++c;
            if (!platform::IsValidUtf8(QByteArrayView(run, c - run)))
                return false;
            continue;
        }
        if ((byte < 0x20 && byte != '\t' && byte != '\n') || byte == '>')
            return false;
        if (byte == '&') {
            const std::string_view rest(c, size_t(m_end - c));
            bool known = false;
            for (const Escape& escape : kEscapes)
                known = known || rest.starts_with(escape.text);
            if (!known)
                return false;
            escaped = true;
        }
        ++c;
    }
    // An empty text is written as an empty element; a text starting with U+FEFF is read by the DOM
    // with rules of its own.
    if (c == begin || std::string_view(begin, size_t(c - begin)).starts_with("\xEF\xBB\xBF"))
        return false;
    m_at = c;
    if (!Literal("</") || !Literal(name) || !Literal(">\n"))
        return false;
    if (!escaped) {
        text = QString::fromUtf8(begin, c - begin);
    } else {
        QByteArray plain;
        plain.reserve(c - begin);
        for (const char* at = begin; at < c;) {
            if (*at != '&') {
                plain.append(*at++);
                continue;
            }
            for (const Escape& escape : kEscapes) {
                if (std::string_view(at, size_t(c - at)).starts_with(escape.text)) {
                    plain.append(escape.character);
                    at += escape.text.size();
                    break;
                }
            }
        }
        text = QString::fromUtf8(plain);
    }
    return FitsEntry(text);
}

bool CItemReader::ReadItem(ItemXmlRecord& entry)
{
    if (!Open(1, "Item") || !Int(2, "Start", entry.Start))
        return false;
    for (const IntChild& child : kBeforePath) {
        if (!Int(2, child.name, entry.*child.field))
            return false;
    }
    if (!Text(2, "FilePath", entry.FilePath))
        return false;
    for (const IntChild& child : kAfterPath) {
        if (!Int(2, child.name, entry.*child.field))
            return false;
    }
    if (!Open(2, "MaskPos") || !Int(3, "PNUM", entry.PNUM))
        return false;
    size_t points = 0;
    while (points < entry.X.size() && Int(3, "X", entry.X[points])) {
        if (!Int(3, "Y", entry.Y[points]))
            return false;
        ++points;
    }
    if (points) {
        entry.MaskX = entry.X[0];
        entry.MaskY = entry.Y[0];
    }
    if (!Int(3, "W", entry.W) || !Int(3, "H", entry.H) || !Close(2, "MaskPos")
        || !Int(2, "MaskImageEnable", entry.MaskImageEnable) || !Text(2, "MaskImage", entry.MaskImage)
        || !Int(2, "Volume", entry.Volume) || !Int(2, "Mute", entry.Mute))
        return false;
    for (const auto& [name, values] :
        { std::pair { "InEffect", kInEffect }, std::pair { "OutEffect", kOutEffect } }) {
        if (!Open(2, name))
            return false;
        for (int i = 0; i < kEffectValues; ++i) {
            if (!Int(3, kEffectNames[i], entry.*values[i]))
                return false;
        }
        if (!Close(2, name))
            return false;
    }
    if (!Open(2, "Filter") || !Int(3, "No", entry.FilterNo))
        return false;
    for (int32_t& param : entry.Param) {
        if (!Int(3, "Param", param))
            return false;
    }
    return Close(2, "Filter") && Int(2, "ThumbnailTime", entry.ThumbnailTime) && Close(1, "Item");
}

void AppendItem(QByteArray& out, const ItemXmlRecord& entry, int32_t start)
{
    AppendOpen(out, 1, "Item");
    out.append('\n');
    AppendInt(out, 2, "Start", start);
    for (const IntChild& child : kBeforePath)
        AppendInt(out, 2, child.name, entry.*child.field);
    AppendText(out, 2, "FilePath", entry.FilePath);
    for (const IntChild& child : kAfterPath)
        AppendInt(out, 2, child.name, entry.*child.field);
    AppendContainerOpen(out, "MaskPos");
    AppendInt(out, 3, "PNUM", entry.PNUM);
    // With no points in use the mask position is its rectangle's corner; otherwise the points.
    const bool corner = entry.PNUM <= 0;
    const int points = corner ? 1 : ClampedMaskPoints(entry.PNUM);
    for (int i = 0; i < points; ++i) {
        AppendInt(out, 3, "X", corner ? entry.MaskX : entry.X[size_t(i)]);
        AppendInt(out, 3, "Y", corner ? entry.MaskY : entry.Y[size_t(i)]);
    }
    AppendInt(out, 3, "W", entry.W);
    AppendInt(out, 3, "H", entry.H);
    AppendContainerClose(out, "MaskPos");
    AppendInt(out, 2, "MaskImageEnable", entry.MaskImageEnable);
    AppendText(out, 2, "MaskImage", entry.MaskImage);
    AppendInt(out, 2, "Volume", entry.Volume);
    AppendInt(out, 2, "Mute", entry.Mute);
    for (const auto& [name, values] :
        { std::pair { "InEffect", kInEffect }, std::pair { "OutEffect", kOutEffect } }) {
        AppendContainerOpen(out, name);
        for (int i = 0; i < kEffectValues; ++i)
            AppendInt(out, 3, kEffectNames[i], entry.*values[i]);
        AppendContainerClose(out, name);
    }
    AppendContainerOpen(out, "Filter");
    AppendInt(out, 3, "No", entry.FilterNo);
    for (const int32_t param : entry.Param)
        AppendInt(out, 3, "Param", param);
    AppendContainerClose(out, "Filter");
    AppendInt(out, 2, "ThumbnailTime", entry.ThumbnailTime);
    Append(out, kTabs.substr(0, 1));
    AppendClose(out, "Item");
}

} // namespace face_text
