#include "controls/gdi_combo_box.h"
#include "tests/controls/widget_probe.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace controls;

TEST(GdiComboBoxGeometry, LaysOutTheClosedFaceAndRowColours)
{
    const ComboFaceLayout layout = CalcComboFaceLayout(120, 22);
    EXPECT_EQ(layout.button, (WinRect { 101, 2, 118, 20 }));
    EXPECT_EQ(layout.item, (WinRect { 3, 3, 101, 19 }));
    EXPECT_EQ(layout.buttonImage, (WinRect { 102, 0, 118, 21 }));

    const ComboRowColours colours { Rgb(51, 51, 255), Rgb(51, 51, 51), Rgb(71, 71, 71) };
    struct Case {
        int row;
        bool selected;
        COLORREF colour;
    } cases[] = { { 0, false, Rgb(51, 51, 51) }, { 1, false, Rgb(71, 71, 71) }, { 4, false, Rgb(51, 51, 51) },
        { 3, true, Rgb(51, 51, 255) }, { 0, true, Rgb(51, 51, 255) } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(ComboRowBackground(colours, c.row, c.selected), c.colour);
    }
}

namespace {

QWheelEvent Wheel(int delta)
{
    return QWheelEvent(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, delta), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
}

struct ComboFixture : ::testing::Test {
    CTempFolder folder;
    CGdiComboBox box;

    ComboFixture()
    {
        box.resize(120, 22);
        for (int i = 0; i < 200; ++i)
            box.addItem(QStringLiteral("row %1").arg(i));
    }
};

} // namespace

TEST_F(ComboFixture, ClosedBoxSwallowsTheWheelAndAnOpenListScrolls)
{
    box.setCurrentIndex(3);
    QSignalSpy activated(&box, &QComboBox::activated);
    QWheelEvent down = Wheel(-120);
    QCoreApplication::sendEvent(&box, &down);
    EXPECT_TRUE(down.isAccepted());
    EXPECT_EQ(box.currentIndex(), 3);
    EXPECT_TRUE(activated.isEmpty());

    box.showPopup();
    ASSERT_TRUE(box.view()->isVisible());
    QScrollBar* scroll = box.view()->verticalScrollBar();
    const int before = scroll->value();
    QWheelEvent listDown = Wheel(-120);
    QCoreApplication::sendEvent(box.view()->viewport(), &listDown);
    EXPECT_GT(scroll->value(), before);
    box.hidePopup();
}

TEST_F(ComboFixture, PaintsTheClosedFaceAndItsButtonPicture)
{
    box.setCurrentIndex(-1);
    const QImage empty = box.grab().toImage();
    for (int x = 3; x < 101; ++x) {
        for (int y = 3; y < 19; ++y)
            ASSERT_EQ(RgbText(empty.pixelColor(x, y)), "51,51,51") << x << "," << y;
    }

    const QString normal = WriteSolidPicture(folder, QStringLiteral("n.png"), QColor(0, 100, 0));
    const QString disabled = WriteSolidPicture(folder, QStringLiteral("d.png"), QColor(0, 0, 100));
    const QString pressed = WriteSolidPicture(folder, QStringLiteral("p.png"), QColor(100, 0, 0));
    box.LoadImages(normal, QString(), pressed); // both the normal and the disabled picture are needed
    EXPECT_TRUE(box.m_buttonImage.isNull());
    box.LoadImages(normal, disabled, pressed);
    // A file that is no picture loads nothing: the box keeps all three pictures.
    const QString broken = folder.WriteFile(QStringLiteral("broken.png"), "not a picture");
    box.LoadImages(normal, broken, broken);
    EXPECT_EQ(box.m_buttonDisabledImage.pixelColor(0, 0), QColor(0, 0, 100));
    EXPECT_EQ(box.m_buttonPressedImage.pixelColor(0, 0), QColor(100, 0, 0));
    box.setCurrentIndex(0);
    QImage face = box.grab().toImage();
    EXPECT_EQ(RgbText(face.pixelColor(110, 10)), "0,100,0");
    bool textDrawn = false;
    for (int x = 8; x < 60; ++x)
        textDrawn = textDrawn || face.pixelColor(x, 11).red() > 150;
    EXPECT_TRUE(textDrawn);
    box.setEnabled(false);
    EXPECT_EQ(RgbText(PixelAt(box, QPoint(110, 10))), "0,0,100");
}

TEST_F(ComboFixture, RowsAreEighteenPixelsAndAlternate)
{
    QAbstractItemDelegate* delegate = box.itemDelegate();
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 100, 18);
    EXPECT_EQ(delegate->sizeHint(option, box.model()->index(0, 0)).height(), CGdiComboBox::ROW_HEIGHT);

    QImage rows(100, 54, QImage::Format_RGB32);
    QPainter painter(&rows);
    for (int row = 0; row < 3; ++row) {
        option.rect = QRect(0, row * 18, 100, 18);
        option.state = row == 2 ? QStyle::State_Selected : QStyle::State_None;
        delegate->paint(&painter, option, box.model()->index(row, 0));
    }
    painter.end();
    EXPECT_EQ(RgbText(rows.pixelColor(95, 5)), "51,51,51");
    EXPECT_EQ(RgbText(rows.pixelColor(95, 23)), "71,71,71");
    EXPECT_EQ(RgbText(rows.pixelColor(95, 41)), "51,51,255");
}
