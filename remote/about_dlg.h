#pragma once

#include <QDialog>

class CLanguageIni;

// The version box: the program's icon, its name and its version.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(const CLanguageIni& language, QWidget* parent = nullptr);
};
