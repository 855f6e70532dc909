#include "updater/update_ctrl.h"
#include "updater/version_text.h"

#include <gtest/gtest.h>

TEST(VersionTextTest, SplitKeepsEmptyParts)
{
    struct Case {
        QString text;
        int parts;
    };
    const Case cases[] = {
        { QStringLiteral("1.6.1.5"), 4 },
        { QStringLiteral("1.6.1"), 3 },
        { QStringLiteral("1..1."), 4 },
        { QString(), 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        QStringList parts;
        EXPECT_EQ(SplitVersion(c.text, parts), c.parts);
        EXPECT_EQ(parts.size(), c.parts);
    }
}

TEST(VersionTextTest, CompareVersionOrdersPartByPartAsNumbers)
{
    struct Case {
        const char* installed;
        const char* newer;
        int parts;
        int expected;
    };
    const Case cases[] = {
        { "1.6.1.5", "1.6.1.5", 4, 2 },
        { "1.6.1.5", "1.6.2.0", 4, 1 },
        { "1.6.2.0", "1.6.1.5", 4, 3 },
        { "1.6.1.9", "1.6.1.10", 4, 1 }, // numbers, not texts
        { "1.6.1.10", "1.6.1.9", 4, 3 },
        { "2.0.0.0", "1.9.9.9", 4, 3 }, // the first differing part decides
        { "1.6.1.5", "1.6.2", 4, 0 }, // three parts never compare
        { "1.6.1", "1.6.2.0", 4, 0 },
        { "1.6.1", "1.6.1", 4, 2 }, // equal texts are equal before they are split
        { "1.6", "1.7", 2, 1 },
        { "1.6..5", "1.6.0.5", 4, 2 }, // an empty part counts as 0
        { "1.6.1x.5", "1.6.1.5", 4, 2 }, // a part is read up to its first non-digit
        { "", "1.0.0.0", 4, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.installed) + " / " + c.newer);
        EXPECT_EQ(
            CUpdateCtrl::CompareVersion(QString::fromUtf8(c.installed), QString::fromUtf8(c.newer), c.parts),
            c.expected);
    }
}
