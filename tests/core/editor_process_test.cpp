#include "core/instance_handover.h"
#include "core/main_frame.h"
#include "platform/mem_mapped.h"
#include "platform/single_instance.h"
#include "tests/core/qstring_printer.h"
#include "tests/fixtures/scoped_env.h"
#include "tests/fixtures/temp_folder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QTimer>
#include <QUuid>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <malloc.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

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

// A second start hands its path over and ends, also when another user has planted something
// the machine-wide lock cannot be taken on: the user's own lock keeps the editors to one, and
// the first editor names what it found.
TEST_F(EditorProcessTest, ASecondStartHandsItsPathToTheRunningEditorAndEnds)
{
    const struct {
        const char* name;
        std::function<bool(const QByteArray& path)> plant;
    } cases[] = {
        { "nothing planted", [](const QByteArray&) { return true; } },
        { "a folder planted", [](const QByteArray& path) { return ::mkdir(path.constData(), 0755) == 0; } },
        { "a FIFO planted", [](const QByteArray& path) { return ::mkfifo(path.constData(), 0644) == 0; } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray lockPath = QFile::encodeName(m_lockPath);
        ASSERT_TRUE(c.plant(lockPath));
        const QString secondFolder = m_folder.MakeFolder(QStringLiteral("elsewhere"));
        {
            CEditorProcess first(m_environment, m_folder.Path(), {});
            ASSERT_TRUE(first.Process().waitForStarted(10000));
            ASSERT_TRUE(WaitUntilListening(m_socketPath, first, 30000)) << first.Output().toStdString();

            // Another temporary folder makes no second editor: the lock's place does not depend
            // on it.
            QProcessEnvironment secondEnvironment = m_environment;
            secondEnvironment.insert(
                QStringLiteral("TMPDIR"), m_folder.MakeFolder(QStringLiteral("other-tmp")));
            CEditorProcess second(secondEnvironment, secondFolder,
                { QStringLiteral("shows/night.kdp"), QStringLiteral("other.kdp") });
            ASSERT_TRUE(second.Process().waitForFinished(30000));
            EXPECT_EQ(second.Process().exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(second.Process().exitCode(), 0);

            EXPECT_TRUE(
                first.WaitForOutput("project path handed over: " + secondFolder + "/shows/night.kdp", 30000))
                << first.Output().toStdString();
            EXPECT_FALSE(first.Output().contains(QStringLiteral("other.kdp")));
            EXPECT_EQ(first.Process().state(), QProcess::Running);
            EXPECT_EQ(first.Output().contains(m_lockPath + QStringLiteral(" cannot be taken")),
                std::string(c.name) != "nothing planted")
                << first.Output().toStdString();
        }
        ::rmdir(lockPath.constData());
        ::unlink(lockPath.constData());
    }
}

// A logout (SIGHUP) or a stop request (SIGTERM) runs the window's close with its question. A
// second one while the question waits ends the editor at once, normally, with what it set up at
// start (its socket among them) taken down and the work folder as it was.
TEST_F(EditorProcessTest, ATerminationSignalAsksAndASecondOneEndsTheEditor)
{
    const QString marker = m_folder.WriteFile(QStringLiteral("work/Show/Show.xml"), "<edited/>");
    for (const auto& [first, second] : { std::pair { SIGTERM, SIGHUP }, std::pair { SIGHUP, SIGTERM } }) {
        SCOPED_TRACE(first);
        CEditorProcess editor(m_environment, m_folder.Path(), {});
        ASSERT_TRUE(editor.Process().waitForStarted(10000));
        ASSERT_TRUE(WaitUntilListening(m_socketPath, editor, 30000)) << editor.Output().toStdString();
        const pid_t pid = pid_t(editor.Process().processId());

        ASSERT_EQ(::kill(pid, first), 0);
        ASSERT_TRUE(editor.WaitForOutput(QStringLiteral("closing on signal %1").arg(first), 30000))
            << editor.Output().toStdString();
        // The question waits for an answer.
        EXPECT_FALSE(editor.Process().waitForFinished(200));
        ASSERT_EQ(::kill(pid, second), 0);
        ASSERT_TRUE(editor.Process().waitForFinished(30000));
        EXPECT_EQ(editor.Process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(editor.Process().exitCode(), 0);
        EXPECT_TRUE(editor.WaitForOutput(QStringLiteral("ending on signal %1").arg(second), 1000))
            << editor.Output().toStdString();
        EXPECT_FALSE(QFileInfo::exists(m_socketPath));
        EXPECT_TRUE(QFileInfo::exists(marker)) << "the work folder is kept";
    }
}

namespace {

// A box that runs its own event loop, as the open shows one, until the condition holds (or the
// deadline passes).
void ShowBoxUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QMessageBox box;
    box.setText(QStringLiteral("プロジェクトファイルの展開に失敗しました。"));
    QTimer poll;
    const QDeadlineTimer deadline(timeoutMs);
    QObject::connect(&poll, &QTimer::timeout, &box, [&] {
        if (condition() || deadline.hasExpired())
            box.done(0);
    });
    poll.start(10);
    box.exec();
}

} // namespace

// The running editor's open of a handed-over project shows a box; meanwhile the second start
// ends and its connection goes. The running editor takes every message of it and lives on.
TEST_F(EditorProcessTest, AHandOverWhoseOpenShowsABoxOutlivesTheSecondStartsConnection)
{
    // Freed memory is overwritten at once, so that a read of a deleted socket cannot pass.
    ::mallopt(M_PERTURB, 0xA5);
    const auto perturbOff = qScopeGuard([] { ::mallopt(M_PERTURB, 0); });
    const CScopedEnv runtime("XDG_RUNTIME_DIR", m_environment.value("XDG_RUNTIME_DIR").toUtf8());
    const CScopedEnv suffix(
        "KALEIDRA_INSTANCE_SUFFIX", m_environment.value("KALEIDRA_INSTANCE_SUFFIX").toUtf8());
    const EditorInstanceNames names = MakeEditorInstanceNames(QStringLiteral("Kaleidra"));

    CMemMapped bootMemory;
    ASSERT_NE(bootMemory.Create(sizeof(BootParamBlock), names.bootBlock), nullptr);
    platform::CSingleInstance instance(names.lock, names.server);
    ASSERT_EQ(instance.TryLock(), platform::CSingleInstance::LockResult::Acquired);
    CMainFrame frame(&bootMemory);
    frame.SetActiveView(new QWidget);
    QObject::connect(
        &instance, &platform::CSingleInstance::MessageReceived, &frame, &CMainFrame::OnInstanceMessage);
    ASSERT_TRUE(instance.Listen()) << instance.ListenError().toStdString();

    CEditorProcess second(m_environment, m_folder.Path(), { QStringLiteral("/shows/other.kdp") });
    ASSERT_TRUE(second.Process().waitForStarted(10000));
    int boxes = 0;
    bool connectionGoneDuringBox = false;
    QObject::connect(&frame, &CMainFrame::ProjectPathHandedOver, &frame, [&](const QString&) {
        ++boxes;
        ShowBoxUntil(
            [&] {
                connectionGoneDuringBox = second.Process().state() == QProcess::NotRunning
                    && instance.findChildren<QLocalSocket*>().isEmpty();
                return connectionGoneDuringBox;
            },
            20000);
    });

    const QDeadlineTimer deadline(30000);
    while (!frame.isVisible() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(connectionGoneDuringBox) << second.Output().toStdString();
    EXPECT_EQ(frame.LastHandedOverPath(), QStringLiteral("/shows/other.kdp"));
    EXPECT_TRUE(frame.isVisible()) << "the bring-to-front message after the box";
    EXPECT_EQ(second.Process().exitCode(), 0);
}
