#include "view/startup_dlg.h"

#include "controls/gdi_button.h"
#include "core/dialog_services.h"
#include "core/language_data.h"
#include "platform/win_color.h"

#include <QGuiApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

namespace {

constexpr int kMargin = 20;
constexpr int kButtonHeight = 36;
constexpr int kCaptionHeight = 24;
constexpr int kLineHeight = 20;

} // namespace

CStartupDlg::CStartupDlg(QWidget* parent)
    : QDialog(parent)
    , m_buttonFont(dialog_services::Font(CSkinIni::kGetStartupDlgButtonFont))
    , m_titleFont(dialog_services::Font(CSkinIni::kGetStartupDlgTitleFont))
    , m_listFont(dialog_services::Font(CSkinIni::kGetStartupDlgListFont))
{
    setWindowFlags((windowFlags() & ~Qt::WindowContextHelpButtonHint) | Qt::WindowStaysOnTopHint);
}

CStartupDlg::~CStartupDlg() = default;

void CStartupDlg::showEvent(QShowEvent* event)
{
    if (!m_initialised)
        InitDialog();
    QDialog::showEvent(event);
}

void CStartupDlg::InitDialog()
{
    if (m_initialised)
        return;
    m_initialised = true;
    setFixedSize(kWidth, kHeight);
    CreateControls();
    FillList();
    if (const QScreen* desktop = screen() ? screen() : QGuiApplication::primaryScreen())
        move(desktop->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void CStartupDlg::CreateControls()
{
    const CLanguageData& texts = dialog_services::Language();
    const CSkinIni& skin = dialog_services::Skin();
    setWindowTitle(texts.GetStTitle());
    const int right = width() - kMargin;
    const auto button = [&](int id, int top, const QString& text) {
        auto* widget = new CGdiButton(text, this);
        widget->setProperty("controlId", id);
        widget->setGeometry(kMargin, top, right - kMargin, kButtonHeight);
        widget->m_font = m_buttonFont;
        widget->setFocusPolicy(Qt::StrongFocus);
        widget->LoadImages(skin.ImageFilePath(skin.GetButton1Image(0)),
            skin.ImageFilePath(skin.GetButton1Image(2)), skin.ImageFilePath(skin.GetButton1Image(3)),
            skin.ImageFilePath(skin.GetButton1Image(1)));
        widget->show();
        return widget;
    };
    m_newButton = button(kIdNew, kMargin, texts.GetStBtnNew());
    m_openButton = button(kIdOpen, m_newButton->geometry().bottom() + 1 + kMargin, texts.GetStBtnOpen());
    connect(m_newButton, &CGdiButton::clicked, this, &CStartupDlg::OnNewProject);
    connect(m_openButton, &CGdiButton::clicked, this, &CStartupDlg::OnOpenProject);

    const QColor text = dialog_services::Color(CSkinIni::COLOR_TEXT);
    m_caption = new QLabel(texts.GetStCaptionProject(), this);
    m_caption->setProperty("controlId", int(kIdCaption));
    m_caption->setGeometry(
        kMargin, m_openButton->geometry().bottom() + 1 + kMargin, right - kMargin, kCaptionHeight);
    m_caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_caption->setFont(m_titleFont);
    QPalette captionPalette = m_caption->palette();
    captionPalette.setColor(QPalette::WindowText, text);
    m_caption->setPalette(captionPalette);
    m_caption->show();

    m_list = new QListWidget(this);
    m_list->setProperty("controlId", int(kIdList));
    const int listTop = m_caption->geometry().bottom() + 1 + 10;
    m_list->setGeometry(kMargin, listTop, right - kMargin, height() - 10 - listTop);
    m_list->setFont(m_listFont);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setUniformItemSizes(true);
    QPalette listPalette = m_list->palette();
    listPalette.setColor(QPalette::Base, dialog_services::Color(CSkinIni::COLOR_EDIT_BK));
    listPalette.setColor(QPalette::Text, text);
    m_list->setPalette(listPalette);
    m_list->viewport()->installEventFilter(this);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CStartupDlg::OnDblclkRecentList);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CStartupDlg::OnSelchangeRecentList);
    m_list->show();
}

void CStartupDlg::FillList()
{
    m_list->clear();
    // The newest project, at the end of the history, is line 1.
    int number = 1;
    for (qsizetype index = m_history.size() - 1; index >= 0; --index, ++number) {
        auto* line = new QListWidgetItem(QStringLiteral("%1.%2").arg(number, 2).arg(m_history[index]));
        line->setData(Qt::UserRole, int(index));
        line->setSizeHint(QSize(0, kLineHeight));
        m_list->addItem(line);
    }
}

void CStartupDlg::OnNewProject()
{
    m_result = kNewProject;
    accept();
}

void CStartupDlg::OnOpenProject()
{
    m_result = kOpenProject;
    accept();
}

void CStartupDlg::OnDblclkRecentList()
{
    const QListWidgetItem* line = m_list ? m_list->currentItem() : nullptr;
    if (!line || !line->isSelected())
        return;
    bool valid = false;
    const int index = line->data(Qt::UserRole).toInt(&valid);
    if (!valid || index < 0 || index >= m_history.size())
        return;
    m_result = kRecentProject;
    m_path = m_history[index];
    accept();
}

void CStartupDlg::OnSelchangeRecentList()
{
    const QListWidgetItem* line = m_list->currentItem();
    bool valid = false;
    const int index = line ? line->data(Qt::UserRole).toInt(&valid) : -1;
    m_list->setToolTip(valid && index >= 0 && index < m_history.size() ? m_history[index] : QString());
}

bool CStartupDlg::eventFilter(QObject* watched, QEvent* event)
{
    // The full path shows only while the pointer is over the selected line.
    if (m_list && watched == m_list->viewport() && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QListWidgetItem* under = m_list->itemAt(help->pos());
        if (under && under->isSelected() && !m_list->toolTip().isEmpty())
            QToolTip::showText(
                help->globalPos(), m_list->toolTip(), m_list->viewport(), m_list->visualItemRect(under));
        else
            QToolTip::hideText();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CStartupDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), dialog_services::Color(CSkinIni::COLOR_SETTING_BK));
}
