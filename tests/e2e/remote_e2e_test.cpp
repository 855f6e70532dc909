// The show driven from KaleidraRemote (its buttons clicked and its current-time field typed into,
// in its own window) with the editor and the viewer following; and the show packed into a package,
// expanded into empty folders and opened, playing the package's copies of its media.
#include "controls/gdi_button.h"
#include "platform/dialog_service.h"
#include "project/project_xml.h"
#include "tests/e2e/remote_program.h"
#include "tests/e2e/show_fixture.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "timeline/time_line.h"
#include "view/main_menu.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

namespace c = menu_command;
using Item = ShowEndToEnd::Item;

namespace {

// The middle of face 2, where the movie plays from 600 to 800, and of face 1 (the picture from 0
// to 500, the tone from 600).
const QPoint kMiddleOfFace2(990, 640);
const QPoint kMiddleOfFace1(960, 460);

bool LoopStoredIn(const QString& projectXml)
{
    CProjectXml project;
    return project.LoadProjectXml(projectXml) && project.Loop == 1;
}

} // namespace

TEST_F(ShowEndToEnd, TheRemoteDrivesTheEditorAndTheViewer)
{
    ASSERT_NO_FATAL_FAILURE(NewShow());
    CRemoteProgram remote;
    ASSERT_TRUE(remote.Start()) << remote.Diagnostics().toStdString();
    view->SetRemotePort(remote.Port());
    ASSERT_TRUE(view->RunMenuCommand(c::kRemoteConnect));
    ASSERT_EQ(view->RemoteLinkState(), CRemoteLink::kConnected);
    ASSERT_TRUE(remote.WaitUntilPlayTimeShown(20000)) << "the remote was given the editor's times";
    EXPECT_FALSE(view->StartPauseButton()->isEnabled()) << "the transport is the remote's";
    SetScreen(true);
    ShowAt(620);
    const CViewerChannel& channel = *view->Channel();

    // START from the remote: the editor plays and the viewer's clock runs on through the movie.
    ASSERT_TRUE(remote.Click(CRemoteProgram::Button::StartPause));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->PlayState() == CKaleidraView::kPlaying; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return channel.PlayTime() > 660; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->NowTime() > 660; }, 10000));
    // PAUSE from the remote: both stop where the viewer stopped.
    ASSERT_TRUE(remote.Click(CRemoteProgram::Button::StartPause));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->PlayState() == CKaleidraView::kStopped; }, 10000));
    const int32_t stopped = channel.PlayTime();
    QTest::qWait(300);
    EXPECT_EQ(channel.PlayTime(), stopped);
    EXPECT_EQ(TimeLine().PlayPosition(), stopped);

    // A time typed into the remote: the editor seeks there and the viewer shows the movie's
    // frame of that time.
    ASSERT_TRUE(remote.TypeCurrentTime(QStringLiteral("0:00:07:10")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->NowTime() == 710; }, 10000)) << view->NowTime();
    EXPECT_EQ(channel.PlayTime(), 710);
    const int grey = MovieGreyAt(600, 710);
    EXPECT_TRUE(ShowsColour(kMiddleOfFace2, QColor(grey, grey, grey), 5));

    // LOOP from the remote: the editor's button and the project file; with OUT at 800 the viewer
    // and the editor go round from OUT to IN.
    ASSERT_TRUE(remote.Click(CRemoteProgram::Button::Loop));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->LoopButton()->GetCheckState() == 1; }, 10000));
    EXPECT_TRUE(LoopStoredIn(ProjectXml()));
    view->OnTlOutMoved(800);
    ShowAt(700);
    ASSERT_TRUE(remote.Click(CRemoteProgram::Button::StartPause));
    EXPECT_TRUE(QTest::qWaitFor([&] { return channel.PlayTime() > 750; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return channel.PlayTime() < 700; }, 10000)) << "the viewer went round";
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->NowTime() < 700; }, 10000)) << "the editor went round";
    EXPECT_EQ(view->PlayState(), CKaleidraView::kPlaying);
    // TOP from the remote while it plays: back to IN.
    ASSERT_TRUE(remote.Click(CRemoteProgram::Button::StartPause));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->PlayState() == CKaleidraView::kStopped; }, 10000));
    ASSERT_TRUE(remote.Click(CRemoteProgram::Button::Top));
    EXPECT_TRUE(QTest::qWaitFor([&] { return channel.PlayTime() == 0 && view->NowTime() == 0; }, 10000));
    EXPECT_TRUE(ShowsColour(kMiddleOfFace1, kPicture)) << "the picture of the top";

    // Disconnect: the transport is the editor's again.
    ASSERT_TRUE(view->RunMenuCommand(c::kRemoteDisconnect));
    EXPECT_EQ(view->RemoteLinkState(), CRemoteLink::kNotConnected);
    EXPECT_TRUE(view->StartPauseButton()->isEnabled());
}

TEST_F(ShowEndToEnd, APackedShowIsExpandedIntoEmptyFoldersAndPlaysItsOwnCopies)
{
    ASSERT_NO_FATAL_FAILURE(NewShow());
    ASSERT_TRUE(view->RunMenuCommand(c::kSaveProject));
    const timeline::FaceList saved = TimeLine().Faces();

    // Create package, as the export dialog is filled in.
    packageAnswers.exportFolder = temp.MakeFolder(QStringLiteral("out"));
    packageAnswers.exportProject = ProjectFile();
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    ASSERT_TRUE(view->RunMenuCommand(c::kExport));
    const QString package = packageAnswers.exportFolder + QStringLiteral("/show.kdpp");
    ASSERT_TRUE(QFileInfo(package).isFile()) << dialogs.MessageTexts().size();
    ASSERT_TRUE(view->RunMenuCommand(c::kCloseProject));
    EXPECT_FALSE(view->IsProjectOpen());

    // The media the project was made from go away: only the package's copies are left.
    ASSERT_TRUE(QDir(temp.FilePath(QStringLiteral("media"))).removeRecursively());

    // Expand package into empty folders and open the project file it wrote.
    packageAnswers.importPackage = package;
    packageAnswers.importProjects = temp.MakeFolder(QStringLiteral("projects"));
    packageAnswers.importData = temp.MakeFolder(QStringLiteral("data"));
    dialogs.Clear();
    dialogs.AnswerMessageBox(platform::IDOK);
    ASSERT_TRUE(view->RunMenuCommand(c::kImport));
    const QString expanded = packageAnswers.importProjects + QStringLiteral("/show.kdp");
    ASSERT_TRUE(view->OnOpenProject(&expanded));
    ASSERT_TRUE(view->IsViewerRunning());

    // The same show, its items naming the expanded copies.
    const timeline::FaceList opened = TimeLine().Faces();
    ASSERT_EQ(opened.size(), saved.size());
    for (size_t face = 0; face < saved.size(); ++face) {
        ASSERT_EQ(opened[face].Items.size(), saved[face].Items.size());
        for (size_t i = 0; i < saved[face].Items.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "face " << face + 1 << ", item " << i);
            Item expected = saved[face].Items[i];
            const Item& item = opened[face].Items[i];
            EXPECT_TRUE(item.FilePath.startsWith(packageAnswers.importData + QStringLiteral("/show_Data/")))
                << item.FilePath.toStdString();
            EXPECT_TRUE(QFileInfo(item.FilePath).isFile()) << item.FilePath.toStdString();
            expected.FilePath = item.FilePath;
            EXPECT_EQ(item, expected);
        }
    }

    // The viewer plays the copies: the picture, and the movie's frame of its time.
    SetScreen(true);
    ShowAt(100);
    EXPECT_TRUE(ShowsColour(kMiddleOfFace1, kPicture));
    ShowAt(750);
    const int grey = MovieGreyAt(600, 750);
    EXPECT_TRUE(ShowsColour(kMiddleOfFace2, QColor(grey, grey, grey), 5));
}
