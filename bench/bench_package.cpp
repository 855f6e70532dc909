// Packing and unpacking a project with 200 MB of media: 10 faces of 10 movie items, each item's
// media a 2 MB file of random bytes in a temporary folder. Pack is the Create package work
// (the project file unpacked, the media copied in, the package zipped); unpack is the Expand
// package work (the package unpacked, the media moved to the data folder, the project file
// zipped). Beside them, `zip -0 -r` and `unzip` of the package's tree, in the same run.

#include "project/package.h"
#include "project/project_folder_store.h"
#include "project/zip_file.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kFaces = 10;
constexpr int kItems = 10;
constexpr qint64 kMediaBytes = 2 * 1024 * 1024;

class CQuietReporter : public CPackageReporter {
public:
    void Report(const PackageNotice& notice) override { failure = notice.detail; }
    QString failure;
};

// The project file, its media, and a work folder, made once for every benchmark.
struct PackageBench {
    QTemporaryDir temp;
    QString work;
    QString projectFile;
    QString package;
    bool ready = false;

    PackageBench()
    {
        const QString root = temp.path();
        work = root + QStringLiteral("/work");
        const QString source = root + QStringLiteral("/source");
        const QString media = root + QStringLiteral("/media");
        QDir().mkpath(work);
        QDir().mkpath(media);
        QDir().mkpath(source + QStringLiteral("/Show/Channel_1"));
        CProjectFolderStore store;
        const QString xml = source + QStringLiteral("/Show/Show.xml");
        if (!store.CreateProject(xml, source, 360000))
            return;
        store.SetFolder(source);
        if (!store.OpenProject(xml, 1))
            return;
        QByteArray bytes(kMediaBytes, Qt::Uninitialized);
        for (int faceNo = 1; faceNo <= kFaces; ++faceNo) {
            QDir().mkpath(source + QStringLiteral("/Show/Channel_1/Face_%1").arg(faceNo));
            FaceXmlRecord face;
            face.No = faceNo;
            face.FilePath = QStringLiteral("Face_%1.xml").arg(faceNo);
            if (!store.AddFace(face))
                return;
            std::vector<ItemXmlRecord> items;
            for (int position = 0; position < kItems; ++position) {
                QRandomGenerator::global()->fillRange(
                    reinterpret_cast<quint32*>(bytes.data()), bytes.size() / int(sizeof(quint32)));
                const QString path = media + QStringLiteral("/clip_%1_%2.mov").arg(faceNo).arg(position);
                QFile file(path);
                if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                    return;
                ItemXmlRecord item;
                item.Start = position * 1000;
                item.PlayTime = 1000;
                item.Mode = tagTL_FACE_ITEM_DATA::MODE_MOVIE;
                item.FilePath = path;
                items.push_back(item);
            }
            if (!store.SetItems(faceNo, items))
                return;
        }
        projectFile = root + QStringLiteral("/Show.kdp");
        package = root + QStringLiteral("/out/Show.kdpp");
        QDir().mkpath(root + QStringLiteral("/out"));
        CZipFile zip;
        CQuietReporter reporter;
        ready = zip.Zip(source + QStringLiteral("/Show"), projectFile)
            && WritePackage(
                work, root + QStringLiteral("/out"), projectFile, QStringLiteral("Show"), reporter);
    }

    QString Fresh(const QString& name) const
    {
        const QString folder = temp.path() + u'/' + name;
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        return folder;
    }
};

PackageBench& Bench()
{
    static PackageBench bench;
    return bench;
}

bool Run(const QString& program, const QStringList& arguments, const QString& folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitCode() == 0;
}

void BM_PackagePack(benchmark::State& state)
{
    PackageBench& bench = Bench();
    if (!bench.ready) {
        state.SkipWithError("the project could not be made");
        return;
    }
    for (auto _ : state) {
        const QString out = bench.Fresh(QStringLiteral("pack"));
        CQuietReporter reporter;
        if (!WritePackage(bench.work, out, bench.projectFile, QStringLiteral("Show"), reporter))
            state.SkipWithError(reporter.failure.toUtf8().constData());
    }
    state.SetBytesProcessed(state.iterations() * kFaces * kItems * kMediaBytes);
}
BENCHMARK(BM_PackagePack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_PackageUnpack(benchmark::State& state)
{
    PackageBench& bench = Bench();
    if (!bench.ready) {
        state.SkipWithError("the project could not be made");
        return;
    }
    for (auto _ : state) {
        const QString out = bench.Fresh(QStringLiteral("unpack"));
        CQuietReporter reporter;
        if (!ExtractPackage(bench.work, bench.package, out, out, QStringLiteral("Show"),
                QStringLiteral("Show"), reporter))
            state.SkipWithError(reporter.failure.toUtf8().constData());
    }
    state.SetBytesProcessed(state.iterations() * kFaces * kItems * kMediaBytes);
}
BENCHMARK(BM_PackageUnpack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The package's own tree, unpacked once, for the zip command.
QString PackageTree()
{
    static const QString tree = [] {
        const QString folder = Bench().Fresh(QStringLiteral("tree"));
        CZipFile zip;
        zip.UnZip(Bench().package, folder);
        return folder;
    }();
    return tree;
}

void BM_ZipCommand(benchmark::State& state)
{
    const QString tree = PackageTree();
    for (auto _ : state) {
        const QString out = Bench().Fresh(QStringLiteral("zip"));
        if (!Run(QStringLiteral("zip"),
                { QStringLiteral("-0"), QStringLiteral("-r"), QStringLiteral("-q"),
                    out + QStringLiteral("/Show.zip"), QStringLiteral("Show_Package") },
                tree))
            state.SkipWithError("zip failed");
    }
    state.SetBytesProcessed(state.iterations() * kFaces * kItems * kMediaBytes);
}
BENCHMARK(BM_ZipCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_UnzipCommand(benchmark::State& state)
{
    for (auto _ : state) {
        const QString out = Bench().Fresh(QStringLiteral("unzip"));
        if (!Run(QStringLiteral("unzip"),
                { QStringLiteral("-q"), Bench().package, QStringLiteral("-d"), out }, out))
            state.SkipWithError("unzip failed");
    }
    state.SetBytesProcessed(state.iterations() * kFaces * kItems * kMediaBytes);
}
BENCHMARK(BM_UnzipCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

BENCHMARK_MAIN();
