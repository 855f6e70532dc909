#include "controls/control_messages.h"
#include "controls/msk_edit.h"
#include "controls/remote_msk_edit.h"
#include "tests/controls/widget_probe.h"
#include "tests/fixtures/scripted_dialog_service.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A window around the edit that records the keys reaching it.
class CKeyRecorder : public QWidget {
public:
    QStringList keys;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const int key = event->key();
        if (key != Qt::Key_Control && key != Qt::Key_Shift && key != Qt::Key_Alt && key != Qt::Key_Meta)
            keys.append(QKeySequence(event->keyCombination()).toString());
    }
};

void SendFocus(QWidget& widget, QEvent::Type type)
{
    QFocusEvent event(type, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(&widget, &event);
}

template <typename Condition> bool WaitFor(Condition condition)
{
    QDeadlineTimer deadline(2000);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

struct MskEditFixture : ::testing::Test {
    CKeyRecorder window;
    CMskEdit* edit = new CMskEdit(&window);
    CScriptedDialogService dialogs;
};

} // namespace

TEST_F(MskEditFixture, IntegerTypingCorrectsToTheBoundAndReportsIt)
{
    edit->SetInputType(1);
    edit->SetNumRange(100, 0);
    QSignalSpy edited(edit, &QLineEdit::textEdited);
    QTest::keyClicks(edit, QStringLiteral("5x0"));
    EXPECT_EQ(edit->text(), QStringLiteral("50"));
    QTest::keyClick(edit, Qt::Key_0);
    EXPECT_EQ(edit->text(), QStringLiteral("100"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("100"));
    ASSERT_FALSE(edited.isEmpty());
    EXPECT_EQ(edited.last().at(0).toString(), QStringLiteral("100"));
    // Backspace always reaches the edit.
    edit->setCursorPosition(3);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("10"));
}

TEST_F(MskEditFixture, TimeAboveTheMaximumIsRefusedWithOneMessage)
{
    edit->SetInputType(3);
    edit->SetHourMax(1);
    edit->SetTimeRangeErrMsg(QString()); // a null text keeps the message
    edit->setText(QStringLiteral("1:00:00:0"));
    edit->setCursorPosition(9);
    dialogs.AnswerMessageBox(platform::IDOK);
    QTest::keyClick(edit, Qt::Key_1);
    EXPECT_EQ(edit->text(), QStringLiteral("1:00:00:0"));
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].caption, QStringLiteral("Kaleidra Pro"));
    EXPECT_EQ(dialogs.Requests()[0].text,
        QStringLiteral("入力した時間が最大値を超えています。\n\n「0:00:00:00」～「1:00:00:00」 "
                       "の範囲で入力してください。"));
    QTest::keyClick(edit, Qt::Key_0);
    EXPECT_EQ(edit->text(), QStringLiteral("1:00:00:00"));
    EXPECT_TRUE(dialogs.AllAnswersUsed());
}

TEST_F(MskEditFixture, TimeBeyondThirtyTwoBitsIsRefusedNotWrapped)
{
    edit->SetInputType(3);
    edit->SetTimeRangeErrMsg(QStringLiteral("%s - %s"));
    edit->setText(QStringLiteral("11931:00:00:0"));
    edit->setCursorPosition(13);
    dialogs.AnswerMessageBox(platform::IDOK);
    QTest::keyClick(edit, Qt::Key_0);
    EXPECT_EQ(edit->text(), QStringLiteral("11931:00:00:0"));
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<QString>({ QStringLiteral("0:00:00:00 - 5965:13:56:47") }));
}

TEST_F(MskEditFixture, LosingTheFocusNormalisesTheText)
{
    struct Case {
        int type;
        const char* typed;
        const char* normalised;
    } cases[] = { { 3, "5:30", "0:00:05:30" }, { 1, "007", "7" }, { 2, "2.50", "2.5" }, { 0, " a ", " a " } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        edit->SetInputType(c.type);
        edit->SetNumRange(-1, 0);
        edit->setText(QString::fromUtf8(c.typed));
        SendFocus(*edit, QEvent::FocusOut);
        EXPECT_EQ(edit->text(), QString::fromUtf8(c.normalised));
    }
    edit->SetInputType(3);
    edit->setText(QStringLiteral("1:02:03:04"));
    EXPECT_EQ(edit->GetWindowTime(), 372304);
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Colon);
    EXPECT_EQ(edit->text(), QStringLiteral("1:02:03:04"));
}

TEST_F(MskEditFixture, SettingAValueReportsNoUserChange)
{
    QSignalSpy edited(edit, &QLineEdit::textEdited);
    edit->SetInputType(3);
    edit->SetWindowTime(int64_t(530));
    EXPECT_EQ(edit->text(), QStringLiteral("0:00:05:30"));
    edit->SetWindowTime(1, 2, 3, 4);
    EXPECT_EQ(edit->text(), QStringLiteral("1:02:03:04"));
    EXPECT_TRUE(edited.isEmpty());
}

TEST_F(MskEditFixture, FocusSelectsAllAndF2TogglesTheSelection)
{
    window.show();
    QApplication::setActiveWindow(&window);
    edit->setText(QStringLiteral("12:34"));
    edit->setCursorPosition(2);
    edit->setFocus();
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_TRUE(WaitFor([&] { return edit->selectedText() == QStringLiteral("12:34"); }));
    QTest::keyClick(edit, Qt::Key_F2);
    EXPECT_FALSE(edit->hasSelectedText());
    EXPECT_EQ(edit->cursorPosition(), 5);
    QTest::keyClick(edit, Qt::Key_F2);
    EXPECT_EQ(edit->selectedText(), QStringLiteral("12:34"));

    edit->SetFocusSel(false);
    edit->setCursorPosition(1);
    edit->clearFocus();
    edit->setFocus();
    QCoreApplication::processEvents();
    EXPECT_FALSE(edit->hasSelectedText());
}

// Fields disabled one after the other while the focus is in the first (a project closed) hand the
// focus on from one to the next: none of them is left with its text selected.
TEST_F(MskEditFixture, FieldsDisabledWhileTakingTheFocusSelectNothing)
{
    auto* other = new CMskEdit(&window);
    auto* last = new CMskEdit(&window);
    for (CMskEdit* field : { edit, other, last }) {
        field->SetInputType(3);
        field->SetWindowTime(int64_t(0));
        field->setFocusPolicy(Qt::StrongFocus);
    }
    window.show();
    QApplication::setActiveWindow(&window);
    edit->setFocus();
    ASSERT_TRUE(edit->hasFocus());
    QCoreApplication::processEvents();
    for (CMskEdit* field : { edit, other, last })
        field->setEnabled(false);
    QCoreApplication::processEvents();
    for (CMskEdit* field : { edit, other, last })
        EXPECT_FALSE(field->hasSelectedText()) << field->selectedText().toStdString();
}

TEST_F(MskEditFixture, PastedDroppedAndInputMethodTextPassTheSameChecks)
{
    edit->SetInputType(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("1a2-3\nnext line 4"));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QStringLiteral("12-3"));

    edit->clear();
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("4b5"));
    QCoreApplication::sendEvent(edit, &commit);
    EXPECT_EQ(edit->text(), QStringLiteral("45"));

    edit->clear();
    QMimeData data;
    data.setText(QStringLiteral("9x8"));
    // A drop follows the drag's entry, which makes the edit the drag's target.
    QDragEnterEvent enter(
        QPoint(2, 2), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &drop);
    EXPECT_EQ(edit->text(), QStringLiteral("98"));
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
}

TEST_F(MskEditFixture, UndoKeysReachTheWindowUnlessTheEditUndoes)
{
    QTest::keyClicks(edit, QStringLiteral("ab"));
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QStringLiteral("ab"));
    QTest::keyClick(edit, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(window.keys, QStringList({ QStringLiteral("Ctrl+Z"), QStringLiteral("Ctrl+Y") }));

    window.keys.clear();
    edit->SetUndoEnable(true);
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(edit->text(), QStringLiteral("ab"));
    EXPECT_TRUE(window.keys.empty());

    // Ctrl+A selects everything; Tab and Enter go on to the window.
    edit->setText(QStringLiteral("xyz"));
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(edit->selectedText(), QStringLiteral("xyz"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(window.keys, QStringList({ QStringLiteral("Return") }));
}

TEST_F(MskEditFixture, PaintsItsColours)
{
    edit->SetBkColor(controls::Rgb(10, 20, 30));
    edit->resize(80, 24);
    EXPECT_EQ(RgbText(PixelAt(*edit, QPoint(70, 12))), "10,20,30");
    EXPECT_EQ(edit->palette().color(QPalette::Disabled, QPalette::Text), QColor(136, 136, 136));
    EXPECT_EQ(edit->palette().color(QPalette::Active, QPalette::Text), QColor(255, 255, 255));
}

TEST_F(MskEditFixture, DrawCentreCentresTheLineInATallEdit)
{
    window.show(); // resize events reach shown widgets only
    edit->resize(100, 60);
    EXPECT_EQ(edit->textMargins().top(), 0);
    edit->SetDrawCenter(true, true);
    EXPECT_TRUE(edit->IsDrawCenter());
    EXPECT_TRUE(edit->GetEditStyle() & controls::ES_MULTILINE);
    const int lineHeight = QFontMetrics(edit->font()).height();
    EXPECT_NEAR(edit->textMargins().top(), (edit->contentsRect().height() - lineHeight) / 2, 1);
    edit->resize(100, 100); // the centring follows the size
    EXPECT_NEAR(edit->textMargins().top(), (edit->contentsRect().height() - lineHeight) / 2, 1);
}

TEST(RemoteMskEdit, RefusesHoursAboveItsMaximumSilently)
{
    CScriptedDialogService dialogs; // any message box would fail the test
    controls::remote::CMskEdit edit;
    edit.SetInputType(3);
    edit.SetHourMax(2);
    edit.setText(QStringLiteral("2:59:59:9"));
    edit.setCursorPosition(9);
    QTest::keyClick(&edit, Qt::Key_9);
    EXPECT_EQ(edit.text(), QStringLiteral("2:59:59:99"));
    edit.setText(QStringLiteral(":00:00:00"));
    edit.setCursorPosition(0);
    QTest::keyClick(&edit, Qt::Key_3);
    EXPECT_EQ(edit.text(), QStringLiteral(":00:00:00"));
    QTest::keyClick(&edit, Qt::Key_2);
    EXPECT_EQ(edit.text(), QStringLiteral("2:00:00:00"));
    EXPECT_TRUE(dialogs.Requests().empty());

    // Ctrl+Z undoes whenever there is something to undo; read-only takes no typing.
    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("12"));
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(edit.text(), QStringLiteral("12"));
    edit.setReadOnly(true);
    edit.setText(QStringLiteral("1"));
    QTest::keyClick(&edit, Qt::Key_2);
    EXPECT_EQ(edit.text(), QStringLiteral("1"));
}

TEST_F(MskEditFixture, APastedTimeAboveTheMaximumShowsOneMessage)
{
    edit->SetInputType(3);
    edit->SetHourMax(1);
    dialogs.AnswerMessageBox(platform::IDOK);
    QGuiApplication::clipboard()->setText(QStringLiteral("99999999"));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QStringLiteral("99999"));
    EXPECT_EQ(dialogs.Requests().size(), 1u);

    // The next keystroke is a new try with a message of its own.
    dialogs.AnswerMessageBox(platform::IDOK);
    QTest::keyClick(edit, Qt::Key_9);
    EXPECT_EQ(dialogs.Requests().size(), 2u);
    EXPECT_TRUE(dialogs.AllAnswersUsed());
}

TEST_F(MskEditFixture, OpeningAMenuOverTheEditKeepsTheTextAsTyped)
{
    edit->SetInputType(3);
    edit->setText(QStringLiteral("5:3"));
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(edit, &popup);
    EXPECT_EQ(edit->text(), QStringLiteral("5:3"));
    for (Qt::FocusReason reason : { Qt::TabFocusReason, Qt::ActiveWindowFocusReason }) {
        edit->setText(QStringLiteral("5:3"));
        QFocusEvent out(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(edit, &out);
        EXPECT_EQ(edit->text(), QStringLiteral("0:00:05:03"));
    }
}

TEST_F(MskEditFixture, TheInputMethodStaysClosedForNumbersAndTimes)
{
    for (int type : { 0, 1, 2, 3 }) {
        SCOPED_TRACE(type);
        edit->SetInputType(type);
        QInputMethodQueryEvent query(Qt::ImEnabled);
        QCoreApplication::sendEvent(edit, &query);
        EXPECT_EQ(query.value(Qt::ImEnabled).toBool(), type == 0);
    }
    edit->SetInputType(0);
    edit->setReadOnly(true);
    edit->setReadOnly(false);
    edit->SetInputType(3);
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QCoreApplication::sendEvent(edit, &query);
    EXPECT_FALSE(query.value(Qt::ImEnabled).toBool());
}

namespace {

// The entry of the edit's context menu whose text, without its mnemonic and shortcut, is given.
QAction* MenuEntry(QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions()) {
        if (action->text().remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0) == text)
            return action;
    }
    return nullptr;
}

// Opens the edit's context menu as a right-click does and returns it (it closes itself).
QMenu* OpenContextMenu(QLineEdit& edit)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), edit.mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(&edit, &event);
    QMenu* menu = nullptr;
    WaitFor([&] {
        menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu != nullptr;
    });
    return menu;
}

} // namespace

// The context menu's Paste passes the same checks as typing: "x99999" pasted into a 0..100 field
// holding 5 never leaves a letter or a number above 100 in it.
TEST_F(MskEditFixture, TheContextMenuPastesThroughTheChecks)
{
    window.show();
    edit->SetInputType(1);
    edit->SetNumRange(100, 0);
    edit->setText(QStringLiteral("5"));
    edit->setCursorPosition(0);
    QGuiApplication::clipboard()->setText(QStringLiteral("x99999"));
    QMenu* menu = OpenContextMenu(*edit);
    ASSERT_NE(menu, nullptr);
    QAction* paste = MenuEntry(*menu, QStringLiteral("Paste"));
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    menu->close();
    bool isNumber = false;
    const int value = edit->text().toInt(&isNumber);
    EXPECT_TRUE(isNumber) << edit->text().toStdString();
    EXPECT_GE(value, 0);
    EXPECT_LE(value, 100);
}

// The menu offers what the edit can do: a read-only edit can only be copied from and selected.
TEST_F(MskEditFixture, TheContextMenuOffersOnlyWhatTheEditCanDo)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("7"));
    edit->setText(QStringLiteral("12:34"));
    edit->setSelection(0, 2);
    const QStringList entries { "Undo", "Cut", "Copy", "Paste", "Delete", "Select All" };
    const struct {
        const char* name;
        bool readOnly;
        QStringList enabled;
    } cases[] = {
        { "writable with a selection", false, { "Cut", "Copy", "Paste", "Delete", "Select All" } },
        { "read-only with a selection", true, { "Copy", "Select All" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        edit->setReadOnly(c.readOnly);
        std::unique_ptr<QMenu> menu(edit->CreateEditMenu());
        for (const QString& entry : entries) {
            SCOPED_TRACE(entry.toStdString());
            QAction* action = MenuEntry(*menu, entry);
            ASSERT_NE(action, nullptr);
            EXPECT_EQ(action->isEnabled(), c.enabled.contains(entry));
        }
    }
    // Delete removes the selection; Select All selects the whole text.
    edit->setReadOnly(false);
    std::unique_ptr<QMenu> menu(edit->CreateEditMenu());
    MenuEntry(*menu, QStringLiteral("Delete"))->trigger();
    EXPECT_EQ(edit->text(), QStringLiteral(":34"));
    MenuEntry(*menu, QStringLiteral("Select All"))->trigger();
    EXPECT_EQ(edit->selectedText(), QStringLiteral(":34"));
}

// Back from a menu (or any pop-up), the selection and the caret are where the user left them,
// so that the menu's Copy copies them and its Paste lands there.
TEST_F(MskEditFixture, FocusBackFromAPopupKeepsTheSelection)
{
    edit->setText(QStringLiteral("12:34"));
    edit->setSelection(1, 2);
    QFocusEvent popupOut(QEvent::FocusOut, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(edit, &popupOut);
    QFocusEvent popupIn(QEvent::FocusIn, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(edit, &popupIn);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(edit->selectionStart(), 1);
    EXPECT_EQ(edit->selectedText(), QStringLiteral("2:"));
}

// Ctrl+X never takes text out of a read-only edit, the remote program's time fields included;
// in a writable one it cuts.
TEST(MskEditReadOnly, CtrlXLeavesTheTextOfAReadOnlyEdit)
{
    CScriptedDialogService dialogs;
    CMskEdit editorEdit;
    controls::remote::CMskEdit remoteEdit;
    for (CMskEditBase* edit :
        { static_cast<CMskEditBase*>(&editorEdit), static_cast<CMskEditBase*>(&remoteEdit) }) {
        SCOPED_TRACE(edit->metaObject()->className());
        edit->SetInputType(3);
        for (const bool readOnly : { true, false }) {
            edit->setReadOnly(readOnly);
            edit->setText(QStringLiteral("1:02:03:04"));
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
            QTest::keyClick(edit, Qt::Key_Delete, Qt::ShiftModifier);
            QMetaObject::invokeMethod(edit, "cut");
            EXPECT_EQ(edit->text(), readOnly ? QStringLiteral("1:02:03:04") : QString());
        }
    }
}
