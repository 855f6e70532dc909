#pragma once

#include "controls/gdi_image.h"
#include "controls/gdi_slider_base.h"
#include "itempanel/in_out_slider.h"
#include "itempanel/item_lookup.h"
#include "itempanel/item_page.h"
#include "itempanel/preview_media.h"
#include "project/camera_setting_data.h"
#include "project/face_data.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CGdiButton;
class CGdiComboBox;
class CGdiSliderCtrl;
class CItemPageOwner;
class CMskEdit;
class CTimeLineFaceAccess;

// The properties page of the item panel: the selected item's start and play time, kind, media
// file, link face, camera and image size, play mode, display rectangle and mask, IN and OUT
// points with the movie preview, volume and mute. The panel loads an item into it (LoadItem) and
// reads it back (ReadInto); the page checks what the user types, keeps its controls in step
// with the item's kind and reports every accepted change to its owner.
class CPropetyDlg : public itempanel::CItemPage,
                    public CImageSelectionOwner,
                    public CInOutSliderOwner,
                    public CSliderOwner {
    Q_OBJECT

public:
    enum ControlId : int {
        IDC_FACE_CAPTION = 1200,
        IDC_MODE_CAPTION = 1201,
        IDC_FILE_CAPTION = 1202,
        IDC_PLAYMODE_CAPTION = 1203,
        IDC_PREVIEW_CAPTION = 1204,
        IDC_SHAPE_CAPTION = 1205,
        IDC_POS_CAPTION = 1206,
        IDC_LEFTTOP = 1207,
        IDC_WIDTH_CAPTION = 1208,
        IDC_HEIGHT_CAPTION = 1209,
        IDC_PREVIEW_TIME_CAPTION = 1210,
        IDC_INOUT_CAPTION = 1211,
        IDC_PLAY_CAPTION = 1212,
        IDC_XY = 1213,
        IDC_START_CAPTION = 1214,
        IDC_FACE = 1220,
        IDC_MODE = 1221,
        IDC_FILE = 1222,
        IDC_PLAYMODE = 1223,
        IDC_PREVIEW = 1224,
        IDC_SHAPE = 1225,
        IDC_X = 1226,
        IDC_Y = 1227,
        IDC_W = 1228,
        IDC_H = 1229,
        IDC_INOUT_BAR = 1231,
        IDC_SET_IN = 1232,
        IDC_SET_OUT = 1233,
        IDC_REPLAY = 1234,
        IDC_PREVIEW_TIME = 1235,
        IDC_IN = 1236,
        IDC_OUT = 1237,
        IDC_PLAY = 1238,
        IDC_BROWSE = 1239,
        IDC_IN_UP = 1240,
        IDC_IN_DOWN = 1241,
        IDC_OUT_UP = 1242,
        IDC_OUT_DOWN = 1243,
        IDC_LINK_CAPTION = 1246,
        IDC_CAMERA_CAPTION = 1247,
        IDC_SIZE_CAPTION = 1248,
        IDC_LINK = 1249,
        IDC_CAMERA = 1250,
        IDC_SIZE = 1251,
        IDC_CAPTURE = 1252,
        IDC_START = 1253,
        IDC_MUTE_CAPTION = 1254,
        IDC_MUTE = 1255,
        IDC_MASK_TOGGLE = 1257,
        IDC_MASK_CAPTION = 1258,
        IDC_MASK_PATH = 1259,
        IDC_MASK_BROWSE = 1260,
        IDC_VOLUME_CAPTION = 1261,
        IDC_VOLUME = 1262,
    };
    // The camera list's entry for "no camera".
    static constexpr int32_t kNoCameraData = 999;
    static constexpr int kPageWidth = 320;
    static constexpr int kPageHeight = 600;

    explicit CPropetyDlg(QWidget* parent = nullptr);
    ~CPropetyDlg() override;

    // ---- Set before Create ----------------------------------------------------------------------
    void SetOwner(CItemPageOwner* owner) { m_owner = owner; }
    // Null: the program's media access.
    void SetMedia(std::unique_ptr<CPreviewMedia> media);
    // The clock of the movie replay in milliseconds (tests inject their own).
    void SetClock(std::function<int64_t()> clock) { m_clock = std::move(clock); }

    // Creates the controls in the parent and empties the page.
    void Create(QWidget* parent);

    // ---- Set by the view and the panel --------------------------------------------------------
    QString m_projectFolder; // the work folder: the base of the thumbnails
    QString m_projectName;
    int m_projectKind = 1; // 1 folder project, 2 package project
    QString m_lastImageFolder;
    QString m_lastMovieFolder;
    QString m_lastSoundFolder;
    QString m_lastMaskFolder;
    int32_t m_defaultImageTime = 0; // play time of a new picture item

    // The cameras and image sizes of the settings; InitComboItems lists them.
    void SetCameraList(std::vector<tagCAMERA_SETTING_DATA> cameras) { m_cameras = std::move(cameras); }
    // Appends an image size; size number -1 empties the list.
    void AddCameraImgSize(int32_t sizeNo, int32_t width, int32_t height);
    void InitComboItems();
    QSize GetCameraSize(int32_t cameraId) const;
    QSize GetCameraImgSize(int32_t sizeNo) const;

    // The timeline's faces, read at the moment of use (null: none).
    void SetFaceList(CTimeLineFaceAccess* faces) { m_faces = faces; }

    // ---- Items ----------------------------------------------------------------------------------
    void ResetPage();
    // Keeps the record as loaded (its Start and play time are the page's reference) and its kind.
    void SetLoadedItem(const tagTL_FACE_ITEM_DATA& item);
    // Shows the record in the controls; `refresh` for a changed version of the item shown.
    void LoadItem(const tagTL_FACE_ITEM_DATA& item, bool refresh);
    // The page's values written into the record (the fields this page owns).
    void ReadInto(tagTL_FACE_ITEM_DATA& item) const;
    // The kind selected in the kind list (0 without a selection).
    int32_t SelectedKind() const;

    void EnableByMode(int32_t kind, int32_t linkKind);
    void SetLock(bool lock);

    // ---- Link faces -----------------------------------------------------------------------------
    void BuildLinkFaceList(int32_t channel, int32_t faceNo, int32_t start);
    void FillLinkFaceCombo();
    // A copy of the candidate, or an empty record outside the list.
    tagTL_FACE_ITEM_DATA GetLinkFaceItem(int index) const;

    // ---- Preview --------------------------------------------------------------------------------
    // The skin's camera placeholder stretched to a camera's image size (none for a size of 0 or
    // beyond any camera's).
    void LoadCameraPreview(int width, int height);
    bool OpenMoviePreview(const QString& path, int32_t inTime, int32_t outTime);
    void StartReplay();
    void StopReplay();
    bool IsReplaying() const { return m_playing; }
    // One tick of the replay clock (the timer's handler).
    void OnReplayTimer();

    CGdiImage* Preview() const { return m_preview; }
    CInOutSlider* InOutBar() const { return m_inOutBar; }
    int32_t ThumbnailTime() const { return m_thumbnailTime; }
    int32_t LoadedStart() const { return m_loadedStart; }

protected:
    void OnImageSelection(unsigned message, int controlId, QSize size) override;
    void OnInOutSliderPos(int position) override;
    void OnSliderHScroll(CGdiSliderBase& slider, int code, int position) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Record = tagTL_FACE_ITEM_DATA;

    void CreateControls();
    CGdiButton* AddButton(int id, const controls::WinRect& rect, const std::function<QString(int)>& images);
    CGdiButton* AddToggle(int id, const controls::WinRect& rect, const QString& off, const QString& on);
    CMskEdit* AddNumberEdit(int id, const controls::WinRect& rect);
    std::vector<tagTL_FACE_DATA> Faces() const;
    itempanel::ThumbnailPlace ThumbnailPlace() const;
    QString ThumbnailFile() const;
    bool Notify(void (CItemPageOwner::*message)());

    // Controls set from code.
    void SetPlayTime(int32_t playTime);
    void SetPosition(int x, int y, int width, int height);
    void SetPositionLimits(int width, int height);
    void ClearInOutBar();
    void DropPicture();
    void ShowFrame(int32_t time);
    void SetPreviewTime(int32_t time);
    void SelectByData(CGdiComboBox* combo, int32_t data) const;
    bool SelectByText(CGdiComboBox* combo, const QString& text) const;
    void UpdateMaskControls();
    void SetReplayImages(bool playing);

    // The user's edits.
    void OnKindChanged();
    void OnBrowseFile();
    void OnShapeChanged();
    void OnBrowseMask();
    void OnMaskToggle();
    void OnPositionTyped();
    void OnCameraChanged();
    void OnImageSizeChanged();
    void OnLinkFaceChanged();
    void OnStartTimeTyped();
    void OnPlayTimeTyped();
    void OnPreviewTimeTyped();
    void OnInOutTyped(bool focusInOut);
    void OnSetIn();
    void OnSetOut();
    void OnSpin(int id);
    void OnReplay();
    void OnCapture();
    void AcceptInOut(int32_t inTime, int32_t outTime);
    void ChooseImageFile(const QString& path);
    bool ChooseMovieFile(const QString& path);
    bool ChooseSoundFile(const QString& path);
    int Ask(int messageId, unsigned type) const;

    CItemPageOwner* m_owner = nullptr;
    CTimeLineFaceAccess* m_faces = nullptr;
    std::unique_ptr<CPreviewMedia> m_media;

    int32_t m_channel = 0;
    int32_t m_faceNo = 0;
    Record m_loadedItem;
    int32_t m_loadedStart = 0;
    // The play time the item has: the check of a typed play time falls back to it.
    int32_t m_acceptedPlayTime = 0;
    int32_t m_currentMode = 0;
    int32_t m_shownLinkMode = 0;
    int32_t m_thumbnailTime = -1;
    // Values the lists could not show when the item was loaded: kept as stored until the user
    // changes that list.
    bool m_keepLinkFace = false;
    bool m_keepCamera = false;
    bool m_keepImageSize = false;
    bool m_locked = false;

    std::vector<Record> m_linkCandidates;
    std::vector<tagCAMERA_SETTING_DATA> m_cameras;
    std::vector<CAMERA_IMG_SIZE> m_imageSizes;

    // The replay clock.
    bool m_playing = false;
    QTimer m_replayTimer;
    int64_t m_replayStartMs = 0;
    int32_t m_replayStartPosition = 0;
    std::function<int64_t()> m_clock;
    QElapsedTimer m_elapsed;
    // A volume drag is one edit from press to release.
    bool m_volumeDragging = false;

    QImage m_volume0Image;
    QImage m_volume100Image;
    QRect m_volume0Rect;
    QRect m_volume100Rect;

    itempanel::CPageLabel* m_faceText = nullptr;
    CMskEdit* m_startEdit = nullptr;
    CMskEdit* m_playEdit = nullptr;
    CGdiComboBox* m_modeCombo = nullptr;
    CMskEdit* m_fileEdit = nullptr;
    CGdiButton* m_browseButton = nullptr;
    CGdiComboBox* m_linkCombo = nullptr;
    CGdiComboBox* m_cameraCombo = nullptr;
    CGdiComboBox* m_playModeCombo = nullptr;
    CGdiComboBox* m_sizeCombo = nullptr;
    CGdiImage* m_preview = nullptr;
    CGdiComboBox* m_shapeCombo = nullptr;
    CMskEdit* m_maskPathEdit = nullptr;
    CGdiButton* m_maskBrowseButton = nullptr;
    CGdiButton* m_maskToggle = nullptr;
    CMskEdit* m_xEdit = nullptr;
    CMskEdit* m_yEdit = nullptr;
    CMskEdit* m_wEdit = nullptr;
    CMskEdit* m_hEdit = nullptr;
    CInOutSlider* m_inOutBar = nullptr;
    CGdiButton* m_setInButton = nullptr;
    CGdiButton* m_setOutButton = nullptr;
    CGdiButton* m_replayButton = nullptr;
    CGdiButton* m_captureButton = nullptr;
    CMskEdit* m_previewTimeEdit = nullptr;
    CMskEdit* m_inEdit = nullptr;
    CMskEdit* m_outEdit = nullptr;
    std::array<CGdiButton*, 4> m_spinButtons {};
    CGdiSliderCtrl* m_volumeSlider = nullptr;
    CGdiButton* m_muteToggle = nullptr;
};
