#include "platform/registry_store.h"
#include "project/recent_projects.h"
#include "project/registry_keys.h"
#include "tests/fixtures/temp_folder.h"

#include <gtest/gtest.h>

namespace {

QString History(int number)
{
    return QStringLiteral("History%1").arg(number, 2, 10, QLatin1Char('0'));
}

QStringList Paths(int count)
{
    QStringList paths;
    for (int i = 1; i <= count; ++i)
        paths << QStringLiteral("/p/project%1.kdp").arg(i);
    return paths;
}

CRecentProjects ListOf(const QStringList& paths)
{
    CRecentProjects list;
    for (const auto& path : paths)
        EXPECT_TRUE(list.AddHistory(path));
    return list;
}

} // namespace

TEST(RecentProjects, AddHistoryMovesRepeatsToTheEndAndKeepsTheTenNewest)
{
    struct Case {
        const char* name;
        QStringList before;
        QString added;
        QStringList after;
    };
    const QString longPath = QStringLiteral("/") + QString(CRecentProjects::kMaxPathLength, QLatin1Char('a'));
    const Case cases[] = {
        { "repeat in the middle moves", { "/p/a.kdp", "/p/b.kdp", "/p/c.kdp" }, "/p/b.kdp",
            { "/p/a.kdp", "/p/c.kdp", "/p/b.kdp" } },
        { "other letter case is another file", { "/p/a.kdp", "/P/A.KDP", "/p/c.kdp" }, "/p/A.kdp",
            { "/p/a.kdp", "/P/A.KDP", "/p/c.kdp", "/p/A.kdp" } },
        { "eleventh drops the oldest", Paths(10), "/p/new.kdp", Paths(10).mid(1) << "/p/new.kdp" },
        { "repeat in a full list keeps ten", Paths(10), "/p/project1.kdp",
            Paths(10).mid(1) << "/p/project1.kdp" },
        { "too long for a value is refused", { "/p/a.kdp" }, longPath, { "/p/a.kdp" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto list = ListOf(c.before);
        EXPECT_EQ(list.AddHistory(c.added), c.added != longPath);
        EXPECT_EQ(list.Entries(), c.after);
    }
}

TEST(RecentProjects, SaveWritesAllTenPlacesAndLoadReadsThemBack)
{
    CTempFolder folder;
    platform::CRegistryStore store(folder.FilePath("hkcu.ini"));
    const QStringList paths = { "/home/u/一つ目.kdp", "/home/u/b.kdpp", "/home/u/c.kdp" };

    // A longer list saved before must not survive a shorter one.
    ASSERT_TRUE(ListOf(Paths(10)).SaveHistory(store));
    ASSERT_TRUE(ListOf(paths).SaveHistory(store));

    for (int number = 1; number <= CRecentProjects::kMaxEntries; ++number) {
        SCOPED_TRACE(number);
        const auto value = store.ReadString(registry_keys::HistoryKey(), History(number));
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(*value, number <= paths.size() ? paths.at(number - 1) : QString());
    }

    CRecentProjects loaded;
    EXPECT_TRUE(loaded.LoadHistory(store));
    EXPECT_EQ(loaded.Entries(), paths);
}

TEST(RecentProjects, LoadStopsAtTheFirstMissingValueAndSkipsBlanks)
{
    struct Case {
        const char* name;
        std::vector<std::pair<int, QString>> values;
        QStringList expected;
    };
    const Case cases[] = {
        { "gap at History03", { { 1, "/a.kdp" }, { 2, "/b.kdp" }, { 4, "/d.kdp" } }, { "/a.kdp", "/b.kdp" } },
        { "blank value skipped", { { 1, "  \t " }, { 2, " /b.kdp " }, { 3, "/c.kdp" } },
            { "/b.kdp", "/c.kdp" } },
        { "no key at all", {}, {} },
        { "path too long for a value skipped",
            { { 1, "/" + QString(CRecentProjects::kMaxPathLength, QLatin1Char('a')) }, { 2, "/b.kdp" } },
            { "/b.kdp" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder folder;
        platform::CRegistryStore store(folder.FilePath("hkcu.ini"));
        for (const auto& [number, text] : c.values)
            ASSERT_TRUE(store.WriteString(registry_keys::HistoryKey(), History(number), text));
        CRecentProjects list;
        EXPECT_TRUE(list.LoadHistory(store));
        EXPECT_EQ(list.Entries(), c.expected);
    }
}
