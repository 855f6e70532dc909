#include "view/viewer_channel.h"

#include "platform/shared_flag.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

using platform::LoadSharedFlag;
using platform::StoreSharedFlag;

namespace {

class CFakeLiveness final : public CViewerLiveness {
public:
    bool IsViewerRunning() override { return running; }
    std::atomic<bool> running { false };
};

// The viewer's part, played on a thread: takes each raised command after a delay and records
// its kind and first cell.
class CFakeViewer {
public:
    CFakeViewer(PmParamBlock& block, std::chrono::milliseconds delay)
        : m_block(block)
        , m_delay(delay)
        , m_thread([this](std::stop_token stop) { Run(stop); })
    {
    }
    std::vector<std::pair<int32_t, QString>> Taken()
    {
        std::lock_guard lock(m_mutex);
        return m_taken;
    }

private:
    void Run(std::stop_token stop)
    {
        while (!stop.stop_requested()) {
            if (LoadSharedFlag(m_block.commandFlag) == 1) {
                std::this_thread::sleep_for(m_delay);
                {
                    std::lock_guard lock(m_mutex);
                    m_taken.emplace_back(m_block.commandKind, ReadPmText(m_block.commandCells[0]));
                }
                StoreSharedFlag(m_block.commandFlag, 0);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    PmParamBlock& m_block;
    std::chrono::milliseconds m_delay;
    std::mutex m_mutex;
    std::vector<std::pair<int32_t, QString>> m_taken;
    std::jthread m_thread;
};

struct ChannelFixture : ::testing::Test {
    std::unique_ptr<PmParamBlock> block = std::make_unique<PmParamBlock>();
    CFakeLiveness liveness;
    CViewerChannel channel { block.get(), liveness };
};

using Clock = std::chrono::steady_clock;

} // namespace

TEST_F(ChannelFixture, WithoutAViewerEveryRequestReturnsAtOnce)
{
    const auto started = Clock::now();
    EXPECT_FALSE(channel.SendCommand(kPmCommandPlay, {}, CViewerChannel::kWaitPasses));
    EXPECT_EQ(block->commandFlag, 1) << "written for the next viewer";
    // The raised flag does not hold the next request back while no viewer runs.
    EXPECT_FALSE(channel.SendCommand(kPmCommandSeek, { QStringLiteral("250") }, CViewerChannel::kWaitPasses));
    EXPECT_EQ(block->commandKind, kPmCommandSeek);
    std::array<int32_t, kPmQueryCells> answer {};
    EXPECT_EQ(channel.Query(kPmQueryWindowRect, {}, 4, answer), CViewerChannel::QueryResult::NotTaken);
    EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(100));
}

TEST_F(ChannelFixture, ARequestTheViewerTakesIsWaitedFor)
{
    liveness.running = true;
    CFakeViewer viewer(*block, std::chrono::milliseconds(30));
    EXPECT_TRUE(channel.SendCommand(kPmCommandSeek, { QStringLiteral("1234") }, CViewerChannel::kWaitPasses));
    EXPECT_EQ(block->commandFlag, 0);
    ASSERT_EQ(viewer.Taken().size(), 1u);
    EXPECT_EQ(viewer.Taken()[0], std::make_pair(int32_t(kPmCommandSeek), QStringLiteral("1234")));
}

TEST_F(ChannelFixture, AWaitRunsOutWhenTheViewerTakesNothing)
{
    liveness.running = true;
    const auto started = Clock::now();
    EXPECT_FALSE(channel.SendCommand(kPmCommandPlay, {}, 5));
    const auto waited = Clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(40));
    EXPECT_LT(waited, std::chrono::milliseconds(1000));
    EXPECT_EQ(block->commandFlag, 1) << "an abandoned request keeps its flag";
}

TEST_F(ChannelFixture, ARaisedFlagIsWaitedForBeforeItsAreaIsWrittenAgain)
{
    liveness.running = true;
    CFakeViewer viewer(*block, std::chrono::milliseconds(60));
    // GUIDE is raised without a wait; the seek right behind it must not overwrite it.
    EXPECT_TRUE(channel.SendCommand(kPmCommandGuide, { QStringLiteral("1") }, CViewerChannel::kNoWait));
    EXPECT_TRUE(channel.SendCommand(kPmCommandSeek, { QStringLiteral("500") }, CViewerChannel::kWaitPasses));
    const auto taken = viewer.Taken();
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0], std::make_pair(int32_t(kPmCommandGuide), QStringLiteral("1")));
    EXPECT_EQ(taken[1], std::make_pair(int32_t(kPmCommandSeek), QStringLiteral("500")));
}

TEST_F(ChannelFixture, ARequestIsDroppedRatherThanWrittenOverOneARunningViewerHasNotTaken)
{
    liveness.running = true;
    channel.SendCommand(kPmCommandGuide, { QStringLiteral("1") }, CViewerChannel::kNoWait);
    EXPECT_FALSE(channel.SendCommand(kPmCommandSeek, { QStringLiteral("500") }, CViewerChannel::kNoWait));
    EXPECT_EQ(block->commandKind, kPmCommandGuide);
    EXPECT_EQ(ReadPmText(block->commandCells[0]), QStringLiteral("1"));
}

TEST_F(ChannelFixture, QueryAnswersAreClearedBeforeAndReadAfter)
{
    liveness.running = true;
    // A stale answer from an earlier query must not pass for this one.
    WritePmText(block->queryCells[5], u"77");
    std::atomic<int> mode { 0 }; // 0 answer all corners, 1 leave the answer empty
    std::jthread viewer([&](std::stop_token stop) {
        while (!stop.stop_requested()) {
            if (LoadSharedFlag(block->queryFlag) == 1) {
                if (mode == 0)
                    for (int cell = 0; cell < 8; ++cell)
                        WritePmNumber(block->queryCells[5 + cell], 10 * (cell + 1) - 5);
                StoreSharedFlag(block->queryFlag, 0);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    std::array<int32_t, kPmQueryCells> answer {};
    ASSERT_EQ(channel.Query(kPmQueryGetCorners, { QStringLiteral("3") }, 8, answer),
        CViewerChannel::QueryResult::Answered);
    EXPECT_EQ(block->queryKind, kPmQueryGetCorners);
    EXPECT_EQ(ReadPmText(block->queryCells[0]), QStringLiteral("3"));
    EXPECT_EQ(answer[0], 5);
    EXPECT_EQ(answer[7], 75);
    mode = 1;
    EXPECT_EQ(channel.Query(kPmQueryGetCorners, { QStringLiteral("4") }, 8, answer),
        CViewerChannel::QueryResult::Empty);
}

TEST_F(ChannelFixture, AWaitingLoadIsNeverTurnedIntoAReRead)
{
    // No viewer: the load stays asked for, whatever comes after it.
    EXPECT_TRUE(channel.RaiseProjectFlag(kPmProjectLoad, CViewerChannel::kNoWait));
    EXPECT_FALSE(channel.RaiseProjectFlag(kPmProjectTimes, CViewerChannel::kNoWait));
    EXPECT_EQ(block->projectFlag, kPmProjectLoad);

    // A running viewer that finishes the load gets the re-read after it.
    liveness.running = true;
    std::jthread viewer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        StoreSharedFlag(block->projectFlag, 0);
    });
    EXPECT_TRUE(channel.RaiseProjectFlag(kPmProjectTimes, CViewerChannel::kNoWait));
    EXPECT_EQ(block->projectFlag, kPmProjectTimes);
}

TEST_F(ChannelFixture, AReplyIsCopiedAndItsFlagClearedBeforeAnythingActs)
{
    EXPECT_FALSE(channel.TakeReply());
    block->replyKind = kPmReplyMessage;
    WritePmNumber(block->replyCells[0], 2);
    WritePmNumber(block->replyCells[1], 1);
    WritePmText(block->replyCells[2], u"画像が読めません");
    // A cell without its terminator is read to its end and no further.
    std::fill(std::begin(block->replyCells[3]), std::end(block->replyCells[3]), u'x');
    StoreSharedFlag(block->replyFlag, 1);
    const std::optional<PmReplyRecord> reply = channel.TakeReply();
    ASSERT_TRUE(reply);
    EXPECT_EQ(block->replyFlag, 0);
    EXPECT_EQ(reply->kind, kPmReplyMessage);
    EXPECT_EQ(reply->Number(0), 2);
    EXPECT_EQ(reply->cells[2], QStringLiteral("画像が読めません"));
    EXPECT_EQ(reply->cells[3].size(), kPmCellChars);
    EXPECT_EQ(reply->Number(99), 0);
    EXPECT_FALSE(channel.TakeReply());
}

TEST_F(ChannelFixture, FieldsThatDoNotFitAreRefusedAndEmptied)
{
    EXPECT_TRUE(channel.WriteProjectPath(QStringLiteral("/shows/a.xml")));
    EXPECT_EQ(ReadPmText(block->projectPath), QStringLiteral("/shows/a.xml"));
    EXPECT_FALSE(channel.WriteProjectPath(QString(kPmPathChars, u'a')));
    EXPECT_EQ(ReadPmText(block->projectPath), QString());
    EXPECT_TRUE(channel.WriteVersion(QStringLiteral("1.6.1.5")));
    EXPECT_FALSE(channel.WriteVersion(QStringLiteral("1234567890")));
    EXPECT_EQ(ReadPmText(block->version), QString());
    EXPECT_TRUE(channel.WriteDisplayName(QStringLiteral("HDMI-1")));
    EXPECT_EQ(ReadPmText(block->displayName), QStringLiteral("HDMI-1"));
}
