#pragma once

#include <QDialog>
#include <QFont>
#include <QString>
#include <cstdint>

class CGdiButton;
class CMskEdit;
class QLabel;

// The dialog in which the user names a new project: the folder of its project file, its name
// and its play time. Saving under another name uses it too (mode 1), with the play time fixed
// and the open project's name refused. It only collects and checks the three values; the
// caller creates the files.
class CAddNewDlg : public QDialog {
    Q_OBJECT
public:
    enum ControlId : int {
        kIdSaveToCaption = 1270,
        kIdFolder = 1271,
        kIdBrowse = 1272,
        kIdNameCaption = 1273,
        kIdName = 1274,
        kIdTimeCaption = 1275,
        kIdTime = 1276,
        kIdOk = 1277,
        kIdCancel = 1278,
    };
    static constexpr int kModeNew = 0;
    static constexpr int kModeSaveAs = 1;
    static constexpr int kWidth = 511;
    static constexpr int kHeight = 196;
    static constexpr int kMaxNameLength = 200;
    static constexpr int32_t kMaxPlayTime = 360000; // one hour

    explicit CAddNewDlg(QWidget* parent = nullptr);
    ~CAddNewDlg() override;

    // Set by the caller before the dialog is shown; after OK, folder, name and play time hold
    // the values accepted (the name as typed: the flows cut it at its first '.').
    int m_mode = kModeNew;
    QString m_folder;
    QString m_projectName;
    int32_t m_playTime = 0;
    QString m_skinFolder; // the skin's image folder, ending with '/'
    QString m_currentProjectName; // save as: the open project's name

    // Builds the controls from the members; showing the dialog does it the first time.
    void InitDialog();
    // The folder picker of the browse button.
    void OnBnClickedBrowse();
    // The checks of OK in their order: the first that fails shows its message and keeps the
    // dialog open; when all pass the values are stored and the dialog closes with OK.
    void OnBnClickedOk();

    CMskEdit* FolderEdit() const { return m_folderEdit; }
    CMskEdit* NameEdit() const { return m_nameEdit; }
    CMskEdit* TimeEdit() const { return m_timeEdit; }
    CGdiButton* OkButton() const { return m_okButton; }
    QWidget* Control(int id) const;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    int Message(int messageId, unsigned type);

    QFont m_buttonFont;
    QFont m_controlFont;
    bool m_initialised = false;
    QLabel* m_saveToCaption = nullptr;
    CMskEdit* m_folderEdit = nullptr;
    CGdiButton* m_browseButton = nullptr;
    QLabel* m_nameCaption = nullptr;
    CMskEdit* m_nameEdit = nullptr;
    QLabel* m_timeCaption = nullptr;
    CMskEdit* m_timeEdit = nullptr;
    CGdiButton* m_okButton = nullptr;
    CGdiButton* m_cancelButton = nullptr;
};
