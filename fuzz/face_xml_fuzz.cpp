// The face-file loader and its in-place rewrite: any bytes load or are refused; after a change
// of one item and a new one, a successful save reads back as the store held it.
#include "fuzz/fuzz_support.h"
#include "fuzz/xml_round_trip.h"
#include "project/item_list_xml.h"

#include <QFileInfo>

using fuzz_support::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz_support::WriteInput(QStringLiteral("Face_1.xml"), data, size);
    CItemListXml items;
    if (!items.LoadItemXml(path)) {
        Check(items.Items().empty() && items.GetCount() == 0, "a refused file leaves the store empty");
        return 0;
    }
    Check(items.Items().size() <= size_t(items.GetCount()), "every entry was counted");
    ItemXmlRecord out;
    for (int32_t i = 0; i < items.GetCount(); ++i)
        (void)items.GetItemByIndex(i, &out);

    if (!items.Items().empty()) {
        ItemXmlRecord& first = items.Items().begin()->second;
        first.PlayTime ^= 1;
        first.PNUM = first.PNUM > 0 ? 0 : 3;
        first.FilePath = QStringLiteral("映像/a & b.mp4");
    }
    const int32_t newStart = items.Items().empty() ? 0 : items.Items().rbegin()->first;
    if (newStart < INT32_MAX) {
        ItemXmlRecord added;
        added.Start = newStart + 1;
        added.PNUM = 2;
        added.X[0] = 5;
        added.Y[1] = -7;
        added.MaskImage = QStringLiteral("mask.png");
        items.Item(added.Start) = added;
    }
    items.SetCount(int32_t(items.Items().size()));
    if (!items.SaveItemXml())
        return 0;
    // What is kept of the input is written back at most a few times its size (escaping a
    // character takes up to six), whatever its nesting; the changed and the added item take
    // a few kilobytes.
    Check(QFileInfo(path).size() <= qint64(8 * size + 8192), "a save does not blow up what it keeps");
    CItemListXml reread;
    Check(reread.LoadItemXml(path), "a saved file loads");
    Check(reread.GetCount() == int32_t(items.Items().size()), "the file holds one element per entry");
    Check(reread.Items().size() == items.Items().size(), "every entry reads back");
    for (const auto& [start, entry] : items.Items()) {
        const auto found = reread.Items().find(start);
        Check(found != reread.Items().end() && found->second == AsStoredItem(entry),
            "an entry reads back as stored");
    }
    return 0;
}
