#include "platform/qt_dialog_service.h"
#include "platform/qt_translations.h"
#include "updater/uninstaller.h"
#include "updater/update_environment.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

// Removes the installation it lies in, after asking. With --register it records the uninstall
// entry of that installation instead, without a window (the install script's last step).
int main(int argc, char** argv)
{
    const bool registering = argc == 2 && std::strcmp(argv[1], "--register") == 0;
    if (argc > 1 && !registering) {
        std::fprintf(stderr, "usage: %s [--register]\n", argv[0]);
        return 2;
    }
    if (registering) {
        QCoreApplication application(argc, argv);
        CSystemUpdateEnvironment environment;
        QString error;
        if (!CUninstaller(environment).Register(&error)) {
            std::fprintf(stderr, "uninstaller: %s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    QApplication application(argc, argv);
    platform::UseQtDialogService();
    platform::LoadQtTranslations();
    QCoreApplication::setApplicationName(QStringLiteral("Kaleidra Uninstaller"));
    CSystemUpdateEnvironment environment;
    return CUninstaller(environment).Run();
}
