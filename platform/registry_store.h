#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

class CProfileFile;

enum class RegistryHive { CurrentUser, LocalMachine };

// A small stand-in for the Windows registry: keys (paths such as
// "Software\\OXTREL\\Kaleidra\\History") holding string and 32-bit values, names compared
// without regard to letter case. Each hive is one file, replaced atomically on every write:
//   current user:  $KALEIDRA_REGISTRY_HKCU, else $XDG_CONFIG_HOME/OXTREL/registry.ini
//   local machine: $KALEIDRA_REGISTRY_HKLM, else <common application data>/OXTREL/registry.ini
// Every change (read, change, replace) holds an exclusive lock on "<hive file>.lock", so that
// changes of several processes or threads to one hive all arrive; reads need no lock, as the
// file is only ever replaced whole.
class CRegistryStore {
public:
    enum class Use { Reading, ReadingAndWriting };

    explicit CRegistryStore(QString hiveFile)
        : m_file(std::move(hiveFile))
    {
    }
    static CRegistryStore ForHive(RegistryHive hive);
    static QString HiveFile(RegistryHive hive);
    // The machine hive belonging to a common application data folder (the environment override
    // still wins); the updater asks for the desktop user's while it runs elevated.
    static QString MachineHiveFileIn(const QString& commonAppDataFolder);

    QString File() const { return m_file; }
    // Why the hive file cannot serve the use, in words for the error output; nothing when it can.
    // The path must name a regular file, or nothing yet in a folder that can be written.
    std::optional<QString> Problem(Use use) const;

    bool KeyExists(const QString& key) const;
    std::optional<QString> ReadString(const QString& key, const QString& valueName) const;
    std::optional<uint32_t> ReadDword(const QString& key, const QString& valueName) const;
    QStringList ValueNames(const QString& key) const;

    // Writing creates the key; false when the hive file cannot be written.
    bool WriteString(const QString& key, const QString& valueName, const QString& value);
    bool WriteDword(const QString& key, const QString& valueName, uint32_t value);
    // Several string values of one key in one replacement of the hive: all are written or none.
    bool WriteStrings(const QString& key, const std::vector<std::pair<QString, QString>>& values);
    bool DeleteValue(const QString& key, const QString& valueName);
    bool DeleteKey(const QString& key);

private:
    // Loads the hive, applies the change and saves it, all under the hive's lock; false when the
    // lock, the file or the change fails (the file is then left as it was).
    bool Change(bool createHive, const std::function<bool(CProfileFile&)>& change);

    QString m_file;
};

} // namespace platform
