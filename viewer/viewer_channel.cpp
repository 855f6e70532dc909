#include "viewer/viewer_channel.h"

#include "platform/number_text.h"
#include "platform/shared_flag.h"

#include <algorithm>

using platform::LoadSharedFlag;
using platform::StoreSharedFlag;

ViewerReply ViewerReply::FaceClicked(int32_t faceNo)
{
    ViewerReply reply;
    reply.kind = kPmReplyFaceClicked;
    reply.cells[0] = platform::FormatInt(faceNo);
    return reply;
}

ViewerReply ViewerReply::Corners(int32_t faceNo, const FaceCorners& corners)
{
    ViewerReply reply;
    reply.kind = kPmReplyCorners;
    reply.cells[0] = platform::FormatInt(faceNo);
    for (size_t i = 0; i < corners.size(); ++i)
        reply.cells[kPmQueryAnswerCell + i] = platform::FormatInt(corners[i]);
    return reply;
}

ViewerReply ViewerReply::Key(int32_t code)
{
    ViewerReply reply;
    reply.kind = kPmReplyKey;
    reply.cells[0] = platform::FormatInt(code);
    return reply;
}

ViewerReply ViewerReply::Minimised(bool minimised)
{
    ViewerReply reply;
    reply.kind = kPmReplyMinimise;
    reply.cells[0] = platform::FormatInt(minimised ? 1 : 0);
    return reply;
}

ViewerReply ViewerReply::Message(int32_t severity, bool show, const QString& text)
{
    ViewerReply reply;
    reply.kind = kPmReplyMessage;
    reply.cells[0] = platform::FormatInt(severity);
    reply.cells[1] = platform::FormatInt(show ? 1 : 0);
    // A cell holds 255 characters; a longer message is shortened rather than lost, never
    // leaving half of a character pair at the end.
    QString shown = text.left(kPmCellChars - 1);
    if (!shown.isEmpty() && shown.back().isHighSurrogate())
        shown.chop(1);
    reply.cells[2] = shown;
    return reply;
}

CViewerChannel::CViewerChannel(PmParamBlock& block, CViewerChannelOwner& owner)
    : m_block(block)
    , m_owner(owner)
{
}

bool CViewerChannel::Poll()
{
    if (m_quit)
        return false;
    TakeProject();
    if (!TakeCommand())
        return false;
    TakeData();
    TakeQuery();
    GiveReply();
    PublishTime(m_owner.PlaybackTime());
    return true;
}

void CViewerChannel::PublishTime(int32_t time)
{
    StoreSharedFlag(m_block.playTime, time);
}

int32_t CViewerChannel::ResoMode() const
{
    return LoadSharedFlag(m_block.resoMode);
}

QString CViewerChannel::DisplayName() const
{
    return ReadPmText(m_block.displayName);
}

QString CViewerChannel::Version() const
{
    return ReadPmText(m_block.version);
}

void CViewerChannel::TakeProject()
{
    const int32_t flag = LoadSharedFlag(m_block.projectFlag);
    if (flag == kPmProjectIdle)
        return;
    if (flag == kPmProjectLoad)
        m_owner.LoadProject(ReadPmText(m_block.projectPath), ReadPmText(m_block.workFolder));
    else if (flag == kPmProjectTimes)
        m_owner.ReloadTimes();
    // Any other value is no request the viewer knows; clearing it keeps the editor from waiting.
    PublishTime(m_owner.PlaybackTime());
    StoreSharedFlag(m_block.projectFlag, kPmProjectIdle);
}

bool CViewerChannel::TakeCommand()
{
    if (LoadSharedFlag(m_block.commandFlag) == 0)
        return true;
    const int32_t kind = LoadSharedFlag(m_block.commandKind);
    const auto cellNumber = [this](int cell) { return ReadPmNumber(m_block.commandCells[cell]); };
    switch (kind) {
    case kPmCommandPlay:
        m_owner.Play();
        break;
    case kPmCommandPause:
        m_owner.Pause();
        break;
    case kPmCommandSeek:
        m_owner.Seek(cellNumber(0));
        break;
    case kPmCommandGuide:
        m_owner.SetGuide(cellNumber(0) == 1);
        break;
    case kPmCommandLoop:
        m_owner.SetLoop(cellNumber(0) == 1);
        break;
    case kPmCommandScreen:
        m_owner.SetScreen(cellNumber(0) == 1, cellNumber(1));
        break;
    case kPmCommandQuit:
        m_quit = true;
        break;
    default:
        break;
    }
    // The time the command left (the final time of a pause, the time of a seek) stands in the
    // block before the editor sees the flag cleared and reads it.
    PublishTime(m_owner.PlaybackTime());
    StoreSharedFlag(m_block.commandFlag, 0);
    if (m_quit) {
        m_owner.Quit();
        return false;
    }
    return true;
}

void CViewerChannel::TakeData()
{
    if (LoadSharedFlag(m_block.dataFlag) == 0)
        return;
    const int32_t kind = LoadSharedFlag(m_block.dataKind);
    const int32_t faceNo = LoadSharedFlag(m_block.dataFaceNo);
    if (kind == kPmDataFaceAdded || kind == kPmDataFaceChanged || kind == kPmDataFaceSelected)
        m_owner.FaceData(kind, faceNo);
    StoreSharedFlag(m_block.dataFlag, 0);
}

void CViewerChannel::TakeQuery()
{
    if (LoadSharedFlag(m_block.queryFlag) == 0)
        return;
    const int32_t kind = LoadSharedFlag(m_block.queryKind);
    const int32_t faceNo = ReadPmNumber(m_block.queryCells[0]);
    switch (kind) {
    case kPmQueryGetCorners: {
        FaceCorners corners {};
        // A face the viewer does not know gets no answer: the flag stays raised and the editor's
        // wait runs out, which it takes as a failed query, rather than corners of nothing.
        if (!m_owner.GetFaceCorners(faceNo, corners))
            return;
        for (size_t i = 0; i < corners.size(); ++i)
            WritePmNumber(m_block.queryCells[kPmQueryAnswerCell + i], corners[i]);
        break;
    }
    case kPmQuerySetCorners: {
        FaceCorners corners {};
        for (size_t i = 0; i < corners.size(); ++i)
            corners[i] = ReadPmNumber(m_block.queryCells[kPmQueryAnswerCell + i]);
        m_owner.SetFaceCorners(faceNo, corners);
        break;
    }
    case kPmQueryWindowRect: {
        const QRect rect = m_owner.WindowRect();
        const int32_t values[] = { rect.x(), rect.y(), rect.width(), rect.height() };
        for (size_t i = 0; i < std::size(values); ++i)
            WritePmNumber(m_block.queryCells[kPmQueryAnswerCell + i], values[i]);
        break;
    }
    default:
        break;
    }
    StoreSharedFlag(m_block.queryFlag, 0);
}

void CViewerChannel::QueueReply(ViewerReply reply)
{
    if (reply.kind == kPmReplyCorners) {
        const auto same
            = std::find_if(m_replies.begin(), m_replies.end(), [&reply](const ViewerReply& queued) {
                  return queued.kind == kPmReplyCorners && queued.cells[0] == reply.cells[0];
              });
        if (same != m_replies.end()) {
            *same = std::move(reply);
            return;
        }
    }
    if (m_replies.size() >= kMaxQueuedReplies)
        return;
    m_replies.push_back(std::move(reply));
}

bool CViewerChannel::CornersPending(int32_t faceNo) const
{
    const QString face = platform::FormatInt(faceNo);
    const auto isCorners = [&face](const ViewerReply& reply) {
        return reply.kind == kPmReplyCorners && reply.cells[0] == face;
    };
    return (m_standing && isCorners(*m_standing))
        || std::any_of(m_replies.begin(), m_replies.end(), isCorners);
}

void CViewerChannel::GiveReply()
{
    if (LoadSharedFlag(m_block.replyFlag) != 0)
        return;
    m_standing.reset();
    if (m_replies.empty())
        return;
    const ViewerReply& reply = m_replies.front();
    StoreSharedFlag(m_block.replyKind, reply.kind);
    for (int cell = 0; cell < kPmReplyCells; ++cell)
        WritePmText(m_block.replyCells[cell], reply.cells[size_t(cell)]);
    StoreSharedFlag(m_block.replyFlag, 1);
    m_standing = std::move(m_replies.front());
    m_replies.pop_front();
}
