#pragma once

#include "controls/controls_export.h"
#include "controls/picture_file.h"
#include "controls/win_color.h"

#include <QFont>
#include <QImage>
#include <QSlider>

class CGdiSliderBase;

// Receives a slider's WM_HSCROLL notifications: only what the user did, never a value set by
// code. The code is one of controls::TrackBarCode, the position the slider's position after it.
class KALEIDRA_CONTROLS_EXPORT CSliderOwner {
public:
    virtual ~CSliderOwner() = default;
    virtual void OnSliderHScroll(CGdiSliderBase& slider, int code, int position) = 0;
};

// What the editor's slider and the remote program's slider share: a horizontal track bar
// painted by the program (dark channel, IN-OUT range line, a picture or a rounded thumb, no
// tick marks). Use QSlider's range and value calls; setValue() reports nothing to the owner.
class KALEIDRA_CONTROLS_EXPORT CGdiSliderBase : public QSlider {
    Q_OBJECT

public:
    explicit CGdiSliderBase(QWidget* parent = nullptr);

    // Replaces the thumb picture when the path names an existing file.
    void LoadThumbImage(const QString& path);

    // The receiver of notifications; nullptr (the default) sends them to the parent when the
    // parent is a CSliderOwner.
    void SetOwner(CSliderOwner* owner) { m_owner = owner; }

    // Members owners set directly; repaint with update() after a change.
    QImage m_thumbImage;
    COLORREF m_backColor = controls::Rgb(101, 101, 101);
    QFont m_font;
    int m_inPosition = -1; // slider units; -1 = no marker
    int m_outPosition = -1; // slider units; -1 = no marker
    bool m_channelLines = true;
    bool m_extraLines = false;

    // The channel in client pixels: the span over which the thumb's centre moves.
    QRect ChannelRect() const;
    QRect ThumbRect() const;

protected:
    struct PaintOptions {
        bool gradientWedge = false;
        bool rangeMarkers = false;
        bool endMarks = false;
    };
    virtual PaintOptions Options() const = 0;

    void paintEvent(QPaintEvent* event) override;

private:
    void Notify(int code);
    void PaintChannel(QPainter& painter, const PaintOptions& options) const;
    void PaintThumb(QPainter& painter) const;

    CSliderOwner* m_owner = nullptr;
    mutable controls::CScaledPicture m_shownThumb;
};
