#include "platform/qt_dialog_service.h"
#include "platform/qt_translations.h"
#include "updater/update_ctrl.h"
#include "updater/update_environment.h"

#include <QApplication>

// The updater runs its flow once, without a main window, and ends.
int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    platform::UseQtDialogService();
    platform::LoadQtTranslations();
    QCoreApplication::setApplicationName(QStringLiteral("Kaleidra Updater"));
    CSystemUpdateEnvironment environment;
    return RunUpdater(environment);
}
