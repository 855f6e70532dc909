#include "itempanel/camera_dlg.h"

#include "controls/gdi_button.h"
#include "controls/gdi_combo_box.h"
#include "controls/msk_edit.h"
#include "core/dialog_services.h"
#include "core/language_data.h"
#include "core/message_box.h"
#include "core/message_catalog.h"
#include "itempanel/item_page.h"
#include "platform/atomic_file.h"
#include "platform/dialog_service.h"
#include "platform/paths.h"
#include "platform/wait_cursor.h"

#include <QBuffer>
#include <QFocusEvent>
#include <QImageWriter>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

using namespace itempanel;

namespace {

enum : int { kMsgCancelChanged = 25, kMsgDetect = 26, kMsgDetected = 27, kMsgNoCamera = 28 };
constexpr int kRowHeight = 24;
// The frame's top edge lies lower than the item panel's, below the camera list.
constexpr int kFrameTop = 36;

QString SizeText(int width, int height)
{
    return QString::asprintf("%d x %d", width, height);
}

} // namespace

CCameraDlg::CCameraDlg(QWidget* parent)
    : QDialog(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CCameraDlg::~CCameraDlg() = default;

void CCameraDlg::SetCameras(const std::vector<tagCAMERA_SETTING_DATA>& cameras)
{
    m_cameras = cameras;
    m_referenceCameras = cameras;
}

void CCameraDlg::SetCameraAccess(std::unique_ptr<CCameraAccess> access)
{
    m_access = std::move(access);
}

CCameraAccess& CCameraDlg::Access()
{
    if (!m_access)
        m_access = MakeOpenCvCameraAccess();
    return *m_access;
}

QWidget* CCameraDlg::Item(int id) const
{
    const auto found = m_items.find(id);
    return found == m_items.end() ? nullptr : found->second;
}

void CCameraDlg::Register(int id, QWidget* control)
{
    m_items[id] = control;
}

QString CCameraDlg::SnapshotPath(int cameraId) const
{
    QString folder = m_settingFolder;
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return platform::JoinPath(folder, QString::asprintf("Camera%02d.png", cameraId + 1));
}

QString CCameraDlg::DefaultName(int cameraId) const
{
    return dialog_services::Language().GetCameraName() + QString::number(cameraId + 1);
}

// ---- Set-up ---------------------------------------------------------------------------------------

void CCameraDlg::setVisible(bool visible)
{
    // The controls exist before the window shows, so that they are shown with it.
    if (visible)
        InitDialog();
    QDialog::setVisible(visible);
}

void CCameraDlg::InitDialog()
{
    if (m_initialised)
        return;
    m_initialised = true;
    m_frame.Load(m_skinFolder);
    setFixedSize(kWidth, kHeight);
    BuildControls();
    m_nameEdit->setEnabled(false);
    m_snapshotButton->setEnabled(false);
    m_sizeList->setEnabled(false);
    FillCameraList(-1);
    FillImageSizeList();
    if (m_cameraList->currentIndex() >= 0)
        ShowCamera(m_cameraList->currentData().toInt());
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

CGdiButton* CCameraDlg::AddTextButton(int id, const QString& text, const QRect& rect)
{
    const CSkinIni& skin = dialog_services::Skin();
    auto* button = new CGdiButton(text, this);
    button->setGeometry(rect);
    button->LoadImages(dialog_services::SkinImagePath(m_skinFolder, skin.GetButton2Image(0)),
        dialog_services::SkinImagePath(m_skinFolder, skin.GetButton2Image(2)),
        dialog_services::SkinImagePath(m_skinFolder, skin.GetButton2Image(3)),
        dialog_services::SkinImagePath(m_skinFolder, skin.GetButton2Image(1)));
    button->m_font = dialog_services::Font(CSkinIni::kGetCameraDlgControlFont, false);
    button->setAutoDefault(false);
    Register(id, button);
    return button;
}

void CCameraDlg::BuildControls()
{
    const CLanguageData& text = dialog_services::Language();
    const CSkinIni& skin = dialog_services::Skin();
    setWindowTitle(text.GetCdTitle());
    const int right = kWidth;
    const int bottom = kHeight;
    const QFont caption = dialog_services::Font(CSkinIni::kGetCameraDlgCaptionFont, false);
    const QFont control = dialog_services::Font(CSkinIni::kGetCameraDlgControlFont, false);
    const auto label = [&](int id, const QString& labelText, const QRect& rect) {
        auto* widget = new CPageLabel(this);
        widget->setGeometry(rect);
        widget->setText(labelText);
        widget->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        widget->setFont(caption);
        widget->m_backColor = dialog_services::ColorRef(CSkinIni::COLOR_SETTING_BK);
        widget->m_textColor = dialog_services::ColorRef(CSkinIni::COLOR_TEXT);
        Register(id, widget);
    };
    const auto combo = [&](int id, const QRect& rect) {
        auto* list = new CGdiComboBox(this);
        list->setGeometry(rect);
        list->LoadImages(dialog_services::SkinImagePath(m_skinFolder, skin.GetBtnPulldownImage(0)),
            dialog_services::SkinImagePath(m_skinFolder, skin.GetBtnPulldownImage(1)),
            dialog_services::SkinImagePath(m_skinFolder, skin.GetBtnPulldownImage(3)));
        list->m_backColor = dialog_services::ColorRef(CSkinIni::COLOR_EDIT_BK);
        list->setFont(control);
        Register(id, list);
        return list;
    };

    label(IDC_CAMERA_CAPTION, text.GetCdCaptionCamera(), QRect(10, 8, 100, kRowHeight));
    m_cameraList = combo(IDC_CAMERA, QRect(110, 8, right - 10 - 110, kRowHeight));
    int y = 40 + m_frame.SizeOf(CFramePieces::Top).height();
    label(IDC_NAME_CAPTION, text.GetCdCaptionName(), QRect(10, y, 160, kRowHeight));
    y += kRowHeight;
    m_nameEdit = new CMskEdit(this);
    m_nameEdit->setGeometry(10, y, right - 20, kRowHeight);
    m_nameEdit->SetInputType(0);
    m_nameEdit->SetBkColor(dialog_services::ColorRef(CSkinIni::COLOR_EDIT_BK));
    m_nameEdit->setFont(control);
    m_nameEdit->installEventFilter(this);
    Register(IDC_NAME, m_nameEdit);
    y += kRowHeight + 2;
    label(IDC_SIZE_CAPTION, text.GetCdCaptionImageSize(), QRect(10, y, 160, kRowHeight));
    y += kRowHeight;
    m_sizeList = combo(IDC_SIZE, QRect(10, y, right - 20, kRowHeight));
    y += kRowHeight + 8;
    label(IDC_IMAGE_CAPTION, text.GetCdCaptionCameraImage(), QRect(10, y, 160, kRowHeight));
    m_snapshotButton = new CGdiButton(this);
    m_snapshotButton->setGeometry(right - 34, y, 24, kRowHeight);
    m_snapshotButton->LoadImages(dialog_services::SkinImagePath(m_skinFolder, skin.GetBtnCaptureImage(0)),
        dialog_services::SkinImagePath(m_skinFolder, skin.GetBtnCaptureImage(2)),
        dialog_services::SkinImagePath(m_skinFolder, skin.GetBtnCaptureImage(3)),
        dialog_services::SkinImagePath(m_skinFolder, skin.GetBtnCaptureImage(1)));
    m_snapshotButton->setAutoDefault(false);
    Register(IDC_SNAPSHOT, m_snapshotButton);
    y += kRowHeight;
    const int previewWidth = right - 20;
    m_previewRect = QRect(10, y, previewWidth, previewWidth * 9 / 16);

    CGdiButton* detect = AddTextButton(IDC_DETECT, text.GetCdBtnSearch(), QRect(2, bottom - 36, 75, 30));
    CGdiButton* cancel
        = AddTextButton(IDC_CANCEL, text.GetCdBtnCancel(), QRect(right - 67, bottom - 36, 65, 30));
    CGdiButton* ok
        = AddTextButton(IDC_OK, text.GetCdBtnOk(), QRect(right - 67 - 10 - 65, bottom - 36, 65, 30));
    ok->setDefault(true);

    connect(m_cameraList, &QComboBox::activated, this, &CCameraDlg::OnCameraChanged);
    connect(m_sizeList, &QComboBox::activated, this, &CCameraDlg::OnImageSizeChanged);
    connect(m_snapshotButton, &QAbstractButton::clicked, this, &CCameraDlg::OnTakeSnapshot);
    connect(detect, &QAbstractButton::clicked, this, &CCameraDlg::OnDetectCameras);
    connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(cancel, &QAbstractButton::clicked, this, &CCameraDlg::reject);
}

// ---- Lists ----------------------------------------------------------------------------------------

void CCameraDlg::FillCameraList(int selectId)
{
    m_cameraList->setUpdatesEnabled(false);
    m_cameraList->clear();
    for (const tagCAMERA_SETTING_DATA& camera : m_cameras)
        m_cameraList->addItem(
            QStringLiteral("%1:%2").arg(camera.CameraId).arg(camera.CameraName), camera.CameraId);
    const int index = selectId < 0 ? 0 : m_cameraList->findData(selectId);
    m_cameraList->setCurrentIndex(m_cameraList->count() > 0 ? std::max(index, 0) : -1);
    const bool any = m_cameraList->count() > 0;
    m_nameEdit->setEnabled(any);
    m_snapshotButton->setEnabled(any);
    m_sizeList->setEnabled(any);
    m_cameraList->setUpdatesEnabled(true);
}

void CCameraDlg::FillImageSizeList()
{
    if (m_imageWidths.size() != m_imageHeights.size())
        return;
    m_sizeList->setUpdatesEnabled(false);
    m_sizeList->clear();
    for (size_t i = 0; i < m_imageWidths.size(); ++i)
        m_sizeList->addItem(SizeText(m_imageWidths[i], m_imageHeights[i]), int(i));
    m_sizeList->setCurrentIndex(m_sizeList->count() > 0 ? 0 : -1);
    m_sizeList->setUpdatesEnabled(true);
}

tagCAMERA_SETTING_DATA* CCameraDlg::SelectedCamera()
{
    if (m_cameraList->currentIndex() < 0)
        return nullptr;
    const int id = m_cameraList->currentData().toInt();
    for (tagCAMERA_SETTING_DATA& camera : m_cameras) {
        if (camera.CameraId == id)
            return &camera;
    }
    return nullptr;
}

void CCameraDlg::ShowCamera(int cameraId)
{
    for (const tagCAMERA_SETTING_DATA& camera : m_cameras) {
        if (camera.CameraId != cameraId)
            continue;
        m_nameEdit->setText(camera.CameraName.isEmpty() ? DefaultName(cameraId) : camera.CameraName);
        m_sizeList->setCurrentIndex(m_sizeList->findText(SizeText(camera.ImageWidth, camera.ImageHeight)));
        return;
    }
}

void CCameraDlg::OnCameraChanged()
{
    if (m_cameraList->currentIndex() >= 0)
        ShowCamera(m_cameraList->currentData().toInt());
    update(m_previewRect);
}

void CCameraDlg::OnImageSizeChanged()
{
    tagCAMERA_SETTING_DATA* camera = SelectedCamera();
    if (!camera)
        return;
    const int index = m_sizeList->currentIndex() < 0 ? -1 : m_sizeList->currentData().toInt();
    const bool offered
        = index >= 0 && size_t(index) < m_imageWidths.size() && size_t(index) < m_imageHeights.size();
    camera->ImageWidth = offered ? m_imageWidths[size_t(index)] : 0;
    camera->ImageHeight = offered ? m_imageHeights[size_t(index)] : 0;
}

void CCameraDlg::CommitName()
{
    tagCAMERA_SETTING_DATA* camera = SelectedCamera();
    if (!camera)
        return;
    QString name = m_nameEdit->text().trimmed();
    if (name.isEmpty()) {
        name = DefaultName(camera->CameraId);
        m_nameEdit->setText(name);
    }
    camera->CameraName = name;
    FillCameraList(camera->CameraId);
}

// ---- Cameras --------------------------------------------------------------------------------------

bool CCameraDlg::SaveCameraSnapshot(CCameraCapture& capture, const QString& path)
{
    QImage frame;
    for (int attempt = 0; attempt < kSnapshotReads; ++attempt) {
        frame = capture.Read();
        if (!frame.isNull() && frame.width() > 0 && frame.height() > 0)
            break;
        frame = QImage();
        Access().Pause(kReadPauseMs);
    }
    if (frame.isNull())
        return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "png").write(frame))
        return false;
    return platform::WriteFileAtomically(path, bytes);
}

int CCameraDlg::EnumCameras(std::vector<QSize>* sizes)
{
    if (sizes)
        sizes->clear();
    int count = 0;
    for (int n = 1; n <= kMaxCameras; ++n) {
        std::unique_ptr<CCameraCapture> capture = Access().Open(n - 1);
        if (!capture || !capture->IsOpened())
            break;
        if (sizes)
            sizes->push_back(QSize(int(capture->Get(CCameraCapture::kFrameWidth)),
                int(capture->Get(CCameraCapture::kFrameHeight))));
        if (!SaveCameraSnapshot(*capture, SnapshotPath(n - 1)))
            break;
        ++count;
    }
    return count;
}

void CCameraDlg::OnTakeSnapshot()
{
    const tagCAMERA_SETTING_DATA* camera = SelectedCamera();
    if (!camera)
        return;
    const CWaitCursor wait;
    std::unique_ptr<CCameraCapture> capture = Access().Open(camera->CameraId);
    if (!capture || !capture->IsOpened())
        return;
    const int index = m_sizeList->currentIndex() < 0 ? -1 : m_sizeList->currentData().toInt();
    if (index >= 0 && size_t(index) < m_imageWidths.size() && size_t(index) < m_imageHeights.size()) {
        capture->Set(CCameraCapture::kFrameWidth, m_imageWidths[size_t(index)]);
        capture->Set(CCameraCapture::kFrameHeight, m_imageHeights[size_t(index)]);
    }
    if (SaveCameraSnapshot(*capture, SnapshotPath(camera->CameraId)))
        update(m_previewRect);
}

void CCameraDlg::OnDetectCameras()
{
    if (KaleidraMessageBox(dialog_services::Messages().GetMessage(kMsgDetect), platform::MB_YESNO)
        != platform::IDYES)
        return;
    const int selectedId = m_cameraList->currentIndex() < 0 ? -1 : m_cameraList->currentData().toInt();
    std::vector<QSize> sizes;
    int found = 0;
    {
        const CWaitCursor wait;
        found = EnumCameras(&sizes);
    }
    // The cameras listed before keep their entries; each new one takes the smallest id no other
    // entry has, so that no two cameras share an id.
    std::vector<tagCAMERA_SETTING_DATA> cameras;
    for (int i = 0; i < found; ++i) {
        if (size_t(i) < m_cameras.size()) {
            cameras.push_back(m_cameras[size_t(i)]);
            continue;
        }
        int id = 0;
        while (std::any_of(cameras.begin(), cameras.end(), [id](const auto& c) { return c.CameraId == id; }))
            ++id;
        const QSize size = size_t(i) < sizes.size() ? sizes[size_t(i)] : QSize(0, 0);
        cameras.push_back({ id, DefaultName(id), size.width(), size.height() });
    }
    m_cameras = std::move(cameras);
    if (found > 0)
        KaleidraMessageBox(
            dialog_services::Messages().FormatMessage(kMsgDetected, { qint64(found) }), platform::MB_OK);
    else
        KaleidraMessageBox(dialog_services::Messages().GetMessage(kMsgNoCamera), platform::MB_OK);
    FillCameraList(selectedId);
    if (m_cameraList->currentIndex() >= 0)
        ShowCamera(m_cameraList->currentData().toInt());
    update(m_previewRect);
}

void CCameraDlg::reject()
{
    if (m_cameras != m_referenceCameras
        && KaleidraMessageBox(dialog_services::Messages().GetMessage(kMsgCancelChanged), platform::MB_YESNO)
            != platform::IDYES)
        return;
    QDialog::reject();
}

// ---- Events ---------------------------------------------------------------------------------------

bool CCameraDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_nameEdit) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return
                || key == Qt::Key_Enter) {
                CommitName();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut
            && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            CommitName();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CCameraDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), dialog_services::Color(CSkinIni::COLOR_SETTING_BK));
    m_frame.Draw(painter, rect(), kFrameTop, std::nullopt);
    painter.fillRect(m_previewRect, dialog_services::Color(CSkinIni::COLOR_EDIT_BK));
    const tagCAMERA_SETTING_DATA* camera = SelectedCamera();
    if (!camera)
        return;
    const QString path = SnapshotPath(camera->CameraId);
    if (!platform::IsRegularFile(path))
        return;
    const QImage snapshot(path);
    if (snapshot.isNull() || snapshot.width() <= 0)
        return;
    // The snapshot fills the area's width from its top-left corner, in its own proportions.
    const int height = int(int64_t(m_previewRect.width()) * snapshot.height() / snapshot.width());
    painter.setClipRect(m_previewRect);
    painter.drawImage(QRect(m_previewRect.topLeft(), QSize(m_previewRect.width(), height)), snapshot);
}
