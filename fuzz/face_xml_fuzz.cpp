// The face-file loader and its in-place rewrite: any bytes load or are refused; after a change
// of one item and a new one, a successful save reads back as the store held it. A file read from
// its text gives what the DOM load gives (result, entries, count, error text), and its saves write
// the bytes the DOM save writes.
#include "fuzz/fuzz_support.h"
#include "fuzz/xml_round_trip.h"
#include "project/item_list_xml.h"

#include <QFile>
#include <QFileInfo>

using fuzz_support::Check;

namespace {

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void CheckSameEntries(const CItemListXml& items, const CItemListXml& document)
{
    Check(items.GetCount() == document.GetCount(), "the text and the document count the same items");
    Check(items.Items() == document.Items(), "the text and the document give the same entries");
}

// Changes the first entry and adds one after the last, as an edit of the timeline does.
void Edit(CItemListXml& items)
{
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
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz_support::WriteInput(QStringLiteral("Face_1.xml"), data, size);
    const QString documentPath = fuzz_support::WriteInput(QStringLiteral("document/Face_1.xml"), data, size);
    CItemListXml items;
    CItemListXml document;
    const bool loaded = items.LoadItemXml(path);
    Check(loaded == document.LoadItemXmlAsDocument(documentPath), "the text and the document load alike");
    CheckSameEntries(items, document);
    if (!loaded) {
        Check(items.Items().empty() && items.GetCount() == 0, "a refused file leaves the store empty");
        Check(items.Xml().ErrorText() == document.Xml().ErrorText(),
            "a refused file gives the document's error");
        return 0;
    }
    Check(items.Items().size() <= size_t(items.GetCount()), "every entry was counted");
    ItemXmlRecord out;
    for (int32_t i = 0; i < items.GetCount(); ++i)
        (void)items.GetItemByIndex(i, &out);

    // Edit adds an entry after the last one unless the last one starts at the latest time.
    const bool addsOne = items.Items().empty() || items.Items().rbegin()->first < INT32_MAX;
    Edit(items);
    Edit(document);
    const bool saved = items.SaveItemXml();
    Check(saved == document.SaveItemXml(), "the text and the document save alike");
    Check(FileBytes(path) == FileBytes(documentPath), "the text and the document write the same bytes");
    Check(items.Xml().ErrorText() == document.Xml().ErrorText(), "a save gives the document's error");
    if (!saved)
        return 0;
    // What is kept of the input is written back at most a few times its size (escaping a
    // character takes up to six), whatever its nesting; the changed and the added item take
    // a few kilobytes.
    Check(QFileInfo(path).size() <= qint64(8 * size + 8192), "a save does not blow up what it keeps");
    CItemListXml reread;
    Check(reread.LoadItemXml(path), "a saved file loads");
    Check(reread.GetCount() == int32_t(items.Items().size()), "the file holds one element per entry");
    Check(reread.Items().size() == items.Items().size(), "every entry reads back");
    // The edited first entry and the added last one are written in the stored form; the others
    // keep the bytes they were read from, so they read back exactly as they were loaded.
    const int32_t editedStart = items.Items().begin()->first;
    const int32_t lastStart = items.Items().rbegin()->first;
    for (const auto& [start, entry] : items.Items()) {
        const auto found = reread.Items().find(start);
        const bool written = start == editedStart || (addsOne && start == lastStart);
        Check(found != reread.Items().end() && found->second == (written ? AsStoredItem(entry) : entry),
            "an entry reads back as stored");
    }
    // A second edit of the saved file, which a save in the store's layout leaves in that layout:
    // read from its text or not, it is written as the document writes it.
    const QByteArray savedBytes = FileBytes(path);
    const auto* savedData = reinterpret_cast<const uint8_t*>(savedBytes.constData());
    const QString second
        = fuzz_support::WriteInput(QStringLiteral("second/Face_1.xml"), savedData, size_t(savedBytes.size()));
    const QString secondDocument = fuzz_support::WriteInput(
        QStringLiteral("second/document/Face_1.xml"), savedData, size_t(savedBytes.size()));
    CItemListXml again;
    CItemListXml againDocument;
    Check(again.LoadItemXml(second) && againDocument.LoadItemXmlAsDocument(secondDocument),
        "a saved file loads");
    CheckSameEntries(again, againDocument);
    Edit(again);
    Edit(againDocument);
    Check(again.SaveItemXml() == againDocument.SaveItemXml(), "the second saves agree");
    Check(FileBytes(second) == FileBytes(secondDocument), "the second saves write the same bytes");
    return 0;
}
