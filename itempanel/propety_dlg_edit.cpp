// The properties page: what the user changes besides the times and the movie preview.
#include "itempanel/propety_dlg.h"

#include "controls/control_messages.h"
#include "controls/gdi_button.h"
#include "controls/gdi_combo_box.h"
#include "controls/gdi_slider_ctrl.h"
#include "controls/msk_edit.h"
#include "core/constant_tables.h"
#include "core/dialog_services.h"
#include "core/language_data.h"
#include "core/message_box.h"
#include "core/message_catalog.h"
#include "itempanel/link_sync.h"
#include "itempanel/page_owner.h"
#include "platform/dialog_service.h"
#include "platform/number_text.h"
#include "timeline/thumbnail_writer.h"

#include <QFile>

using namespace itempanel;

namespace {

constexpr int kMsgSoundLoadFailed = 104;

// Where a file dialog opens first: the entry of the kind's filter (counted from 1, as the
// file dialogs of the programs always counted) or, past the last entry, the one for all files of
// the kind.
QString InitialFilterEntry(const QString& qtFilter, int index)
{
    const QStringList entries = qtFilter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    if (entries.isEmpty())
        return QString();
    return entries[std::clamp(index, 1, int(entries.size())) - 1];
}

// The folder of a chosen path, when it has one past its first character.
QString FolderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash > 0 ? path.left(slash) : QString();
}

std::optional<QString> AskForFile(const QString& windowsFilter, int filterIndex, const QString& folder)
{
    const QString filter = ToQtFileFilter(windowsFilter);
    QString selected = InitialFilterEntry(filter, filterIndex);
    return platform::DialogService().OpenFileName(QString(), folder, filter, &selected);
}

} // namespace

void CPropetyDlg::OnKindChanged()
{
    if (m_modeCombo->currentIndex() < 0)
        return;
    const int32_t kind = SelectedKind();
    EnableByMode(kind, 0);
    if (kind != m_currentMode) {
        StopReplay();
        m_linkCombo->setCurrentIndex(-1);
        m_fileEdit->setText(QString());
        SetPosition(0, 0, 0, 0);
        m_shapeCombo->setCurrentIndex(0);
        m_playModeCombo->setCurrentIndex(0);
        DropPicture();
        if (m_media)
            m_media->CloseMovie();
        m_preview->m_maskMode = 0;
        m_preview->update();
        SetPreviewTime(0);
        ClearInOutBar();
        m_inEdit->SetWindowTime(int64_t(0));
        m_outEdit->SetWindowTime(int64_t(0));
        if (m_owner) {
            m_owner->OnResetEffectPage();
            m_owner->OnResetFilterPage();
        }
        QFile::remove(ThumbnailFile());
        if (kind == Record::MODE_IMAGE && m_fileEdit->text().trimmed().isEmpty() && m_defaultImageTime > 0)
            SetPlayTime(ShortenToNextItem(Faces(), m_faceNo, m_loadedStart, m_defaultImageTime));
        else if (kind == Record::MODE_MOVIE)
            m_muteToggle->SetCheckState(1);
        m_cameraCombo->setCurrentIndex(0);
        m_currentMode = kind;
        UpdateMaskControls();
        // The lists now show what the new kind is to store.
        m_keepLinkFace = m_keepCamera = false;
    }
    Notify(&CItemPageOwner::OnPropertyChanged);
}

void CPropetyDlg::OnBrowseFile()
{
    if (m_modeCombo->currentIndex() < 0)
        return;
    const int32_t kind = SelectedKind();
    const QString windowsFilter = FileDialogFilter(kind, dialog_services::Language());
    const int filterIndex = kind == Record::MODE_IMAGE ? 4 : (windowsFilter.isEmpty() ? 0 : 1);
    QString* lastFolder = kind == Record::MODE_MOVIE ? &m_lastMovieFolder
        : kind == Record::MODE_SOUND                 ? &m_lastSoundFolder
                                                     : &m_lastImageFolder;
    const std::optional<QString> chosen = AskForFile(windowsFilter, filterIndex, *lastFolder);
    if (!chosen || chosen->isEmpty())
        return;
    const QString path = *chosen;
    const QString previousPath = m_fileEdit->text();
    m_fileEdit->setText(path);
    if (kind == Record::MODE_IMAGE || kind == Record::MODE_MOVIE || kind == Record::MODE_SOUND)
        *lastFolder = FolderOf(path);
    bool taken = true;
    if (kind == Record::MODE_IMAGE)
        ChooseImageFile(path);
    else if (kind == Record::MODE_MOVIE)
        taken = ChooseMovieFile(path);
    else if (kind == Record::MODE_SOUND)
        taken = ChooseSoundFile(path);
    if (!taken) {
        // A file that could not be opened changes nothing of the item.
        m_fileEdit->setText(previousPath);
        return;
    }
    Notify(&CItemPageOwner::OnPropertyChanged);
}

void CPropetyDlg::ChooseImageFile(const QString& path)
{
    if (m_loadedItem.FilePath.isEmpty() && m_defaultImageTime > 0)
        SetPlayTime(ShortenToNextItem(Faces(), m_faceNo, m_loadedStart, m_defaultImageTime));
    ThumbnailWriter().WriteFile(path, ThumbnailFile());
    Notify(&CItemPageOwner::OnPreviewChanged);
    m_preview->LoadImageFile(path);
    m_preview->ResetSelection();
    const QPoint position = m_preview->GetSelectionPos();
    const QSize size = m_preview->GetSelectionSize();
    const QSize picture = m_preview->m_picture.size();
    SetPositionLimits(picture.width(), picture.height());
    SetPosition(position.x(), position.y(), size.width(), size.height());
    m_thumbnailTime = -1;
}

bool CPropetyDlg::ChooseSoundFile(const QString& path)
{
    int32_t lengthMs = 0;
    if (!m_media || !m_media->GetSoundLength(path, lengthMs)) {
        KaleidraMessageBox(
            dialog_services::Messages().GetMessage(kMsgSoundLoadFailed) + path, platform::MB_OK);
        return false;
    }
    const int32_t length = lengthMs / 10;
    m_outEdit->SetWindowTime(int64_t(length));
    SetPlayTime(ShortenToNextItem(Faces(), m_faceNo, m_loadedStart, length));
    m_thumbnailTime = -1;
    return true;
}

void CPropetyDlg::OnShapeChanged()
{
    const int shape = m_shapeCombo->currentIndex();
    if (shape == 2) {
        m_maskToggle->SetCheckState(1);
        m_preview->m_showMask = true;
    }
    UpdateMaskControls();
    m_preview->m_maskMode = std::max(shape, 0);
    m_preview->update();
    Notify(&CItemPageOwner::OnPropertyChanged);
}

void CPropetyDlg::OnBrowseMask()
{
    const std::optional<QString> chosen
        = AskForFile(QStringLiteral("Mask(*.png)|*.png||"), 1, m_lastMaskFolder);
    if (!chosen || chosen->isEmpty())
        return;
    m_maskPathEdit->setText(*chosen);
    m_preview->LoadMaskImage(*chosen);
    m_preview->update();
    m_lastMaskFolder = FolderOf(*chosen);
    Notify(&CItemPageOwner::OnPropertyChanged);
}

void CPropetyDlg::OnMaskToggle()
{
    m_preview->m_showMask = m_maskToggle->GetCheckState() != 0;
    m_preview->update();
    Notify(&CItemPageOwner::OnPropertyChanged);
}

void CPropetyDlg::OnImageSelection(unsigned message, int, QSize size)
{
    const QPoint position = m_preview->GetSelectionPos();
    m_xEdit->setText(QString::number(position.x()));
    m_yEdit->setText(QString::number(position.y()));
    m_wEdit->setText(QString::number(size.width()));
    m_hEdit->setText(QString::number(size.height()));
    if (message == controls::UM_IMAGE_SELECTION_END)
        Notify(&CItemPageOwner::OnPropertyChanged);
}

void CPropetyDlg::OnPositionTyped()
{
    const int x = platform::WToI(m_xEdit->text());
    const int y = platform::WToI(m_yEdit->text());
    const int width = platform::WToI(m_wEdit->text());
    const int height = platform::WToI(m_hEdit->text());
    m_preview->SetSelection(x, y, width, height);
    m_preview->update();
    Notify(&CItemPageOwner::OnPropertyChanged);
}

void CPropetyDlg::OnCameraChanged()
{
    if (m_cameraCombo->currentIndex() < 0)
        return;
    m_keepCamera = false;
    const int32_t camera = m_cameraCombo->currentData().toInt();
    if (camera == kNoCameraData) {
        m_sizeCombo->setCurrentIndex(m_sizeCombo->count() > 0 ? 0 : -1);
        m_keepImageSize = false;
        SetPosition(0, 0, 0, 0);
        LoadCameraPreview(0, 0);
        m_preview->update();
        Notify(&CItemPageOwner::OnPropertyChanged);
        return;
    }
    const QSize size = GetCameraSize(camera);
    if (SelectByText(m_sizeCombo, QString::asprintf("%d x %d", size.width(), size.height()))) {
        m_keepImageSize = false;
        LoadCameraPreview(size.width(), size.height());
        SetPositionLimits(size.width(), size.height());
        SetPosition(0, 0, size.width(), size.height());
    }
    Notify(&CItemPageOwner::OnPropertyChanged);
}

void CPropetyDlg::OnImageSizeChanged()
{
    if (m_sizeCombo->currentIndex() < 0)
        return;
    m_keepImageSize = false;
    const QSize size = GetCameraImgSize(m_sizeCombo->currentData().toInt());
    if (!size.isEmpty()) {
        LoadCameraPreview(size.width(), size.height());
        SetPositionLimits(size.width(), size.height());
        SetPosition(0, 0, size.width(), size.height());
    }
    Notify(&CItemPageOwner::OnPropertyChanged);
}

void CPropetyDlg::OnLinkFaceChanged()
{
    if (m_linkCombo->currentIndex() < 0)
        return;
    const int index = m_linkCombo->currentData().toInt();
    if (index < 0 || index >= int(m_linkCandidates.size()))
        return;
    m_keepLinkFace = false;
    const Record candidate = m_linkCandidates[size_t(index)];
    const int cameraIndex
        = m_cameraCombo->findData(candidate.CameraID < 0 ? kNoCameraData : candidate.CameraID);
    if (cameraIndex >= 0) {
        m_cameraCombo->setCurrentIndex(cameraIndex);
        m_keepCamera = false;
    }
    if (SelectByText(m_sizeCombo, QString::asprintf("%d x %d", candidate.CameraImgW, candidate.CameraImgH)))
        m_keepImageSize = false;
    m_fileEdit->setText(candidate.FilePath);
    SelectByData(m_playModeCombo, candidate.PlayMode);
    if (candidate.Mode == Record::MODE_MOVIE) {
        OpenMoviePreview(candidate.FilePath, candidate.InTime, candidate.OutTime);
        m_inOutBar->Slider()->setValue(0);
    } else {
        if (candidate.Mode == Record::MODE_IMAGE)
            m_preview->LoadImageFile(candidate.FilePath);
        else
            LoadCameraPreview(candidate.CameraImgW, candidate.CameraImgH);
        m_inEdit->SetWindowTime(int64_t(candidate.InTime));
        m_outEdit->SetWindowTime(int64_t(candidate.OutTime));
        ClearInOutBar();
        const QSize picture = m_preview->m_picture.size();
        SetPositionLimits(picture.width(), picture.height());
    }
    SelectByData(m_shapeCombo, candidate.MaskMode);
    m_preview->m_maskMode = candidate.MaskMode;
    SetPosition(candidate.MaskX, candidate.MaskY, candidate.W, candidate.H);
    SetPreviewTime(0);
    SetPlayTime(candidate.PlayTime);
    ApplyThumbnailOps(
        { { ThumbnailPath(ThumbnailPlace(), candidate.Channel, candidate.FaceNo, candidate.Start),
            ThumbnailFile(), false } });
    EnableByMode(m_currentMode, candidate.Mode);
    Notify(&CItemPageOwner::OnPropertyChanged);
    Notify(&CItemPageOwner::OnLinkFaceChanged);
}

void CPropetyDlg::OnSliderHScroll(CGdiSliderBase& slider, int code, int)
{
    if (&slider != m_volumeSlider || !m_volumeSlider->isEnabled())
        return;
    Notify(&CItemPageOwner::OnPropertyChanged);
    if (code == controls::TB_ENDTRACK && m_volumeDragging) {
        m_volumeDragging = false;
        if (m_owner)
            m_owner->OnEditGroup(false);
    }
}
