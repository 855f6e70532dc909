// The timeline painted as the control paints it: a 1920 x 600 view of 16 faces, scrolled to the
// middle of the project, with the delivered skin and a thumbnail for every picture and movie item.
// The projects hold 100 and 10,000 items of 25 s with 5 s between them, so the view shows about
// as many items in both: the paint cost must follow what is on screen, not the project's size.
// PaintTimeline paints everything; PaintPlayheadTick is a play-clock tick, which repaints the
// playhead's two strips over the image the control keeps; PlanDragOfEverything is the work of one
// mouse move while every item of the project is dragged, ReleaseDragOfEverything its release;
// SelectEverything selects every item.

#include "timeline/thumbnail_writer.h"
#include "timeline/timeline_model.h"
#include "timeline/timeline_pictures.h"
#include "timeline/timeline_renderer.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kFaces = 16;
constexpr int kWidth = 1920;
constexpr int kHeight = 600;
constexpr int32_t kItemLength = 2500;
constexpr int32_t kItemPeriod = 3000;

// A project of `items` items over 16 faces, laid out and scrolled to its middle.
struct Scene {
    explicit Scene(int items)
    {
        model.LoadImages(QStringLiteral(KALEIDRA_SKIN_FOLDER));
        model.SetProjectFolder(folder.path());
        model.SetProjectName(QStringLiteral("Show"));
        model.RecalcLayout(TlRect { 0, 0, kWidth, kHeight });
        const int perFace = (items + kFaces - 1) / kFaces;
        model.SetProjectLength(perFace * kItemPeriod);

        QImage picture(160, 90, QImage::Format_RGB32);
        picture.fill(QColor(180, 90, 40));
        const QString sample = folder.filePath(QStringLiteral("sample.jpg"));
        ThumbnailWriter().WriteBitmap(picture, sample);

        const int32_t kinds[] = { tagTL_FACE_ITEM_DATA::MODE_IMAGE, tagTL_FACE_ITEM_DATA::MODE_MOVIE,
            tagTL_FACE_ITEM_DATA::MODE_SOUND, tagTL_FACE_ITEM_DATA::MODE_CAMERA };
        for (int32_t faceNo = 1; faceNo <= kFaces; ++faceNo) {
            tagTL_FACE_DATA face;
            face.Channel = 1;
            face.No = faceNo;
            face.Status = 1;
            face.R = 40 + 12 * faceNo;
            face.G = 200 - 8 * faceNo;
            face.B = 120;
            model.AddFaceRecord(face);
            QDir().mkpath(folder.filePath(QStringLiteral("Show/Channel_1/Face_%1").arg(faceNo)));
        }
        for (int index = 0; index < items; ++index) {
            tagTL_FACE_ITEM_DATA item;
            item.Channel = 1;
            item.FaceNo = index % kFaces + 1;
            item.Start = (index / kFaces) * kItemPeriod;
            item.PlayTime = kItemLength;
            item.Mode = kinds[index % 4];
            item.FilePath = QStringLiteral("/shows/media/clip_%1.mp4").arg(index);
            if (index % 3 == 0) {
                item.InPattern = 2;
                item.InStartTime = item.Start;
                item.InEndTime = item.Start + 300;
                item.OutPattern = 3;
                item.OutEndTime = item.Start + item.PlayTime;
                item.OutStartTime = item.OutEndTime - 400;
            }
            item.FilterNo = index % 5 == 0 ? 2 : 0;
            model.AddItemRecord(item);
            if (item.Mode == tagTL_FACE_ITEM_DATA::MODE_IMAGE
                || item.Mode == tagTL_FACE_ITEM_DATA::MODE_MOVIE)
                QFile::copy(sample, model.ThumbnailPath(item));
            if (index % 7 == 0)
                model.AddToSelection(item);
        }
        model.SetInOutPosition(0, model.ProjectLength());
        model.SetHorzScrollPos(model.GetHorzScrollMax() / 2);
        model.SetVertScrollPos(1);
        model.SetPlayPosition(int32_t(model.Viewport().LeftEdgeTime() + 90 * model.UnitsPerColumn()));
    }

    QTemporaryDir folder;
    CTimeLineModel model;
    CTimeLinePictures pictures;
    CTimeLineRenderer renderer { pictures };
    QImage image { kWidth, kHeight, QImage::Format_ARGB32_Premultiplied };
};

void PaintTimeline(benchmark::State& state)
{
    Scene scene(int(state.range(0)));
    const QRect all(0, 0, kWidth, kHeight);
    for (auto _ : state) {
        QPainter painter(&scene.image);
        scene.renderer.Paint(painter, all, scene.model, scene.model.Viewport(), scene.model.Appearance());
        benchmark::DoNotOptimize(scene.image.constBits());
    }
    state.counters["faces"] = kFaces;
    state.counters["items"] = double(state.range(0));
}
BENCHMARK(PaintTimeline)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

void PaintPlayheadTick(benchmark::State& state)
{
    Scene scene(int(state.range(0)));
    const QRect all(0, 0, kWidth, kHeight);
    QImage rest(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&rest);
        scene.renderer.PaintRest(painter, all, scene.model, scene.model.Viewport(), scene.model.Appearance());
    }
    int32_t time = scene.model.PlayPosition();
    for (auto _ : state) {
        // What the control does for a tick: the old and the new strip, from the kept image.
        const int32_t next = time + 10;
        QPainter painter(&scene.image);
        for (const int32_t at : { time, next }) {
            const QRect strip = CTimeLineRenderer::PlayheadStrip(scene.model.Viewport(), at).intersected(all);
            painter.drawImage(strip, rest, strip);
            scene.model.SetPlayPosition(next);
            scene.renderer.PaintOverlay(
                painter, strip, scene.model, scene.model.Viewport(), scene.model.Appearance());
        }
        time = next;
        benchmark::DoNotOptimize(scene.image.constBits());
    }
}
BENCHMARK(PaintPlayheadTick)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

// A drag of every item of the project along its own face, planned as on every mouse move.
void PlanDragOfEverything(benchmark::State& state)
{
    Scene scene(int(state.range(0)));
    scene.model.ClearSelection();
    for (const tagTL_FACE_DATA& face : scene.model.Faces()) {
        for (const tagTL_FACE_ITEM_DATA& item : face.Items)
            scene.model.AddToSelection(item);
    }
    const tagTL_FACE_ITEM_DATA& grabbed = scene.model.Faces()[1].Items[size_t(state.range(0) / 32)];
    const TlItemRef held { grabbed.FaceNo, grabbed.Start };
    const int64_t x = scene.model.Viewport().TimeToX(grabbed.Start) + 5;
    const int y = 20 + 40 * (1 - scene.model.FirstRow()) + 20; // the grabbed item's row
    int step = 0;
    for (auto _ : state) {
        const TlItemDragPlan plan = scene.model.PlanItemDrag(2, int(x) + step++ % 50, y, 5, held);
        if (!plan.valid)
            state.SkipWithError("the drag found no place");
        benchmark::DoNotOptimize(plan.placements.data());
    }
}
BENCHMARK(PlanDragOfEverything)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A drag of every item along its own face released: planned, then committed item by item, a
// column later and back again in turn (the selection is made again outside the timing).
void ReleaseDragOfEverything(benchmark::State& state)
{
    Scene scene(int(state.range(0)));
    const tagTL_FACE_ITEM_DATA grabbed = scene.model.Faces()[1].Items[size_t(state.range(0) / 32)];
    int32_t start = grabbed.Start;
    for (auto _ : state) {
        state.PauseTiming();
        scene.model.ClearSelection();
        scene.model.SelectItemsInRange(1, 0, 0, scene.model.ProjectLength());
        const int32_t to = start == grabbed.Start ? start + scene.model.UnitsPerColumn() : grabbed.Start;
        state.ResumeTiming();
        const TlItemDragPlan plan
            = scene.model.PlanItemDragTo(2, grabbed.FaceNo, to, { grabbed.FaceNo, start });
        if (!scene.model.CommitItemDrag(plan))
            state.SkipWithError("the drag found no place");
        start = to;
    }
}
BENCHMARK(ReleaseDragOfEverything)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Every item of the project selected at once, as a rubber band over all faces and the whole
// project does, with the items linked to each.
void SelectEverything(benchmark::State& state)
{
    Scene scene(int(state.range(0)));
    for (auto _ : state) {
        scene.model.ClearSelection();
        scene.model.SelectItemsInRange(1, 0, 0, scene.model.ProjectLength());
        if (scene.model.Selection().size() != size_t(state.range(0)))
            state.SkipWithError("not every item was selected");
    }
}
BENCHMARK(SelectEverything)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
