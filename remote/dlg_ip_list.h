#pragma once

#include <QDialog>
#include <QStringList>

class CGdiListCtrl;
class CLanguageIni;

// The list of connected editors: a snapshot of their addresses, numbered from 1, taken when the
// dialog opens.
class CDlgIpList : public QDialog {
    Q_OBJECT

public:
    CDlgIpList(const CLanguageIni& language, const QStringList& addresses, QWidget* parent = nullptr);

    CGdiListCtrl& List() const { return *m_list; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CGdiListCtrl* m_list = nullptr;
};
