#include "core/splash_wnd.h"

#include "core/constant_tables.h"
#include "core/product_picture.h"
#include "core/skin_ini.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

CSplashWnd::CSplashWnd(QWidget* parent, const QString& pictureName, int kind)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_kind(kind)
    , m_pictureName(pictureName)
{
    const CSkinIni* skin = ApplicationSkin();
    QString name = pictureName.isEmpty() ? QString::fromUtf16(SplashImagePath) : pictureName;
    m_picture = skin ? skin->LoadImage(name) : QImage();
    if (m_picture.isNull())
        m_picture = BuiltInProductPicture();
    setAttribute(Qt::WA_DeleteOnClose, false);
    setCursor(Qt::ArrowCursor);
    resize(m_picture.size());

    // Centred on the screen the parent is on (the primary one when it has none yet).
    const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [] { HideSplashScreen(); });
    m_timer->start(kShowMs);
}

CSplashWnd::~CSplashWnd()
{
    if (s_current == this)
        s_current = nullptr;
}

void CSplashWnd::ShowSplashScreen(QWidget* parent, const QString& pictureName, int kind)
{
    if (!s_enabled || s_current)
        return;
    s_current = new CSplashWnd(parent, pictureName, kind);
    s_current->show();
    s_current->repaint();
}

void CSplashWnd::HideSplashScreen()
{
    if (!s_current)
        return;
    s_current->hide();
    if (QWidget* parent = s_current->parentWidget())
        parent->update();
}

void CSplashWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_picture);
}
