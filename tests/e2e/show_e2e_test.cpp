// A whole show as a user makes and runs it: a new project gets two faces, a picture, a movie and
// a sound dropped onto the timeline, a LINK, an entry fade and a filter; it is saved, closed and
// opened again; the viewer shows each item at its time; a corner dragged in the viewer is
// recorded by the editor and undone.
#include "tests/e2e/show_fixture.h"

#include "controls/gdi_button.h"
#include "core/pm_param_block.h"
#include "platform/dialog_service.h"
#include "project/project_folder_store.h"
#include "project/record_conversion.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "timeline/time_line.h"
#include "view/main_menu.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <csignal>

namespace c = menu_command;
using Item = ShowEndToEnd::Item;

namespace {

// The negative filter at full strength.
const QColor kNegative(255 - 200, 255 - 60, 255 - 30);

} // namespace

TEST_F(ShowEndToEnd, ABuiltShowIsSavedOpenedAgainAndShownInTheViewer)
{
    ASSERT_NO_FATAL_FAILURE(NewShow());
    const Item pictureItem = ItemAt(1, 0);

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
    const QString projectFile = ProjectFile();
    ASSERT_TRUE(view->OnOpenProject(&projectFile));
    ASSERT_TRUE(view->IsViewerRunning());
    EXPECT_EQ(TimeLine().Faces(), saved);
    EXPECT_EQ(XmlFiles(temp.FilePath(QStringLiteral("work"))), savedXml);
    EXPECT_EQ(ItemAt(2, 0).LinkMode, Item::MODE_IMAGE) << "the LINK knows what it shows";
    EXPECT_EQ(ItemAt(1, 0).FilePath, picturePath);
    EXPECT_EQ(document->Modified, 0);

    // The show on the projector (SCREEN): the output fills the display.
    SetScreen(true);
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
    const int grey = MovieGreyAt(600, 710);
    EXPECT_TRUE(ShowsColour(middleOfFace2, QColor(grey, grey, grey), 5));
    EXPECT_TRUE(ShowsColour(onlyFace1, Qt::black));

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

    // The editor ends its viewer when the project closes.
    SetScreen(false);
    const pid_t pid = view->ViewerProcessId();
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDYES);
    ASSERT_TRUE(view->RunMenuCommand(c::kCloseProject));
    EXPECT_FALSE(view->IsProjectOpen());
    EXPECT_TRUE(kill(pid, 0) != 0 && errno == ESRCH);
}
