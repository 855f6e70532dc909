#include "project/face_text.h"

#include "core/xml_data.h"
#include "platform/text_codec.h"

#include <charconv>
#include <cstring>

namespace face_text {

namespace {

// The text of an element's tags as the store writes them at its indentation (one tab per level
// below the root): an element holding a value ("<indent><name>" and "</name>\n"), or a container
// ("<indent><name>\n" and "<indent></name>\n"); `empty` is the element without a value. The
// tags alone, without the whitespace around them, lie within these texts (Bare()).
struct Tag {
    char open[24] {};
    size_t openSize = 0;
    char close[24] {};
    size_t closeSize = 0;
    char empty[24] {};
    size_t emptySize = 0;
    size_t indent = 0;
    bool container = false;
};

// A part of a tag's text.
struct Bytes {
    const char* data;
    size_t size;
};

enum class Part { Open, Close, Empty };

// The tag alone: its text without the indentation before it and the line end after it.
constexpr Bytes Bare(const Tag& tag, Part part)
{
    switch (part) {
    case Part::Open:
        return { tag.open + tag.indent, tag.openSize - tag.indent - (tag.container ? 1 : 0) };
    case Part::Close: {
        const size_t indent = tag.container ? tag.indent : 0;
        return { tag.close + indent, tag.closeSize - indent - 1 };
    }
    case Part::Empty:
        break;
    }
    return { tag.empty + tag.indent, tag.emptySize - tag.indent - 1 };
}

constexpr void Put(char* out, size_t& size, std::string_view bytes)
{
    for (const char c : bytes)
        out[size++] = c;
}

constexpr Tag MakeTag(int indent, std::string_view name, bool container = false)
{
    Tag tag;
    tag.indent = size_t(indent);
    tag.container = container;
    for (int i = 0; i < indent; ++i) {
        Put(tag.open, tag.openSize, "\t");
        Put(tag.empty, tag.emptySize, "\t");
        if (container)
            Put(tag.close, tag.closeSize, "\t");
    }
    Put(tag.open, tag.openSize, "<");
    Put(tag.open, tag.openSize, name);
    Put(tag.open, tag.openSize, container ? ">\n" : ">");
    Put(tag.close, tag.closeSize, "</");
    Put(tag.close, tag.closeSize, name);
    Put(tag.close, tag.closeSize, ">\n");
    Put(tag.empty, tag.emptySize, "<");
    Put(tag.empty, tag.emptySize, name);
    Put(tag.empty, tag.emptySize, " />\n");
    return tag;
}

constexpr Tag MakeContainer(int indent, std::string_view name)
{
    return MakeTag(indent, name, true);
}

constexpr Tag kItem = MakeContainer(1, "Item");
constexpr Tag kStart = MakeTag(2, "Start");
constexpr Tag kFilePath = MakeTag(2, "FilePath");
constexpr Tag kMaskPos = MakeContainer(2, "MaskPos");
constexpr Tag kPnum = MakeTag(3, "PNUM");
constexpr Tag kX = MakeTag(3, "X");
constexpr Tag kY = MakeTag(3, "Y");
constexpr Tag kW = MakeTag(3, "W");
constexpr Tag kH = MakeTag(3, "H");
constexpr Tag kMaskImageEnable = MakeTag(2, "MaskImageEnable");
constexpr Tag kMaskImage = MakeTag(2, "MaskImage");
constexpr Tag kVolume = MakeTag(2, "Volume");
constexpr Tag kMute = MakeTag(2, "Mute");
constexpr Tag kFilter = MakeContainer(2, "Filter");
constexpr Tag kFilterNo = MakeTag(3, "No");
constexpr Tag kParam = MakeTag(3, "Param");
constexpr Tag kThumbnailTime = MakeTag(2, "ThumbnailTime");

// The number children of the "Item" before and after "FilePath".
struct IntChild {
    Tag tag;
    int32_t ItemXmlRecord::*field;
};

constexpr IntChild kBeforePath[] = {
    { MakeTag(2, "PlayTime"), &ItemXmlRecord::PlayTime },
    { MakeTag(2, "Mode"), &ItemXmlRecord::Mode },
};

constexpr IntChild kAfterPath[] = {
    { MakeTag(2, "PlayMode"), &ItemXmlRecord::PlayMode },
    { MakeTag(2, "LinkFaceNo"), &ItemXmlRecord::LinkFaceNo },
    { MakeTag(2, "CameraID"), &ItemXmlRecord::CameraID },
    { MakeTag(2, "CameraImgW"), &ItemXmlRecord::CameraImgW },
    { MakeTag(2, "CameraImgH"), &ItemXmlRecord::CameraImgH },
    { MakeTag(2, "InTime"), &ItemXmlRecord::InTime },
    { MakeTag(2, "OutTime"), &ItemXmlRecord::OutTime },
    { MakeTag(2, "MaskMode"), &ItemXmlRecord::MaskMode },
};

constexpr int kEffectValues = 4;
constexpr Tag kEffectTags[kEffectValues]
    = { MakeTag(3, "Pattern"), MakeTag(3, "Direction"), MakeTag(3, "StartTime"), MakeTag(3, "EndTime") };

struct Effect {
    Tag tag;
    int32_t ItemXmlRecord::*values[kEffectValues];
};

constexpr Effect kEffects[] = {
    { MakeContainer(2, "InEffect"),
        { &ItemXmlRecord::InPattern, &ItemXmlRecord::InDirection, &ItemXmlRecord::InStartTime,
            &ItemXmlRecord::InEndTime } },
    { MakeContainer(2, "OutEffect"),
        { &ItemXmlRecord::OutPattern, &ItemXmlRecord::OutDirection, &ItemXmlRecord::OutStartTime,
            &ItemXmlRecord::OutEndTime } },
};

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

void AppendOpen(QByteArray& out, const Tag& tag)
{
    out.append(tag.open, qsizetype(tag.openSize));
}

void AppendClose(QByteArray& out, const Tag& tag)
{
    out.append(tag.close, qsizetype(tag.closeSize));
}

void AppendInt(QByteArray& out, const Tag& tag, int32_t value)
{
    AppendOpen(out, tag);
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end - digits);
    AppendClose(out, tag);
}

// The text escaped as the DOM writes it; the store only writes texts that XML holds (see
// CXmlData::IsXmlText), whose only control characters are tab and line feed.
void AppendText(QByteArray& out, const Tag& tag, const QString& text)
{
    if (text.isEmpty()) {
        out.append(tag.empty, qsizetype(tag.emptySize));
        return;
    }
    AppendOpen(out, tag);
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
    AppendClose(out, tag);
}

// The position just past the first `what` from `at`; null when there is none before `end`.
const char* After(const char* at, const char* end, std::string_view what)
{
    const std::string_view text(at, size_t(end - at));
    const size_t found = text.find(what);
    return found == std::string_view::npos ? nullptr : at + found + what.size();
}

// The '>' that ends the tag whose name starts at `at`, past any quoted attribute values.
const char* TagEnd(const char* at, const char* end)
{
    for (; at < end; ++at) {
        if (*at == '>')
            return at;
        if (*at == '"' || *at == '\'') {
            const void* close = std::memchr(at + 1, *at, size_t(end - at - 1));
            if (!close)
                return nullptr;
            at = static_cast<const char*>(close);
        }
    }
    return nullptr;
}

constexpr bool IsNameStartByte(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || (c & 0x80);
}

// A processing instruction whose target starts with "xml" in any case: a declaration, or a name
// reserved for XML, which the parser may treat otherwise inside an element than at the top.
bool IsXmlTarget(std::string_view node)
{
    if (node.size() < 5)
        return false;
    const auto lower = [](char c) { return char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); };
    return lower(node[2]) == 'x' && lower(node[3]) == 'm' && lower(node[4]) == 'l';
}

} // namespace

const char* NodeEnd(const char* at, const char* end, bool& entry)
{
    entry = false;
    const std::string_view node(at, size_t(end - at));
    if (node.starts_with("<!--"))
        return After(at + 4, end, "-->");
    if (node.starts_with("<?"))
        return IsXmlTarget(node) ? nullptr : After(at + 2, end, "?>");
    if (node.size() < 2 || node[0] != '<' || !IsNameStartByte(node[1]))
        return nullptr;
    constexpr std::string_view kOpenItem = "<Item";
    entry = node.size() > kOpenItem.size() && node.starts_with(kOpenItem)
        && (IsSpace(node[kOpenItem.size()]) || node[kOpenItem.size()] == '>'
            || node[kOpenItem.size()] == '/');
    // The element ends where its tags balance; comments, CDATA sections and processing
    // instructions inside are passed over whole. Whether the tags match is the parser's to check.
    int depth = 0;
    const char* c = at;
    while (c) {
        const std::string_view rest(c, size_t(end - c));
        if (rest.starts_with("<!--")) {
            c = After(c + 4, end, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            c = After(c + 9, end, "]]>");
        } else if (rest.starts_with("<?")) {
            c = After(c + 2, end, "?>");
        } else if (rest.starts_with("<!")) {
            return nullptr;
        } else if (rest.starts_with("</")) {
            c = After(c + 2, end, ">");
            if (c && --depth == 0)
                return c;
        } else {
            const char* close = TagEnd(c + 1, end);
            if (!close)
                return nullptr;
            const bool empty = close[-1] == '/';
            c = close + 1;
            if (!empty)
                ++depth;
            else if (depth == 0)
                return c;
        }
        if (!c)
            return nullptr;
        c = static_cast<const char*>(std::memchr(c, '<', size_t(end - c)));
    }
    return nullptr;
}

namespace {

// The reader of one entry. Every tag is compared as a whole, eight bytes at a time, with the
// whitespace the store writes around it: an entry is some sixty elements, and a load reads every
// one of them. Where that whitespace differs, the tag alone is taken after any whitespace, and
// the entry is no longer verbatim.
class CItemReader {
public:
    CItemReader(const char* at, const char* end)
        : m_at(at)
        , m_end(end)
    {
    }
    bool ReadItem(ItemXmlRecord& entry);
    const char* At() const { return m_at; }
    bool Verbatim() const { return m_verbatim; }

private:
    bool Match(const char* bytes, size_t size)
    {
        if (size_t(m_end - m_at) < size)
            return false;
        size_t i = 0;
        for (; i + 8 <= size; i += 8) {
            uint64_t text;
            uint64_t expected;
            std::memcpy(&text, m_at + i, 8);
            std::memcpy(&expected, bytes + i, 8);
            if (text != expected)
                return false;
        }
        for (; i < size; ++i) {
            if (m_at[i] != bytes[i])
                return false;
        }
        m_at += size;
        return true;
    }
    // The tag as the store writes it, or else the tag alone, after any whitespace when
    // `spaceBefore` (whitespace before the closing tag of a value is part of the value).
    bool Take(const char* written, size_t writtenSize, Bytes bare, bool spaceBefore)
    {
        if (Match(written, writtenSize))
            return true;
        const char* const start = m_at;
        while (spaceBefore && m_at < m_end && IsSpace(*m_at))
            ++m_at;
        if (Match(bare.data, bare.size)) {
            m_verbatim = false;
            return true;
        }
        m_at = start;
        return false;
    }
    bool Open(const Tag& tag) { return Take(tag.open, tag.openSize, Bare(tag, Part::Open), true); }
    bool Close(const Tag& tag)
    {
        return Take(tag.close, tag.closeSize, Bare(tag, Part::Close), tag.container);
    }
    bool Empty(const Tag& tag) { return Take(tag.empty, tag.emptySize, Bare(tag, Part::Empty), true); }
    // "<indent><name>number</name>\n"; nothing is taken when the text there is another.
    bool Int(const Tag& tag, int32_t& value)
    {
        const char* const start = m_at;
        const bool verbatim = m_verbatim;
        if (Open(tag) && ParsePlainInt(m_at, m_end, value) && Close(tag))
            return true;
        m_at = start;
        m_verbatim = verbatim;
        return false;
    }
    // "<indent><name>text</name>\n", or "<indent><name />\n" for an empty text.
    bool Text(const Tag& tag, QString& text);

    const char* m_at;
    const char* m_end;
    bool m_verbatim = true;
};

bool CItemReader::Text(const Tag& tag, QString& text)
{
    if (Empty(tag))
        return true;
    if (!Open(tag))
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
    if (!Close(tag))
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
    if (!Open(kItem) || !Int(kStart, entry.Start))
        return false;
    for (const IntChild& child : kBeforePath) {
        if (!Int(child.tag, entry.*child.field))
            return false;
    }
    if (!Text(kFilePath, entry.FilePath))
        return false;
    for (const IntChild& child : kAfterPath) {
        if (!Int(child.tag, entry.*child.field))
            return false;
    }
    if (!Open(kMaskPos) || !Int(kPnum, entry.PNUM))
        return false;
    size_t points = 0;
    while (points < entry.X.size() && Int(kX, entry.X[points])) {
        if (!Int(kY, entry.Y[points]))
            return false;
        ++points;
    }
    if (points) {
        entry.MaskX = entry.X[0];
        entry.MaskY = entry.Y[0];
    }
    if (!Int(kW, entry.W) || !Int(kH, entry.H) || !Close(kMaskPos)
        || !Int(kMaskImageEnable, entry.MaskImageEnable) || !Text(kMaskImage, entry.MaskImage)
        || !Int(kVolume, entry.Volume) || !Int(kMute, entry.Mute))
        return false;
    for (const Effect& effect : kEffects) {
        if (!Open(effect.tag))
            return false;
        for (int i = 0; i < kEffectValues; ++i) {
            if (!Int(kEffectTags[i], entry.*effect.values[i]))
                return false;
        }
        if (!Close(effect.tag))
            return false;
    }
    if (!Open(kFilter) || !Int(kFilterNo, entry.FilterNo))
        return false;
    for (int32_t& param : entry.Param) {
        if (!Int(kParam, param))
            return false;
    }
    if (!Close(kFilter) || !Int(kThumbnailTime, entry.ThumbnailTime) || !Close(kItem))
        return false;
    // An entry that is not verbatim is written anew, with the points the store writes for its
    // PNUM: only an entry that holds exactly those reads back as the DOM would write it.
    const int storedPoints = entry.PNUM <= 0 ? 1 : ClampedMaskPoints(entry.PNUM);
    return m_verbatim || points == size_t(storedPoints);
}

} // namespace

bool ReadItem(const char*& at, const char* end, ItemXmlRecord& entry, bool& verbatim)
{
    CItemReader reader(at, end);
    if (!reader.ReadItem(entry))
        return false;
    at = reader.At();
    verbatim = reader.Verbatim();
    return true;
}

void AppendItem(QByteArray& out, const ItemXmlRecord& entry, int32_t start)
{
    AppendOpen(out, kItem);
    AppendInt(out, kStart, start);
    for (const IntChild& child : kBeforePath)
        AppendInt(out, child.tag, entry.*child.field);
    AppendText(out, kFilePath, entry.FilePath);
    for (const IntChild& child : kAfterPath)
        AppendInt(out, child.tag, entry.*child.field);
    AppendOpen(out, kMaskPos);
    AppendInt(out, kPnum, entry.PNUM);
    // With no points in use the mask position is its rectangle's corner; otherwise the points.
    const bool corner = entry.PNUM <= 0;
    const int points = corner ? 1 : ClampedMaskPoints(entry.PNUM);
    for (int i = 0; i < points; ++i) {
        AppendInt(out, kX, corner ? entry.MaskX : entry.X[size_t(i)]);
        AppendInt(out, kY, corner ? entry.MaskY : entry.Y[size_t(i)]);
    }
    AppendInt(out, kW, entry.W);
    AppendInt(out, kH, entry.H);
    AppendClose(out, kMaskPos);
    AppendInt(out, kMaskImageEnable, entry.MaskImageEnable);
    AppendText(out, kMaskImage, entry.MaskImage);
    AppendInt(out, kVolume, entry.Volume);
    AppendInt(out, kMute, entry.Mute);
    for (const Effect& effect : kEffects) {
        AppendOpen(out, effect.tag);
        for (int i = 0; i < kEffectValues; ++i)
            AppendInt(out, kEffectTags[i], entry.*effect.values[i]);
        AppendClose(out, effect.tag);
    }
    AppendOpen(out, kFilter);
    AppendInt(out, kFilterNo, entry.FilterNo);
    for (const int32_t param : entry.Param)
        AppendInt(out, kParam, param);
    AppendClose(out, kFilter);
    AppendInt(out, kThumbnailTime, entry.ThumbnailTime);
    AppendClose(out, kItem);
}

} // namespace face_text
