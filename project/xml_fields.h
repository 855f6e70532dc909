#pragma once

#include "core/xml_data.h"

#include <QString>
#include <cstdint>

// Reading and writing the child elements of one entry element (a face or an item) through the
// wrapper. Every read takes the first child of the name; every write goes through the
// wrapper's checks.
namespace xml_fields {

// Leaves the value as it was when there is no such child.
void ReadInt(pugi::xml_node parent, const char* name, int32_t& value);
// False when the text is longer than an entry's field (it is never cut); a missing child
// leaves the text as it was.
bool ReadText(pugi::xml_node parent, const char* name, QString& text);
// A file name the loaders follow (a channel's or a face's file): like ReadText, without the XML
// blanks (space, tab, line ends) that a hand-edited or pretty-printed file puts around it.
bool ReadFileName(pugi::xml_node parent, const char* name, QString& text);
// Reads the "X" and "Y" children in order into the arrays, at most `capacity` of each.
void ReadPoints(pugi::xml_node parent, int32_t* xs, int32_t* ys, int capacity);

// Write into an existing child; false when it is missing.
bool Required(CXmlData& xml, pugi::xml_node parent, const char* name, int32_t value);
bool Required(CXmlData& xml, pugi::xml_node parent, const char* name, const QString& text);
// Write into the child, appending it at the end of the parent when it is missing.
bool Added(CXmlData& xml, pugi::xml_node parent, const char* name, int32_t value);
bool Added(CXmlData& xml, pugi::xml_node parent, const char* name, const QString& text);
// The container child, appended when it is missing; null when it cannot be added.
pugi::xml_node Container(CXmlData& xml, pugi::xml_node parent, const char* name);

// Appends `count` pairs "X", "Y" with the values to the parent (before `before` when given).
bool AddPoints(CXmlData& xml,
    pugi::xml_node parent,
    const int32_t* xs,
    const int32_t* ys,
    int count,
    pugi::xml_node before = pugi::xml_node());
// Makes the parent hold exactly `count` "X"/"Y" pairs with the values: existing elements are
// rewritten in place when their numbers match, otherwise they are replaced by new pairs in the
// place of the old ones (before `before`, or at the end, when there were none).
bool RewritePoints(CXmlData& xml,
    pugi::xml_node parent,
    const int32_t* xs,
    const int32_t* ys,
    int count,
    pugi::xml_node before = pugi::xml_node());

// The first child of each of the names (null where there is none), found in one pass over the
// children: entries have a score of children, so looking each name up on its own would cost a
// pass per name.
void FirstChildren(pugi::xml_node parent, const char* const* names, int count, pugi::xml_node* out);

// Write into the given child (found before), appending it at the end of the parent when null.
bool Added(CXmlData& xml, pugi::xml_node parent, pugi::xml_node child, const char* name, int32_t value);
bool Added(CXmlData& xml, pugi::xml_node parent, pugi::xml_node child, const char* name, const QString& text);

// Whether an element's name is the given one; inline, as loads compare names for every element.
inline bool IsName(const char* name, const char* expected)
{
    while (*name && *name == *expected) {
        ++name;
        ++expected;
    }
    return *name == *expected;
}

// The number of children with the name.
int CountChildren(pugi::xml_node parent, const char* name);

} // namespace xml_fields
