#include "core/version_dlg.h"

#include "controls/gdi_button.h"
#include "core/kaleidra_app.h"
#include "core/language_data.h"
#include "core/product_picture.h"
#include "core/skin_font.h"
#include "core/skin_ini.h"
#include "platform/file_version.h"
#include "platform/win_color.h"

#include <QCoreApplication>
#include <QPainter>
#include <QScreen>

VersionDlgLayout ComputeVersionDlgLayout()
{
    constexpr int width = CVersionDlg::kWidth;
    constexpr int height = CVersionDlg::kHeight;
    VersionDlgLayout layout;
    layout.client = QSize(width, height);
    // Rectangles as (left, top) to (right, bottom), right and bottom exclusive.
    const auto span = [](int left, int top, int right, int bottom) {
        return QRect(left, top, right - left, bottom - top);
    };
    layout.okButton = span(width - 105, height - 30, width - 5, height - 5);
    layout.picture = span(5, 5, 5 + width - 10, 5 + (width / 25) * 12);
    layout.versionText = span(width - 190, 180, width - 10, 200);
    return layout;
}

QString FormatVersionText(const std::optional<std::array<uint16_t, 4>>& version)
{
    if (!version)
        return QStringLiteral("Version");
    const auto& parts = *version;
    return QStringLiteral("Version  %1. %2. %3. %4").arg(parts[0]).arg(parts[1]).arg(parts[2]).arg(parts[3]);
}

CVersionDlg::CVersionDlg(QWidget* parent, const QString& programFile)
    : QDialog(parent)
{
    const CKaleidraApp* app = KaleidraApp();
    const CSkinIni* skin = ApplicationSkin();
    const CSkinIni defaultSkin;
    const CSkinIni& look = skin ? *skin : defaultSkin;
    const CLanguageData defaultTexts;
    const CLanguageData& texts = app && app->Language() ? *app->Language() : defaultTexts;

    m_font = MakeSkinFont(look.GetFontFace(CSkinIni::kGetVersionDlgControlFont),
        look.GetFontSize(CSkinIni::kGetVersionDlgControlFont), app ? app->FontScaleX() : 1.0,
        screen() ? screen()->logicalDotsPerInchX() : 96.0);

    const VersionDlgLayout layout = ComputeVersionDlgLayout();
    setFixedSize(layout.client);
    setWindowTitle(texts.GetVdTitle());

    m_okButton = new CGdiButton(texts.GetVdBtnOk(), this);
    m_okButton->setProperty("controlId", kOkButtonId);
    m_okButton->setFocusPolicy(Qt::StrongFocus);
    m_okButton->LoadImages(look.ImageFilePath(look.GetButton2Image(0)),
        look.ImageFilePath(look.GetButton2Image(2)), look.ImageFilePath(look.GetButton2Image(3)),
        look.ImageFilePath(look.GetButton2Image(1)));
    m_okButton->m_font = m_font;
    m_okButton->setGeometry(layout.okButton);
    m_okButton->setDefault(true);
    connect(m_okButton, &CGdiButton::clicked, this, &QDialog::accept);

    m_picture = LoadProductPicture(skin);
    const QString program = programFile.isEmpty() ? QCoreApplication::applicationFilePath() : programFile;
    m_versionText = FormatVersionText(platform::ReadFileVersion(program));

    if (const QScreen* desktop = screen())
        move(desktop->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void CVersionDlg::paintEvent(QPaintEvent*)
{
    const CSkinIni* skin = ApplicationSkin();
    const CSkinIni defaultSkin;
    const CSkinIni& look = skin ? *skin : defaultSkin;
    const VersionDlgLayout layout = ComputeVersionDlgLayout();
    QPainter painter(this);
    painter.fillRect(rect(), platform::ToQColor(look.GetColor(CSkinIni::COLOR_SETTING_BK)));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(layout.picture, m_picture);
    painter.setFont(m_font);
    painter.setPen(platform::ToQColor(look.GetColor(CSkinIni::COLOR_TEXT)));
    painter.drawText(layout.versionText, Qt::AlignCenter | Qt::TextSingleLine, m_versionText);
}
