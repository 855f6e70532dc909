#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

class QTimer;

// The picture shown over the main frame while the editor starts; it hides itself after 750 ms.
// One per run: once shown it is only hidden, so that no second splash appears.
class CSplashWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShowMs = 750;

    ~CSplashWnd() override;

    // The splash is shown only while enabled.
    static void EnableSplashScreen(bool enable) { s_enabled = enable; }
    // Shows the splash over the parent (which owns it) when enabled and none exists yet.
    // An empty picture name means the skin's default splash picture. Kind 0 is the editor's.
    static void ShowSplashScreen(QWidget* parent, const QString& pictureName, int kind);
    // Hides the splash and has the main window repaint.
    static void HideSplashScreen();
    static CSplashWnd* Current() { return s_current; }

    const QImage& Picture() const { return m_picture; }
    int Kind() const { return m_kind; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CSplashWnd(QWidget* parent, const QString& pictureName, int kind);

    static inline bool s_enabled = false;
    static inline CSplashWnd* s_current = nullptr;

    int m_kind = 0;
    QString m_pictureName;
    QImage m_picture;
    QTimer* m_timer = nullptr;
};
