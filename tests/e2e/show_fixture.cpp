#include "tests/e2e/show_fixture.h"

#include "controls/gdi_button.h"
#include "core/pm_param_block.h"
#include "project/project_folder_store.h"
#include "tests/project/media_fixtures.h"
#include "timeline/time_line.h"
#include "timeline/timeline_geometry.h"
#include "view/main_menu.h"

#include <QDir>
#include <QDirIterator>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QUrl>

namespace {

bool Near(const QColor& a, const QColor& b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

std::string Describe(const QColor& colour)
{
    return QStringLiteral("(%1, %2, %3)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .toStdString();
}

std::array<int32_t, 8> CornersOf(const std::array<int32_t, 4>& x, const std::array<int32_t, 4>& y)
{
    return { x[0], y[0], x[1], y[1], x[2], y[2], x[3], y[3] };
}

} // namespace

const QColor ShowEndToEnd::kPicture(200, 60, 30);

void ShowEndToEnd::SetUp()
{
    ViewFixture::SetUp();
    temp.WriteFile(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Kaleidra.ini"),
        QStringLiteral("[SYSTEM]\nWorkFolder=%1\nImageDefaultTime=500\nEffectDefaultTime=100\n"
                       "ProjectDefaultTime=18000\nGuideDefaultStatus=0\n[VIEWER]\nViewerMode=0\n"
                       "ResoMode=0\nProjectorDisplayNo=1\n[REMOTE]\nSrvIPAdd=127.0.0.1\n")
            .arg(temp.FilePath(QStringLiteral("work")))
            .toUtf8());
    ASSERT_TRUE(MakeView());
    view->SetCommandHandlers(nullptr);
    view->Viewer().SetProgram(QStringLiteral(KALEIDRA_LUXVIEWER_PATH));
    shows = temp.MakeFolder(QStringLiteral("shows"));
    AnswerProjectDialogs(shows, typedName);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().size(), QSize(1920, 1080))
        << "the virtual display of the test";
}

void ShowEndToEnd::MakeMedia()
{
    ASSERT_TRUE(QDir().mkpath(temp.FilePath(QStringLiteral("media"))));
    QImage picture(160, 90, QImage::Format_RGB32);
    picture.fill(kPicture);
    picturePath = temp.FilePath(QStringLiteral("media/picture.png"));
    ASSERT_TRUE(picture.save(picturePath));
    moviePath = temp.FilePath(QStringLiteral("media/ramp.mp4"));
    ASSERT_TRUE(media_fixtures::MakeGreyRampMovie(moviePath, QString::number(kMovieRate), 2 * kMovieRate,
        { "-c:v", "mpeg4", "-q:v", "1", "-video_track_timescale", "12800" }));
    soundPath = temp.FilePath(QStringLiteral("media/tone.wav"));
    ASSERT_TRUE(media_fixtures::MakePcmWav(soundPath, 44100, 2 * 44100));
}

void ShowEndToEnd::NewShow()
{
    ASSERT_NO_FATAL_FAILURE(MakeMedia());
    // A new project starts the viewer.
    ASSERT_TRUE(view->OnNewProject());
    ASSERT_TRUE(QFileInfo(ProjectFile()).isFile());
    ASSERT_TRUE(view->IsViewerRunning());

    // Two faces from the Face menu; the files dropped onto their rows.
    ASSERT_TRUE(view->RunMenuCommand(menu_command::kFaceAdd));
    ASSERT_TRUE(view->RunMenuCommand(menu_command::kFaceAdd));
    ASSERT_EQ(TimeLine().FaceCount(), 2);
    ASSERT_NO_FATAL_FAILURE(DropOnFace(1, 0, picturePath));
    ASSERT_NO_FATAL_FAILURE(DropOnFace(1, 600, soundPath));
    ASSERT_NO_FATAL_FAILURE(DropOnFace(2, 600, moviePath));
    const struct {
        int32_t faceNo, start, mode, playTime;
    } expected[] = {
        { 1, 0, Item::MODE_IMAGE, 500 },
        { 1, 600, Item::MODE_SOUND, 200 },
        { 2, 600, Item::MODE_MOVIE, 200 },
    };
    for (const auto& item : expected) {
        SCOPED_TRACE(testing::Message() << "face " << item.faceNo << " at " << item.start);
        EXPECT_EQ(ItemAt(item.faceNo, item.start).Mode, item.mode);
        EXPECT_EQ(ItemAt(item.faceNo, item.start).PlayTime, item.playTime);
    }
}

ShowEndToEnd::Item ShowEndToEnd::ItemAt(int32_t faceNo, int32_t start)
{
    Item item;
    EXPECT_TRUE(TimeLine().GetItemRecord(faceNo, start, item)) << faceNo << "@" << start;
    return item;
}

std::array<int32_t, 8> ShowEndToEnd::Corners(int32_t faceNo)
{
    tagTL_FACE_DATA face;
    EXPECT_TRUE(TimeLine().GetFaceData(1, faceNo, face));
    return CornersOf(face.X, face.Y);
}

std::array<int32_t, 8> ShowEndToEnd::ViewerCorners(int32_t faceNo)
{
    std::array<int32_t, kPmQueryCells> answer {};
    EXPECT_EQ(view->Channel()->Query(kPmQueryGetCorners, { QString::number(faceNo) }, 8, answer),
        CViewerChannel::QueryResult::Answered);
    std::array<int32_t, 8> corners {};
    std::copy_n(answer.begin(), 8, corners.begin());
    return corners;
}

std::array<int32_t, 8> ShowEndToEnd::StoredCorners(int32_t faceNo)
{
    CProjectFolderStore fresh;
    fresh.SetFolder(temp.FilePath(QStringLiteral("work")));
    EXPECT_TRUE(fresh.OpenProject(ProjectXml(), 1));
    const auto& faces = fresh.GetFaceListXml().Faces();
    const auto face = faces.find(faceNo);
    if (face == faces.end()) {
        ADD_FAILURE() << "no face " << faceNo << " in the files";
        return {};
    }
    return CornersOf(face->second.X, face->second.Y);
}

void ShowEndToEnd::DropOnFace(int32_t faceNo, int32_t time, const QString& path)
{
    const int x = int(TimeLine().Viewport().TimeToX(time));
    int y = -1;
    for (int row = 0; row < TimeLine().height() && y < 0; ++row) {
        if (TimeLine().HitTestFaceRow(x, row).faceNo == faceNo)
            y = row + timeline::kRowHeight / 2;
    }
    ASSERT_GE(y, 0) << "face " << faceNo << " has no row on screen";
    QMimeData files;
    files.setUrls({ QUrl::fromLocalFile(path) });
    QDragEnterEvent enter(QPoint(x, y), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&TimeLine(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(x, y), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&TimeLine(), &drop);
}

void ShowEndToEnd::PanelEdit(const Item& before, const std::function<void(Item&)>& change)
{
    Item after = before;
    change(after);
    view->OnEditBatch(1);
    EXPECT_EQ(view->OnItemChanged({ before, after }), 0);
    view->OnEditBatch(0);
}

void ShowEndToEnd::ShowAt(int32_t time)
{
    view->SetNowTime(time - TimeLine().InPosition());
    view->SeekToCurrentTime();
    ASSERT_EQ(view->Channel()->PlayTime(), time);
}

void ShowEndToEnd::SetScreen(bool on)
{
    view->ScreenButton()->SetCheckState(on ? 1 : 0);
    view->OnScreen();
}

QColor ShowEndToEnd::ScreenColour(QPoint point)
{
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, point.x(), point.y(), 1, 1)
        .toImage()
        .pixelColor(0, 0);
}

::testing::AssertionResult ShowEndToEnd::ShowsColour(QPoint point, const QColor& expected, int tolerance)
{
    QColor seen;
    if (QTest::qWaitFor(
            [&] {
                seen = ScreenColour(point);
                return Near(seen, expected, tolerance);
            },
            10000))
        return ::testing::AssertionSuccess();
    const QString screenshot = temp.FilePath(QStringLiteral("screen.png"));
    QGuiApplication::primaryScreen()->grabWindow(0).save(screenshot);
    return ::testing::AssertionFailure()
        << "at (" << point.x() << ", " << point.y() << ") the display shows " << Describe(seen) << ", not "
        << Describe(expected) << " (the screen is in " << screenshot.toStdString() << ")";
}

bool XdoTool(const QStringList& arguments, QString* output)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral(KALEIDRA_XDOTOOL_PATH), arguments);
    const bool ran = xdotool.waitForFinished(10000) && xdotool.exitStatus() == QProcess::NormalExit
        && xdotool.exitCode() == 0;
    if (output)
        *output = QString::fromUtf8(xdotool.readAllStandardOutput());
    return ran;
}

bool DragPointer(QPoint from, QPoint to)
{
    const auto at = [](QPoint point) {
        return QStringList { QString::number(point.x()), QString::number(point.y()) };
    };
    const QStringList pause = { QStringLiteral("sleep"), QStringLiteral("0.1") };
    return XdoTool(QStringList { QStringLiteral("mousemove") } + at(from) + pause
        + QStringList { QStringLiteral("mousedown"), QStringLiteral("1") } + pause
        + QStringList { QStringLiteral("mousemove") } + at((from + to) / 2) + pause
        + QStringList { QStringLiteral("mousemove") } + at(to) + pause
        + QStringList { QStringLiteral("mouseup"), QStringLiteral("1") });
}

std::map<QString, QByteArray> XmlFiles(const QString& folder)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(folder, { QStringLiteral("*.xml") }, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        files[QDir(folder).relativeFilePath(path)] = file.readAll();
    }
    return files;
}

int MovieGreyAt(int32_t start, int32_t time)
{
    return media_fixtures::GreyOfFrame((time - start) * ShowEndToEnd::kMovieRate / 100);
}
