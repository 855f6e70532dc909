#include "core/xml_data.h"

#include "platform/atomic_file.h"
#include "platform/number_text.h"
#include "platform/paths.h"
#include "platform/text_codec.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace {

constexpr int kMaxErrorTextLength = 1023;
// Comments, processing instructions and the document type are kept, so that a rewrite in place
// gives them back; text outside the root is kept too (as a fragment), so that the load can see
// and refuse it rather than drop it. The first text of an element is held by the element itself
// rather than by a node of its own: files are mostly elements holding one number, and a load
// then makes half the nodes.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments
    | pugi::parse_pi | pugi::parse_doctype | pugi::parse_ws_pcdata_single | pugi::parse_fragment
    | pugi::parse_embed_pcdata;
constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
// How every save prints nodes: one tab per level. A face kept as text prints its parsed parts and
// its declaration with these too, so that its bytes stay those of the document's save.
constexpr char kIndent[] = "\t";
constexpr unsigned kSaveFormat = pugi::format_indent;

// Streams pugixml's output into a device and remembers whether every write went through. The
// parser hands over its output in pieces of a few kilobytes; they are gathered into large blocks
// so that the device writes each block straight through, in a few system calls per file.
class CDeviceWriter : public pugi::xml_writer {
public:
    explicit CDeviceWriter(QIODevice& device)
        : m_device(device)
    {
        m_block.reserve(kBlockBytes);
    }
    void write(const void* data, size_t size) override
    {
        if (!m_ok)
            return;
        if (m_block.size() + size > kBlockBytes && !Flush())
            return;
        if (size >= kBlockBytes) {
            m_ok = m_device.write(static_cast<const char*>(data), qint64(size)) == qint64(size);
            return;
        }
        m_block.append(static_cast<const char*>(data), size);
    }
    // Hands what is gathered to the device; false when any write failed.
    bool Flush()
    {
        if (m_ok && !m_block.empty())
            m_ok = m_device.write(m_block.data(), qint64(m_block.size())) == qint64(m_block.size());
        m_block.clear();
        return m_ok;
    }

private:
    static constexpr size_t kBlockBytes = size_t(1) << 16;
    QIODevice& m_device;
    std::string m_block;
    bool m_ok = true;
};

bool StartsWith(std::string_view bytes, std::string_view prefix)
{
    return bytes.substr(0, prefix.size()) == prefix;
}

// The encoding named by the XML declaration at the start of 8-bit text; empty without one. The
// declaration's pseudo-attributes are read by name, as the parser reads them.
QByteArray DeclaredEncoding(std::string_view bytes)
{
    if (!StartsWith(bytes, "<?xml"))
        return {};
    std::string_view declaration = bytes.substr(0, std::min<size_t>(bytes.size(), 1024));
    const size_t close = declaration.find("?>");
    if (close == std::string_view::npos)
        return {};
    declaration = declaration.substr(5, close - 5);
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    size_t at = 0;
    while (true) {
        while (at < declaration.size() && isBlank(declaration[at]))
            ++at;
        const size_t nameStart = at;
        while (at < declaration.size() && !isBlank(declaration[at]) && declaration[at] != '=')
            ++at;
        const std::string_view name = declaration.substr(nameStart, at - nameStart);
        while (at < declaration.size() && isBlank(declaration[at]))
            ++at;
        if (name.empty() || at >= declaration.size() || declaration[at] != '=')
            return {};
        ++at;
        while (at < declaration.size() && isBlank(declaration[at]))
            ++at;
        if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\''))
            return {};
        const char quote = declaration[at++];
        const size_t end = declaration.find(quote, at);
        if (end == std::string_view::npos)
            return {};
        if (name == "encoding")
            return QByteArray(declaration.data() + at, qsizetype(end - at));
        at = end + 1;
    }
}

// Encodings whose characters take two or four bytes: an 8-bit file that names one of them
// names it wrongly (such a file came out of a tool that kept the declaration of a string).
bool IsWideEncodingName(const QByteArray& name)
{
    const QByteArray upper = name.toUpper();
    return upper.startsWith("UTF-16") || upper.startsWith("UTF-32") || upper.startsWith("UCS-")
        || upper.startsWith("ISO-10646-UCS");
}

// A character reference ("&#...;") at `at` (which points to the '&') to a code point that no text
// can hold (NUL, a surrogate, beyond U+10FFFF): the parser would turn it into bytes that are not
// UTF-8 and the text would be lost. Anything that is not a reference is left to the parser.
bool IsUnreadableReference(const unsigned char* at, const unsigned char* end)
{
    const unsigned char* c = at + 1;
    if (c >= end || *c != '#')
        return false;
    ++c;
    const bool hex = c < end && *c == 'x';
    c += hex;
    uint64_t value = 0;
    size_t digits = 0;
    for (; c < end; ++c, ++digits) {
        int digit = -1;
        if (*c >= '0' && *c <= '9')
            digit = *c - '0';
        else if (hex && *c >= 'a' && *c <= 'f')
            digit = *c - 'a' + 10;
        else if (hex && *c >= 'A' && *c <= 'F')
            digit = *c - 'A' + 10;
        if (digit < 0)
            break;
        value = std::min<uint64_t>(value * (hex ? 16 : 10) + uint64_t(digit), 0x110000);
    }
    if (digits == 0 || c >= end || *c != ';')
        return false; // not a reference: the parser keeps the text as it stands
    return value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF;
}

constexpr uint64_t kEveryByte = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x8080808080808080ull;

// True when one of the eight bytes is zero (the bytes are all below 0x80).
constexpr bool HasZeroByte(uint64_t bytes)
{
    return ((bytes - kEveryByte) & ~bytes & kHighBits) != 0;
}

// Whether the parser can read the text as it was written, checked in one pass: UTF-8 throughout
// (platform::IsValidUtf8 on each run of non-ASCII bytes), no NUL (the parser would end the
// text there) and no reference to a character no text can hold. (Other control characters read
// and write back as references, without loss.) Runs of plain ASCII are checked eight bytes at a
// time.
bool IsReadableUtf8(std::string_view text)
{
    const auto* c = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = c + text.size();
    while (c < end) {
        while (end - c >= 8) {
            uint64_t bytes;
            std::memcpy(&bytes, c, sizeof bytes);
            if ((bytes & kHighBits) || HasZeroByte(bytes) || HasZeroByte(bytes ^ (kEveryByte * '&')))
                break;
            c += 8;
        }
        if (c >= end)
            break;
        if (*c < 0x80) {
            if (*c == 0 || (*c == '&' && IsUnreadableReference(c, end)))
                return false;
            ++c;
            continue;
        }
        // A run of bytes from 0x80 up holds whole sequences when the text is UTF-8: ASCII bytes
        // never fall inside one.
        const unsigned char* run = c;
        while (c < end && *c >= 0x80)
            ++c;
        if (!platform::IsValidUtf8(QByteArrayView(run, c - run)))
            return false;
    }
    return true;
}

// The encoding the file's bytes must be converted from; empty for UTF-8, which the parser takes
// as it is. UTF-16 and UTF-32 are found by their byte order mark or their first character (whose
// bytes `skip` then tells to leave out), any other 8-bit encoding by the declaration. A UTF-8 file
// that declares a wide encoding declares it wrongly and is read as UTF-8.
QByteArray SourceEncoding(std::string_view bytes, size_t& skip)
{
    skip = 0;
    if (StartsWith(bytes, std::string_view("\xFF\xFE\0\0", 4))) {
        skip = 4;
        return "UTF-32LE";
    }
    if (StartsWith(bytes, std::string_view("\0\0\xFE\xFF", 4))) {
        skip = 4;
        return "UTF-32BE";
    }
    if (StartsWith(bytes, "\xFF\xFE")) {
        skip = 2;
        return "UTF-16LE";
    }
    if (StartsWith(bytes, "\xFE\xFF")) {
        skip = 2;
        return "UTF-16BE";
    }
    if (StartsWith(bytes, std::string_view("<\0", 2)))
        return "UTF-16LE";
    if (StartsWith(bytes, std::string_view("\0<", 2)))
        return "UTF-16BE";
    if (StartsWith(bytes, "\xEF\xBB\xBF"))
        return {};
    const QByteArray declared = DeclaredEncoding(bytes);
    if (declared.isEmpty() || declared.compare("UTF-8", Qt::CaseInsensitive) == 0
        || IsWideEncodingName(declared))
        return {};
    return declared;
}

// The memory one file load may still take on this thread: every allocation of the parser (the
// text it parses in place, the pages of its tree) is counted while a load runs, and one beyond
// the limit fails as if the memory had run out. Outside a load nothing is counted.
class CLoadBudget {
public:
    CLoadBudget()
        : m_outer(t_current)
    {
        t_current = this;
    }
    ~CLoadBudget() { t_current = m_outer; }
    CLoadBudget(const CLoadBudget&) = delete;
    CLoadBudget& operator=(const CLoadBudget&) = delete;

    // Sets the limit for a file of the size, once it is known. The count sees the blocks it is
    // given, not the allocator's headers of small blocks, its arena's loose end or the small
    // buffers of the reading. Measured, these added well under a percent to a large load (some
    // 40 kB to 127 MB); the limit keeps a sixteenth of the bound for them.
    void LimitTo(qint64 fileBytes)
    {
        const qint64 bound = std::max(CXmlData::kMinLoadBytes, fileBytes * CXmlData::kLoadBytesPerFileByte);
        m_limit = size_t(bound - bound / 16);
    }
    // Sets the limit itself, for a part of a load whose caller counts the rest.
    void LimitToBytes(qint64 bytes) { m_limit = size_t(std::max<qint64>(bytes, 0)); }
    qint64 Left() const { return qint64(m_limit - std::min(m_used, m_limit)); }
    // Counts memory taken; false (nothing counted) when it would pass the limit.
    bool Take(size_t bytes)
    {
        if (bytes > m_limit - std::min(m_used, m_limit))
            return false;
        m_used += bytes;
        return true;
    }
    void Give(size_t bytes) { m_used -= std::min(m_used, bytes); }

    static void* Allocate(size_t size)
    {
        void* block = std::malloc(size);
        if (block && t_current && !t_current->Take(malloc_usable_size(block))) {
            std::free(block);
            return nullptr;
        }
        return block;
    }
    static void Deallocate(void* block)
    {
        if (block && t_current)
            t_current->Give(malloc_usable_size(block));
        std::free(block);
    }

private:
    static thread_local CLoadBudget* t_current;
    CLoadBudget* m_outer;
    // No limit until the file's size is known: nothing is read before.
    size_t m_limit = 0;
    size_t m_used = 0;
};

thread_local CLoadBudget* CLoadBudget::t_current = nullptr;

// The parser allocates through the budget from the start of the program on, on every thread.
[[maybe_unused]] const bool kParserAllocatesThroughBudget = [] {
    pugi::set_memory_management_functions(CLoadBudget::Allocate, CLoadBudget::Deallocate);
    return true;
}();

// A buffer of the parser's allocator, which the document takes over with the text.
struct ParserBuffer {
    char* data = nullptr;
    size_t size = 0;

    explicit ParserBuffer(size_t bytes)
        : data(static_cast<char*>(pugi::get_memory_allocation_function()(bytes ? bytes : 1)))
        , size(bytes)
    {
    }
    ParserBuffer(const ParserBuffer&) = delete;
    ParserBuffer& operator=(const ParserBuffer&) = delete;
    ~ParserBuffer()
    {
        if (data)
            pugi::get_memory_deallocation_function()(data);
    }
    char* Release() { return std::exchange(data, nullptr); }
};

// The file's bytes as UTF-8 when they are in another encoding (see SourceEncoding), into
// `converted`; nothing there for a UTF-8 file. False when the text cannot be read as it was
// written (bytes that are not in the encoding the file names, an unknown encoding, a NUL or a
// reference to a character no text can hold): such a file is refused, never loaded with
// replacement characters that the next save would write for good. Without `checkText` only the
// conversion is checked (its output is UTF-8), the caller checking the rest of every part it uses.
bool ReadableText(std::string_view bytes, std::optional<QByteArray>& converted, bool checkText = true)
{
    converted.reset();
    size_t skip = 0;
    const QByteArray encoding = SourceEncoding(bytes, skip);
    if (encoding.isEmpty())
        return !checkText || IsReadableUtf8(bytes);
    // The file's bytes are converted where they lie.
    converted = platform::ConvertToUtf8(
        QByteArray::fromRawData(bytes.data() + skip, qsizetype(bytes.size() - skip)), encoding);
    return converted
        && (!checkText
            || IsReadableUtf8(std::string_view(converted->constData(), size_t(converted->size()))));
}

// The file's text as UTF-8 in a buffer of the parser's, read once and checked in one pass;
// nothing when the file is not a regular file, is larger than a load reads, or its text cannot
// be read as it was written (ReadableText).
std::unique_ptr<ParserBuffer> ReadDocumentText(const QString& path, CLoadBudget& budget)
{
    QFile file;
    if (!platform::OpenRegularFile(file, path))
        return nullptr;
    const qint64 size = file.size();
    if (size > CXmlData::kMaxFileBytes)
        return nullptr;
    budget.LimitTo(size);
    auto buffer = std::make_unique<ParserBuffer>(size_t(size));
    if (!buffer->data || file.read(buffer->data, size) != size)
        return nullptr;
    std::optional<QByteArray> utf8;
    if (!ReadableText(std::string_view(buffer->data, size_t(size)), utf8))
        return nullptr;
    if (!utf8)
        return buffer;
    buffer.reset();
    // The converted text counts against the load's memory while it is held beside the parser's
    // copy of it.
    if (!budget.Take(size_t(utf8->size())))
        return nullptr;
    auto converted = std::make_unique<ParserBuffer>(size_t(utf8->size()));
    budget.Give(size_t(utf8->size()));
    if (!converted->data)
        return nullptr;
    std::memcpy(converted->data, utf8->constData(), converted->size);
    return converted;
}

// Finds the deepest element level of a document (its root is level 1), stopping at the first
// element beyond the limit. The parser's own walk visits the nodes at the cost of one call each.
class CDepthWalker : public pugi::xml_tree_walker {
public:
    explicit CDepthWalker(int limit)
        : m_limit(limit)
    {
    }
    bool for_each(pugi::xml_node& node) override
    {
        // depth() counts from the document's children, at 0.
        if (depth() >= m_deepest && node.type() == pugi::node_element)
            m_deepest = depth() + 1;
        return m_deepest <= m_limit;
    }
    int Deepest() const { return m_deepest; }

private:
    int m_limit;
    int m_deepest = 0;
};

int DeepestLevel(pugi::xml_document& document, int limit)
{
    CDepthWalker walker(limit);
    document.traverse(walker);
    return walker.Deepest();
}

bool IsNameStart(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(unsigned char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// An element name that an XML file can hold (UTF-8).
bool IsXmlName(const char* name)
{
    if (!name || !IsNameStart(static_cast<unsigned char>(*name)))
        return false;
    for (const char* c = name + 1; *c; ++c) {
        if (!IsNameChar(static_cast<unsigned char>(*c)))
            return false;
    }
    return true;
}

// A path of child element names joined by '/', which needs no XPath evaluation.
bool IsPlainPath(const char* path)
{
    bool atStepStart = true;
    for (const char* c = path; *c; ++c) {
        const auto ch = static_cast<unsigned char>(*c);
        if (ch == '/') {
            if (atStepStart)
                return false;
            atStepStart = true;
        } else if (atStepStart ? IsNameStart(ch) && ch != ':' : IsNameChar(ch) && ch != ':') {
            atStepStart = false;
        } else {
            return false;
        }
    }
    return !atStepStart;
}

bool HasDeclaration(const pugi::xml_document& document)
{
    return document.first_child().type() == pugi::node_declaration;
}

// A file can be read back only when it holds exactly one root element.
bool HasOneRoot(const pugi::xml_document& document)
{
    int roots = 0;
    for (pugi::xml_node child = document.first_child(); child; child = child.next_sibling())
        roots += child.type() == pugi::node_element;
    return roots == 1;
}

// What the parser lets through but no save could write back readably: text outside the root, a
// declaration after the start, a document type after the root, more than one root.
bool IsWellFormedDocument(const pugi::xml_document& document)
{
    int roots = 0;
    for (pugi::xml_node child = document.first_child(); child; child = child.next_sibling()) {
        switch (child.type()) {
        case pugi::node_declaration:
            if (child != document.first_child())
                return false;
            break;
        case pugi::node_doctype:
            if (roots)
                return false;
            break;
        case pugi::node_element:
            ++roots;
            break;
        case pugi::node_comment:
        case pugi::node_pi:
            break;
        default:
            return false;
        }
    }
    return roots == 1;
}

// The file is always written as UTF-8: a declaration that names another encoding (a file
// read from UTF-16) is made to say so, or readers would decode the bytes wrongly.
void DeclareUtf8(pugi::xml_document& document)
{
    if (!HasDeclaration(document))
        return;
    pugi::xml_attribute encoding = document.first_child().attribute("encoding");
    if (encoding && QByteArray(encoding.value()).compare("UTF-8", Qt::CaseInsensitive) != 0)
        encoding.set_value("UTF-8");
}

// The tabs of one indentation level each, for the levels the save indents.
void WriteIndent(pugi::xml_writer& writer, int levels)
{
    static constexpr char kTabs[] = "\t\t\t\t\t\t\t\t";
    writer.write(kTabs, size_t(std::min<int>(levels, int(sizeof(kTabs) - 1))));
}

void WriteEscapedAttribute(pugi::xml_writer& writer, const char* value)
{
    for (const char* run = value; *value; run = value) {
        while (*value && *value != '&' && *value != '<' && *value != '>' && *value != '"'
            && static_cast<unsigned char>(*value) >= 0x20)
            ++value;
        writer.write(run, size_t(value - run));
        if (!*value)
            break;
        char reference[8];
        switch (*value) {
        case '&':
            writer.write("&amp;", 5);
            break;
        case '<':
            writer.write("&lt;", 4);
            break;
        case '>':
            writer.write("&gt;", 4);
            break;
        case '"':
            writer.write("&quot;", 6);
            break;
        default:
            writer.write(reference,
                size_t(
                    std::snprintf(reference, sizeof reference, "&#%d;", static_cast<unsigned char>(*value))));
        }
        ++value;
    }
}

// Writes a node at the level (the root element is level 1) with one tab of indentation per
// level down to the deepest level the records of the files have; what lies deeper is written on
// the line of the element that holds it, as it is, so that elements a file nests beyond its
// records (kept as they are) never grow the file with the square of their depth.
void WriteBoundedNode(pugi::xml_writer& writer, pugi::xml_node node, int level)
{
    bool elementsOnly = node.type() == pugi::node_element && node.first_child() && !*node.value();
    bool hasElements = false;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        elementsOnly = elementsOnly && child.type() == pugi::node_element;
        hasElements = hasElements || child.type() == pugi::node_element;
    }
    if (!hasElements) {
        node.print(writer, kIndent, kSaveFormat, pugi::encoding_utf8, unsigned(level - 1));
        return;
    }
    WriteIndent(writer, level - 1);
    if (!elementsOnly || level >= CXmlData::kIndentedLevels) {
        node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
        writer.write("\n", 1);
        return;
    }
    const char* name = node.name();
    writer.write("<", 1);
    writer.write(name, std::strlen(name));
    for (pugi::xml_attribute attribute = node.first_attribute(); attribute;
         attribute = attribute.next_attribute()) {
        writer.write(" ", 1);
        writer.write(attribute.name(), std::strlen(attribute.name()));
        writer.write("=\"", 2);
        WriteEscapedAttribute(writer, attribute.value());
        writer.write("\"", 1);
    }
    writer.write(">\n", 2);
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        WriteBoundedNode(writer, child, level + 1);
    WriteIndent(writer, level - 1);
    writer.write("</", 2);
    writer.write(name, std::strlen(name));
    writer.write(">\n", 2);
}

// Replaces the element's text by the value, as the DOM's text property does: its text and its
// child elements go and one text holds the value. Comments and processing instructions in it
// stay, as everywhere in an in-place rewrite. A text the element holds itself (as loaded) is
// replaced there; otherwise the first text node is, or one is added.
void PutText(pugi::xml_node element, const char* value)
{
    const bool embedded = *element.value() != '\0';
    pugi::xml_node first = element.first_child();
    if (!first) {
        if (embedded || *value)
            element.text().set(value);
        return;
    }
    if (!embedded && first.type() == pugi::node_pcdata && !first.next_sibling()) {
        if (*value)
            first.set_value(value);
        else
            element.remove_child(first);
        return;
    }
    pugi::xml_node text;
    for (pugi::xml_node child = first, next; child; child = next) {
        next = child.next_sibling();
        if (child.type() == pugi::node_comment || child.type() == pugi::node_pi)
            continue;
        if (!embedded && !text && child.type() == pugi::node_pcdata)
            text = child;
        else
            element.remove_child(child);
    }
    if (embedded) {
        element.text().set(value);
    } else if (!*value) {
        if (text)
            element.remove_child(text);
    } else if (text) {
        text.set_value(value);
    } else {
        element.append_child(pugi::node_pcdata).set_value(value);
    }
}

// Numbers are written often (every field of every item on each save): formatted without
// going through a QString.
void PutInt(pugi::xml_node element, int32_t value)
{
    char buffer[16];
    const auto end = std::to_chars(buffer, buffer + sizeof(buffer) - 1, value).ptr;
    *end = '\0';
    PutText(element, buffer);
}

// Text of the document, which is UTF-8: a U+FEFF at its start is a character of the text, not a
// byte order mark, which QString::fromUtf8 would drop.
QString FromUtf8Text(const char* utf8)
{
    QString text;
    while (std::strncmp(utf8, "\xEF\xBB\xBF", 3) == 0) {
        text.append(QChar(0xFEFF));
        utf8 += 3;
    }
    return text.isEmpty() ? QString::fromUtf8(utf8) : text + QString::fromUtf8(utf8);
}

void AppendTextOf(pugi::xml_node node, QByteArray& text)
{
    if (node.type() == pugi::node_element)
        text.append(node.value());
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            text.append(child.value());
        else if (child.type() == pugi::node_element)
            AppendTextOf(child, text);
    }
}

// Parses the text (taking its buffer over) into a document of its own, so that a failure leaves
// the current one usable; no document when the text is missing, not well formed or nested too
// deep. A parse that runs out of memory is refused like any unreadable file.
CXmlData::ParsedDocument ParseDocumentText(std::unique_ptr<ParserBuffer> text)
{
    CXmlData::ParsedDocument parsed;
    try {
        if (!text || text->size == 0)
            return parsed;
        auto document = std::make_shared<pugi::xml_document>();
        const size_t size = text->size;
        // The document takes the buffer over and parses it in place.
        if (!document->load_buffer_inplace_own(text->Release(), size, kParseOptions, pugi::encoding_utf8)
            || !IsWellFormedDocument(*document))
            return parsed;
        const int deepest = DeepestLevel(*document, CXmlData::kMaxDepth);
        if (deepest > CXmlData::kMaxDepth)
            return parsed;
        parsed.document = std::move(document);
        parsed.deepest = deepest;
    } catch (const std::bad_alloc&) {
        parsed = {};
    }
    return parsed;
}

// Gathers pugixml's output in a byte array.
class CByteArrayWriter : public pugi::xml_writer {
public:
    explicit CByteArrayWriter(QByteArray& out)
        : m_out(out)
    {
    }
    void write(const void* data, size_t size) override
    {
        m_out.append(static_cast<const char*>(data), qsizetype(size));
    }

private:
    QByteArray& m_out;
};

} // namespace

CXmlData::CXmlData()
{
    CreateDocument();
}

int32_t CXmlData::CreateDocument()
{
    m_root = pugi::xml_node();
    m_deepestLevel = 0;
    m_document = std::make_shared<pugi::xml_document>();
    m_result = S_OK;
    return m_result;
}

void CXmlData::SetErrorText(const QString& text)
{
    m_errorText = text.left(kMaxErrorTextLength);
}

bool CXmlData::CreateXmlData(const QString& path, const QString& rootName)
{
    if (path.isEmpty() || path.size() > kMaxPathLength) {
        SetErrorText(QStringLiteral("CreateXmlData引数エラー"));
        return false;
    }
    if (QFileInfo::exists(path)) {
        SetErrorText(QStringLiteral("CreateXmlDataファイルが既に存在しています"));
        return true;
    }
    const QByteArray name = rootName.toUtf8();
    if (!IsXmlName(name.constData())) {
        SetErrorText(QStringLiteral("CreateXmlDataルートノード作成エラー"));
        return false;
    }
    const QByteArray bytes = QByteArray(kDeclaration) + '<' + name + " />\n";
    if (!platform::WriteFileAtomically(path, bytes)) {
        SetErrorText(QStringLiteral("CreateXmlData saveエラー"));
        return false;
    }
    return true;
}

bool CXmlData::LoadXmlData(const QString& path)
{
    m_path.clear();
    if (path.isEmpty() || path.size() > kMaxPathLength) {
        SetErrorText(QStringLiteral("LoadXmlData 引数エラー"));
        return false;
    }
    if (!QFileInfo::exists(path)) {
        SetErrorText(QStringLiteral("LoadXmlData ファイルが存在しません"));
        return false;
    }
    // The text, the tree and the checks of the load within its memory bound. The document held
    // before goes after the bound ends: its pages were never counted against it.
    ParsedDocument parsed;
    qint64 left = 0;
    {
        CLoadBudget budget;
        std::unique_ptr<ParserBuffer> text;
        try {
            text = ReadDocumentText(path, budget);
        } catch (const std::bad_alloc&) {
            text.reset();
        }
        parsed = ParseDocumentText(std::move(text));
        left = budget.Left();
    }
    if (!AdoptDocument(path, parsed))
        return false;
    m_loadBytesLeft = left;
    return true;
}

bool CXmlData::LoadXmlText(const QString& path, std::string_view text)
{
    m_path.clear();
    if (path.isEmpty() || path.size() > kMaxPathLength) {
        SetErrorText(QStringLiteral("LoadXmlData 引数エラー"));
        return false;
    }
    std::unique_ptr<ParserBuffer> buffer;
    try {
        if (IsReadableUtf8(text)) {
            buffer = std::make_unique<ParserBuffer>(text.size());
            if (buffer->data)
                std::memcpy(buffer->data, text.data(), text.size());
            else
                buffer.reset();
        }
    } catch (const std::bad_alloc&) {
        buffer.reset();
    }
    return AdoptDocument(path, ParseDocumentText(std::move(buffer)));
}

bool CXmlData::AdoptDocument(const QString& path, const ParsedDocument& parsed)
{
    m_result = parsed.document ? S_OK : E_FAIL;
    if (!parsed.document) {
        SetErrorText(QStringLiteral("LoadXmlData loadエラー"));
        return false;
    }
    pugi::xml_node root = parsed.document->document_element();
    if (!root) {
        SetErrorText(QStringLiteral("LoadXmlData ルートノード読込みエラー"));
        return false;
    }
    m_document = parsed.document;
    m_root = root;
    m_deepestLevel = parsed.deepest;
    m_path = path;
    return true;
}

bool CXmlData::SaveXmlText(const QString& path, QByteArrayView text)
{
    if (path.isEmpty() || path.size() > kMaxPathLength) {
        SetErrorText(QStringLiteral("SaveXmlData 引数エラー"));
        return false;
    }
    const bool saved = platform::WriteFileAtomically(
        path, [text](QIODevice& device) { return device.write(text.data(), text.size()) == text.size(); });
    m_result = saved ? S_OK : E_FAIL;
    if (!saved) {
        SetErrorText(QStringLiteral("SaveXmlData saveエラー"));
        return false;
    }
    return true;
}

bool CXmlData::SaveXmlData(const QString& path)
{
    if (path.isEmpty() || path.size() > kMaxPathLength) {
        SetErrorText(QStringLiteral("SaveXmlData 引数エラー"));
        return false;
    }
    pugi::xml_document& document = *m_document;
    // A document without its one root element (nothing loaded) would replace the file by one
    // that cannot be read back.
    if (!HasOneRoot(document)) {
        m_result = E_FAIL;
        SetErrorText(QStringLiteral("SaveXmlData saveエラー"));
        return false;
    }
    DeclareUtf8(document);
    const int deepest = m_deepestLevel;
    const bool saved = platform::WriteFileAtomically(path, [&document, deepest](QIODevice& device) {
        CDeviceWriter writer(device);
        if (!HasDeclaration(document))
            writer.write(kDeclaration, sizeof(kDeclaration) - 1);
        if (deepest <= kIndentedLevels) {
            document.save(writer, kIndent, kSaveFormat | pugi::format_no_declaration, pugi::encoding_utf8);
        } else {
            for (pugi::xml_node child = document.first_child(); child; child = child.next_sibling())
                WriteBoundedNode(writer, child, 1);
        }
        return writer.Flush();
    });
    m_result = saved ? S_OK : E_FAIL;
    if (!saved) {
        SetErrorText(QStringLiteral("SaveXmlData saveエラー"));
        return false;
    }
    return true;
}

pugi::xml_node CXmlData::Select(pugi::xml_node element, const char* path) const
{
    if (!path || !*path)
        return pugi::xml_node();
    if (IsPlainPath(path)) {
        pugi::xml_node node = element;
        const char* step = path;
        std::string name;
        while (node && *step) {
            const char* end = step;
            while (*end && *end != '/')
                ++end;
            if (*end) {
                name.assign(step, end);
                node = node.child(name.c_str());
                step = end + 1;
            } else {
                node = node.child(step);
                step = end;
            }
        }
        return node;
    }
    try {
        return element.select_node(path).node();
    } catch (const pugi::xpath_exception&) {
        return pugi::xml_node();
    }
}

bool CXmlData::CheckElement(pugi::xml_node element, const char* operation)
{
    if (!element) {
        SetErrorText(QString::fromLatin1(operation) + QStringLiteral(" 引数エラー"));
        return false;
    }
    if (!IsLoaded()) {
        SetErrorText(QString::fromLatin1(operation) + QStringLiteral(" 未読込みエラー"));
        return false;
    }
    return true;
}

pugi::xml_node CXmlData::FindNode(pugi::xml_node element, const char* path, const char* operation)
{
    if (!CheckElement(element, operation))
        return pugi::xml_node();
    pugi::xml_node node = Select(element, path);
    if (!node)
        SetErrorText(QString::fromLatin1(operation) + QStringLiteral(" selectSingleNodeエラー"));
    return node;
}

bool CXmlData::CheckWritable(pugi::xml_node node, bool textFits, const char* operation)
{
    if (node.type() != pugi::node_element || !textFits) {
        SetErrorText(QString::fromLatin1(operation) + QStringLiteral(" put_textエラー"));
        return false;
    }
    return true;
}

bool CXmlData::GetNodeText(pugi::xml_node element, const char* path, QString& text)
{
    pugi::xml_node node = FindNode(element, path, "GetNodeText");
    if (!node)
        return false;
    text = ThisNodeText(node);
    return true;
}

bool CXmlData::GetNodeInt(pugi::xml_node element, const char* path, int32_t& value)
{
    pugi::xml_node node = FindNode(element, path, "GetNodeText");
    if (!node)
        return false;
    value = ThisNodeInt(node);
    return true;
}

bool CXmlData::SetNodeText(pugi::xml_node element, const char* path, const QString& text)
{
    pugi::xml_node node = FindNode(element, path, "SetNodeText");
    if (!node || !CheckWritable(node, IsXmlText(text), "SetNodeText"))
        return false;
    PutText(node, text.toUtf8().constData());
    return true;
}

bool CXmlData::SetNodeInt(pugi::xml_node element, const char* path, int32_t value)
{
    pugi::xml_node node = FindNode(element, path, "SetNodeText");
    if (!node || !CheckWritable(node, true, "SetNodeText"))
        return false;
    PutInt(node, value);
    return true;
}

bool CXmlData::SetThisNodeText(pugi::xml_node element, const QString& text)
{
    if (!CheckElement(element, "SetThisNodeText")
        || !CheckWritable(element, IsXmlText(text), "SetThisNodeText"))
        return false;
    PutText(element, text.toUtf8().constData());
    return true;
}

bool CXmlData::SetThisNodeInt(pugi::xml_node element, int32_t value)
{
    if (!CheckElement(element, "SetThisNodeText") || !CheckWritable(element, true, "SetThisNodeText"))
        return false;
    PutInt(element, value);
    return true;
}

pugi::xml_node CXmlData::AddNode(pugi::xml_node parent, const char* name)
{
    if (!parent) {
        SetErrorText(QStringLiteral("AddNode 引数エラー"));
        return pugi::xml_node();
    }
    pugi::xml_node element;
    if (IsXmlName(name))
        element = parent.append_child(name);
    if (!element) {
        SetErrorText(QStringLiteral("AddNode createElementエラー"));
        return element;
    }
    int level = 0;
    for (pugi::xml_node ancestor = element; ancestor.type() == pugi::node_element;
         ancestor = ancestor.parent())
        ++level;
    m_deepestLevel = std::max(m_deepestLevel, level);
    return element;
}

bool CXmlData::AddTextNode(pugi::xml_node parent, const char* name, const QString& text)
{
    pugi::xml_node element = AddNode(parent, name);
    return element && SetThisNodeText(element, text);
}

bool CXmlData::AddIntNode(pugi::xml_node parent, const char* name, int32_t value)
{
    pugi::xml_node element = AddNode(parent, name);
    return element && SetThisNodeInt(element, value);
}

bool CXmlData::IsXmlText(const QString& text)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x20) {
            if (c != u'\t' && c != u'\n')
                return false;
        } else if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= size || !text.at(i + 1).isLowSurrogate())
                return false;
            ++i;
        } else if ((c >= 0xDC00 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF) {
            return false;
        }
    }
    return true;
}

QString CXmlData::ThisNodeText(pugi::xml_node element)
{
    const char* embedded = element.type() == pugi::node_element ? element.value() : "";
    pugi::xml_node first = element.first_child();
    if (!first)
        return *embedded ? FromUtf8Text(embedded) : QString();
    if (!*embedded && (first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata)
        && !first.next_sibling())
        return FromUtf8Text(first.value());
    QByteArray text;
    AppendTextOf(element, text);
    return FromUtf8Text(text.constData());
}

int32_t CXmlData::ThisNodeInt(pugi::xml_node element)
{
    // Numbers are read for every field of every item on load: the first text is taken
    // directly; only a number in nested elements needs the whole text gathered.
    const char* text = element.child_value();
    return *text ? platform::AToI(text) : platform::WToI(ThisNodeText(element));
}

bool CXmlData::ReadFileText(const QString& path, QByteArray& text, qint64& fileBytes, bool checkText)
{
    if (path.isEmpty() || path.size() > kMaxPathLength)
        return false;
    QFile file;
    if (!platform::OpenRegularFile(file, path))
        return false;
    fileBytes = file.size();
    if (fileBytes <= 0 || fileBytes > kMaxFileBytes)
        return false;
    QByteArray bytes(qsizetype(fileBytes), Qt::Uninitialized);
    if (file.read(bytes.data(), fileBytes) != fileBytes)
        return false;
    std::optional<QByteArray> converted;
    if (!ReadableText(std::string_view(bytes.constData(), size_t(bytes.size())), converted, checkText))
        return false;
    text = converted ? std::move(*converted) : std::move(bytes);
    return true;
}

CXmlData::ParsedDocument CXmlData::ParseNodes(std::string_view text, qint64 maxBytes, int maxLevels)
{
    if (text.empty() || !IsReadableUtf8(text))
        return {};
    CLoadBudget budget;
    budget.LimitToBytes(maxBytes);
    try {
        auto document = std::make_shared<pugi::xml_document>();
        if (!document->load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8))
            return {};
        for (pugi::xml_node child = document->first_child(); child; child = child.next_sibling()) {
            const pugi::xml_node_type type = child.type();
            if (type != pugi::node_element && type != pugi::node_comment && type != pugi::node_pi)
                return {};
        }
        const int deepest = DeepestLevel(*document, maxLevels);
        if (deepest > maxLevels)
            return {};
        return { std::move(document), deepest };
    } catch (const std::bad_alloc&) {
        return {};
    }
}

void CXmlData::AppendNode(QByteArray& out, pugi::xml_node node, int level)
{
    CByteArrayWriter writer(out);
    node.print(writer, kIndent, kSaveFormat, pugi::encoding_utf8, unsigned(level - 1));
}

std::optional<QByteArray> CXmlData::SavedDeclaration(std::string_view declaration)
{
    pugi::xml_document document;
    if (!IsReadableUtf8(declaration)
        || !document.load_buffer(declaration.data(), declaration.size(), kParseOptions, pugi::encoding_utf8)
        || !HasDeclaration(document) || document.first_child().next_sibling())
        return std::nullopt;
    DeclareUtf8(document);
    QByteArray out;
    CByteArrayWriter writer(out);
    document.save(writer, kIndent, kSaveFormat | pugi::format_no_declaration, pugi::encoding_utf8);
    return out;
}
