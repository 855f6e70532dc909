// The new-project dialog's checks, the start-up dialog's list and choices, and the thumbnails.
#include "controls/gdi_button.h"
#include "controls/msk_edit.h"
#include "platform/dialog_service.h"
#include "tests/core/qstring_printer.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"
#include "timeline/thumbnail_writer.h"
#include "view/add_new_dlg.h"
#include "view/project_names.h"
#include "view/startup_dlg.h"

#include <QApplication>
#include <QFileInfo>
#include <QHelpEvent>
#include <QImage>
#include <QImageReader>
#include <QListWidget>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

// A dialog shown (not modal), its fields typed, its OK pressed.
struct AddNewCase {
    const char* name;
    int mode;
    QString folder;
    QString projectName;
    QString time; // typed into the time field; empty keeps the initial time
    int32_t initialTime;
    QString currentName;
    std::vector<int> answers; // message box answers
    std::vector<QString> messages;
    bool accepted;
};

} // namespace

TEST(AddNewDlg, TheChecksOfOkInTheirOrder)
{
    CTempFolder temp;
    const QString folder = temp.MakeFolder(QStringLiteral("shows"));
    const QString file = temp.WriteFile(QStringLiteral("afile"), "x");
    temp.WriteFile(QStringLiteral("shows/taken.kdp"), "project");
    const std::vector<AddNewCase> cases = {
        { "empty folder and name: only the first check", 0, {}, {}, {}, 18000, {}, { 1 },
            { QStringLiteral("プロジェクトファイルの保存先を入力してください。") }, false },
        { "a folder that does not exist", 0, temp.FilePath(QStringLiteral("none")), QStringLiteral("a"), {},
            18000, {}, { 1 }, { QStringLiteral("入力したフォルダが存在しません。") }, false },
        { "an existing file passes as the folder", 0, file, QStringLiteral("a"), {}, 18000, {}, {}, {},
            true },
        { "no name", 0, folder, {}, {}, 18000, {}, { 1 },
            { QStringLiteral("プロジェクト名が入力されていません。") }, false },
        { "a name that is only what follows a dot", 0, folder, QStringLiteral(".old"), {}, 18000, {}, { 1 },
            { QStringLiteral("プロジェクト名が入力されていません。") }, false },
        { "save as: the open name in other letters", 1, folder, QStringLiteral("abc"), {}, 18000,
            QStringLiteral("ABC"), { 1 },
            { QStringLiteral("現在開いているプロジェクト名と同名は指定できません。") }, false },
        { "save as: the open name with a dot", 1, folder, QStringLiteral("abc.v2"), {}, 18000,
            QStringLiteral("abc"), { 1 },
            { QStringLiteral("現在開いているプロジェクト名と同名は指定できません。") }, false },
        { "save as without an open name", 1, folder, QStringLiteral("abc"), {}, 18000, {}, {}, {}, true },
        { "a time of 0", 0, folder, QStringLiteral("a"), QStringLiteral("0:00:00:00"), 18000, {}, { 1 },
            { QStringLiteral("プロジェクト時間を入力してください。") }, false },
        { "an initial time above an hour", 0, folder, QStringLiteral("a"), {}, 360001, {}, { 1 },
            { QStringLiteral("最大時間数を超えています。") }, false },
        { "an existing project file: No keeps the dialog", 0, folder, QStringLiteral("taken"), {}, 18000, {},
            { platform::IDNO },
            { QStringLiteral("同名のプロジェクトが既に存在します。上書きしてもよろしいですか？") }, false },
        { "the file asked about is the one written", 0, folder, QStringLiteral("taken.old"), {}, 18000, {},
            { platform::IDYES },
            { QStringLiteral("同名のプロジェクトが既に存在します。上書きしてもよろしいですか？") }, true },
    };
    for (const AddNewCase& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptedDialogService dialogs;
        for (int answer : c.answers)
            dialogs.AnswerMessageBox(answer);
        CAddNewDlg dialog;
        dialog.m_mode = c.mode;
        dialog.m_folder = c.folder;
        dialog.m_playTime = c.initialTime;
        dialog.m_currentProjectName = c.currentName;
        dialog.show();
        dialog.NameEdit()->setText(c.projectName);
        if (!c.time.isEmpty())
            dialog.TimeEdit()->setText(c.time);
        dialog.OnBnClickedOk();
        EXPECT_EQ(dialogs.MessageTexts(), c.messages);
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted);
        if (c.accepted) {
            EXPECT_EQ(dialog.m_projectName, c.projectName) << "kept as typed";
            EXPECT_EQ(dialog.m_folder, c.folder);
        } else {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(dialog.m_projectName, QString()) << "nothing stored";
        }
    }
}

TEST(AddNewDlg, AnInitialTimeAboveAnHourIsSetToTheHourAndTakenTheSecondTime)
{
    for (const int mode : { CAddNewDlg::kModeNew, CAddNewDlg::kModeSaveAs }) {
        SCOPED_TRACE(mode);
        CTempFolder temp;
        CScriptedDialogService dialogs;
        dialogs.AnswerMessageBox(platform::IDOK);
        CAddNewDlg dialog;
        dialog.m_mode = mode;
        dialog.m_folder = temp.Path();
        dialog.m_playTime = 360001;
        dialog.m_currentProjectName = QStringLiteral("open");
        dialog.show();
        EXPECT_EQ(dialog.TimeEdit()->isEnabled(), mode == CAddNewDlg::kModeNew) << "fixed when saving as";
        EXPECT_EQ(dialog.windowTitle(),
            mode == CAddNewDlg::kModeNew ? QStringLiteral("プロジェクトの新規作成")
                                         : QStringLiteral("プロジェクトの別名保存"));
        dialog.NameEdit()->setText(QStringLiteral("show"));
        dialog.OnBnClickedOk();
        EXPECT_EQ(dialog.TimeEdit()->text(), QStringLiteral("1:00:00:00"));
        dialog.OnBnClickedOk();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.m_playTime, 360000);
    }
}

TEST(AddNewDlg, TheNameRefusesFileNameCharactersAndTheTimeIsNormalisedOnEnter)
{
    CTempFolder temp;
    CScriptedDialogService dialogs;
    CAddNewDlg dialog;
    dialog.m_folder = temp.Path();
    dialog.m_playTime = 500;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.NameEdit()->setFocus();
    QTest::keyClicks(dialog.NameEdit(), QStringLiteral("a\\b/c:d*e?f\"g<h>i|j"));
    EXPECT_EQ(dialog.NameEdit()->text(), QStringLiteral("abcdefghij"));
    dialog.NameEdit()->setText(QString(201, u'x'));
    EXPECT_EQ(dialog.NameEdit()->text().size(), 200);
    dialog.NameEdit()->setText(QStringLiteral("show"));

    // Enter in the time field writes the time back as a time, then runs the checks.
    dialog.TimeEdit()->setFocus();
    dialog.TimeEdit()->setText(QStringLiteral("0:1:2:3"));
    QTest::keyClick(dialog.TimeEdit(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_playTime, 6203);
    EXPECT_TRUE(dialogs.Requests().empty());
}

TEST(ProjectNames, NamesAreCutAtTheirFirstDotAndPackagesKnownByTheirLastExtension)
{
    struct Case {
        const char* path;
        const char* title;
        bool package;
    };
    for (const Case& c :
        { Case { "/shows/show.kdp", "show", false }, Case { "/shows/show.old.kdp", "show", false },
            Case { "/shows/SHOW.KDPP", "SHOW", true }, Case { "/shows/x.kdp.bak", "x", false },
            Case { "/shows/x.kdpp.bak", "x", false }, Case { "/shows/y.old.kdpp", "y", true },
            Case { "/shows/.kdp", "", false }, Case { "C:\\shows\\win.kdp", "win", false } }) {
        SCOPED_TRACE(c.path);
        const ProjectPathParts parts = SplitProjectPath(QString::fromUtf8(c.path));
        EXPECT_EQ(parts.title, QString::fromUtf8(c.title));
        EXPECT_EQ(parts.isPackage, c.package);
    }
    EXPECT_TRUE(IsUsableProjectName(QStringLiteral("ショー")));
    for (const char* bad : { "", ".", "..", "a/b", "a\\b", "c:" }) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(IsUsableProjectName(QString::fromUtf8(bad)));
    }
}

TEST(StartupDlg, TheNewestProjectIsLineOneAndADoubleClickTakesItsPath)
{
    CStartupDlg dialog;
    dialog.m_history = { QStringLiteral("/a/oldest.kdp"), QStringLiteral("/a/middle.kdp"),
        QStringLiteral("/a/newest.kdp") };
    dialog.show();
    QListWidget* list = dialog.RecentList();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral(" 1./a/newest.kdp"));
    EXPECT_EQ(list->item(2)->text(), QStringLiteral(" 3./a/oldest.kdp"));

    // Nothing selected: a double click does nothing.
    dialog.OnDblclkRecentList();
    EXPECT_TRUE(dialog.isVisible());
    list->setCurrentRow(1);
    EXPECT_EQ(list->toolTip(), QStringLiteral("/a/middle.kdp"));
    const QRect line = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, line.center());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_result, CStartupDlg::kRecentProject);
    EXPECT_EQ(dialog.m_path, QStringLiteral("/a/middle.kdp"));

    // Ten projects are numbered " 1." to "10.".
    CStartupDlg ten;
    for (int index = 1; index <= 10; ++index)
        ten.m_history << QStringLiteral("/p/%1.kdp").arg(index);
    ten.show();
    EXPECT_EQ(ten.RecentList()->item(0)->text(), QStringLiteral(" 1./p/10.kdp"));
    EXPECT_EQ(ten.RecentList()->item(9)->text(), QStringLiteral("10./p/1.kdp"));

    // The buttons choose a new or an existing project; closing chooses nothing.
    for (const int choice : { CStartupDlg::kNewProject, CStartupDlg::kOpenProject }) {
        CStartupDlg buttons;
        buttons.show();
        (choice == CStartupDlg::kNewProject ? buttons.NewButton() : buttons.OpenButton())->click();
        EXPECT_EQ(buttons.m_result, choice);
        EXPECT_EQ(buttons.result(), QDialog::Accepted);
    }
    CStartupDlg closed;
    closed.show();
    closed.reject();
    EXPECT_EQ(closed.m_result, CStartupDlg::kNone);
}

TEST(StartupDlg, TheFullPathShowsOnlyOverTheSelectedLine)
{
    CStartupDlg dialog;
    dialog.m_history = { QStringLiteral("/a/first.kdp"), QStringLiteral("/a/second.kdp") };
    dialog.show();
    QListWidget* list = dialog.RecentList();
    list->setCurrentRow(0);
    const auto hover = [&](int row) {
        const QPoint point = list->visualItemRect(list->item(row)).center();
        QHelpEvent event(QEvent::ToolTip, point, list->viewport()->mapToGlobal(point));
        QApplication::sendEvent(list->viewport(), &event);
    };
    hover(0);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("/a/second.kdp")) << "the selected line is the newest";
    hover(1);
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000)) << "not over another line";
}

TEST(Thumbnails, ThePictureIsSqueezedTo48x27OnAnOpaqueBackground)
{
    CTempFolder temp;
    struct Case {
        QSize source;
        bool transparent;
    };
    for (const Case& c : { Case { QSize(1920, 1080), false }, Case { QSize(1080, 1920), false },
             Case { QSize(200, 100), true } }) {
        SCOPED_TRACE(testing::Message() << c.source.width() << "x" << c.source.height());
        QImage picture(c.source, QImage::Format_ARGB32);
        // Transparent white: its colour must not leak into the thumbnail.
        picture.fill(c.transparent ? QColor(255, 255, 255, 0) : QColor(Qt::green));
        const QString source = temp.FilePath(QStringLiteral("source.png"));
        ASSERT_TRUE(picture.save(source));
        const QString thumbnail = temp.FilePath(QStringLiteral("thumbnail_100.jpg"));
        ASSERT_EQ(ThumbnailWriter().WriteFile(source, thumbnail), 1);
        QImageReader reader(thumbnail);
        EXPECT_EQ(reader.format(), QByteArray("jpeg"));
        const QImage written = reader.read();
        EXPECT_EQ(written.size(), QSize(48, 27));
        const QColor middle = written.pixelColor(24, 13);
        if (c.transparent)
            EXPECT_LT(middle.value(), 16) << "drawn on black";
        else
            EXPECT_GT(middle.green(), 200);
    }
    // Nothing to draw, or nowhere to write it: 0 and no file.
    ThumbnailWriter writer;
    EXPECT_EQ(writer.WriteFile(QString(), temp.FilePath(QStringLiteral("a.jpg"))), 0);
    EXPECT_EQ(writer.WriteFile(
                  temp.FilePath(QStringLiteral("missing.png")), temp.FilePath(QStringLiteral("b.jpg"))),
        0);
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(Qt::red);
    EXPECT_EQ(writer.WriteBitmap(picture, temp.FilePath(QStringLiteral("no/such/folder/c.jpg"))), 0);
    EXPECT_FALSE(QFileInfo::exists(temp.FilePath(QStringLiteral("a.jpg"))));
    EXPECT_FALSE(QFileInfo::exists(temp.FilePath(QStringLiteral("b.jpg"))));
}
