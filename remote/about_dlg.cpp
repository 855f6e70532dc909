#include "remote/about_dlg.h"

#include "platform/file_version.h"
#include "remote/language_ini.h"
#include "remote/remote_images.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

// "Version 1.0.1.1" with the program's stamp; "Version" alone for a program without one.
QString VersionLine(const QString& programFile)
{
    const auto version = platform::ReadFileVersion(programFile);
    if (!version)
        return QStringLiteral("Version");
    const auto& parts = *version;
    return QStringLiteral("Version %1.%2.%3.%4").arg(parts[0]).arg(parts[1]).arg(parts[2]).arg(parts[3]);
}

} // namespace

CAboutDlg::CAboutDlg(const CLanguageIni& language, QWidget* parent, const QString& programFile)
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
    auto* version = new QLabel(
        VersionLine(programFile.isEmpty() ? QCoreApplication::applicationFilePath() : programFile), this);
    version->setObjectName(QStringLiteral("version"));
    version->setGeometry(70, 39, 150, 16);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(228, 12, 56, 24);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
