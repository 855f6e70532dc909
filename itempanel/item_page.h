#pragma once

#include "controls/win_rect.h"
#include "platform/win_color.h"

#include <QLabel>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

class CGdiComboBox;
class CMskEdit;
class QLineEdit;

namespace itempanel {

// A static text of the pages: its own background, text colour and alignment, optionally framed
// by a dark line.
class CPageLabel : public QLabel {
    Q_OBJECT

public:
    explicit CPageLabel(QWidget* parent = nullptr);

    COLORREF m_backColor = platform::Rgb(101, 101, 101);
    COLORREF m_textColor = platform::Rgb(255, 255, 255);
    bool m_border = false;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// What the three pages and the camera dialog share: controls found by their ids, the skin's
// colours and fonts, the separator lines of the background, and the typed-value checks that run
// on Tab or Enter and when the user leaves an edited field.
class CItemPage : public QWidget {
    Q_OBJECT

public:
    // The control with that id (the window's dialog item), or null.
    QWidget* Item(int id) const;
    template <typename T> T* ItemAs(int id) const { return qobject_cast<T*>(Item(id)); }

    QString m_skinFolder; // ends with '/'; every skin image is found below it

protected:
    explicit CItemPage(QWidget* parent);

    void Register(int id, QWidget* control);
    // A right-aligned, vertically centred label in the caption font.
    CPageLabel* AddCaption(int id, const QString& text, const controls::WinRect& rect);
    // A value text on the field background in the control font.
    CPageLabel* AddValueText(int id, const controls::WinRect& rect, bool bordered, Qt::Alignment alignment);
    // A time edit: time type, maximum 360000, the catalogue's range message, field background.
    CMskEdit* AddTimeEdit(int id, const controls::WinRect& rect);
    // An owner-drawn drop-down list with the skin's pull-down pictures.
    CGdiComboBox* AddCombo(int id, const controls::WinRect& rect);
    // A separator across the page below the control: a dark line 7 pixels and a light line 8
    // pixels below its bottom edge.
    void AddSeparatorBelow(const QWidget* control);

    // The item header of the effects and filter pages: face, start time, play time and kind, each
    // with its caption; the two times are kept in hidden time edits and shown as texts.
    struct HeaderIds {
        int faceCaption, startCaption, playCaption, modeCaption;
        int face, startEdit, playEdit, mode, startText, playText;
    };
    struct HeaderTexts {
        QString face, start, play, mode;
    };
    void AddItemHeader(const HeaderIds& ids, const HeaderTexts& texts);
    // Shows the item's face number, times and kind in the header.
    void ShowItemHeader(int32_t faceNo, int32_t start, int32_t playTime, int32_t kind);
    // Empties the header's texts and sets its times to 0.
    void ClearItemHeader();
    bool IsHeaderBlank() const;
    CMskEdit* HeaderStartEdit() const { return m_headerStart; }
    CMskEdit* HeaderPlayEdit() const { return m_headerPlay; }

    // Runs `check` when Tab or Enter is pressed in the edit, before the key goes on, and when the
    // user leaves the edit after changing its text: not when the focus goes to a pop-up menu or
    // to a modal box (the edit's own range message among them), which gives it back when it
    // closes. The check never runs again while one is running.
    void CheckOnCommit(QLineEdit* edit, std::function<void()> check);
    bool IsChecking() const { return m_checking; }

    QString SkinImage(const QString& imageName) const;
    // A file of the settings folder (trailing separators of the folder dropped).
    static QString SettingFilePath(const QString& folder, QStringView name);

    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    COLORREF m_settingBack; // page and caption background
    COLORREF m_editBack; // field background
    COLORREF m_textColor;
    COLORREF m_separatorLine;
    COLORREF m_separatorShadow;

private:
    void RunCheck(QLineEdit* edit);

    CPageLabel* m_headerFace = nullptr;
    CMskEdit* m_headerStart = nullptr;
    CMskEdit* m_headerPlay = nullptr;
    CPageLabel* m_headerStartText = nullptr;
    CPageLabel* m_headerPlayText = nullptr;
    CPageLabel* m_headerMode = nullptr;

    std::map<int, QWidget*> m_items;
    std::vector<const QWidget*> m_separatorsBelow;
    std::map<QObject*, std::function<void()>> m_checks;
    bool m_checking = false;
};

} // namespace itempanel
