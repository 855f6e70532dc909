#include "controls/control_messages.h"
#include "controls/gdi_slider_ctrl.h"
#include "controls/remote_gdi_slider_ctrl.h"
#include "controls/slider_geometry.h"
#include "tests/controls/widget_probe.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace controls;

TEST(SliderGeometry, PlacesPositionsRelativeToTheRangeMinimumIn64Bits)
{
    struct Case {
        const char* name;
        int position;
        int minimum;
        int maximum;
        std::optional<int> x;
    } cases[] = {
        { "IN of 0..1000", 100, 0, 1000, 60 },
        { "OUT of 0..1000", 300, 0, 1000, 160 },
        { "the minimum sits at the left", 100, 100, 1100, 10 },
        { "the maximum sits at the right", 1100, 100, 1100, 510 },
        { "large ranges do not overflow", 2000000000, 0, 2000000000, 510 },
        { "negative minimum", 0, -500, 500, 260 },
        { "empty range", 5, 7, 7, std::nullopt },
        { "far past the maximum: at the right end", 2000000000, 0, 100, 510 },
        { "below the minimum: at the left end", -2000000000, 0, 100, 10 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SliderPositionX(10, 500, c.position, c.minimum, c.maximum), c.x);
    }
    EXPECT_EQ(SliderMarkerTriangle(50, 30), QPolygon({ QPoint(50, 29), QPoint(45, 21), QPoint(55, 21) }));
}

namespace {

class CRecordingSliderOwner : public QWidget, public CSliderOwner {
public:
    std::vector<std::pair<int, int>> received;
    void OnSliderHScroll(CGdiSliderBase&, int code, int position) override
    {
        received.emplace_back(code, position);
    }
};

template <typename Slider> struct SliderProbe {
    CRecordingSliderOwner owner;
    Slider* slider = new Slider(&owner);

    SliderProbe()
    {
        slider->setGeometry(0, 0, 300, 30);
        slider->setRange(0, 1000);
        slider->setValue(1000); // the thumb out of the way at the right
        slider->m_inPosition = 100;
        slider->m_outPosition = 300;
    }
    int X(int position) const
    {
        const QRect channel = slider->ChannelRect();
        return *SliderPositionX(channel.left(), channel.width(), position, 0, 1000);
    }
    bool WhiteAt(const QImage& shot, int x) const
    {
        return shot.pixelColor(x, slider->height() - 3) == Qt::white;
    }
};

} // namespace

TEST(GdiSliderCtrl, DrawsTheRangeLineMarkersAndRoundedThumb)
{
    SliderProbe<CGdiSliderCtrl> probe;
    QImage shot = probe.slider->grab().toImage();
    const int centre = probe.slider->height() / 2;
    EXPECT_EQ(RgbText(shot.pixelColor((probe.X(100) + probe.X(300)) / 2, centre)), "255,255,0");
    EXPECT_NE(RgbText(shot.pixelColor(probe.X(300) + 3, centre)), "255,255,0");
    EXPECT_TRUE(probe.WhiteAt(shot, probe.X(100)));
    EXPECT_TRUE(probe.WhiteAt(shot, probe.X(300)));
    EXPECT_EQ(RgbText(shot.pixelColor(probe.slider->ThumbRect().center())), "53,53,53");
    EXPECT_EQ(RgbText(shot.pixelColor(1, 1)), "101,101,101");

    probe.slider->m_inPosition = -1;
    shot = probe.slider->grab().toImage();
    EXPECT_FALSE(probe.WhiteAt(shot, probe.X(100)));
    EXPECT_TRUE(probe.WhiteAt(shot, probe.X(300)));

    CTempFolder folder;
    probe.slider->LoadThumbImage(WriteSolidPicture(folder, QStringLiteral("thumb.png"), QColor(0, 90, 0)));
    probe.slider->LoadThumbImage(folder.FilePath(QStringLiteral("missing.png")));
    probe.slider->LoadThumbImage(folder.WriteFile(QStringLiteral("broken.png"), "not a picture"));
    EXPECT_EQ(RgbText(PixelAt(*probe.slider, probe.slider->ThumbRect().center())), "0,90,0");
}

TEST(RemoteGdiSliderCtrl, DrawsNoMarkersButEndMarksWhileSwitchedOn)
{
    SliderProbe<remote::CGdiSliderCtrl> probe;
    probe.slider->m_extraLines = true;
    QImage shot = probe.slider->grab().toImage();
    const int centre = probe.slider->height() / 2;
    const int left = probe.slider->ChannelRect().left();
    EXPECT_EQ(RgbText(shot.pixelColor((probe.X(100) + probe.X(300)) / 2, centre)), "255,255,0");
    EXPECT_FALSE(probe.WhiteAt(shot, probe.X(100)));
    EXPECT_FALSE(probe.WhiteAt(shot, probe.X(300)));
    EXPECT_EQ(RgbText(shot.pixelColor(left, centre - 4)), "153,153,153");
    probe.slider->m_endMarks = false;
    shot = probe.slider->grab().toImage();
    EXPECT_EQ(RgbText(shot.pixelColor(left, centre - 4)), "101,101,101");
}

TEST(GdiSliderCtrl, ReportsOnlyWhatTheUserDid)
{
    CRecordingSliderOwner owner;
    auto* slider = new CGdiSliderCtrl(&owner);
    slider->setRange(0, 10);
    slider->setValue(5);
    EXPECT_TRUE(owner.received.empty());
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_Home);
    EXPECT_EQ(owner.received, (std::vector<std::pair<int, int>> { { TB_LINEDOWN, 6 }, { TB_TOP, 0 } }));
}

TEST(GdiSliderCtrl, WithoutInAndOutDrawsNoRangeLine)
{
    // The defaults (-1, -1) and equal positions leave the channel without any yellow.
    const std::pair<int, int> cases[] = { { -1, -1 }, { 400, 400 } };
    for (const auto& [in, out] : cases) {
        SCOPED_TRACE(std::to_string(in) + ".." + std::to_string(out));
        for (bool remoteVariant : { false, true }) {
            QWidget window;
            CGdiSliderBase* slider = remoteVariant
                ? static_cast<CGdiSliderBase*>(new remote::CGdiSliderCtrl(&window))
                : new CGdiSliderCtrl(&window);
            slider->setGeometry(0, 0, 300, 30);
            slider->setRange(0, 1000);
            slider->setValue(1000);
            slider->m_inPosition = in;
            slider->m_outPosition = out;
            const QImage shot = slider->grab().toImage();
            for (int x = 0; x < shot.width(); ++x) {
                for (int y = 0; y < shot.height(); ++y)
                    ASSERT_NE(RgbText(shot.pixelColor(x, y)), "255,255,0") << x << "," << y;
            }
        }
    }
}

TEST(GdiSliderCtrl, TheOwnerReadsTheNewPositionWhenNotified)
{
    class CReadingOwner : public QWidget, public CSliderOwner {
    public:
        std::vector<std::pair<int, int>> seen; // the position passed and the slider's value()
        void OnSliderHScroll(CGdiSliderBase& slider, int, int position) override
        {
            seen.emplace_back(position, slider.value());
        }
    } owner;
    auto* slider = new CGdiSliderCtrl(&owner);
    slider->setGeometry(0, 0, 200, 30);
    slider->setRange(0, 10);
    slider->setPageStep(3);
    slider->setValue(5);
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_PageUp);
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_EQ(owner.seen, (std::vector<std::pair<int, int>> { { 6, 6 }, { 9, 9 }, { 10, 10 } }));
}
