#include "itempanel/frame_images.h"

#include "core/dialog_services.h"
#include "platform/picture_files.h"

#include <QPainter>

void CFramePieces::Load(const QString& skinFolder)
{
    for (int piece = 0; piece < kCount; ++piece) {
        const QString path
            = dialog_services::SkinImagePath(skinFolder, dialog_services::Skin().GetFrameImage(piece));
        m_pieces[size_t(piece)] = platform::DecodedPictureFile(path);
    }
}

bool CFramePieces::IsComplete() const
{
    for (const QImage& piece : m_pieces) {
        if (piece.isNull())
            return false;
    }
    return true;
}

void CFramePieces::Draw(
    QPainter& painter, const QRect& client, int top, std::optional<QColor> rightLine) const
{
    if (!IsComplete())
        return;
    // Nearest-neighbour stretching keeps the pieces' edges sharp.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const int left = client.left() + 2;
    const int width = client.width();
    const int bottom = client.top() + client.height();
    const QImage& leftTop = At(LeftTop);
    const QImage& rightTop = At(RightTop);
    const QImage& leftUnder = At(LeftUnder);
    const QImage& rightUnder = At(RightUnder);
    const QImage& under = At(Under);
    const int rightX = width - 2 - rightTop.width();
    painter.drawImage(QPoint(left, top), leftTop);
    painter.drawImage(QPoint(rightX, top), rightTop);
    painter.drawImage(QPoint(left, bottom - 2 - leftUnder.height()), leftUnder);
    painter.drawImage(QPoint(width - 2 - rightUnder.width(), bottom - 2 - rightUnder.height()), rightUnder);
    painter.drawImage(
        QRect(left + leftTop.width(), top, rightX - left - leftTop.width(), At(Top).height()), At(Top));
    const int sideTop = top + leftTop.height();
    painter.drawImage(
        QRect(left, sideTop, At(Left).width(), bottom - 2 - leftUnder.height() - sideTop), At(Left));
    const int rightTopBottom = top + rightTop.height();
    const int rightUnderTop = bottom - 2 - rightUnder.height();
    if (rightLine) {
        painter.setPen(*rightLine);
        painter.drawLine(width - 3, rightTopBottom, width - 3, rightUnderTop);
    } else {
        const QImage& right = At(Right);
        painter.drawImage(
            QRect(width - 2 - right.width(), rightTopBottom, right.width(), rightUnderTop - rightTopBottom),
            right);
    }
    const int underLeft = left + leftUnder.width();
    painter.drawImage(QRect(underLeft, bottom - 2 - under.height(),
                          width - 2 - rightUnder.width() - underLeft, under.height()),
        under);
}
