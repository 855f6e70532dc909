#include "controls/grad_static.h"
#include "tests/controls/widget_probe.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace controls;

TEST(GradStatic, ClicksReachTheParentAtTheSamePlace)
{
    class CClickWindow : public QWidget {
    public:
        std::vector<std::tuple<QEvent::Type, Qt::MouseButton, QPoint>> clicks;

    protected:
        void mousePressEvent(QMouseEvent* e) override
        {
            clicks.emplace_back(e->type(), e->button(), e->position().toPoint());
        }
        void mouseReleaseEvent(QMouseEvent* e) override
        {
            clicks.emplace_back(e->type(), e->button(), e->position().toPoint());
        }
    } window;
    auto* label = new CGradStatic(QStringLiteral("Face"), &window);
    label->setGeometry(30, 40, 100, 20);
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 6));
    QTest::mousePress(label, Qt::RightButton, {}, QPoint(7, 8));
    using Click = std::tuple<QEvent::Type, Qt::MouseButton, QPoint>;
    EXPECT_EQ(window.clicks,
        (std::vector<Click> { { QEvent::MouseButtonPress, Qt::LeftButton, QPoint(35, 46) },
            { QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(35, 46) },
            { QEvent::MouseButtonPress, Qt::RightButton, QPoint(37, 48) } }));
    QTest::mouseRelease(label, Qt::RightButton, {}, QPoint(7, 8));
}

TEST(GradStatic, PaintsGradientFrameTextAndUnderline)
{
    CGradStatic label(QStringLiteral("IIII"));
    label.resize(100, 20);
    label.m_gradientFrom = Rgb(255, 0, 0);
    label.m_gradientTo = Rgb(0, 0, 255);
    QImage shot = label.grab().toImage();
    EXPECT_TRUE(Near(shot.pixelColor(0, 15), 255, 0, 0, 6));
    EXPECT_TRUE(Near(shot.pixelColor(99, 15), 0, 0, 255, 6));

    label.m_vertical = true;
    label.m_frame = true;
    label.m_frameColor = Rgb(0, 200, 0);
    label.m_underline = true;
    shot = label.grab().toImage();
    EXPECT_TRUE(Near(shot.pixelColor(50, 1), 255, 0, 0, 30));
    EXPECT_EQ(RgbText(shot.pixelColor(0, 10)), "0,200,0");
    EXPECT_EQ(RgbText(shot.pixelColor(50, 19)), "119,119,119");
    bool textDrawn = false;
    for (int x = 1; x < 40; ++x)
        for (int y = 1; y < 18; ++y) {
            textDrawn = textDrawn || shot.pixelColor(x, y).red() + shot.pixelColor(x, y).blue() < 120; // dark
        }
    EXPECT_TRUE(textDrawn);
}
