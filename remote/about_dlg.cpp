#include "remote/about_dlg.h"

#include "remote/language_ini.h"
#include "remote/remote_images.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

CAboutDlg::CAboutDlg(const CLanguageIni& language, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(language.GetText(VERSION_TITLE));
    setFont(QFont(QStringLiteral("MS UI Gothic"), 9));
    setFixedSize(298, 93);
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap::fromImage(PaintRemoteIcon()));
    icon->setGeometry(18, 18, 32, 32);
    auto* name = new QLabel(language.GetText(HELP_CAPTION), this);
    name->setObjectName(QStringLiteral("4000"));
    name->setGeometry(70, 18, 150, 16);
    auto* version = new QLabel(QStringLiteral("Version 1.0.1.1"), this);
    version->setGeometry(70, 39, 150, 16);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(228, 12, 56, 24);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
