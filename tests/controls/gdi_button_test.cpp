#include "controls/button_face.h"
#include "controls/gdi_button.h"
#include "controls/remote_gdi_button.h"
#include "tests/controls/widget_probe.h"

#include <QContextMenuEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace controls;

namespace {

ButtonImageSet Present(std::initializer_list<ButtonImage> filled)
{
    ButtonImageSet set;
    for (ButtonImage slot : filled)
        set.Set(slot, true);
    return set;
}

const ButtonImageSet kAll = Present({ ButtonImage::Normal, ButtonImage::Over, ButtonImage::Press,
    ButtonImage::Disable, ButtonImage::Check, ButtonImage::Focus });

struct ChoiceCase {
    const char* name;
    ButtonFaceState state;
    ButtonImageSet present;
    ButtonImage editor;
    ButtonImage remote;
};

} // namespace

TEST(ButtonFace, PicksThePictureByStatePriority)
{
    ButtonFaceState disabled;
    disabled.disabled = true;
    disabled.pressed = true;
    ButtonFaceState pressed;
    pressed.pressed = true;
    pressed.hover = true;
    ButtonFaceState focusedHover;
    focusedHover.focused = true;
    focusedHover.hover = true;
    ButtonFaceState checkedHover;
    checkedHover.toggleMode = true;
    checkedHover.checked = true;
    checkedHover.hover = true;
    ButtonFaceState checked = checkedHover;
    checked.hover = false;
    ButtonFaceState checkedDisabled = checked;
    checkedDisabled.disabled = true;
    ButtonFaceState hover;
    hover.hover = true;

    const ChoiceCase cases[] = {
        { "fixed wins over disabled", disabled, Present({ ButtonImage::Fixed, ButtonImage::Disable }),
            ButtonImage::Fixed, ButtonImage::Fixed },
        { "disabled", disabled, kAll, ButtonImage::Disable, ButtonImage::Disable },
        { "pressed before hover", pressed, kAll, ButtonImage::Press, ButtonImage::Press },
        { "focus with a focus picture", focusedHover, kAll, ButtonImage::Focus, ButtonImage::Focus },
        { "focus without one: hover", focusedHover, Present({ ButtonImage::Normal, ButtonImage::Over }),
            ButtonImage::Over, ButtonImage::Over },
        { "checked and hovered: over", checkedHover, kAll, ButtonImage::Over, ButtonImage::Over },
        { "checked after leaving", checked, kAll, ButtonImage::Check, ButtonImage::Normal },
        { "hover without an over picture", hover, Present({ ButtonImage::Normal }), ButtonImage::Normal,
            ButtonImage::Normal },
        { "checked, disabled, no disable picture", checkedDisabled,
            Present({ ButtonImage::Normal, ButtonImage::Check }), ButtonImage::Check, ButtonImage::Normal },
        { "no pictures at all", hover, ButtonImageSet {}, ButtonImage::Normal, ButtonImage::Normal },
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChooseEditorButtonImage(c.state, c.present), c.editor);
        EXPECT_EQ(ChooseRemoteButtonImage(c.state, c.present), c.remote);
    }
}

struct ButtonFixture : ::testing::Test {
    CTempFolder folder;
    QWidget window;
    CGdiButton* button = new CGdiButton(QStringLiteral("OK"), &window);
    QString normal = WriteSolidPicture(folder, QStringLiteral("n.png"), QColor(10, 0, 0));
    QString over = WriteSolidPicture(folder, QStringLiteral("o.png"), QColor(20, 0, 0));
    QString press = WriteSolidPicture(folder, QStringLiteral("p.png"), QColor(30, 0, 0));
    QString disable = WriteSolidPicture(folder, QStringLiteral("d.png"), QColor(40, 0, 0));
    QString check = WriteSolidPicture(folder, QStringLiteral("c.png"), QColor(50, 0, 0));

    ButtonFixture() { button->setGeometry(0, 0, 80, 24); }
    int ShownRed() { return PixelAt(*button, QPoint(2, 2)).red(); }
    void Enter()
    {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)));
        QCoreApplication::sendEvent(button, &enter);
    }
    void Leave()
    {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(button, &leave);
    }
};

TEST_F(ButtonFixture, ToggleFlipsOnlyOnACompletedClickBeforeTheOwnerHears)
{
    button->LoadCheckImages(normal, over, press, disable, check);
    std::vector<int> statesSeen;
    QObject::connect(
        button, &QAbstractButton::clicked, [&] { statesSeen.push_back(button->GetCheckState()); });

    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(button->GetCheckState(), 1);
    EXPECT_EQ(statesSeen, std::vector<int>({ 1 }));

    // Pressed on the button, released outside it: no click, no flip.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_EQ(button->GetCheckState(), 1);
    EXPECT_EQ(statesSeen.size(), 1u);

    Leave();
    EXPECT_EQ(ShownRed(), 50); // check picture
    Enter();
    EXPECT_EQ(ShownRed(), 20); // over picture while hovered
    Leave();
    EXPECT_EQ(ShownRed(), 50);
    button->SetCheckState(0);
    EXPECT_EQ(ShownRed(), 10);
}

TEST_F(ButtonFixture, PlainButtonKeepsNoCheckStateAndKeepsPicturesOfMissingFiles)
{
    button->LoadImages(normal, over, press, disable);
    button->SetCheckState(1);
    EXPECT_EQ(button->GetCheckState(), 0);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(button->GetCheckState(), 0);

    button->LoadImages(folder.FilePath(QStringLiteral("missing.png")), QString(), press, disable);
    EXPECT_EQ(ShownRed(), 10);
    button->setEnabled(false);
    EXPECT_EQ(ShownRed(), 40);
    button->m_fixedImage = SolidImage(QColor(90, 0, 0));
    EXPECT_EQ(ShownRed(), 90); // the fixed picture even when disabled
}

TEST_F(ButtonFixture, PaintsBackgroundTextAndOverlay)
{
    EXPECT_EQ(RgbText(PixelAt(*button, QPoint(2, 2))), "113,113,113");
    const QImage face = button->grab().toImage();
    bool whiteText = false;
    for (int x = 0; x < face.width(); ++x)
        whiteText = whiteText || face.pixelColor(x, 12) == QColor(255, 255, 255);
    EXPECT_TRUE(whiteText);

    button->m_overlayAlpha = 255;
    const QImage veiled = button->grab().toImage();
    for (int x = 0; x < veiled.width(); ++x)
        ASSERT_EQ(RgbText(veiled.pixelColor(x, 12)), "128,128,128") << x;
}

TEST(RemoteGdiButton, DrawsHandedPicturesAndOpensNoContextMenu)
{
    class CMenuWindow : public QWidget {
    public:
        int menus = 0;

    protected:
        void contextMenuEvent(QContextMenuEvent*) override { ++menus; }
    } window;
    auto* button = new remote::CGdiButton(&window);
    button->setGeometry(0, 0, 40, 20);
    EXPECT_EQ(RgbText(PixelAt(*button, QPoint(2, 2))), "101,101,101");
    QImage normal = SolidImage(QColor(1, 2, 3));
    button->SetNormalImage(normal);
    button->SetOverImage(SolidImage(QColor(4, 5, 6)));
    button->SetDisableImage(SolidImage(QColor(7, 8, 9)));
    normal = QImage(); // the button keeps its own reference
    EXPECT_EQ(RgbText(PixelAt(*button, QPoint(2, 2))), "1,2,3");
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(button, &enter);
    EXPECT_EQ(RgbText(PixelAt(*button, QPoint(2, 2))), "4,5,6");
    button->setEnabled(false);
    EXPECT_EQ(RgbText(PixelAt(*button, QPoint(2, 2))), "7,8,9");

    button->setEnabled(true);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(button, &menu);
    EXPECT_EQ(window.menus, 0);
}

TEST_F(ButtonFixture, AFileThatIsNoPictureKeepsTheEarlierPicture)
{
    const QString broken = folder.WriteFile(QStringLiteral("broken.png"), "not a picture");
    button->LoadCheckImages(normal, over, press, disable, check);
    button->LoadCheckImages(broken, broken, broken, broken, broken);
    EXPECT_EQ(ShownRed(), 10);
    button->SetCheckState(1);
    EXPECT_EQ(ShownRed(), 50);
    button->setEnabled(false);
    EXPECT_EQ(ShownRed(), 40);
}
