#include "project/xml_fields.h"

#include "project/xml_records.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace xml_fields {

void ReadInt(pugi::xml_node parent, const char* name, int32_t& value)
{
    if (pugi::xml_node child = parent.child(name))
        value = CXmlData::ThisNodeInt(child);
}

bool ReadText(pugi::xml_node parent, const char* name, QString& text)
{
    pugi::xml_node child = parent.child(name);
    if (!child)
        return true;
    QString value = CXmlData::ThisNodeText(child);
    if (!FitsEntry(value))
        return false;
    text = std::move(value);
    return true;
}

bool ReadFileName(pugi::xml_node parent, const char* name, QString& text)
{
    if (!ReadText(parent, name, text))
        return false;
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    text = text.mid(first, last - first);
    return true;
}

void ReadPoints(pugi::xml_node parent, int32_t* xs, int32_t* ys, int capacity)
{
    int x = 0;
    int y = 0;
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        const char* name = child.name();
        if (name[0] == 'X' && name[1] == '\0' && x < capacity)
            xs[x++] = CXmlData::ThisNodeInt(child);
        else if (name[0] == 'Y' && name[1] == '\0' && y < capacity)
            ys[y++] = CXmlData::ThisNodeInt(child);
    }
}

bool Required(CXmlData& xml, pugi::xml_node parent, const char* name, int32_t value)
{
    pugi::xml_node child = parent.child(name);
    return child && xml.SetThisNodeInt(child, value);
}

bool Required(CXmlData& xml, pugi::xml_node parent, const char* name, const QString& text)
{
    pugi::xml_node child = parent.child(name);
    return child && xml.SetThisNodeText(child, text);
}

bool Added(CXmlData& xml, pugi::xml_node parent, const char* name, int32_t value)
{
    pugi::xml_node child = parent.child(name);
    return child ? xml.SetThisNodeInt(child, value) : xml.AddIntNode(parent, name, value);
}

bool Added(CXmlData& xml, pugi::xml_node parent, const char* name, const QString& text)
{
    pugi::xml_node child = parent.child(name);
    return child ? xml.SetThisNodeText(child, text) : xml.AddTextNode(parent, name, text);
}

pugi::xml_node Container(CXmlData& xml, pugi::xml_node parent, const char* name)
{
    pugi::xml_node child = parent.child(name);
    return child ? child : xml.AddNode(parent, name);
}

static pugi::xml_node InsertInt(
    CXmlData& xml, pugi::xml_node parent, const char* name, int32_t value, pugi::xml_node before)
{
    if (!before)
        return xml.AddIntNode(parent, name, value) ? parent.last_child() : pugi::xml_node();
    pugi::xml_node child = parent.insert_child_before(name, before);
    return child && xml.SetThisNodeInt(child, value) ? child : pugi::xml_node();
}

bool AddPoints(CXmlData& xml,
    pugi::xml_node parent,
    const int32_t* xs,
    const int32_t* ys,
    int count,
    pugi::xml_node before)
{
    for (int i = 0; i < count; ++i) {
        if (!InsertInt(xml, parent, "X", xs[i], before) || !InsertInt(xml, parent, "Y", ys[i], before))
            return false;
    }
    return true;
}

bool RewritePoints(CXmlData& xml,
    pugi::xml_node parent,
    const int32_t* xs,
    const int32_t* ys,
    int count,
    pugi::xml_node before)
{
    if (CountChildren(parent, "X") == count && CountChildren(parent, "Y") == count) {
        int i = 0;
        for (pugi::xml_node x = parent.child("X"); x; x = x.next_sibling("X")) {
            if (!xml.SetThisNodeInt(x, xs[i++]))
                return false;
        }
        i = 0;
        for (pugi::xml_node y = parent.child("Y"); y; y = y.next_sibling("Y")) {
            if (!xml.SetThisNodeInt(y, ys[i++]))
                return false;
        }
        return true;
    }
    // The new points take the place of the old ones: before the first of them, if any.
    std::vector<pugi::xml_node> old;
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        if (std::strcmp(child.name(), "X") == 0 || std::strcmp(child.name(), "Y") == 0)
            old.push_back(child);
    }
    if (!AddPoints(xml, parent, xs, ys, count, old.empty() ? before : old.front()))
        return false;
    for (pugi::xml_node node : old)
        parent.remove_child(node);
    return true;
}

void FirstChildren(pugi::xml_node parent, const char* const* names, int count, pugi::xml_node* out)
{
    std::fill(out, out + count, pugi::xml_node());
    // Files are usually in the order of the names: the name after the last one found is tried
    // first, which makes the common case one comparison per child.
    int next = 0;
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        const char* name = child.name();
        int found = -1;
        if (next < count && IsName(name, names[next])) {
            found = next;
        } else {
            for (int i = 0; i < count; ++i) {
                if (names[i][0] == name[0] && IsName(name, names[i])) {
                    found = i;
                    break;
                }
            }
        }
        if (found < 0)
            continue;
        if (!out[found])
            out[found] = child;
        next = found + 1;
    }
}

bool Added(CXmlData& xml, pugi::xml_node parent, pugi::xml_node child, const char* name, int32_t value)
{
    return child ? xml.SetThisNodeInt(child, value) : xml.AddIntNode(parent, name, value);
}

bool Added(CXmlData& xml, pugi::xml_node parent, pugi::xml_node child, const char* name, const QString& text)
{
    return child ? xml.SetThisNodeText(child, text) : xml.AddTextNode(parent, name, text);
}

int CountChildren(pugi::xml_node parent, const char* name)
{
    int count = 0;
    for (pugi::xml_node child = parent.child(name); child; child = child.next_sibling(name))
        ++count;
    return count;
}

} // namespace xml_fields
