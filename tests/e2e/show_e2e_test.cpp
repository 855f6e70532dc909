// A whole show as a user makes and runs it: the editor's view (with its own settings, registry
// store and work folder in a temporary tree) drives the real Luxviewer on the virtual display.
// A new project gets two faces, a picture, a movie and a sound dropped onto the timeline, a LINK,
// an entry fade and a filter; it is saved, closed and opened again; the viewer shows each item
// at its time; a corner dragged in the viewer is recorded by the editor and undone.
#include "controls/gdi_button.h"
#include "core/pm_param_block.h"
#include "platform/dialog_service.h"
#include "project/record_conversion.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/project/media_fixtures.h"
#include "tests/view/view_fixture.h"
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

namespace c = menu_command;
using Item = tagTL_FACE_ITEM_DATA;

namespace {

// The picture on face 1 and what the viewer makes of it.
const QColor kPicture(200, 60, 30);
// The negative filter at full strength.
const QColor kNegative(255 - 200, 255 - 60, 255 - 30);

bool Near(const QColor& a, const QColor& b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

QString Describe(const QColor& colour)
{
    return QStringLiteral("(%1, %2, %3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

// Every XML file under the folder, by relative path, with its bytes.
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

} // namespace

class ShowEndToEnd : public ViewFixture {
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        // Dual mode with the whole display as the canvas: with SCREEN on the output fills the
        // display and a canvas pixel is a screen pixel.
        temp.WriteFile(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Kaleidra.ini"),
            QStringLiteral("[SYSTEM]\nWorkFolder=%1\nImageDefaultTime=500\nEffectDefaultTime=100\n"
                           "ProjectDefaultTime=18000\nGuideDefaultStatus=0\n[VIEWER]\nViewerMode=0\n"
                           "ResoMode=0\nProjectorDisplayNo=1\n")
                .arg(temp.FilePath(QStringLiteral("work")))
                .toUtf8());
        ASSERT_TRUE(MakeView());
        view->SetCommandHandlers(nullptr);
        view->Viewer().SetProgram(QStringLiteral(KALEIDRA_LUXVIEWER_PATH));
        shows = temp.MakeFolder(QStringLiteral("shows"));
        AnswerProjectDialogs(shows, typedName);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        screen = QGuiApplication::primaryScreen()->geometry();
        ASSERT_EQ(screen.size(), QSize(1920, 1080)) << "the virtual display of the test";
    }

    CTimeLine& TimeLine() { return *view->TimeLine(); }
    Item ItemAt(int32_t faceNo, int32_t start)
    {
        Item item;
        EXPECT_TRUE(TimeLine().GetItemRecord(faceNo, start, item)) << faceNo << "@" << start;
        return item;
    }
    std::array<int32_t, 8> Corners(int32_t faceNo)
    {
        tagTL_FACE_DATA face;
        EXPECT_TRUE(TimeLine().GetFaceData(1, faceNo, face));
        return { face.X[0], face.Y[0], face.X[1], face.Y[1], face.X[2], face.Y[2], face.X[3], face.Y[3] };
    }
    // The corners the viewer holds for the face, asked through the block.
    std::array<int32_t, 8> ViewerCorners(int32_t faceNo)
    {
        std::array<int32_t, kPmQueryCells> answer {};
        EXPECT_EQ(view->Channel()->Query(kPmQueryGetCorners, { QString::number(faceNo) }, 8, answer),
            CViewerChannel::QueryResult::Answered);
        std::array<int32_t, 8> corners {};
        std::copy_n(answer.begin(), 8, corners.begin());
        return corners;
    }
    // The corners of the face as its entry in the project's files holds them.
    std::array<int32_t, 8> StoredCorners(int32_t faceNo)
    {
        CProjectFolderStore fresh;
        fresh.SetFolder(temp.FilePath(QStringLiteral("work")));
        EXPECT_TRUE(fresh.OpenProject(ProjectXml(), 1));
        for (const auto& [number, face] : fresh.GetFaceListXml().Faces()) {
            if (number == faceNo)
                return { face.X[0], face.Y[0], face.X[1], face.Y[1], face.X[2], face.Y[2], face.X[3],
                    face.Y[3] };
        }
        ADD_FAILURE() << "no face " << faceNo << " in the files";
        return {};
    }
    QString ProjectXml() const { return temp.FilePath(QStringLiteral("work/show/show.xml")); }

    // Drops the files onto the face's row at the time, as a file manager's drag does.
    void DropOnFace(int32_t faceNo, int32_t time, const QString& path)
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

    // The item panel's edit of an item, as the panel reports it.
    void PanelEdit(const Item& before, const std::function<void(Item&)>& change)
    {
        Item after = before;
        change(after);
        view->OnEditBatch(1);
        EXPECT_EQ(view->OnItemChanged({ before, after }), 0);
        view->OnEditBatch(0);
    }

    // The viewer stopped at the show time.
    void ShowAt(int32_t time)
    {
        view->SetNowTime(time - TimeLine().InPosition());
        view->SeekToCurrentTime();
        ASSERT_EQ(view->Channel()->PlayTime(), time);
    }

    // Waits until the display shows the colour at the point; the last colour seen otherwise.
    ::testing::AssertionResult ShowsColour(QPoint point, const QColor& expected, int tolerance = 8)
    {
        QColor seen;
        const bool shown = QTest::qWaitFor(
            [&] {
                seen = QGuiApplication::primaryScreen()
                           ->grabWindow(0, point.x(), point.y(), 1, 1)
                           .toImage()
                           .pixelColor(0, 0);
                return Near(seen, expected, tolerance);
            },
            10000);
        if (shown)
            return ::testing::AssertionSuccess();
        QGuiApplication::primaryScreen()->grabWindow(0).save(temp.FilePath(QStringLiteral("screen.png")));
        return ::testing::AssertionFailure()
            << "at (" << point.x() << ", " << point.y() << ") the display shows "
            << Describe(seen).toStdString() << ", not " << Describe(expected).toStdString()
            << " (the screen is in " << temp.FilePath(QStringLiteral("screen.png")).toStdString() << ")";
    }

    // Drags with the pointer of the display (XTest), as a user's hand does.
    bool DragPointer(QPoint from, QPoint to)
    {
        const auto at = [](QPoint point) {
            return QStringList { QString::number(point.x()), QString::number(point.y()) };
        };
        QStringList arguments = QStringList { QStringLiteral("mousemove") } + at(from)
            + QStringList { QStringLiteral("sleep"), QStringLiteral("0.2"), QStringLiteral("mousedown"),
                  QStringLiteral("1"), QStringLiteral("sleep"), QStringLiteral("0.1"),
                  QStringLiteral("mousemove") }
            + at((from + to) / 2)
            + QStringList { QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("mousemove") }
            + at(to)
            + QStringList { QStringLiteral("sleep"), QStringLiteral("0.2"), QStringLiteral("mouseup"),
                  QStringLiteral("1") };
        QProcess xdotool;
        xdotool.start(QStringLiteral(KALEIDRA_XDOTOOL_PATH), arguments);
        return xdotool.waitForFinished(10000) && xdotool.exitStatus() == QProcess::NormalExit
            && xdotool.exitCode() == 0;
    }

    QString shows;
    QString typedName = QStringLiteral("show");
    QRect screen;
};

TEST_F(ShowEndToEnd, ABuiltShowIsSavedOpenedAgainAndShownInTheViewer)
{
    // The media, made here: a picture, a 2 s movie whose frames are greys of their number, a
    // 2 s tone.
    QImage picture(160, 90, QImage::Format_RGB32);
    picture.fill(kPicture);
    const QString picturePath = temp.FilePath(QStringLiteral("media/picture.png"));
    ASSERT_TRUE(QDir().mkpath(temp.FilePath(QStringLiteral("media"))));
    ASSERT_TRUE(picture.save(picturePath));
    const QString moviePath = temp.FilePath(QStringLiteral("media/ramp.mp4"));
    ASSERT_TRUE(media_fixtures::MakeGreyRampMovie(moviePath, QStringLiteral("25"), 50,
        { "-c:v", "mpeg4", "-q:v", "1", "-video_track_timescale", "12800" }));
    const QString soundPath = temp.FilePath(QStringLiteral("media/tone.wav"));
    ASSERT_TRUE(media_fixtures::MakePcmWav(soundPath, 44100, 2 * 44100));

    // A new project starts the viewer.
    ASSERT_TRUE(view->OnNewProject());
    const QString projectFile = shows + QStringLiteral("/show.kdp");
    ASSERT_TRUE(QFileInfo(projectFile).isFile());
    ASSERT_TRUE(view->IsViewerRunning());

    // Two faces from the Face menu; the picture and the tone on face 1, the movie on face 2.
    ASSERT_TRUE(view->RunMenuCommand(c::kFaceAdd));
    ASSERT_TRUE(view->RunMenuCommand(c::kFaceAdd));
    ASSERT_EQ(TimeLine().FaceCount(), 2);
    DropOnFace(1, 0, picturePath);
    DropOnFace(1, 600, soundPath);
    DropOnFace(2, 600, moviePath);
    const Item pictureItem = ItemAt(1, 0);
    EXPECT_EQ(pictureItem.Mode, Item::MODE_IMAGE);
    EXPECT_EQ(pictureItem.PlayTime, 500);
    EXPECT_EQ(ItemAt(1, 600).Mode, Item::MODE_SOUND);
    EXPECT_EQ(ItemAt(1, 600).PlayTime, 200);
    EXPECT_EQ(ItemAt(2, 600).Mode, Item::MODE_MOVIE);
    EXPECT_EQ(ItemAt(2, 600).PlayTime, 200);

    // The picture shown on face 2 too (an Alt drag onto the other face), then an entry fade of
    // 2 s and the negative filter on the picture, from the item panel.
    ASSERT_TRUE(TimeLine().DropAltItems(1, 2, 0, 0, pictureItem));
    EXPECT_EQ(ItemAt(2, 0).Mode, Item::MODE_LINK);
    EXPECT_EQ(ItemAt(2, 0).LinkFaceNo, 1);
    PanelEdit(ItemAt(1, 0), [](Item& item) {
        item.InPattern = 1; // fade
        item.InStartTime = item.Start;
        item.InEndTime = item.Start + 200;
        item.FilterNo = 7; // negative
        item.Param[0] = 100;
    });
    EXPECT_EQ(document->Modified, 1);

    // Save: the project file and the work copy hold every item.
    ASSERT_TRUE(view->RunMenuCommand(c::kSaveProject));
    EXPECT_EQ(document->Modified, 0);
    const timeline::FaceList saved = TimeLine().Faces();
    const std::map<QString, QByteArray> savedXml = XmlFiles(temp.FilePath(QStringLiteral("work")));
    {
        CProjectFolderStore fresh;
        fresh.SetFolder(temp.FilePath(QStringLiteral("work")));
        ASSERT_TRUE(fresh.OpenProject(ProjectXml(), 1));
        ASSERT_EQ(fresh.GetFaceListXml().Faces().size(), 2u);
        for (const auto& face : saved) {
            SCOPED_TRACE(face.No);
            const auto& stored = fresh.GetFaceItemMap().at(face.No).Items();
            ASSERT_EQ(stored.size(), face.Items.size());
            for (const Item& item : face.Items) {
                ItemXmlRecord entry;
                ASSERT_TRUE(ToItemXmlRecord(item, entry));
                EXPECT_EQ(stored.at(item.Start), entry) << "item at " << item.Start;
            }
        }
    }

    // Close: the work folder is emptied and the viewer ends; open again: everything as it was.
    ASSERT_TRUE(view->RunMenuCommand(c::kCloseProject));
    EXPECT_FALSE(view->IsProjectOpen());
    EXPECT_TRUE(QDir(temp.FilePath(QStringLiteral("work"))).isEmpty());
    EXPECT_EQ(view->ViewerProcessId(), 0);
    ASSERT_TRUE(view->OnOpenProject(&projectFile));
    ASSERT_TRUE(view->IsViewerRunning());
    EXPECT_EQ(TimeLine().Faces(), saved);
    EXPECT_EQ(XmlFiles(temp.FilePath(QStringLiteral("work"))), savedXml);
    EXPECT_EQ(ItemAt(2, 0).LinkMode, Item::MODE_IMAGE) << "the LINK knows what it shows";
    EXPECT_EQ(ItemAt(1, 0).FilePath, picturePath);
    EXPECT_EQ(document->Modified, 0);

    // The show on the projector (SCREEN): the output fills the display.
    view->ScreenButton()->SetCheckState(1);
    view->OnScreen();
    const std::array<int32_t, 8> face1 = Corners(1);
    const std::array<int32_t, 8> face2 = Corners(2);
    ASSERT_EQ(face1, (std::array<int32_t, 8> { 800, 450, 1120, 450, 1120, 630, 800, 630 }));
    ASSERT_EQ(face2, (std::array<int32_t, 8> { 830, 480, 1150, 480, 1150, 660, 830, 660 }));
    // Points that only one face covers, and the middle of face 2.
    const QPoint onlyFace1(815, 540);
    const QPoint onlyFace2(1137, 600);
    const QPoint middleOfFace2(990, 570);
    const QPoint outside(400, 200);

    // Half way through the fade: the negative picture at half strength; the LINK shows the
    // picture as it is (it has effects and a filter of its own, none).
    ShowAt(100);
    EXPECT_TRUE(
        ShowsColour(onlyFace1, QColor(kNegative.red() / 2, kNegative.green() / 2, kNegative.blue() / 2)));
    EXPECT_TRUE(ShowsColour(onlyFace2, kPicture));
    EXPECT_TRUE(ShowsColour(outside, Qt::black));
    // After the fade: the negative at full strength.
    ShowAt(300);
    EXPECT_TRUE(ShowsColour(onlyFace1, kNegative));
    // In the movie: its frame of the time (1.1 s into it: frame 27 of 25 a second) on face 2;
    // face 1 has only the tone then and shows nothing.
    ShowAt(710);
    const int grey = media_fixtures::GreyOfFrame(27);
    EXPECT_TRUE(ShowsColour(middleOfFace2, QColor(grey, grey, grey), 5));
    EXPECT_TRUE(ShowsColour(onlyFace1, Qt::black));
    QGuiApplication::primaryScreen()->grabWindow(0).save(temp.FilePath(QStringLiteral("movie.png")));

    // A corner dragged in the viewer with GUIDE on: the editor takes it into the timeline and
    // the face's file and records it for undo; undo hands the viewer the corners back.
    ShowAt(300);
    view->GuideButton()->SetCheckState(1);
    view->OnGuide();
    const QPoint insideMovedFace(1250, 420);
    EXPECT_TRUE(ShowsColour(insideMovedFace, Qt::black));
    EXPECT_FALSE(view->CanUndo());
    ASSERT_TRUE(DragPointer(QPoint(face2[2], face2[3]), QPoint(1500, 300)));
    std::array<int32_t, 8> moved = face2;
    moved[2] = 1500;
    moved[3] = 300;
    EXPECT_TRUE(QTest::qWaitFor([&] { return Corners(2) == moved; }, 10000))
        << "the editor has " << Corners(2)[2] << ", " << Corners(2)[3];
    EXPECT_EQ(StoredCorners(2), moved);
    EXPECT_EQ(Corners(1), face1);
    EXPECT_TRUE(view->CanUndo());
    EXPECT_EQ(document->Modified, 1);
    EXPECT_TRUE(ShowsColour(insideMovedFace, kPicture)) << "the LINK drawn on the moved face";

    ASSERT_TRUE(view->RunMenuCommand(c::kUndo));
    EXPECT_EQ(Corners(2), face2);
    EXPECT_EQ(StoredCorners(2), face2);
    EXPECT_EQ(ViewerCorners(2), face2);
    EXPECT_TRUE(ShowsColour(insideMovedFace, Qt::black));
    EXPECT_TRUE(ShowsColour(onlyFace2, kPicture));
    QGuiApplication::primaryScreen()->grabWindow(0).save(temp.FilePath(QStringLiteral("undone.png")));

    // The editor ends its viewer when the project closes.
    view->ScreenButton()->SetCheckState(0);
    view->OnScreen();
    const pid_t pid = view->ViewerProcessId();
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDYES);
    ASSERT_TRUE(view->RunMenuCommand(c::kCloseProject));
    EXPECT_FALSE(view->IsProjectOpen());
    EXPECT_TRUE(kill(pid, 0) != 0 && errno == ESRCH);
}
