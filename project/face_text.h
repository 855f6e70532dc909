#pragma once

#include "project/xml_records.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

// A face file read and written as text, for the files laid out exactly as the face file store
// writes them: the declaration, the "Face" root and its "Item" entries with every known child in
// the order of the file layout, one element per line, numbers in their plain decimal form. Such a
// file reads back byte for byte as the DOM would write it, so a save can keep each untouched
// entry's bytes and write only the changed and new entries. Any other file (comments, references
// other than &amp; &lt; &gt;, attributes, unknown elements, another layout) is not taken here and
// goes through the DOM.
namespace face_text {

// The bytes of one "Item" entry in the text (its line with the opening tag to the line end after
// its closing tag) and the key its "Start" holds.
struct ItemSpan {
    int32_t key = 0;
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
inline constexpr std::string_view kOpenRoot = "<Face>\n";
inline constexpr std::string_view kCloseRoot = "</Face>\n";
inline constexpr std::string_view kEmptyRoot = "<Face />\n";

// Reads the "Item" entry that starts at `at`, in the store's layout, and moves `at` past it;
// false when the text there has any other form or a text does not fit its field.
bool ReadItem(const char*& at, const char* end, ItemXmlRecord& entry);

template <typename Take> bool Read(const QByteArray& text, std::vector<ItemSpan>& items, Take take)
{
    const char* const begin = text.constData();
    const char* const end = begin + text.size();
    const std::string_view all(begin, size_t(text.size()));
    if (!all.starts_with(kDeclaration))
        return false;
    const std::string_view body = all.substr(kDeclaration.size());
    if (body == kEmptyRoot)
        return true;
    if (!body.starts_with(kOpenRoot) || !body.ends_with(kCloseRoot))
        return false;
    const char* at = begin + kDeclaration.size() + kOpenRoot.size();
    const char* const last = end - kCloseRoot.size();
    // A root with no entries is written as an empty element.
    if (at >= last)
        return false;
    while (at < last) {
        const char* const itemBegin = at;
        ItemXmlRecord entry;
        if (!ReadItem(at, last, entry))
            return false;
        items.push_back({ entry.Start, itemBegin - begin, at - begin });
        if (!take(std::move(entry)))
            return false;
    }
    return true;
}

} // namespace face_text
