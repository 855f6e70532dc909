#include "platform/registry_store.h"

#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/profile_file.h"

#include <QDir>
#include <QFileInfo>

namespace platform {
namespace {

// Values are kept as "sz:<text>" and "dword:<decimal>" in an ini-style file with one section
// per key path.
constexpr QStringView kStringTag = u"sz:";
constexpr QStringView kDwordTag = u"dword:";
constexpr int kNoLimit = -1;

QString NormaliseKey(const QString& key)
{
    QString normalised = key;
    normalised.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (normalised.endsWith(QLatin1Char('\\')))
        normalised.chop(1);
    while (normalised.startsWith(QLatin1Char('\\')))
        normalised.remove(0, 1);
    return normalised;
}

bool Store(const QString& file, const QString& key, const std::vector<std::pair<QString, QString>>& stored)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    CProfileFile hive(file);
    if (hive.Status() == CProfileFile::LoadStatus::Unreadable)
        return false;
    const QString section = NormaliseKey(key);
    for (const auto& [valueName, value] : stored) {
        if (!hive.SetValue(section, valueName, value))
            return false;
    }
    return hive.Save();
}

} // namespace

QString CRegistryStore::HiveFile(RegistryHive hive)
{
    if (hive == RegistryHive::CurrentUser) {
        if (QString file = qEnvironmentVariable("KALEIDRA_REGISTRY_HKCU"); !file.isEmpty())
            return file;
        QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        if (config.isEmpty())
            config = JoinPath(HomeFolder(), u".config");
        return JoinPath(config, u"OXTREL/registry.ini");
    }
    return MachineHiveFileIn(CommonAppDataFolder());
}

QString CRegistryStore::MachineHiveFileIn(const QString& commonAppDataFolder)
{
    if (QString file = qEnvironmentVariable("KALEIDRA_REGISTRY_HKLM"); !file.isEmpty())
        return file;
    return JoinPath(commonAppDataFolder, u"OXTREL/registry.ini");
}

CRegistryStore CRegistryStore::ForHive(RegistryHive hive) { return CRegistryStore(HiveFile(hive)); }

bool CRegistryStore::KeyExists(const QString& key) const
{
    return CProfileFile(m_file).HasSection(NormaliseKey(key));
}

std::optional<QString> CRegistryStore::ReadString(const QString& key, const QString& valueName) const
{
    const auto stored = CProfileFile(m_file).Value(NormaliseKey(key), valueName, kNoLimit);
    if (!stored || !stored->startsWith(kStringTag))
        return std::nullopt;
    return stored->mid(kStringTag.size());
}

std::optional<uint32_t> CRegistryStore::ReadDword(const QString& key, const QString& valueName) const
{
    const auto stored = CProfileFile(m_file).Value(NormaliseKey(key), valueName, kNoLimit);
    if (!stored || !stored->startsWith(kDwordTag))
        return std::nullopt;
    bool ok = false;
    const uint32_t value = stored->mid(kDwordTag.size()).toUInt(&ok);
    return ok ? std::optional<uint32_t>(value) : std::nullopt;
}

QStringList CRegistryStore::ValueNames(const QString& key) const
{
    return CProfileFile(m_file).Keys(NormaliseKey(key));
}

bool CRegistryStore::WriteString(const QString& key, const QString& valueName, const QString& value)
{
    return Store(m_file, key, {{valueName, kStringTag.toString() + value}});
}

bool CRegistryStore::WriteDword(const QString& key, const QString& valueName, uint32_t value)
{
    return Store(m_file, key, {{valueName, kDwordTag.toString() + QString::number(value)}});
}

bool CRegistryStore::WriteStrings(const QString& key, const std::vector<std::pair<QString, QString>>& values)
{
    std::vector<std::pair<QString, QString>> stored;
    stored.reserve(values.size());
    for (const auto& [valueName, value] : values)
        stored.emplace_back(valueName, kStringTag.toString() + value);
    return Store(m_file, key, stored);
}

bool CRegistryStore::DeleteValue(const QString& key, const QString& valueName)
{
    CProfileFile hive(m_file);
    if (hive.Status() != CProfileFile::LoadStatus::Loaded)
        return false;
    hive.RemoveKey(NormaliseKey(key), valueName);
    return hive.Save();
}

bool CRegistryStore::DeleteKey(const QString& key)
{
    CProfileFile hive(m_file);
    if (hive.Status() != CProfileFile::LoadStatus::Loaded)
        return false;
    hive.RemoveSection(NormaliseKey(key));
    return hive.Save();
}

} // namespace platform
