#include "timeline/item_selection.h"

namespace timeline {

const tagTL_FACE_ITEM_DATA* CItemSelection::Find(int32_t faceNo, int32_t start) const
{
    const auto found = m_index.constFind(Key(faceNo, start));
    return found == m_index.cend() ? nullptr : &m_items[found.value()];
}

bool CItemSelection::Add(const tagTL_FACE_ITEM_DATA& item)
{
    const quint64 key = Key(item.FaceNo, item.Start);
    if (m_index.contains(key))
        return false;
    m_index.insert(key, m_items.size());
    m_items.push_back(item);
    return true;
}

bool CItemSelection::Remove(int32_t faceNo, int32_t start)
{
    const auto found = m_index.find(Key(faceNo, start));
    if (found == m_index.end())
        return false;
    const size_t position = found.value();
    m_index.erase(found);
    m_items.erase(m_items.begin() + std::ptrdiff_t(position));
    Reindex(position);
    return true;
}

bool CItemSelection::Replace(int32_t faceNo, int32_t start, const tagTL_FACE_ITEM_DATA& item)
{
    const quint64 oldKey = Key(faceNo, start);
    const auto found = m_index.constFind(oldKey);
    if (found == m_index.cend())
        return false;
    const size_t position = found.value();
    const quint64 newKey = Key(item.FaceNo, item.Start);
    if (newKey != oldKey) {
        if (m_index.contains(newKey))
            return Remove(faceNo, start);
        m_index.remove(oldKey);
        m_index.insert(newKey, position);
    }
    m_items[position] = item;
    return true;
}

void CItemSelection::Clear()
{
    m_items.clear();
    m_index.clear();
}

void CItemSelection::Reindex(size_t from)
{
    for (size_t position = from; position < m_items.size(); ++position)
        m_index[Key(m_items[position].FaceNo, m_items[position].Start)] = position;
}

} // namespace timeline
