#pragma once

#include "project/face_data.h"

#include <QHash>
#include <cstdint>
#include <vector>

namespace timeline {

// The selected items: copies of their records in the order they were added, no two with one
// face number and start, with an index by that key so that a lookup among thousands of selected
// items is no scan.
class CItemSelection {
public:
    using Records = std::vector<tagTL_FACE_ITEM_DATA>;

    static quint64 Key(int32_t faceNo, int32_t start)
    {
        return (quint64(quint32(faceNo)) << 32) | quint32(start);
    }

    const Records& Items() const { return m_items; }
    bool Empty() const { return m_items.empty(); }
    size_t Size() const { return m_items.size(); }

    bool Contains(int32_t faceNo, int32_t start) const { return m_index.contains(Key(faceNo, start)); }
    // The selected record with that key; null when none.
    const tagTL_FACE_ITEM_DATA* Find(int32_t faceNo, int32_t start) const;
    // Appends a copy; false (nothing added) when an item with its key is selected.
    bool Add(const tagTL_FACE_ITEM_DATA& item);
    // Removes the item with that key, keeping the order of the others; false when none.
    bool Remove(int32_t faceNo, int32_t start);
    // Replaces the record selected under (faceNo, start) with `item`, which may carry another key;
    // when another selected record already has that key, the replaced one is dropped instead.
    // False when nothing is selected under (faceNo, start).
    bool Replace(int32_t faceNo, int32_t start, const tagTL_FACE_ITEM_DATA& item);
    void Clear();

private:
    void Reindex(size_t from);

    Records m_items;
    QHash<quint64, size_t> m_index;
};

} // namespace timeline
