#include "project/package_path_dlg.h"

#include "controls/gdi_button.h"
#include "controls/msk_edit.h"
#include "core/dialog_services.h"
#include "platform/dialog_service.h"

#include <QPainter>
#include <QScreen>

using namespace dialog_services;

namespace {

constexpr int kEditLeft = 10;
constexpr int kEditRight = 460;
constexpr int kRowHeight = 24;
constexpr int kBrowseWidth = 24;
constexpr int kEditOffset = 29;

} // namespace

CPackagePathDlg::CPackagePathDlg(int width, int height, QWidget* parent)
    : QDialog(parent)
{
    setFixedSize(width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QWidget* CPackagePathDlg::Item(int id) const
{
    const auto found = m_items.find(id);
    return found == m_items.end() ? nullptr : found->second;
}

void CPackagePathDlg::setVisible(bool visible)
{
    if (visible)
        InitDialog();
    QDialog::setVisible(visible);
}

void CPackagePathDlg::InitDialog()
{
    if (m_initialised)
        return;
    m_initialised = true;
    CreateControls();
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

CMskEdit* CPackagePathDlg::AddPathRow(
    const PathRow& row, const Fonts& fonts, std::function<std::optional<QString>()> browse)
{
    const CSkinIni& skin = Skin();
    m_items[row.captionId] = MakeCaption(this, row.captionId, row.caption,
        QRect(kEditLeft, row.top, kEditRight - kEditLeft, kRowHeight), Font(fonts.comment));

    auto* edit = new CMskEdit(this);
    edit->setObjectName(QString::number(row.editId));
    edit->setGeometry(kEditLeft, row.top + kEditOffset, kEditRight - kEditLeft, kRowHeight);
    edit->SetInputType(0);
    edit->SetInputTextMode(0);
    edit->SetEnableChar(QStringLiteral("?:*\"><|"));
    edit->setReadOnly(true);
    edit->setFont(Font(fonts.control));
    edit->SetBkColor(skin.GetColor(CSkinIni::COLOR_EDIT_BK));
    edit->SetTextColor(skin.GetColor(CSkinIni::COLOR_TEXT));
    m_items[row.editId] = edit;

    auto* button = new CGdiButton(this);
    button->setObjectName(QString::number(row.browseId));
    button->setGeometry(kEditRight, row.top + kEditOffset, kBrowseWidth, kRowHeight);
    button->LoadImages(SkinImagePath(m_skinFolder, skin.GetBtnBrowsImage(0)),
        SkinImagePath(m_skinFolder, skin.GetBtnBrowsImage(2)),
        SkinImagePath(m_skinFolder, skin.GetBtnBrowsImage(3)),
        SkinImagePath(m_skinFolder, skin.GetBtnBrowsImage(1)));
    button->setAutoDefault(false);
    connect(button, &QAbstractButton::clicked, this, [edit, browse = std::move(browse)] {
        if (const std::optional<QString> picked = browse())
            edit->setText(*picked);
    });
    m_items[row.browseId] = button;
    return edit;
}

void CPackagePathDlg::AddButtons(
    int okId, int cancelId, int top, const QString& ok, const QString& cancel, const Fonts& fonts)
{
    const CSkinIni& skin = Skin();
    const auto add = [&](int id, const QString& text, int left) {
        auto* button = new CGdiButton(text, this);
        button->setObjectName(QString::number(id));
        button->setGeometry(left, top, 70, 30);
        button->LoadImages(SkinImagePath(m_skinFolder, skin.GetButton2Image(0)),
            SkinImagePath(m_skinFolder, skin.GetButton2Image(2)),
            SkinImagePath(m_skinFolder, skin.GetButton2Image(3)),
            SkinImagePath(m_skinFolder, skin.GetButton2Image(1)));
        button->m_font = Font(fonts.button);
        button->setAutoDefault(false);
        m_items[id] = button;
        return button;
    };
    CGdiButton* okButton = add(okId, ok, 310);
    // Enter is OK, as in every dialog of the editor.
    okButton->setDefault(true);
    connect(okButton, &QAbstractButton::clicked, this, &CPackagePathDlg::accept);
    connect(add(cancelId, cancel, 405), &QAbstractButton::clicked, this, &CPackagePathDlg::reject);
}

void CPackagePathDlg::accept()
{
    if (CheckAndStore())
        QDialog::accept();
}

void CPackagePathDlg::Refuse(int messageId, int editId)
{
    ShowMessage(messageId, platform::MB_OK);
    if (QWidget* edit = Item(editId))
        edit->setFocus(Qt::OtherFocusReason);
}

void CPackagePathDlg::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), Color(CSkinIni::COLOR_SETTING_BK));
}

std::optional<QString> BrowseFile(const QString& typeName, const QString& extension)
{
    const QString filter = QStringLiteral("%1(*.%2)").arg(typeName, extension);
    return platform::DialogService().OpenFileName(QString(), QString(), filter);
}

std::optional<QString> BrowseFolder()
{
    return platform::DialogService().FolderName(QString(), QString());
}
