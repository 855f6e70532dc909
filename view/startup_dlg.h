#pragma once

#include <QDialog>
#include <QFont>
#include <QStringList>

class CGdiButton;
class QLabel;
class QListWidget;

// The first window the user sees: a new project, an existing one through the file dialog, or one
// of the recent projects (double-clicked in the list, the newest first).
class CStartupDlg : public QDialog {
    Q_OBJECT
public:
    enum ControlId : int { kIdNew = 1300, kIdOpen = 1301, kIdCaption = 1302, kIdList = 1303 };
    enum Choice : int { kNone = 0, kNewProject = 1, kOpenProject = 2, kRecentProject = 3 };
    static constexpr int kWidth = 420;
    static constexpr int kHeight = 440;

    explicit CStartupDlg(QWidget* parent = nullptr);
    ~CStartupDlg() override;

    // Filled by the caller before the dialog is shown: the recent projects, oldest first.
    QStringList m_history;
    // After the dialog: the choice and, for a recent project, its path.
    int m_result = kNone;
    QString m_path;

    // Builds the controls and fills the list; showing the dialog does it the first time.
    void InitDialog();
    void OnNewProject();
    void OnOpenProject();
    // Takes the selected line of the list: result 3 with its path.
    void OnDblclkRecentList();
    // The list's tooltip becomes the selected line's full path.
    void OnSelchangeRecentList();

    QListWidget* RecentList() const { return m_list; }
    CGdiButton* NewButton() const { return m_newButton; }
    CGdiButton* OpenButton() const { return m_openButton; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void FillList();

    QFont m_buttonFont;
    QFont m_titleFont;
    QFont m_listFont;
    bool m_initialised = false;
    CGdiButton* m_newButton = nullptr;
    CGdiButton* m_openButton = nullptr;
    QLabel* m_caption = nullptr;
    QListWidget* m_list = nullptr;
};
