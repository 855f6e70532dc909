#pragma once

#include "view/ini_settings.h"

#include <QDialog>
#include <QImage>
#include <array>
#include <functional>
#include <map>
#include <vector>

class CGdiButton;
class CGdiComboBox;
class CMskEdit;

// The settings dialog: the default display times of a still picture and of an effect (time
// page), the address of the remote-control program (remote page), and the viewer's start-up
// mode, resolution mode and projector display (preview page), chosen by three tab buttons. It
// only shows and checks the values; its caller copies them in before and out after OK.
class CIniSettingDlg : public QDialog {
    Q_OBJECT

public:
    enum ControlId : int {
        IDC_TIME_TAB = 1400,
        IDC_IMAGE_CAPTION = 1401,
        IDC_IMAGE_TIME = 1402,
        IDC_EFFECT_CAPTION = 1403,
        IDC_EFFECT_TIME = 1404,
        IDC_REMOTE_TAB = 1420,
        IDC_ADDRESS_CAPTION = 1421,
        IDC_ADDRESS = 1422,
        IDC_PREVIEW_TAB = 1440,
        IDC_BOOT_CAPTION = 1441,
        IDC_VIEWER_MODE = 1442,
        IDC_RESO_CAPTION = 1443,
        IDC_RESO_MODE = 1444,
        IDC_PROJECTOR_CAPTION = 1445,
        IDC_PROJECTOR = 1446,
        IDC_PROJECTOR_COMMENT_1 = 1447,
        IDC_PROJECTOR_COMMENT_2 = 1448,
        IDC_PROJECTOR_COMMENT_3 = 1449,
        IDC_PREVIEW_COMMENT_1 = 1450,
        IDC_PREVIEW_COMMENT_2 = 1451,
        IDC_OK = 1460,
        IDC_CANCEL = 1461,
    };
    static constexpr int kWidth = 326;
    static constexpr int kHeight = 408;
    static constexpr int kTimeMax = 360000;

    explicit CIniSettingDlg(QWidget* parent = nullptr);
    ~CIniSettingDlg() override;

    // In: the folder of the skin images, ending in '/'.
    QString m_skinFolder;
    // In and out (on OK).
    IniSettingValues m_values;
    // The number of displays the projector list offers; -1: the application's displays.
    int m_displayCount = -1;

    void InitDialog();
    void setVisible(bool visible) override;
    // Shows page 0, 1 or 2; other values do nothing.
    void ShowPage(int page);
    int CurrentPage() const { return m_currentPage; }
    // OK, IDOK and Enter: the checks, then the values are stored and the dialog closes.
    void accept() override;

    QWidget* Item(int id) const;
    template <typename T> T* ItemAs(int id) const { return qobject_cast<T*>(Item(id)); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void CreateControls();
    void Register(int id, QWidget* control, int page);
    CGdiComboBox* AddList(const QRect& rect);
    CMskEdit* AddEdit(const QRect& rect);
    CGdiButton* AddTab(int id, const QRect& rect, int page);
    int DisplayCount() const;

    std::map<int, QWidget*> m_items;
    std::array<std::vector<QWidget*>, 3> m_pageControls;
    std::array<QImage, 8> m_frame;
    int m_currentPage = 0;
    bool m_initialised = false;
};

// Runs the settings dialog over the store: the values in, and on OK out again and written.
struct IniSettingOutcome {
    enum Result { Cancelled, Written, WriteFailed };
    Result result = Cancelled;
    QString error; // the writer's text, for WriteFailed
    IniSettingValues before;
    IniSettingValues after;
};
// `run` shows the dialog modally and returns its result; empty: QDialog::exec.
IniSettingOutcome RunIniSettingDialog(QWidget* parent,
    const QString& skinFolder,
    CIniSettingStore& store,
    const std::function<int(QDialog&)>& run = {});
