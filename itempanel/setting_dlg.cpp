#include "itempanel/setting_dlg.h"

#include "controls/gdi_button.h"
#include "core/dialog_services.h"
#include "core/language_data.h"
#include "itempanel/effect_dlg.h"
#include "itempanel/filter_dlg.h"
#include "itempanel/in_out_slider.h"
#include "itempanel/page_dlg.h"
#include "itempanel/propety_dlg.h"
#include "itempanel/setting_dlg_owner.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QWheelEvent>

using namespace itempanel;

namespace {

// The right side of the frame.
const QColor kFrameLineColor(52, 52, 52);
constexpr int kTabWidth = 82;
constexpr int kTabHeight = 29;
constexpr int kWheelStep = 10;

} // namespace

CSettingDlg::CSettingDlg(CSettingDlgOwner* owner, QWidget* parent)
    : QWidget(parent, Qt::Tool)
    , m_owner(owner)
{
    // The pages exist from the start, so that the view can set them up before the window is
    // built; their controls come with Create.
    m_pageHolder = new CPageDlg(this);
    m_propertyPage = new CPropetyDlg(m_pageHolder);
    m_effectPage = new CEffectDlg(m_pageHolder);
    m_filterPage = new CFilterDlg(m_pageHolder);
    for (QWidget* page : std::initializer_list<QWidget*> { m_propertyPage, m_effectPage, m_filterPage })
        page->hide();
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CSettingDlg::~CSettingDlg() = default;

void CSettingDlg::Create()
{
    if (m_initialised)
        return;
    setWindowIcon(QApplication::windowIcon());
    m_frame.Load(m_skinFolder);
    setMinimumSize(kWidth, kMinimumHeight);
    setMaximumWidth(kWidth);
    resize(kWidth, std::max(height(), 600));
    BuildControls();
    m_initialised = true;
}

CGdiButton* CSettingDlg::TabButton(int tab) const
{
    return tab >= 0 && tab < int(m_tabs.size()) ? m_tabs[size_t(tab)] : nullptr;
}

QRect CSettingDlg::PageHolderRect() const
{
    const int x = 2 + m_frame.SizeOf(CFramePieces::LeftTop).width();
    const int y = kFrameTop + m_frame.SizeOf(CFramePieces::LeftTop).height();
    const int bottom = height() - 2 - m_frame.SizeOf(CFramePieces::LeftUnder).height();
    return QRect(x, y, width() - 3 - x, bottom - y);
}

void CSettingDlg::BuildControls()
{
    setWindowTitle(dialog_services::Language().GetSdTitle());
    const CSkinIni& skin = dialog_services::Skin();
    const std::array<QString (CSkinIni::*)(int) const, 3> images
        = { &CSkinIni::GetTabPropertyImage, &CSkinIni::GetTabEffectsImage, &CSkinIni::GetTabFilterImage };
    for (int tab = 0; tab < 3; ++tab) {
        auto* button = new CGdiButton(this);
        button->setGeometry(7 + kTabWidth * tab, 2, kTabWidth, kTabHeight);
        const auto image = [&](int state) {
            return dialog_services::SkinImagePath(m_skinFolder, (skin.*images[size_t(tab)])(state));
        };
        // Normal, over, pressed, disabled, and the over picture for the tab that is on.
        button->LoadCheckImages(image(0), image(2), image(3), image(1), image(2));
        connect(button, &QAbstractButton::clicked, this, [this, tab] { SelectTab(tab); });
        button->show();
        m_tabs[size_t(tab)] = button;
    }

    m_pageHolder->setGeometry(PageHolderRect());
    m_pageHolder->show();
    m_propertyPage->m_skinFolder = m_skinFolder;
    m_propertyPage->m_projectFolder = m_workFolder;
    m_propertyPage->SetOwner(this);
    m_propertyPage->Create(m_pageHolder);
    m_effectPage->m_skinFolder = m_skinFolder;
    m_effectPage->m_settingFolder = m_settingFolder;
    m_effectPage->SetOwner(this);
    m_effectPage->Create(m_pageHolder);
    m_filterPage->m_skinFolder = m_skinFolder;
    m_filterPage->m_settingFolder = m_settingFolder;
    m_filterPage->SetOwner(this);
    m_filterPage->Create(m_pageHolder);
    m_pageHolder->SetPage(0, m_propertyPage);
    m_pageHolder->SetPage(1, m_effectPage);
    m_pageHolder->SetPage(2, m_filterPage);
    m_pageHolder->CreateScrollBar();
    WatchPageControls(m_pageHolder);
}

void CSettingDlg::WatchPageControls(QWidget* widget)
{
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>())
        child->installEventFilter(this);
}

void CSettingDlg::SetProject(const QString& projectName, int projectKind)
{
    m_projectName = projectName;
    m_projectKind = projectKind;
    m_propertyPage->m_projectName = projectName;
    m_propertyPage->m_projectKind = projectKind;
}

void CSettingDlg::SetLastFolders(
    const QString& image, const QString& movie, const QString& sound, const QString& mask)
{
    m_propertyPage->m_lastImageFolder = image;
    m_propertyPage->m_lastMovieFolder = movie;
    m_propertyPage->m_lastSoundFolder = sound;
    m_propertyPage->m_lastMaskFolder = mask;
}

void CSettingDlg::ShowPanel()
{
    show();
    raise();
}

void CSettingDlg::SelectTab(int tab)
{
    if (tab < 0 || tab > 2)
        return;
    const auto check = [this](int on) {
        for (int i = 0; i < 3; ++i) {
            if (m_tabs[size_t(i)])
                m_tabs[size_t(i)]->SetCheckState(i == on ? 1 : 0);
        }
    };
    check(tab);
    if (m_pageHolder->ShowPage(tab))
        m_currentTab = tab;
    else
        check(m_currentTab);
}

const CEffectIni* CSettingDlg::EffectTable() const
{
    return &m_effectPage->Table();
}

void CSettingDlg::SetLock(int32_t lock)
{
    m_propertyPage->SetLock(lock != 0);
    m_effectPage->SetLock(lock != 0);
    m_filterPage->SetLock(lock != 0);
}

// ---- Window ---------------------------------------------------------------------------------------

void CSettingDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), dialog_services::Color(CSkinIni::COLOR_BACKGROUND));
    m_frame.Draw(painter, rect(), kFrameTop, kFrameLineColor);
}

void CSettingDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!m_initialised)
        return;
    m_pageHolder->setGeometry(PageHolderRect());
    update();
}

void CSettingDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->key() == Qt::Key_Z) {
            OnUndoKey();
            return;
        }
        if (event->key() == Qt::Key_Y) {
            OnRedoKey();
            return;
        }
    }
    // Escape hides the panel, keeping what it shows; Enter does nothing.
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    QWidget::keyPressEvent(event);
}

void CSettingDlg::closeEvent(QCloseEvent* event)
{
    // The close box hides the panel; it lives as long as the view.
    event->ignore();
    hide();
}

bool CSettingDlg::eventFilter(QObject* watched, QEvent* event)
{
    // A wheel turn anywhere over the pages scrolls the page holder, 10 pixels a notch; the
    // IN/OUT bar's slider keeps the wheel to itself (its page ignores it there).
    if (event->type() == QEvent::Wheel) {
        auto* widget = qobject_cast<QWidget*>(watched);
        CInOutSlider* bar = m_propertyPage->InOutBar();
        if (widget && bar && (widget == bar || bar->isAncestorOf(widget)))
            return false;
        const auto* wheel = static_cast<QWheelEvent*>(event);
        m_pageHolder->ScrollBy(wheel->angleDelta().y() > 0 ? -kWheelStep : kWheelStep);
        event->accept();
        return true;
    }
    // Ctrl+Z and Ctrl+Y are the view's undo and redo whichever control of the pages has the key;
    // a text field first undoes its own typing and passes the key on when it has none.
    if (event->type() == QEvent::KeyPress && !qobject_cast<QLineEdit*>(watched)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers().testFlag(Qt::ControlModifier)
            && (key->key() == Qt::Key_Z || key->key() == Qt::Key_Y)) {
            key->key() == Qt::Key_Z ? OnUndoKey() : OnRedoKey();
            event->accept();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
