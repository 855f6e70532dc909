// The editor's start: from the moment the program is started to its main window shown with the
// demo project open (the window's title names the project), beside a bare Qt window (a QWidget
// program made for this benchmark) in the same run. Both run in a virtual display of the
// benchmark's own (Xvfb), with a settings file, work folder, registry store and instance names of
// their own. The figure is the elapsed time; frame_ms is the time until the main window first
// showed (the editor shows it before it opens the project); cpu_ms is the CPU time of the
// started program and of the programs it started (the editor starts Luxviewer for the project)
// until the window showed. The CPU column is the benchmark's own.
// At the end the medians and their ratio are printed.

#include "core/boot_param.h"
#include "core/pm_param_block.h"
#include "platform/mem_mapped.h"
#include "platform/single_instance.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWindowTimeoutMs = 60000;
const char* const kBareTitle = "Bare Qt window";
// The main frame's title once the demo project is open, and before.
const char* const kEditorTitle = "Kaleidra Pro - Demo";
const char* const kFramePrefix = "Kaleidra Pro";

bool RunTool(const QString& program, const QStringList& arguments, QString* output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        std::fprintf(stderr, "bench_startup: %s failed\n", qPrintable(program));
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    return true;
}

// An X server of the benchmark's own, and a connection to it that sees every top-level window
// mapped and every title set.
class CVirtualDisplay {
public:
    CVirtualDisplay()
    {
        m_server.start(QStringLiteral(KALEIDRA_XVFB),
            { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                QStringLiteral("1920x1080x24") });
        if (!m_server.waitForStarted(10000))
            return;
        QByteArray number;
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        while (!number.contains('\n') && Clock::now() < deadline) {
            m_server.waitForReadyRead(200);
            number += m_server.readAllStandardOutput();
        }
        if (!number.contains('\n'))
            return;
        m_name = ":" + number.trimmed().toStdString();
        m_connection = xcb_connect(m_name.c_str(), nullptr);
        if (xcb_connection_has_error(m_connection))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        m_pidAtom = Atom("_NET_WM_PID");
        m_nameAtom = Atom("_NET_WM_NAME");
        m_utf8Atom = Atom("UTF8_STRING");
        xcb_flush(m_connection);
        m_ready = true;
    }
    ~CVirtualDisplay()
    {
        if (m_connection)
            xcb_disconnect(m_connection);
        m_server.terminate();
        if (!m_server.waitForFinished(5000))
            m_server.kill();
        m_server.waitForFinished(5000);
    }

    bool IsReady() const { return m_ready; }
    const std::string& Name() const { return m_name; }

    // Drops what the server told so far.
    void Drain()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
            std::free(event);
    }

    // Waits until a top-level window of the process is mapped with the title; false when the
    // time ran out or the process ended first. `firstShown` is when the first of its windows
    // whose title begins with `prefix` was mapped.
    bool WaitForWindow(pid_t pid,
        const std::string& title,
        const std::string& prefix,
        Clock::time_point* firstShown,
        int timeoutMs)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::vector<xcb_window_t> mapped; // top-level windows of the process
        while (Clock::now() < deadline) {
            xcb_generic_event_t* event = xcb_poll_for_event(m_connection);
            if (!event) {
                if (xcb_connection_has_error(m_connection))
                    return false;
                int status = 0;
                if (::waitpid(pid, &status, WNOHANG) == pid)
                    return false;
                pollfd wait { xcb_get_file_descriptor(m_connection), POLLIN, 0 };
                ::poll(&wait, 1, 5);
                continue;
            }
            const uint8_t kind = event->response_type & 0x7f;
            xcb_window_t changed = XCB_WINDOW_NONE;
            if (kind == XCB_MAP_NOTIFY) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (map->event == m_root && PidOf(map->window) == uint32_t(pid)) {
                    if (*firstShown == Clock::time_point() && TitleOf(map->window).rfind(prefix, 0) == 0)
                        *firstShown = Clock::now();
                    // Titles set after the map are seen too.
                    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
                    xcb_change_window_attributes(m_connection, map->window, XCB_CW_EVENT_MASK, &mask);
                    mapped.push_back(map->window);
                    changed = map->window;
                }
            } else if (kind == XCB_PROPERTY_NOTIFY) {
                changed = reinterpret_cast<xcb_property_notify_event_t*>(event)->window;
            }
            std::free(event);
            if (changed != XCB_WINDOW_NONE && std::find(mapped.begin(), mapped.end(), changed) != mapped.end()
                && TitleOf(changed) == title)
                return true;
        }
        return false;
    }

private:
    xcb_atom_t Atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    }

    QByteArray Property(xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
    {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, property, type, 0, 1024), nullptr);
        QByteArray value;
        if (reply)
            value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                xcb_get_property_value_length(reply));
        std::free(reply);
        return value;
    }

    uint32_t PidOf(xcb_window_t window)
    {
        const QByteArray value = Property(window, m_pidAtom, XCB_ATOM_CARDINAL);
        uint32_t pid = 0;
        if (value.size() == sizeof pid)
            std::memcpy(&pid, value.constData(), sizeof pid);
        return pid;
    }

    std::string TitleOf(xcb_window_t window)
    {
        return Property(window, m_nameAtom, m_utf8Atom).toStdString();
    }

    QProcess m_server;
    std::string m_name;
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
    xcb_atom_t m_nameAtom = XCB_ATOM_NONE;
    xcb_atom_t m_utf8Atom = XCB_ATOM_NONE;
    bool m_ready = false;
};

// The CPU time, in ms, of the process and of every process below it that still runs.
double TreeCpuMilliseconds(pid_t pid)
{
    double total = 0;
    const QString base = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& task : QDir(base).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile schedstat(base + u'/' + task + QStringLiteral("/schedstat"));
        if (schedstat.open(QIODevice::ReadOnly))
            total += schedstat.readAll().split(' ').value(0).toDouble() / 1e6;
        QFile children(base + u'/' + task + QStringLiteral("/children"));
        if (children.open(QIODevice::ReadOnly))
            for (const QByteArray& child : children.readAll().split(' '))
                if (const int childPid = child.trimmed().toInt(); childPid > 0)
                    total += TreeCpuMilliseconds(pid_t(childPid));
    }
    return total;
}

// Everything the benchmark's programs need, made once: the display, the demo project, the
// folders and the environment.
class CStartupFixture {
public:
    static CStartupFixture& Get()
    {
        static CStartupFixture fixture;
        return fixture;
    }

    bool IsReady() const { return m_ready; }
    CVirtualDisplay& Display() { return *m_display; }
    const QString& DemoProject() const { return m_project; }

    // Starts the program with the benchmark's environment.
    pid_t Start(const QString& program, const QStringList& arguments)
    {
        std::vector<QByteArray> argumentBytes { program.toLocal8Bit() };
        for (const QString& argument : arguments)
            argumentBytes.push_back(argument.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& argument : argumentBytes)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (QByteArray& entry : m_environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        pid_t pid = -1;
        if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
            return -1;
        return pid;
    }

    // Ends the program at once (the editor would ask before it closes) and waits until it and
    // every program it started have ended: those left behind come to the benchmark to be reaped.
    static void End(pid_t pid)
    {
        const std::vector<pid_t> started = Descendants(pid);
        ::kill(pid, SIGKILL);
        Reap(pid);
        for (const pid_t child : started)
            Reap(child);
    }

private:
    static std::vector<pid_t> Descendants(pid_t pid)
    {
        std::vector<pid_t> found;
        const QString base = QStringLiteral("/proc/%1/task").arg(pid);
        for (const QString& task : QDir(base).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile children(base + u'/' + task + QStringLiteral("/children"));
            if (children.open(QIODevice::ReadOnly))
                for (const QByteArray& child : children.readAll().split(' '))
                    if (const int childPid = child.trimmed().toInt(); childPid > 0) {
                        found.push_back(pid_t(childPid));
                        for (const pid_t below : Descendants(pid_t(childPid)))
                            found.push_back(below);
                    }
        }
        return found;
    }

    // Waits for the process to end and reaps it; one that is no child of the benchmark (yet) is
    // waited for until it is (Luxviewer ends when its editor has gone). Ended by force after 10 s.
    static void Reap(pid_t pid)
    {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        bool forced = false;
        for (;;) {
            int status = 0;
            const pid_t ended = ::waitpid(pid, &status, WNOHANG);
            if (ended == pid)
                return;
            // Not a child: gone already, or still the child of a program that runs.
            if (ended < 0 && errno == ECHILD && ::kill(pid, 0) != 0)
                return;
            if (!forced && Clock::now() > deadline) {
                ::kill(pid, SIGKILL);
                forced = true;
            }
            ::usleep(10000);
        }
    }

    CStartupFixture()
    {
        // Luxviewer outlives the editor for a moment: it comes to the benchmark to be reaped.
        ::prctl(PR_SET_CHILD_SUBREAPER, 1);
        if (!m_temp.isValid())
            return;
        m_display = std::make_unique<CVirtualDisplay>();
        if (!m_display->IsReady()) {
            std::fprintf(stderr, "bench_startup: the virtual display did not start\n");
            return;
        }
        m_ready = MakeDemo() && MakeEnvironment();
    }

    ~CStartupFixture()
    {
        // The shared blocks and the lock file the ended editors left behind: the blocks, mapped
        // once more by their last holder, are removed with it.
        const QString suffix = InstanceSuffix();
        CMemMapped bootBlock;
        bootBlock.Create(sizeof(BootParamBlock), QString::fromUtf16(kBootParamBlockName) + suffix);
        CMemMapped viewerBlock;
        viewerBlock.Create(sizeof(PmParamBlock), QString::fromUtf16(kPmParamBlockName) + suffix);
        QFile::remove(platform::CSingleInstance::LockFilePath(QStringLiteral("KaleidraMutex") + suffix));
    }

    static QString InstanceSuffix() { return QStringLiteral("-bench-%1").arg(::getpid()); }

    QString Folder(const QString& name) const
    {
        const QString path = m_temp.path() + u'/' + name;
        QDir().mkpath(path);
        return path;
    }

    // The demo show of scripts/demo: its media made by FFmpeg, the project by the demo tool.
    bool MakeDemo()
    {
        const QString demo = Folder(QStringLiteral("Documents/Kaleidra/Demo"));
        const QString media = Folder(QStringLiteral("Documents/Kaleidra/Demo/media"));
        const QString ffmpeg = QStringLiteral(KALEIDRA_FFMPEG_PATH);
        const QStringList quiet = { QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
            QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-y") };
        if (!RunTool(ffmpeg,
                quiet
                    + QStringList { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                        QStringLiteral("color=c=0x182838:s=1280x720:r=25:d=10"), QStringLiteral("-vf"),
                        QStringLiteral("drawbox=x='mod(t*1280,1280)':y=560:w=80:h=60:color=0x40c0ff:t=fill"),
                        QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-pix_fmt"),
                        QStringLiteral("yuv420p"), QStringLiteral("-g"), QStringLiteral("25"),
                        media + QStringLiteral("/clock.mp4") })
            || !RunTool(ffmpeg,
                quiet
                    + QStringList { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                        QStringLiteral("sine=frequency=440:sample_rate=44100:duration=2"),
                        QStringLiteral("-c:a"), QStringLiteral("pcm_s16le"),
                        media + QStringLiteral("/tone.wav") }))
            return false;
        return RunTool(QStringLiteral(KALEIDRA_DEMO_TOOL), { demo }, &m_project) && QFile::exists(m_project);
    }

    bool MakeEnvironment()
    {
        // The delivered settings, with a work folder of the benchmark's own.
        QFile delivered(QStringLiteral(KALEIDRA_PROGRAM_FOLDER) + QStringLiteral("/Kaleidra.ini"));
        if (!delivered.open(QIODevice::ReadOnly))
            return false;
        QString settings = QString::fromUtf8(delivered.readAll());
        settings.replace(
            QRegularExpression(QStringLiteral("^WorkFolder=.*$"), QRegularExpression::MultilineOption),
            QStringLiteral("WorkFolder=") + Folder(QStringLiteral("work")));
        QFile written(
            Folder(QStringLiteral("common/Oxtrel/Kaleidra/SETTING")) + QStringLiteral("/Kaleidra.ini"));
        if (!written.open(QIODevice::WriteOnly) || written.write(settings.toUtf8()) < 0)
            return false;
        written.close();

        const QString runtime = Folder(QStringLiteral("runtime"));
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const std::map<QString, QString> own = {
            { QStringLiteral("DISPLAY"), QString::fromStdString(m_display->Name()) },
            { QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb") },
            { QStringLiteral("KALEIDRA_INSTANCE_SUFFIX"), InstanceSuffix() },
            { QStringLiteral("KALEIDRA_COMMON_APPDATA"), Folder(QStringLiteral("common")) },
            { QStringLiteral("KALEIDRA_DOCUMENTS_DIR"), Folder(QStringLiteral("Documents")) },
            { QStringLiteral("XDG_CONFIG_HOME"), Folder(QStringLiteral("config")) },
            { QStringLiteral("KALEIDRA_REGISTRY_HKCU"), m_temp.path() + QStringLiteral("/hkcu.ini") },
            { QStringLiteral("KALEIDRA_REGISTRY_HKLM"), m_temp.path() + QStringLiteral("/hklm.ini") },
            { QStringLiteral("XDG_RUNTIME_DIR"), runtime },
            { QStringLiteral("TMPDIR"), Folder(QStringLiteral("tmp")) },
        };
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("KALEIDRA_PROGRAM_DIR"));
        for (const auto& [name, value] : own)
            environment.insert(name, value);
        for (const QString& entry : environment.toStringList())
            m_environment.push_back(entry.toLocal8Bit());
        return true;
    }

    QTemporaryDir m_temp;
    std::unique_ptr<CVirtualDisplay> m_display;
    QString m_project;
    std::vector<QByteArray> m_environment;
    bool m_ready = false;
};

std::map<std::string, std::vector<double>> g_samples; // elapsed ms by window title

// Starts the program once per iteration and times it until its window with the title shows
// (frame_ms: until the first of its windows whose title begins with `prefix` showed); the
// program is ended outside the timing. One start before the timing warms the caches (and lets
// the editor's first start lay down its settings files).
void MeasureStart(benchmark::State& state,
    const QString& program,
    const QStringList& arguments,
    const std::string& title,
    const std::string& prefix)
{
    CStartupFixture& fixture = CStartupFixture::Get();
    if (!fixture.IsReady()) {
        state.SkipWithError("the virtual display or the demo project could not be made");
        return;
    }
    auto startOnce = [&](double* elapsedMs, double* frameMs, double* cpuMs) {
        fixture.Display().Drain();
        Clock::time_point frame;
        const auto started = Clock::now();
        const pid_t pid = fixture.Start(program, arguments);
        const bool shown
            = pid > 0 && fixture.Display().WaitForWindow(pid, title, prefix, &frame, kWindowTimeoutMs);
        *elapsedMs = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
        *frameMs = std::chrono::duration<double, std::milli>(frame - started).count();
        *cpuMs = shown ? TreeCpuMilliseconds(pid) : 0;
        if (pid > 0)
            CStartupFixture::End(pid);
        return shown;
    };
    double elapsed = 0, frame = 0, cpu = 0;
    static std::map<std::string, bool> warmed;
    if (!warmed[title]) {
        warmed[title] = true;
        if (!startOnce(&elapsed, &frame, &cpu)) {
            state.SkipWithError("the window did not show");
            return;
        }
    }
    double frameTotal = 0, cpuTotal = 0;
    for (auto _ : state) {
        if (!startOnce(&elapsed, &frame, &cpu)) {
            state.SkipWithError("the window did not show");
            return;
        }
        state.SetIterationTime(elapsed / 1e3);
        g_samples[title].push_back(elapsed);
        frameTotal += frame;
        cpuTotal += cpu;
    }
    state.counters["frame_ms"] = benchmark::Counter(frameTotal, benchmark::Counter::kAvgIterations);
    state.counters["cpu_ms"] = benchmark::Counter(cpuTotal, benchmark::Counter::kAvgIterations);
}

void BM_StartEditorWithDemo(benchmark::State& state)
{
    MeasureStart(state, QStringLiteral(KALEIDRA_EDITOR_PROGRAM), { CStartupFixture::Get().DemoProject() },
        kEditorTitle, kFramePrefix);
}

void BM_StartBareQtWindow(benchmark::State& state)
{
    MeasureStart(state, QStringLiteral(KALEIDRA_BARE_WINDOW_PROGRAM), {}, kBareTitle, kBareTitle);
}

// Each figure is the median of 7 starts, the editor's and the bare window's side by side.
void Median7(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(7)
        ->ReportAggregatesOnly(true);
}

BENCHMARK(BM_StartEditorWithDemo)->Apply(Median7);
BENCHMARK(BM_StartBareQtWindow)->Apply(Median7);

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const std::vector<double>& editorSamples = g_samples[kEditorTitle];
    const std::vector<double>& bareSamples = g_samples[kBareTitle];
    if (!editorSamples.empty() && !bareSamples.empty()) {
        const double editor = Median(editorSamples);
        const double bare = Median(bareSamples);
        std::printf(
            "start to window, medians: editor with the demo %.1f ms, bare Qt window %.1f ms, ratio %.2f\n",
            editor, bare, editor / bare);
    }
    return 0;
}
