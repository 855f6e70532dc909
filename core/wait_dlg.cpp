#include "core/wait_dlg.h"

#include "core/long_work.h"
#include "core/message_box.h"
#include "core/product_picture.h"
#include "core/program_data_file.h"
#include "core/skin_ini.h"
#include "platform/dialog_service.h"
#include "platform/paths.h"
#include "platform/picture_files.h"
#include "platform/win_color.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace {

QImage LoadPicture(const QString& folder, const QString& name, const QString& failureText)
{
    const QString path = ProgramDataPath(folder, platform::DataFilePathToLocal(name));
    const QImage picture = platform::DecodedPictureFile(path);
    if (picture.isNull())
        KaleidraMessageBox(failureText + path, platform::MB_OK);
    return picture;
}

} // namespace

CWaitDlg::CWaitDlg(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setModal(false);
    setAttribute(Qt::WA_ShowWithoutActivating);
    resize(kDefaultSize);
}

bool CWaitDlg::LoadImage(const QString& folder, const QString* failureText)
{
    m_folder = folder;
    m_shownPicture = kWaitPicture;
    const QString failure = failureText ? *failureText : QString::fromUtf16(u"画像の読込みに失敗しました。");
    const CSkinIni* skin = ApplicationSkin();
    const CSkinIni defaults;
    const CSkinIni& names = skin ? *skin : defaults;
    m_previewStartPicture = LoadPicture(folder, names.GetImgPreviewstartImage(), failure);
    m_waitPicture = LoadPicture(folder, names.GetImgWaitImage(), failure);

    // Three quarters opaque, the wait picture's size, centred on the desktop, on top.
    setWindowOpacity(kOpacity);
    if (!m_waitPicture.isNull())
        resize(m_waitPicture.size());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    return true;
}

void CWaitDlg::SetShownPicture(int picture)
{
    const int shown = picture == kPreviewStartPicture ? kPreviewStartPicture : kWaitPicture;
    // Another picture is on screen only once it has been painted.
    if (shown != m_shownPicture)
        m_painted = false;
    m_shownPicture = shown;
    update();
}

void CWaitDlg::ShowPainted(int picture)
{
    SetShownPicture(picture);
    if (isVisible() && m_painted)
        return;
    // Only a paint on screen counts, not one into a picture of the hidden window.
    if (!isVisible())
        m_painted = false;
    QEventLoop painted;
    connect(this, &CWaitDlg::Painted, &painted, &QEventLoop::quit);
    QTimer::singleShot(kShowDeadlineMs, &painted, &QEventLoop::quit);
    show();
    // The window system maps the window and asks for its picture in its own time.
    if (!m_painted)
        painted.exec(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
}

void CWaitDlg::RunWork(int picture, const std::function<void()>& work)
{
    ShowPainted(picture);
    RunOffWindowThread(work);
    hide();
}

void CWaitDlg::hideEvent(QHideEvent* event)
{
    m_painted = false;
    QDialog::hideEvent(event);
}

void CWaitDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const CSkinIni* skin = ApplicationSkin();
    const uint32_t background = (skin ? *skin : CSkinIni()).GetColor(CSkinIni::COLOR_BACKGROUND);
    painter.fillRect(rect(), platform::ToQColor(background));
    const QImage& picture = m_shownPicture == kPreviewStartPicture ? m_previewStartPicture : m_waitPicture;
    if (!picture.isNull())
        painter.drawImage(QPoint(0, 0), picture);
    painter.end();
    m_painted = true;
    emit Painted();
}
