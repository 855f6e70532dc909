#include "itempanel/item_page.h"

#include "controls/gdi_combo_box.h"
#include "controls/msk_edit.h"
#include "core/constant_tables.h"
#include "core/dialog_services.h"
#include "core/message_catalog.h"
#include "itempanel/item_panel_messages.h"
#include "platform/paths.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

namespace itempanel {

namespace {

// The range message of every time edit: "%s" .. "%s" the allowed times.
constexpr int kMsgTimeRange = 118;
constexpr int kDroppedWidth = 232;

// A modal window other than the field's own is open: the focus went to it (a message box the
// field itself shows, or one opening meanwhile), not somewhere the user chose.
bool IsOtherModalWindowOpen(const QWidget& field)
{
    const QWidget* modal = QApplication::activeModalWidget();
    return modal && modal != field.window();
}

} // namespace

CPageLabel::CPageLabel(QWidget* parent)
    : QLabel(parent)
{
}

void CPageLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), platform::ToQColor(m_backColor));
    if (m_border) {
        painter.setPen(QColor(43, 43, 43));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    painter.setPen(platform::ToQColor(m_textColor));
    // A caption wider than its column is drawn narrower rather than cut: the skin's fonts were
    // chosen for a narrow UI face, and the Japanese face drawn here is wider.
    const QRect area = rect().adjusted(3, 0, -3, 0);
    QFont shown = font();
    const int needed = QFontMetrics(shown).horizontalAdvance(text());
    if (needed > area.width() && needed > 0)
        shown.setStretch(std::max(50, 100 * area.width() / needed));
    painter.setFont(shown);
    painter.drawText(area, int(alignment()) | Qt::TextSingleLine, text());
}

CItemPage::CItemPage(QWidget* parent)
    : QWidget(parent)
    , m_settingBack(dialog_services::ColorRef(CSkinIni::COLOR_SETTING_BK))
    , m_editBack(dialog_services::ColorRef(CSkinIni::COLOR_EDIT_BK))
    , m_textColor(dialog_services::ColorRef(CSkinIni::COLOR_TEXT))
    , m_separatorLine(dialog_services::ColorRef(CSkinIni::COLOR_SEPARATE_LINE))
    , m_separatorShadow(dialog_services::ColorRef(CSkinIni::COLOR_SEPARATE_LINE_SD))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QWidget* CItemPage::Item(int id) const
{
    const auto found = m_items.find(id);
    return found == m_items.end() ? nullptr : found->second;
}

void CItemPage::Register(int id, QWidget* control)
{
    m_items[id] = control;
}

CPageLabel* CItemPage::AddCaption(int id, const QString& text, const controls::WinRect& rect)
{
    auto* label = new CPageLabel(this);
    label->setGeometry(rect.ToQRect());
    label->setText(text);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFont(dialog_services::Font(CSkinIni::kGetSettingCaptionFont));
    label->m_backColor = m_settingBack;
    label->m_textColor = m_textColor;
    Register(id, label);
    return label;
}

CPageLabel* CItemPage::AddValueText(
    int id, const controls::WinRect& rect, bool bordered, Qt::Alignment alignment)
{
    auto* label = new CPageLabel(this);
    label->setGeometry(rect.ToQRect());
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setFont(dialog_services::Font(CSkinIni::kGetSettingControlFont));
    label->m_backColor = m_editBack;
    label->m_textColor = m_textColor;
    label->m_border = bordered;
    Register(id, label);
    return label;
}

CMskEdit* CItemPage::AddTimeEdit(int id, const controls::WinRect& rect)
{
    auto* edit = new CMskEdit(this);
    edit->setGeometry(rect.ToQRect());
    edit->SetInputType(3);
    edit->SetTimeMax(kMaxTypedTime);
    edit->SetTimeRangeErrMsg(dialog_services::Messages().GetMessage(kMsgTimeRange));
    edit->SetBkColor(m_editBack);
    edit->setFont(dialog_services::Font(CSkinIni::kGetSettingControlFont));
    edit->SetWindowTime(int64_t(0));
    Register(id, edit);
    return edit;
}

CGdiComboBox* CItemPage::AddCombo(int id, const controls::WinRect& rect)
{
    auto* combo = new CGdiComboBox(this);
    combo->setGeometry(rect.ToQRect());
    const CSkinIni& skin = dialog_services::Skin();
    combo->LoadImages(SkinImage(skin.GetBtnPulldownImage(0)), SkinImage(skin.GetBtnPulldownImage(1)),
        SkinImage(skin.GetBtnPulldownImage(3)));
    combo->m_backColor = m_editBack;
    combo->SetDroppedWidth(kDroppedWidth);
    combo->setFont(dialog_services::Font(CSkinIni::kGetSettingControlFont));
    Register(id, combo);
    return combo;
}

void CItemPage::AddItemHeader(const HeaderIds& ids, const HeaderTexts& texts)
{
    AddCaption(ids.faceCaption, texts.face, { 0, 0, 75, 24 });
    m_headerFace = AddValueText(ids.face, { 80, 0, 292, 24 }, true, Qt::AlignRight);
    AddCaption(ids.startCaption, texts.start, { 0, 28, 75, 52 });
    m_headerStart = AddTimeEdit(ids.startEdit, { 81, 28, 293, 52 });
    m_headerStart->setReadOnly(true);
    m_headerStart->setAlignment(Qt::AlignRight);
    m_headerStart->SetTextColor(m_textColor);
    m_headerStart->hide();
    m_headerStartText = AddValueText(ids.startText, { 81, 28, 292, 52 }, false, Qt::AlignRight);
    AddCaption(ids.playCaption, texts.play, { 0, 56, 75, 80 });
    m_headerPlay = AddTimeEdit(ids.playEdit, { 81, 56, 293, 80 });
    m_headerPlay->setReadOnly(true);
    m_headerPlay->setAlignment(Qt::AlignRight);
    m_headerPlay->SetTextColor(m_textColor);
    m_headerPlay->hide();
    m_headerPlayText = AddValueText(ids.playText, { 81, 56, 292, 80 }, false, Qt::AlignRight);
    AddSeparatorBelow(AddCaption(ids.modeCaption, texts.mode, { 0, 84, 75, 108 }));
    m_headerMode = AddValueText(ids.mode, { 80, 84, 292, 108 }, true, Qt::AlignLeft);
}

void CItemPage::ShowItemHeader(int32_t faceNo, int32_t start, int32_t playTime, int32_t kind)
{
    m_headerFace->setText(QStringLiteral("%1 ").arg(faceNo));
    m_headerStart->SetWindowTime(int64_t(start));
    m_headerPlay->SetWindowTime(int64_t(playTime));
    m_headerStartText->setText(m_headerStart->text() + u' ');
    m_headerPlayText->setText(m_headerPlay->text() + u' ');
    const QString name = MediaKindName(kind);
    m_headerMode->setText(name.isEmpty() ? QString() : u' ' + name);
}

void CItemPage::ClearItemHeader()
{
    m_headerFace->setText(QString());
    m_headerMode->setText(QString());
    m_headerStartText->setText(QString());
    m_headerPlayText->setText(QString());
    m_headerStart->SetWindowTime(int64_t(0));
    m_headerPlay->SetWindowTime(int64_t(0));
}

bool CItemPage::IsHeaderBlank() const
{
    return m_headerFace->text().trimmed().isEmpty();
}

void CItemPage::AddSeparatorBelow(const QWidget* control)
{
    m_separatorsBelow.push_back(control);
}

QString CItemPage::SettingFilePath(const QString& folder, QStringView name)
{
    QString trimmed = folder;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    return platform::JoinPath(trimmed, name);
}

QString CItemPage::SkinImage(const QString& imageName) const
{
    return dialog_services::SkinImagePath(m_skinFolder, imageName);
}

void CItemPage::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), platform::ToQColor(m_settingBack));
    for (const QWidget* control : m_separatorsBelow) {
        const int bottom = control->geometry().bottom() + 1;
        painter.setPen(platform::ToQColor(m_separatorShadow));
        painter.drawLine(0, bottom + 7, width() - 1, bottom + 7);
        painter.setPen(platform::ToQColor(m_separatorLine));
        painter.drawLine(0, bottom + 8, width() - 1, bottom + 8);
    }
}

void CItemPage::keyPressEvent(QKeyEvent* event)
{
    // Escape and Enter never close anything from a page.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CItemPage::CheckOnCommit(QLineEdit* edit, std::function<void()> check)
{
    m_checks[edit] = std::move(check);
    edit->installEventFilter(this);
}

void CItemPage::RunCheck(QLineEdit* edit)
{
    const auto found = m_checks.find(edit);
    if (m_checking || found == m_checks.end())
        return;
    m_checking = true;
    edit->setModified(false);
    found->second();
    m_checking = false;
}

bool CItemPage::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && m_checks.count(edit)) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool commitKey = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab
                || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (commitKey && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
                RunCheck(edit);
        } else if (event->type() == QEvent::FocusOut) {
            const auto* focus = static_cast<QFocusEvent*>(event);
            if (focus->reason() != Qt::PopupFocusReason && !IsOtherModalWindowOpen(*edit)
                && edit->isModified())
                RunCheck(edit);
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace itempanel
