#pragma once

#include "controls/controls_export.h"
#include "controls/msk_edit_filter.h"
#include "controls/win_color.h"

#include <QLineEdit>

class QMenu;
#include <QStringList>
#include <cstdint>

// What the editor's masked edit and the remote program's share: a single-line edit for text,
// integers, decimal numbers and times in hundredths of a second ("%d:%02d:%02d:%02d"). Every
// character that enters the text - typed, pasted, dropped or committed by an input method -
// passes the input type's checks; the text is normalised when the edit loses the focus.
// Owners hear of user changes through textEdited() and editingFinished(); the setters below
// (SetWindowTime included) report nothing.
class KALEIDRA_CONTROLS_EXPORT CMskEditBase : public QLineEdit {
    Q_OBJECT

public:
    explicit CMskEditBase(QWidget* parent = nullptr);

    void SetInputType(int32_t type);
    int32_t GetInputType() const { return m_rules.inputType; }
    void SetInputTextMode(int mode) { m_rules.textMode = mode; }
    int GetInputTextMode() const { return m_rules.textMode; }
    void SetEnableChar(const QString& characters) { m_rules.enableChars = characters; }
    QString GetEnableChar() const { return m_rules.enableChars; }
    // Note the order: maximum first.
    void SetNumRange(int32_t maximum, int32_t minimum);
    void GetNumRange(int32_t& maximum, int32_t& minimum) const;
    int32_t GetNumMax() const { return m_rules.numberMaximum; }
    int32_t GetNumMin() const { return m_rules.numberMinimum; }
    void SetFloatMax(int decimals) { m_rules.decimalsMaximum = decimals; }
    int GetFloatMax() const { return m_rules.decimalsMaximum; }
    void SetFocusSel(bool select) { m_focusSelect = select; }
    bool IsFocusSel() const { return m_focusSelect; }
    // Centres the text line vertically; applyNow recomputes the centring at once.
    void SetDrawCenter(bool centre, bool applyNow);
    bool IsDrawCenter() const { return m_drawCenter; }

    void SetTextColor(COLORREF colour);
    COLORREF GetTextColor() const { return m_textColor; }
    void SetTextNotColor(COLORREF colour);
    COLORREF GetTextNotColor() const { return m_disabledTextColor; }
    void SetBkColor(COLORREF colour);
    COLORREF GetBkColor() const { return m_backColor; }

    // The edit styles ES_LOWERCASE, ES_UPPERCASE (text type) and ES_MULTILINE.
    void SetEditStyle(uint32_t style) { m_rules.style = style; }
    uint32_t GetEditStyle() const { return m_rules.style; }

    void SetWindowTime(int hours, int minutes, int seconds, int hundredths);
    void SetWindowTime(int64_t hundredths);
    int64_t GetWindowTime() const;
    // Kept for callers of the four-field form; it leaves its arguments unchanged.
    void GetWindowTime(int& hours, int& minutes, int& seconds, int& hundredths) const;
    static int64_t ConvertWindowTime(const QString& text);
    static int64_t ConvertWindowTime(
        const QString& text, int64_t& hours, int64_t& minutes, int64_t& seconds, int64_t& hundredths);
    // Splits at the separator, trimming each piece; returns the number of pieces.
    static int SplitString(const QString& text, QStringList& pieces, QChar separator);

    void SafeInvalidate(bool erase);

    // Offers one character as if typed; returns whether it went into the text.
    bool TypeChar(QChar character);
    // Offers a text character by character (paste, drop, input method).
    void TypeText(const QString& text);

    // The edit's own context menu: undo, cut, copy, paste, delete and select all, each enabled
    // only where it can act, pasting through the checks of TypeText. The caller owns the menu.
    QMenu* CreateEditMenu();

public slots:
    // The clipboard commands, by these names for menus that call them by name: pasted text
    // passes every check typed text does, and a read-only edit never loses text to a cut.
    void cut();
    void paste();

protected:
    // Whether a typed time may stand; false refuses the character.
    virtual bool AcceptTime(int64_t hundredths) = 0;
    // Whether Ctrl+Z undoes in the edit; otherwise the key goes on to the parent.
    virtual bool UndoAllowed() const = 0;

    void CalcDrawCenter();
    bool TakesNumbers() const { return m_rules.inputType >= 1 && m_rules.inputType <= 3; }

    using QLineEdit::inputMethodQuery;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void HandleF2();

    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ApplyColours();
    bool IsShortcutWeHandle(const QKeyEvent* event) const;

    controls::MaskRules m_rules;
    bool m_focusSelect = true;
    bool m_drawCenter = false;
    bool m_timeRefused = false; // the last character offered was a time above the maximum
    COLORREF m_disabledTextColor = controls::Rgb(136, 136, 136);
    COLORREF m_textColor = controls::Rgb(255, 255, 255);
    COLORREF m_backColor = controls::Rgb(51, 51, 51);
};
