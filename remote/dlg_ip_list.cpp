#include "remote/dlg_ip_list.h"

#include "remote/gdi_list_ctrl.h"
#include "remote/language_ini.h"

#include <QPainter>

CDlgIpList::CDlgIpList(const CLanguageIni& language, const QStringList& addresses, QWidget* parent)
    : QDialog(parent)
    , m_list(new CGdiListCtrl(this))
{
    setWindowTitle(language.GetText(CONNECTLIST_TITLE));
    setFont(QFont(QStringLiteral("メイリオ"), 9));
    setFixedSize(242, 176);
    m_list->setObjectName(QStringLiteral("1003"));
    m_list->setGeometry(12, 16, 217, 144);
    m_list->InsertColumn(0, QStringLiteral("No"), CGdiHeaderCtrl::kFormatCenter, 40);
    m_list->InsertColumn(1, language.GetText(IPADDRESS_CAPTION), CGdiHeaderCtrl::kFormatCenter, 172);
    m_list->SetSortFlag(0, CGdiListCtrl::SortNumber);
    m_list->SetSortFlag(1, CGdiListCtrl::SortAddress);
    for (int row = 0; row < addresses.size(); ++row) {
        m_list->SetItem(row, 0, QString::number(row + 1));
        m_list->SetItem(row, 1, addresses[row]);
    }
}

void CDlgIpList::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(128, 128, 128));
}
