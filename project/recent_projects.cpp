#include "project/recent_projects.h"

#include "platform/registry_store.h"
#include "project/registry_keys.h"

namespace {

QString HistoryValueName(int number)
{
    return QStringLiteral("History%1").arg(number, 2, 10, QLatin1Char('0'));
}

} // namespace

bool CRecentProjects::AddHistory(const QString& path)
{
    if (path.size() > kMaxPathLength)
        return false;
    const auto same = m_entries.indexOf(path);
    if (same >= 0)
        m_entries.removeAt(same);
    m_entries.append(path);
    while (m_entries.size() > kMaxEntries)
        m_entries.removeFirst();
    return true;
}

bool CRecentProjects::LoadHistory(const platform::CRegistryStore& store)
{
    for (int number = 1; number <= kMaxEntries; ++number) {
        const auto value = store.ReadString(registry_keys::HistoryKey(), HistoryValueName(number));
        if (!value)
            break;
        const auto terminator = value->indexOf(QChar(0));
        const auto path = (terminator >= 0 ? value->left(terminator) : *value).trimmed();
        if (!path.isEmpty() && path.size() <= kMaxPathLength && m_entries.size() < kMaxEntries)
            m_entries.append(path);
    }
    return true;
}

bool CRecentProjects::SaveHistory(platform::CRegistryStore& store) const
{
    // All ten values in one replacement, so a crash never leaves old and new entries mixed.
    std::vector<std::pair<QString, QString>> values;
    for (int number = 1; number <= kMaxEntries; ++number)
        values.emplace_back(HistoryValueName(number), number <= m_entries.size() ? m_entries.at(number - 1) : QString());
    return store.WriteStrings(registry_keys::HistoryKey(), values);
}
