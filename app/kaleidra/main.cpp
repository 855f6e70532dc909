#include "app/kaleidra/default_tables.h"
#include "app/kaleidra/shell_document_view.h"
#include "core/kaleidra_app.h"
#include "core/main_frame.h"

#include "platform/known_folders.h"
#include "platform/qt_dialog_service.h"
#include "platform/qt_translations.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    platform::UseQtDialogService();
    platform::LoadQtTranslations();
    QCoreApplication::setApplicationName(QString::fromUtf16(CKaleidraApp::kAppName));

    // The item panels read the effect and filter tables from the settings folder: a first start
    // puts the delivered ones there. Without them the panels' lists stay empty, so a failure is
    // only logged.
    for (const QString& problem : InstallDefaultTables(platform::ProgramFolder(), platform::SettingsFolder()))
        qWarning("Kaleidra: the default table was not installed: %s", qUtf8Printable(problem));

    CKaleidraApp app;
    app.SetDocumentTemplate({
        [] { return std::make_unique<CShellDocument>(); },
        [](CMainFrame& frame, QObject& document) -> QWidget* {
            return new CShellView(frame, static_cast<CShellDocument&>(document));
        },
        [](QObject& document, const QString& path) {
            return static_cast<CShellDocument&>(document).OpenDocumentFile(path);
        },
    });

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!app.InitInstance(arguments)) {
        const int exitCode = app.ExitInstance();
        // A second start that found the running editor ends normally; a failed start does not.
        return app.IsSecondStart() ? exitCode : 1;
    }
    const int loopResult = qtApp.exec();
    const int exitCode = app.ExitInstance();
    return loopResult != 0 ? loopResult : exitCode;
}
