#include "project/item_list_xml.h"

#include "project/entry_list.h"
#include "project/xml_fields.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <set>
#include <string_view>

using namespace xml_fields;

namespace {

using IntField = int32_t ItemXmlRecord::*;
using TextField = QString ItemXmlRecord::*;

// The children of an "Item", in the order of the file layout.
enum ItemChild {
    kStart,
    kPlayTime,
    kMode,
    kFilePath,
    kPlayMode,
    kLinkFaceNo,
    kCameraID,
    kCameraImgW,
    kCameraImgH,
    kInTime,
    kOutTime,
    kMaskMode,
    kMaskPos,
    kMaskImageEnable,
    kMaskImage,
    kVolume,
    kMute,
    kInEffect,
    kOutEffect,
    kFilter,
    kThumbnailTime,
    kItemChildren
};

constexpr const char* kItemChildNames[kItemChildren] = {
    "Start",
    "PlayTime",
    "Mode",
    "FilePath",
    "PlayMode",
    "LinkFaceNo",
    "CameraID",
    "CameraImgW",
    "CameraImgH",
    "InTime",
    "OutTime",
    "MaskMode",
    "MaskPos",
    "MaskImageEnable",
    "MaskImage",
    "Volume",
    "Mute",
    "InEffect",
    "OutEffect",
    "Filter",
    "ThumbnailTime",
};

// How an in-place rewrite treats a missing child: the key is never written, a required child
// fails the save, an added one is appended; containers have rules of their own.
enum class Missing { Key, Required, Added, Container };

struct ItemChildField {
    IntField number;
    TextField text;
    Missing missing;
};

constexpr ItemChildField kItemFields[kItemChildren] = {
    { &ItemXmlRecord::Start, nullptr, Missing::Key },
    { &ItemXmlRecord::PlayTime, nullptr, Missing::Required },
    { &ItemXmlRecord::Mode, nullptr, Missing::Required },
    { nullptr, &ItemXmlRecord::FilePath, Missing::Required },
    { &ItemXmlRecord::PlayMode, nullptr, Missing::Required },
    { &ItemXmlRecord::LinkFaceNo, nullptr, Missing::Required },
    { &ItemXmlRecord::CameraID, nullptr, Missing::Required },
    { &ItemXmlRecord::CameraImgW, nullptr, Missing::Required },
    { &ItemXmlRecord::CameraImgH, nullptr, Missing::Required },
    { &ItemXmlRecord::InTime, nullptr, Missing::Required },
    { &ItemXmlRecord::OutTime, nullptr, Missing::Required },
    { &ItemXmlRecord::MaskMode, nullptr, Missing::Required },
    { nullptr, nullptr, Missing::Container },
    { &ItemXmlRecord::MaskImageEnable, nullptr, Missing::Added },
    { nullptr, &ItemXmlRecord::MaskImage, Missing::Added },
    { &ItemXmlRecord::Volume, nullptr, Missing::Added },
    { &ItemXmlRecord::Mute, nullptr, Missing::Required },
    { nullptr, nullptr, Missing::Container },
    { nullptr, nullptr, Missing::Container },
    { nullptr, nullptr, Missing::Container },
    { &ItemXmlRecord::ThumbnailTime, nullptr, Missing::Added },
};

constexpr const char* kEffectChildren[] = { "Pattern", "Direction", "StartTime", "EndTime" };
constexpr int kEffectValues = 4;

constexpr IntField kInEffectValues[kEffectValues] = { &ItemXmlRecord::InPattern, &ItemXmlRecord::InDirection,
    &ItemXmlRecord::InStartTime, &ItemXmlRecord::InEndTime };
constexpr IntField kOutEffectValues[kEffectValues] = { &ItemXmlRecord::OutPattern,
    &ItemXmlRecord::OutDirection, &ItemXmlRecord::OutStartTime, &ItemXmlRecord::OutEndTime };

const IntField* EffectOf(int child)
{
    return child == kInEffect ? kInEffectValues : kOutEffectValues;
}

// With no points in use the mask position is its rectangle's corner; otherwise the points.
int MaskPointsOf(const ItemXmlRecord& entry, const int32_t*& xs, const int32_t*& ys)
{
    if (entry.PNUM <= 0) {
        xs = &entry.MaskX;
        ys = &entry.MaskY;
        return 1;
    }
    xs = entry.X.data();
    ys = entry.Y.data();
    return ClampedMaskPoints(entry.PNUM);
}

bool AddMaskPos(CXmlData& xml, pugi::xml_node item, const ItemXmlRecord& entry)
{
    pugi::xml_node maskPos = xml.AddNode(item, "MaskPos");
    const int32_t* xs = nullptr;
    const int32_t* ys = nullptr;
    const int points = MaskPointsOf(entry, xs, ys);
    return maskPos && xml.AddIntNode(maskPos, "PNUM", entry.PNUM) && AddPoints(xml, maskPos, xs, ys, points)
        && xml.AddIntNode(maskPos, "W", entry.W) && xml.AddIntNode(maskPos, "H", entry.H);
}

bool RewriteMaskPos(CXmlData& xml, pugi::xml_node maskPos, const ItemXmlRecord& entry)
{
    pugi::xml_node w = maskPos.child("W");
    if (!w || !maskPos.child("H") || !Added(xml, maskPos, "PNUM", entry.PNUM))
        return false;
    const int32_t* xs = nullptr;
    const int32_t* ys = nullptr;
    const int points = MaskPointsOf(entry, xs, ys);
    return RewritePoints(xml, maskPos, xs, ys, points, w) && Required(xml, maskPos, "W", entry.W)
        && Required(xml, maskPos, "H", entry.H);
}

bool WriteFilterParams(CXmlData& xml, pugi::xml_node filter, const ItemXmlRecord& entry)
{
    size_t i = 0;
    for (pugi::xml_node param = filter.child("Param"); param && i < entry.Param.size();
         param = param.next_sibling("Param")) {
        if (!xml.SetThisNodeInt(param, entry.Param[i++]))
            return false;
    }
    for (; i < entry.Param.size(); ++i) {
        if (!xml.AddIntNode(filter, "Param", entry.Param[i]))
            return false;
    }
    return true;
}

// The mask position in one pass over its children: the first "PNUM", "W" and "H", and the "X"
// and "Y" children in order, as many as the entry holds. The first point doubles as the corner of
// the mask rectangle.
void ReadMaskPos(pugi::xml_node maskPos, ItemXmlRecord& entry)
{
    size_t xs = 0;
    size_t ys = 0;
    bool pnum = false;
    bool w = false;
    bool h = false;
    for (pugi::xml_node child = maskPos.first_child(); child; child = child.next_sibling()) {
        const char* name = child.name();
        if (IsName(name, "X")) {
            if (xs < entry.X.size())
                entry.X[xs] = CXmlData::ThisNodeInt(child);
            ++xs;
        } else if (IsName(name, "Y")) {
            if (ys < entry.Y.size())
                entry.Y[ys] = CXmlData::ThisNodeInt(child);
            ++ys;
        } else if (!pnum && IsName(name, "PNUM")) {
            pnum = true;
            entry.PNUM = CXmlData::ThisNodeInt(child);
        } else if (!w && IsName(name, "W")) {
            w = true;
            entry.W = CXmlData::ThisNodeInt(child);
        } else if (!h && IsName(name, "H")) {
            h = true;
            entry.H = CXmlData::ThisNodeInt(child);
        }
    }
    if (xs)
        entry.MaskX = entry.X[0];
    if (ys)
        entry.MaskY = entry.Y[0];
}

// The filter in one pass: the first "No" and the "Param" children in order.
void ReadFilter(pugi::xml_node filter, ItemXmlRecord& entry)
{
    size_t params = 0;
    bool no = false;
    for (pugi::xml_node child = filter.first_child(); child; child = child.next_sibling()) {
        const char* name = child.name();
        if (IsName(name, "Param")) {
            if (params < entry.Param.size())
                entry.Param[params++] = CXmlData::ThisNodeInt(child);
        } else if (!no && IsName(name, "No")) {
            no = true;
            entry.FilterNo = CXmlData::ThisNodeInt(child);
        }
    }
}

} // namespace

bool CItemListXml::LoadItemXml(const QString& path)
{
    return LoadText(path) || LoadItemXmlAsDocument(path);
}

bool CItemListXml::LoadItemXmlAsDocument(const QString& path)
{
    m_text.reset();
    return entry_list::Load(m_xml, path, "LoadItemXml", "Face", "Item", &ItemXmlRecord::Start, m_count,
        m_items, m_inDocument,
        [](pugi::xml_node element, ItemXmlRecord& entry) { return ReadItem(element, entry); });
}

bool CItemListXml::ReadItem(pugi::xml_node element, ItemXmlRecord& entry)
{
    pugi::xml_node children[kItemChildren];
    FirstChildren(element, kItemChildNames, kItemChildren, children);
    for (int i = 0; i < kItemChildren; ++i) {
        if (!children[i])
            continue;
        const ItemChildField& field = kItemFields[i];
        if (field.number) {
            entry.*field.number = CXmlData::ThisNodeInt(children[i]);
        } else if (field.text) {
            QString text = CXmlData::ThisNodeText(children[i]);
            if (!FitsEntry(text))
                return false;
            entry.*field.text = std::move(text);
        }
    }
    if (pugi::xml_node maskPos = children[kMaskPos])
        ReadMaskPos(maskPos, entry);
    for (const int effect : { kInEffect, kOutEffect }) {
        if (!children[effect])
            continue;
        pugi::xml_node values[kEffectValues];
        FirstChildren(children[effect], kEffectChildren, kEffectValues, values);
        for (int i = 0; i < kEffectValues; ++i) {
            if (values[i])
                entry.*EffectOf(effect)[i] = CXmlData::ThisNodeInt(values[i]);
        }
    }
    if (pugi::xml_node filter = children[kFilter])
        ReadFilter(filter, entry);
    return true;
}

int32_t CItemListXml::GetItemByIndex(int32_t position, ItemXmlRecord* out) const
{
    return entry_list::GetByIndex(m_items, m_count, position, out);
}

bool CItemListXml::DeleteItem(int32_t start)
{
    return entry_list::Delete(m_items, m_count, start, [this] { return SaveItemXml(); });
}

bool CItemListXml::RewriteItem(CXmlData& xml, pugi::xml_node element, const ItemXmlRecord& entry)
{
    pugi::xml_node children[kItemChildren];
    FirstChildren(element, kItemChildNames, kItemChildren, children);
    // In layout order, so that children added at the end follow that order.
    for (int i = 0; i < kItemChildren; ++i) {
        const ItemChildField& field = kItemFields[i];
        pugi::xml_node child = children[i];
        switch (field.missing) {
        case Missing::Key:
            break;
        case Missing::Required:
            if (!child)
                return false;
            [[fallthrough]];
        case Missing::Added:
            if (field.number ? !Added(xml, element, child, kItemChildNames[i], entry.*field.number)
                             : !Added(xml, element, child, kItemChildNames[i], entry.*field.text))
                return false;
            break;
        case Missing::Container:
            if (i == kMaskPos) {
                if (child ? !RewriteMaskPos(xml, child, entry) : !AddMaskPos(xml, element, entry))
                    return false;
                break;
            }
            if (!child && !(child = xml.AddNode(element, kItemChildNames[i])))
                return false;
            if (i == kFilter) {
                if (!Added(xml, child, "No", entry.FilterNo) || !WriteFilterParams(xml, child, entry))
                    return false;
                break;
            }
            pugi::xml_node values[kEffectValues];
            FirstChildren(child, kEffectChildren, kEffectValues, values);
            for (int v = 0; v < kEffectValues; ++v) {
                if (!Added(xml, child, values[v], kEffectChildren[v], entry.*EffectOf(i)[v]))
                    return false;
            }
            break;
        }
    }
    return true;
}

bool CItemListXml::AppendItem(pugi::xml_node root, const ItemXmlRecord& entry)
{
    pugi::xml_node item = m_xml.AddNode(root, "Item");
    if (!item)
        return false;
    for (int i = 0; i < kItemChildren; ++i) {
        const ItemChildField& field = kItemFields[i];
        if (field.number) {
            if (!m_xml.AddIntNode(item, kItemChildNames[i], entry.*field.number))
                return false;
        } else if (field.text) {
            if (!m_xml.AddTextNode(item, kItemChildNames[i], entry.*field.text))
                return false;
        } else if (i == kMaskPos) {
            if (!AddMaskPos(m_xml, item, entry))
                return false;
        } else {
            pugi::xml_node container = m_xml.AddNode(item, kItemChildNames[i]);
            if (!container)
                return false;
            if (i == kFilter) {
                if (!m_xml.AddIntNode(container, "No", entry.FilterNo)
                    || !WriteFilterParams(m_xml, container, entry))
                    return false;
                continue;
            }
            for (int v = 0; v < kEffectValues; ++v) {
                if (!m_xml.AddIntNode(container, kEffectChildren[v], entry.*EffectOf(i)[v]))
                    return false;
            }
        }
    }
    return true;
}

bool CItemListXml::SetItems(std::span<const ItemXmlRecord> items)
{
    std::map<int32_t, ItemXmlRecord> previous = m_items;
    const int32_t previousCount = m_count;
    for (const ItemXmlRecord& item : items)
        m_items.insert_or_assign(item.Start, item);
    m_count = int32_t(m_items.size());
    if (SaveItemXml())
        return true;
    m_items = std::move(previous);
    m_count = previousCount;
    return false;
}

bool CItemListXml::SaveItemXml()
{
    if (m_text && m_text->document)
        UseDocument();
    if (!m_text && !m_xml.IsLoaded())
        return false;
    // Texts that do not fit their field or that XML cannot hold are refused before anything
    // in the document changes.
    for (const auto& [start, entry] : m_items) {
        if (!FitsEntry(entry.FilePath) || !FitsEntry(entry.MaskImage) || !CXmlData::IsXmlText(entry.FilePath)
            || !CXmlData::IsXmlText(entry.MaskImage)) {
            m_xml.SetErrorText(QStringLiteral("SaveItemXml 文字列エラー"));
            return false;
        }
    }
    if (m_text)
        return SaveText();
    return entry_list::Save(
        m_xml, "Item", "Start", m_items, m_inDocument, QStringLiteral("SaveItemXml Item要素エラー"),
        [this](pugi::xml_node element, const ItemXmlRecord& entry) {
            return RewriteItem(m_xml, element, entry);
        },
        [this](pugi::xml_node root, const ItemXmlRecord& entry) { return AppendItem(root, entry); });
}

const CXmlData& CItemListXml::Xml() const
{
    UseDocument();
    return m_xml;
}

bool CItemListXml::LoadText(const QString& path)
{
    try {
        auto shared = std::make_shared<SharedText>();
        face_text::FaceText& face = shared->face;
        qint64 fileBytes = 0;
        // Every part of the text is checked where it is read: the entries in the store's layout by
        // the text reader, the rest by the parser's checks.
        if (!CXmlData::ReadFileText(path, face.text, fileBytes, false))
            return false;
        // The text, the spans, the entries and the tree of the part being parsed together take at
        // most what a DOM load may take, less its margin: a file that would take more is refused.
        const qint64 bound = std::max(CXmlData::kMinLoadBytes, fileBytes * CXmlData::kLoadBytesPerFileByte);
        std::map<int32_t, ItemXmlRecord> entries;
        int32_t count = 0;
        struct Reader {
            std::map<int32_t, ItemXmlRecord>& entries;
            int32_t& count;
            const std::vector<face_text::ItemSpan>& spans;
            qint64 left;
            size_t spansCounted = 0;

            bool Take(ItemXmlRecord&& entry)
            {
                ++count;
                left -= qint64(entry_list::EntryBytes(entry));
                left -= qint64((spans.capacity() - spansCounted) * sizeof(face_text::ItemSpan));
                spansCounted = spans.capacity();
                const int32_t key = entry.Start;
                // Files hold their entries in ascending order: each goes at the end of the map.
                if (entries.empty() || entries.rbegin()->first < key)
                    entries.emplace_hint(entries.end(), key, std::move(entry));
                else
                    entries.insert_or_assign(key, std::move(entry));
                return left >= 0;
            }
            // A part lies below the root: it may nest one level less than the save indents.
            bool Entry(std::string_view bytes, ItemXmlRecord& entry, bool& keyed)
            {
                const CXmlData::ParsedDocument parsed
                    = CXmlData::ParseNodes(bytes, left, CXmlData::kIndentedLevels - 1);
                if (!parsed.document)
                    return false;
                const pugi::xml_node element = parsed.document->first_child();
                if (element.type() != pugi::node_element || element.next_sibling()
                    || std::strcmp(element.name(), "Item") != 0)
                    return false;
                keyed = bool(element.child("Start"));
                return ReadItem(element, entry);
            }
            bool Nodes(std::string_view bytes)
            {
                return bool(CXmlData::ParseNodes(bytes, left, CXmlData::kIndentedLevels - 1).document);
            }
        } reader { entries, count, face.items, bound - bound / 16 - qint64(face.text.capacity()) };
        std::string_view declaration;
        if (reader.left < 0 || !face_text::Read(face.text, face.items, declaration, reader))
            return false;
        if (declaration.empty()) {
            face.declaration
                = QByteArray(face_text::kDeclaration.data(), qsizetype(face_text::kDeclaration.size()));
        } else {
            std::optional<QByteArray> saved = CXmlData::SavedDeclaration(declaration);
            if (!saved)
                return false;
            face.declaration = std::move(*saved);
        }
        shared->path = path;
        m_items = std::move(entries);
        m_count = count;
        m_inDocument = size_t(count) == m_items.size()
            ? std::make_shared<entry_list::Fingerprints>(entry_list::FingerprintsOf(m_items))
            : std::make_shared<entry_list::Fingerprints>();
        // The document held before goes, as with any load; the error text stays.
        m_xml.CreateDocument();
        m_text = std::move(shared);
        return true;
    } catch (const std::bad_alloc&) {
        // Left to the DOM load, which refuses a file too large for the memory left.
        return false;
    }
}

void CItemListXml::UseDocument() const
{
    if (!m_text)
        return;
    SharedText& shared = *m_text;
    if (!shared.document) {
        auto document = std::make_shared<CXmlData>();
        const QByteArray& text = shared.face.text;
        document->LoadXmlText(shared.path, std::string_view(text.constData(), size_t(text.size())));
        shared.document = std::move(document);
        shared.face = {};
    }
    const QString error = m_xml.ErrorText();
    m_xml = *shared.document;
    m_xml.SetErrorText(error);
    m_text.reset();
}

namespace {

// Appends a run of nodes of the root's content as the DOM save writes them; false when the text
// does not parse (it did when it was read).
bool AppendNodes(QByteArray& out, std::string_view nodes)
{
    const CXmlData::ParsedDocument parsed
        = CXmlData::ParseNodes(nodes, std::numeric_limits<qint64>::max(), CXmlData::kIndentedLevels - 1);
    if (!parsed.document)
        return false;
    for (pugi::xml_node node = parsed.document->first_child(); node; node = node.next_sibling())
        CXmlData::AppendNode(out, node, 2);
    return true;
}

// The key a save finds in an entry's element: its "Start", or -1 without one.
int32_t SavedKey(const face_text::ItemSpan& span)
{
    return span.keyed ? span.key : -1;
}

} // namespace

bool CItemListXml::SaveText()
{
    using face_text::Form;
    if (!m_inDocument)
        m_inDocument = std::make_shared<entry_list::Fingerprints>();
    entry_list::Fingerprints& held = *m_inDocument;
    const face_text::FaceText& face = m_text->face;
    // As the DOM save does: each entry element present whose key has an entry is kept as it is
    // when the entry is unchanged and rewritten otherwise (its "Start" as it was), once; every
    // other one is left out; the entries left are appended in ascending key order. The other
    // nodes stay where they are.
    bool ascending = true;
    const face_text::ItemSpan* previous = nullptr;
    for (const face_text::ItemSpan& span : face.items) {
        if (span.form == Form::Nodes)
            continue;
        ascending = ascending && (!previous || SavedKey(*previous) < SavedKey(span));
        previous = &span;
    }
    std::set<int32_t> written;
    std::vector<int32_t> writtenInOrder;
    const auto firstWrite = [&](int32_t key) { return ascending || written.insert(key).second; };

    face_text::FaceText next;
    next.declaration = face.declaration;
    next.text.reserve(face.text.size() + 1024);
    next.text.append(face.declaration);
    next.text.append(face_text::kOpenRoot.data(), qsizetype(face_text::kOpenRoot.size()));
    const auto add = [&next](const face_text::ItemSpan& span, Form form, auto write) {
        const qsizetype begin = next.text.size();
        const bool done = write();
        next.items.push_back({ span.key, form, span.keyed, begin, next.text.size() });
        return done;
    };
    // A rewrite that fails ends the save, as it ends the DOM's: the entry keeps what was written
    // into it, the parts after it stay as they are, nothing is appended and the file is not written.
    bool rewritten = true;
    bool printed = true;
    for (const face_text::ItemSpan& span : face.items) {
        const std::string_view bytes(face.text.constData() + span.begin, size_t(span.end - span.begin));
        const auto asItIs = [&] {
            next.text.append(bytes.data(), qsizetype(bytes.size()));
            return true;
        };
        if (!rewritten) {
            add(span, span.form, asItIs);
            continue;
        }
        if (span.form == Form::Nodes) {
            printed = add(span, Form::Nodes, [&] { return AppendNodes(next.text, bytes); }) && printed;
            continue;
        }
        const int32_t key = SavedKey(span);
        const auto entry = m_items.find(key);
        if (entry == m_items.end() || !firstWrite(key))
            continue;
        writtenInOrder.push_back(key);
        const uint64_t* kept = span.keyed ? entry_list::FindFingerprint(held, key) : nullptr;
        const bool unchanged = kept && *kept == Fingerprint(entry->second);
        if (span.form == Form::Parsed) {
            add(span, Form::Parsed, [&] {
                CXmlData item;
                if (!item.LoadXmlText(m_text->path, bytes)) {
                    printed = false;
                    return false;
                }
                if (!unchanged && !RewriteItem(item, item.Root(), entry->second)) {
                    m_xml.SetErrorText(QStringLiteral("SaveItemXml Item要素エラー"));
                    rewritten = false;
                }
                CXmlData::AppendNode(next.text, item.Root(), 2);
                return true;
            });
        } else if (span.form == Form::Verbatim && unchanged) {
            add(span, Form::Verbatim, asItIs);
        } else {
            add(span, Form::Verbatim, [&] {
                face_text::AppendItem(next.text, entry->second, span.key);
                return true;
            });
        }
    }
    auto writtenKey = writtenInOrder.begin();
    for (const auto& stored : m_items) {
        if (!rewritten)
            break;
        const int32_t key = stored.first;
        const ItemXmlRecord& entry = stored.second;
        bool done = false;
        if (ascending) {
            while (writtenKey != writtenInOrder.end() && *writtenKey < key)
                ++writtenKey;
            done = writtenKey != writtenInOrder.end() && *writtenKey == key;
        } else {
            done = written.count(key) != 0;
        }
        if (!done) {
            face_text::ItemSpan appended;
            appended.key = entry.Start;
            add(appended, Form::Verbatim, [&] {
                face_text::AppendItem(next.text, entry, entry.Start);
                return true;
            });
        }
    }
    if (next.items.empty()) {
        next.text.truncate(next.declaration.size());
        next.text.append(face_text::kEmptyRoot.data(), qsizetype(face_text::kEmptyRoot.size()));
    } else {
        next.text.append(face_text::kCloseRoot.data(), qsizetype(face_text::kCloseRoot.size()));
    }
    bool saved = false;
    if (!printed) {
        m_xml.SetErrorText(QStringLiteral("SaveXmlData saveエラー"));
    } else if (rewritten) {
        saved = m_xml.SaveXmlText(m_text->path, next.text);
    }
    // The text becomes what the file holds, and stays so after a failed save, as a DOM keeps the
    // changes made to it; the next save then writes every entry anew.
    if (printed)
        m_text->face = std::move(next);
    if (saved)
        held = entry_list::FingerprintsOf(m_items);
    else
        held.clear();
    return saved;
}
