#pragma once

#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <cstdint>

// The built KaleidraRemote in the virtual display, its server on a free port of 127.0.0.1, used
// as a user uses it: its buttons clicked and a time typed into its current-time field, through
// the display's own pointer and keyboard (xdotool).
class CRemoteProgram {
public:
    CRemoteProgram() = default;
    ~CRemoteProgram();
    CRemoteProgram(const CRemoteProgram&) = delete;
    CRemoteProgram& operator=(const CRemoteProgram&) = delete;

    // Starts the program and waits until its server listens and its window is shown.
    bool Start();
    uint16_t Port() const { return m_port; }
    // Waits until the remote shows a play time it was given by an editor. Until then it knows
    // none and a START it sends ends at once (the play time of 0 is over), so a test that
    // clicks START before would see the remote's next click start again instead of pausing.
    bool WaitUntilPlayTimeShown(int timeoutMs);
    // The buttons of its window.
    enum class Button { Top, Loop, StartPause };
    // Clicks the button with the display's pointer.
    bool Click(Button button);
    // Clicks into the current-time field, types the time ("0:00:07:10") and presses Enter.
    bool TypeCurrentTime(const QString& time);
    QString Diagnostics();

private:
    bool Focus();
    // A point of the window's form, on the display.
    QPoint OnDisplay(QPoint formPoint) const;
    // The play-time field as the display shows it, the window raised above the others.
    QImage PlayTimeField();

    QProcess m_process;
    uint16_t m_port = 0;
    QString m_window;
    QRect m_geometry;
    // The play-time field as shown before any editor gave a time.
    QImage m_noPlayTime;
};
