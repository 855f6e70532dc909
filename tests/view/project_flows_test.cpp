// The project flows of the view on real folders, from the new-project dialog to the project file
// and back: new, edits, save, close, open, save as; undo and redo through the view; the edit
// and help commands.
#include "controls/gdi_button.h"
#include "controls/msk_edit.h"
#include "core/wait_dlg.h"
#include "itempanel/setting_dlg.h"
#include "platform/dialog_service.h"
#include "project/export_dlg.h"
#include "project/import_dlg.h"
#include "project/record_conversion.h"
#include "project/zip_file.h"
#include "tests/core/qstring_printer.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/project/media_fixtures.h"
#include "tests/view/view_fixture.h"
#include "timeline/thumbnail_writer.h"
#include "timeline/time_line.h"
#include "view/add_new_dlg.h"
#include "view/folder_tree.h"
#include "view/main_menu.h"
#include "view/startup_dlg.h"
#include "view/web_address.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>
#include <QUrl>

using platform::LoadSharedFlag;

namespace {

// Records the addresses handed to the desktop.
class CUrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

QString PicturePath(const CTempFolder& temp, const QString& name, Qt::GlobalColor colour)
{
    QImage picture(160, 90, QImage::Format_RGB32);
    picture.fill(colour);
    const QString path = temp.FilePath(QStringLiteral("media/") + name);
    QDir().mkpath(QFileInfo(path).path());
    EXPECT_TRUE(picture.save(path));
    return path;
}

} // namespace

// A view with its own project flows, whose modal dialogs are filled in as a user would.
class ProjectFlows : public ViewFixture {
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        ASSERT_TRUE(MakeView());
        view->SetCommandHandlers(nullptr);
        viewer = std::make_unique<CFakeViewer>(Block());
        view->Viewer().SetProgram(
            QStringLiteral("/bin/sh"), { QStringLiteral("-c"), QStringLiteral("exec sleep 60") });
        shows = temp.MakeFolder(QStringLiteral("shows"));
        AnswerProjectDialogs(shows, typedName);
    }
    // A new project through the File menu's command, its viewer ended when it quits.
    bool NewProject(const QString& name)
    {
        typedName = name;
        const bool made = view->OnNewProject();
        if (view->ViewerProcessId())
            viewer->EndOnQuit(view->ViewerProcessId());
        return made;
    }
    bool Open(const QString& path)
    {
        const bool opened = view->OnOpenProject(&path);
        if (view->ViewerProcessId())
            viewer->EndOnQuit(view->ViewerProcessId());
        return opened;
    }
    QString Work(const QString& relative = {}) const
    {
        return temp.FilePath(QStringLiteral("work/") + relative);
    }
    QStringList WorkEntries() const
    {
        return QDir(Work()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    CTimeLine& TimeLine() { return *view->TimeLine(); }
    tagTL_FACE_ITEM_DATA Item(int32_t faceNo, int32_t start)
    {
        tagTL_FACE_ITEM_DATA item;
        EXPECT_TRUE(TimeLine().GetItemRecord(faceNo, start, item));
        return item;
    }
    // The item panel's edit of an item, as the panel reports it.
    void PanelEdit(
        const tagTL_FACE_ITEM_DATA& before, const std::function<void(tagTL_FACE_ITEM_DATA&)>& change)
    {
        tagTL_FACE_ITEM_DATA after = before;
        change(after);
        view->OnEditBatch(1);
        EXPECT_EQ(view->OnItemChanged({ before, after }), 0);
        view->OnEditBatch(0);
    }

    QString SaveProjectWithAddedFile(const QString& added,
        const QByteArray& content,
        const QByteArray& from,
        const QByteArray& to,
        int times);

    QString shows;
    QString typedName;
};

TEST_F(ProjectFlows, NewEditSaveCloseAndOpenAgainGiveTheSameProject)
{
    ASSERT_TRUE(NewProject(QStringLiteral("show.old")));
    const QString projectFile = shows + QStringLiteral("/show.kdp");
    EXPECT_TRUE(QFileInfo(projectFile).isFile()) << "named before its first dot";
    EXPECT_TRUE(QFileInfo(Work(QStringLiteral("show/show.xml"))).isFile());
    EXPECT_TRUE(QFileInfo(Work(QStringLiteral("show/Channel_1/Channel_1.xml"))).isFile());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Kaleidra Pro - show"));
    EXPECT_TRUE(view->IsProjectOpen());
    EXPECT_TRUE(view->ItemPanel()->isVisible());
    EXPECT_TRUE(view->StartPauseButton()->isEnabled());
    EXPECT_NE(view->ViewerProcessId(), 0);
    EXPECT_EQ(view->History().back(), projectFile);
    EXPECT_EQ(TimeLine().ProjectLength(), 18000) << "the project default time";
    EXPECT_EQ(view->ProjectTime(), 18000);

    // Edits: faces, items, a panel edit, the play range and the project time.
    TimeLine().OnFaceAdd();
    TimeLine().OnFaceAdd();
    ASSERT_TRUE(TimeLine().AddItem(1, 0, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    ASSERT_TRUE(TimeLine().AddItem(2, 1000, tagTL_FACE_ITEM_DATA::MODE_MOVIE));
    PanelEdit(Item(1, 0), [](tagTL_FACE_ITEM_DATA& item) {
        item.Volume = 40;
        item.FilterNo = 3;
    });
    view->OnTlInMoved(100);
    view->ProjectTimeEdit()->SetWindowTime(int64_t(12000));
    EXPECT_EQ(view->CommitProjectTime(), 1);
    EXPECT_EQ(TimeLine().OutPosition(), 12000) << "OUT follows a shorter project";
    EXPECT_EQ(document->Modified, 1);
    const timeline::FaceList faces = TimeLine().Faces();
    ASSERT_EQ(faces.size(), 2u);

    ASSERT_TRUE(view->OnSaveProject());
    EXPECT_EQ(document->Modified, 0);

    ASSERT_TRUE(view->OnCloseProject());
    EXPECT_FALSE(view->IsProjectOpen());
    EXPECT_TRUE(WorkEntries().isEmpty()) << "the work folder is emptied";
    EXPECT_EQ(TimeLine().FaceCount(), 0);
    EXPECT_FALSE(view->ItemPanel()->isVisible());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Kaleidra Pro"));
    EXPECT_EQ(view->ViewerProcessId(), 0);
    EXPECT_FALSE(view->StartPauseButton()->isEnabled());

    ASSERT_TRUE(Open(projectFile));
    EXPECT_EQ(TimeLine().Faces(), faces);
    EXPECT_EQ(TimeLine().InPosition(), 100);
    EXPECT_EQ(TimeLine().OutPosition(), 12000);
    EXPECT_EQ(TimeLine().ProjectLength(), 12000);
    EXPECT_EQ(view->PlayTime(), 11900);
    EXPECT_EQ(Item(1, 0).Volume, 40);
    EXPECT_EQ(document->Modified, 0);
    EXPECT_FALSE(view->CanUndo()) << "a project opened starts without undo";
}

TEST_F(ProjectFlows, AModifiedProjectIsClosedOnlyWhenTheUserSaysSo)
{
    ASSERT_TRUE(NewProject(QStringLiteral("show")));
    TimeLine().OnFaceAdd();
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDNO);
    EXPECT_FALSE(view->OnCloseProject());
    EXPECT_TRUE(view->IsProjectOpen());
    EXPECT_EQ(dialogs.MessageTexts(),
        std::vector<QString> { QStringLiteral("現在編集中のプロジェクトを閉じます。よろしいですか？") });
    // A hand-over asks too; No keeps the project.
    dialogs.AnswerMessageBox(platform::IDNO);
    EXPECT_EQ(view->OpenProjectFile(shows + QStringLiteral("/show.kdp")), 0);
    EXPECT_TRUE(view->IsProjectOpen());
    dialogs.AnswerMessageBox(platform::IDYES);
    EXPECT_TRUE(view->OnCloseProject());
    EXPECT_FALSE(view->IsProjectOpen());
    // Every file of the work folder goes, not only the project's.
    temp.WriteFile(QStringLiteral("work/stray.txt"), "x");
    ASSERT_TRUE(Open(shows + QStringLiteral("/show.kdp")));
    EXPECT_EQ(TimeLine().FaceCount(), 0) << "the unsaved face was not kept";
    EXPECT_TRUE(view->OnCloseProject());
    EXPECT_TRUE(WorkEntries().isEmpty());
}

TEST_F(ProjectFlows, AProjectFileIsNeverKeptInTheWorkFolder)
{
    // The work folder is emptied at every close: a project file there would be lost.
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    dialogs.AnswerMessageBox(platform::IDOK);
    const QString documents = shows;
    shows = temp.MakeFolder(QStringLiteral("work/inside"));
    EXPECT_FALSE(NewProject(QStringLiteral("show")));
    EXPECT_FALSE(QFileInfo::exists(shows + QStringLiteral("/show.kdp")));
    shows = documents;
    ASSERT_TRUE(NewProject(QStringLiteral("show")));
    ASSERT_TRUE(view->OnCloseProject());
    const QString copied = Work(QStringLiteral("copied.kdp"));
    ASSERT_TRUE(QFile::copy(shows + QStringLiteral("/show.kdp"), copied));
    EXPECT_FALSE(Open(copied));
    ASSERT_EQ(dialogs.MessageTexts().size(), 2u);
    EXPECT_TRUE(
        dialogs.MessageTexts()[0].startsWith(QStringLiteral("プロジェクトファイルの作成に失敗しました。")));
    EXPECT_TRUE(
        dialogs.MessageTexts()[1].startsWith(QStringLiteral("プロジェクトデータの展開に失敗しました。")));
}

TEST_F(ProjectFlows, ClosingTheEditorCancelsTheDialogItHasOpen)
{
    // A request to end (a termination signal) while the new-project dialog is up: the dialog
    // is cancelled and nothing is made, so nothing holds the editor open.
    bool shown = false;
    view->SetModalRunner([&](QDialog& dialog) {
        dialog.show();
        shown = dialog.isVisible();
        document->CloseWithoutQuestion();
        return dialog.result();
    });
    EXPECT_FALSE(NewProject(QStringLiteral("show")));
    EXPECT_TRUE(shown);
    EXPECT_FALSE(view->IsProjectOpen());
    EXPECT_FALSE(QFileInfo::exists(shows + QStringLiteral("/show.kdp")));
}

TEST_F(ProjectFlows, SaveAsWritesTheNewFileAndKeepsTheWorkCopyUntilItIsLoaded)
{
    ASSERT_TRUE(NewProject(QStringLiteral("first")));
    TimeLine().OnFaceAdd();
    ASSERT_TRUE(view->OnSaveProject());
    TimeLine().OnFaceAdd();

    // The open name, in any letters or with a dot, is refused by the dialog.
    {
        CScriptedDialogService dialogs;
        dialogs.AnswerMessageBox(platform::IDOK);
        typedName = QStringLiteral("FIRST.v2");
        EXPECT_FALSE(view->OnSaveProjectAs());
        EXPECT_EQ(dialogs.MessageTexts(),
            std::vector<QString> { QStringLiteral("現在開いているプロジェクト名と同名は指定できません。") });
        EXPECT_TRUE(QFileInfo(Work(QStringLiteral("first/first.xml"))).isFile());
    }
    typedName = QStringLiteral("second");
    ASSERT_TRUE(view->OnSaveProjectAs());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Kaleidra Pro - second"));
    EXPECT_EQ(WorkEntries(), QStringList { QStringLiteral("second") });
    EXPECT_TRUE(QFileInfo(Work(QStringLiteral("second/second.xml"))).isFile());
    EXPECT_EQ(document->GetOpenedPath(), shows + QStringLiteral("/second.kdp"));
    EXPECT_EQ(TimeLine().FaceCount(), 2);
    EXPECT_EQ(document->Modified, 1) << "left as it was";
    QStringList entries;
    ASSERT_TRUE(CZipFile().ReadZipFile(shows + QStringLiteral("/second.kdp"), entries));
    EXPECT_TRUE(entries.contains(QStringLiteral("second/second.xml")));
    EXPECT_TRUE(entries.contains(QStringLiteral("second/Channel_1/Face_2/Face_2.xml")));
    // The first project file is as it was saved: one face.
    ASSERT_TRUE(CZipFile().ReadZipFile(shows + QStringLiteral("/first.kdp"), entries));
    EXPECT_FALSE(entries.contains(QStringLiteral("first/Channel_1/Face_2/Face_2.xml")));
    // Editing goes on in the new work copy.
    TimeLine().OnFaceAdd();
    EXPECT_TRUE(QFileInfo(Work(QStringLiteral("second/Channel_1/Face_3/Face_3.xml"))).isFile());
}

TEST_F(ProjectFlows, OpeningTakesTheFileNameAndRefusesArchivesWithoutAProjectFolder)
{
    ASSERT_TRUE(NewProject(QStringLiteral("A")));
    TimeLine().OnFaceAdd();
    ASSERT_TRUE(view->OnSaveProject());
    ASSERT_TRUE(view->OnCloseProject());

    // A project file renamed by the user holds the folder of its old name.
    const QString renamed = shows + QStringLiteral("/B.kdp");
    ASSERT_TRUE(QFile::copy(shows + QStringLiteral("/A.kdp"), renamed));
    ASSERT_TRUE(Open(renamed));
    EXPECT_EQ(document->GetProjectName(), QStringLiteral("B"));
    EXPECT_EQ(WorkEntries(), QStringList { QStringLiteral("B") });
    EXPECT_TRUE(QFileInfo(Work(QStringLiteral("B/B.xml"))).isFile());
    EXPECT_EQ(TimeLine().FaceCount(), 1);
    ASSERT_TRUE(view->OnCloseProject());

    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    dialogs.AnswerMessageBox(platform::IDOK);
    // A file that is no archive names no project.
    const QString notAnArchive = temp.WriteFile(QStringLiteral("shows/broken.kdp"), "not a zip");
    EXPECT_FALSE(Open(notAnArchive));
    const QString flat = temp.MakeFolder(QStringLiteral("flat"));
    temp.WriteFile(QStringLiteral("flat/inner/x.xml"), "<Project/>");
    ASSERT_TRUE(CZipFile().Zip(
        temp.FilePath(QStringLiteral("flat/inner")), temp.FilePath(QStringLiteral("shows/inner.kdp"))));
    QStringList entries;
    ASSERT_TRUE(CZipFile().ReadZipFile(temp.FilePath(QStringLiteral("shows/inner.kdp")), entries));
    EXPECT_TRUE(entries.front().startsWith(QStringLiteral("inner/")));
    ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
    EXPECT_TRUE(
        dialogs.MessageTexts()[0].startsWith(QStringLiteral("プロジェクトデータの展開に失敗しました。")));
    EXPECT_FALSE(view->IsProjectOpen());
    // The archive of a folder without the project XML of its name unpacks but does not load.
    EXPECT_FALSE(Open(temp.FilePath(QStringLiteral("shows/inner.kdp"))));
    ASSERT_EQ(dialogs.MessageTexts().size(), 2u);
    EXPECT_TRUE(
        dialogs.MessageTexts()[1].startsWith(QStringLiteral("プロジェクトファイルの読込みに失敗しました。")));
    EXPECT_FALSE(view->IsProjectOpen());
}

// Saves the project A with one face, and then writes its project file again from the work copy
// with the file `added` (relative to the project folder) holding `content`, and the `times`
// occurrences of `from` in the archive's bytes made `to`, text of the same length: an entry's
// name lies in its local and its central header, a stored entry's data once.
QString ProjectFlows::SaveProjectWithAddedFile(
    const QString& added, const QByteArray& content, const QByteArray& from, const QByteArray& to, int times)
{
    EXPECT_TRUE(NewProject(QStringLiteral("A")));
    TimeLine().OnFaceAdd();
    EXPECT_TRUE(view->OnSaveProject());
    const QString projectFile = shows + QStringLiteral("/A.kdp");
    const QString copy = temp.FilePath(QStringLiteral("changed/A"));
    EXPECT_TRUE(CopyFolderTree(Work(QStringLiteral("A")), copy));
    temp.WriteFile(QStringLiteral("changed/A/") + added, content);
    CZipFile zip;
    EXPECT_TRUE(zip.Zip(copy, projectFile)) << zip.ErrorText().toStdString();
    QByteArray bytes = temp.ReadFile(QStringLiteral("shows/A.kdp"));
    EXPECT_EQ(bytes.count(from), times);
    temp.WriteFile(QStringLiteral("shows/A.kdp"), bytes.replace(from, to));
    return projectFile;
}

TEST_F(ProjectFlows, ARefusedProjectFileLeavesTheOldWorkCopyAndNothingOfItself)
{
    // The project file damaged in a thumbnail, which is read after the project XML.
    const QString projectFile = SaveProjectWithAddedFile(QStringLiteral("Channel_1/Face_1/thumbnail_0.jpg"),
        "stored picture bytes", "stored picture bytes", "damaged picture byte", 1);
    ASSERT_TRUE(view->OnCloseProject());
    // The work copy of an editor that ended without closing its project.
    temp.WriteFile(QStringLiteral("work/A/A.xml"), "<Project>edited</Project>");

    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    EXPECT_FALSE(Open(projectFile));
    ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
    EXPECT_TRUE(
        dialogs.MessageTexts()[0].startsWith(QStringLiteral("プロジェクトデータの展開に失敗しました。")));
    EXPECT_FALSE(view->IsProjectOpen());
    EXPECT_EQ(WorkEntries(), QStringList { QStringLiteral("A") });
    EXPECT_EQ(
        QDir(Work(QStringLiteral("A"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList { QStringLiteral("A.xml") });
    EXPECT_EQ(temp.ReadFile(QStringLiteral("work/A/A.xml")), QByteArray("<Project>edited</Project>"));
}

TEST_F(ProjectFlows, OpeningRemovesWhatTheSavesOfACrashedEditorLeft)
{
    // A project file saved with a temporary of its face file in it, as saves packed them, and
    // the temporary of a save of the project file itself beside it.
    const QString projectFile
        = SaveProjectWithAddedFile(QStringLiteral("Channel_1/Face_1/QFace_1.xml.Zz99Yy"),
            "<Face>an old copy</Face>", "QFace_1.xml.Zz99Yy", ".Face_1.xml.Zz99Yy", 2);
    temp.WriteFile(QStringLiteral("shows/.A.kdp.Ab12Cd"), "half an archive");
    ASSERT_TRUE(view->OnCloseProject());

    ASSERT_TRUE(Open(projectFile));
    EXPECT_EQ(QDir(shows).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList { QStringLiteral("A.kdp") });
    EXPECT_FALSE(QFileInfo::exists(Work(QStringLiteral("A/Channel_1/Face_1/.Face_1.xml.Zz99Yy"))));
    ASSERT_TRUE(view->OnSaveProject());
    QStringList entries;
    ASSERT_TRUE(CZipFile().ReadZipFile(projectFile, entries));
    EXPECT_TRUE(entries.filter(QStringLiteral("Zz99Yy")).isEmpty()) << entries.join(u' ').toStdString();
}

TEST_F(ProjectFlows, APackageInCapitalsOpensAsAPackageThroughThePackageFlows)
{
    // A package's layout: <name>_Package/<name>/<name>.xml with its channel.
    ASSERT_TRUE(NewProject(QStringLiteral("P")));
    TimeLine().OnFaceAdd();
    ASSERT_TRUE(view->OnSaveProject());
    const QString package = temp.MakeFolder(QStringLiteral("pack/P_Package"));
    ASSERT_TRUE(CopyFolderTree(Work(QStringLiteral("P")), package + QStringLiteral("/P")));
    ASSERT_TRUE(MakeFolderPath(package + QStringLiteral("/P_Data")));
    ASSERT_TRUE(view->OnCloseProject());
    ASSERT_TRUE(CZipFile().Zip(package, shows + QStringLiteral("/P.KDPP")));

    struct CFlows final : CPackageFlows {
        bool RebaseMediaPaths(
            const QString& xml, const QString& folder, const QString& data, const QString& mask) override
        {
            calls << xml << folder << data << mask;
            return rebases;
        }
        bool SavePackageProject() override { return saved = true; }
        QStringList calls;
        bool saved = false;
        bool rebases = true;
    } flows;
    view->SetPackageFlows(&flows);
    {
        // Media paths that cannot be pointed into the package: nothing is opened.
        CScriptedDialogService dialogs;
        dialogs.AnswerMessageBox(platform::IDOK);
        flows.rebases = false;
        EXPECT_FALSE(Open(shows + QStringLiteral("/P.KDPP")));
        EXPECT_EQ(dialogs.MessageTexts(),
            std::vector<QString> { QStringLiteral("素材ファイルのパス更新に失敗しました。") });
        EXPECT_FALSE(view->IsProjectOpen());
        flows.rebases = true;
        flows.calls.clear();
    }
    ASSERT_TRUE(Open(shows + QStringLiteral("/P.KDPP")));
    const QString root = Work(QStringLiteral("P_Package"));
    EXPECT_EQ(flows.calls,
        (QStringList { root + QStringLiteral("/P/P.xml"), root, root + QStringLiteral("/P_Data"),
            root + QStringLiteral("/P_Mask") }));
    EXPECT_EQ(document->ProjectSource, 2);
    EXPECT_EQ(TimeLine().FaceCount(), 1);
    // Edits go into the package's work copy; its save is the package component's.
    TimeLine().OnFaceAdd();
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/P/Channel_1/Face_2/Face_2.xml")).isFile());
    view->UpdateMenuStates();
    EXPECT_FALSE(FindMenuCommand(*frame->menuBar(), menu_command::kSaveProjectAs)->isEnabled());
    EXPECT_TRUE(view->OnSaveProject());
    EXPECT_TRUE(flows.saved);
    view->SetPackageFlows(nullptr);
}

namespace {

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// A project with media packed by Create package (the show paused first), expanded by Expand
// package into empty folders, the package itself opened, edited and saved back into it, and
// opened again; a media file that cannot be copied leaves the package and the work copy as
// they were.
TEST_F(ProjectFlows, PackagesAreCreatedExpandedOpenedAndSavedBackThroughTheView)
{
    const QString red = PicturePath(temp, QStringLiteral("red.png"), Qt::red);
    const QString blue = PicturePath(temp, QStringLiteral("blue.jpg"), Qt::blue);
    const QString mask = PicturePath(temp, QStringLiteral("mask.png"), Qt::white);
    const QString green = PicturePath(temp, QStringLiteral("green.png"), Qt::green);
    ASSERT_TRUE(NewProject(QStringLiteral("Show")));
    TimeLine().OnFaceAdd();
    ASSERT_TRUE(TimeLine().AddItem(1, 0, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    ASSERT_TRUE(TimeLine().AddItem(1, 500, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    PanelEdit(Item(1, 0), [&](tagTL_FACE_ITEM_DATA& item) {
        item.FilePath = red;
        item.MaskMode = 2;
        item.MaskImage = mask;
    });
    PanelEdit(Item(1, 500), [&](tagTL_FACE_ITEM_DATA& item) { item.FilePath = blue; });
    ASSERT_TRUE(view->OnSaveProject());

    // Create package while the show plays.
    packageAnswers.exportFolder = temp.MakeFolder(QStringLiteral("out"));
    packageAnswers.exportProject = shows + QStringLiteral("/Show.kdp");
    view->OnStartPause();
    ASSERT_TRUE(TimeLine().IsPlaying());
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    ASSERT_TRUE(view->OnCreatePackage());
    EXPECT_FALSE(TimeLine().IsPlaying()) << "paused before the package is made";
    EXPECT_FALSE(view->WaitWindow()->isVisible());
    EXPECT_EQ(
        dialogs.MessageTexts(), std::vector<QString> { QStringLiteral("パッケージの作成が完了しました。") });
    const QString package = packageAnswers.exportFolder + QStringLiteral("/Show.kdpp");
    QStringList entries;
    ASSERT_TRUE(CZipFile().ReadZipFile(package, entries));
    for (const char* entry : { "Show_Package/Show/Show.xml", "Show_Package/Show_Data/1_1.png",
             "Show_Package/Show_Data/1_2.jpg", "Show_Package/Show_Mask/1_1.png" })
        EXPECT_TRUE(entries.contains(QString::fromLatin1(entry))) << entry;
    // A second package of the same name is made only when the user says so.
    const QByteArray created = Bytes(package);
    dialogs.Clear();
    dialogs.AnswerMessageBox(platform::IDNO);
    dialogs.AnswerMessageBox(platform::IDOK);
    EXPECT_FALSE(view->OnCreatePackage());
    EXPECT_EQ(dialogs.MessageTexts(),
        (std::vector<QString> {
            QStringLiteral("同名のパッケージファイルが既に存在します。上書きしてもよろしいですか？"),
            QStringLiteral("パッケージファイルの作成を中止しました。") }));
    EXPECT_EQ(Bytes(package), created);
    ASSERT_TRUE(view->OnCloseProject());

    // Expand package into empty folders: a project file whose items name the expanded media.
    packageAnswers.importPackage = package;
    packageAnswers.importProjects = temp.MakeFolder(QStringLiteral("projects"));
    packageAnswers.importData = temp.MakeFolder(QStringLiteral("data"));
    dialogs.Clear();
    dialogs.AnswerMessageBox(platform::IDOK);
    ASSERT_TRUE(view->OnExpandPackage());
    EXPECT_EQ(
        dialogs.MessageTexts(), std::vector<QString> { QStringLiteral("パッケージの展開が完了しました。") });
    EXPECT_EQ(Bytes(packageAnswers.importData + QStringLiteral("/Show_Data/1_1.png")), Bytes(red));
    EXPECT_EQ(Bytes(packageAnswers.importData + QStringLiteral("/Show_Data/1_2.jpg")), Bytes(blue));
    EXPECT_EQ(Bytes(packageAnswers.importData + QStringLiteral("/Show_Mask/1_1.png")), Bytes(mask));
    ASSERT_TRUE(Open(packageAnswers.importProjects + QStringLiteral("/Show.kdp")));
    EXPECT_EQ(document->ProjectSource, 1);
    EXPECT_EQ(Item(1, 0).FilePath, packageAnswers.importData + QStringLiteral("/Show_Data/1_1.png"));
    EXPECT_EQ(Item(1, 0).MaskImage, packageAnswers.importData + QStringLiteral("/Show_Mask/1_1.png"));
    EXPECT_EQ(Item(1, 500).FilePath, packageAnswers.importData + QStringLiteral("/Show_Data/1_2.jpg"));
    ASSERT_TRUE(view->OnCloseProject());

    // The package opened itself: its work copy's media, edited and saved back into it.
    ASSERT_TRUE(Open(package));
    EXPECT_EQ(document->ProjectSource, 2);
    const QString copy = Work(QStringLiteral("Show_Package"));
    EXPECT_EQ(Item(1, 500).FilePath, copy + QStringLiteral("/Show_Data/1_2.jpg"));
    PanelEdit(Item(1, 0), [&](tagTL_FACE_ITEM_DATA& item) {
        item.FilePath = green;
        item.MaskMode = 0;
    });
    EXPECT_EQ(document->Modified, 1);
    dialogs.Clear();
    ASSERT_TRUE(view->OnSaveProject());
    EXPECT_TRUE(dialogs.MessageTexts().empty());
    EXPECT_EQ(document->Modified, 0);
    EXPECT_FALSE(view->WaitWindow()->isVisible());
    EXPECT_EQ(Item(1, 0).FilePath, copy + QStringLiteral("/Show_Data/1_1.png"))
        << "the work copy's own media";
    const QString check = temp.MakeFolder(QStringLiteral("check"));
    ASSERT_TRUE(CZipFile().UnZip(package, check));
    EXPECT_EQ(Bytes(check + QStringLiteral("/Show_Package/Show_Data/1_1.png")), Bytes(green));
    EXPECT_EQ(Bytes(check + QStringLiteral("/Show_Package/Show_Data/1_2.jpg")), Bytes(blue));
    EXPECT_FALSE(QFileInfo::exists(check + QStringLiteral("/Show_Package/Show_Mask/1_1.png")))
        << "no stale mask";
    const timeline::FaceList saved = TimeLine().Faces();
    ASSERT_TRUE(view->OnCloseProject());
    ASSERT_TRUE(Open(package));
    EXPECT_EQ(TimeLine().Faces(), saved);

    // A media file that cannot be copied: the package and the work copy stay as they were.
    const QString doomed = PicturePath(temp, QStringLiteral("doomed.png"), Qt::yellow);
    PanelEdit(Item(1, 500), [&](tagTL_FACE_ITEM_DATA& item) { item.FilePath = doomed; });
    ASSERT_TRUE(QFile::remove(doomed));
    const QByteArray before = Bytes(package);
    dialogs.Clear();
    dialogs.AnswerMessageBox(platform::IDOK);
    EXPECT_FALSE(view->OnSaveProject());
    EXPECT_EQ(dialogs.MessageTexts(),
        std::vector<QString> { QStringLiteral("テンポラリフォルダへのコピーに失敗しました。\n") + doomed });
    EXPECT_EQ(Bytes(package), before);
    EXPECT_EQ(document->Modified, 1) << "still to be saved";
    EXPECT_EQ(Item(1, 500).FilePath, doomed);
    EXPECT_EQ(Bytes(copy + QStringLiteral("/Show_Data/1_1.png")), Bytes(green));
    EXPECT_EQ(Bytes(copy + QStringLiteral("/Show_Data/1_2.jpg")), Bytes(blue));
    EXPECT_FALSE(view->WaitWindow()->isVisible());
}

namespace {

// Counts the paints of the wait window that show its wait picture.
class CWaitPaints final : public QObject {
public:
    explicit CWaitPaints(CWaitDlg& window)
        : m_window(window)
    {
        window.installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_window && event->type() == QEvent::Paint
            && m_window.ShownPicture() == CWaitDlg::kWaitPicture)
            ++count;
        return false;
    }

private:
    CWaitDlg& m_window;
};

} // namespace

// Opening, saving, saving under another name, making, expanding and saving a package are long
// work for a large show: each runs under the wait window, painted before the work starts, and
// every message comes once the wait window is hidden again.
TEST_F(ProjectFlows, LongWorkRunsUnderThePaintedWaitWindowHiddenBeforeAnyMessage)
{
    const QString picture = PicturePath(temp, QStringLiteral("p.png"), Qt::red);
    ASSERT_TRUE(NewProject(QStringLiteral("Show")));
    TimeLine().OnFaceAdd();
    ASSERT_TRUE(TimeLine().AddItem(1, 0, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    PanelEdit(Item(1, 0), [&](tagTL_FACE_ITEM_DATA& item) { item.FilePath = picture; });
    packageAnswers.exportFolder = temp.MakeFolder(QStringLiteral("out"));
    packageAnswers.importPackage = packageAnswers.exportFolder + QStringLiteral("/Show.kdpp");
    packageAnswers.importProjects = temp.MakeFolder(QStringLiteral("projects"));
    packageAnswers.importData = temp.MakeFolder(QStringLiteral("data"));

    CScriptedDialogService dialogs;
    dialogs.onRequest = [&](const CScriptedDialogService::Request& request) {
        EXPECT_FALSE(view->WaitWindow()->isVisible())
            << "under the wait window: " << request.text.toStdString();
    };
    CWaitPaints paints(*view->WaitWindow());
    const struct {
        const char* name;
        std::function<bool()> run;
        int messages;
    } steps[] = {
        { "save", [&] { return view->OnSaveProject(); }, 0 },
        { "save as",
            [&] {
                typedName = QStringLiteral("Other");
                return view->OnSaveProjectAs();
            },
            0 },
        { "open", [&] { return Open(shows + QStringLiteral("/Show.kdp")); }, 0 },
        { "create package",
            [&] {
                packageAnswers.exportProject = shows + QStringLiteral("/Show.kdp");
                return view->OnCreatePackage();
            },
            1 },
        { "expand package", [&] { return view->OnExpandPackage(); }, 1 },
        { "open the package", [&] { return Open(packageAnswers.importPackage); }, 0 },
        { "save the package", [&] { return view->OnSaveProject(); }, 0 },
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        dialogs.Clear();
        for (int message = 0; message < step.messages; ++message)
            dialogs.AnswerMessageBox(platform::IDOK);
        paints.count = 0;
        EXPECT_TRUE(step.run());
        EXPECT_GT(paints.count, 0);
        EXPECT_FALSE(view->WaitWindow()->isVisible());
        EXPECT_TRUE(dialogs.AllAnswersUsed());
    }

    // A media file that cannot be copied: its message, and the one that the package was not
    // made, come with the wait window hidden.
    ASSERT_TRUE(Open(shows + QStringLiteral("/Show.kdp")));
    ASSERT_TRUE(QFile::remove(picture));
    dialogs.Clear();
    dialogs.AnswerMessageBox(platform::IDYES);
    dialogs.AnswerMessageBox(platform::IDOK);
    dialogs.AnswerMessageBox(platform::IDOK);
    EXPECT_FALSE(view->OnCreatePackage());
    EXPECT_EQ(dialogs.MessageTexts(),
        (std::vector<QString> {
            QStringLiteral("同名のパッケージファイルが既に存在します。上書きしてもよろしいですか？"),
            QStringLiteral("テンポラリフォルダへのコピーに失敗しました。\n") + picture,
            QStringLiteral("パッケージの作成に失敗しました。") }));
}

TEST_F(ProjectFlows, FiveGroupedRecordsAreUndoneAndRedoneAsOneFromThePanel)
{
    ASSERT_TRUE(NewProject(QStringLiteral("show")));
    TimeLine().OnFaceAdd();
    for (int32_t start : { 0, 1000, 2000, 3000, 4000 })
        ASSERT_TRUE(TimeLine().AddItem(1, start, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    const timeline::FaceList before = TimeLine().Faces();
    const QByteArray fileBefore = temp.ReadFile(QStringLiteral("work/show/Channel_1/Face_1/Face_1.xml"));

    // One batch of the panel: five items changed.
    view->OnEditBatch(1);
    for (int32_t start : { 0, 1000, 2000, 3000, 4000 }) {
        tagTL_FACE_ITEM_DATA item = Item(1, start);
        tagTL_FACE_ITEM_DATA changed = item;
        changed.Mute = 1;
        changed.Volume = start / 100;
        EXPECT_EQ(view->OnItemChanged({ item, changed }), 0);
    }
    view->OnEditBatch(0);
    const timeline::FaceList after = TimeLine().Faces();
    const QByteArray fileAfter = temp.ReadFile(QStringLiteral("work/show/Channel_1/Face_1/Face_1.xml"));
    ASSERT_NE(fileAfter, fileBefore);

    // Ctrl+Z in the panel reaches the view once and undoes the batch.
    QTest::keyClick(view->ItemPanel(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(TimeLine().Faces(), before);
    EXPECT_EQ(temp.ReadFile(QStringLiteral("work/show/Channel_1/Face_1/Face_1.xml")), fileBefore);
    EXPECT_EQ(view->UndoHistory().RedoList().size(), 5u);
    QTest::keyClick(view->ItemPanel(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(TimeLine().Faces(), after);
    EXPECT_EQ(temp.ReadFile(QStringLiteral("work/show/Channel_1/Face_1/Face_1.xml")), fileAfter);
}

TEST_F(ProjectFlows, AShorterProjectTimeAndTheRangeItForcesAreUndoneTogether)
{
    ASSERT_TRUE(NewProject(QStringLiteral("show")));
    view->OnTlInMoved(15000);
    EXPECT_EQ(TimeLine().InPosition(), 15000);
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    dialogs.AnswerMessageBox(platform::IDOK);
    view->ProjectTimeEdit()->SetWindowTime(int64_t(0));
    EXPECT_EQ(view->CommitProjectTime(), 0);
    view->ProjectTimeEdit()->SetWindowTime(int64_t(360001));
    EXPECT_EQ(view->CommitProjectTime(), 0);
    EXPECT_EQ(view->ProjectTime(), 360000);
    EXPECT_EQ(dialogs.MessageTexts(),
        (std::vector<QString> {
            QStringLiteral("0秒未満は入力できません。"), QStringLiteral("最大時間を超えています。") }));

    view->ProjectTimeEdit()->SetWindowTime(int64_t(9000));
    EXPECT_EQ(view->CommitProjectTime(), 1);
    EXPECT_EQ(TimeLine().ProjectLength(), 9000);
    EXPECT_EQ(TimeLine().OutPosition(), 9000);
    EXPECT_EQ(TimeLine().InPosition(), 0) << "IN beyond the new end goes to 0";
    view->Undo();
    EXPECT_EQ(TimeLine().ProjectLength(), 18000);
    EXPECT_EQ(TimeLine().InPosition(), 15000);
    EXPECT_EQ(TimeLine().OutPosition(), 18000);
    EXPECT_EQ(view->ProjectTime(), 18000);
    const CProjectXml& project = document->GetProjectStore(1).GetProjectXml();
    EXPECT_EQ(project.ProjectTime, 18000);
    EXPECT_EQ(project.StartTime, 15000);
    EXPECT_EQ(project.EndTime, 18000);
    view->Redo();
    EXPECT_EQ(TimeLine().ProjectLength(), 9000);
    EXPECT_EQ(TimeLine().InPosition(), 0);

    // OUT moved before the playhead: the current time follows and the viewer seeks there.
    TimeLine().SetPlayPosition(8000);
    viewer->ClearRecords();
    view->OnTlOutMoved(5000);
    EXPECT_EQ(view->NowTime(), 5000);
    EXPECT_EQ(TimeLine().PlayPosition(), 5000);
    ASSERT_FALSE(viewer->Commands().empty());
    EXPECT_EQ(viewer->Commands().back().kind, kPmCommandSeek);
    EXPECT_EQ(viewer->Commands().back().cell0, QStringLiteral("5000"));
}

// The current-time field counts from IN: whatever moves IN or OUT (a drag, a key, the menu,
// undo and redo, a shorter project), it shows the playhead less the new IN, and a Right step
// goes on from the playhead.
TEST_F(ProjectFlows, TheCurrentTimeFieldCountsFromInAfterEveryChangeOfTheRange)
{
    ASSERT_TRUE(NewProject(QStringLiteral("show")));
    view->OnTlInMoved(1000);
    view->OnTlOutMoved(5000);
    view->OnTlPlayPositionSet(3000);
    ASSERT_EQ(view->NowTime(), 2000);
    const int32_t step = TimeLine().UnitsPerColumn() / 10;
    ASSERT_GT(step, 0);

    const struct {
        const char* name;
        std::function<void()> change;
        int32_t in; // -1: at the playhead
        int32_t out;
        bool toIn = false; // the change ends with TOP
    } cases[] = {
        { "Ctrl+I at the playhead", [&] { QTest::keyClick(&TimeLine(), Qt::Key_I, Qt::ControlModifier); },
            3000, 5000 },
        { "undo", [&] { view->Undo(); }, 1000, 5000 },
        { "redo", [&] { view->Redo(); }, 3000, 5000 },
        { "IN dragged before the playhead", [&] { view->OnTlInMoved(2000); }, 2000, 5000 },
        { "IN from the menu", [&] { view->RunMenuCommand(menu_command::kSetIn); }, -1, 5000 },
        { "undo of IN", [&] { view->Undo(); }, 2000, 5000 },
        { "OUT dragged", [&] { view->OnTlOutMoved(4000); }, 2000, 4000 },
        { "a shorter project",
            [&] {
                view->ProjectTimeEdit()->SetWindowTime(int64_t(3500));
                view->CommitProjectTime();
            },
            2000, 3500, true },
        { "undo of the project time", [&] { view->Undo(); }, 2000, 4000 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t playhead = TimeLine().PlayPosition();
        c.change();
        if (c.in >= 0) {
            EXPECT_EQ(TimeLine().InPosition(), c.in);
        }
        EXPECT_EQ(TimeLine().OutPosition(), c.out);
        EXPECT_EQ(view->NowTime(), TimeLine().PlayPosition() - TimeLine().InPosition());
        EXPECT_EQ(TimeLine().PlayPosition(), c.toIn ? TimeLine().InPosition() : playhead);
        // One step on from where the playhead is.
        const int32_t before = TimeLine().PlayPosition();
        QTest::keyClick(&TimeLine(), Qt::Key_Right);
        EXPECT_EQ(TimeLine().PlayPosition(), std::min(before + step, TimeLine().OutPosition()));
    }
}

TEST_F(ProjectFlows, UndoRebuildsTheThumbnailOfAnItemWhoseFileChanged)
{
    ASSERT_TRUE(NewProject(QStringLiteral("show")));
    TimeLine().OnFaceAdd();
    ASSERT_TRUE(TimeLine().AddItem(1, 0, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    const QString red = PicturePath(temp, QStringLiteral("red.png"), Qt::red);
    const QString blue = PicturePath(temp, QStringLiteral("blue.png"), Qt::blue);
    const QString thumbnail = Work(QStringLiteral("show/Channel_1/Face_1/thumbnail_0.jpg"));
    PanelEdit(Item(1, 0), [&](tagTL_FACE_ITEM_DATA& item) { item.FilePath = red; });
    PanelEdit(Item(1, 0), [&](tagTL_FACE_ITEM_DATA& item) { item.FilePath = blue; });
    const auto colour = [&] {
        const QImage image = QImageReader(thumbnail).read();
        EXPECT_EQ(image.size(), QSize(48, 27));
        return image.isNull() ? QColor() : image.pixelColor(24, 13);
    };
    view->Undo();
    EXPECT_EQ(Item(1, 0).FilePath, red);
    EXPECT_GT(colour().red(), 200) << "rebuilt from the old file";
    view->Redo();
    EXPECT_GT(colour().blue(), 200);
    // The old file gone, or of another kind: the thumbnail goes.
    ASSERT_TRUE(QFile::remove(red));
    view->Undo();
    EXPECT_FALSE(QFileInfo::exists(thumbnail));
}

TEST_F(ProjectFlows, AMovieThumbnailIsTakenAtItsTimeOrHalfWayThroughTheMovie)
{
    // Frame n of the ramp is grey 16 + 3n: the thumbnail's grey tells the frame it shows.
    const QString movie = temp.FilePath(QStringLiteral("media/ramp.mp4"));
    QDir().mkpath(temp.FilePath(QStringLiteral("media")));
    ASSERT_TRUE(media_fixtures::MakeGreyRampMovie(movie, QStringLiteral("10"), 60,
        { QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-qp"), QStringLiteral("0"),
            QStringLiteral("-pix_fmt"), QStringLiteral("yuv444p") }));
    ASSERT_TRUE(NewProject(QStringLiteral("show")));
    TimeLine().OnFaceAdd();
    ASSERT_TRUE(TimeLine().AddItem(1, 0, tagTL_FACE_ITEM_DATA::MODE_MOVIE));
    const QString thumbnail = Work(QStringLiteral("show/Channel_1/Face_1/thumbnail_0.jpg"));
    const auto grey = [&] {
        const QImage image = QImageReader(thumbnail).read();
        EXPECT_EQ(image.size(), QSize(48, 27));
        return image.isNull() ? -1 : image.pixelColor(24, 13).green();
    };
    PanelEdit(Item(1, 0), [&](tagTL_FACE_ITEM_DATA& item) { item.FilePath = movie; });
    PanelEdit(Item(1, 0), [&](tagTL_FACE_ITEM_DATA& item) { item.ThumbnailTime = 200; });
    PanelEdit(Item(1, 0), [&](tagTL_FACE_ITEM_DATA& item) { item.FilePath.clear(); });
    EXPECT_FALSE(QFileInfo::exists(thumbnail));
    // Undo of the emptied path: the movie again, at its thumbnail time (2 s, frame 20).
    view->Undo();
    EXPECT_NEAR(grey(), media_fixtures::GreyOfFrame(20), 8);
    // Undo of the thumbnail time: -1 takes the frame half-way through (3 s, frame 30).
    view->Undo();
    EXPECT_NEAR(grey(), media_fixtures::GreyOfFrame(30), 8);
    view->Redo();
    EXPECT_NEAR(grey(), media_fixtures::GreyOfFrame(20), 8);
}

TEST_F(ProjectFlows, FacesThatCannotBeRenumberedOnDiskAreShownAsTheFilesHoldThem)
{
    ASSERT_TRUE(NewProject(QStringLiteral("show")));
    for (int face = 0; face < 3; ++face)
        TimeLine().OnFaceAdd();
    ASSERT_TRUE(DeleteFolderTree(Work(QStringLiteral("show/Channel_1/Face_3"))));
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    const size_t records = view->UndoHistory().UndoList().size();
    ASSERT_TRUE(TimeLine().MoveFace(2, 0));
    EXPECT_EQ(dialogs.MessageTexts(),
        std::vector<QString> { QStringLiteral("FACEデータの読込みに失敗しました。 Face3") });
    EXPECT_EQ(view->UndoHistory().UndoList().size(), records) << "nothing recorded";
    // The timeline is brought back to what the files hold once the move has returned.
    QCoreApplication::processEvents();
    ASSERT_EQ(TimeLine().FaceCount(), 3);
    for (int32_t number = 1; number <= 3; ++number) {
        tagTL_FACE_DATA face;
        ASSERT_TRUE(TimeLine().GetFaceData(1, number, face));
        FaceXmlRecord entry;
        entry.No = number;
        ASSERT_TRUE(document->GetProjectStore(1).GetFaceData(&entry));
        EXPECT_EQ(face.X, entry.X) << "face " << number;
    }
}

TEST_F(ProjectFlows, CornersMovedInTheViewerAreOneOperation)
{
    ASSERT_TRUE(NewProject(QStringLiteral("show")));
    TimeLine().OnFaceAdd();
    tagTL_FACE_DATA face;
    ASSERT_TRUE(TimeLine().GetFaceData(1, 1, face));
    Reply(kPmReplyCorners, { "1", "", "", "", "", "1", "2", "3", "4", "5", "6", "7", "8" });
    FaceXmlRecord entry;
    entry.No = 1;
    ASSERT_TRUE(document->GetProjectStore(1).GetFaceData(&entry));
    EXPECT_EQ(entry.X, (std::array<int32_t, 4> { 1, 3, 5, 7 }));
    const auto& undo = view->UndoHistory().UndoList();
    ASSERT_GE(undo.size(), 2u);
    EXPECT_EQ(undo[0].Kind, tagCKD_UNDO_INFO::kFaceCorners);
    EXPECT_EQ(undo[1].Kind, tagCKD_UNDO_INFO::kUpdateFace);
    EXPECT_EQ(undo[0].OpNo, undo[1].OpNo);
    EXPECT_FALSE(view->UndoHistory().IsGrouping());
    view->Undo();
    ASSERT_TRUE(document->GetProjectStore(1).GetFaceData(&entry));
    EXPECT_EQ(entry.X, face.X);
    tagTL_FACE_DATA undone;
    ASSERT_TRUE(TimeLine().GetFaceData(1, 1, undone));
    EXPECT_EQ(undone.X, face.X);
}

TEST_F(ProjectFlows, TheEditMenuFollowsTheProjectAndTheHelpMenuOpensOnlyWhatItMay)
{
    QMenuBar& menu = *frame->menuBar();
    view->UpdateMenuStates();
    for (const int id : { menu_command::kUndo, menu_command::kFaceAdd, menu_command::kSaveProject,
             menu_command::kCloseProject, menu_command::kPropertyPage }) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(FindMenuCommand(menu, id)->isEnabled()) << "no project";
    }
    ASSERT_TRUE(NewProject(QStringLiteral("show")));
    view->UpdateMenuStates();
    EXPECT_TRUE(FindMenuCommand(menu, menu_command::kFaceAdd)->isEnabled());
    EXPECT_FALSE(FindMenuCommand(menu, menu_command::kUndo)->isEnabled());
    EXPECT_FALSE(FindMenuCommand(menu, menu_command::kAllDelete)->isEnabled()) << "nothing selected";
    FindMenuCommand(menu, menu_command::kFaceAdd)->trigger();
    EXPECT_EQ(TimeLine().FaceCount(), 1);
    view->UpdateMenuStates();
    EXPECT_TRUE(FindMenuCommand(menu, menu_command::kUndo)->isEnabled());
    FindMenuCommand(menu, menu_command::kUndo)->trigger();
    EXPECT_EQ(TimeLine().FaceCount(), 0);
    view->UpdateMenuStates();
    EXPECT_TRUE(FindMenuCommand(menu, menu_command::kRedo)->isEnabled());
    FindMenuCommand(menu, menu_command::kRedo)->trigger();
    EXPECT_EQ(TimeLine().FaceCount(), 1);
    FindMenuCommand(menu, menu_command::kEffectPage)->trigger();
    view->UpdateMenuStates();
    EXPECT_EQ(view->ItemPanel()->CurrentTab(), 1);
    EXPECT_TRUE(FindMenuCommand(menu, menu_command::kEffectPage)->isChecked());
    EXPECT_FALSE(FindMenuCommand(menu, menu_command::kPropertyPage)->isChecked());

    // The manual when it is there; the support page only as a web address.
    CUrlRecorder recorder;
    for (const char* scheme : { "file", "http", "https", "javascript" })
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &recorder, "Open");
    view->RunMenuCommand(menu_command::kManual);
    EXPECT_TRUE(recorder.opened.isEmpty());
    const QString manual
        = temp.WriteFile(QStringLiteral("docs/Kaleidra/Document/Kaleidra Manual.pdf"), "%PDF");
    view->RunMenuCommand(menu_command::kManual);
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened[0], QUrl::fromLocalFile(manual));
    view->RunMenuCommand(menu_command::kSupport);
    ASSERT_EQ(recorder.opened.size(), 2);
    EXPECT_TRUE(recorder.opened[1].scheme().startsWith(QStringLiteral("http")));
    for (const char* scheme : { "file", "http", "https", "javascript" })
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));

    struct Case {
        const char* text;
        bool web;
    };
    for (const Case& c :
        { Case { "https://www.example.com/support/", true }, Case { "  http://example.com ", true },
            Case { "javascript:alert(1)", false }, Case { "file:///bin/sh", false },
            Case { "C:\\tool.exe", false }, Case { "https://", false }, Case { "", false } }) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(!SupportPageAddress(QString::fromUtf8(c.text)).isEmpty(), c.web);
    }
}

TEST_F(ViewFixture, ANewProjectStartsLuxviewerWhichShowsTheEdits)
{
    ASSERT_TRUE(MakeView());
    view->SetCommandHandlers(nullptr);
    const QString shows = temp.MakeFolder(QStringLiteral("shows"));
    view->SetModalRunner([&](QDialog& dialog) {
        auto* addNew = qobject_cast<CAddNewDlg*>(&dialog);
        if (!addNew)
            return int(QDialog::Rejected);
        addNew->show();
        addNew->FolderEdit()->setText(shows);
        addNew->NameEdit()->setText(QStringLiteral("live"));
        addNew->OnBnClickedOk();
        return addNew->result();
    });
    view->Viewer().SetProgram(QStringLiteral(KALEIDRA_LUXVIEWER_PATH), { QStringLiteral("--headless") });
    ASSERT_TRUE(view->OnNewProject());
    ASSERT_TRUE(view->IsViewerRunning());
    EXPECT_EQ(LoadSharedFlag(Block().projectFlag), 0) << "the viewer loaded the new project";
    EXPECT_TRUE(QTest::qWaitFor([&] { return LoadSharedFlag(Block().commandFlag) == 0; }, 3000))
        << "GUIDE taken";

    // A face added reaches the viewer, which shows it at its corners.
    CTimeLine& timeLine = *view->TimeLine();
    timeLine.OnFaceAdd();
    EXPECT_EQ(LoadSharedFlag(Block().dataFlag), 0) << "taken";
    ASSERT_TRUE(timeLine.AddItem(1, 0, tagTL_FACE_ITEM_DATA::MODE_NONE));
    ASSERT_TRUE(view->FetchFaceCorners());
    tagTL_FACE_DATA face;
    ASSERT_TRUE(timeLine.GetFaceData(1, 1, face));
    EXPECT_EQ(face.X, (std::array<int32_t, 4> { 800, 1120, 1120, 800 }));

    // Play and pause: the clock follows the viewer.
    view->OnStartPause();
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->NowTime() > 10; }, 5000));
    view->OnStartPause();
    EXPECT_EQ(view->PlayState(), CKaleidraView::kStopped);

    // Closing the modified project, when the user agrees, ends the viewer.
    const pid_t pid = view->ViewerProcessId();
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDYES);
    ASSERT_TRUE(view->OnCloseProject());
    EXPECT_EQ(view->ViewerProcessId(), 0);
    EXPECT_TRUE(kill(pid, 0) != 0 && errno == ESRCH);
}

#include "project_flows_test.moc"

TEST_F(ProjectFlows, CtrlZAndCtrlYFromAnyControlOfThePanelReachTheViewsUndo)
{
    ASSERT_TRUE(NewProject(QStringLiteral("show")));
    TimeLine().OnFaceAdd();
    ASSERT_TRUE(TimeLine().AddItem(1, 0, tagTL_FACE_ITEM_DATA::MODE_IMAGE));
    const QString red = PicturePath(temp, QStringLiteral("red.png"), Qt::red);
    PanelEdit(Item(1, 0), [&](tagTL_FACE_ITEM_DATA& item) { item.FilePath = red; });
    CSettingDlg& panel = *view->ItemPanel();
    panel.ShowPanel();
    TimeLine().SelectItem(1, 0);
    panel.SetItem(Item(1, 0));
    QStringList tried;
    for (int tab : { 0, 1, 2 }) {
        panel.SelectTab(tab);
        for (QWidget* control : panel.findChildren<QWidget*>()) {
            if (control->window() != &panel || !control->isVisibleTo(&panel) || !control->isEnabled()
                || control->focusPolicy() == Qt::NoFocus)
                continue;
            SCOPED_TRACE(
                QStringLiteral("tab %1, %2 %3")
                    .arg(tab)
                    .arg(QString::fromLatin1(control->metaObject()->className()), control->objectName())
                    .toStdString());
            // A field in which nothing was typed has no undo of its own: the view's is taken.
            ASSERT_TRUE(view->CanUndo());
            tried << QString::fromLatin1(control->metaObject()->className());
            const int faces = TimeLine().FaceCount();
            const size_t undos = view->UndoHistory().UndoList().size();
            QTest::keyClick(control, Qt::Key_Z, Qt::ControlModifier);
            EXPECT_EQ(view->UndoHistory().UndoList().size(), undos - 1) << "Ctrl+Z undid one operation";
            QTest::keyClick(control, Qt::Key_Y, Qt::ControlModifier);
            EXPECT_EQ(view->UndoHistory().UndoList().size(), undos) << "Ctrl+Y redid it";
            EXPECT_EQ(TimeLine().FaceCount(), faces);
        }
    }
    // Lists, buttons, sliders and fields of every page were tried.
    for (const char* kind : { "CGdiComboBox", "CGdiButton", "CMskEdit" })
        EXPECT_TRUE(tried.contains(QString::fromLatin1(kind))) << kind;

    // A field that keeps its own undo undoes the typing first and leaves the view's alone; the
    // panel's fields do not keep one, and their Ctrl+Z is the view's.
    panel.SelectTab(0);
    CMskEdit* typed = nullptr;
    for (auto* edit : panel.findChildren<CMskEdit*>())
        if (edit->isVisibleTo(&panel) && edit->isEnabled() && !edit->isReadOnly() && !typed)
            typed = edit;
    ASSERT_NE(typed, nullptr);
    ASSERT_FALSE(typed->GetUndoEnable());
    typed->SetUndoEnable(true);
    const QString before = typed->text();
    typed->setFocus();
    typed->selectAll();
    QTest::keyClicks(typed, QStringLiteral("1"));
    ASSERT_NE(typed->text(), before);
    const size_t undos = view->UndoHistory().UndoList().size();
    QTest::keyClick(typed, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(typed->text(), before);
    EXPECT_EQ(view->UndoHistory().UndoList().size(), undos);
    QTest::keyClick(typed, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view->UndoHistory().UndoList().size(), undos - 1) << "nothing typed left to undo";
    typed->SetUndoEnable(false);
    QTest::keyClicks(typed, QStringLiteral("2"));
    QTest::keyClick(typed, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view->UndoHistory().UndoList().size(), undos - 2);
}
