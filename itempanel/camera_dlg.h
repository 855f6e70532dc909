#pragma once

#include "itempanel/camera_access.h"
#include "itempanel/frame_images.h"
#include "project/camera_setting_data.h"

#include <QDialog>
#include <QRect>
#include <QSize>
#include <map>
#include <memory>
#include <vector>

class CGdiButton;
class CGdiComboBox;
class CMskEdit;

// The camera settings dialog: it finds the cameras (the video devices that can capture, at most
// five), takes a snapshot of each into "Camera%02d.png" of the settings folder, lets the user name
// each camera and choose its image size from the sizes the settings offer, and shows the chosen
// camera's snapshot. The view runs it modally and, on OK, stores the working list (m_cameras).
class CCameraDlg : public QDialog {
    Q_OBJECT

public:
    enum ControlId : int {
        IDC_CAMERA_CAPTION = 1500,
        IDC_CAMERA = 1501,
        IDC_NAME_CAPTION = 1502,
        IDC_NAME = 1503,
        IDC_IMAGE_CAPTION = 1504,
        IDC_PREVIEW = 1505,
        IDC_SNAPSHOT = 1506,
        IDC_SIZE_CAPTION = 1507,
        IDC_SIZE = 1508,
        IDC_DETECT = 1509,
        IDC_OK = 1510,
        IDC_CANCEL = 1511,
    };
    static constexpr int kWidth = 379;
    static constexpr int kHeight = 468;
    static constexpr int kMaxCameras = 5;
    // A camera that gives no frame in this many reads, 10 ms apart, is not counted.
    static constexpr int kSnapshotReads = 1000;
    static constexpr int kReadPauseMs = 10;

    explicit CCameraDlg(QWidget* parent = nullptr);
    ~CCameraDlg() override;

    // ---- Set by the view before the dialog runs --------------------------------------------
    QString m_skinFolder; // ends with '/'
    QString m_settingFolder; // where the snapshots are written
    // The working list the dialog edits and the list it started from (Cancel asks when they
    // differ).
    std::vector<tagCAMERA_SETTING_DATA> m_cameras;
    std::vector<tagCAMERA_SETTING_DATA> m_referenceCameras;
    // The image sizes offered for cameras (used only when both lists have the same length).
    std::vector<int32_t> m_imageWidths;
    std::vector<int32_t> m_imageHeights;
    // Fills both camera lists.
    void SetCameras(const std::vector<tagCAMERA_SETTING_DATA>& cameras);
    // Null: the cameras through OpenCV.
    void SetCameraAccess(std::unique_ptr<CCameraAccess> access);

    // Builds the window and fills its lists; showing the dialog does it when it was not done.
    void InitDialog();
    void setVisible(bool visible) override;

    // Finds the cameras, writing each one's snapshot; the number found. `sizes`, when given,
    // receives each camera's frame size.
    int EnumCameras(std::vector<QSize>* sizes);
    // Reads frames until one comes (at most kSnapshotReads) and writes it as a PNG, replacing the
    // file as a whole. False, the file untouched, when no frame came or it could not be written.
    bool SaveCameraSnapshot(CCameraCapture& capture, const QString& path);
    // The snapshot button and the detect button.
    void OnTakeSnapshot();
    void OnDetectCameras();

    QWidget* Item(int id) const;
    template <typename T> T* ItemAs(int id) const { return qobject_cast<T*>(Item(id)); }
    QRect PreviewRect() const { return m_previewRect; }
    // "Camera%02d.png" of the camera's id + 1 in the settings folder.
    QString SnapshotPath(int cameraId) const;

    // Cancel, Escape and the close box: asks first when the working list was changed.
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void Register(int id, QWidget* control);
    CGdiButton* AddTextButton(int id, const QString& text, const QRect& rect);
    tagCAMERA_SETTING_DATA* SelectedCamera();
    QString DefaultName(int cameraId) const;
    void FillCameraList(int selectId);
    void FillImageSizeList();
    void ShowCamera(int cameraId);
    void OnCameraChanged();
    void OnImageSizeChanged();
    void CommitName();
    CCameraAccess& Access();

    std::unique_ptr<CCameraAccess> m_access;
    std::map<int, QWidget*> m_items;
    CFramePieces m_frame;
    bool m_initialised = false;
    QRect m_previewRect;
    CGdiComboBox* m_cameraList = nullptr;
    CMskEdit* m_nameEdit = nullptr;
    CGdiComboBox* m_sizeList = nullptr;
    CGdiButton* m_snapshotButton = nullptr;
};
