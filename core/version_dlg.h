#pragma once

#include <QDialog>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <optional>

class CGdiButton;

// Where the version window puts its parts, in client coordinates of its fixed size.
struct VersionDlgLayout {
    QSize client;
    QRect okButton;
    QRect picture;
    QRect versionText;
};
VersionDlgLayout ComputeVersionDlgLayout();

// "Version  1. 6. 1. 5" from the four parts of a stamped file version; "Version" alone when the
// program carries none.
QString FormatVersionText(const std::optional<std::array<uint16_t, 4>>& version);

// The help menu's version window: the product picture, the program's stamped version and an
// OK button. Modal.
class CVersionDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kOkButtonId = 1600;
    static constexpr int kWidth = 516;
    static constexpr int kHeight = 318;

    // programFile: the program whose version is shown; the running one when empty.
    explicit CVersionDlg(QWidget* parent = nullptr, const QString& programFile = QString());

    QString VersionText() const { return m_versionText; }
    CGdiButton* OkButton() const { return m_okButton; }
    const QImage& Picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CGdiButton* m_okButton = nullptr;
    QFont m_font;
    QImage m_picture;
    QString m_versionText;
};
