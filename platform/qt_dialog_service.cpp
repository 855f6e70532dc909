#include "platform/qt_dialog_service.h"

#include "platform/win_color.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <vector>

namespace platform {
namespace {

// The owner of the dialogs (CDialogOwner); the GUI thread's alone.
QPointer<QWidget> g_owner;

QWidget* ActiveWindow()
{
    return g_owner ? g_owner.data() : QApplication::activeWindow();
}

std::optional<QString> NonEmpty(const QString& path)
{
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

} // namespace

CDialogOwner::CDialogOwner(QWidget* window)
    : m_previous(g_owner)
{
    g_owner = window;
}

CDialogOwner::~CDialogOwner()
{
    g_owner = m_previous;
}

void UseQtDialogService()
{
    static CQtDialogService qtService;
    SetDefaultDialogService(&qtService);
}

namespace {

struct Choice {
    QMessageBox::StandardButton button;
    int answer;
};

// Fills a box with the text, the icon and the buttons of the style; the buttons with the
// answers they give.
std::vector<Choice> SetUpBox(QMessageBox& box, const QString& text, const QString& caption, unsigned type)
{
    box.setWindowTitle(caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONWARNING:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    std::vector<Choice> choices;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        choices = { { QMessageBox::Ok, IDOK }, { QMessageBox::Cancel, IDCANCEL } };
        break;
    case MB_YESNOCANCEL:
        choices
            = { { QMessageBox::Yes, IDYES }, { QMessageBox::No, IDNO }, { QMessageBox::Cancel, IDCANCEL } };
        break;
    case MB_YESNO:
        choices = { { QMessageBox::Yes, IDYES }, { QMessageBox::No, IDNO } };
        break;
    default:
        choices = { { QMessageBox::Ok, IDOK } };
        break;
    }
    QMessageBox::StandardButtons buttons;
    for (const Choice& choice : choices)
        buttons |= choice.button;
    box.setStandardButtons(buttons);
    const size_t defaultIndex = (type & MB_DEFBUTTON2) && choices.size() > 1 ? 1 : 0;
    box.setDefaultButton(choices[defaultIndex].button);
    return choices;
}

} // namespace

int CQtDialogService::MessageBox(const QString& text, const QString& caption, unsigned type)
{
    QMessageBox box(ActiveWindow());
    const std::vector<Choice> choices = SetUpBox(box, text, caption, type);
    const auto pressed = QMessageBox::StandardButton(box.exec());
    for (const Choice& choice : choices) {
        if (choice.button == pressed)
            return choice.answer;
    }
    // Closed with the window's close button: what Escape gives.
    return EscapeAnswer(type);
}

void CQtDialogService::ShowNotice(const QString& text, const QString& caption, unsigned type)
{
    auto* box = new QMessageBox(ActiveWindow());
    SetUpBox(*box, text, caption, type);
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->show();
}

std::optional<QString> CQtDialogService::OpenFileName(
    const QString& caption, const QString& folder, const QString& filter, QString* selectedFilter)
{
    return NonEmpty(QFileDialog::getOpenFileName(ActiveWindow(), caption, folder, filter, selectedFilter));
}

std::optional<QString> CQtDialogService::SaveFileName(
    const QString& caption, const QString& initialPath, const QString& filter, QString* selectedFilter)
{
    return NonEmpty(
        QFileDialog::getSaveFileName(ActiveWindow(), caption, initialPath, filter, selectedFilter));
}

std::optional<QString> CQtDialogService::FolderName(const QString& caption, const QString& folder)
{
    return NonEmpty(QFileDialog::getExistingDirectory(ActiveWindow(), caption, folder));
}

std::optional<uint32_t> CQtDialogService::Colour(uint32_t initial)
{
    const QColor chosen = QColorDialog::getColor(ToQColor(initial), ActiveWindow());
    if (!chosen.isValid())
        return std::nullopt;
    return FromQColor(chosen);
}

} // namespace platform
