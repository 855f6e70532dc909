#pragma once

#include <QString>

// The editor's own registry branch under the current user's hive: window positions in
// "Setting", recent projects in "History".
namespace registry_keys {

inline const QString kKaleidraRoot = QStringLiteral("Software\\OXTREL\\Kaleidra");

inline QString SubKey(const QString& name)
{
    return QStringLiteral("%1\\%2").arg(kKaleidraRoot, name);
}

inline QString SettingKey()
{
    return SubKey(QStringLiteral("Setting"));
}
inline QString HistoryKey()
{
    return SubKey(QStringLiteral("History"));
}

} // namespace registry_keys
