#pragma once

#include "controls/controls_export.h"
#include "controls/image_view_geometry.h"
#include "controls/win_color.h"

#include <QImage>
#include <QSize>
#include <QWidget>

class CGdiImage;

// Receives the picture view's selection reports: `message` is UM_IMAGE_SELECTION_DRAG after
// each mouse move that changed the selection, UM_IMAGE_SELECTION_END when the drag ends;
// `size` is the selection's size in image pixels.
class KALEIDRA_CONTROLS_EXPORT CImageSelectionOwner {
public:
    virtual ~CImageSelectionOwner() = default;
    virtual void OnImageSelection(unsigned message, int controlId, QSize size) = 0;
};

// Shows one picture inside a 16:9 frame and lets the user place a rectangular selection on it
// (drag a corner handle to resize, drag inside to move); it can veil the picture with a mask
// (an ellipse outline or a mask image whose alpha cuts the selection) and a grey or sepia
// filter, and accepts one dropped file as its picture. Without a picture it ignores presses.
class KALEIDRA_CONTROLS_EXPORT CGdiImage : public QWidget {
    Q_OBJECT

public:
    explicit CGdiImage(QWidget* parent = nullptr);

    // Places the view in its parent, shows it and fits the frame into it.
    void Create(const QRect& rect, QWidget* parent);

    // Replaces the picture with the file's; a missing file or one that is not a picture leaves
    // the view without a picture. The selection is not touched.
    void LoadImageFile(const QString& path);
    void SetImage(const QImage& image);
    // Replaces the mask image with the file's (none when it is missing).
    void LoadMaskImage(const QString& path);
    // The selection becomes the whole picture area.
    void ResetSelection();
    // The selection for a rectangle in image pixels (ignored without a picture).
    void SetSelection(int x, int y, int width, int height);
    // Corner 0 plus a size in client pixels, kept inside the picture area.
    void SetSelectionSize(int width, int height);
    QPoint GetSelectionPos() const;
    QSize GetSelectionSize() const;

    // The receiver of the selection reports; nullptr (the default) reports to the parent when
    // it is a CImageSelectionOwner.
    void SetOwner(CImageSelectionOwner* owner) { m_owner = owner; }

    // Members owners set directly, then repaint with update(). A picture assigned or cleared
    // here is fitted into the frame when the view next uses it.
    int m_maskMode = 0; // 0 none, 1 ellipse, 2 mask image
    QImage m_picture;
    QImage m_maskImage;
    bool m_showMask = false;
    int m_filterMode = 0; // 1 grey, 2 sepia
    bool m_filterOn = false;
    COLORREF m_backColor = controls::Rgb(101, 101, 101);
    COLORREF m_frameColor = controls::Rgb(43, 43, 43);

    void RefitPicture() const;

    const controls::WinRect& Frame() const { return m_frame; }
    const controls::PictureFit& Fit() const
    {
        EnsureFitted();
        return m_fit;
    }
    const controls::SelectionCorners& Corners() const { return m_corners; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    enum DragMode { DragNone = 0, DragCorner = 1, DragMove = 2 };

    bool HasPicture() const
    {
        EnsureFitted();
        return !m_picture.isNull() && m_fit.HasPicture();
    }
    void EnsureFitted() const
    {
        if (m_picture.cacheKey() != m_fittedKey)
            RefitPicture();
    }
    void DragTo(QPoint point);
    // Ends the drag where the selection is and reports its end.
    void EndDrag();
    void Report(unsigned message);
    QImage ShownPicture() const;

    controls::WinRect m_frame;
    // Derived from the picture and the frame; made again whenever either changes.
    mutable controls::PictureFit m_fit;
    mutable qint64 m_fittedKey = 0;
    controls::SelectionCorners m_corners { QPoint(5, 5), QPoint(5, 5), QPoint(5, 5), QPoint(5, 5) };
    controls::SelectionCorners m_savedCorners {};
    int m_dragMode = DragNone;
    int m_dragCorner = -1;
    QPoint m_dragStart;
    mutable QImage m_scaledPicture; // the picture at its shown size, made once per picture and area
    mutable QImage m_scaledMask; // the mask at the selection's size, made again when either changes
    mutable qint64 m_scaledMaskKey = 0;
    CImageSelectionOwner* m_owner = nullptr;
};
