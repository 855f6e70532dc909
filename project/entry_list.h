#pragma once

#include "core/xml_data.h"

#include "project/xml_records.h"

#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <new>
#include <set>
#include <utility>
#include <vector>

// What the channel file and the face file share: a root element holding one entry element
// per face or item, kept in memory as a map from the entry's key to its record.
namespace entry_list {

// The fingerprints of the entries as the loaded document holds them, in ascending key order,
// shared by the copies of a store as they share the document: a save leaves the elements of
// entries whose fingerprint it finds unchanged as they are. A fingerprint per entry in place of a
// copy of the records keeps the memory of a large file's load small.
using Fingerprints = std::vector<std::pair<int32_t, uint64_t>>;
using InDocument = std::shared_ptr<Fingerprints>;

// The fingerprints of the entries, in their ascending key order.
template <typename Entry> Fingerprints FingerprintsOf(const std::map<int32_t, Entry>& entries)
{
    Fingerprints fingerprints;
    fingerprints.reserve(entries.size());
    for (const auto& [key, entry] : entries)
        fingerprints.emplace_back(key, Fingerprint(entry));
    return fingerprints;
}

// The fingerprint held under the key, or nullptr.
inline const uint64_t* FindFingerprint(const Fingerprints& fingerprints, int32_t key)
{
    const auto found = std::lower_bound(fingerprints.begin(), fingerprints.end(), key,
        [](const std::pair<int32_t, uint64_t>& held, int32_t wanted) { return held.first < wanted; });
    return found != fingerprints.end() && found->first == key ? &found->second : nullptr;
}

// The memory one entry takes in the map: its node (the tree's links, the key, the record and the
// allocator's share), its texts and its fingerprint.
template <typename Entry> size_t EntryBytes(const Entry& entry)
{
    constexpr size_t kNodeBytes
        = sizeof(typename std::map<int32_t, Entry>::value_type) + 4 * sizeof(void*) + 16;
    return kNodeBytes + TextHeapBytes(entry) + sizeof(Fingerprints::value_type);
}

// Loads the file and reads every entry element below its root, in document order, into the map
// under its key; a later element with the same key replaces the earlier one, and `count` counts
// every element. `read` gives false for an entry that does not fit its record. A refused file
// (unreadable, a root of another name, an entry that does not fit, entries that would take more
// memory than the load leaves them) leaves the map empty, `count` 0 and the wrapper with nothing
// loaded, so that nothing can be saved into it. `inDocument` becomes what the new document holds
// (nothing when two elements share a key: the first save then rewrites every entry).
template <typename Entry, typename Read>
bool Load(CXmlData& xml,
    const QString& path,
    const char* operation,
    const char* rootName,
    const char* entryName,
    int32_t Entry::*key,
    int32_t& count,
    std::map<int32_t, Entry>& entries,
    InDocument& inDocument,
    Read read)
{
    entries.clear();
    count = 0;
    bool loaded = xml.LoadXmlData(path);
    if (loaded && std::strcmp(xml.Root().name(), rootName) != 0) {
        xml.SetErrorText(QString::fromLatin1(operation) + QStringLiteral(" ルートノード名エラー"));
        loaded = false;
    }
    // The entries count against what the load's memory bound left after the text and the tree.
    qint64 bytesLeft = loaded ? xml.LoadBytesLeft() : 0;
    try {
        for (pugi::xml_node element = loaded ? xml.Root().child(entryName) : pugi::xml_node(); element;
             element = element.next_sibling(entryName)) {
            ++count;
            Entry entry;
            if (!read(element, entry)) {
                xml.SetErrorText(QString::fromLatin1(operation) + QStringLiteral(" 文字数エラー"));
                loaded = false;
                break;
            }
            const size_t bytes = EntryBytes(entry);
            const int32_t entryKey = entry.*key;
            if (entries.insert_or_assign(entryKey, std::move(entry)).second)
                bytesLeft -= qint64(bytes);
            if (bytesLeft < 0) {
                xml.SetErrorText(QStringLiteral("LoadXmlData loadエラー"));
                loaded = false;
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        // The entries of a file too large for the memory left: refused like an unreadable file.
        xml.SetErrorText(QStringLiteral("LoadXmlData loadエラー"));
        loaded = false;
    }
    if (!loaded) {
        const QString error = xml.ErrorText();
        entries.clear();
        count = 0;
        xml = CXmlData();
        xml.SetErrorText(error);
    }
    inDocument = loaded && size_t(count) == entries.size()
        ? std::make_shared<Fingerprints>(FingerprintsOf(entries))
        : std::make_shared<Fingerprints>();
    return loaded;
}

// The key of the entry at the position in ascending key order, copied into *out; -1 when there
// is no out, the position is outside 0 to count-1 or the map ends first.
template <typename Entry>
int32_t GetByIndex(const std::map<int32_t, Entry>& entries, int32_t count, int32_t position, Entry* out)
{
    if (!out || count < 1 || position < 0 || position >= count)
        return -1;
    *out = Entry();
    if (size_t(position) >= entries.size())
        return -1;
    const auto entry = std::next(entries.begin(), position);
    *out = entry->second;
    return entry->first;
}

// Removes the entry under the key and saves; TRUE without writing when there is none. A failed
// save puts the entry and the count back, as the file still holds them.
template <typename Entry, typename Save>
bool Delete(std::map<int32_t, Entry>& entries, int32_t& count, int32_t key, Save save)
{
    const auto entry = entries.find(key);
    if (entry == entries.end())
        return true;
    auto removed = entries.extract(entry);
    const int32_t previousCount = count;
    count = int32_t(entries.size());
    if (save())
        return true;
    entries.insert(std::move(removed));
    count = previousCount;
    return false;
}

// Writes the map into the loaded document and saves it: each entry element present at the start
// whose key (the leading integer of its `keyName` child, -1 without one) has an entry is
// rewritten in place by `rewrite`, once, unless the document already holds that entry (it is then
// left as it is); every other one is removed; the entries left are appended by `append` in
// ascending key order. A FALSE result leaves the file as it was (and the next save rewrites
// every entry, as the document may hold part of this one).
template <typename Entry, typename Rewrite, typename Append>
bool Save(CXmlData& xml,
    const char* entryName,
    const char* keyName,
    const std::map<int32_t, Entry>& entries,
    InDocument& inDocument,
    const QString& rewriteError,
    Rewrite rewrite,
    Append append)
{
    if (!xml.IsLoaded())
        return false;
    if (!inDocument)
        inDocument = std::make_shared<Fingerprints>();
    Fingerprints& held = *inDocument;
    const bool saved = [&] {
        pugi::xml_node root = xml.Root();
        std::set<int32_t> written;
        for (pugi::xml_node element = root.child(entryName), next; element; element = next) {
            next = element.next_sibling(entryName);
            pugi::xml_node keyNode = element.child(keyName);
            const int32_t key = keyNode ? CXmlData::ThisNodeInt(keyNode) : -1;
            const auto entry = entries.find(key);
            if (entry != entries.end() && written.insert(key).second) {
                const uint64_t* kept = keyNode ? FindFingerprint(held, key) : nullptr;
                if (kept && *kept == Fingerprint(entry->second))
                    continue;
                if (!rewrite(element, entry->second)) {
                    xml.SetErrorText(rewriteError);
                    return false;
                }
            } else if (!root.remove_child(element)) {
                return false;
            }
        }
        for (const auto& [key, entry] : entries) {
            if (!written.count(key) && !append(root, entry))
                return false;
        }
        return xml.SaveXmlData(xml.Path());
    }();
    if (saved)
        held = FingerprintsOf(entries);
    else
        held.clear();
    return saved;
}

} // namespace entry_list
