#include "controls/control_messages.h"
#include "controls/gdi_image.h"
#include "tests/controls/widget_probe.h"

#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

using namespace controls;

namespace {

struct Report {
    unsigned message;
    int controlId;
    QSize size;
    bool operator==(const Report&) const = default;
};

class CRecordingParent : public QWidget, public CImageSelectionOwner {
public:
    std::vector<Report> reports;
    void OnImageSelection(unsigned message, int controlId, QSize size) override
    {
        reports.push_back({ message, controlId, size });
    }
};

struct ImageFixture : ::testing::Test {
    CTempFolder folder;
    CRecordingParent parent;
    CGdiImage* view = new CGdiImage(&parent);

    ImageFixture() { view->Create(QRect(0, 0, 650, 400), &parent); } // frame 5,5 - 645,365
    void Press(QPoint at) { SendMouse(*view, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void Move(QPoint at) { SendMouse(*view, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
    void Release(QPoint at)
    {
        SendMouse(*view, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }
    void Drag(QPoint from, QPoint to)
    {
        Press(from);
        Move(to);
        Release(to);
    }
};

} // namespace

TEST_F(ImageFixture, WithoutAPictureIgnoresPressesAndReportsNothing)
{
    for (const QString& path : { QString(), folder.FilePath(QStringLiteral("missing.png")),
             folder.WriteFile(QStringLiteral("fake.png"), "not a picture") }) {
        SCOPED_TRACE(path.toStdString());
        view->LoadImageFile(path);
        view->SetSelection(0, 0, 100, 100);
        Drag(QPoint(5, 5), QPoint(300, 300));
        EXPECT_TRUE(parent.reports.empty());
        EXPECT_EQ(view->GetSelectionSize(), QSize(0, 0));
        EXPECT_EQ(view->GetSelectionPos(), QPoint(0, 0));
    }
}

TEST_F(ImageFixture, DragsCornersAndMovesTheSelectionReportingSizes)
{
    view->LoadImageFile(WriteSolidPicture(folder, QStringLiteral("hd.png"), Qt::red, QSize(1920, 1080)));
    view->ResetSelection();
    EXPECT_EQ(view->GetSelectionSize(), QSize(1920, 1080));

    // The top-left handle dragged past the top-right one stops 10 pixels short of it.
    Press(QPoint(6, 4));
    Move(QPoint(700, 10));
    Release(QPoint(700, 10));
    EXPECT_EQ(view->Corners()[0], QPoint(635, 10));
    EXPECT_EQ(parent.reports,
        (std::vector<Report> { { UM_IMAGE_SELECTION_DRAG, GDI_IMAGE_CONTROL_ID, QSize(30, 1065) },
            { UM_IMAGE_SELECTION_END, GDI_IMAGE_CONTROL_ID, QSize(30, 1065) } }));

    // Moving against the edge keeps the size.
    view->SetSelection(300, 150, 600, 300);
    EXPECT_EQ(view->GetSelectionPos(), QPoint(300, 150));
    EXPECT_EQ(view->GetSelectionSize(), QSize(600, 300));
    parent.reports.clear();
    Drag(QPoint(200, 100), QPoint(-400, 100));
    EXPECT_EQ(view->GetSelectionPos(), QPoint(0, 150));
    EXPECT_EQ(view->GetSelectionSize(), QSize(600, 300));
    ASSERT_EQ(parent.reports.size(), 2u);
    EXPECT_EQ(parent.reports.back().message, UM_IMAGE_SELECTION_END);

    // A press outside handles and selection starts nothing.
    parent.reports.clear();
    Drag(QPoint(600, 300), QPoint(620, 320));
    EXPECT_TRUE(parent.reports.empty());
}

TEST_F(ImageFixture, SetSelectionSizeKeepsTheSelectionInsideThePicture)
{
    view->LoadImageFile(WriteSolidPicture(folder, QStringLiteral("small.png"), Qt::red, QSize(320, 100)));
    view->SetSelection(10, 10, 50, 50);
    view->SetSelectionSize(1000, 1000);
    EXPECT_EQ(view->GetSelectionPos(), QPoint(10, 10));
    EXPECT_EQ(view->GetSelectionSize(), QSize(310, 90));
}

TEST_F(ImageFixture, AMaskOverASelectionLargerThanANewPictureIsClippedToIt)
{
    view->LoadImageFile(WriteSolidPicture(folder, QStringLiteral("hd.png"), Qt::red, QSize(1920, 1080)));
    view->ResetSelection();
    view->SetImage(SolidImage(QColor(0, 0, 255), QSize(100, 50))); // the selection stays as it was
    view->m_maskMode = 2;
    view->m_showMask = true;
    view->LoadMaskImage(WriteSolidPicture(folder, QStringLiteral("mask.png"), QColor(0, 0, 0, 0)));
    const QImage shot = view->grab().toImage();
    EXPECT_EQ(RgbText(shot.pixelColor(40, 30)), "43,43,43"); // the picture is cut away
    EXPECT_EQ(view->GetSelectionSize(), QSize(100, 50)); // the selection covers the whole picture
}

TEST_F(ImageFixture, APictureTheOwnerAssignsOrClearsIsFittedWhenUsed)
{
    view->m_picture = SolidImage(QColor(0, 0, 255), QSize(1920, 1080));
    view->ResetSelection();
    EXPECT_EQ(view->GetSelectionSize(), QSize(1920, 1080));
    EXPECT_EQ(RgbText(PixelAt(*view, QPoint(300, 200))), "0,0,255");
    view->m_picture = QImage();
    EXPECT_EQ(view->GetSelectionSize(), QSize(0, 0));
    EXPECT_EQ(RgbText(PixelAt(*view, QPoint(300, 200))), "43,43,43");
}

TEST_F(ImageFixture, DroppingFilesLoadsTheFirst)
{
    QMimeData data;
    data.setUrls({ QUrl::fromLocalFile(WriteSolidPicture(folder, QStringLiteral("a.png"), Qt::green)),
        QUrl::fromLocalFile(WriteSolidPicture(folder, QStringLiteral("b.png"), Qt::blue)),
        QUrl::fromLocalFile(WriteSolidPicture(folder, QStringLiteral("c.png"), Qt::yellow)) });
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &drop);
    ASSERT_FALSE(view->m_picture.isNull());
    EXPECT_EQ(view->m_picture.pixelColor(0, 0), QColor(Qt::green));
}

TEST_F(ImageFixture, PaintsBackgroundFramePictureFilterAndMask)
{
    QImage picture(100, 50, QImage::Format_ARGB32);
    picture.fill(QColor(100, 200, 50));
    view->SetImage(picture);
    view->SetSelection(50, 0, 50, 50); // the right half
    QImage shot = view->grab().toImage();
    EXPECT_EQ(RgbText(shot.pixelColor(648, 398)), "101,101,101"); // background
    EXPECT_EQ(RgbText(shot.pixelColor(300, 200)), "43,43,43"); // frame
    EXPECT_EQ(RgbText(shot.pixelColor(20, 30)), "100,200,50"); // picture
    EXPECT_EQ(RgbText(shot.pixelColor(55, 5)), "255,223,125"); // handle of corner 0

    view->m_filterMode = 1;
    view->m_filterOn = true;
    view->m_maskMode = 2;
    view->m_showMask = true;
    const QString mask = WriteSolidPicture(folder, QStringLiteral("mask.png"), QColor(0, 0, 0, 0));
    view->LoadMaskImage(mask);
    shot = view->grab().toImage();
    EXPECT_EQ(RgbText(shot.pixelColor(20, 30)), "153,153,153"); // grey, outside the mask
    EXPECT_EQ(RgbText(shot.pixelColor(80, 30)), "43,43,43"); // cut away by the mask

    view->m_maskMode = 1;
    view->m_filterMode = 2;
    shot = view->grab().toImage();
    EXPECT_EQ(RgbText(shot.pixelColor(20, 30)), "144,120,87");
    EXPECT_EQ(RgbText(shot.pixelColor(80, 30)), "144,120,87"); // an ellipse mask cuts nothing
}

// A view without a picture (a sound item's preview, the empty panel) shows its frame only: no
// selection outline and no handles, whether it never had a picture or its picture was dropped.
TEST_F(ImageFixture, AnEmptyViewShowsNoSelection)
{
    const auto selectionPixels = [this] {
        const QImage shot = view->grab().toImage();
        int found = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const QColor colour = shot.pixelColor(x, y);
                found += colour == QColor(255, 223, 125) || colour == QColor(247, 187, 4);
            }
        }
        return found;
    };
    view->m_maskMode = 1;
    EXPECT_EQ(selectionPixels(), 0) << "never had a picture";
    view->SetImage(SolidImage(QColor(0, 0, 255), QSize(1920, 1080)));
    view->SetSelection(100, 100, 800, 400);
    ASSERT_GT(selectionPixels(), 0);
    view->SetImage(QImage());
    view->setEnabled(false);
    EXPECT_EQ(selectionPixels(), 0) << "picture dropped";
}

TEST(GdiImage, TheFrameComesFromTheClientAreaWhereverTheViewSits)
{
    CRecordingParent parent;
    auto* view = new CGdiImage(&parent);
    view->Create(QRect(100, 50, 650, 400), &parent);
    EXPECT_EQ(view->Frame(), (WinRect { 5, 5, 645, 365 }));
    view->SetImage(SolidImage(QColor(0, 0, 255), QSize(1920, 1080)));
    view->ResetSelection();
    EXPECT_EQ(view->GetSelectionPos(), QPoint(0, 0));
    EXPECT_EQ(view->GetSelectionSize(), QSize(1920, 1080));
    EXPECT_EQ(RgbText(PixelAt(*view, QPoint(20, 20))), "0,0,255");
}

// A drag whose release went elsewhere ends with the next move without a button, or with the
// next press; that press then starts its own drag instead of being ignored.
TEST_F(ImageFixture, ADragWhoseReleaseWasLostEndsThere)
{
    view->LoadImageFile(WriteSolidPicture(folder, QStringLiteral("hd.png"), Qt::red, QSize(1920, 1080)));
    for (const bool endedByMove : { true, false }) {
        SCOPED_TRACE(endedByMove ? "a move without the button" : "the next press");
        view->ResetSelection();
        parent.reports.clear();
        Press(QPoint(6, 4)); // the top-left handle
        Move(QPoint(100, 50));
        if (endedByMove) {
            SendMouse(*view, QEvent::MouseMove, QPoint(300, 200), Qt::NoButton, Qt::NoButton);
            ASSERT_FALSE(parent.reports.empty());
            EXPECT_EQ(parent.reports.back().message, UM_IMAGE_SELECTION_END);
        }
        EXPECT_EQ(view->Corners()[0], QPoint(100, 50));

        Press(QPoint(645, 365)); // the bottom-right handle
        Move(QPoint(500, 300));
        Release(QPoint(500, 300));
        EXPECT_EQ(view->Corners()[0], QPoint(100, 50));
        EXPECT_EQ(view->Corners()[2], QPoint(500, 300));
        EXPECT_EQ(parent.reports.back().message, UM_IMAGE_SELECTION_END);
    }
}
