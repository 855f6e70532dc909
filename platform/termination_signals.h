#pragma once

#include <QObject>

class QSocketNotifier;

namespace platform {

// Turns SIGTERM and SIGHUP (a session logout, a service stop) into a Qt signal on the GUI
// thread, so that the program can close as its window's close does instead of dying at once. The
// handler only writes the signal's number to a pipe; a socket notifier reads it in the event
// loop. One object per process; the default handling comes back when it goes.
class CTerminationSignals final : public QObject {
    Q_OBJECT
public:
    explicit CTerminationSignals(QObject* parent = nullptr);
    ~CTerminationSignals() override;

    // False when the pipe or the handlers could not be set up (the signals then end the
    // process as before).
    bool IsActive() const { return m_notifier != nullptr; }

signals:
    void TerminationRequested(int signalNumber);

private:
    void OnReadable();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace platform
