#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <array>
#include <optional>

class QPainter;

// The eight pictures of the skin's window frame (CORNER_LEFT_TOP, CORNER_RIGHT_TOP,
// CORNER_LEFT_UNDER, CORNER_RIGHT_UNDER, CORNER_TOP, CORNER_LEFT, CORNER_RIGHT, CORNER_UNDER) that
// the item panel and the camera dialog draw around their contents.
class CFramePieces {
public:
    enum Piece { LeftTop, RightTop, LeftUnder, RightUnder, Top, Left, Right, Under, kCount };

    // Loads every piece the skin names below the skin folder; a missing file leaves it empty.
    void Load(const QString& skinFolder);
    bool IsComplete() const;
    const QImage& At(Piece piece) const { return m_pieces[piece]; }
    // The size of a piece (0 x 0 when it is missing).
    QSize SizeOf(Piece piece) const { return m_pieces[piece].size(); }

    // Draws the frame in the client rectangle with its top edge at `top`, the corners at their
    // own sizes and the edges stretched between them, each 2 pixels inside the client's sides.
    // The right side is a line of `rightLine` one pixel further in, or without one the CORNER_RIGHT
    // piece. Nothing is drawn unless every piece is there.
    void Draw(QPainter& painter, const QRect& client, int top, std::optional<QColor> rightLine) const;

private:
    std::array<QImage, kCount> m_pieces;
};
