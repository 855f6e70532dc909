#pragma once

#include "project/xml_records.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

// A face file read and written as text, for the files laid out as the face file store writes
// them: the declaration, the "Face" root and its "Item" entries with every known child in the
// order of the file layout, numbers in their plain decimal form. The whitespace between the tags
// may be any (line ends CRLF or CR, other indentation or none): the DOM drops it and writes every
// element on a line of its own, indented by tabs. An entry laid out exactly as the store writes it
// reads back byte for byte as the DOM would write it, so a save keeps its bytes while it is
// untouched; any other entry is written anew in the store's layout, as the DOM writes it. Any
// other file (comments, references other than &amp; &lt; &gt;, attributes, unknown elements, a
// carriage return inside a text, mask points that the store would write otherwise in an entry
// that is not in its layout) is not taken here and goes through the DOM.
namespace face_text {

// The bytes of one "Item" entry in the text (its line with the opening tag to the line end after
// its closing tag), the key its "Start" holds and whether the bytes are exactly what the store
// writes for the entry (only then are they written back as they are).
struct ItemSpan {
    int32_t key = 0;
    bool verbatim = true;
    qsizetype begin = 0;
    qsizetype end = 0;
};

// A face file's text and its entries, in document order.
struct FaceText {
    QByteArray text;
    std::vector<ItemSpan> items;
};

// Reads the file's bytes when it is a regular file of at most CXmlData::kMaxFileBytes; false
// otherwise (the DOM load then refuses it with its own error).
bool ReadFile(const QString& path, QByteArray& bytes);

// Reads the text when it has the store's own layout: the entries' spans into `items` and
// each entry, in document order, to `take`. False when the text has any other form, or an entry's
// text does not fit its field; nothing is then to be used.
template <typename Take> bool Read(const QByteArray& text, std::vector<ItemSpan>& items, Take take);

// Appends the entry's element as the store writes a new "Item", its "Start" holding `start`.
void AppendItem(QByteArray& out, const ItemXmlRecord& entry, int32_t start);

// The text before the entries, between and after them, and of a root without entries.
inline constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
inline constexpr std::string_view kSingleQuotedDeclaration = "<?xml version='1.0' encoding='UTF-8'?>";
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

template <typename Take> bool Read(const QByteArray& text, std::vector<ItemSpan>& items, Take take)
{
    const char* const begin = text.constData();
    const std::string_view all(begin, size_t(text.size()));
    // The declaration in either quotes: the DOM writes it in double quotes.
    const std::string_view declaration = kDeclaration.substr(0, kDeclaration.size() - 1);
    static_assert(kSingleQuotedDeclaration.size() == kDeclaration.size() - 1);
    const std::string_view openRoot = kOpenRoot.substr(0, kOpenRoot.size() - 1);
    const std::string_view closeRoot = kCloseRoot.substr(0, kCloseRoot.size() - 1);
    if (!all.starts_with(declaration) && !all.starts_with(kSingleQuotedDeclaration))
        return false;
    // The root with the whitespace around it dropped, as the DOM drops it.
    const std::string_view body = TrimmedBack(TrimmedFront(all.substr(declaration.size())));
    if (body == kEmptyRoot.substr(0, kEmptyRoot.size() - 1))
        return true;
    if (!body.starts_with(openRoot) || !body.ends_with(closeRoot))
        return false;
    const char* at = body.data() + openRoot.size();
    // The line end of the root's opening tag belongs to no entry.
    if (*at == '\n')
        ++at;
    const char* const last = body.data() + body.size() - closeRoot.size();
    // A root with no entries is written as an empty element.
    if (TrimmedFront(std::string_view(at, size_t(last - at))).empty())
        return false;
    while (!TrimmedFront(std::string_view(at, size_t(last - at))).empty()) {
        const char* const itemBegin = at;
        ItemXmlRecord entry;
        bool verbatim = true;
        if (!ReadItem(at, last, entry, verbatim))
            return false;
        items.push_back({ entry.Start, verbatim, itemBegin - begin, at - begin });
        if (!take(std::move(entry)))
            return false;
    }
    return true;
}

} // namespace face_text
