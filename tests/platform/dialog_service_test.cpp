#include "platform/qt_dialog_service.h"
#include "platform/qt_translations.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <functional>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

TEST(DialogService, ScriptedServiceAnswersInOrderAndRecords)
{
    CScriptedDialogService script;
    EXPECT_EQ(&platform::DialogService(), &script);
    script.AnswerMessageBox(platform::IDYES);
    script.AnswerPath(QStringLiteral("/shows/a.kdp"));
    script.AnswerPath(std::nullopt);
    script.AnswerColour(0x00FF00u);

    EXPECT_EQ(platform::DialogService().MessageBox(QStringLiteral("保存しますか?"),
                  QStringLiteral("Kaleidra Pro"), platform::MB_YESNO | platform::MB_ICONQUESTION),
        platform::IDYES);
    EXPECT_EQ(platform::DialogService().OpenFileName(
                  QStringLiteral("Open"), QStringLiteral("/shows"), QStringLiteral("Project (*.kdp)")),
        QStringLiteral("/shows/a.kdp"));
    EXPECT_FALSE(platform::DialogService().FolderName(QStringLiteral("Folder"), QString()).has_value());
    EXPECT_EQ(platform::DialogService().Colour(0), 0x00FF00u);
    EXPECT_TRUE(script.AllAnswersUsed());
    ASSERT_EQ(script.Requests().size(), 4u);
    EXPECT_EQ(script.Requests()[0].caption, QStringLiteral("Kaleidra Pro"));
    EXPECT_EQ(script.Requests()[0].type, unsigned(platform::MB_YESNO | platform::MB_ICONQUESTION));
    EXPECT_EQ(script.MessageTexts(), std::vector<QString> { QStringLiteral("保存しますか?") });
}

TEST(DialogService, UnexpectedRequestFailsAndCancels)
{
    CScriptedDialogService script;
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(
        answer = platform::DialogService().MessageBox(QStringLiteral("?"), QString(), platform::MB_OKCANCEL),
        "unexpected dialog request");
    EXPECT_EQ(answer, platform::IDCANCEL);
    // An answer of the wrong kind is not consumed by another kind of request.
    script.AnswerMessageBox(platform::IDOK);
    EXPECT_NONFATAL_FAILURE(
        platform::DialogService().SaveFileName(QString(), QString(), QString()), "unexpected dialog request");
    EXPECT_FALSE(script.AllAnswersUsed());
    script.Clear();
}

TEST(DialogService, RemovingTheScriptRestoresTheRealService)
{
    platform::CDialogService* real = &platform::DialogService();
    {
        CScriptedDialogService script;
        EXPECT_NE(&platform::DialogService(), real);
    }
    EXPECT_EQ(&platform::DialogService(), real);
    EXPECT_NE(dynamic_cast<platform::CQtDialogService*>(real), nullptr);
}

// Runs `act` on the modal dialog of type Dialog once it is shown (the calls below block in the
// dialog's own event loop); gives up after a deadline, so that nothing waits for ever.
template <typename Dialog>
void WhenShown(std::function<void(Dialog&)> act, QDeadlineTimer deadline = QDeadlineTimer(10000))
{
    QTimer::singleShot(10, [act, deadline] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            act(*dialog);
            return;
        }
        if (!deadline.hasExpired())
            WhenShown<Dialog>(act, deadline);
        else
            ADD_FAILURE() << "no dialog was shown";
    });
}

struct ShownBox {
    QStringList buttons; // texts of the buttons, in the box's order
    QString defaultButton;
    Qt::TextFormat labelFormat = Qt::AutoText;
    QString labelText;
    QString title;
};

ShownBox Describe(QMessageBox& box)
{
    ShownBox shown;
    for (QAbstractButton* button : box.buttons())
        shown.buttons << button->text().remove(QLatin1Char('&'));
    if (box.defaultButton())
        shown.defaultButton = box.defaultButton()->text().remove(QLatin1Char('&'));
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        shown.labelFormat = label->textFormat();
        shown.labelText = label->text();
    }
    shown.title = box.windowTitle();
    return shown;
}

// The real Qt message box: its buttons, its default button, what Enter, Escape and the
// window's close give, and a text shown as written even when it holds markup.
TEST(QtDialogService, MessageBoxesShowTheirButtonsAndAnswer)
{
    enum class Close { Enter, Escape, CloseButton };
    const QString markup = QStringLiteral("<b>/shows/a.kdp</b> <img src=\"/etc/nothing.png\">");
    const struct {
        const char* name;
        unsigned type;
        Close close;
        int answer;
        QStringList buttons;
        QString defaultButton;
    } cases[] = {
        { "OK with Enter", platform::MB_OK, Close::Enter, platform::IDOK, { "OK" }, "OK" },
        { "OK with Escape", platform::MB_OK | platform::MB_ICONERROR, Close::Escape, platform::IDOK, { "OK" },
            "OK" },
        { "OK/Cancel with Enter", platform::MB_OKCANCEL, Close::Enter, platform::IDOK, { "OK", "Cancel" },
            "OK" },
        { "OK/Cancel closed", platform::MB_OKCANCEL, Close::CloseButton, platform::IDCANCEL,
            { "OK", "Cancel" }, "OK" },
        { "Yes/No, second default, Enter", platform::MB_YESNO | platform::MB_DEFBUTTON2, Close::Enter,
            platform::IDNO, { "Yes", "No" }, "No" },
        { "Yes/No with Escape", platform::MB_YESNO | platform::MB_ICONQUESTION, Close::Escape, platform::IDNO,
            { "Yes", "No" }, "Yes" },
        { "Yes/No/Cancel with Escape", platform::MB_YESNOCANCEL, Close::Escape, platform::IDCANCEL,
            { "Yes", "No", "Cancel" }, "Yes" },
        { "Yes/No/Cancel with Enter", platform::MB_YESNOCANCEL | platform::MB_ICONWARNING, Close::Enter,
            platform::IDYES, { "Yes", "No", "Cancel" }, "Yes" },
    };
    platform::CQtDialogService service;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ShownBox shown;
        WhenShown<QMessageBox>([&shown, close = c.close](QMessageBox& box) {
            shown = Describe(box);
            switch (close) {
            case Close::Enter:
                QTest::keyClick(&box, Qt::Key_Return);
                break;
            case Close::Escape:
                QTest::keyClick(&box, Qt::Key_Escape);
                break;
            case Close::CloseButton:
                box.close();
                break;
            }
        });
        EXPECT_EQ(service.MessageBox(markup, QStringLiteral("Kaleidra Pro"), c.type), c.answer);
        QStringList buttons = shown.buttons;
        buttons.sort();
        QStringList expected = c.buttons;
        expected.sort();
        EXPECT_EQ(buttons, expected);
        EXPECT_EQ(shown.defaultButton, c.defaultButton);
        EXPECT_EQ(shown.title, QStringLiteral("Kaleidra Pro"));
        EXPECT_EQ(shown.labelFormat, Qt::PlainText);
        EXPECT_EQ(shown.labelText, markup);
    }
}

// A file picker starts on the file type the caller names and tells which one the user chose.
TEST(QtDialogService, FilePickersTakeAndGiveTheSelectedFileType)
{
    CTempFolder folder;
    const QString movie = folder.WriteFile(QStringLiteral("clip.mp4"), "x");
    const QString filter = QStringLiteral("Mov (*.mov);;MP4 (*.mp4);;All movies (*.mov *.mp4)");
    platform::CQtDialogService service;
    QString startedOn;
    WhenShown<QFileDialog>([&](QFileDialog& dialog) {
        startedOn = dialog.selectedNameFilter();
        dialog.selectNameFilter(QStringLiteral("MP4 (*.mp4)"));
        dialog.selectFile(movie);
        static_cast<QDialog&>(dialog).accept();
    });
    QString selected = QStringLiteral("All movies (*.mov *.mp4)");
    EXPECT_EQ(service.OpenFileName(QStringLiteral("Open"), folder.Path(), filter, &selected), movie);
    EXPECT_EQ(startedOn, QStringLiteral("All movies (*.mov *.mp4)"));
    EXPECT_EQ(selected, QStringLiteral("MP4 (*.mp4)"));

    WhenShown<QFileDialog>([&](QFileDialog& dialog) {
        startedOn = dialog.selectedNameFilter();
        dialog.reject();
    });
    selected = QStringLiteral("MP4 (*.mp4)");
    EXPECT_EQ(service.SaveFileName(QStringLiteral("Save"), folder.FilePath("new.mp4"), filter, &selected),
        std::nullopt);
    EXPECT_EQ(startedOn, QStringLiteral("MP4 (*.mp4)"));
}

TEST(ScriptedDialogService, FilePickersRecordAndAnswerTheSelectedFileType)
{
    CScriptedDialogService script;
    script.AnswerPath(QStringLiteral("/shows/a.png"), QStringLiteral("PNG (*.png)"));
    QString selected = QStringLiteral("JPEG (*.jpg)");
    EXPECT_EQ(
        platform::DialogService().OpenFileName("Open", "/shows", "JPEG (*.jpg);;PNG (*.png)", &selected),
        QStringLiteral("/shows/a.png"));
    EXPECT_EQ(selected, QStringLiteral("PNG (*.png)"));
    ASSERT_EQ(script.Requests().size(), 1u);
    EXPECT_EQ(script.Requests()[0].selectedFilter, QStringLiteral("JPEG (*.jpg)"));
}

// Qt's own texts (the standard buttons among them) are Japanese like the rest of the programs,
// whatever the system's language.
TEST(QtTranslations, StandardButtonsAreJapaneseUnderAnyLocale)
{
    if (QLocale::system().language() == QLocale::Japanese)
        GTEST_SKIP() << "the system's own language is Japanese: nothing tells the two apart";
    QTranslator* translator = platform::LoadQtTranslations();
    ASSERT_NE(translator, nullptr) << "Qt's translations are missing (qt6-translations-l10n)";
    platform::CQtDialogService service;
    ShownBox shown;
    WhenShown<QMessageBox>([&shown](QMessageBox& box) {
        shown = Describe(box);
        QTest::keyClick(&box, Qt::Key_Escape);
    });
    EXPECT_EQ(
        service.MessageBox(QStringLiteral("?"), QString(), platform::MB_YESNOCANCEL), platform::IDCANCEL);
    QCoreApplication::removeTranslator(translator);
    delete translator;
    for (const QString& text :
        { QStringLiteral("はい(Y)"), QStringLiteral("いいえ(N)"), QStringLiteral("キャンセル") })
        EXPECT_TRUE(shown.buttons.contains(text)) << shown.buttons.join(',').toStdString();
}

} // namespace
