#include "tests/viewer/editor_side.h"

#include "platform/shared_flag.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QProcessEnvironment>
#include <QThread>
#include <QUuid>
#include <atomic>
#include <gtest/gtest.h>

using platform::LoadSharedFlag;
using platform::StoreSharedFlag;

namespace {

void WriteCells(std::span<PmCell> cells, const QStringList& texts)
{
    for (size_t i = 0; i < cells.size(); ++i)
        WritePmText(cells[i], i < size_t(texts.size()) ? texts[int(i)] : QString());
}

} // namespace

CEditorSide::CEditorSide()
{
    static std::atomic<int> counter { 0 };
    m_suffix = QStringLiteral("-viewertest-%1-%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    qputenv("KALEIDRA_INSTANCE_SUFFIX", m_suffix.toUtf8());
    m_block = static_cast<PmParamBlock*>(m_memory.Create(sizeof(PmParamBlock), PmParamBlockName()));
    qunsetenv("KALEIDRA_INSTANCE_SUFFIX");
    EXPECT_NE(m_block, nullptr);
}

CEditorSide::~CEditorSide()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool CEditorSide::StartViewer(const QRect& rect, bool headless)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KALEIDRA_INSTANCE_SUFFIX"), m_suffix);
    // The settings folder of the tests: no settings file, so the start mode is the default.
    environment.insert(
        QStringLiteral("KALEIDRA_COMMON_APPDATA"), m_folder.FilePath(QStringLiteral("appdata")));
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (auto variable = m_environment.cbegin(); variable != m_environment.cend(); ++variable)
        environment.insert(variable.key(), variable.value());
    m_process.setProcessEnvironment(environment);
    m_process.setStandardErrorFile(m_folder.FilePath(QStringLiteral("stderr.txt")));
    QStringList arguments;
    if (headless)
        arguments << QStringLiteral("--headless");
    arguments << QString::number(rect.x()) << QString::number(rect.y()) << QString::number(rect.width())
              << QString::number(rect.height());
    m_process.start(QStringLiteral(KALEIDRA_LUXVIEWER_PATH), arguments);
    m_started = m_process.waitForStarted(10000);
    return m_started;
}

std::optional<int> CEditorSide::WaitForExit(int timeoutMs)
{
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(timeoutMs))
        return std::nullopt;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QString CEditorSide::Diagnostics() const
{
    return QString::fromUtf8(m_folder.ReadFile(QStringLiteral("stderr.txt")));
}

bool CEditorSide::WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
    return true;
}

bool CEditorSide::WaitCleared(int32_t& flag, int passes)
{
    // The editor's wait: 10 ms passes while the viewer runs and the flag stands.
    for (int pass = 0; pass < passes; ++pass) {
        if (LoadSharedFlag(flag) == 0)
            return true;
        // The viewer this fixture started has ended: nobody will clear the flag.
        if (m_started && m_process.state() == QProcess::NotRunning)
            return LoadSharedFlag(flag) == 0;
        QThread::msleep(10);
    }
    return LoadSharedFlag(flag) == 0;
}

void CEditorSide::RaiseCommand(int32_t kind, const QStringList& cells)
{
    StoreSharedFlag(m_block->commandKind, kind);
    WriteCells(m_block->commandCells, cells);
    StoreSharedFlag(m_block->commandFlag, 1);
}

bool CEditorSide::Command(int32_t kind, const QStringList& cells, int passes)
{
    RaiseCommand(kind, cells);
    return WaitCleared(m_block->commandFlag, passes);
}

bool CEditorSide::Data(int32_t kind, int32_t faceNo, int passes)
{
    StoreSharedFlag(m_block->dataKind, kind);
    StoreSharedFlag(m_block->dataFaceNo, faceNo);
    StoreSharedFlag(m_block->dataFlag, 1);
    return WaitCleared(m_block->dataFlag, passes);
}

void CEditorSide::RaiseProject(int32_t flag, const QString& projectXml, const QString& workFolder)
{
    if (flag == kPmProjectLoad) {
        EXPECT_TRUE(WritePmText(m_block->projectPath, projectXml));
        EXPECT_TRUE(WritePmText(m_block->workFolder, workFolder));
    }
    StoreSharedFlag(m_block->projectFlag, flag);
}

bool CEditorSide::Project(int32_t flag, const QString& projectXml, const QString& workFolder, int passes)
{
    RaiseProject(flag, projectXml, workFolder);
    return WaitCleared(m_block->projectFlag, passes);
}

bool CEditorSide::Query(int32_t kind, const QStringList& cells, int passes)
{
    StoreSharedFlag(m_block->queryKind, kind);
    WriteCells(m_block->queryCells, cells);
    StoreSharedFlag(m_block->queryFlag, 1);
    return WaitCleared(m_block->queryFlag, passes);
}

QString CEditorSide::QueryCell(int cell) const
{
    return ReadPmText(m_block->queryCells[cell]);
}

std::optional<CEditorSide::Reply> CEditorSide::WaitForReply(int timeoutMs)
{
    if (!WaitUntil([this] { return LoadSharedFlag(m_block->replyFlag) == 1; }, timeoutMs))
        return std::nullopt;
    Reply reply;
    reply.kind = LoadSharedFlag(m_block->replyKind);
    for (const PmCell& cell : m_block->replyCells)
        reply.cells << ReadPmText(cell);
    return reply;
}

void CEditorSide::ClearReply()
{
    StoreSharedFlag(m_block->replyFlag, 0);
}

int32_t CEditorSide::ViewerTime()
{
    return LoadSharedFlag(m_block->playTime);
}

void CEditorSide::SetResoMode(int32_t mode)
{
    StoreSharedFlag(m_block->resoMode, mode);
}

QString CEditorSide::AskLine(const QByteArray& line, const QByteArray& answerPrefix, int timeoutMs)
{
    m_process.write(line + '\n');
    m_process.waitForBytesWritten(1000);
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const int newline = m_output.indexOf('\n');
        if (newline >= 0) {
            const QByteArray answer = m_output.left(newline);
            m_output.remove(0, newline + 1);
            if (answer.startsWith(answerPrefix))
                return QString::fromUtf8(answer);
            continue;
        }
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return {};
        if (m_process.waitForReadyRead(50))
            m_output += m_process.readAllStandardOutput();
    }
}

QMap<QString, QString> CEditorSide::State()
{
    QMap<QString, QString> values;
    const QString answer = AskLine("state", "state ", 5000);
    for (const QString& pair : answer.mid(6).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const int equals = pair.indexOf(QLatin1Char('='));
        if (equals > 0)
            values.insert(pair.left(equals), pair.mid(equals + 1));
    }
    return values;
}

QImage CEditorSide::Render(const QString& path, int timeoutMs)
{
    const QString answer = AskLine("render " + path.toUtf8(), "", timeoutMs);
    if (answer != QStringLiteral("rendered ") + path) {
        ADD_FAILURE() << "render: " << answer.toStdString() << "\n" << Diagnostics().toStdString();
        return {};
    }
    return QImage(path);
}
