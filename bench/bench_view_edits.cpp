// The view's item edits at scale: 1,000 and 10,000 items across 16 faces pasted, moved by a drag
// and deleted, and each undone, through the timeline of a real view on a project folder in a
// temporary directory. A stand-in viewer takes every request at once. Each figure is the one
// action (the release of the drag, the paste, the deletion, one Undo), with the files written.

#include "core/main_frame.h"
#include "core/pm_param_block.h"
#include "platform/shared_flag.h"
#include "project/project_folder_store.h"
#include "timeline/time_line.h"
#include "timeline/timeline_messages.h"
#include "view/folder_tree.h"
#include "view/kaleidra_doc.h"
#include "view/kaleidra_view.h"
#include "view/view_commands.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <benchmark/benchmark.h>
#include <memory>
#include <thread>

namespace {

constexpr int kFaces = 16;
constexpr int32_t kSpacing = 200; // between the starts of neighbouring items on a face
constexpr int32_t kPlayTime = 100;
constexpr int32_t kMoveBy = 100; // into the gap behind each item

// The start-up choice is cancelled; nothing else is asked for.
class CNoHandlers final : public CViewCommandHandlers {
public:
    int RunStartupDialog(const QStringList&, QString&) override { return 0; }
    bool NewProject() override { return false; }
    bool OpenProject(const QString*) override { return false; }
    bool OpenProjectFile(const QString&) override { return false; }
    bool SaveProject() override { return false; }
    void Undo() override { }
    void Redo() override { }
    void RecordFaceCorners(const FaceCornerRecord&) override { }
};

// Takes every command, data notice, query and project flag as soon as it is raised.
class CStandInViewer {
public:
    explicit CStandInViewer(PmParamBlock& block)
        : m_thread([&block](std::stop_token stop) {
            while (!stop.stop_requested()) {
                for (int32_t* flag :
                    { &block.commandFlag, &block.dataFlag, &block.queryFlag, &block.projectFlag })
                    if (platform::LoadSharedFlag(*flag) != 0)
                        platform::StoreSharedFlag(*flag, 0);
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            }
        })
    {
    }

private:
    std::jthread m_thread;
};

// A view with a project of 16 faces in a temporary folder, the viewer running.
class CShow {
public:
    explicit CShow(int items)
    {
        const QByteArray root = m_temp.path().toUtf8();
        qputenv("KALEIDRA_COMMON_APPDATA", root + "/common");
        qputenv("KALEIDRA_DOCUMENTS_DIR", root + "/docs");
        qputenv("KALEIDRA_REGISTRY_HKCU", root + "/hkcu.ini");
        qputenv(
            "KALEIDRA_INSTANCE_SUFFIX", "_bench_" + QByteArray::number(QCoreApplication::applicationPid()));
        qputenv("KALEIDRA_PROGRAM_DIR", KALEIDRA_BIN_DIR);
        const QString work = m_temp.filePath(QStringLiteral("work"));
        QDir().mkpath(work);
        QDir().mkpath(m_temp.filePath(QStringLiteral("common/Oxtrel/Kaleidra/SETTING")));
        QFile settings(m_temp.filePath(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Kaleidra.ini")));
        if (!settings.open(QIODevice::WriteOnly)
            || settings.write(
                   QStringLiteral("[SYSTEM]\nWorkFolder=%1\nImageDefaultTime=500\n[VIEWER]\nViewerMode=1\n")
                       .arg(work)
                       .toUtf8())
                < 0)
            return;
        settings.close();

        m_document = std::make_unique<CKaleidraDoc>();
        m_frame = std::make_unique<CMainFrame>(nullptr);
        m_view = new CKaleidraView(*m_frame, *m_document);
        m_frame->SetActiveView(m_view);
        m_view->SetCommandHandlers(&m_handlers);
        if (!m_view->OnInitialUpdate())
            return;
        QCoreApplication::processEvents();
        m_viewer = std::make_unique<CStandInViewer>(*m_view->Channel()->Block());
        m_view->Viewer().SetProgram(QStringLiteral("/bin/sh"),
            { QStringLiteral("-c"), QStringLiteral("exec sleep 3600 >/dev/null 2>&1") });
        if (!m_view->StartViewer())
            return;
        m_view->EnableControls(true);
        // The window is never shown: the timeline gets its size here.
        m_view->resize(1600, 860);
        m_view->RecalcLayout();

        const QString xml = work + QStringLiteral("/Show/Show.xml");
        CProjectFolderStore creator;
        const int32_t length = int32_t(items / kFaces + 2) * kSpacing;
        if (!MakeFolderPath(work + QStringLiteral("/Show/Channel_1"))
            || !creator.CreateProject(xml, work, length) || !m_view->LoadProject(xml, work))
            return;
        m_document->ProjectOpen = 1;
        m_document->SetProjectFilePath(xml);
        CTimeLine& timeLine = TimeLine();
        timeLine.SetProjectOpen(true);
        for (int face = 0; face < kFaces; ++face)
            timeLine.AddFace();
        // The playhead out of the way of the drag's snapping.
        timeLine.SetPlayPosition(length);

        // The clipboard: `items` items spread over the faces, none of them in the timeline yet.
        for (int index = 0; index < items; ++index) {
            tagTL_FACE_ITEM_DATA item;
            item.Channel = 1;
            item.FaceNo = 1 + index % kFaces;
            item.Start = (index / kFaces) * kSpacing;
            item.PlayTime = kPlayTime;
            item.Mode = tagTL_FACE_ITEM_DATA::MODE_IMAGE;
            timeLine.AddToSelection(item);
        }
        m_ready = timeLine.CopySelectedItems() == items;
        timeLine.ClearSelection();
        m_items = items;
    }
    ~CShow()
    {
        if (m_view)
            m_view->CloseViewer();
        m_viewer.reset();
        m_frame.reset();
        m_document.reset();
    }
    bool IsReady() const { return m_ready; }
    CTimeLine& TimeLine() { return *m_view->TimeLine(); }

    void Paste() { TimeLine().PasteItems(1, 0); }
    void SelectAll()
    {
        TimeLine().ClearSelection();
        TimeLine().SelectItemsInRange(1, 0, 0, TimeLine().ProjectLength());
    }
    // Grabs the first item of face 1 and releases it kMoveBy later on the same face.
    bool Move()
    {
        if (!m_grab)
            m_grab = FindGrab();
        if (!m_grab)
            return false;
        return TimeLine().CommitItemDrag(
                   timeline::TL_MOUSE_ITEM_MOVE, m_grab->first, m_grab->second, 0, TlItemRef { 1, 0 })
            == 1;
    }
    void Delete() { TimeLine().DeleteSelectedItems(); }
    void Undo() { m_view->Undo(); }
    size_t ItemCount()
    {
        size_t count = 0;
        for (const tagTL_FACE_DATA& face : TimeLine().Faces())
            count += face.Items.size();
        return count;
    }

private:
    // The point of face 1's row at the time kMoveBy.
    std::optional<std::pair<int, int>> FindGrab()
    {
        for (int y = 0; y < TimeLine().height(); ++y) {
            if (TimeLine().HitTestFaceRow(0, y).faceNo != 1)
                continue;
            for (int x = 0; x < TimeLine().width(); ++x) {
                const TlFaceRowHit hit = TimeLine().HitTestFaceRow(x, y);
                if (hit.faceNo == 1 && hit.time == kMoveBy)
                    return std::pair { x, y };
            }
        }
        return std::nullopt;
    }

    QTemporaryDir m_temp;
    CNoHandlers m_handlers;
    std::unique_ptr<CKaleidraDoc> m_document;
    std::unique_ptr<CMainFrame> m_frame;
    CKaleidraView* m_view = nullptr;
    std::unique_ptr<CStandInViewer> m_viewer;
    std::optional<std::pair<int, int>> m_grab;
    int m_items = 0;
    bool m_ready = false;
};

std::map<int, std::unique_ptr<CShow>> g_shows;

CShow& ShowOf(int items)
{
    std::map<int, std::unique_ptr<CShow>>& shows = g_shows;
    std::unique_ptr<CShow>& show = shows[items];
    if (!show)
        show = std::make_unique<CShow>(items);
    return *show;
}

enum class Action { Paste, Move, Delete };
enum class Timed { Action, Undo };

// One iteration builds the state before the action and times the action or its Undo. Each of
// these operations holds more than the undo list's 100 records, so an operation drops the one
// before it: what the iteration made is deleted again afterwards.
void RunAction(benchmark::State& state, Action action, Timed timed)
{
    const auto items = size_t(state.range(0));
    CShow& show = ShowOf(int(items));
    if (!show.IsReady()) {
        state.SkipWithError("the view or the project could not be set up");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        if (action != Action::Paste) {
            show.Paste();
            show.SelectAll();
        }
        const size_t before = show.ItemCount();
        if (timed == Timed::Action)
            state.ResumeTiming();
        bool done = true;
        if (action == Action::Paste)
            show.Paste();
        else if (action == Action::Move)
            done = show.Move();
        else
            show.Delete();
        if (timed == Timed::Action)
            state.PauseTiming();
        const size_t after = show.ItemCount();
        if (timed == Timed::Undo)
            state.ResumeTiming();
        show.Undo();
        if (timed == Timed::Undo)
            state.PauseTiming();
        const size_t undone = show.ItemCount();
        show.SelectAll();
        show.Delete();
        const size_t expected = action == Action::Delete ? 0 : items;
        if (!done || after != expected || undone != before || show.ItemCount() != 0) {
            state.SkipWithError("the action or its undo did not take every item");
            break;
        }
        state.ResumeTiming();
    }
    state.counters["items"] = double(items);
}

void AtBothSizes(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Arg(1000)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK_CAPTURE(RunAction, Paste, Action::Paste, Timed::Action)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(RunAction, UndoPaste, Action::Paste, Timed::Undo)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(RunAction, MoveAll, Action::Move, Timed::Action)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(RunAction, UndoMove, Action::Move, Timed::Undo)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(RunAction, DeleteAll, Action::Delete, Timed::Action)->Apply(AtBothSizes);
BENCHMARK_CAPTURE(RunAction, UndoDelete, Action::Delete, Timed::Undo)->Apply(AtBothSizes);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The views and their viewers end while the application still runs.
    g_shows.clear();
    return 0;
}
