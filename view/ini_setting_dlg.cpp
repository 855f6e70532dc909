#include "view/ini_setting_dlg.h"

#include "controls/gdi_button.h"
#include "controls/gdi_combo_box.h"
#include "controls/msk_edit.h"
#include "core/dialog_services.h"
#include "core/kaleidra_app.h"
#include "core/language_data.h"
#include "core/message_catalog.h"
#include "platform/dialog_service.h"
#include "platform/picture_files.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

using namespace dialog_services;

namespace {

constexpr int kAllPages = -1;

QRect Span(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

int32_t Low32(int64_t value)
{
    return int32_t(uint32_t(uint64_t(value)));
}

} // namespace

CIniSettingDlg::CIniSettingDlg(QWidget* parent)
    : QDialog(parent)
{
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CIniSettingDlg::~CIniSettingDlg() = default;

QWidget* CIniSettingDlg::Item(int id) const
{
    const auto found = m_items.find(id);
    return found == m_items.end() ? nullptr : found->second;
}

void CIniSettingDlg::setVisible(bool visible)
{
    if (visible)
        InitDialog();
    QDialog::setVisible(visible);
}

void CIniSettingDlg::InitDialog()
{
    if (m_initialised)
        return;
    m_initialised = true;
    for (int piece = 0; piece < int(m_frame.size()); ++piece) {
        const QString path = SkinImagePath(m_skinFolder, Skin().GetFrameImage(piece));
        m_frame[size_t(piece)] = platform::DecodedPictureFile(path);
    }
    CreateControls();
    ShowPage(0);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

int CIniSettingDlg::DisplayCount() const
{
    if (m_displayCount >= 0)
        return m_displayCount;
    if (CKaleidraApp* app = KaleidraApp()) {
        app->EnumDisplayDevices();
        return int(app->DisplayDevices().size());
    }
    return int(QGuiApplication::screens().size());
}

void CIniSettingDlg::Register(int id, QWidget* control, int page)
{
    control->setObjectName(QString::number(id));
    m_items[id] = control;
    if (page != kAllPages)
        m_pageControls[size_t(page)].push_back(control);
}

CGdiButton* CIniSettingDlg::AddTab(int id, const QRect& rect, int page)
{
    const CSkinIni& skin = Skin();
    const auto image = [&](QString (CSkinIni::*getter)(int) const, int state) {
        return SkinImagePath(m_skinFolder, (skin.*getter)(state));
    };
    const auto getter = page == 0 ? &CSkinIni::GetTabTimeImage
        : page == 1               ? &CSkinIni::GetTabRemoteImage
                                  : &CSkinIni::GetTabViewerImage;
    auto* tab = new CGdiButton(this);
    tab->setGeometry(rect);
    // The selected tab shows its OVER picture.
    tab->LoadCheckImages(
        image(getter, 0), image(getter, 2), image(getter, 3), image(getter, 1), image(getter, 2));
    tab->setAutoDefault(false);
    connect(tab, &QAbstractButton::clicked, this, [this, page] { ShowPage(page); });
    Register(id, tab, kAllPages);
    return tab;
}

CMskEdit* CIniSettingDlg::AddEdit(const QRect& rect)
{
    auto* edit = new CMskEdit(this);
    edit->setGeometry(rect);
    edit->setFont(Font(CSkinIni::kGetIniSettingDlgControlFont));
    edit->SetBkColor(Skin().GetColor(CSkinIni::COLOR_EDIT_BK));
    edit->setAlignment(Qt::AlignCenter);
    return edit;
}

CGdiComboBox* CIniSettingDlg::AddList(const QRect& rect)
{
    const CSkinIni& skin = Skin();
    auto* list = new CGdiComboBox(this);
    list->setGeometry(rect);
    list->LoadImages(SkinImagePath(m_skinFolder, skin.GetBtnPulldownImage(0)),
        SkinImagePath(m_skinFolder, skin.GetBtnPulldownImage(1)),
        SkinImagePath(m_skinFolder, skin.GetBtnPulldownImage(3)));
    list->m_backColor = skin.GetColor(CSkinIni::COLOR_EDIT_BK);
    list->setFont(Font(CSkinIni::kGetIniSettingDlgControlFont));
    return list;
}

void CIniSettingDlg::CreateControls()
{
    const CLanguageData& text = Language();
    const CSkinIni& skin = Skin();
    setWindowTitle(text.GetIdTitle());
    const int w = kWidth;
    const int h = kHeight;
    const QFont captionFont = Font(CSkinIni::kGetIniSettingDlgCaptionFont);
    const QFont commentFont = Font(CSkinIni::kGetIniSettingDlgCommentFont);
    const auto caption = [&](int id, const QString& label, const QRect& rect, const QFont& font, int page) {
        Register(id, MakeCaption(this, id, label, rect, font), page);
    };

    AddTab(IDC_TIME_TAB, Span(10, 2, 92, 31), 0);
    AddTab(IDC_REMOTE_TAB, Span(92, 2, 174, 31), 1);
    AddTab(IDC_PREVIEW_TAB, Span(174, 2, 256, 31), 2);

    // Time page.
    caption(IDC_IMAGE_CAPTION, text.GetIdTimetabCaptionImage(), Span(10, 41, w - 10, 65), captionFont, 0);
    caption(IDC_EFFECT_CAPTION, text.GetIdTimetabCaptionEffect(), Span(10, 99, w - 10, 123), captionFont, 0);
    const QString rangeMessage = Messages().GetMessage(118);
    for (const auto& [id, top, value] : { std::tuple { int(IDC_IMAGE_TIME), 65, m_values.imageDefaultTime },
             std::tuple { int(IDC_EFFECT_TIME), 123, m_values.effectDefaultTime } }) {
        CMskEdit* edit = AddEdit(Span(10, top, w - 10, top + 24));
        edit->SetInputType(3);
        edit->SetTimeMax(kTimeMax);
        edit->SetTimeRangeErrMsg(rangeMessage);
        edit->SetWindowTime(value);
        Register(id, edit, 0);
    }

    // Remote page.
    caption(IDC_ADDRESS_CAPTION, text.GetIdRemotetabCaptionIp(), Span(10, 41, w - 10, 65), captionFont, 1);
    CMskEdit* address = AddEdit(Span(10, 65, w - 10, 89));
    address->SetInputType(0);
    address->SetInputTextMode(1);
    address->SetEnableChar(QStringLiteral("1234567890."));
    address->setMaxLength(15);
    address->setText(m_values.remoteAddress);
    Register(IDC_ADDRESS, address, 1);

    // Preview page.
    caption(IDC_BOOT_CAPTION, text.GetIdPretabCaptionBoot(), Span(10, 41, w - 10, 65), captionFont, 2);
    CGdiComboBox* viewerMode = AddList(Span(10, 65, w - 10, 89));
    viewerMode->addItem(text.GetIdPretabModeDual(), 0);
    viewerMode->addItem(text.GetIdPretabModeSingle(), 1);
    viewerMode->setCurrentIndex(viewerMode->findData(m_values.viewerMode));
    Register(IDC_VIEWER_MODE, viewerMode, 2);

    caption(IDC_RESO_CAPTION, text.GetIdPretabCaptionReso(), Span(10, 99, w - 10, 123), captionFont, 2);
    CGdiComboBox* resoMode = AddList(Span(10, 123, w - 10, 147));
    int data = 0;
    for (const char* mode : { "FREE", "16:9", "4:3", "9:16", "3:4" })
        resoMode->addItem(QString::fromLatin1(mode), data++);
    resoMode->setCurrentIndex(resoMode->findData(m_values.resoMode));
    Register(IDC_RESO_MODE, resoMode, 2);

    caption(IDC_PROJECTOR_CAPTION, text.GetIdPretabCaptionProjectorDspNo(), Span(10, 157, w - 10, 181),
        captionFont, 2);
    caption(IDC_PROJECTOR_COMMENT_1, text.GetIdPretabCaptionDspNoComment1(), Span(10, 181, w - 10, 199),
        commentFont, 2);
    caption(IDC_PROJECTOR_COMMENT_2, text.GetIdPretabCaptionDspNoComment2(), Span(10, 199, w - 10, 217),
        commentFont, 2);
    caption(IDC_PROJECTOR_COMMENT_3, text.GetIdPretabCaptionDspNoComment3(), Span(10, 217, w - 10, 235),
        commentFont, 2);
    CGdiComboBox* projector = AddList(Span(10, 235, w - 10, 259));
    const int displays = DisplayCount();
    for (int position = 0; position < displays; ++position)
        projector->addItem(QString::number(position + 1), position);
    projector->setCurrentIndex(ProjectorListSelection(displays, m_values.projectorDisplayNo));
    Register(IDC_PROJECTOR, projector, 2);
    caption(IDC_PREVIEW_COMMENT_1, text.GetIdPretabCaptionComment1(), Span(10, h - 96, w - 10, h - 78),
        commentFont, 2);
    caption(IDC_PREVIEW_COMMENT_2, text.GetIdPretabCaptionComment2(), Span(10, h - 78, w - 10, h - 60),
        commentFont, 2);

    const auto button = [&](int id, const QString& label, int left) {
        auto* control = new CGdiButton(label, this);
        control->setGeometry(Span(left, h - 34, left + 65, h - 4));
        control->LoadImages(SkinImagePath(m_skinFolder, skin.GetButton2Image(0)),
            SkinImagePath(m_skinFolder, skin.GetButton2Image(2)),
            SkinImagePath(m_skinFolder, skin.GetButton2Image(3)),
            SkinImagePath(m_skinFolder, skin.GetButton2Image(1)));
        control->m_font = Font(CSkinIni::kGetIniSettingDlgControlFont);
        control->setAutoDefault(false);
        Register(id, control, kAllPages);
        return control;
    };
    CGdiButton* ok = button(IDC_OK, text.GetIdBtnOk(), w / 2 + 10);
    ok->setDefault(true);
    connect(ok, &QAbstractButton::clicked, this, &CIniSettingDlg::accept);
    connect(button(IDC_CANCEL, text.GetIdBtnCancel(), w / 2 + 85), &QAbstractButton::clicked, this,
        &CIniSettingDlg::reject);
}

void CIniSettingDlg::ShowPage(int page)
{
    if (page < 0 || page > 2)
        return;
    const int tabs[] = { IDC_TIME_TAB, IDC_REMOTE_TAB, IDC_PREVIEW_TAB };
    for (int index = 0; index < 3; ++index) {
        if (auto* tab = ItemAs<CGdiButton>(tabs[index]))
            tab->SetCheckState(index == page ? 1 : 0);
        for (QWidget* control : m_pageControls[size_t(index)])
            control->setVisible(index == page);
    }
    m_currentPage = page;
}

void CIniSettingDlg::accept()
{
    const int64_t imageTime = CMskEdit::ConvertWindowTime(ItemAs<CMskEdit>(IDC_IMAGE_TIME)->text());
    const QString address = ItemAs<CMskEdit>(IDC_ADDRESS)->text();
    if (const int message = CheckIniSettings(imageTime, address)) {
        ShowMessage(message, platform::MB_OK);
        return;
    }
    m_values.imageDefaultTime = Low32(imageTime);
    m_values.effectDefaultTime
        = Low32(CMskEdit::ConvertWindowTime(ItemAs<CMskEdit>(IDC_EFFECT_TIME)->text()));
    m_values.remoteAddress = address;
    // A list left without a selection keeps the value it was given.
    const auto take = [this](int id, int32_t& value, int32_t offset) {
        const auto* list = ItemAs<CGdiComboBox>(id);
        if (list->currentIndex() >= 0)
            value = list->currentData().toInt() + offset;
    };
    take(IDC_VIEWER_MODE, m_values.viewerMode, 0);
    take(IDC_RESO_MODE, m_values.resoMode, 0);
    take(IDC_PROJECTOR, m_values.projectorDisplayNo, 1);
    QDialog::accept();
}

void CIniSettingDlg::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), Color(CSkinIni::COLOR_SETTING_BK));
    std::array<QSize, 8> sizes;
    for (size_t piece = 0; piece < m_frame.size(); ++piece) {
        if (m_frame[piece].isNull())
            return;
        sizes[piece] = m_frame[piece].size();
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const std::array<QRect, 8> rects = IniSettingFrameRects(size(), sizes);
    for (size_t piece = 0; piece < m_frame.size(); ++piece)
        painter.drawImage(rects[piece], m_frame[piece]);
}

IniSettingOutcome RunIniSettingDialog(QWidget* parent,
    const QString& skinFolder,
    CIniSettingStore& store,
    const std::function<int(QDialog&)>& run)
{
    IniSettingOutcome outcome;
    outcome.before = store.ReadIniSettings();
    outcome.after = outcome.before;
    CIniSettingDlg dialog(parent);
    dialog.m_skinFolder = skinFolder;
    dialog.m_values = outcome.before;
    if ((run ? run(dialog) : dialog.exec()) != QDialog::Accepted)
        return outcome;
    outcome.after = dialog.m_values;
    outcome.result = store.WriteIniSettings(outcome.after, outcome.error) ? IniSettingOutcome::Written
                                                                          : IniSettingOutcome::WriteFailed;
    return outcome;
}
