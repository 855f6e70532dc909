#include "remote/gdi_list_ctrl.h"

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace {

QStringList Column(const CGdiListCtrl& list, int column)
{
    QStringList texts;
    for (int row = 0; row < list.GetItemCount(); ++row)
        texts.append(list.GetText(row, column));
    return texts;
}

void Fill(CGdiListCtrl& list, const QStringList& first, const QStringList& second)
{
    list.DeleteAllItems();
    for (int row = 0; row < first.size(); ++row) {
        list.SetItem(row, 0, first[row]);
        list.SetItem(row, 1, second[row]);
    }
}

class GdiListCtrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.InsertColumn(0, QStringLiteral("No"), CGdiHeaderCtrl::kFormatCenter, 40);
        list.InsertColumn(1, QStringLiteral("IP"), CGdiHeaderCtrl::kFormatCenter, 172);
        list.SetSortFlag(0, CGdiListCtrl::SortNumber);
        list.SetSortFlag(1, CGdiListCtrl::SortAddress);
    }
    CGdiListCtrl list;
};

TEST_F(GdiListCtrlTest, SetItemAddsOnlyTheRowAfterTheLast)
{
    EXPECT_TRUE(list.SetItem(0, 0, QStringLiteral("1")));
    EXPECT_EQ(list.GetItemCount(), 1);
    EXPECT_TRUE(list.SetItem(0, 1, QStringLiteral("10.0.0.1")));
    EXPECT_TRUE(list.SetItem(1, 0, QStringLiteral("2")));
    EXPECT_TRUE(list.SetItem(2, 0, QStringLiteral("3")));
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_FALSE(list.SetItem(5, 0, QStringLiteral("6")));
    EXPECT_FALSE(list.SetItem(0, 2, QStringLiteral("no such column")));
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetText(0, 1), QStringLiteral("10.0.0.1"));
    EXPECT_EQ(list.GetText(1, 1), QString());
    EXPECT_EQ(list.GetText(7, 0), QString());
    EXPECT_EQ(list.Header().GetText(1), QStringLiteral("IP"));
    EXPECT_EQ(list.Header().GetTextAlign(1), CGdiHeaderCtrl::AlignCenter);

    // A column put before the others moves their cells, headings and alignments along.
    list.InsertColumn(0, QStringLiteral("First"), CGdiHeaderCtrl::kFormatRight, 30);
    EXPECT_EQ(list.GetText(0, 2), QStringLiteral("10.0.0.1"));
    EXPECT_EQ(list.GetText(0, 0), QString());
    EXPECT_EQ(list.Header().GetText(2), QStringLiteral("IP"));
    EXPECT_EQ(list.Header().GetTextAlign(0), CGdiHeaderCtrl::AlignRight);
    EXPECT_EQ(list.Header().GetTextAlign(1), CGdiHeaderCtrl::AlignCenter);

    list.DeleteAllItems();
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.GetText(0, 2), QString());
}

TEST(GdiListCtrlColumns, AColumnRecordInsertsWhatItsMaskNames)
{
    const auto record = [](unsigned mask, int format, int width, const char* heading) {
        LVCOLUMN column;
        column.mask = mask;
        column.fmt = format;
        column.cx = width;
        column.pszText = QString::fromUtf8(heading);
        return column;
    };
    struct Case {
        const char* name;
        LVCOLUMN column;
        QString heading;
        int align;
        std::optional<int> width; // nothing: the header's default
    };
    const unsigned all = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    const Case cases[] = {
        { "every field", record(all, CGdiHeaderCtrl::kFormatCenter, 172, "IPアドレス"),
            QStringLiteral("IPアドレス"), CGdiHeaderCtrl::AlignCenter, 172 },
        { "right-aligned", record(all, CGdiHeaderCtrl::kFormatRight, 60, "No"), QStringLiteral("No"),
            CGdiHeaderCtrl::AlignRight, 60 },
        { "heading alone", record(LVCF_TEXT, CGdiHeaderCtrl::kFormatCenter, 90, "Name"),
            QStringLiteral("Name"), CGdiHeaderCtrl::AlignLeft, std::nullopt },
        { "fields outside the mask are not read",
            record(LVCF_WIDTH, CGdiHeaderCtrl::kFormatRight, 33, "unread"), QString(),
            CGdiHeaderCtrl::AlignLeft, 33 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CGdiListCtrl list;
        list.InsertColumn(0, QStringLiteral("first"), CGdiHeaderCtrl::kFormatCenter, 40);
        list.SetItem(0, 0, QStringLiteral("cell"));
        // Put before the first column, which moves along with its cells.
        EXPECT_EQ(list.InsertColumn(0, c.column), 0);
        EXPECT_EQ(list.Header().GetText(0), c.heading);
        EXPECT_EQ(list.Header().GetTextAlign(0), c.align);
        EXPECT_EQ(list.Header().sectionSize(0), c.width.value_or(list.Header().defaultSectionSize()));
        EXPECT_EQ(list.Header().GetText(1), QStringLiteral("first"));
        EXPECT_EQ(list.Header().sectionSize(1), 40);
        EXPECT_EQ(list.GetText(0, 1), QStringLiteral("cell"));
    }
}

TEST(GdiListCtrlCompare, ComparesAsTextNumberOrAddress)
{
    struct Case {
        const char* first;
        const char* second;
        int kind;
        int mode;
        int expected;
    };
    const Case cases[] = {
        { "10", "9", CGdiListCtrl::SortText, 1, -1 },
        { "10", "9", CGdiListCtrl::SortText, 2, 1 },
        { "a", "B", CGdiListCtrl::SortText, 1, 1 }, // character codes: upper case first
        { "same", "same", CGdiListCtrl::SortText, 2, 0 },
        { "10", "9", CGdiListCtrl::SortNumber, 1, 1 },
        { "10", "9", CGdiListCtrl::SortNumber, 2, -1 },
        { "7 units", "7", CGdiListCtrl::SortNumber, 1, 0 },
        { "10.0.0.9", "10.0.0.10", CGdiListCtrl::SortAddress, 1, -1 },
        { "10.0.0.9", "10.0.0.10", CGdiListCtrl::SortAddress, 2, 1 },
        { "192.168.1.3", "10.0.0.1", CGdiListCtrl::SortAddress, 1, 1 },
        { "10.0.0.1", "10.0.0.1", CGdiListCtrl::SortAddress, 1, 0 },
        { "10.0.0.1", "10.0.0.1.5", CGdiListCtrl::SortAddress, 1, 0 }, // four rounds only
        { "1", "2", CGdiListCtrl::SortNumber, 0, 0 },
        { "1", "2", 5, 1, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " / " + c.second);
        EXPECT_EQ(CGdiListCtrl::CompareProc(
                      QString::fromLatin1(c.first), QString::fromLatin1(c.second), c.kind, c.mode),
            c.expected);
    }
}

TEST_F(GdiListCtrlTest, ColumnClicksSortAscendingThenDescending)
{
    Fill(list, { QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("10") },
        { QStringLiteral("192.168.1.20"), QStringLiteral("192.168.1.3"), QStringLiteral("10.0.0.1") });
    list.OnLvnColumnClick(1);
    EXPECT_EQ(Column(list, 1),
        (QStringList {
            QStringLiteral("10.0.0.1"), QStringLiteral("192.168.1.3"), QStringLiteral("192.168.1.20") }));
    EXPECT_EQ(
        Column(list, 0), (QStringList { QStringLiteral("10"), QStringLiteral("2"), QStringLiteral("1") }))
        << "rows move whole";
    EXPECT_EQ(list.GetSortMode(), 1);
    EXPECT_EQ(list.GetSortSubItem(), 1);
    EXPECT_EQ(list.GetSortFlag(), CGdiListCtrl::SortAddress);

    list.OnLvnColumnClick(1);
    EXPECT_EQ(Column(list, 1),
        (QStringList {
            QStringLiteral("192.168.1.20"), QStringLiteral("192.168.1.3"), QStringLiteral("10.0.0.1") }));
    EXPECT_EQ(list.GetSortMode(), 2);

    // The click looks only at the mode: after a descending sort another column goes ascending,
    // after an ascending one descending.
    list.OnLvnColumnClick(0);
    EXPECT_EQ(
        Column(list, 0), (QStringList { QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("10") }));
    list.OnLvnColumnClick(1);
    EXPECT_EQ(list.GetSortMode(), 2);
    EXPECT_EQ(Column(list, 1).front(), QStringLiteral("192.168.1.20"));

    // ItemSort(column) sorts a new column ascending and the sorted one again in its mode.
    list.ItemSort(0);
    EXPECT_EQ(list.GetSortMode(), 1);
    list.ItemSort(0);
    EXPECT_EQ(list.GetSortMode(), 1);
    list.ItemSort(7, 2); // out of range: kept as the state, nothing moves
    EXPECT_EQ(list.GetSortSubItem(), 7);
    EXPECT_EQ(
        Column(list, 0), (QStringList { QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("10") }));
}

QColor PixelAt(const QImage& image, const QPoint& logical, qreal ratio)
{
    return image.pixelColor(QPoint(int(logical.x() * ratio), int(logical.y() * ratio)));
}

TEST_F(GdiListCtrlTest, PaintsRowColoursSelectionGridAndBackground)
{
    Fill(list, { QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3") },
        { QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c") });
    list.SetItemHeight(20);
    list.resize(320, 160);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.topLevelItem(2)->setSelected(true);

    QWidget* viewport = list.viewport();
    const QImage image = viewport->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const QRect row0 = list.visualItemRect(list.topLevelItem(0));
    EXPECT_EQ(row0.height(), 20);
    const int rightOfColumns = 40 + 172 + 40; // no text there
    auto rowPixel
        = [&](int row) { return PixelAt(image, QPoint(rightOfColumns, row0.top() + row * 20 + 10), ratio); };
    EXPECT_EQ(rowPixel(0), QColor(71, 71, 71));
    EXPECT_EQ(rowPixel(1), QColor(51, 51, 51));
    EXPECT_EQ(rowPixel(2), QColor(45, 153, 198));
    EXPECT_EQ(PixelAt(image, QPoint(rightOfColumns, row0.top() + 19), ratio), QColor(121, 121, 121))
        << "grid line along the bottom of a row";
    EXPECT_EQ(PixelAt(image, QPoint(39, row0.top() + 5), ratio), QColor(121, 121, 121))
        << "grid line at the right edge of the first column";
    EXPECT_EQ(PixelAt(image, QPoint(rightOfColumns, row0.top() + 3 * 20 + 15), ratio), QColor(90, 90, 90))
        << "below the rows";

    const QImage header = list.Header().viewport()->grab().toImage();
    const int height = list.Header().height();
    const QColor top = PixelAt(header, QPoint(20, 1), header.devicePixelRatio());
    const QColor bottom = PixelAt(header, QPoint(20, height - 2), header.devicePixelRatio());
    EXPECT_GT(top.red(), bottom.red()) << "a gradient from light at the top to dark at the bottom";
    EXPECT_NEAR(top.red(), 71, 6);
    EXPECT_NEAR(bottom.red(), 43, 6);
    EXPECT_EQ(PixelAt(header, QPoint(20, 0), header.devicePixelRatio()), QColor(121, 121, 121));
    const QColor beyond = PixelAt(header, QPoint(300, height / 2), header.devicePixelRatio());
    EXPECT_NEAR(beyond.red(), 57, 8) << "the header right of the last column gets the gradient too";
}

} // namespace
