#pragma once

#include <QObject>
#include <functional>

// Long work of the editor (packing, unpacking, saving a large project) runs on a thread of its
// own, so that the windows stay painted meanwhile.

// Runs `work` on a thread of its own and returns when it is done. Meanwhile the calling (window)
// thread waits in a loop that paints the windows and delivers queued calls, but takes no user
// input, no socket notice and no timer, so that nothing the user or the system asks for starts
// while the work runs. The work must not touch windows.
void RunOffWindowThread(const std::function<void()>& work);

// True while RunOffWindowThread waits for a work.
bool IsLongWorkRunning();

// Runs `call` on the window thread once no long work runs: queued at once when none runs, else
// queued when the running one ends. Nothing runs when the context has gone by then.
void AfterLongWork(QObject* context, std::function<void()> call);
