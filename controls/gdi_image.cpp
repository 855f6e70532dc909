#include "controls/gdi_image.h"

#include "controls/control_messages.h"
#include "controls/picture_file.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

using namespace controls;

namespace {

const QColor kHandleColour(255, 223, 125);
const QColor kHandleBorderColour(255, 255, 255);
const QColor kOutlineWhite(255, 255, 255);
const QColor kOutlineAmber(247, 187, 4);

// The picture of the file; empty when the file is missing or not a picture.
QImage LoadPictureFile(const QString& path)
{
    QImage picture;
    LoadPictureInto(picture, path);
    return picture;
}

QString FirstDroppedFile(const QMimeData* data)
{
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return QString();
}

} // namespace

CGdiImage::CGdiImage(QWidget* parent)
    : QWidget(parent)
{
    setAcceptDrops(true);
    // Moves without a held button must arrive too: they end a drag whose release went elsewhere.
    setMouseTracking(true);
    m_frame = CalcImageFrame(width(), height());
}

void CGdiImage::Create(const QRect& rect, QWidget* parent)
{
    setParent(parent);
    setGeometry(rect);
    m_frame = CalcImageFrame(rect.width(), rect.height());
    RefitPicture();
    show();
}

void CGdiImage::RefitPicture() const
{
    m_fittedKey = m_picture.cacheKey();
    m_fit
        = m_picture.isNull() ? PictureFit {} : CalcPictureFit(m_frame, m_picture.width(), m_picture.height());
    m_scaledPicture = m_fit.HasPicture()
        ? m_picture
              .scaled(m_fit.shownWidth, m_fit.shownHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
              .convertToFormat(QImage::Format_ARGB32)
        : QImage();
    m_scaledMask = QImage();
}

void CGdiImage::LoadImageFile(const QString& path)
{
    m_picture = LoadPictureFile(path);
    RefitPicture();
    update();
}

void CGdiImage::SetImage(const QImage& image)
{
    m_picture = image.copy();
    RefitPicture();
    update();
}

void CGdiImage::LoadMaskImage(const QString& path)
{
    m_maskImage = LoadPictureFile(path);
    m_scaledMask = QImage();
}

void CGdiImage::ResetSelection()
{
    if (!HasPicture())
        return;
    const WinRect& area = m_fit.area;
    m_corners = { QPoint(area.left, area.top), QPoint(area.right, area.top), QPoint(area.right, area.bottom),
        QPoint(area.left, area.bottom) };
    update();
}

void CGdiImage::SetSelection(int x, int y, int width, int height)
{
    if (!HasPicture())
        return;
    m_corners = SelectionFromImage(m_fit, m_frame, x, y, width, height);
    update();
}

void CGdiImage::SetSelectionSize(int width, int height)
{
    if (!HasPicture())
        return;
    m_corners = SizedSelection(m_corners[0], QSize(width, height), m_fit.area);
    update();
}

QPoint CGdiImage::GetSelectionPos() const
{
    return HasPicture() ? SelectionPosInImage(m_fit, m_frame, m_corners) : QPoint(0, 0);
}

QSize CGdiImage::GetSelectionSize() const
{
    return HasPicture() ? SelectionSizeInImage(m_fit, m_corners) : QSize(0, 0);
}

void CGdiImage::resizeEvent(QResizeEvent*)
{
    m_frame = CalcImageFrame(width(), height());
    RefitPicture();
}

void CGdiImage::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !HasPicture())
        return;
    // A drag still open here lost its release: it ends where it was, and this press counts.
    if (m_dragMode != DragNone)
        EndDrag();
    const QPoint point = event->position().toPoint();
    for (int corner = 0; corner < 4; ++corner) {
        if (HandleRect(m_corners[corner]).Contains(point)) {
            m_dragMode = DragCorner;
            m_dragCorner = corner;
            return;
        }
    }
    const WinRect selection { m_corners[0].x(), m_corners[0].y(), m_corners[2].x(), m_corners[2].y() };
    if (selection.Contains(point)) {
        m_dragMode = DragMove;
        m_dragStart = point;
        m_savedCorners = m_corners;
    }
}

void CGdiImage::DragTo(QPoint point)
{
    if (m_dragMode == DragCorner) {
        m_corners[m_dragCorner] = LimitCorner(m_corners, m_dragCorner, point);
        FitCorner(m_corners, m_dragCorner, m_fit.area);
    } else if (m_dragMode == DragMove) {
        m_corners = MoveSelection(m_savedCorners, point - m_dragStart, m_fit.area);
    }
}

void CGdiImage::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragMode == DragNone)
        return;
    // The release went elsewhere (a window opened meanwhile, say): the drag ends where it was.
    if (!(event->buttons() & Qt::LeftButton)) {
        EndDrag();
        return;
    }
    const SelectionCorners before = m_corners;
    DragTo(event->position().toPoint());
    if (m_corners == before)
        return;
    repaint();
    Report(UM_IMAGE_SELECTION_DRAG);
}

void CGdiImage::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_dragMode == DragNone)
        return;
    DragTo(event->position().toPoint());
    EndDrag();
}

void CGdiImage::EndDrag()
{
    m_dragMode = DragNone;
    m_dragCorner = -1;
    repaint();
    Report(UM_IMAGE_SELECTION_END);
}

void CGdiImage::Report(unsigned message)
{
    CImageSelectionOwner* owner = m_owner ? m_owner : dynamic_cast<CImageSelectionOwner*>(parentWidget());
    if (owner)
        owner->OnImageSelection(message, GDI_IMAGE_CONTROL_ID, GetSelectionSize());
}

void CGdiImage::dragEnterEvent(QDragEnterEvent* event)
{
    if (!FirstDroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CGdiImage::dropEvent(QDropEvent* event)
{
    const QString path = FirstDroppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    LoadImageFile(path);
    event->acceptProposedAction();
}

QImage CGdiImage::ShownPicture() const
{
    QImage shown = m_scaledPicture;
    if (m_filterOn && m_filterMode > 0) {
        for (int y = 0; y < shown.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(shown.scanLine(y));
            for (int x = 0; x < shown.width(); ++x)
                line[x] = FilterPixel(m_filterMode, line[x]);
        }
    }
    if (m_maskMode == 2 && m_showMask && !m_maskImage.isNull()) {
        // The mask's alpha cuts the picture inside the selection; the part of the selection
        // that lies outside the picture is dropped.
        const QRect selection(m_corners[0] - QPoint(m_fit.area.left, m_fit.area.top),
            QSize(m_corners[2].x() - m_corners[0].x(), m_corners[2].y() - m_corners[0].y()));
        const QRect target = selection.intersected(shown.rect());
        if (!selection.isEmpty() && !target.isEmpty()) {
            if (m_scaledMask.size() != selection.size() || m_scaledMaskKey != m_maskImage.cacheKey()) {
                m_scaledMaskKey = m_maskImage.cacheKey();
                m_scaledMask
                    = m_maskImage.scaled(selection.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .convertToFormat(QImage::Format_ARGB32);
            }
            for (int y = target.top(); y <= target.bottom(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(shown.scanLine(y));
                const auto* mask
                    = reinterpret_cast<const QRgb*>(m_scaledMask.constScanLine(y - selection.top()));
                for (int x = target.left(); x <= target.right(); ++x) {
                    const QRgb pixel = line[x];
                    line[x]
                        = qRgba(qRed(pixel), qGreen(pixel), qBlue(pixel), qAlpha(mask[x - selection.left()]));
                }
            }
        }
    }
    return shown;
}

void CGdiImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(m_backColor));
    painter.fillRect(m_frame.ToQRect(), ToQColor(m_frameColor));
    // An empty view has nothing to select: no outline and no handles.
    if (!HasPicture())
        return;
    painter.save();
    painter.setClipRect(m_fit.area.ToQRect());
    painter.drawImage(QPoint(m_fit.area.left, m_fit.area.top), ShownPicture());
    painter.restore();
    const QRect selection(m_corners[0], m_corners[2] - QPoint(1, 1));
    for (const QColor& colour : { kOutlineWhite, kOutlineAmber }) {
        painter.setPen(QPen(colour, 3));
        painter.drawRect(selection);
    }
    for (const QPoint& corner : m_corners) {
        const WinRect handle = HandleRect(corner);
        painter.fillRect(handle.ToQRect().adjusted(-1, -1, 1, 1), kHandleBorderColour);
        painter.fillRect(handle.ToQRect(), kHandleColour);
    }
    if (m_maskMode == 1) {
        painter.setRenderHint(QPainter::Antialiasing);
        for (const QColor& colour : { kOutlineWhite, kOutlineAmber }) {
            painter.setPen(QPen(colour, 3));
            painter.drawEllipse(selection);
        }
    }
}
