#include "remote/main_frame.h"

#include "platform/dialog_service.h"
#include "platform/qt_dialog_service.h"
#include "remote/about_dlg.h"
#include "remote/kaleidra_remote_view.h"
#include "remote/language_ini.h"
#include "remote/remote_images.h"
#include "remote/remote_messages.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMenuBar>

CMainFrame::CMainFrame(const CLanguageIni& language, RemoteServerOptions serverOptions, QWidget* parent)
    : QMainWindow(parent)
    , m_language(language)
    , m_view(new CKaleidraRemoteView(language, std::move(serverOptions), this))
{
    setWindowIcon(QIcon(QPixmap::fromImage(PaintRemoteIcon())));
    setCentralWidget(m_view);
    CreateMenus();
    m_view->setFixedSize(m_view->sizeHint());
    // The window keeps the size of its form: no resizing and no maximising.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    m_view->OnInitialUpdate();
}

void CMainFrame::CreateMenus()
{
    auto addCommand = [this](QMenu* menu, const QString& text, int id, auto handler) {
        QAction* action = menu->addAction(text);
        action->setData(id);
        connect(action, &QAction::triggered, this, handler);
    };
    QMenu* file = menuBar()->addMenu(m_language.GetText(MENU_FILE_CAPTION) + QStringLiteral("(&F)"));
    addCommand(
        file, m_language.GetText(MENU_FILE_EXIT) + QStringLiteral("(&X)"), ID_APP_EXIT, [this] { close(); });
    QMenu* view = menuBar()->addMenu(m_language.GetText(MENU_VIEW_CAPTION) + QStringLiteral("(&V)"));
    addCommand(view, m_language.GetText(MENU_VIEW_CONNECTLIST) + QStringLiteral("(&L)"), ID_VIEW_CONNECTLIST,
        [this] { m_view->OnShowConnectList(); });
    QMenu* help = menuBar()->addMenu(m_language.GetText(MENU_HELP_CAPTION) + QStringLiteral("(&H)"));
    addCommand(help, m_language.GetText(MENU_HELP_VERSION) + QStringLiteral("(&A)..."), ID_APP_ABOUT,
        [this] { OnAppAbout(); });
}

void CMainFrame::OnAppAbout()
{
    CAboutDlg about(m_language, this);
    about.exec();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    const platform::CDialogOwner owner(this);
    const int answer = platform::DialogService().MessageBox(m_language.GetText(ASK_EXIT),
        QStringLiteral("KaleidraRemote"), platform::MB_YESNO | platform::MB_ICONQUESTION);
    if (answer == platform::IDNO) {
        event->ignore();
        return;
    }
    event->accept();
}
