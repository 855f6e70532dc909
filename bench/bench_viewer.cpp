// The output program: frames of a 1920 x 1080 show with four faces, each playing a 1080p movie
// with a filter and a two-second entry effect, drawn by Mesa's software renderer (run in a virtual display:
// xvfb-run -a build/bench/bench_viewer), beside ffmpeg decoding the same four movies alone; and
// the drift of the viewer's play clock against the wall clock over 60 s, measured on the program
// itself through the shared block. Every run (repetitions too) has a work folder, a shared block
// and an instance suffix of its own.
#include "platform/mem_mapped.h"
#include "platform/shared_flag.h"
#include "project/project_folder_store.h"
#include "project/record_conversion.h"
#include "viewer/face_renderer.h"
#include "viewer/lux_viewer.h"

#include <QDir>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using Item = tagTL_FACE_ITEM_DATA;
using Clock = std::chrono::steady_clock;

// The show runs ten minutes; each item loops its 12 s movie all along.
constexpr int32_t kShowHundredths = 60000;
constexpr int kClipFrames = 12 * 30;
constexpr int32_t kEntryEffectHundredths = 200;

// A name of this run's own: the process and a count of the runs in it.
QString RunName(const char* what)
{
    static int runs = 0;
    return QStringLiteral("%1-%2-%3").arg(QLatin1String(what)).arg(::getpid()).arg(++runs);
}

double ProcessCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

double ChildrenCpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1000.0 + double(t.tv_usec) / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

QTemporaryDir& Folder()
{
    static QTemporaryDir folder;
    return folder;
}

// A 12 s 1080p H.264 movie at 30 frames a second with noise, so that it is not trivial to decode.
QString MoviePath(int n)
{
    const QString file = Folder().filePath(QStringLiteral("clip%1.mp4").arg(n));
    if (QFile::exists(file))
        return file;
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QString source
        = QStringLiteral("testsrc2=s=1920x1080:r=30:d=12,noise=alls=12:allf=t,hue=h=%1").arg(n * 70);
    ffmpeg.start(QStringLiteral(KALEIDRA_FFMPEG_PATH),
        { "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-f", "lavfi", "-i", source, "-c:v",
            "libx264", "-preset", "veryfast", "-crf", "23", "-g", "60", "-pix_fmt", "yuv420p", file });
    if (!ffmpeg.waitForFinished(600000) || ffmpeg.exitCode() != 0) {
        std::fprintf(stderr, "cannot make the 1080p clip with ffmpeg\n");
        std::exit(1);
    }
    return file;
}

// The project: four faces in perspective over the canvas, each with a looping movie, a filter
// and an entry effect that runs all along. Returns the project XML's path.
QString MakeProject(int filterNo, const std::array<int32_t, 10>& params)
{
    const QString work = Folder().filePath(RunName("work"));
    QDir().mkpath(work + QStringLiteral("/show/Channel_1"));
    const QString projectXml = work + QStringLiteral("/show/show.xml");
    CProjectFolderStore store;
    if (!store.CreateProject(projectXml, work, kShowHundredths)) {
        std::fprintf(stderr, "cannot make the project\n");
        std::exit(1);
    }
    store.SetFolder(work);
    store.OpenProject(projectXml, 1);
    store.GetProjectXml().Loop = 1;
    store.GetProjectXml().UpdateProjectXml();
    const int effects[4] = { 5, 2, 8, 4 }; // iris, wipe, dissolve, push
    for (int32_t no = 1; no <= 4; ++no) {
        QDir().mkpath(work + QStringLiteral("/show/Channel_1/Face_%1").arg(no));
        tagTL_FACE_DATA face;
        face.Channel = 1;
        face.No = no;
        face.Status = 1;
        const int x = (no - 1) % 2 * 960;
        const int y = (no - 1) / 2 * 540;
        face.X = { x + 10, x + 950, x + 930, x + 30 };
        face.Y = { y + 20, y + 5, y + 530, y + 520 };
        store.AddFace(ToFaceXmlRecord(face));
        Item item;
        item.Channel = 1;
        item.FaceNo = no;
        item.Start = 0;
        item.PlayTime = kShowHundredths;
        item.Mode = Item::MODE_MOVIE;
        item.FilePath = MoviePath(no);
        item.PlayMode = 1;
        item.InPattern = effects[no - 1];
        // The entry effect plays over the first two seconds, as a show's would: for the rest of
        // the run each face shows its whole picture, which a neighbourhood filter then covers.
        item.InStartTime = 0;
        item.InEndTime = kEntryEffectHundredths;
        item.FilterNo = filterNo;
        item.Param = params;
        ItemXmlRecord entry;
        ToItemXmlRecord(item, entry);
        store.SetItem(no, entry);
    }
    return projectXml;
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(fraction * double(values.size())))];
}

// The floor: ffmpeg decoding the four movies alone, all frames, as fast as it can. Gives the
// wall and CPU milliseconds per set of four frames.
std::pair<double, double> FfmpegFloorPerSet()
{
    QStringList arguments { "-hide_banner", "-loglevel", "error", "-nostdin" };
    for (int no = 1; no <= 4; ++no)
        arguments << "-i" << MoviePath(no);
    for (int no = 0; no < 4; ++no)
        arguments << "-map" << QStringLiteral("%1:v").arg(no);
    arguments << "-f"
              << "null"
              << "-";
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const double cpuBefore = ChildrenCpuMs();
    const auto start = Clock::now();
    ffmpeg.start(QStringLiteral(KALEIDRA_FFMPEG_PATH), arguments);
    if (!ffmpeg.waitForFinished(600000) || ffmpeg.exitCode() != 0)
        return { 0, 0 };
    const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    return { wallMs / kClipFrames, (ChildrenCpuMs() - cpuBefore) / kClipFrames };
}

// What each face shows while the show plays: how far its frame lies behind the clock, and the
// longest time it showed one frame.
class CFacePace {
public:
    void Note(const std::vector<FaceLayer>& layers, int64_t showUs, Clock::time_point now)
    {
        for (const FaceLayer& layer : layers) {
            Face& face = m_faces[layer.faceNo];
            face.lagMs.push_back(double(showUs - layer.frame->sequenceUs) / 1000.0);
            if (face.serial != layer.frame->serial) {
                face.serial = layer.frame->serial;
                face.since = now;
            }
            face.longestMs = std::max(
                face.longestMs, std::chrono::duration<double, std::milli>(now - face.since).count());
        }
    }
    template <typename Percentile> void Report(benchmark::State& state, Percentile percentile) const
    {
        double longest = 0;
        for (const auto& [no, face] : m_faces) {
            state.counters[QStringLiteral("lag%1_p50_ms").arg(no).toStdString()]
                = percentile(face.lagMs, 0.50);
            state.counters[QStringLiteral("lag%1_p99_ms").arg(no).toStdString()]
                = percentile(face.lagMs, 0.99);
            longest = std::max(longest, face.longestMs);
        }
        state.counters["frozen_max_ms"] = longest;
    }

private:
    struct Face {
        std::vector<double> lagMs;
        uint64_t serial = 0;
        Clock::time_point since;
        double longestMs = 0;
    };
    std::map<int32_t, Face> m_faces;
};

// One output frame per iteration: the block polled, the clock and the media brought to the
// time, the faces drawn into a 1920 x 1080 frame buffer and finished.
void RenderShow(benchmark::State& state, int filterNo, const std::array<int32_t, 10>& params)
{
    const QString projectXml = MakeProject(filterNo, params);
    const auto [floorMs, floorCpuMs] = FfmpegFloorPerSet();
    QSurfaceFormat format;
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    QOpenGLContext context;
    context.setFormat(format);
    QOffscreenSurface surface;
    surface.setFormat(format);
    surface.create();
    if (!context.create() || !context.makeCurrent(&surface)) {
        state.SkipWithError("no OpenGL context (run in a virtual display)");
        return;
    }
    std::printf("OpenGL: %s\n", reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER)));
    const QSize size(1920, 1080);
    QOpenGLFramebufferObject target(size);
    target.bind();
    CFaceRenderer renderer;
    if (!renderer.Initialize()) {
        state.SkipWithError(qPrintable(renderer.LastError()));
        return;
    }

    CMemMapped memory;
    auto* block
        = static_cast<PmParamBlock*>(memory.Create(sizeof(PmParamBlock), RunName("bench-viewer-block")));
    ViewerOptions options;
    options.rect = QRect(0, 0, size.width(), size.height());
    CLuxViewer viewer(options, *block);
    viewer.LoadProject(projectXml, QFileInfo(projectXml).dir().absolutePath() + QStringLiteral("/.."));
    const auto ready = Clock::now();
    do {
        viewer.Tick();
        QThread::msleep(5);
    } while (!viewer.IsFrameReady() && Clock::now() - ready < std::chrono::seconds(20));
    viewer.Play();

    std::vector<double> frameMs;
    CFacePace pace;
    const double cpuStart = ProcessCpuMs();
    const auto wallStart = Clock::now();
    for (auto _ : state) {
        const auto start = Clock::now();
        viewer.Tick();
        viewer.Draw(renderer, size, QRectF(QPointF(0, 0), QSizeF(size)));
        context.functions()->glFinish();
        const auto end = Clock::now();
        frameMs.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        pace.Note(viewer.Layers(), viewer.Clock().TimeUs(), end);
    }
    const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - wallStart).count();
    const double frames = double(std::max<size_t>(frameMs.size(), 1));
    // The frame's time beside the floor; the whole process's CPU (drawing and decoding threads);
    // each face's lag behind the clock and the longest any face stood still.
    state.counters["frame_p50_ms"] = Percentile(frameMs, 0.50);
    state.counters["frame_p99_ms"] = Percentile(frameMs, 0.99);
    state.counters["ffmpeg_floor_ms_per_set"] = floorMs;
    state.counters["ffmpeg_floor_cpu_ms_per_set"] = floorCpuMs;
    state.counters["p50_over_floor"] = floorMs > 0 ? Percentile(frameMs, 0.50) / floorMs : 0;
    state.counters["process_cpu_ms_per_frame"] = (ProcessCpuMs() - cpuStart) / frames;
    state.counters["process_cores"] = wallMs > 0 ? (ProcessCpuMs() - cpuStart) / wallMs : 0;
    pace.Report(state, &Percentile);
}

void BM_Show4x1080pPointFilters(benchmark::State& state)
{
    // Hue, saturation and lightness: the costliest of the filters drawn in the face shader.
    RenderShow(state, 2, { 30, 20, -10 });
}
BENCHMARK(BM_Show4x1080pPointFilters)->Iterations(900)->Unit(benchmark::kMillisecond);

void BM_Show4x1080pBlur(benchmark::State& state)
{
    // A blur of radius 5 texels: a pass of its own over every new frame.
    RenderShow(state, 9, { 5 });
}
BENCHMARK(BM_Show4x1080pBlur)->Iterations(300)->Unit(benchmark::kMillisecond);

// The viewer program plays for 60 s; its published time is compared with the wall clock. Each
// end is taken at the moment the published hundredth changes, so the reading's own step does not
// count.
void BM_PlayClockDrift60s(benchmark::State& state)
{
    qputenv("KALEIDRA_INSTANCE_SUFFIX", RunName("-bench-drift").toUtf8());
    CMemMapped memory;
    auto* block = static_cast<PmParamBlock*>(memory.Create(sizeof(PmParamBlock), PmParamBlockName()));
    QProcess viewer;
    viewer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    viewer.start(QStringLiteral(KALEIDRA_LUXVIEWER_PATH), { "--headless", "0", "0", "640", "360" });
    if (!block || !viewer.waitForStarted(10000)) {
        state.SkipWithError("cannot start Luxviewer");
        return;
    }
    const QString projectXml = MakeProject(0, {});
    WritePmText(block->projectPath, projectXml);
    WritePmText(block->workFolder, QFileInfo(projectXml).dir().absolutePath() + QStringLiteral("/.."));
    platform::StoreSharedFlag(block->projectFlag, 1);
    const auto waitCleared = [](int32_t& flag) {
        while (platform::LoadSharedFlag(flag) != 0)
            QThread::usleep(200);
    };
    waitCleared(block->projectFlag);
    // LOOP off and OUT far away, so the clock runs straight.
    WritePmText(block->commandCells[0], u"0");
    block->commandKind = kPmCommandLoop;
    platform::StoreSharedFlag(block->commandFlag, 1);
    waitCleared(block->commandFlag);
    const auto edge = [block]() {
        const int32_t before = platform::LoadSharedFlag(block->playTime);
        int32_t now = before;
        while (now == before)
            now = platform::LoadSharedFlag(block->playTime);
        return std::make_pair(now, Clock::now());
    };
    for (auto _ : state) {
        WritePmText(block->commandCells[0], u"0");
        block->commandKind = kPmCommandSeek;
        platform::StoreSharedFlag(block->commandFlag, 1);
        waitCleared(block->commandFlag);
        block->commandKind = kPmCommandPlay;
        platform::StoreSharedFlag(block->commandFlag, 1);
        waitCleared(block->commandFlag);
        const auto [startTime, startWall] = edge();
        QThread::sleep(60);
        const auto [endTime, endWall] = edge();
        const double clockMs = (endTime - startTime) * 10.0;
        const double wallMs = std::chrono::duration<double, std::milli>(endWall - startWall).count();
        state.counters["drift_ms"] = clockMs - wallMs;
        state.counters["wall_s"] = wallMs / 1000.0;
    }
    block->commandKind = kPmCommandQuit;
    platform::StoreSharedFlag(block->commandFlag, 1);
    viewer.waitForFinished(5000);
}
BENCHMARK(BM_PlayClockDrift60s)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
