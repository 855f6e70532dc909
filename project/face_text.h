#pragma once

#include "project/xml_records.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

// A face file read and written as text: the declaration, the "Face" root and its content, where
// each "Item" entry laid out as the face file store writes it (every known child in the order of
// the file layout, numbers in their plain decimal form) is read straight from the text. The
// whitespace between the tags may be any (line ends CRLF or CR, other indentation or none): the
// DOM drops it and writes every element on a line of its own, indented by tabs. An entry laid out
// exactly as the store writes it reads back byte for byte as the DOM would write it, so a save
// keeps its bytes while it is untouched; an entry in the layout with other whitespace is written
// anew in the store's layout, as the DOM writes it.
//
// The rest of the root's content (an entry in another form: with comments, unknown elements,
// references, attributes...; comments, processing instructions and unknown elements between the
// entries) is cut into its nodes by their tags and parsed one entry, or one run of other nodes,
// at a time: a load holds the text, the entries and the tree of one such part, never the tree of
// the whole file. A save writes each part as the DOM writes it. What this reader is not sure of
// (a document type, text or CDATA beside the entries, attributes on the root, content nested
// deeper than the save indents) is not taken here and goes through the DOM.
namespace face_text {

// How a part of the root's content is held and written back.
enum class Form : uint8_t {
    // An entry exactly in the store's layout: its bytes are what the save writes for it.
    Verbatim,
    // An entry in the store's layout with other whitespace: written anew in that layout.
    Layout,
    // An entry in another form: parsed again, rewritten in place when changed, and written as the
    // DOM writes it.
    Parsed,
    // Comments, processing instructions and elements other than entries: written as the DOM
    // writes them.
    Nodes,
};

// The bytes of one part of the root's content in the text (for an entry in the layout, its line
// with the opening tag to the line end after its closing tag), how it is held, and for an entry
// the key its "Start" holds (`keyed`: whether it has a "Start" at all).
struct ItemSpan {
    int32_t key = 0;
    Form form = Form::Verbatim;
    bool keyed = true;
    qsizetype begin = 0;
    qsizetype end = 0;
};

// A face file's text in UTF-8, the parts of its root's content in document order, and its XML
// declaration as a save writes it.
struct FaceText {
    QByteArray text;
    std::vector<ItemSpan> items;
    QByteArray declaration;
};

// Reads the text when this reader is sure of its form: the declaration's text (empty without
// one) into `declaration`, the parts' spans into `items`, and the content in document order to the
// reader: `reader.Take(entry)` for each entry in the store's layout, `reader.Entry(bytes, entry,
// keyed)` to read an entry in another form, `reader.Nodes(bytes)` to check a run of other nodes.
// False when the text has any other form, or the reader refuses a part; nothing is then to be
// used.
template <typename Reader>
bool Read(
    const QByteArray& text, std::vector<ItemSpan>& items, std::string_view& declaration, Reader& reader);

// Appends the entry's element as the store writes a new "Item", its "Start" holding `start`.
void AppendItem(QByteArray& out, const ItemXmlRecord& entry, int32_t start);

// The text before the entries, between and after them, and of a root without entries.
inline constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
inline constexpr std::string_view kOpenRoot = "<Face>\n";
inline constexpr std::string_view kCloseRoot = "</Face>\n";
inline constexpr std::string_view kEmptyRoot = "<Face />\n";

// Reads the "Item" entry that starts at `at` and moves `at` past it; `verbatim` tells whether its
// bytes are exactly the store's layout. False when the text there has any other form or a text
// does not fit its field.
bool ReadItem(const char*& at, const char* end, ItemXmlRecord& entry, bool& verbatim);

// Whitespace as XML has it, which the DOM drops between tags.
constexpr bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

constexpr std::string_view TrimmedFront(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    return text;
}

constexpr std::string_view TrimmedBack(std::string_view text)
{
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// The end of the node of an element's content that starts at `at` (a '<'): a comment, a
// processing instruction or an element, found by its tags; `entry` tells whether it is an "Item"
// element. Null when the text there is anything else or this reader is not sure of it.
const char* NodeEnd(const char* at, const char* end, bool& entry);

template <typename Reader>
bool Read(const QByteArray& text, std::vector<ItemSpan>& items, std::string_view& declaration, Reader& reader)
{
    const char* const begin = text.constData();
    const std::string_view all(begin, size_t(text.size()));
    const std::string_view openRoot = kOpenRoot.substr(0, kOpenRoot.size() - 1);
    const std::string_view closeRoot = kCloseRoot.substr(0, kCloseRoot.size() - 1);
    // The declaration, if any, at the very start; the DOM writes its own form of it.
    std::string_view rest = all;
    // One byte order mark at the start is read past, as the DOM reads past it; the save writes none.
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    declaration = {};
    if (rest.starts_with("<?xml") && rest.size() > 5 && IsSpace(rest[5])) {
        const size_t close = rest.find("?>");
        if (close == std::string_view::npos)
            return false;
        declaration = rest.substr(0, close + 2);
        rest = TrimmedFront(rest.substr(close + 2));
    }
    // The root with the whitespace after it dropped, as the DOM drops it.
    const std::string_view body = TrimmedBack(rest);
    if (body == kEmptyRoot.substr(0, kEmptyRoot.size() - 1))
        return true;
    if (!body.starts_with(openRoot) || !body.ends_with(closeRoot))
        return false;
    const char* at = body.data() + openRoot.size();
    // The line end of the root's opening tag belongs to no entry.
    if (*at == '\n')
        ++at;
    const char* const last = body.data() + body.size() - closeRoot.size();
    // A root with no content is written as an empty element.
    if (TrimmedFront(std::string_view(at, size_t(last - at))).empty())
        return false;
    // A run of other nodes is checked as a whole once it ends.
    const auto endRun = [&] {
        if (items.empty() || items.back().form != Form::Nodes)
            return true;
        const ItemSpan& run = items.back();
        return reader.Nodes(std::string_view(begin + run.begin, size_t(run.end - run.begin)));
    };
    while (!TrimmedFront(std::string_view(at, size_t(last - at))).empty()) {
        const char* const itemBegin = at;
        ItemXmlRecord entry;
        bool verbatim = true;
        if (ReadItem(at, last, entry, verbatim)) {
            if (!endRun())
                return false;
            items.push_back({ entry.Start, verbatim ? Form::Verbatim : Form::Layout, true, itemBegin - begin,
                at - begin });
            if (!reader.Take(std::move(entry)))
                return false;
            continue;
        }
        const char* const nodeBegin = TrimmedFront(std::string_view(at, size_t(last - at))).data();
        bool isEntry = false;
        const char* const nodeEnd = NodeEnd(nodeBegin, last, isEntry);
        if (!nodeEnd)
            return false;
        // The line end after a node belongs to it, as after an entry.
        at = nodeEnd < last && *nodeEnd == '\n' ? nodeEnd + 1 : nodeEnd;
        if (!isEntry) {
            if (!items.empty() && items.back().form == Form::Nodes)
                items.back().end = nodeEnd - begin;
            else
                items.push_back({ 0, Form::Nodes, false, nodeBegin - begin, nodeEnd - begin });
            continue;
        }
        if (!endRun())
            return false;
        entry = ItemXmlRecord();
        bool keyed = false;
        if (!reader.Entry(std::string_view(nodeBegin, size_t(nodeEnd - nodeBegin)), entry, keyed))
            return false;
        items.push_back({ entry.Start, Form::Parsed, keyed, nodeBegin - begin, nodeEnd - begin });
        if (!reader.Take(std::move(entry)))
            return false;
    }
    return endRun();
}

} // namespace face_text
