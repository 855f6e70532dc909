#include "app/kaleidra/default_settings.h"
#include "core/kaleidra_app.h"
#include "core/main_frame.h"
#include "view/kaleidra_doc.h"
#include "view/kaleidra_view.h"

#include "platform/known_folders.h"
#include "platform/qt_dialog_service.h"
#include "platform/qt_translations.h"
#include "platform/registry_store.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    platform::UseQtDialogService();
    platform::LoadQtTranslations();
    QCoreApplication::setApplicationName(QString::fromUtf16(CKaleidraApp::kAppName));

    // The editor reads its settings file, and the item panels the effect and filter tables, from
    // the settings folder: a first start puts the delivered ones there. A failure is only logged:
    // without the settings file the view says that it cannot read it and ends, without the tables
    // the panels' lists stay empty.
    for (const QString& problem :
        InstallDefaultSettingFiles(platform::ProgramFolder(), platform::SettingsFolder()))
        qWarning("Kaleidra: the default file was not installed: %s", qUtf8Printable(problem));

    // The recent projects and the window positions live in the registry store: a hive that
    // cannot be used is said at once instead of losing them without a word.
    using platform::CRegistryStore;
    const struct {
        platform::RegistryHive hive;
        CRegistryStore::Use use;
        const char* variable; // the environment variable that may name the hive file
    } hives[] = {
        { platform::RegistryHive::CurrentUser, CRegistryStore::Use::ReadingAndWriting,
            "KALEIDRA_REGISTRY_HKCU" },
        { platform::RegistryHive::LocalMachine, CRegistryStore::Use::Reading, "KALEIDRA_REGISTRY_HKLM" },
    };
    for (const auto& hive : hives) {
        if (const auto problem = CRegistryStore::ForHive(hive.hive).Problem(hive.use))
            qWarning("Kaleidra: the registry store (%s) cannot be used: %s", hive.variable,
                qUtf8Printable(*problem));
    }

    CKaleidraApp app;
    CKaleidraDoc* document = nullptr;
    bool viewEndedStart = false;
    app.SetDocumentTemplate({
        [&document] {
            auto made = std::make_unique<CKaleidraDoc>();
            document = made.get();
            return made;
        },
        [&document, &viewEndedStart](CMainFrame& frame, CDocument&) -> QWidget* {
            auto* view = new CKaleidraView(frame, *document);
            frame.SetActiveView(view);
            if (!view->OnInitialUpdate()) {
                // The view told the user why (settings or shared block missing).
                viewEndedStart = true;
                return nullptr;
            }
            return view;
        },
    });

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!app.InitInstance(arguments)) {
        const int exitCode = app.ExitInstance();
        // A second start that found the running editor ends normally, and so does a start the
        // view ended after saying why; any other failed start does not.
        return app.IsSecondStart() || viewEndedStart ? exitCode : 1;
    }
    const int loopResult = qtApp.exec();
    const int exitCode = app.ExitInstance();
    return loopResult != 0 ? loopResult : exitCode;
}
