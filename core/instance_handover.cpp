#include "core/instance_handover.h"

#include "core/main_frame.h"
#include "platform/single_instance.h"

#include <QDir>

EditorInstanceNames MakeEditorInstanceNames(const QString& moduleFileTitle)
{
    const QString suffix = qEnvironmentVariable("KALEIDRA_INSTANCE_SUFFIX");
    // The running editor is found by its program file's name, compared without regard to case.
    return { QStringLiteral("KaleidraMutex") + suffix,
        QStringLiteral("Kaleidra-") + moduleFileTitle.toUpper() + suffix,
        QString::fromUtf16(kBootParamBlockName) + suffix };
}

SecondStartResult HandOverToRunningInstance(const QString& serverName,
    CMemMapped& bootMemory,
    const QStringList& arguments,
    const QString& workingFolder)
{
    SecondStartResult result;
    platform::CRunningInstance running;
    if (!running.Connect(serverName))
        return result;
    result.foundRunningInstance = true;
    if (!arguments.isEmpty() && !arguments.front().isEmpty()) {
        // The running editor works in another folder: a relative path would name another file.
        const QString path = QDir(workingFolder).absoluteFilePath(arguments.front());
        result.handOver = WriteBootParam(bootMemory, path);
        // A path nobody was told about would block every later hand-over: take it back.
        if (*result.handOver == BootParamWrite::Written && !running.Post(kBootParamMessage))
            TakeBootParam(bootMemory);
    }
    running.Post(kBringToFrontMessage);
    return result;
}
