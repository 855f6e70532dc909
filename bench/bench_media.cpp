// Frame rendering of a 720p H.264 clip (30 frames a second, 10 s) made with ffmpeg on start.
// The CPU time is the whole process's, as the decoder works on threads of its own; the time and
// the rates are the wall clock's.
#include "project/quicktime_media.h"

#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <random>

namespace {

constexpr int32_t kClipMs = 10000;

const QString& ClipPath()
{
    static QTemporaryDir folder;
    static const QString path = [] {
        const QString file = folder.filePath(QStringLiteral("clip720.mp4"));
        QProcess ffmpeg;
        ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        ffmpeg.start(QStringLiteral(KALEIDRA_FFMPEG_PATH),
            { "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                "testsrc2=s=1280x720:r=30:d=10", "-c:v", "libx264", "-preset", "veryfast", "-pix_fmt",
                "yuv420p", file });
        if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) {
            std::fprintf(stderr, "cannot make the 720p clip with ffmpeg\n");
            std::exit(1);
        }
        return file;
    }();
    return path;
}

// The preview asks for the frame at the playhead on every 10 ms tick: 100 ticks from a start
// time, about 30 distinct frames.
void BM_PreviewTicks10ms(benchmark::State& state)
{
    CQuickTimeMedia media;
    media.Initialize();
    if (!media.OpenMovie(ClipPath())) {
        state.SkipWithError("cannot open the clip");
        return;
    }
    int32_t start = 0;
    for (auto _ : state) {
        for (int tick = 0; tick < 100; ++tick)
            benchmark::DoNotOptimize(media.GetFrameBitmap(start + tick * 10));
        start = (start + 1000) % (kClipMs - 1000);
    }
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_PreviewTicks10ms)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// 100 consecutive distinct frames, one frame step apart.
void BM_ConsecutiveFrames(benchmark::State& state)
{
    CQuickTimeMedia media;
    media.Initialize();
    if (!media.OpenMovie(ClipPath())) {
        state.SkipWithError("cannot open the clip");
        return;
    }
    for (auto _ : state) {
        for (int frame = 0; frame < 100; ++frame)
            benchmark::DoNotOptimize(media.GetFrameBitmap(frame * 1000 / 30 + 1));
    }
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_ConsecutiveFrames)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// A thumbnail or a click on the seek bar: any time, in no order.
void BM_RandomSeek(benchmark::State& state)
{
    CQuickTimeMedia media;
    media.Initialize();
    if (!media.OpenMovie(ClipPath())) {
        state.SkipWithError("cannot open the clip");
        return;
    }
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> time(0, kClipMs - 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(media.GetFrameBitmap(time(random)));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RandomSeek)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// Opening, one frame at half the duration, closing: one thumbnail.
void BM_Thumbnail(benchmark::State& state)
{
    CQuickTimeMedia media;
    media.Initialize();
    for (auto _ : state) {
        if (!media.OpenMovie(ClipPath())) {
            state.SkipWithError("cannot open the clip");
            return;
        }
        benchmark::DoNotOptimize(media.GetFrameBitmap(media.MovieDuration() / 2));
        media.CloseMovie();
    }
}
BENCHMARK(BM_Thumbnail)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

} // namespace

BENCHMARK_MAIN();
