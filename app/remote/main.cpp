#include "remote/kaleidra_remote_view.h"
#include "remote/language_ini.h"
#include "remote/main_frame.h"
#include "remote/remote_server.h"

#include "platform/qt_dialog_service.h"
#include "platform/qt_translations.h"

#include <QApplication>
#include <QFont>
#include <cstdio>

namespace {

// For tests only: KALEIDRA_REMOTE_TEST_LISTEN=<IPv4 address>:<port> makes the server listen
// there instead of on port 8213 of every address (port 0 takes a free port), and the program
// then prints "listening on port <n>" on its standard output once the server runs.
constexpr const char* kTestListenVariable = "KALEIDRA_REMOTE_TEST_LISTEN";

std::optional<RemoteServerOptions> TestListenOptions()
{
    const QString value = qEnvironmentVariable(kTestListenVariable);
    const qsizetype colon = value.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return std::nullopt;
    bool isNumber = false;
    const uint port = value.mid(colon + 1).toUInt(&isNumber);
    if (!isNumber || port > 65535)
        return std::nullopt;
    RemoteServerOptions options;
    options.bindAddress = value.left(colon);
    options.port = static_cast<uint16_t>(port);
    return options;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    platform::UseQtDialogService();
    platform::LoadQtTranslations();
    QApplication::setApplicationName(QStringLiteral("KaleidraRemote"));
    // The window's fonts are named as on Windows; the installed Japanese font stands in.
    for (const QString& family :
        { QStringLiteral("Meiryo UI"), QStringLiteral("MS UI Gothic"), QStringLiteral("メイリオ") })
        QFont::insertSubstitution(family, QStringLiteral("IPAGothic"));

    CLanguageIni language;
    language.Load(QString());

    const std::optional<RemoteServerOptions> testListen = TestListenOptions();
    if (qEnvironmentVariableIsSet(kTestListenVariable) && !testListen) {
        std::fprintf(stderr, "%s must be <IPv4 address>:<port>\n", kTestListenVariable);
        return 2;
    }
    CMainFrame frame(language, testListen.value_or(RemoteServerOptions()));
    frame.show();
    if (testListen) {
        std::printf("listening on port %u\n", static_cast<unsigned>(frame.View().Server().ListeningPort()));
        std::fflush(stdout);
    }
    return application.exec();
}
