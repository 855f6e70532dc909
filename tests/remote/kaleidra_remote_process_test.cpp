#include "tests/fixtures/temp_folder.h"
#include "tests/remote/raw_client.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// The built program, started offscreen on a free port of 127.0.0.1 and driven as editors would.
class KaleidraRemoteProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // An empty program folder: no language file, so every text is the built-in one.
        environment.insert(QStringLiteral("KALEIDRA_PROGRAM_DIR"), folder.Path());
        environment.insert(QStringLiteral("KALEIDRA_REMOTE_TEST_LISTEN"), QStringLiteral("127.0.0.1:0"));
        // A build with AddressSanitizer keeps up to 256 MB of freed memory aside, which would
        // read as growth of the program; a small quarantine still catches its faults.
        const QString sanitizerOptions = environment.value(QStringLiteral("ASAN_OPTIONS"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
            (sanitizerOptions.isEmpty() ? QString() : sanitizerOptions + u':')
                + QStringLiteral("quarantine_size_mb=4"));
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::SeparateChannels);
        // Into a file: a pipe that nobody reads while the test waits on its sockets would fill
        // up with a chatty program's diagnostics and stall it.
        program.setStandardErrorFile(folder.FilePath(QStringLiteral("stderr.txt")));
        program.start(QStringLiteral(KALEIDRA_REMOTE_EXECUTABLE), {});
        ASSERT_TRUE(program.waitForStarted(10000)) << qPrintable(program.errorString());
        QByteArray announced;
        while (!announced.contains('\n') && program.waitForReadyRead(10000))
            announced += program.readAllStandardOutput();
        const QByteArray prefix = "listening on port ";
        ASSERT_TRUE(announced.startsWith(prefix)) << announced.constData();
        port = static_cast<uint16_t>(announced.mid(prefix.size()).trimmed().toUInt());
        ASSERT_NE(port, 0);
    }

    void TearDown() override
    {
        if (HasFailure())
            std::fprintf(stderr, "KaleidraRemote's diagnostics:\n%s\n",
                folder.ReadFile(QStringLiteral("stderr.txt")).constData());
        program.terminate();
        if (!program.waitForFinished(5000)) {
            program.kill();
            program.waitForFinished(5000);
        }
    }

    // The program's resident memory in kilobytes, from the kernel's view of it.
    int64_t ResidentKilobytes()
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(program.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
        return -1;
    }

    CTempFolder folder;
    QProcess program;
    uint16_t port = 0;
};

TEST_F(KaleidraRemoteProcessTest, ServesEditorsThroughTheProtocol)
{
    CRawClient first(port);
    ASSERT_TRUE(first.IsConnected());
    EXPECT_EQ(first.ReadFrame(), "PM_R10,000000000000");
    EXPECT_EQ(first.ReadFrame(), "PM_R04,000000000000");
    EXPECT_EQ(first.ReadFrame(), "PM_R03,000000000000");
    ASSERT_TRUE(first.SendFrame("PM_S03", 360000));
    ASSERT_TRUE(first.SendFrame("PM_S02", 6000));
    // One frame split over two writes.
    const std::string current = "PM_S01,000000001234";
    ASSERT_TRUE(first.Write(current.substr(0, 7)));
    ASSERT_TRUE(first.Write(current.substr(7)));

    // Questions are answered to every editor; what the remote holds is what it was told.
    struct Query {
        const char* ask;
        const char* answer;
    };
    const Query queries[] = {
        { "PM_S51", "PM_R51,000000006000" },
        { "PM_S52", "PM_R52,000000360000" },
        { "PM_S50", "PM_R50,000000001234" },
        { "PM_S53", "PM_R53,000000000000" },
        { "PM_S54", "PM_R54,000000000000" },
        { "PM_S55", "PM_R55,000000000000" },
        { "PM_S56", "PM_R56,000000000000" },
    };
    for (const Query& query : queries) {
        SCOPED_TRACE(query.ask);
        ASSERT_TRUE(first.SendFrame(query.ask, 0));
        EXPECT_EQ(first.ReadFrame(), query.answer);
    }
    // A time below 0 is taken as 0.
    ASSERT_TRUE(first.SendFrame("PM_S01", -50));
    ASSERT_TRUE(first.Write("pm_s50,000000000000PM_S50000000000000,"));
    EXPECT_TRUE(first.StaysQuiet(100ms)) << "a lower-case code and a misplaced comma are dropped";
    ASSERT_TRUE(first.SendFrame("PM_S50", 0));
    EXPECT_EQ(first.ReadFrame(), "PM_R50,000000000000");

    // Later editors get the play time alone; a fifth is refused and closed.
    std::vector<CRawClient> later;
    for (int i = 0; i < 3; ++i) {
        later.emplace_back(port);
        EXPECT_EQ(later.back().ReadFrame(), "PM_R51,000000006000");
    }
    CRawClient fifth(port);
    EXPECT_EQ(fifth.ReadFrame(), "PM_R11,000000000004");
    EXPECT_TRUE(fifth.WaitClosed());

    // The broadcast answer reaches all four.
    ASSERT_TRUE(later[1].SendFrame("PM_S51", 0));
    EXPECT_EQ(first.ReadFrame(), "PM_R51,000000006000");
    for (CRawClient& editor : later)
        EXPECT_EQ(editor.ReadFrame(), "PM_R51,000000006000");

    // When all have gone, the next editor is the first again and is asked for its times.
    first.Close();
    later.clear();
    // Each try that comes before the remote has seen the others leave is itself one more editor
    // to leave: give the remote a moment between tries, or every try finds the one before it.
    bool askedAgain = false;
    for (auto deadline = DeadlineIn(10s); !askedAgain && std::chrono::steady_clock::now() < deadline;) {
        CRawClient again(port);
        const auto frame = again.ReadFrame(2s);
        askedAgain = frame == "PM_R10,000000000000";
        if (!askedAgain) {
            again.Close();
            std::this_thread::sleep_for(100ms);
        }
    }
    EXPECT_TRUE(askedAgain);
}

TEST_F(KaleidraRemoteProcessTest, AFloodingEditorNeitherSwellsTheProgramNorKeepsOthersWaiting)
{
    CRawClient flooder(port);
    ASSERT_TRUE(flooder.IsConnected());
    for (const char* opening : { "PM_R10,000000000000", "PM_R04,000000000000", "PM_R03,000000000000" })
        ASSERT_EQ(flooder.ReadFrame(), opening);
    ASSERT_TRUE(flooder.SendFrame("PM_S02", 6000));
    ASSERT_EQ(flooder.SendFrame("PM_S51", 0), true);
    ASSERT_EQ(flooder.ReadFrame(), "PM_R51,000000006000");

    // Queries as fast as the remote takes them, every answer read.
    const int64_t before = ResidentKilobytes();
    ASSERT_GT(before, 0);
    int64_t peak = before;
    const int64_t frames
        = flooder.Flood("PM_S50,000000000000", 2500ms, [&] { peak = std::max(peak, ResidentKilobytes()); });
    peak = std::max(peak, ResidentKilobytes());

    // What the flood left unanswered must not hold up an editor that connects now.
    const auto connected = std::chrono::steady_clock::now();
    CRawClient next(port);
    ASSERT_TRUE(next.IsConnected());
    // Answers to the flood reach every editor: look past them, for a while.
    std::optional<std::string> frame;
    const auto giveUp = DeadlineIn(20s);
    do
        frame = next.ReadFrame(20s);
    while (frame && *frame != "PM_R51,000000006000" && std::chrono::steady_clock::now() < giveUp);
    const auto waited
        = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - connected);
    std::printf("flood: %lld frames; resident %lld kB before, %lld kB at most; a new editor waited %lld ms\n",
        static_cast<long long>(frames), static_cast<long long>(before), static_cast<long long>(peak),
        static_cast<long long>(waited.count()));

    EXPECT_GT(frames, 10000) << "the flood did not get going";
    EXPECT_LT(peak - before, 48 * 1024) << "kilobytes the program grew by";
    EXPECT_EQ(frame, "PM_R51,000000006000");
    EXPECT_LT(waited, 2s);
}

TEST_F(KaleidraRemoteProcessTest, AnEditorThatStopsReadingHoldsUpNoAnswerToTheOthers)
{
    CRawClient stuck(port, 4096); // reads nothing once it has set the play time
    ASSERT_TRUE(stuck.IsConnected());
    for (const char* opening : { "PM_R10,000000000000", "PM_R04,000000000000", "PM_R03,000000000000" })
        ASSERT_EQ(stuck.ReadFrame(), opening);
    ASSERT_TRUE(stuck.SendFrame("PM_S02", 6000));
    ASSERT_TRUE(stuck.SendFrame("PM_S51", 0));
    ASSERT_EQ(stuck.ReadFrame(), "PM_R51,000000006000");
    CRawClient editor(port);
    ASSERT_EQ(editor.ReadFrame(), "PM_R51,000000006000");

    // Every answer goes to both editors, so the stuck one's buffers fill up at some point; the
    // other keeps asking and must be answered at once all along.
    std::string questions;
    for (int i = 0; i < 1000; ++i)
        questions += "PM_S54,000000000000";
    auto slowest = std::chrono::steady_clock::duration::zero();
    int answered = 0;
    bool waitedTooLong = false;
    for (int round = 0; round < 250 && !waitedTooLong; ++round) {
        const auto asked = std::chrono::steady_clock::now();
        ASSERT_TRUE(editor.Write(questions));
        for (int i = 0; i < 1000 && !waitedTooLong; ++i) {
            const auto answer = editor.ReadFrame(3s);
            waitedTooLong = !answer.has_value();
            if (answer) {
                ASSERT_EQ(answer, "PM_R54,000000000000") << answered;
                ++answered;
            }
        }
        slowest = std::max(slowest, std::chrono::steady_clock::now() - asked);
    }
    std::printf("%d answers; the slowest thousand took %lld ms\n", answered,
        static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(slowest).count()));
    EXPECT_FALSE(waitedTooLong) << "no answer for 3 s after " << answered;
    EXPECT_LT(slowest, 2s);
}

} // namespace
