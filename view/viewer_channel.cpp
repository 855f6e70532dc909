#include "view/viewer_channel.h"

#include "platform/number_text.h"
#include "platform/shared_flag.h"

#include <chrono>
#include <span>
#include <thread>

using platform::LoadSharedFlag;
using platform::StoreSharedFlag;

int32_t PmReplyRecord::Number(int cell) const
{
    if (cell < 0 || cell >= kPmReplyCells)
        return 0;
    return platform::WToI(cells[size_t(cell)]);
}

CViewerChannel::CViewerChannel(PmParamBlock* block, CViewerLiveness& liveness)
    : m_block(block)
    , m_liveness(liveness)
{
}

bool CViewerChannel::WaitForFlag(int32_t& flag, int passes)
{
    for (int pass = 0; pass < passes; ++pass) {
        if (LoadSharedFlag(flag) == 0)
            return true;
        if (!m_liveness.IsViewerRunning())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPassMs));
    }
    return LoadSharedFlag(flag) == 0;
}

bool CViewerChannel::MayWrite(int32_t& flag)
{
    if (LoadSharedFlag(flag) == 0)
        return true;
    if (WaitForFlag(flag, kWaitPasses))
        return true;
    // No viewer takes it: the next one will take the newest request at its first pass.
    return !m_liveness.IsViewerRunning();
}

bool CViewerChannel::SendCommand(PmCommand kind, const QStringList& cells, int passes)
{
    if (!m_block || cells.size() > kPmCommandCells || !MayWrite(m_block->commandFlag))
        return false;
    for (int cell = 0; cell < kPmCommandCells; ++cell) {
        std::span<char16_t> target(m_block->commandCells[cell]);
        if (cell >= cells.size()) {
            std::fill(target.begin(), target.end(), u'\0');
        } else if (!WritePmText(target, cells[cell])) {
            return false;
        }
    }
    m_block->commandKind = kind;
    StoreSharedFlag(m_block->commandFlag, 1);
    return passes == kNoWait || WaitForFlag(m_block->commandFlag, passes);
}

bool CViewerChannel::SendData(PmData kind, int32_t faceNo, int passes)
{
    if (!m_block || !MayWrite(m_block->dataFlag))
        return false;
    m_block->dataKind = kind;
    m_block->dataFaceNo = faceNo;
    StoreSharedFlag(m_block->dataFlag, 1);
    return passes == kNoWait || WaitForFlag(m_block->dataFlag, passes);
}

bool CViewerChannel::RaiseProjectFlag(PmProject value, int passes)
{
    if (!m_block)
        return false;
    int32_t& flag = m_block->projectFlag;
    if (value == kPmProjectTimes) {
        // A load still waiting or running is never turned into the smaller re-read. It may have
        // read the files before they changed, so the re-read follows once it is done.
        if (LoadSharedFlag(flag) == kPmProjectLoad && !WaitForFlag(flag, kWaitPasses))
            return false;
        // Only the editor raises the flag, so a cleared flag stays cleared until this store.
        if (LoadSharedFlag(flag) == 0)
            StoreSharedFlag(flag, kPmProjectTimes);
    } else {
        StoreSharedFlag(flag, value);
    }
    return passes == kNoWait || WaitForFlag(flag, passes);
}

CViewerChannel::QueryResult CViewerChannel::Query(PmQuery kind,
    const QStringList& cells,
    int answerCount,
    std::array<int32_t, kPmQueryCells>& answers,
    int passes)
{
    if (!m_block || cells.size() > kPmQueryAnswerCell || kPmQueryAnswerCell + answerCount > kPmQueryCells
        || !MayWrite(m_block->queryFlag))
        return QueryResult::NotWritten;
    for (int cell = 0; cell < kPmQueryCells; ++cell) {
        std::span<char16_t> target(m_block->queryCells[cell]);
        if (cell >= cells.size() || cell >= kPmQueryAnswerCell) {
            std::fill(target.begin(), target.end(), u'\0');
        } else if (!WritePmText(target, cells[cell])) {
            return QueryResult::NotWritten;
        }
    }
    m_block->queryKind = kind;
    StoreSharedFlag(m_block->queryFlag, 1);
    if (!WaitForFlag(m_block->queryFlag, passes))
        return QueryResult::NotTaken;
    for (int index = 0; index < answerCount; ++index) {
        const QString text = ReadPmText(m_block->queryCells[kPmQueryAnswerCell + index]);
        if (text.trimmed().isEmpty())
            return QueryResult::Empty;
        answers[size_t(index)] = platform::WToI(text);
    }
    return QueryResult::Answered;
}

std::optional<PmReplyRecord> CViewerChannel::TakeReply()
{
    if (!m_block || LoadSharedFlag(m_block->replyFlag) != 1)
        return std::nullopt;
    PmReplyRecord reply;
    reply.kind = m_block->replyKind;
    for (int cell = 0; cell < kPmReplyCells; ++cell)
        reply.cells[size_t(cell)] = ReadPmText(m_block->replyCells[cell]);
    // Cleared before anything acts on it: the viewer may write the next reply meanwhile.
    StoreSharedFlag(m_block->replyFlag, 0);
    return reply;
}

void CViewerChannel::ClearReply()
{
    if (m_block)
        StoreSharedFlag(m_block->replyFlag, 0);
}

int32_t CViewerChannel::PlayTime() const
{
    return m_block ? LoadSharedFlag(m_block->playTime) : 0;
}

void CViewerChannel::SetPlayTime(int32_t time)
{
    if (m_block)
        StoreSharedFlag(m_block->playTime, time);
}

namespace {

bool WriteOrEmpty(std::span<char16_t> field, const QString& text)
{
    if (WritePmText(field, text))
        return true;
    std::fill(field.begin(), field.end(), u'\0');
    return false;
}

} // namespace

bool CViewerChannel::WriteVersion(const QString& version)
{
    return m_block && WriteOrEmpty(m_block->version, version);
}

bool CViewerChannel::WriteProjectPath(const QString& path)
{
    return m_block && WriteOrEmpty(m_block->projectPath, path);
}

bool CViewerChannel::WriteWorkFolder(const QString& folder)
{
    return m_block && WriteOrEmpty(m_block->workFolder, folder);
}

bool CViewerChannel::WriteDisplayName(const QString& name)
{
    return m_block && WriteOrEmpty(m_block->displayName, name);
}

void CViewerChannel::WriteResoMode(int32_t mode)
{
    if (m_block)
        m_block->resoMode = mode;
}
