#pragma once

#include "core/skin_ini.h"

#include <QDialog>
#include <QRect>
#include <QString>
#include <functional>
#include <map>
#include <optional>

class CGdiButton;
class CMskEdit;

// What the export and import dialogs share: rows of a caption, a read-only path edit and a
// browse button that picks the path, OK and Cancel, the skin's background, and the checks on OK
// (Enter included): the first that fails shows its message, puts the focus into its field and
// keeps the dialog open.
class CPackagePathDlg : public QDialog {
    Q_OBJECT

public:
    QString m_skinFolder; // in: ends with '/'

    // Builds the window; showing the dialog does it when it was not done.
    void InitDialog();
    void setVisible(bool visible) override;
    // OK, IDOK and Enter: the checks.
    void accept() override;

    QWidget* Item(int id) const;
    template <typename T> T* ItemAs(int id) const { return qobject_cast<T*>(Item(id)); }

protected:
    CPackagePathDlg(int width, int height, QWidget* parent);

    struct PathRow {
        int captionId;
        int editId;
        int browseId;
        int top; // the caption's top; the edit and the button lie 29 pixels lower
        QString caption;
    };
    struct Fonts {
        CSkinIni::Font comment;
        CSkinIni::Font button;
        CSkinIni::Font control;
    };
    // Adds a row; the browse button runs `browse`, which returns the picked path or nothing.
    CMskEdit* AddPathRow(
        const PathRow& row, const Fonts& fonts, std::function<std::optional<QString>()> browse);
    void AddButtons(
        int okId, int cancelId, int top, const QString& ok, const QString& cancel, const Fonts& fonts);

    // Builds the title and the controls.
    virtual void CreateControls() = 0;
    // Checks the fields; true when the dialog may close, its results stored.
    virtual bool CheckAndStore() = 0;
    // Shows the check's message and puts the focus into the edit.
    void Refuse(int messageId, int editId);

    void paintEvent(QPaintEvent* event) override;

private:
    std::map<int, QWidget*> m_items;
    bool m_initialised = false;
};

// Browsing: the open-file dialog with one file type, and the folder picker.
std::optional<QString> BrowseFile(const QString& typeName, const QString& extension);
std::optional<QString> BrowseFolder();
