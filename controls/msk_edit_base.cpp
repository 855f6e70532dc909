#include "controls/msk_edit_base.h"

#include "controls/control_messages.h"
#include "controls/msk_edit_text.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPalette>
#include <QRegularExpression>
#include <algorithm>

using namespace controls;

namespace {

// Pasted and dropped text enters a single-line edit up to its first line break.
QString FirstLine(const QString& text)
{
    const qsizetype lineBreak = text.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    return lineBreak < 0 ? text : text.left(lineBreak);
}

} // namespace

CMskEditBase::CMskEditBase(QWidget* parent)
    : QLineEdit(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ApplyColours();
}

void CMskEditBase::SetInputType(int32_t type)
{
    m_rules.inputType = type;
    setInputMethodHints(TakesNumbers() ? Qt::ImhPreferNumbers | Qt::ImhNoPredictiveText : Qt::ImhNone);
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}

QVariant CMskEditBase::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // Numbers and times are typed as plain digits: the input method stays closed for them, so
    // that a Japanese input method does not turn them into full-width digits the edit refuses.
    if (query == Qt::ImEnabled && TakesNumbers())
        return false;
    return QLineEdit::inputMethodQuery(query);
}

void CMskEditBase::SetNumRange(int32_t maximum, int32_t minimum)
{
    m_rules.numberMaximum = maximum;
    m_rules.numberMinimum = minimum;
}

void CMskEditBase::GetNumRange(int32_t& maximum, int32_t& minimum) const
{
    maximum = m_rules.numberMaximum;
    minimum = m_rules.numberMinimum;
}

void CMskEditBase::SetDrawCenter(bool centre, bool applyNow)
{
    m_drawCenter = centre;
    if (!applyNow)
        return;
    if (centre)
        CalcDrawCenter();
    else
        setTextMargins(0, 0, 0, 0);
}

void CMskEditBase::SetTextColor(COLORREF colour)
{
    m_textColor = colour;
    ApplyColours();
}

void CMskEditBase::SetTextNotColor(COLORREF colour)
{
    m_disabledTextColor = colour;
    ApplyColours();
}

void CMskEditBase::SetBkColor(COLORREF colour)
{
    m_backColor = colour;
    ApplyColours();
}

void CMskEditBase::ApplyColours()
{
    QPalette colours = palette();
    for (QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        colours.setColor(group, QPalette::Base, ToQColor(m_backColor));
        colours.setColor(group, QPalette::Window, ToQColor(m_backColor));
        colours.setColor(
            group, QPalette::Text, ToQColor(group == QPalette::Disabled ? m_disabledTextColor : m_textColor));
    }
    setPalette(colours);
    update();
}

void CMskEditBase::SetWindowTime(int hours, int minutes, int seconds, int hundredths)
{
    setText(QString::asprintf("%d:%02d:%02d:%02d", hours, minutes, seconds, hundredths));
}

void CMskEditBase::SetWindowTime(int64_t hundredths)
{
    setText(FormatTimeText(hundredths));
}

int64_t CMskEditBase::GetWindowTime() const
{
    return ParseTimeText(text());
}

void CMskEditBase::GetWindowTime(int&, int&, int&, int&) const { }

int64_t CMskEditBase::ConvertWindowTime(const QString& text)
{
    return ParseTimeText(text);
}

int64_t CMskEditBase::ConvertWindowTime(
    const QString& text, int64_t& hours, int64_t& minutes, int64_t& seconds, int64_t& hundredths)
{
    const int64_t value = ParseTimeText(text);
    const TimeFields fields = SplitTime(value);
    hours = fields.hours;
    minutes = fields.minutes;
    seconds = fields.seconds;
    hundredths = fields.hundredths;
    return value;
}

int CMskEditBase::SplitString(const QString& text, QStringList& pieces, QChar separator)
{
    pieces = SplitTrimmed(text, separator);
    return int(pieces.size());
}

void CMskEditBase::SafeInvalidate(bool)
{
    update();
}

bool CMskEditBase::TypeChar(QChar character)
{
    if (isReadOnly())
        return false;
    EditState state;
    state.text = text();
    if (hasSelectedText()) {
        state.selectionStart = selectionStart();
        state.selectionEnd = selectionEnd();
    } else {
        state.selectionStart = state.selectionEnd = cursorPosition();
    }
    const CharVerdict verdict = FilterTypedChar(m_rules, state, character);
    switch (verdict.kind) {
    case CharVerdict::Accept:
        insert(QString(verdict.character));
        return true;
    case CharVerdict::CheckTime:
        if (!AcceptTime(verdict.time)) {
            m_timeRefused = true;
            return false;
        }
        insert(QString(verdict.character));
        return true;
    case CharVerdict::ReplaceWithBound:
        // The user's keystroke changed the text, so the owner hears of it.
        setText(verdict.replacement);
        selectAll();
        emit textEdited(text());
        return false;
    case CharVerdict::Refuse:
        break;
    }
    return false;
}

void CMskEditBase::TypeText(const QString& typed)
{
    // A time above the maximum ends the text there: one refusal, one message, however long
    // the pasted text is.
    m_timeRefused = false;
    for (QChar character : FirstLine(typed)) {
        if (character.unicode() >= 0x20 && character.unicode() != 0x7F)
            TypeChar(character);
        if (m_timeRefused)
            break;
    }
}

void CMskEditBase::paste()
{
    if (isReadOnly())
        return;
    TypeText(QGuiApplication::clipboard()->text());
}

void CMskEditBase::cut()
{
    if (isReadOnly())
        return;
    QLineEdit::cut();
}

void CMskEditBase::HandleF2()
{
    const int length = int(text().size());
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int end = hasSelectedText() ? selectionEnd() : cursorPosition();
    if (start == 0 && end == length)
        setCursorPosition(length);
    else
        setSelection(0, length);
}

void CMskEditBase::CalcDrawCenter()
{
    m_rules.style |= ES_MULTILINE;
    const int lineHeight = QFontMetrics(font()).height();
    const int clientHeight = contentsRect().height();
    const int top = (clientHeight - lineHeight) / 2;
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The line edit keeps a one-pixel margin of its own above the text.
    setTextMargins(0, std::max(0, top - 1), 0, 0);
}

bool CMskEditBase::IsShortcutWeHandle(const QKeyEvent* event) const
{
    if (!(event->modifiers() & Qt::ControlModifier))
        return true;
    if (event->key() == Qt::Key_Y)
        return false;
    if (event->key() == Qt::Key_Z)
        return UndoAllowed() && isUndoAvailable();
    return true;
}

bool CMskEditBase::event(QEvent* event)
{
    // Ctrl+Z without undo and Ctrl+Y belong to the window around the edit: let its shortcuts
    // see them, and let the key press travel on to it.
    if (event->type() == QEvent::ShortcutOverride && !IsShortcutWeHandle(static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return false;
    }
    return QLineEdit::event(event);
}

void CMskEditBase::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers & Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_A:
            selectAll();
            return;
        case Qt::Key_C:
            copy();
            return;
        case Qt::Key_V:
            paste();
            return;
        case Qt::Key_X:
            cut(); // nothing in a read-only edit
            return;
        case Qt::Key_Z:
        case Qt::Key_Y:
            if (IsShortcutWeHandle(event)) {
                undo();
                return;
            }
            event->ignore();
            return;
        default:
            break;
        }
    }
    if (event->key() == Qt::Key_F2 && !(modifiers & Qt::ControlModifier)) {
        HandleF2();
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        paste();
        return;
    }
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && std::all_of(typed.begin(), typed.end(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() != 0x7F;
    });
    if (printable && !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        && !isReadOnly()) {
        TypeText(typed);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CMskEditBase::inputMethodEvent(QInputMethodEvent* event)
{
    if (event->commitString().isEmpty() || isReadOnly()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent withoutCommit(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&withoutCommit);
    TypeText(event->commitString());
    event->accept();
}

void CMskEditBase::dropEvent(QDropEvent* event)
{
    if (isReadOnly() || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    deselect();
    setCursorPosition(cursorPositionAt(event->position().toPoint()));
    TypeText(event->mimeData()->text());
    // A copy, so that a drag out of this edit never removes the source text.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    setFocus(Qt::MouseFocusReason);
}

void CMskEditBase::mouseReleaseEvent(QMouseEvent* event)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::MiddleButton && clipboard->supportsSelection() && !isReadOnly()) {
        deselect();
        setCursorPosition(cursorPositionAt(event->position().toPoint()));
        TypeText(clipboard->text(QClipboard::Selection));
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

QMenu* CMskEditBase::CreateEditMenu()
{
    // Qt's own texts of these entries, so that its translations apply.
    auto entryText = [](const char* source, QKeySequence::StandardKey key) {
        QString entry = QCoreApplication::translate("QLineEdit", source);
        const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
        if (!shortcut.isEmpty())
            entry += QLatin1Char('\t') + shortcut;
        return entry;
    };
    const bool writable = !isReadOnly();
    const bool selection = hasSelectedText() && echoMode() == QLineEdit::Normal;
    auto* menu = new QMenu(this);
    auto add = [&](const QString& label, bool enabled, const char* name, auto handler) {
        QAction* action = menu->addAction(label);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, handler);
    };
    add(entryText("&Undo", QKeySequence::Undo), writable && isUndoAvailable(), "edit-undo",
        [this] { undo(); });
    menu->addSeparator();
    add(entryText("Cu&t", QKeySequence::Cut), writable && selection, "edit-cut", [this] { cut(); });
    add(entryText("&Copy", QKeySequence::Copy), selection, "edit-copy", [this] { copy(); });
    add(entryText("&Paste", QKeySequence::Paste), writable && !QGuiApplication::clipboard()->text().isEmpty(),
        "edit-paste", [this] { paste(); });
    add(QCoreApplication::translate("QLineEdit", "Delete"), writable && hasSelectedText(), "edit-delete",
        [this] {
            if (!isReadOnly() && hasSelectedText())
                del();
        });
    menu->addSeparator();
    add(entryText("Select All", QKeySequence::SelectAll), !text().isEmpty() && selectedText() != text(),
        "select-all", [this] { selectAll(); });
    return menu;
}

void CMskEditBase::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = CreateEditMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void CMskEditBase::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (TakesNumbers())
        QGuiApplication::inputMethod()->reset();
    // Back from a menu or another pop-up, the selection and the caret stay where they were, so
    // that the menu's Copy and Paste act on them.
    if (m_focusSelect && event->reason() != Qt::PopupFocusReason) {
        setCursorPosition(0);
        // Select the whole text once the focus change has settled, as a posted F2 would; not
        // when the focus has moved on meanwhile (the edit disabled while it took the focus), as
        // an edit without the focus shows no selection.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (hasFocus())
                    HandleF2();
            },
            Qt::QueuedConnection);
    }
}

void CMskEditBase::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A menu opened over the edit (its own context menu included) leaves the typing unfinished.
    if (event->reason() == Qt::PopupFocusReason)
        return;
    const QString normalised = NormalisedText(m_rules.inputType, text());
    if (normalised != text())
        setText(normalised);
}

void CMskEditBase::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    if (m_drawCenter)
        CalcDrawCenter();
}
