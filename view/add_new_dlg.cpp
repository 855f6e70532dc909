#include "view/add_new_dlg.h"

#include "controls/gdi_button.h"
#include "controls/msk_edit.h"
#include "core/dialog_services.h"
#include "core/language_data.h"
#include "core/message_catalog.h"
#include "platform/dialog_service.h"
#include "platform/paths.h"
#include "platform/win_color.h"
#include "view/project_names.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace {

enum : int {
    kMsgNoFolder = 0,
    kMsgFolderMissing = 1,
    kMsgNoName = 2,
    kMsgSameName = 3,
    kMsgNoTime = 4,
    kMsgNegativeTime = 5,
    kMsgTimeTooLong = 6,
    kMsgOverwrite = 7,
    kMsgTimeRange = 118,
};

QRect Span(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

// The characters a file name cannot hold on the systems a project travels to.
const QString kRefusedNameCharacters = QStringLiteral("\\/?:*\"><|");

} // namespace

CAddNewDlg::CAddNewDlg(QWidget* parent)
    : QDialog(parent)
    , m_buttonFont(dialog_services::Font(CSkinIni::kGetAddNewDlgButtonFont))
    , m_controlFont(dialog_services::Font(CSkinIni::kGetAddNewDlgControlFont))
{
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

CAddNewDlg::~CAddNewDlg() = default;

QWidget* CAddNewDlg::Control(int id) const
{
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->property("controlId").toInt() == id)
            return child;
    return nullptr;
}

void CAddNewDlg::showEvent(QShowEvent* event)
{
    if (!m_initialised)
        InitDialog();
    QDialog::showEvent(event);
}

void CAddNewDlg::InitDialog()
{
    if (m_initialised)
        return;
    m_initialised = true;
    setFixedSize(kWidth, kHeight);
    CreateControls();
    const CLanguageData& texts = dialog_services::Language();
    if (m_mode == kModeSaveAs) {
        setWindowTitle(texts.GetAdTitleSaveAs());
        m_timeEdit->setEnabled(false);
    } else {
        setWindowTitle(texts.GetAdTitleAddnew());
    }
    if (const QScreen* desktop = screen() ? screen() : QGuiApplication::primaryScreen())
        move(desktop->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void CAddNewDlg::CreateControls()
{
    const CLanguageData& texts = dialog_services::Language();
    const CSkinIni& skin = dialog_services::Skin();
    const auto image
        = [&](const QString& name) { return dialog_services::SkinImagePath(m_skinFolder, name); };

    const auto caption = [&](int id, const QRect& rect, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setProperty("controlId", id);
        label->setGeometry(rect);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setFont(m_controlFont);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, dialog_services::Color(CSkinIni::COLOR_TEXT));
        label->setPalette(palette);
        label->show();
        return label;
    };
    const auto edit = [&](int id, const QRect& rect) {
        auto* widget = new CMskEdit(this);
        widget->setProperty("controlId", id);
        widget->setGeometry(rect);
        widget->setFont(m_controlFont);
        widget->SetBkColor(dialog_services::ColorRef(CSkinIni::COLOR_EDIT_BK));
        widget->SetTextColor(dialog_services::ColorRef(CSkinIni::COLOR_TEXT));
        widget->setFocusPolicy(Qt::StrongFocus);
        widget->show();
        return widget;
    };
    const auto button = [&](int id, const QRect& rect, const QString& text) {
        auto* widget = new CGdiButton(text, this);
        widget->setProperty("controlId", id);
        widget->setGeometry(rect);
        widget->m_font = m_buttonFont;
        widget->setFocusPolicy(Qt::StrongFocus);
        widget->show();
        return widget;
    };

    m_saveToCaption = caption(kIdSaveToCaption, Span(10, 10, 160, 34), texts.GetAdCaptionSaveTo());
    m_folderEdit = edit(kIdFolder, Span(160, 10, 460, 34));
    m_folderEdit->SetInputType(0);
    m_folderEdit->setText(m_folder);
    m_browseButton = button(kIdBrowse, Span(460, 10, 484, 34), QString());
    // The browse button's pressed picture is the "not" one and its disabled picture the pressed
    // one, as the dialog always showed them.
    m_browseButton->LoadImages(image(skin.GetBtnBrowsImage(0)), image(skin.GetBtnBrowsImage(2)),
        image(skin.GetBtnBrowsImage(1)), image(skin.GetBtnBrowsImage(3)));
    connect(m_browseButton, &CGdiButton::clicked, this, &CAddNewDlg::OnBnClickedBrowse);

    m_nameCaption = caption(kIdNameCaption, Span(10, 44, 160, 68), texts.GetAdCaptionProjectName());
    m_nameEdit = edit(kIdName, Span(160, 44, 360, 68));
    m_nameEdit->SetInputType(0);
    m_nameEdit->SetInputTextMode(0);
    m_nameEdit->SetEnableChar(kRefusedNameCharacters);
    m_nameEdit->setMaxLength(kMaxNameLength);

    m_timeCaption = caption(kIdTimeCaption, Span(10, 78, 160, 102), texts.GetAdCaptionProjectTime());
    m_timeEdit = edit(kIdTime, Span(160, 78, 360, 102));
    m_timeEdit->SetInputType(3);
    m_timeEdit->setAlignment(Qt::AlignCenter);
    m_timeEdit->SetTimeMax(kMaxPlayTime);
    m_timeEdit->SetTimeRangeErrMsg(dialog_services::Messages().GetMessage(kMsgTimeRange));
    m_timeEdit->SetWindowTime(int64_t(m_playTime));
    m_timeEdit->installEventFilter(this);

    m_okButton = button(kIdOk, Span(310, 122, 380, 152), texts.GetAdBtnOk());
    m_cancelButton = button(kIdCancel, Span(405, 122, 475, 152), texts.GetAdBtnCancel());
    for (CGdiButton* widget : { m_okButton, m_cancelButton })
        widget->LoadImages(image(skin.GetButton2Image(0)), image(skin.GetButton2Image(2)),
            image(skin.GetButton2Image(3)), image(skin.GetButton2Image(1)));
    m_okButton->setDefault(true);
    connect(m_okButton, &CGdiButton::clicked, this, &CAddNewDlg::OnBnClickedOk);
    connect(m_cancelButton, &CGdiButton::clicked, this, &QDialog::reject);
    m_nameEdit->setFocus();
}

int CAddNewDlg::Message(int messageId, unsigned type)
{
    return dialog_services::ShowMessage(messageId, type);
}

void CAddNewDlg::OnBnClickedBrowse()
{
    const std::optional<QString> picked = platform::DialogService().FolderName(QString(), m_folder);
    if (picked && m_folderEdit)
        m_folderEdit->setText(*picked);
}

void CAddNewDlg::OnBnClickedOk()
{
    if (!m_initialised)
        InitDialog();
    const QString folder = m_folderEdit->text();
    const QString name = m_nameEdit->text();
    // The flows name the project after the text before its first '.', so that is what is
    // checked: the file asked about is the file that will be written.
    const QString projectName = CutAtFirstDot(name);
    const unsigned warning = platform::MB_OK | platform::MB_ICONWARNING;
    if (folder.isEmpty()) {
        Message(kMsgNoFolder, warning);
        m_folderEdit->setFocus();
        return;
    }
    if (!QFileInfo::exists(folder)) {
        Message(kMsgFolderMissing, warning);
        m_folderEdit->setFocus();
        return;
    }
    if (projectName.isEmpty() || !IsUsableProjectName(projectName)) {
        Message(kMsgNoName, warning);
        m_nameEdit->setFocus();
        return;
    }
    if (m_mode == kModeSaveAs && !m_currentProjectName.isEmpty()
        && projectName.compare(CutAtFirstDot(m_currentProjectName), Qt::CaseInsensitive) == 0) {
        Message(kMsgSameName, warning);
        m_nameEdit->setFocus();
        return;
    }
    const int64_t time = m_timeEdit->GetWindowTime();
    if (time == 0) {
        Message(kMsgNoTime, warning);
        m_timeEdit->setFocus();
        return;
    }
    if (time < 0) {
        Message(kMsgNegativeTime, warning);
        m_timeEdit->SetWindowTime(int64_t(0));
        m_timeEdit->setFocus();
        return;
    }
    if (time > kMaxPlayTime) {
        Message(kMsgTimeTooLong, warning);
        m_timeEdit->SetWindowTime(int64_t(kMaxPlayTime));
        m_timeEdit->setFocus();
        return;
    }
    if (QFileInfo::exists(platform::JoinPath(folder, QString(projectName + QStringLiteral(".kdp"))))
        && Message(kMsgOverwrite, platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES)
        return;
    m_folder = folder;
    m_projectName = name;
    m_playTime = int32_t(time);
    accept();
}

bool CAddNewDlg::eventFilter(QObject* watched, QEvent* event)
{
    // Tab or Enter in the play-time field first normalises the typed time.
    if (watched == m_timeEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_timeEdit->SetWindowTime(m_timeEdit->GetWindowTime());
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                OnBnClickedOk();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CAddNewDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), dialog_services::Color(CSkinIni::COLOR_SETTING_BK));
}
