#include "itempanel/propety_dlg.h"

#include "controls/gdi_button.h"
#include "controls/gdi_combo_box.h"
#include "controls/gdi_slider_ctrl.h"
#include "controls/msk_edit.h"
#include "core/constant_tables.h"
#include "core/dialog_services.h"
#include "core/language_data.h"
#include "itempanel/item_panel_messages.h"
#include "itempanel/page_owner.h"
#include "itempanel/page_rules.h"
#include "platform/number_text.h"
#include "platform/picture_files.h"
#include "timeline/timeline_item_panel.h"

#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

using controls::WinRect;
using namespace itempanel;

namespace {

constexpr int kRowHeight = 24;
constexpr int kFieldLeft = 80;
constexpr int kCaptionRight = 75;
// The tallest or widest picture a camera gives; a placeholder beyond it is not drawn.
constexpr int kMaxCameraSide = 16384;
// The display rectangle's limits while no picture says otherwise.
constexpr int32_t kDefaultPositionMaximum = 99999;

WinRect Row(int top, int left, int right)
{
    return { left, top, right, top + kRowHeight };
}

WinRect CaptionAt(int top)
{
    return Row(top, 0, kCaptionRight);
}

int32_t TimeOf(const CMskEdit* edit)
{
    return int32_t(std::clamp<int64_t>(edit->GetWindowTime(), INT32_MIN, INT32_MAX));
}

int32_t DataOf(const CGdiComboBox* combo, int32_t none = 0)
{
    return combo->currentIndex() < 0 ? none : combo->currentData().toInt();
}

QString SizeText(int width, int height)
{
    return QString::asprintf("%d x %d", width, height);
}

} // namespace

CPropetyDlg::CPropetyDlg(QWidget* parent)
    : CItemPage(parent)
{
    m_replayTimer.setTimerType(Qt::PreciseTimer);
    m_replayTimer.setInterval(REPLAY_TIMER_INTERVAL_MS);
    connect(&m_replayTimer, &QTimer::timeout, this, &CPropetyDlg::OnReplayTimer);
    m_elapsed.start();
    m_clock = [this] { return m_elapsed.elapsed(); };
}

CPropetyDlg::~CPropetyDlg()
{
    m_replayTimer.stop();
    if (m_media)
        m_media->CloseMovie();
}

void CPropetyDlg::SetMedia(std::unique_ptr<CPreviewMedia> media)
{
    m_media = std::move(media);
}

void CPropetyDlg::Create(QWidget* parent)
{
    setParent(parent);
    if (!m_media)
        m_media = MakeProgramPreviewMedia();
    resize(kPageWidth, kPageHeight);
    CreateControls();
    ResetPage();
}

CGdiButton* CPropetyDlg::AddButton(int id, const WinRect& rect, const std::function<QString(int)>& images)
{
    auto* button = new CGdiButton(this);
    button->setGeometry(rect.ToQRect());
    button->LoadImages(
        SkinImage(images(0)), SkinImage(images(2)), SkinImage(images(3)), SkinImage(images(1)));
    Register(id, button);
    return button;
}

CGdiButton* CPropetyDlg::AddToggle(int id, const WinRect& rect, const QString& off, const QString& on)
{
    auto* button = new CGdiButton(this);
    button->setGeometry(rect.ToQRect());
    button->LoadCheckImages(SkinImage(off), QString(), SkinImage(on), SkinImage(off), SkinImage(on));
    button->SetCheckState(0);
    Register(id, button);
    return button;
}

CMskEdit* CPropetyDlg::AddNumberEdit(int id, const WinRect& rect)
{
    auto* edit = new CMskEdit(this);
    edit->setGeometry(rect.ToQRect());
    edit->SetInputType(1);
    edit->SetNumRange(kDefaultPositionMaximum, 0);
    edit->SetBkColor(m_editBack);
    edit->setFont(dialog_services::Font(CSkinIni::kGetSettingControlFont));
    edit->setText(QStringLiteral("0"));
    Register(id, edit);
    return edit;
}

void CPropetyDlg::CreateControls()
{
    const CLanguageData& text = dialog_services::Language();
    const CSkinIni& skin = dialog_services::Skin();

    // Face, start, play time and kind; a separator and a gap follow the kind.
    AddCaption(IDC_FACE_CAPTION, text.GetPdCaptionFace(), CaptionAt(0));
    m_faceText = AddValueText(IDC_FACE, Row(0, kFieldLeft, kFieldLeft + 212), true, Qt::AlignLeft);
    AddCaption(IDC_START_CAPTION, text.GetPdCaptionStartTime(), CaptionAt(28));
    m_startEdit = AddTimeEdit(IDC_START, Row(28, kFieldLeft, kFieldLeft + 212));
    AddCaption(IDC_PLAY_CAPTION, text.GetPdCaptionPlayTime(), CaptionAt(56));
    m_playEdit = AddTimeEdit(IDC_PLAY, Row(56, kFieldLeft, kFieldLeft + 212));
    AddSeparatorBelow(AddCaption(IDC_MODE_CAPTION, text.GetPdCaptionMode(), CaptionAt(84)));
    m_modeCombo = AddCombo(IDC_MODE, Row(84, kFieldLeft, kFieldLeft + 232));

    // File, link face and camera share a place; so do play mode and image size.
    AddCaption(IDC_FILE_CAPTION, text.GetPdCaptionFile(), CaptionAt(122));
    m_fileEdit = new CMskEdit(this);
    m_fileEdit->setGeometry(Row(122, kFieldLeft, kFieldLeft + 214).ToQRect());
    m_fileEdit->SetInputType(0);
    m_fileEdit->setReadOnly(true);
    m_fileEdit->SetBkColor(m_editBack);
    m_fileEdit->setFont(dialog_services::Font(CSkinIni::kGetSettingControlFont));
    Register(IDC_FILE, m_fileEdit);
    m_browseButton = AddButton(IDC_BROWSE, Row(122, kFieldLeft + 214, kFieldLeft + 234),
        [&](int s) { return skin.GetBtnBrowsImage(s); });
    m_browseButton->setFocusPolicy(Qt::ClickFocus);
    AddCaption(IDC_LINK_CAPTION, text.GetPdCaptionLinkFace(), CaptionAt(122));
    m_linkCombo = AddCombo(IDC_LINK, Row(122, kFieldLeft, kFieldLeft + 232));
    AddCaption(IDC_CAMERA_CAPTION, text.GetPdCaptionCamera(), CaptionAt(122));
    m_cameraCombo = AddCombo(IDC_CAMERA, Row(122, kFieldLeft, kFieldLeft + 232));
    AddCaption(IDC_PLAYMODE_CAPTION, text.GetPdCaptionPlayMode(), CaptionAt(150));
    m_playModeCombo = AddCombo(IDC_PLAYMODE, Row(150, kFieldLeft, kFieldLeft + 232));
    AddCaption(IDC_SIZE_CAPTION, text.GetPdCaptionImageSize(), CaptionAt(150));
    m_sizeCombo = AddCombo(IDC_SIZE, Row(150, kFieldLeft, kFieldLeft + 232));

    // The preview picture, 220 x 128, 3 pixels above its row.
    AddCaption(IDC_PREVIEW_CAPTION, text.GetPdCaptionPreview(), CaptionAt(182));
    m_preview = new CGdiImage(this);
    m_preview->m_backColor = m_editBack;
    m_preview->Create(QRect(kFieldLeft, 179, 220, 128), this);
    m_preview->SetOwner(this);
    Register(IDC_PREVIEW, m_preview);

    AddCaption(IDC_SHAPE_CAPTION, text.GetPdCaptionMask(), CaptionAt(311));
    m_shapeCombo = AddCombo(IDC_SHAPE, Row(311, kFieldLeft, kFieldLeft + 232));
    AddCaption(IDC_MASK_CAPTION, text.GetPdCaptionMaskImage(), CaptionAt(339));
    m_maskPathEdit = new CMskEdit(this);
    m_maskPathEdit->setGeometry(Row(339, kFieldLeft, kFieldLeft + 190).ToQRect());
    m_maskPathEdit->SetInputType(0);
    m_maskPathEdit->setReadOnly(true);
    m_maskPathEdit->SetBkColor(m_editBack);
    m_maskPathEdit->setFont(dialog_services::Font(CSkinIni::kGetSettingControlFont));
    Register(IDC_MASK_PATH, m_maskPathEdit);
    m_maskBrowseButton = AddButton(IDC_MASK_BROWSE, Row(339, kFieldLeft + 190, kFieldLeft + 210),
        [&](int s) { return skin.GetBtnBrowsImage(s); });
    m_maskBrowseButton->setFocusPolicy(Qt::ClickFocus);
    m_maskToggle = AddToggle(IDC_MASK_TOGGLE, Row(339, kFieldLeft + 212, kFieldLeft + 234),
        skin.GetBtnMaskImage(0), skin.GetBtnMaskImage(1));

    // Position: "左上" over "(x,y)", then X and Y; width and height below.
    AddCaption(IDC_POS_CAPTION, text.GetPdCaptionPos(), CaptionAt(367));
    CPageLabel* leftTop
        = AddCaption(IDC_LEFTTOP, text.GetPdCaptionLefttop(), { kFieldLeft, 367, kFieldLeft + 30, 380 });
    leftTop->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    CPageLabel* xy = AddCaption(IDC_XY, QStringLiteral("(x,y)"), { kFieldLeft, 380, kFieldLeft + 34, 391 });
    xy->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    xy->setFont(dialog_services::Font(CSkinIni::kGetSettingXyFont));
    m_xEdit = AddNumberEdit(IDC_X, Row(367, kFieldLeft + 36, kFieldLeft + 78));
    m_yEdit = AddNumberEdit(IDC_Y, Row(367, kFieldLeft + 82, kFieldLeft + 124));
    AddCaption(IDC_WIDTH_CAPTION, text.GetPdCaptionWidth(), CaptionAt(395));
    m_wEdit = AddNumberEdit(IDC_W, Row(395, kFieldLeft, kFieldLeft + 84));
    AddCaption(IDC_HEIGHT_CAPTION, text.GetPdCaptionHeight(), Row(395, kFieldLeft + 84, kFieldLeft + 144));
    m_hEdit = AddNumberEdit(IDC_H, Row(395, kFieldLeft + 148, kFieldLeft + 232));

    // The IN/OUT bar with the set-IN, set-OUT, replay and capture buttons beside it.
    m_inOutBar = new CInOutSlider(this);
    m_inOutBar->m_imageFolder = m_skinFolder;
    m_inOutBar->Create(QRect(0, 423, 200, 40), this);
    m_inOutBar->SetOwner(this);
    m_inOutBar->Slider()->installEventFilter(this);
    Register(IDC_INOUT_BAR, m_inOutBar);
    const int buttonTop = 423 + CInOutSlider::kLabelStripHeight;
    m_setInButton
        = AddButton(IDC_SET_IN, Row(buttonTop, 205, 229), [&](int s) { return skin.GetBtnInImage(s); });
    m_setOutButton
        = AddButton(IDC_SET_OUT, Row(buttonTop, 229, 253), [&](int s) { return skin.GetBtnOutImage(s); });
    m_replayButton
        = AddButton(IDC_REPLAY, Row(buttonTop, 253, 277), [&](int s) { return skin.GetBtnReplayImage(s); });
    m_captureButton
        = AddButton(IDC_CAPTURE, Row(buttonTop, 277, 301), [&](int s) { return skin.GetBtnCaptureImage(s); });

    AddCaption(IDC_PREVIEW_TIME_CAPTION, text.GetPdCaptionPreviewTime(), CaptionAt(467));
    m_previewTimeEdit = AddTimeEdit(IDC_PREVIEW_TIME, Row(467, kFieldLeft, kFieldLeft + 232));

    AddSeparatorBelow(AddCaption(IDC_INOUT_CAPTION, QStringLiteral("IN/OUT"), CaptionAt(495)));
    m_inEdit = AddTimeEdit(IDC_IN, Row(495, kFieldLeft, kFieldLeft + 95));
    m_outEdit = AddTimeEdit(IDC_OUT, Row(495, kFieldLeft + 120, kFieldLeft + 215));
    const int spinIds[4] = { IDC_IN_UP, IDC_IN_DOWN, IDC_OUT_UP, IDC_OUT_DOWN };
    const int spinLeft[4] = { kFieldLeft + 95, kFieldLeft + 95, kFieldLeft + 215, kFieldLeft + 215 };
    for (int i = 0; i < 4; ++i) {
        const bool up = i % 2 == 0;
        const WinRect rect { spinLeft[i], up ? 495 : 507, spinLeft[i] + 20, up ? 507 : 519 };
        m_spinButtons[size_t(i)] = AddButton(spinIds[i], rect,
            [&](int s) { return up ? skin.GetBtnSpinupImage(s) : skin.GetBtnSpindownImage(s); });
    }

    // Volume between its two pictures, and mute; a separator follows each group.
    AddCaption(IDC_VOLUME_CAPTION, text.GetPdCaptionVolume(), CaptionAt(533));
    m_volume0Image = platform::DecodedPictureFile(SkinImage(skin.GetImgVolImage(0)));
    m_volume100Image = platform::DecodedPictureFile(SkinImage(skin.GetImgVolImage(1)));
    const QSize volumeSize0 = m_volume0Image.isNull() ? QSize(24, 24) : m_volume0Image.size();
    const QSize volumeSize100 = m_volume100Image.isNull() ? QSize(24, 24) : m_volume100Image.size();
    m_volume0Rect = QRect(QPoint(kFieldLeft, 533 + (kRowHeight - volumeSize0.height()) / 2), volumeSize0);
    m_volumeSlider = new CGdiSliderCtrl(this);
    m_volumeSlider->setGeometry(m_volume0Rect.right() + 1, 533, 181, kRowHeight);
    m_volumeSlider->m_backColor = m_settingBack;
    m_volumeSlider->LoadThumbImage(SkinImage(skin.GetSliderImage()));
    m_volumeSlider->setRange(0, 200);
    m_volumeSlider->setToolTip(QString());
    m_volumeSlider->SetOwner(this);
    connect(m_volumeSlider, &QAbstractSlider::sliderPressed, this, [this] {
        if (!m_volumeDragging && m_owner) {
            m_volumeDragging = true;
            m_owner->OnEditGroup(true);
        }
    });
    Register(IDC_VOLUME, m_volumeSlider);
    m_volume100Rect
        = QRect(QPoint(m_volumeSlider->geometry().right() + 1, m_volume0Rect.top()), volumeSize100);
    AddSeparatorBelow(AddCaption(IDC_MUTE_CAPTION, text.GetPdCaptionMute(), CaptionAt(561)));
    m_muteToggle = AddToggle(IDC_MUTE, Row(561, kFieldLeft, kFieldLeft + 22), skin.GetCheckSquareImage(0),
        skin.GetCheckSquareImage(1));

    // The fields draw their line in the middle, as the lists and the face field do.
    for (CMskEdit* edit : findChildren<CMskEdit*>(Qt::FindDirectChildrenOnly))
        edit->SetDrawCenter(true, true);

    // The user's actions.
    connect(m_modeCombo, &QComboBox::activated, this, &CPropetyDlg::OnKindChanged);
    connect(m_browseButton, &QAbstractButton::clicked, this, &CPropetyDlg::OnBrowseFile);
    connect(m_linkCombo, &QComboBox::activated, this, &CPropetyDlg::OnLinkFaceChanged);
    connect(m_cameraCombo, &QComboBox::activated, this, &CPropetyDlg::OnCameraChanged);
    connect(m_sizeCombo, &QComboBox::activated, this, &CPropetyDlg::OnImageSizeChanged);
    connect(
        m_playModeCombo, &QComboBox::activated, this, [this] { Notify(&CItemPageOwner::OnPropertyChanged); });
    connect(m_shapeCombo, &QComboBox::activated, this, &CPropetyDlg::OnShapeChanged);
    connect(m_maskBrowseButton, &QAbstractButton::clicked, this, &CPropetyDlg::OnBrowseMask);
    connect(m_maskToggle, &QAbstractButton::clicked, this, &CPropetyDlg::OnMaskToggle);
    connect(m_muteToggle, &QAbstractButton::clicked, this,
        [this] { Notify(&CItemPageOwner::OnPropertyChanged); });
    connect(m_setInButton, &QAbstractButton::clicked, this, &CPropetyDlg::OnSetIn);
    connect(m_setOutButton, &QAbstractButton::clicked, this, &CPropetyDlg::OnSetOut);
    connect(m_replayButton, &QAbstractButton::clicked, this, &CPropetyDlg::OnReplay);
    connect(m_captureButton, &QAbstractButton::clicked, this, &CPropetyDlg::OnCapture);
    for (CGdiButton* spin : m_spinButtons) {
        const int id = spin == m_spinButtons[0] ? IDC_IN_UP
            : spin == m_spinButtons[1]          ? IDC_IN_DOWN
            : spin == m_spinButtons[2]          ? IDC_OUT_UP
                                                : IDC_OUT_DOWN;
        connect(spin, &QAbstractButton::clicked, this, [this, id] { OnSpin(id); });
    }
    CheckOnCommit(m_startEdit, [this] { OnStartTimeTyped(); });
    CheckOnCommit(m_playEdit, [this] { OnPlayTimeTyped(); });
    CheckOnCommit(m_previewTimeEdit, [this] { OnPreviewTimeTyped(); });
    CheckOnCommit(m_inEdit, [this] { OnInOutTyped(false); });
    CheckOnCommit(m_outEdit, [this] { OnInOutTyped(true); });
    for (CMskEdit* edit : { m_xEdit, m_yEdit, m_wEdit, m_hEdit })
        CheckOnCommit(edit, [this] { OnPositionTyped(); });
}

// ---- Lists ----------------------------------------------------------------------------------------

void CPropetyDlg::AddCameraImgSize(int32_t sizeNo, int32_t width, int32_t height)
{
    if (sizeNo == -1) {
        m_imageSizes.clear();
        return;
    }
    m_imageSizes.push_back({ sizeNo, width, height });
}

void CPropetyDlg::InitComboItems()
{
    const CLanguageData& text = dialog_services::Language();
    m_modeCombo->clear();
    for (size_t i = 0; i < MediaKindValues.size(); ++i)
        m_modeCombo->addItem(QString::fromUtf16(MediaKindNames[i]), MediaKindValues[i]);
    m_modeCombo->setCurrentIndex(0);
    m_playModeCombo->clear();
    for (int mode = 0; mode < 2; ++mode)
        m_playModeCombo->addItem(text.GetPdPlaymode(mode), mode);
    m_playModeCombo->setCurrentIndex(0);
    m_shapeCombo->clear();
    for (int shape = 0; shape < 3; ++shape)
        m_shapeCombo->addItem(text.GetPdMasktype(shape), shape);
    m_shapeCombo->setCurrentIndex(0);
    m_cameraCombo->clear();
    m_cameraCombo->addItem(text.GetTimelineItemCameraNone(), kNoCameraData);
    for (const tagCAMERA_SETTING_DATA& camera : m_cameras)
        m_cameraCombo->addItem(camera.CameraName, camera.CameraId);
    m_cameraCombo->setCurrentIndex(0);
    m_sizeCombo->clear();
    for (const CAMERA_IMG_SIZE& size : m_imageSizes)
        m_sizeCombo->addItem(SizeText(size.Width, size.Height), size.SizeNo);
    m_sizeCombo->setCurrentIndex(-1);
}

QSize CPropetyDlg::GetCameraSize(int32_t cameraId) const
{
    for (const tagCAMERA_SETTING_DATA& camera : m_cameras) {
        if (camera.CameraId == cameraId)
            return QSize(camera.ImageWidth, camera.ImageHeight);
    }
    return QSize(0, 0);
}

QSize CPropetyDlg::GetCameraImgSize(int32_t sizeNo) const
{
    for (const CAMERA_IMG_SIZE& size : m_imageSizes) {
        if (size.SizeNo == sizeNo)
            return QSize(size.Width, size.Height);
    }
    return QSize(0, 0);
}

void CPropetyDlg::SelectByData(CGdiComboBox* combo, int32_t data) const
{
    const int index = combo->findData(data);
    if (index >= 0)
        combo->setCurrentIndex(index);
}

bool CPropetyDlg::SelectByText(CGdiComboBox* combo, const QString& text) const
{
    const int index = combo->findText(text, Qt::MatchExactly);
    if (index < 0)
        return false;
    combo->setCurrentIndex(index);
    return true;
}

int32_t CPropetyDlg::SelectedKind() const
{
    return DataOf(m_modeCombo);
}

// ---- Link faces -----------------------------------------------------------------------------------

std::vector<tagTL_FACE_DATA> CPropetyDlg::Faces() const
{
    std::vector<tagTL_FACE_DATA> faces;
    if (!m_faces)
        return faces;
    std::vector<int32_t> numbers;
    m_faces->GetFaceNumbers(m_channel > 0 ? m_channel : 1, numbers);
    for (int32_t number : numbers) {
        tagTL_FACE_DATA face;
        if (m_faces->GetFaceData(m_channel > 0 ? m_channel : 1, number, face))
            faces.push_back(std::move(face));
    }
    return faces;
}

void CPropetyDlg::BuildLinkFaceList(int32_t channel, int32_t faceNo, int32_t start)
{
    m_linkCandidates = BuildLinkCandidates(Faces(), channel, faceNo, start);
}

void CPropetyDlg::FillLinkFaceCombo()
{
    m_linkCombo->clear();
    for (size_t i = 0; i < m_linkCandidates.size(); ++i)
        m_linkCombo->addItem(QString::number(m_linkCandidates[i].FaceNo), int(i));
    m_linkCombo->setCurrentIndex(-1);
}

tagTL_FACE_ITEM_DATA CPropetyDlg::GetLinkFaceItem(int index) const
{
    if (index < 0 || index >= int(m_linkCandidates.size()))
        return Record();
    return m_linkCandidates[size_t(index)];
}

// ---- Enabling -------------------------------------------------------------------------------------

void CPropetyDlg::EnableByMode(int32_t kind, int32_t linkKind)
{
    const bool faceBlank = m_faceText->text().trimmed().isEmpty();
    if (const auto state = PropertyEnableByMode(kind, linkKind, faceBlank)) {
        m_modeCombo->setEnabled(state->modeCombo);
        m_fileEdit->setEnabled(state->fileRow);
        m_browseButton->setEnabled(state->fileRow);
        m_playModeCombo->setEnabled(state->playModeCombo);
        m_preview->setEnabled(state->preview);
        if (state->dropPicture)
            DropPicture();
        m_shapeCombo->setEnabled(state->shapeAndPosition);
        for (CMskEdit* edit : { m_xEdit, m_yEdit, m_wEdit, m_hEdit })
            edit->setEnabled(state->shapeAndPosition);
        m_inOutBar->setEnabled(state->inOutBar);
        m_replayButton->setEnabled(state->replay);
        m_previewTimeEdit->setEnabled(state->previewTime);
        for (QWidget* control :
            std::initializer_list<QWidget*> { m_setInButton, m_setOutButton, m_captureButton, m_inEdit,
                m_outEdit, m_spinButtons[0], m_spinButtons[1], m_spinButtons[2], m_spinButtons[3] })
            control->setEnabled(state->inOutPoints);
        m_startEdit->setEnabled(state->startAndPlayTime);
        m_playEdit->setEnabled(state->startAndPlayTime);
        m_linkCombo->setEnabled(state->linkCombo);
        m_cameraCombo->setEnabled(state->cameraCombo);
        m_sizeCombo->setEnabled(state->sizeCombo);
        m_volumeSlider->setEnabled(state->volumeAndMute);
        m_muteToggle->setEnabled(state->volumeAndMute);
        for (int id : { IDC_FILE_CAPTION, IDC_FILE, IDC_BROWSE })
            Item(id)->setVisible(state->showFileRow);
        for (int id : { IDC_PLAYMODE_CAPTION, IDC_PLAYMODE })
            Item(id)->setVisible(state->showPlayModeRow);
        for (int id : { IDC_LINK_CAPTION, IDC_LINK })
            Item(id)->setVisible(state->showLinkRow);
        for (int id : { IDC_CAMERA_CAPTION, IDC_CAMERA })
            Item(id)->setVisible(state->showCameraRow);
        for (int id : { IDC_SIZE_CAPTION, IDC_SIZE })
            Item(id)->setVisible(state->showSizeRow);
        m_shownLinkMode = linkKind;
    }
    UpdateMaskControls();
    update(m_volume0Rect);
    update(m_volume100Rect);
}

void CPropetyDlg::UpdateMaskControls()
{
    const bool enable = m_shapeCombo->isEnabled() && m_shapeCombo->currentIndex() == 2;
    m_maskPathEdit->setEnabled(enable);
    m_maskBrowseButton->setEnabled(enable);
    m_maskToggle->setEnabled(enable);
}

void CPropetyDlg::SetLock(bool lock)
{
    m_locked = lock;
    if (!lock) {
        const int32_t kind = SelectedKind();
        int32_t linkKind = 0;
        if (kind == Record::MODE_LINK && m_linkCombo->currentIndex() >= 0)
            linkKind = GetLinkFaceItem(m_linkCombo->currentData().toInt()).Mode;
        EnableByMode(kind, linkKind);
        return;
    }
    for (QWidget* control : std::initializer_list<QWidget*> { m_modeCombo, m_fileEdit, m_browseButton,
             m_playModeCombo, m_linkCombo, m_cameraCombo, m_sizeCombo, m_preview, m_shapeCombo, m_xEdit,
             m_yEdit, m_wEdit, m_hEdit, m_inOutBar, m_setInButton, m_setOutButton, m_replayButton,
             m_captureButton, m_previewTimeEdit, m_inEdit, m_outEdit, m_spinButtons[0], m_spinButtons[1],
             m_spinButtons[2], m_spinButtons[3], m_startEdit, m_playEdit, m_volumeSlider, m_muteToggle,
             m_maskPathEdit, m_maskBrowseButton, m_maskToggle })
        control->setEnabled(false);
    update(m_volume0Rect);
    update(m_volume100Rect);
}

// ---- Items ----------------------------------------------------------------------------------------

void CPropetyDlg::ResetPage()
{
    StopReplay();
    m_faceText->setText(QString());
    m_modeCombo->setCurrentIndex(m_modeCombo->count() > 0 ? 0 : -1);
    m_fileEdit->setText(QString());
    m_playModeCombo->setCurrentIndex(m_playModeCombo->count() > 0 ? 0 : -1);
    m_shapeCombo->setCurrentIndex(m_shapeCombo->count() > 0 ? 0 : -1);
    DropPicture();
    SetPosition(0, 0, 0, 0);
    SetPositionLimits(kDefaultPositionMaximum, kDefaultPositionMaximum);
    for (CMskEdit* edit : { m_previewTimeEdit, m_inEdit, m_outEdit }) {
        edit->SetTimeMax(kMaxTypedTime);
        edit->SetWindowTime(int64_t(0));
    }
    SetPlayTime(0);
    m_startEdit->SetWindowTime(int64_t(0));
    ClearInOutBar();
    if (m_media)
        m_media->CloseMovie();
    m_volumeSlider->setValue(0);
    m_muteToggle->SetCheckState(0);
    m_maskToggle->SetCheckState(0);
    m_maskPathEdit->setText(QString());
    m_preview->m_showMask = false;
    m_preview->m_maskImage = QImage();
    m_loadedItem.Clear();
    m_channel = m_faceNo = m_loadedStart = 0;
    m_thumbnailTime = -1;
    m_keepLinkFace = m_keepCamera = m_keepImageSize = false;
}

void CPropetyDlg::SetLoadedItem(const Record& item)
{
    m_loadedItem = item;
    m_currentMode = item.Mode;
}

void CPropetyDlg::LoadItem(const Record& item, bool refresh)
{
    if (!refresh) {
        m_channel = item.Channel;
        m_faceNo = item.FaceNo;
        m_loadedStart = item.Start;
        m_faceText->setText(QStringLiteral("%1 ").arg(item.FaceNo));
        m_startEdit->SetWindowTime(int64_t(item.Start));
    }
    // Kind: a refresh reselects and re-enables only when the kind shown changed.
    if (!refresh || SelectedKind() != item.Mode || m_shownLinkMode != item.LinkMode) {
        SelectByData(m_modeCombo, item.Mode);
        EnableByMode(item.Mode, item.LinkMode);
        repaint();
    }
    m_fileEdit->setText(item.FilePath);
    BuildLinkFaceList(item.Channel, item.FaceNo, item.Start);
    FillLinkFaceCombo();
    m_keepLinkFace = true;
    for (int i = 0; i < m_linkCombo->count(); ++i) {
        if (platform::WToI(m_linkCombo->itemText(i)) == item.LinkFaceNo) {
            m_linkCombo->setCurrentIndex(i);
            m_keepLinkFace = false;
            break;
        }
    }
    m_cameraCombo->setCurrentIndex(m_cameraCombo->count() > 0 ? 0 : -1);
    const int cameraIndex = m_cameraCombo->findData(item.CameraID < 0 ? kNoCameraData : item.CameraID);
    if (cameraIndex >= 0)
        m_cameraCombo->setCurrentIndex(cameraIndex);
    m_keepCamera = cameraIndex < 0;
    const QSize cameraSize = refresh ? QSize(item.CameraImgW, item.CameraImgH) : GetCameraSize(item.CameraID);
    m_keepImageSize = !SelectByText(m_sizeCombo, SizeText(cameraSize.width(), cameraSize.height()));
    SelectByData(m_playModeCombo, item.PlayMode);

    // The preview by kind; a LINK shows what its linked kind shows.
    const int32_t shownKind = item.Mode == Record::MODE_LINK ? item.LinkMode : item.Mode;
    const auto commonSteps = [&] {
        for (CMskEdit* edit : { m_previewTimeEdit, m_inEdit, m_outEdit })
            edit->SetTimeMax(kMaxTypedTime);
        m_inEdit->SetWindowTime(int64_t(item.InTime));
        m_outEdit->SetWindowTime(int64_t(item.OutTime));
        ClearInOutBar();
    };
    if (shownKind == Record::MODE_IMAGE || shownKind == Record::MODE_CAMERA) {
        if (shownKind == Record::MODE_IMAGE)
            m_preview->LoadImageFile(item.FilePath);
        else
            LoadCameraPreview(item.CameraImgW, item.CameraImgH);
        commonSteps();
        const QSize picture = m_preview->m_picture.size();
        SetPositionLimits(picture.width(), picture.height());
    } else if (shownKind == Record::MODE_MOVIE && (refresh || !item.FilePath.isEmpty())
        && OpenMoviePreview(item.FilePath, item.InTime, item.OutTime)) {
        m_inOutBar->Slider()->setValue(refresh ? 0 : item.InTime);
    } else {
        // A movie that does not open (a missing file, a path written on another system) shows
        // the item's own values without a picture, within the default limits.
        DropPicture();
        if (m_media)
            m_media->CloseMovie();
        commonSteps();
        SetPositionLimits(kDefaultPositionMaximum, kDefaultPositionMaximum);
    }

    m_preview->m_maskMode = item.MaskMode;
    SelectByData(m_shapeCombo, item.MaskMode);
    SetPosition(item.MaskX, item.MaskY, item.W, item.H);
    SetPreviewTime(0);
    SetPlayTime(item.PlayTime);
    m_volumeSlider->setValue(item.Volume);
    m_muteToggle->SetCheckState(item.Mute == 1 ? 1 : 0);
    if (refresh) {
        m_maskPathEdit->setEnabled(item.MaskMode == 2);
        m_maskBrowseButton->setEnabled(item.MaskMode == 2);
        m_maskToggle->setEnabled(item.MaskMode == 2);
    } else {
        UpdateMaskControls();
    }
    m_maskToggle->SetCheckState(item.MaskImageEnable == 1 ? 1 : 0);
    m_preview->m_showMask = item.MaskImageEnable == 1;
    m_maskPathEdit->setText(item.MaskImage);
    m_preview->m_maskImage = QImage();
    if (!item.MaskImage.isEmpty())
        m_preview->LoadMaskImage(item.MaskImage);
    m_preview->update();
    m_thumbnailTime = item.ThumbnailTime;
}

void CPropetyDlg::ReadInto(Record& item) const
{
    item.FaceNo = platform::WToI(m_faceText->text());
    item.Start = TimeOf(m_startEdit);
    item.Mode = DataOf(m_modeCombo);
    item.FilePath = m_fileEdit->text();
    if (!m_keepLinkFace) {
        if (m_linkCombo->currentIndex() < 0) {
            item.LinkFaceNo = 0;
            item.LinkMode = 0;
        } else {
            item.LinkFaceNo = platform::WToI(m_linkCombo->currentText());
            const Record candidate = GetLinkFaceItem(m_linkCombo->currentIndex());
            item.LinkMode = candidate.FaceNo < 1 ? 0 : candidate.Mode;
        }
    }
    if (!m_keepCamera) {
        const int32_t camera = DataOf(m_cameraCombo, -1);
        item.CameraID = camera == kNoCameraData ? -1 : camera;
    }
    if (!m_keepImageSize) {
        const QSize size = m_sizeCombo->currentIndex() < 0
            ? QSize(0, 0)
            : GetCameraImgSize(m_sizeCombo->currentData().toInt());
        item.CameraImgW = size.width();
        item.CameraImgH = size.height();
    }
    item.PlayMode = DataOf(m_playModeCombo);
    item.MaskMode = DataOf(m_shapeCombo);
    item.MaskX = platform::WToI(m_xEdit->text());
    item.MaskY = platform::WToI(m_yEdit->text());
    item.W = platform::WToI(m_wEdit->text());
    item.H = platform::WToI(m_hEdit->text());
    item.InTime = TimeOf(m_inEdit);
    item.OutTime = TimeOf(m_outEdit);
    item.PlayTime = TimeOf(m_playEdit);
    item.Volume = m_volumeSlider->value();
    item.Mute = m_muteToggle->GetCheckState() ? 1 : 0;
    item.MaskImageEnable = m_maskToggle->GetCheckState() ? 1 : 0;
    item.MaskImage = m_maskPathEdit->text();
    item.ThumbnailTime = m_thumbnailTime;
}

// ---- Controls set from code -------------------------------------------------------------------

void CPropetyDlg::SetPlayTime(int32_t playTime)
{
    m_playEdit->SetWindowTime(int64_t(playTime));
    m_acceptedPlayTime = playTime;
}

void CPropetyDlg::SetPosition(int x, int y, int width, int height)
{
    m_xEdit->setText(QString::number(x));
    m_yEdit->setText(QString::number(y));
    m_wEdit->setText(QString::number(width));
    m_hEdit->setText(QString::number(height));
    m_preview->SetSelection(x, y, width, height);
}

void CPropetyDlg::SetPositionLimits(int width, int height)
{
    m_xEdit->SetNumRange(width, 0);
    m_wEdit->SetNumRange(width, 0);
    m_yEdit->SetNumRange(height, 0);
    m_hEdit->SetNumRange(height, 0);
}

void CPropetyDlg::ClearInOutBar()
{
    m_inOutBar->SetInOut(-1, -1);
    m_inOutBar->Slider()->setRange(0, 0);
    m_inOutBar->Slider()->setValue(0);
}

void CPropetyDlg::DropPicture()
{
    m_preview->m_picture = QImage();
    m_preview->update();
}

void CPropetyDlg::SetPreviewTime(int32_t time)
{
    m_previewTimeEdit->SetWindowTime(int64_t(time));
}

void CPropetyDlg::LoadCameraPreview(int width, int height)
{
    // A size of 0, or one no camera gives, shows no picture rather than allocating it.
    if (width <= 0 || height <= 0 || width > kMaxCameraSide || height > kMaxCameraSide) {
        DropPicture();
        return;
    }
    const QImage placeholder(SkinImage(dialog_services::Skin().GetImgCampreviewImage()));
    QImage picture(width, height, QImage::Format_ARGB32);
    picture.fill(Qt::black);
    if (!placeholder.isNull()) {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(picture.rect(), placeholder);
    }
    m_preview->SetImage(picture);
}

// ---- Painting and keys --------------------------------------------------------------------------

void CPropetyDlg::paintEvent(QPaintEvent* event)
{
    CItemPage::paintEvent(event);
    QPainter painter(this);
    // The volume pictures are dimmed while the volume cannot be changed.
    painter.setOpacity(m_volumeSlider && m_volumeSlider->isEnabled() ? 1.0 : 0.4);
    if (!m_volume0Image.isNull())
        painter.drawImage(m_volume0Rect, m_volume0Image);
    if (!m_volume100Image.isNull())
        painter.drawImage(m_volume100Rect, m_volume100Image);
}

void CPropetyDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->key() == Qt::Key_Z) {
            Notify(&CItemPageOwner::OnUndoKey);
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Y) {
            Notify(&CItemPageOwner::OnRedoKey);
            event->accept();
            return;
        }
    }
    CItemPage::keyPressEvent(event);
}

bool CPropetyDlg::eventFilter(QObject* watched, QEvent* event)
{
    // The wheel does not move the IN/OUT bar's slider (nor scroll the page under it).
    if (m_inOutBar && watched == m_inOutBar->Slider() && event->type() == QEvent::Wheel) {
        event->accept();
        return true;
    }
    return CItemPage::eventFilter(watched, event);
}

bool CPropetyDlg::Notify(void (CItemPageOwner::*message)())
{
    if (!m_owner)
        return false;
    (m_owner->*message)();
    return true;
}

int CPropetyDlg::Ask(int messageId, unsigned type) const
{
    return dialog_services::ShowMessage(messageId, type);
}

itempanel::ThumbnailPlace CPropetyDlg::ThumbnailPlace() const
{
    return MakeThumbnailPlace(m_projectFolder, m_projectName, m_projectKind);
}

QString CPropetyDlg::ThumbnailFile() const
{
    return ThumbnailPath(ThumbnailPlace(), m_channel, m_faceNo, m_loadedStart);
}
