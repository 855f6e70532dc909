// A project of 100 faces with 100 items each: written item by item through the folder store
// (every change saves its face file), loaded again, and its folder zipped and unzipped.
// The references, measured in the same run: the parser's own load of the same face files (beside
// the face file store's load into records) and its save of them without making them durable
// (beside the store's durable save). Compare CPU times: the machine may be shared.

#include "project/project_folder_store.h"
#include "project/record_conversion.h"
#include "project/zip_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstring>
#include <pugixml.hpp>
#include <span>

namespace {

constexpr int kFaces = 100;
constexpr int kItems = 100;

// The process's resident size, current or its peak since the last reset, in kilobytes.
long StatusKilobytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// Starts a new peak from the current resident size.
void ResetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

ItemXmlRecord MakeItem(int index)
{
    tagTL_FACE_ITEM_DATA item;
    item.Start = index * 500;
    item.PlayTime = 500;
    item.Mode = tagTL_FACE_ITEM_DATA::MODE_MOVIE;
    item.FilePath = QStringLiteral("/home/show/media/映像_%1.mp4").arg(index);
    item.PNUM = 4;
    for (int i = 0; i < 4; ++i) {
        item.X[i] = 10 * i;
        item.Y[i] = 20 * i;
    }
    item.W = 1920;
    item.H = 1080;
    item.InPattern = 3;
    item.InEndTime = 100;
    item.FilterNo = 2;
    ItemXmlRecord entry;
    ToItemXmlRecord(item, entry);
    return entry;
}

FaceXmlRecord MakeFace(int no)
{
    tagTL_FACE_DATA face;
    face.Channel = 1;
    face.No = no;
    face.Status = 1;
    face.X = { 0, 1920, 1920, 0 };
    face.Y = { 0, 0, 1080, 1080 };
    return ToFaceXmlRecord(face);
}

// Writes the whole project into <folder>/show through the store; false on any failure.
bool WriteProject(const QString& folder, CProjectFolderStore& store)
{
    const QString data = folder + QStringLiteral("/show");
    const QString projectXml = data + QStringLiteral("/show.xml");
    if (!QDir().mkpath(data + QStringLiteral("/Channel_1"))
        || !store.CreateProject(projectXml, folder, 360000))
        return false;
    store.SetFolder(folder);
    if (!store.OpenProject(projectXml, 1))
        return false;
    for (int no = 1; no <= kFaces; ++no) {
        if (!QDir().mkpath(store.FaceFolderPath(no)) || !store.AddFace(MakeFace(no)))
            return false;
        for (int i = 0; i < kItems; ++i) {
            if (!store.SetItem(no, MakeItem(i)))
                return false;
        }
    }
    return true;
}

// One project written once, shared by the read-side benchmarks.
const QString& SharedProject()
{
    static QTemporaryDir dir;
    static const QString path = dir.path();
    static const bool written = [] {
        CProjectFolderStore store;
        return WriteProject(path, store);
    }();
    if (!written)
        std::abort();
    return path;
}

QStringList FaceFiles()
{
    QStringList files;
    for (int no = 1; no <= kFaces; ++no)
        files.append(SharedProject() + QStringLiteral("/show/Channel_1/Face_%1/Face_%1.xml").arg(no));
    return files;
}

void BM_WriteProjectItemByItem(benchmark::State& state)
{
    for (auto _ : state) {
        QTemporaryDir dir;
        CProjectFolderStore store;
        if (!WriteProject(dir.path(), store))
            state.SkipWithError("writing the project failed");
    }
    state.counters["item_saves"] = kFaces * kItems;
}

// 10,000 items of one face written as one batch: one replacement of the face file. The project
// and the face are made once; each iteration rewrites every item (the two sets alternate, so
// that every entry changes), timing the batch write alone.
void BM_WriteFaceItemsAsOneBatch(benchmark::State& state)
{
    std::vector<ItemXmlRecord> items[2];
    for (int i = 0; i < 10000; ++i) {
        items[0].push_back(MakeItem(i));
        items[1].push_back(MakeItem(i));
        items[1].back().PlayTime = 400;
    }
    QTemporaryDir dir;
    const QString data = dir.path() + QStringLiteral("/show");
    CProjectFolderStore store;
    store.SetFolder(dir.path());
    if (!QDir().mkpath(data + QStringLiteral("/Channel_1/Face_1"))
        || !store.CreateProject(data + QStringLiteral("/show.xml"), dir.path(), 360000)
        || !store.OpenProject(data + QStringLiteral("/show.xml"), 1) || !store.AddFace(MakeFace(1))
        || !store.SetItems(1, items[1])) {
        state.SkipWithError("creating the project failed");
        return;
    }
    size_t set = 0;
    for (auto _ : state) {
        if (!store.SetItems(1, items[set]))
            state.SkipWithError("writing the items failed");
        set ^= 1;
    }
}

void BM_OpenProject(benchmark::State& state)
{
    const QString folder = SharedProject();
    for (auto _ : state) {
        CProjectFolderStore store;
        store.SetFolder(folder);
        if (!store.OpenProject(folder + QStringLiteral("/show/show.xml"), 1)
            || store.GetItemCount(kFaces) != kItems)
            state.SkipWithError("opening the project failed");
    }
}

// The reference for the loads below.
void BM_PugixmlLoadFaceFiles(benchmark::State& state)
{
    const QStringList files = FaceFiles();
    for (auto _ : state) {
        for (const QString& file : files) {
            pugi::xml_document document;
            benchmark::DoNotOptimize(document.load_file(QFile::encodeName(file).constData()));
        }
    }
}

// The wrapper's load alone, and the face file store's load (wrapper plus reading the items).
void BM_XmlDataLoadFaceFiles(benchmark::State& state)
{
    const QStringList files = FaceFiles();
    for (auto _ : state) {
        for (const QString& file : files) {
            CXmlData xml;
            benchmark::DoNotOptimize(xml.LoadXmlData(file));
        }
    }
}

void BM_ItemListLoadFaceFiles(benchmark::State& state)
{
    const QStringList files = FaceFiles();
    for (auto _ : state) {
        for (const QString& file : files) {
            CItemListXml items;
            benchmark::DoNotOptimize(items.LoadItemXml(file));
        }
    }
}

// Saving every face once through the store, as it stands (nothing changed since the load) and
// with one item of each face changed before each save.
void SaveAllFaces(benchmark::State& state, bool changeOneItem)
{
    const QString folder = SharedProject();
    CProjectFolderStore store;
    store.SetFolder(folder);
    if (!store.OpenProject(folder + QStringLiteral("/show/show.xml"), 1)) {
        state.SkipWithError("opening the project failed");
        return;
    }
    int32_t playTime = 500;
    for (auto _ : state) {
        playTime = playTime == 500 ? 400 : 500;
        for (int no = 1; no <= kFaces; ++no) {
            CItemListXml& items = store.GetFaceItems(no);
            if (changeOneItem)
                items.Item(kItems / 2 * 500).PlayTime = playTime;
            if (!items.SaveItemXml())
                state.SkipWithError("saving failed");
        }
    }
}

void BM_SaveAllFaces(benchmark::State& state)
{
    SaveAllFaces(state, false);
}

void BM_SaveAllFacesOneItemChanged(benchmark::State& state)
{
    SaveAllFaces(state, true);
}

// The reference: the parser's own save of the same files, without making them durable.
void BM_PugixmlSaveFaceFiles(benchmark::State& state)
{
    const QStringList files = FaceFiles();
    std::vector<pugi::xml_document> documents(size_t(files.size()));
    for (int i = 0; i < files.size(); ++i)
        documents[size_t(i)].load_file(QFile::encodeName(files[i]).constData());
    for (auto _ : state) {
        for (int i = 0; i < files.size(); ++i)
            benchmark::DoNotOptimize(documents[size_t(i)].save_file(QFile::encodeName(files[i]).constData()));
    }
}

// One face of 100,000 items (a file of about 105 MB) loaded into records. The counters give the
// file's size and the load's peak memory beside it (the growth of the process's peak resident
// size over the load).
void BM_LoadLargeFaceFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Face_1.xml");
    // The file is made from the text the store writes for one item, so that making it leaves no
    // memory of a document behind in the process.
    CXmlData xml;
    CItemListXml one;
    const ItemXmlRecord item = MakeItem(0);
    QFile file(path);
    if (!xml.CreateXmlData(path, QStringLiteral("Face")) || !one.LoadItemXml(path)
        || !one.SetItems(std::span(&item, 1)) || !file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("writing the face file failed");
        return;
    }
    const QByteArray text = file.readAll();
    file.close();
    const qsizetype itemStart = text.indexOf("\t<Item>");
    const qsizetype itemEnd = text.indexOf("</Item>") + 8;
    const QByteArray itemText = text.mid(itemStart, itemEnd - itemStart);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.left(itemStart)) < 0) {
        state.SkipWithError("writing the face file failed");
        return;
    }
    for (int i = 0; i < 100000; ++i) {
        QByteArray next = itemText;
        next.replace("<Start>0</Start>", "<Start>" + QByteArray::number(i * 500) + "</Start>");
        file.write(next);
    }
    file.write(text.mid(itemEnd));
    file.close();
    const double fileBytes = double(QFileInfo(path).size());
    long peakGrowth = 0;
    for (auto _ : state) {
        ResetPeakResident();
        const long residentBefore = StatusKilobytes("VmRSS:");
        CItemListXml items;
        if (!items.LoadItemXml(path) || items.GetCount() != 100000)
            state.SkipWithError("loading the face file failed");
        peakGrowth = std::max(peakGrowth, StatusKilobytes("VmHWM:") - residentBefore);
    }
    state.counters["file_MB"] = fileBytes / 1e6;
    state.counters["peak_per_file"] = double(peakGrowth) * 1024 / fileBytes;
}

void BM_ZipProject(benchmark::State& state)
{
    const QString folder = SharedProject();
    QTemporaryDir out;
    for (auto _ : state) {
        CZipFile zip;
        if (!zip.Zip(folder + QStringLiteral("/show"), out.path() + QStringLiteral("/show.kdp")))
            state.SkipWithError("zip failed");
    }
}

void BM_UnZipProject(benchmark::State& state)
{
    const QString folder = SharedProject();
    QTemporaryDir archiveDir;
    const QString archive = archiveDir.path() + QStringLiteral("/show.kdp");
    CZipFile zip;
    if (!zip.Zip(folder + QStringLiteral("/show"), archive))
        state.SkipWithError("zip failed");
    for (auto _ : state) {
        QTemporaryDir out;
        if (!zip.UnZip(archive, out.path()))
            state.SkipWithError("unzip failed");
    }
}

BENCHMARK(BM_WriteProjectItemByItem)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WriteFaceItemsAsOneBatch)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugixmlLoadFaceFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlDataLoadFaceFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ItemListLoadFaceFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAllFaces)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAllFacesOneItemChanged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugixmlSaveFaceFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLargeFaceFile)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ZipProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnZipProject)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
