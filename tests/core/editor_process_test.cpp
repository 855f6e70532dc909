#include "core/instance_handover.h"
#include "platform/mem_mapped.h"
#include "platform/single_instance.h"
#include "tests/core/qstring_printer.h"
#include "tests/fixtures/scoped_env.h"
#include "tests/fixtures/temp_folder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QUuid>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>

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

// The environment of editors started by a test: their own instance names, data folders and
// runtime folder, so that they never meet a real editor or another test's.
class EditorProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QByteArray suffix = "-test-" + QUuid::createUuid().toString(QUuid::Id128).left(12).toLatin1();
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_environment.insert(QStringLiteral("KALEIDRA_INSTANCE_SUFFIX"), QString::fromLatin1(suffix));
        // The editor's own folder with the data it reads: the wait window's pictures among them.
        m_environment.insert(QStringLiteral("KALEIDRA_PROGRAM_DIR"),
            QFileInfo(QStringLiteral(KALEIDRA_EDITOR_PROGRAM)).absolutePath());
        m_environment.insert(
            QStringLiteral("KALEIDRA_COMMON_APPDATA"), m_folder.MakeFolder(QStringLiteral("common")));
        // The editor does not start without its settings file.
        m_folder.WriteFile(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Kaleidra.ini"),
            "[SYSTEM]\nWorkFolder=" + m_folder.MakeFolder(QStringLiteral("work")).toUtf8() + "\n");
        m_environment.insert(
            QStringLiteral("KALEIDRA_DOCUMENTS_DIR"), m_folder.MakeFolder(QStringLiteral("documents")));
        m_environment.insert(
            QStringLiteral("XDG_CONFIG_HOME"), m_folder.MakeFolder(QStringLiteral("config")));
        m_environment.insert(
            QStringLiteral("KALEIDRA_REGISTRY_HKCU"), m_folder.FilePath(QStringLiteral("hkcu.ini")));
        m_environment.insert(
            QStringLiteral("KALEIDRA_REGISTRY_HKLM"), m_folder.FilePath(QStringLiteral("hklm.ini")));
        // The socket goes to the test's own runtime folder, private as the user's is.
        const QString runtimeFolder = m_folder.MakeFolder(QStringLiteral("runtime"));
        QFile::setPermissions(runtimeFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder);
        m_environment.insert(QStringLiteral("TMPDIR"), m_folder.MakeFolder(QStringLiteral("tmp")));

        const CScopedEnv instanceSuffix("KALEIDRA_INSTANCE_SUFFIX", suffix);
        const EditorInstanceNames names = MakeEditorInstanceNames(QStringLiteral("Kaleidra"));
        m_socketPath = runtimeFolder + "/" + names.server;
        m_lockPath = platform::CSingleInstance::LockFilePath(names.lock);
        m_cleanup.emplace(names.bootBlock);
    }
    void TearDown() override { QFile::remove(m_lockPath); }

    CTempFolder m_folder;
    QProcessEnvironment m_environment;
    QString m_socketPath;
    QString m_lockPath;
    std::optional<CBootBlockCleanup> m_cleanup;
};

} // namespace

TEST_F(EditorProcessTest, ASecondStartHandsItsPathToTheRunningEditorAndEnds)
{
    const QString secondFolder = m_folder.MakeFolder(QStringLiteral("elsewhere"));
    CEditorProcess first(m_environment, m_folder.Path(), {});
    ASSERT_TRUE(first.Process().waitForStarted(10000));
    ASSERT_TRUE(WaitUntilListening(m_socketPath, first, 30000)) << first.Output().toStdString();

    // Another temporary folder makes no second editor: the lock's place does not depend on it.
    QProcessEnvironment secondEnvironment = m_environment;
    secondEnvironment.insert(QStringLiteral("TMPDIR"), m_folder.MakeFolder(QStringLiteral("other-tmp")));
    CEditorProcess second(
        secondEnvironment, secondFolder, { QStringLiteral("shows/night.kdp"), QStringLiteral("other.kdp") });
    ASSERT_TRUE(second.Process().waitForFinished(30000));
    EXPECT_EQ(second.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.Process().exitCode(), 0);

    EXPECT_TRUE(first.WaitForOutput("project path handed over: " + secondFolder + "/shows/night.kdp", 30000))
        << first.Output().toStdString();
    EXPECT_FALSE(first.Output().contains(QStringLiteral("other.kdp")));
    EXPECT_EQ(first.Process().state(), QProcess::Running);
}

// A logout (SIGHUP) or a stop request (SIGTERM) closes the editor as its window's close does:
// it ends normally, and what it set up at start (its socket among them) is taken down.
TEST_F(EditorProcessTest, TerminationSignalsCloseTheEditorInOrder)
{
    for (const int signalNumber : { SIGTERM, SIGHUP }) {
        SCOPED_TRACE(signalNumber);
        CEditorProcess editor(m_environment, m_folder.Path(), {});
        ASSERT_TRUE(editor.Process().waitForStarted(10000));
        ASSERT_TRUE(WaitUntilListening(m_socketPath, editor, 30000)) << editor.Output().toStdString();

        ASSERT_EQ(::kill(pid_t(editor.Process().processId()), signalNumber), 0);
        ASSERT_TRUE(editor.Process().waitForFinished(30000));
        EXPECT_EQ(editor.Process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(editor.Process().exitCode(), 0);
        EXPECT_TRUE(editor.WaitForOutput(QStringLiteral("closing on signal %1").arg(signalNumber), 1000))
            << editor.Output().toStdString();
        EXPECT_FALSE(QFileInfo::exists(m_socketPath));
    }
}
