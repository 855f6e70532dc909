// Rendering checks on the headless viewer's off-screen frames (OpenGL: run in a virtual
// display), and the output window's mouse and keys.
#include "platform/shared_flag.h"
#include "tests/project/media_fixtures.h"
#include "tests/viewer/editor_side.h"
#include "tests/viewer/show_project.h"

#include <QFile>
#include <QImage>
#include <QPolygonF>
#include <QTransform>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using Item = tagTL_FACE_ITEM_DATA;

QStringList Cells(std::initializer_list<int> values)
{
    QStringList cells;
    for (int value : values)
        cells << QString::number(value);
    return cells;
}

// True when the pixel is within a few steps of the colour.
::testing::AssertionResult Near(const QImage& image, QPoint at, QColor expected, int tolerance = 6)
{
    if (!image.rect().contains(at))
        return ::testing::AssertionFailure() << "outside the frame";
    const QColor actual = image.pixelColor(at);
    if (std::abs(actual.red() - expected.red()) <= tolerance
        && std::abs(actual.green() - expected.green()) <= tolerance
        && std::abs(actual.blue() - expected.blue()) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
        << "at (" << at.x() << ", " << at.y() << ") " << actual.name().toStdString() << " instead of "
        << expected.name().toStdString();
}

// A picture item from 0 to 10 s whose mask picture keeps what the mask's alpha keeps.
Item MaskedPicture(int32_t faceNo, const QString& picture, const QString& mask)
{
    Item item = CShowProject::Item(faceNo, 0, 1000, Item::MODE_IMAGE, picture);
    item.MaskMode = 2;
    item.MaskImageEnable = 1;
    item.MaskImage = mask;
    return item;
}

class ViewerRendering : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(editor.IsValid()); }

    void TearDown() override
    {
        if (HasFailure())
            std::fprintf(stderr, "Luxviewer's diagnostics:\n%s\n", editor.Diagnostics().toUtf8().constData());
    }

    // Starts the headless viewer on a 640 x 360 canvas with the project, at the time.
    void Show(int32_t time)
    {
        ASSERT_TRUE(editor.StartViewer(QRect(0, 0, 640, 360)));
        ASSERT_TRUE(editor.Project(kPmProjectLoad, project.ProjectXmlPath(), project.WorkFolder()));
        ASSERT_TRUE(editor.Command(kPmCommandSeek, Cells({ time })));
    }

    QImage Frame(const QString& name = "frame.png") { return editor.Render(temp.FilePath(name)); }

    CEditorSide editor;
    CTempFolder temp;
    CShowProject project { temp };
};

const QColor kQuarters[4] = { QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255), QColor(255, 255, 0) };

TEST_F(ViewerRendering, AFacesCornersLandWhereTheCornersSayInPerspective)
{
    const QPolygon corners({ { 100, 40 }, { 520, 80 }, { 600, 330 }, { 30, 300 } });
    ASSERT_TRUE(project.AddFace(1, corners));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(
        1, 0, 1000, Item::MODE_IMAGE, WriteQuarterPicture(temp, "q.png", kQuarters, { 200, 100 }))));
    Show(100);
    const QImage frame = Frame();
    ASSERT_EQ(frame.size(), QSize(640, 360));

    // Each corner of the picture is at its corner of the face: a few pixels inwards along the
    // diagonal shows that corner's quarter, a few outwards is black.
    const QPointF centre = QPolygonF(corners).boundingRect().center();
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const QPointF corner = corners[i];
        const QPointF inward
            = (centre - corner) / std::hypot(centre.x() - corner.x(), centre.y() - corner.y());
        EXPECT_TRUE(Near(frame, (corner + inward * 6).toPoint(), kQuarters[i]));
        EXPECT_TRUE(Near(frame, (corner - inward * 4).toPoint(), Qt::black));
    }
    // Perspective, not two triangles: the picture's centre lies where the face's diagonals
    // cross; points just around it show the four quarters.
    QTransform toFace;
    ASSERT_TRUE(QTransform::quadToQuad(
        QPolygonF({ { 0, 0 }, { 1, 0 }, { 1, 1 }, { 0, 1 } }), QPolygonF(corners), toFace));
    const QPointF probes[4] = { { 0.45, 0.45 }, { 0.55, 0.45 }, { 0.55, 0.55 }, { 0.45, 0.55 } };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(Near(frame, toFace.map(probes[i]).toPoint(), kQuarters[i]));
    }
}

TEST_F(ViewerRendering, ThePictureUnderThePlayheadShows)
{
    ASSERT_TRUE(project.AddFace(1, QPolygon({ { 0, 0 }, { 640, 0 }, { 640, 360 }, { 0, 360 } })));
    ASSERT_TRUE(project.SetItem(
        CShowProject::Item(1, 100, 100, Item::MODE_IMAGE, WriteSolidPicture(temp, "red.png", Qt::red))));
    ASSERT_TRUE(project.SetItem(
        CShowProject::Item(1, 200, 100, Item::MODE_IMAGE, WriteSolidPicture(temp, "blue.png", Qt::blue))));
    Show(150);
    EXPECT_TRUE(Near(Frame("a.png"), { 320, 180 }, Qt::red));
    ASSERT_TRUE(editor.Command(kPmCommandSeek, Cells({ 250 })));
    EXPECT_TRUE(Near(Frame("b.png"), { 320, 180 }, Qt::blue));
    ASSERT_TRUE(editor.Command(kPmCommandSeek, Cells({ 300 })));
    EXPECT_TRUE(Near(Frame("c.png"), { 320, 180 }, Qt::black));
    // A face switched off shows nothing.
    ASSERT_TRUE(project.AddFace(
        1, QPolygon({ { 0, 0 }, { 640, 0 }, { 640, 360 }, { 0, 360 } }), Qt::white, false, false));
    ASSERT_TRUE(editor.Data(kPmDataFaceChanged, 1));
    ASSERT_TRUE(editor.Command(kPmCommandSeek, Cells({ 150 })));
    EXPECT_TRUE(Near(Frame("d.png"), { 320, 180 }, Qt::black));
}

TEST_F(ViewerRendering, MasksCut)
{
    ASSERT_TRUE(project.AddFace(1, QPolygon({ { 0, 0 }, { 320, 0 }, { 320, 360 }, { 0, 360 } })));
    ASSERT_TRUE(project.AddFace(2, QPolygon({ { 320, 0 }, { 640, 0 }, { 640, 360 }, { 320, 360 } })));
    const QString green = WriteSolidPicture(temp, "green.png", Qt::green, { 100, 100 });
    Item circle = CShowProject::Item(1, 0, 1000, Item::MODE_IMAGE, green);
    circle.MaskMode = 1;
    ASSERT_TRUE(project.SetItem(circle));
    QImage maskPicture(100, 100, QImage::Format_ARGB32);
    maskPicture.fill(Qt::transparent);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            maskPicture.setPixelColor(x, y, Qt::black);
    ASSERT_TRUE(maskPicture.save(temp.FilePath("mask.png")));
    ASSERT_TRUE(project.SetItem(MaskedPicture(2, green, temp.FilePath("mask.png"))));
    Show(100);
    const QImage frame = Frame();
    // Circle: the middle is kept, the corners are cut.
    EXPECT_TRUE(Near(frame, { 160, 180 }, Qt::green));
    EXPECT_TRUE(Near(frame, { 10, 10 }, Qt::black));
    EXPECT_TRUE(Near(frame, { 310, 350 }, Qt::black));
    EXPECT_TRUE(Near(frame, { 5, 180 }, Qt::green));
    // Mask picture: its upper half keeps, its lower half cuts.
    EXPECT_TRUE(Near(frame, { 480, 90 }, Qt::green));
    EXPECT_TRUE(Near(frame, { 480, 270 }, Qt::black));
}

TEST_F(ViewerRendering, AMovieShowsTheFrameOfItsTime)
{
    const QString movie = temp.FilePath("ramp.mp4");
    ASSERT_TRUE(media_fixtures::MakeGreyRampMovie(
        movie, "25", 60, { "-c:v", "libx264", "-pix_fmt", "yuv420p", "-crf", "0" }));
    ASSERT_TRUE(project.AddFace(1, QPolygon({ { 0, 0 }, { 640, 0 }, { 640, 360 }, { 0, 360 } })));
    Item item = CShowProject::Item(1, 100, 2000, Item::MODE_MOVIE, movie);
    item.InTime = 20; // frame 5
    ASSERT_TRUE(project.SetItem(item));
    Show(100);
    struct Case {
        int32_t time;
        int frame;
    } const cases[] = {
        // Frame n begins at 4 n hundredths of the movie; the item shows its IN at its start.
        { 100, 5 },
        { 140, 15 },
        { 199, 29 },
        { 260, 45 },
        { 150, 17 },
        { 900, 59 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);
        ASSERT_TRUE(editor.Command(kPmCommandSeek, Cells({ c.time })));
        const int grey = media_fixtures::GreyOfFrame(c.frame);
        EXPECT_TRUE(
            Near(Frame(QStringLiteral("m%1.png").arg(c.time)), { 320, 180 }, QColor(grey, grey, grey), 3));
    }
}

// A clip stored with a quarter turn (as phones store portrait clips) shows turned, as the
// editor's preview shows it: white on the left of its planes, white at the bottom when shown.
TEST_F(ViewerRendering, AMovieShowsTurnedByItsStoredRotation)
{
    const QString planes = temp.FilePath("halves.mov");
    const QString turned = temp.FilePath("turned.mov");
    ASSERT_TRUE(media_fixtures::RunFfmpeg({ "-f", "lavfi", "-i",
        "color=c=black:s=64x48:r=25,format=yuv420p,geq=lum='if(lt(X,32),235,16)':cb=128:cr=128", "-frames:v",
        "5", "-c:v", "mpeg4", "-q:v", "1", planes }));
    ASSERT_TRUE(
        media_fixtures::RunFfmpeg({ "-i", planes, "-c", "copy", "-metadata:s:v:0", "rotate=90", turned }));
    ASSERT_TRUE(project.AddFace(1, QPolygon({ { 0, 0 }, { 320, 0 }, { 320, 360 }, { 0, 360 } })));
    ASSERT_TRUE(project.AddFace(2, QPolygon({ { 320, 0 }, { 640, 0 }, { 640, 360 }, { 320, 360 } })));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(1, 0, 1000, Item::MODE_MOVIE, turned)));
    Item mosaic = CShowProject::Item(2, 0, 1000, Item::MODE_MOVIE, turned);
    mosaic.FilterNo = 11; // cells counted from the top-left of the picture as shown
    mosaic.Param[0] = 4;
    ASSERT_TRUE(project.SetItem(mosaic));
    Show(10);
    const QImage frame = Frame();
    for (const int left : { 0, 320 }) {
        SCOPED_TRACE(left);
        EXPECT_TRUE(Near(frame, { left + 80, 300 }, QColor(255, 255, 255), 12));
        EXPECT_TRUE(Near(frame, { left + 240, 300 }, QColor(255, 255, 255), 12));
        EXPECT_TRUE(Near(frame, { left + 80, 60 }, QColor(0, 0, 0), 12));
        EXPECT_TRUE(Near(frame, { left + 240, 60 }, QColor(0, 0, 0), 12));
    }
}

TEST_F(ViewerRendering, ALinkShowsItsSourceAndACameraWithoutSignalSaysSo)
{
    ASSERT_TRUE(project.AddFace(1, QPolygon({ { 0, 0 }, { 320, 0 }, { 320, 180 }, { 0, 180 } })));
    ASSERT_TRUE(project.AddFace(2, QPolygon({ { 320, 0 }, { 640, 0 }, { 640, 180 }, { 320, 180 } })));
    ASSERT_TRUE(project.AddFace(3, QPolygon({ { 0, 180 }, { 640, 180 }, { 640, 360 }, { 0, 360 } })));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(
        1, 0, 1000, Item::MODE_IMAGE, WriteQuarterPicture(temp, "q.png", kQuarters, { 100, 100 }))));
    Item link = CShowProject::Item(2, 0, 1000, Item::MODE_LINK);
    link.LinkFaceNo = 1;
    // The link's own display area: the picture's right half.
    link.MaskX = 50;
    link.W = 50;
    link.H = 100;
    ASSERT_TRUE(project.SetItem(link));
    Item camera = CShowProject::Item(3, 0, 1000, Item::MODE_CAMERA);
    camera.CameraID = 63; // no such capture device
    ASSERT_TRUE(project.SetItem(camera));
    Show(100);
    const QImage frame = Frame();
    EXPECT_TRUE(Near(frame, { 80, 45 }, kQuarters[0]));
    EXPECT_TRUE(Near(frame, { 400, 45 }, kQuarters[1]));
    EXPECT_TRUE(Near(frame, { 600, 150 }, kQuarters[2]));
    // The no-signal picture's dark grey, away from its words.
    EXPECT_TRUE(Near(frame, { 60, 330 }, QColor(32, 34, 38), 3));
    EXPECT_TRUE(Near(frame, { 580, 200 }, QColor(32, 34, 38), 3));
}

// Picture, mask and movie paths that name a pipe without a writer or a device: each is told once
// as a file that cannot be read, the faces after them still show their pictures, and the viewer
// still ends when the editor quits it.
TEST_F(ViewerRendering, PipesAndDevicesAsMediaHoldUpNothing)
{
    const QString pipe = temp.FilePath("pipe.png");
    const QString maskPipe = temp.FilePath("mask_pipe.png");
    const QString moviePipe = temp.FilePath("movie_pipe.mp4");
    for (const QString& fifo : { pipe, maskPipe, moviePipe })
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString device = QStringLiteral("/dev/ptmx");
    const QString green = WriteSolidPicture(temp, "green.png", Qt::green);
    const QPolygon quarters[4] = { QPolygon({ { 0, 0 }, { 320, 0 }, { 320, 180 }, { 0, 180 } }),
        QPolygon({ { 320, 0 }, { 640, 0 }, { 640, 180 }, { 320, 180 } }),
        QPolygon({ { 0, 180 }, { 320, 180 }, { 320, 360 }, { 0, 360 } }),
        QPolygon({ { 320, 180 }, { 640, 180 }, { 640, 360 }, { 320, 360 } }) };
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(project.AddFace(i + 1, quarters[i]));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(1, 0, 1000, Item::MODE_IMAGE, pipe)));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(2, 0, 1000, Item::MODE_IMAGE, device)));
    ASSERT_TRUE(project.SetItem(MaskedPicture(3, green, maskPipe)));
    ASSERT_TRUE(project.SetItem(MaskedPicture(4, green, device)));
    // A movie in the middle, over the four.
    ASSERT_TRUE(project.AddFace(5, QPolygon({ { 300, 160 }, { 340, 160 }, { 340, 200 }, { 300, 200 } })));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(5, 0, 1000, Item::MODE_MOVIE, moviePipe)));
    Show(100);
    // A mask that cannot be read cuts nothing.
    const QImage frame = Frame();
    EXPECT_TRUE(Near(frame, { 160, 90 }, Qt::black));
    EXPECT_TRUE(Near(frame, { 480, 90 }, Qt::black));
    EXPECT_TRUE(Near(frame, { 160, 270 }, Qt::green));
    EXPECT_TRUE(Near(frame, { 480, 270 }, Qt::green));

    QStringList told;
    while (const auto reply = editor.WaitForReply(told.size() < 4 ? 10000 : 500)) {
        EXPECT_EQ(reply->kind, kPmReplyMessage);
        EXPECT_EQ(reply->cells[0], "1"); // a warning
        told << reply->cells[2].section(QLatin1Char('\n'), -1);
        editor.ClearReply();
    }
    told.sort();
    EXPECT_EQ(told.join(u' ').toStdString(),
        QStringList({ device, maskPipe, moviePipe, pipe }).join(u' ').toStdString());

    ASSERT_TRUE(editor.Command(kPmCommandQuit));
    EXPECT_EQ(editor.WaitForExit(), 0);
}

// Where no OpenGL context can be made, the output window is never shown: the viewer says why
// and ends, instead of failing inside the window's painting.
TEST_F(ViewerRendering, WithoutOpenGLTheViewerEndsWithAClearError)
{
    struct Case {
        const char* variable;
        const char* value;
        const char* says;
    };
    const Case cases[] = {
        // The platform makes no OpenGL context at all.
        { "QT_XCB_GL_INTEGRATION", "none", "no OpenGL context can be made" },
        // Mesa gives a version too old for the viewer's shaders.
        { "MESA_GL_VERSION_OVERRIDE", "2.1", "OpenGL 3.3 is needed" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variable);
        CEditorSide windowed;
        ASSERT_TRUE(windowed.IsValid());
        windowed.SetViewerEnvironment(QString::fromLatin1(c.variable), QString::fromLatin1(c.value));
        ASSERT_TRUE(windowed.StartViewer(QRect(0, 0, 320, 180), false));
        EXPECT_EQ(windowed.WaitForExit(), 3);
        EXPECT_TRUE(windowed.Diagnostics().contains(QLatin1String(c.says)))
            << windowed.Diagnostics().toStdString();
    }
}

TEST_F(ViewerRendering, TheResolutionModeShapesTheCanvasAndGuideDrawsOutlines)
{
    editor.SetResoMode(2); // 4:3 on a 640 x 360 display: 480 x 360
    ASSERT_TRUE(
        project.AddFace(1, QPolygon({ { 100, 100 }, { 300, 100 }, { 300, 300 }, { 100, 300 } }), Qt::yellow));
    Show(0);
    QImage frame = Frame("plain.png");
    EXPECT_EQ(frame.size(), QSize(480, 360));
    EXPECT_TRUE(Near(frame, { 100, 200 }, Qt::black));
    ASSERT_TRUE(editor.Command(kPmCommandGuide, Cells({ 1 })));
    frame = Frame("guide.png");
    // The outline in the face's colour along its left side, the handle at its corner.
    EXPECT_TRUE(Near(frame, { 100, 200 }, Qt::yellow, 40));
    EXPECT_TRUE(Near(frame, { 103, 103 }, Qt::yellow, 40));
}

} // namespace
