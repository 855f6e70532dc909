#pragma once

#include "core/xml_data.h"
#include "project/face_text.h"
#include "project/xml_records.h"

#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <utility>
#include <vector>

// The store of one face file ("Face_%d.xml"): its item entries keyed by start time. Saving
// rewrites the items already in the file in place (keeping their element order and any
// elements it does not know), removes the items that are gone and appends new ones.
// Copies share the loaded document.
//
// A file whose form the text reader is sure of (see face_text.h) is read from its text into the
// entries and kept as text: a save then writes the bytes of the untouched entries laid out as the
// store writes them as they are, and the rest as the DOM writes it. Any other file is loaded into
// a DOM document, as is a text-kept file whose document is asked for (Xml()); both give the same
// entries, counts, errors and saved bytes.
class CItemListXml {
public:
    bool LoadItemXml(const QString& path);
    // The same load through the DOM document, whatever the file's layout.
    bool LoadItemXmlAsDocument(const QString& path);
    // Whether the loaded file is kept as text rather than as a DOM document.
    bool IsKeptAsText() const { return m_text && !m_text->document; }
    // The Start of the entry at the position in ascending start order, or -1.
    int32_t GetItemByIndex(int32_t position, ItemXmlRecord* out) const;
    // Removes the entry that starts at the time and saves; TRUE without writing when none does.
    bool DeleteItem(int32_t start);
    bool SaveItemXml();
    // The batch write: stores every entry under its start time (adding it, or replacing the
    // entry of that start; a later entry of the batch wins over an earlier one of the same
    // start), sets the count to the number of entries and saves the file once. All or nothing:
    // on failure the entries are as before and the file is unchanged.
    bool SetItems(std::span<const ItemXmlRecord> items);

    // The entry stored under the start time; a zeroed entry is inserted when it is absent.
    ItemXmlRecord& Item(int32_t start) { return m_items[start]; }
    const std::map<int32_t, ItemXmlRecord>& Items() const { return m_items; }
    std::map<int32_t, ItemXmlRecord>& Items() { return m_items; }

    // The number of "Item" elements the last load found; whoever adds or removes entries sets
    // it to the number of entries.
    int32_t GetCount() const { return m_count; }
    void SetCount(int32_t count) { m_count = count; }

    // The loaded document; a file kept as text is parsed into one first.
    const CXmlData& Xml() const;

private:
    // What copies share of a file kept as text: its text and entries' spans, or, once one of them
    // has asked for the document, that document (which the others then take up).
    struct SharedText {
        face_text::FaceText face;
        QString path;
        std::shared_ptr<CXmlData> document;
    };

    bool LoadText(const QString& path);
    bool SaveText();
    // Turns a store that keeps its file as text into one that holds its DOM document.
    void UseDocument() const;

    static bool ReadItem(pugi::xml_node element, ItemXmlRecord& entry);
    static bool RewriteItem(CXmlData& xml, pugi::xml_node element, const ItemXmlRecord& entry);
    bool AppendItem(pugi::xml_node root, const ItemXmlRecord& entry);

    // The DOM document. While the file is kept as text (m_text set) it holds no document, only the
    // error text and the result of the last save; the error text stays when the document is made.
    mutable CXmlData m_xml;
    mutable std::shared_ptr<SharedText> m_text;
    int32_t m_count = 0;
    std::map<int32_t, ItemXmlRecord> m_items;
    // The fingerprints of the entries the loaded document holds, by key, shared with the copies
    // that share it.
    std::shared_ptr<std::vector<std::pair<int32_t, uint64_t>>> m_inDocument;
};
