#include "core/long_work.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <atomic>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Nesting depth of the waits (the window thread's alone).
int g_runningWorks = 0;

struct PendingCall {
    QPointer<QObject> context;
    std::function<void()> call;
};
std::vector<PendingCall> g_afterWork;

void Queue(QObject* context, std::function<void()> call)
{
    QMetaObject::invokeMethod(context, std::move(call), Qt::QueuedConnection);
}

} // namespace

void RunOffWindowThread(const std::function<void()>& work)
{
    QEventLoop loop;
    std::atomic<bool> done { false };
    ++g_runningWorks;
    std::thread worker([&] {
        work();
        done = true;
        // Wakes the loop below; a quit posted before it runs is still seen.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    constexpr QEventLoop::ProcessEventsFlags kWaitFlags = QEventLoop::ExcludeUserInputEvents
        | QEventLoop::ExcludeSocketNotifiers | QEventLoop::X11ExcludeTimers;
    while (!done) {
        // A loop that returns at once (the application is quitting) leaves the rest to join().
        if (loop.exec(kWaitFlags) < 0)
            break;
    }
    worker.join();
    if (--g_runningWorks == 0) {
        for (PendingCall& pending : std::exchange(g_afterWork, {})) {
            if (pending.context)
                Queue(pending.context, std::move(pending.call));
        }
    }
}

bool IsLongWorkRunning()
{
    return g_runningWorks > 0;
}

void AfterLongWork(QObject* context, std::function<void()> call)
{
    if (!context)
        return;
    if (IsLongWorkRunning())
        g_afterWork.push_back({ context, std::move(call) });
    else
        Queue(context, std::move(call));
}
