#pragma once

#include <QDialog>
#include <QImage>
#include <QString>
#include <functional>

// The half-transparent picture the view keeps on top while it prepares the viewer (the
// preview-start picture, 0) or while long work runs (the wait picture, 1).
class CWaitDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPreviewStartPicture = 0;
    static constexpr int kWaitPicture = 1;
    static constexpr double kOpacity = 192.0 / 255.0;
    // The size kept when there is no wait picture.
    static constexpr QSize kDefaultSize { 400, 120 };

    explicit CWaitDlg(QWidget* parent = nullptr);

    // Loads both pictures from the folder (the skin's COMMON_IMAGE names) and sets the window
    // up, hidden. A missing picture is reported with the failure text followed by its path
    // (the default text when none is given) and stays empty. True when the window stands.
    bool LoadImage(const QString& folder, const QString* failureText = nullptr);

    // Which picture is shown: kPreviewStartPicture or kWaitPicture.
    int ShownPicture() const { return m_shownPicture; }
    void SetShownPicture(int picture);

    const QImage& PreviewStartPicture() const { return m_previewStartPicture; }
    const QImage& WaitPicture() const { return m_waitPicture; }

    // Shows the picture and returns once the window has been painted on screen (or after
    // kShowDeadlineMs without a window system that shows it); user input waits meanwhile.
    static constexpr int kShowDeadlineMs = 2000;
    void ShowPainted(int picture);
    // Runs long work off the window thread (RunOffWindowThread) with the picture on screen and
    // painted before the work starts; the window is hidden again before this returns, so that a
    // message the caller shows next is not under it.
    void RunWork(int picture, const std::function<void()>& work);

signals:
    // The window has been painted.
    void Painted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool m_painted = false;
    QString m_folder;
    int m_shownPicture = kWaitPicture;
    QImage m_previewStartPicture;
    QImage m_waitPicture;
};
