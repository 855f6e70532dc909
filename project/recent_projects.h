#pragma once

#include <QString>
#include <QStringList>

namespace platform {
class CRegistryStore;
}

// The list of the last ten projects that were created, opened or saved under a new name,
// oldest first. Kept in memory by the view and stored as "History01".."History10" in the
// current user's registry.
class CRecentProjects {
public:
    static constexpr int kMaxEntries = 10;
    // A History value holds a path of at most this many UTF-16 units and its terminator.
    static constexpr int kMaxPathLength = 259;

    const QStringList& Entries() const { return m_entries; }

    // Moves the path to the end of the list (dropping an equal entry first) and keeps the ten
    // newest. Paths are compared exactly: Linux file names differ by letter case. A path too
    // long for a History value is refused and the list is left as it was.
    bool AddHistory(const QString& path);

    // Appends the stored paths in order; reading stops at the first missing value, blank
    // values are skipped.
    bool LoadHistory(const platform::CRegistryStore& store);

    // Writes all ten values; places without an entry are written empty, so a shorter list
    // clears what a longer one left behind. Fails only when the hive cannot be written.
    bool SaveHistory(platform::CRegistryStore& store) const;

private:
    QStringList m_entries;
};
