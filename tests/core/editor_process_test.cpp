#include "core/instance_handover.h"
#include "platform/mem_mapped.h"
#include "platform/single_instance.h"
#include "tests/core/qstring_printer.h"
#include "tests/fixtures/scoped_env.h"
#include "tests/fixtures/temp_folder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

// A started editor that is always ended when the test ends, whatever happened.
class CEditorProcess {
public:
    CEditorProcess(
        const QProcessEnvironment& environment, const QString& workingFolder, const QStringList& arguments)
    {
        m_process.setProcessEnvironment(environment);
        m_process.setWorkingDirectory(workingFolder);
        m_process.start(QStringLiteral(KALEIDRA_EDITOR_PROGRAM), arguments);
    }
    ~CEditorProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QProcess& Process() { return m_process; }

    // Waits until the editor's error output holds the text.
    bool WaitForOutput(const QString& text, int timeoutMs)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            m_output += QString::fromUtf8(m_process.readAllStandardError());
            if (m_output.contains(text))
                return true;
            if (m_process.state() == QProcess::NotRunning)
                return false;
            m_process.waitForReadyRead(50);
        }
        return false;
    }
    QString Output() const { return m_output; }

private:
    QProcess m_process;
    QString m_output;
};

// A killed editor leaves its boot block behind; mapping it once more as its last holder
// removes it when the test ends.
class CBootBlockCleanup {
public:
    explicit CBootBlockCleanup(QString name)
        : m_name(std::move(name))
    {
    }
    ~CBootBlockCleanup()
    {
        CMemMapped block;
        block.Create(sizeof(BootParamBlock), m_name);
    }

private:
    QString m_name;
};

bool WaitUntilListening(const QString& socketPath, CEditorProcess& editor, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired() && editor.Process().state() != QProcess::NotRunning) {
        QLocalSocket probe;
        probe.connectToServer(socketPath);
        if (probe.waitForConnected(100))
            return true;
        editor.Process().waitForFinished(50);
    }
    return false;
}

} // namespace

TEST(EditorProcess, ASecondStartHandsItsPathToTheRunningEditorAndEnds)
{
    CTempFolder folder;
    const QByteArray suffix = "-test-" + QUuid::createUuid().toString(QUuid::Id128).left(12).toLatin1();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("KALEIDRA_INSTANCE_SUFFIX"), QString::fromLatin1(suffix));
    environment.insert(QStringLiteral("KALEIDRA_PROGRAM_DIR"), folder.MakeFolder(QStringLiteral("program")));
    environment.insert(
        QStringLiteral("KALEIDRA_COMMON_APPDATA"), folder.MakeFolder(QStringLiteral("common")));
    environment.insert(
        QStringLiteral("KALEIDRA_DOCUMENTS_DIR"), folder.MakeFolder(QStringLiteral("documents")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.MakeFolder(QStringLiteral("config")));
    environment.insert(QStringLiteral("KALEIDRA_REGISTRY_HKCU"), folder.FilePath(QStringLiteral("hkcu.ini")));
    environment.insert(QStringLiteral("KALEIDRA_REGISTRY_HKLM"), folder.FilePath(QStringLiteral("hklm.ini")));
    // The lock and the socket go to the test's own folder.
    const QString tempFolder = folder.MakeFolder(QStringLiteral("tmp"));
    environment.insert(QStringLiteral("TMPDIR"), tempFolder);
    const QString secondFolder = folder.MakeFolder(QStringLiteral("elsewhere"));

    QString socketPath;
    QString bootBlockName;
    {
        const CScopedEnv instanceSuffix("KALEIDRA_INSTANCE_SUFFIX", suffix);
        const EditorInstanceNames names = MakeEditorInstanceNames(QStringLiteral("Kaleidra"));
        socketPath = tempFolder + "/" + platform::CSingleInstance::UserServerName(names.server);
        bootBlockName = names.bootBlock;
    }

    const CBootBlockCleanup cleanup(bootBlockName);
    CEditorProcess first(environment, folder.Path(), {});
    ASSERT_TRUE(first.Process().waitForStarted(10000));
    ASSERT_TRUE(WaitUntilListening(socketPath, first, 30000)) << first.Output().toStdString();

    CEditorProcess second(
        environment, secondFolder, { QStringLiteral("shows/night.kdp"), QStringLiteral("other.kdp") });
    ASSERT_TRUE(second.Process().waitForFinished(30000));
    EXPECT_EQ(second.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.Process().exitCode(), 0);

    EXPECT_TRUE(first.WaitForOutput("project path handed over: " + secondFolder + "/shows/night.kdp", 30000))
        << first.Output().toStdString();
    EXPECT_FALSE(first.Output().contains(QStringLiteral("other.kdp")));
    EXPECT_EQ(first.Process().state(), QProcess::Running);
}
