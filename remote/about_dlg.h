#pragma once

#include <QDialog>

class CLanguageIni;

// The version box: the program's icon, its name and its version, the one the build stamped into
// the program file (the running program's unless another file is named).
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(
        const CLanguageIni& language, QWidget* parent = nullptr, const QString& programFile = QString());
};
