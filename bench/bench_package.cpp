// Packing and unpacking, each beside the command a user would otherwise run, in the same run:
// - a project of 100 faces with 100 items each (102 XML files, 11.6 MB) zipped into its project
//   file beside `zip -r`, and that file unzipped beside `unzip`;
// - a package of 191 MB of WAV sound (20 items), and one of the same size mixing WAV sound,
//   photographic and flat BMP pictures and movies: Create package (the project file unpacked,
//   the media put in, the package zipped) beside `zip -0 -r` of the package's tree, and Expand
//   package (the package unpacked, the media moved to the data folder, the project file zipped)
//   beside `unzip`.
// Every figure has the CPU time of the process and of the commands it waited for (cpu_ms)
// beside the elapsed time.

#include "project/package.h"
#include "project/project_folder_store.h"
#include "project/zip_file.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <functional>
#include <malloc.h>
#include <sys/resource.h>

namespace {

// The CPU time the process has used and that of the children it has waited for, in ms.
double CpuMilliseconds()
{
    double total = 0;
    for (const int who : { RUSAGE_SELF, RUSAGE_CHILDREN }) {
        rusage usage {};
        ::getrusage(who, &usage);
        for (const timeval& time : { usage.ru_utime, usage.ru_stime })
            total += double(time.tv_sec) * 1e3 + double(time.tv_usec) / 1e3;
    }
    return total;
}

QString Fresh(const QTemporaryDir& temp, const QString& name)
{
    const QString folder = temp.path() + u'/' + name;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    return folder;
}

// Runs the step once per iteration, each time on an empty folder `name` in the fixture's
// temporary folder, and reports the step's CPU time, its children's included.
void MeasureIn(benchmark::State& state,
    const QTemporaryDir& temp,
    bool ready,
    const QString& name,
    const std::function<bool(const QString&)>& step)
{
    if (!ready) {
        state.SkipWithError("the fixture could not be made");
        return;
    }
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString folder = Fresh(temp, name);
        state.ResumeTiming();
        const double before = CpuMilliseconds();
        const bool done = step(folder);
        cpu += CpuMilliseconds() - before;
        if (!done) {
            state.SkipWithError("the step failed");
            return;
        }
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}

bool Run(const QString& program, const QStringList& arguments, const QString& folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// ---- The project of 100 x 100 items -------------------------------------------------------------

// A movie item as a show has them: four corners, a full-HD picture, an entry effect, a filter.
ItemXmlRecord ProjectItem(int index)
{
    ItemXmlRecord item;
    item.Start = index * 500;
    item.PlayTime = 500;
    item.Mode = tagTL_FACE_ITEM_DATA::MODE_MOVIE;
    item.FilePath = QStringLiteral("/home/show/media/映像_%1.mp4").arg(index);
    item.CameraID = -1;
    item.PNUM = 4;
    item.X = { 0, 1920, 1920, 0 };
    item.Y = { 0, 0, 1080, 1080 };
    item.W = 1920;
    item.H = 1080;
    item.Volume = 100;
    item.InPattern = 3;
    item.InEndTime = 100;
    item.FilterNo = 2;
    item.ThumbnailTime = -1;
    return item;
}

// Creates the project "show" in the folder with the faces' items; false on any failure.
bool MakeProject(const QString& folder,
    const std::function<std::vector<ItemXmlRecord>(int)>& itemsOfFace,
    int faces,
    const QString& name)
{
    const QString projectXml = folder + u'/' + name + u'/' + name + QStringLiteral(".xml");
    CProjectFolderStore store;
    if (!QDir().mkpath(folder + u'/' + name + QStringLiteral("/Channel_1"))
        || !store.CreateProject(projectXml, folder, 360000))
        return false;
    store.SetFolder(folder);
    if (!store.OpenProject(projectXml, 1))
        return false;
    for (int faceNo = 1; faceNo <= faces; ++faceNo) {
        FaceXmlRecord face;
        face.No = faceNo;
        face.FilePath = QStringLiteral("Face_%1.xml").arg(faceNo);
        if (!QDir().mkpath(store.FaceFolderPath(faceNo)) || !store.AddFace(face)
            || !store.SetItems(faceNo, itemsOfFace(faceNo)))
            return false;
    }
    return true;
}

struct ProjectBench {
    QTemporaryDir temp;
    QString folder; // holds the project folder "show"
    QString archive;
    bool ready = false;

    ProjectBench()
    {
        folder = Fresh(temp, QStringLiteral("source"));
        archive = temp.path() + QStringLiteral("/show.kdp");
        ready = MakeProject(
                    folder,
                    [](int) {
                        std::vector<ItemXmlRecord> items;
                        for (int i = 0; i < 100; ++i)
                            items.push_back(ProjectItem(i));
                        return items;
                    },
                    100, QStringLiteral("show"))
            && CZipFile().Zip(folder + QStringLiteral("/show"), archive);
    }
};

ProjectBench& Project()
{
    static ProjectBench bench;
    return bench;
}

void BM_PackProject(benchmark::State& state)
{
    ProjectBench& bench = Project();
    MeasureIn(state, bench.temp, bench.ready, QStringLiteral("pack"), [&](const QString& out) {
        return CZipFile().Zip(bench.folder + QStringLiteral("/show"), out + QStringLiteral("/show.kdp")) != 0;
    });
}

void BM_PackProjectZipCommand(benchmark::State& state)
{
    ProjectBench& bench = Project();
    MeasureIn(state, bench.temp, bench.ready, QStringLiteral("zip"), [&](const QString& out) {
        return Run(QStringLiteral("zip"),
            { QStringLiteral("-r"), QStringLiteral("-q"), out + QStringLiteral("/show.zip"),
                QStringLiteral("show") },
            bench.folder);
    });
}

void BM_UnpackProject(benchmark::State& state)
{
    ProjectBench& bench = Project();
    MeasureIn(state, bench.temp, bench.ready, QStringLiteral("unpack"),
        [&](const QString& out) { return CZipFile().UnZip(bench.archive, out) != 0; });
}

void BM_UnpackProjectUnzipCommand(benchmark::State& state)
{
    ProjectBench& bench = Project();
    MeasureIn(state, bench.temp, bench.ready, QStringLiteral("unzip"), [&](const QString& out) {
        return Run(
            QStringLiteral("unzip"), { QStringLiteral("-q"), bench.archive, QStringLiteral("-d"), out }, out);
    });
}

// ---- Packages of media ----------------------------------------------------------------------------

constexpr qint64 kPackageMediaBytes = 191 * 1000 * 1000;

// A 16-bit stereo wave of music-like sound: a few tones whose loudness drifts, and some noise.
QByteArray WaveSound(qint64 bytes, quint32 seed)
{
    const qint64 samples = bytes / 4;
    QByteArray wav;
    const auto put32 = [&wav](quint32 value) {
        for (int i = 0; i < 4; ++i)
            wav.append(char((value >> (8 * i)) & 0xFF));
    };
    const auto put16 = [&wav](quint16 value) {
        wav.append(char(value & 0xFF));
        wav.append(char(value >> 8));
    };
    wav.append("RIFF");
    put32(quint32(36 + samples * 4));
    wav.append("WAVEfmt ");
    put32(16);
    put16(1);
    put16(2);
    put32(44100);
    put32(44100 * 4);
    put16(4);
    put16(16);
    wav.append("data");
    put32(quint32(samples * 4));
    wav.reserve(wav.size() + samples * 4);
    QRandomGenerator random(seed);
    const double tones[] = { 220.0 + seed % 7 * 20, 330.0, 523.25 };
    for (qint64 i = 0; i < samples; ++i) {
        double value = 0;
        for (int t = 0; t < 3; ++t)
            value += 4000 * std::sin(2 * M_PI * tones[t] * double(i) / 44100)
                * (0.6 + 0.4 * std::sin(double(i) * 1e-5 * (t + 1)));
        for (int channel = 0; channel < 2; ++channel)
            put16(quint16(qint16(value + random.bounded(-800, 800))));
    }
    return wav;
}

// A 24-bit BMP of 1920 x 1080: a photograph-like shading with grain, or flat areas of colour as
// masks and graphics have.
QByteArray BitmapPicture(bool photographic, quint32 seed)
{
    constexpr int kWidth = 1920;
    constexpr int kHeight = 1080;
    constexpr int kRow = kWidth * 3;
    QByteArray bmp;
    const auto put32 = [&bmp](quint32 value) {
        for (int i = 0; i < 4; ++i)
            bmp.append(char((value >> (8 * i)) & 0xFF));
    };
    const auto put16 = [&bmp](quint16 value) {
        bmp.append(char(value & 0xFF));
        bmp.append(char(value >> 8));
    };
    bmp.append("BM");
    put32(54 + kRow * kHeight);
    put32(0);
    put32(54);
    put32(40);
    put32(kWidth);
    put32(kHeight);
    put16(1);
    put16(24);
    put32(0);
    put32(kRow * kHeight);
    put32(2835);
    put32(2835);
    put32(0);
    put32(0);
    QRandomGenerator random(seed);
    bmp.reserve(bmp.size() + kRow * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            for (int channel = 0; channel < 3; ++channel) {
                const int value = photographic
                    ? int(128 + 90 * std::sin(x * 0.004 * (channel + 1) + seed) * std::cos(y * 0.005))
                        + random.bounded(-6, 7)
                    : ((x / 240 + y / 180 + int(seed)) % 3) * 100 + channel * 20;
                bmp.append(char(std::clamp(value, 0, 255)));
            }
        }
    }
    return bmp;
}

QByteArray RandomBytes(qint64 bytes, quint32 seed)
{
    QByteArray data(bytes, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32*>(data.data()), data.size() / 4);
    return data;
}

// One media file of a package: its extension and its bytes.
struct Media {
    QString extension;
    std::function<QByteArray(quint32)> make;
};

// A project file whose items use the media, and the package made of it.
struct PackageBench {
    QTemporaryDir temp;
    QString work;
    QString projectFile;
    QString package;
    QString tree; // the package's own tree, for the commands
    bool ready = false;

    explicit PackageBench(const std::vector<Media>& media)
    {
        work = Fresh(temp, QStringLiteral("work"));
        const QString source = Fresh(temp, QStringLiteral("source"));
        const QString mediaFolder = Fresh(temp, QStringLiteral("media"));
        constexpr int kFaces = 10;
        const int perFace = int(media.size()) / kFaces;
        std::vector<QString> paths;
        for (size_t i = 0; i < media.size(); ++i) {
            paths.push_back(mediaFolder + QStringLiteral("/media_%1.%2").arg(i).arg(media[i].extension));
            if (!WriteBytes(paths.back(), media[i].make(quint32(i))))
                return;
        }
        const bool made = MakeProject(
            source,
            [&](int faceNo) {
                std::vector<ItemXmlRecord> items;
                for (int position = 0; position < perFace; ++position) {
                    ItemXmlRecord item;
                    item.Start = position * 1000;
                    item.PlayTime = 1000;
                    const QString& path = paths[size_t((faceNo - 1) * perFace + position)];
                    item.Mode = path.endsWith(QStringLiteral(".wav")) ? tagTL_FACE_ITEM_DATA::MODE_SOUND
                        : path.endsWith(QStringLiteral(".bmp"))       ? tagTL_FACE_ITEM_DATA::MODE_IMAGE
                                                                      : tagTL_FACE_ITEM_DATA::MODE_MOVIE;
                    item.FilePath = path;
                    items.push_back(item);
                }
                return items;
            },
            kFaces, QStringLiteral("Show"));
        projectFile = temp.path() + QStringLiteral("/Show.kdp");
        const QString out = Fresh(temp, QStringLiteral("out"));
        package = out + QStringLiteral("/Show.kdpp");
        tree = Fresh(temp, QStringLiteral("tree"));
        CQuietReporter reporter;
        ready = made && CZipFile().Zip(source + QStringLiteral("/Show"), projectFile)
            && WritePackage(work, out, projectFile, QStringLiteral("Show"), reporter)
            && CZipFile().UnZip(package, tree);
    }

    class CQuietReporter : public CPackageReporter {
    public:
        void Report(const PackageNotice&) override { }
    };
};

PackageBench& WavPackage()
{
    static PackageBench bench(std::vector<Media>(20,
        { QStringLiteral("wav"), [](quint32 seed) { return WaveSound(kPackageMediaBytes / 20, seed); } }));
    return bench;
}

// Sound, pictures of both kinds and movies, about a quarter each.
PackageBench& MixedPackage()
{
    static PackageBench bench([] {
        std::vector<Media> media;
        for (int i = 0; i < 20; ++i) {
            switch (i % 4) {
            case 0:
                media.push_back(
                    { QStringLiteral("wav"), [](quint32 seed) { return WaveSound(9'550'000, seed); } });
                break;
            case 1:
                media.push_back(
                    { QStringLiteral("bmp"), [](quint32 seed) { return BitmapPicture(true, seed); } });
                break;
            case 2:
                media.push_back(
                    { QStringLiteral("bmp"), [](quint32 seed) { return BitmapPicture(false, seed); } });
                break;
            default:
                media.push_back(
                    { QStringLiteral("mov"), [](quint32 seed) { return RandomBytes(9'550'000, seed); } });
                break;
            }
        }
        return media;
    }());
    return bench;
}

void PackageCreate(benchmark::State& state, PackageBench& bench)
{
    MeasureIn(state, bench.temp, bench.ready, QStringLiteral("pack"), [&](const QString& out) {
        PackageBench::CQuietReporter reporter;
        return WritePackage(bench.work, out, bench.projectFile, QStringLiteral("Show"), reporter);
    });
}

void PackageZipCommand(benchmark::State& state, PackageBench& bench)
{
    MeasureIn(state, bench.temp, bench.ready, QStringLiteral("zip"), [&](const QString& out) {
        return Run(QStringLiteral("zip"),
            { QStringLiteral("-0"), QStringLiteral("-r"), QStringLiteral("-q"),
                out + QStringLiteral("/Show.zip"), QStringLiteral("Show_Package") },
            bench.tree);
    });
}

void PackageExpand(benchmark::State& state, PackageBench& bench)
{
    MeasureIn(state, bench.temp, bench.ready, QStringLiteral("unpack"), [&](const QString& out) {
        PackageBench::CQuietReporter reporter;
        return ExtractPackage(
            bench.work, bench.package, out, out, QStringLiteral("Show"), QStringLiteral("Show"), reporter);
    });
}

void PackageUnzipCommand(benchmark::State& state, PackageBench& bench)
{
    MeasureIn(state, bench.temp, bench.ready, QStringLiteral("unzip"), [&](const QString& out) {
        return Run(
            QStringLiteral("unzip"), { QStringLiteral("-q"), bench.package, QStringLiteral("-d"), out }, out);
    });
}

void BM_PackWavPackage(benchmark::State& state)
{
    PackageCreate(state, WavPackage());
}
void BM_PackWavPackageZipCommand(benchmark::State& state)
{
    PackageZipCommand(state, WavPackage());
}
void BM_UnpackWavPackage(benchmark::State& state)
{
    PackageExpand(state, WavPackage());
}
void BM_UnpackWavPackageUnzipCommand(benchmark::State& state)
{
    PackageUnzipCommand(state, WavPackage());
}
void BM_PackMixedPackage(benchmark::State& state)
{
    PackageCreate(state, MixedPackage());
}
void BM_PackMixedPackageZipCommand(benchmark::State& state)
{
    PackageZipCommand(state, MixedPackage());
}

// Each figure is the median of 5 runs of one iteration, ours and the command's side by side.
void Median5(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
}

BENCHMARK(BM_PackProject)->Apply(Median5);
BENCHMARK(BM_PackProjectZipCommand)->Apply(Median5);
BENCHMARK(BM_UnpackProject)->Apply(Median5);
BENCHMARK(BM_UnpackProjectUnzipCommand)->Apply(Median5);
BENCHMARK(BM_PackWavPackage)->Apply(Median5);
BENCHMARK(BM_PackWavPackageZipCommand)->Apply(Median5);
BENCHMARK(BM_UnpackWavPackage)->Apply(Median5);
BENCHMARK(BM_UnpackWavPackageUnzipCommand)->Apply(Median5);
BENCHMARK(BM_PackMixedPackage)->Apply(Median5);
BENCHMARK(BM_PackMixedPackageZipCommand)->Apply(Median5);

} // namespace

int main(int argc, char** argv)
{
    // glibc raises its heap thresholds after the first large block is freed, so that later
    // blocks stay in the heap; the figures here must not depend on what ran before them. They
    // are held at their starting values, those of an editor that has just started.
    ::mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    ::mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
