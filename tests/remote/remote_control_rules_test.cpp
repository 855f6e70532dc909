#include "remote/remote_codes.h"
#include "remote/remote_control_rules.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class CFakeClock : public RemoteTickClock {
public:
    uint32_t TickCount() const override { return now; }
    void Advance(uint32_t milliseconds) { now += milliseconds; }
    uint32_t now = 5000;
};

struct SentFrame {
    uint64_t to = 0; // 0: every client
    std::string code;
    int64_t value = 0;
    bool operator==(const SentFrame&) const = default;
};

std::ostream& operator<<(std::ostream& out, const SentFrame& frame)
{
    return out << (frame.to == 0 ? std::string("all") : std::to_string(frame.to)) << ' ' << frame.code << ' '
               << frame.value;
}

class CRecordingSender : public RemoteFrameSender {
public:
    void Broadcast(std::string_view code, int64_t value) override
    {
        sent.push_back({ 0, std::string(code), value });
    }
    void SendTo(uint64_t clientId, std::string_view code, int64_t value) override
    {
        sent.push_back({ clientId, std::string(code), value });
    }
    std::vector<SentFrame> Take() { return std::exchange(sent, {}); }
    std::vector<SentFrame> sent;
};

class RemoteControlRulesTest : public ::testing::Test {
protected:
    // A first editor with the given times has answered the opening requests.
    void ConnectEditor(int64_t playTime, int64_t currentTime)
    {
        rules.ClientAccepted(1, 1);
        rules.Receive(kReceiveProjectTime, 360000);
        rules.Receive(kReceivePlayTime, playTime);
        rules.Receive(kReceiveCurrentTime, currentTime);
        sender.Take();
    }

    CFakeClock clock;
    CRecordingSender sender;
    CRemoteControlRules rules { clock, sender };
};

TEST_F(RemoteControlRulesTest, PlaysToTheEndAndStopsOrLoops)
{
    for (const bool loop : { false, true }) {
        SCOPED_TRACE(loop ? "LOOP on" : "LOOP off");
        ConnectEditor(1000, 990);
        if (loop)
            rules.ToggleLoop();
        sender.Take();

        rules.StartPause();
        EXPECT_EQ(sender.Take(), (std::vector<SentFrame> { { 0, "PM_R01", 990 } }));
        clock.Advance(59);
        rules.PlayClockTick();
        EXPECT_EQ(rules.CurrentTime(), 995);
        EXPECT_TRUE(rules.IsPlaying());
        clock.Advance(51); // 110 ms after the start: 1001 is past the end
        rules.PlayClockTick();
        if (loop) {
            EXPECT_EQ(rules.CurrentTime(), 0);
            EXPECT_TRUE(rules.IsPlaying());
            EXPECT_EQ(sender.Take(), (std::vector<SentFrame> { { 0, "PM_R05", 0 }, { 0, "PM_R01", 0 } }));
            clock.Advance(120);
            rules.PlayClockTick();
            EXPECT_EQ(rules.CurrentTime(), 12) << "the clock runs on from the top";
        } else {
            EXPECT_EQ(rules.CurrentTime(), 1000);
            EXPECT_FALSE(rules.IsPlaying());
            EXPECT_TRUE(sender.Take().empty());
            clock.Advance(500);
            rules.PlayClockTick();
            EXPECT_EQ(rules.CurrentTime(), 1000) << "a stopped clock stands";
        }
    }
}

TEST_F(RemoteControlRulesTest, PlayTimeZeroEndsAtTheFirstTick)
{
    ConnectEditor(0, 0);
    rules.StartPause();
    sender.Take();
    clock.Advance(10);
    rules.PlayClockTick();
    EXPECT_FALSE(rules.IsPlaying());

    rules.ToggleLoop();
    rules.StartPause();
    sender.Take();
    for (int tick = 0; tick < 3; ++tick) {
        clock.Advance(10);
        rules.PlayClockTick();
        EXPECT_TRUE(rules.IsPlaying());
        EXPECT_EQ(sender.Take(), (std::vector<SentFrame> { { 0, "PM_R05", 0 }, { 0, "PM_R01", 0 } }));
    }
}

TEST_F(RemoteControlRulesTest, ClockSurvivesTheWrapOfTheTickCount)
{
    ConnectEditor(100000, 500);
    clock.now = 0xFFFFFFF0u;
    rules.StartPause();
    clock.Advance(0x20 + 1000); // wraps past zero
    rules.PlayClockTick();
    EXPECT_EQ(rules.CurrentTime(), 500 + (0x20 + 1000) / 10);
}

TEST_F(RemoteControlRulesTest, TypedTimesAreTakenOnlyBelowThePlayTimeWhileStopped)
{
    ConnectEditor(1000, 200);
    struct Case {
        int64_t typed;
        bool taken;
    };
    const Case cases[] = { { 0, true }, { 999, true }, { 1000, false }, { 1001, false }, { -1, false } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(rules.TypeCurrentTime(c.typed), c.taken);
        if (c.taken) {
            EXPECT_EQ(rules.CurrentTime(), c.typed);
            EXPECT_EQ(sender.Take(), (std::vector<SentFrame> { { 0, "PM_R05", c.typed } }));
        } else {
            EXPECT_TRUE(sender.Take().empty());
        }
    }
    rules.StartPause();
    sender.Take();
    EXPECT_FALSE(rules.TypeCurrentTime(10)) << "refused while playing";
    EXPECT_TRUE(sender.Take().empty());
}

TEST_F(RemoteControlRulesTest, ManySliderMovesInOneTickSendOneSeek)
{
    ConnectEditor(5000, 0);
    for (int position = 1; position <= 40; ++position)
        rules.MoveSlider(position * 10);
    EXPECT_EQ(rules.CurrentTime(), 400);
    EXPECT_TRUE(sender.sent.empty());
    rules.SeekTick();
    EXPECT_EQ(sender.Take(), (std::vector<SentFrame> { { 0, "PM_R05", 400 } }));
    rules.SeekTick();
    EXPECT_TRUE(sender.Take().empty());

    rules.MoveSlider(400); // no change: nothing to send
    rules.SeekTick();
    EXPECT_TRUE(sender.Take().empty());

    rules.StartPause();
    sender.Take();
    rules.MoveSlider(1234);
    rules.SeekTick();
    EXPECT_TRUE(sender.Take().empty()) << "the slider takes no moves while playing";
}

TEST_F(RemoteControlRulesTest, NoSliderSeekFollowsTopATypedTimeOrStart)
{
    // A slider move waits for the next tick; an action in between must not be followed by it.
    struct Case {
        const char* name;
        std::function<void(CRemoteControlRules&)> act;
        std::vector<SentFrame> sent;
    };
    const std::vector<Case> cases = {
        { "TOP", [](CRemoteControlRules& r) { r.Top(); }, { { 0, "PM_R05", 0 } } },
        { "typed time", [](CRemoteControlRules& r) { r.TypeCurrentTime(700); }, { { 0, "PM_R05", 700 } } },
        // START plays from where the slider was put: the seek goes out first.
        { "START", [](CRemoteControlRules& r) { r.StartPause(); },
            { { 0, "PM_R05", 300 }, { 0, "PM_R01", 300 } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectEditor(5000, 100);
        rules.MoveSlider(300);
        c.act(rules);
        EXPECT_EQ(rules.PendingSeek(), -1);
        rules.SeekTick();
        EXPECT_EQ(sender.Take(), c.sent);
        if (rules.IsPlaying())
            rules.StartPause();
    }
}

TEST_F(RemoteControlRulesTest, ButtonsSendTheirFramesWithTheCurrentTime)
{
    ConnectEditor(9000, 300);
    rules.StartPause();
    clock.Advance(1000);
    rules.PlayClockTick();
    rules.StartPause();
    EXPECT_EQ(sender.Take(),
        (std::vector<SentFrame> { { 0, "PM_R01", 300 }, { 0, "PM_R02", 400 }, { 0, "PM_R03", 400 } }));
    rules.Receive(kReceiveCurrentTime, 410); // the editor's answer sets the clock
    EXPECT_EQ(rules.CurrentTime(), 410);

    rules.ToggleGuide();
    rules.ToggleGuide();
    rules.ToggleLoop();
    rules.ToggleLoop();
    rules.ToggleScreen();
    rules.ToggleScreen();
    EXPECT_EQ(sender.Take(),
        (std::vector<SentFrame> { { 0, "PM_R06", 410 }, { 0, "PM_R07", 410 }, { 0, "PM_R08", 410 },
            { 0, "PM_R09", 410 }, { 0, "PM_R12", 410 }, { 0, "PM_R13", 410 } }));

    rules.StartPause();
    sender.Take();
    rules.Top();
    EXPECT_FALSE(rules.IsPlaying());
    EXPECT_EQ(rules.CurrentTime(), 0);
    EXPECT_EQ(sender.Take(), (std::vector<SentFrame> { { 0, "PM_R05", 0 } }));
}

TEST_F(RemoteControlRulesTest, FirstEditorIsAskedForItsTimesAndLaterOnesGetThePlayTime)
{
    ConnectEditor(1000, 100);
    rules.ToggleGuide();
    rules.ToggleScreen();
    rules.StartPause();
    sender.Take();

    rules.ClientAccepted(7, 2);
    EXPECT_EQ(sender.Take(), (std::vector<SentFrame> { { 7, "PM_R51", 1000 } }));
    EXPECT_TRUE(rules.IsPlaying()) << "a second editor changes nothing";
    EXPECT_TRUE(rules.IsGuideOn());
    EXPECT_EQ(rules.PlayTime(), 1000);

    rules.ClientAccepted(9, 1);
    EXPECT_EQ(sender.Take(),
        (std::vector<SentFrame> { { 9, "PM_R10", 0 }, { 9, "PM_R04", 0 }, { 9, "PM_R03", 0 } }));
    EXPECT_FALSE(rules.IsPlaying());
    EXPECT_FALSE(rules.IsGuideOn());
    EXPECT_FALSE(rules.IsLoopOn());
    EXPECT_FALSE(rules.IsScreenOn());
    EXPECT_EQ(rules.CurrentTime(), 0);
    EXPECT_EQ(rules.PlayTime(), 0);
    EXPECT_EQ(rules.ProjectTime(), 0);
}

TEST_F(RemoteControlRulesTest, ReceivedTimesAreClampedAndQueriesAnswered)
{
    struct Case {
        int number;
        int64_t value;
        int64_t expected;
    };
    const Case times[] = {
        { kReceiveCurrentTime, 12345, 12345 },
        { kReceiveCurrentTime, -5, 0 },
        { kReceivePlayTime, -2147483648LL, 0 },
        { kReceivePlayTime, 2147483647, 2147483647 },
        { kReceiveProjectTime, -1, 0 },
        { kReceiveProjectTime, 360000, 360000 },
    };
    for (const Case& c : times) {
        SCOPED_TRACE(c.number);
        SCOPED_TRACE(c.value);
        rules.Receive(c.number, c.value);
        const int64_t got = c.number == kReceiveCurrentTime ? rules.CurrentTime()
            : c.number == kReceivePlayTime                  ? rules.PlayTime()
                                                            : rules.ProjectTime();
        EXPECT_EQ(got, c.expected);
    }
    EXPECT_EQ(CRemoteControlRules::ClampReceivedTime(5000000000LL), 2147483647);

    ConnectEditor(1000, 250);
    rules.ToggleLoop();
    sender.Take();
    for (int number = kReceiveAskCurrentTime; number <= kReceiveAskPlaying; ++number)
        rules.Receive(number, 99);
    rules.Receive(kReceiveClientGone, 0);
    rules.Receive(42, 1);
    EXPECT_EQ(sender.Take(),
        (std::vector<SentFrame> { { 0, "PM_R50", 250 }, { 0, "PM_R51", 1000 }, { 0, "PM_R52", 360000 },
            { 0, "PM_R53", 0 }, { 0, "PM_R54", 1 }, { 0, "PM_R55", 0 }, { 0, "PM_R56", 0 } }));
}

} // namespace
