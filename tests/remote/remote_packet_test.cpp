#include "remote/remote_codes.h"
#include "remote/remote_packet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Text(const RemotePacket& packet)
{
    return std::string(packet.data(), packet.size());
}

std::optional<RemoteFrame> Parse(const std::string& text)
{
    EXPECT_EQ(text.size(), static_cast<size_t>(kRemotePacketSize));
    return ParseRemotePacket(std::span<const char, kRemotePacketSize>(text.data(), kRemotePacketSize));
}

TEST(RemotePacket, FormatsNineteenCharactersForEveryValue)
{
    struct Case {
        int64_t value;
        const char* expected;
    };
    const Case cases[] = {
        { 0, "PM_R05,000000000000" },
        { 5, "PM_R05,000000000005" },
        { 12345, "PM_R05,000000012345" },
        { -1, "PM_R05,-00000000001" },
        { -5, "PM_R05,-00000000005" },
        { 2147483647, "PM_R05,002147483647" },
        { -2147483648LL, "PM_R05,-02147483648" },
        // Only the low 32 bits of a 64-bit time go on the wire.
        { 0x100000005LL, "PM_R05,000000000005" },
        { 4294967295LL, "PM_R05,-00000000001" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(Text(FormatRemotePacket("PM_R05", c.value)), c.expected);
    }
}

TEST(RemotePacket, ParsesCodeAndValueOrDropsTheFrame)
{
    struct Case {
        const char* frame;
        bool taken;
        const char* code;
        int64_t value; // as the remote reads it: 32 bits, widened
        int64_t value64; // as the editor reads it
    };
    const Case cases[] = {
        { "PM_S01,000000012345", true, "PM_S01", 12345, 12345 },
        { "PM_R05,-00000000001", true, "PM_R05", -1, -1 },
        { "PM_S02,002147483647", true, "PM_S02", 2147483647, 2147483647 },
        { "PM_S02,-02147483648", true, "PM_S02", -2147483648LL, -2147483648LL },
        // Twelve digits beyond the 32-bit range saturate instead of wrapping; 64 bits hold them.
        { "PM_S02,999999999999", true, "PM_S02", 2147483647, 999999999999LL },
        { "PM_S02,-99999999999", true, "PM_S02", -2147483648LL, -99999999999LL },
        // Reading stops at the first character that is not a digit; no digits read as 0.
        { "PM_S03,000000012x45", true, "PM_S03", 12, 12 },
        { "PM_S03,abcdefghijkl", true, "PM_S03", 0, 0 },
        { "PM_S03,0000000001,2", true, "PM_S03", 1, 1 },
        { "pm_s01,000000000001", true, "pm_s01", 1, 1 },
        // The first comma must stand at index 6.
        { "PM_S01000000001234,", false, "", 0, 0 },
        { "PM_S1,0000000001234", false, "", 0, 0 },
        { "PM,S01,000000001234", false, "", 0, 0 },
        { "PM_S01;000000001234", false, "", 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        const std::optional<RemoteFrame> frame = Parse(c.frame);
        ASSERT_EQ(frame.has_value(), c.taken);
        if (!frame)
            continue;
        EXPECT_EQ(frame->code, c.code);
        EXPECT_EQ(frame->value, c.value);
        const std::optional<RemoteFrame> wide = ParseRemotePacket(
            std::span<const char, kRemotePacketSize>(c.frame, kRemotePacketSize), RemoteValueWidth::Bits64);
        ASSERT_TRUE(wide.has_value());
        EXPECT_EQ(wide->code, c.code);
        EXPECT_EQ(wide->value, c.value64);
    }
}

TEST(RemoteCodes, TheRemoteTakesOnlyTheEditorsCodesExactly)
{
    struct Case {
        const char* code;
        std::optional<int> number;
    };
    const Case cases[] = {
        { "PM_S01", 1 },
        { "PM_S02", 2 },
        { "PM_S03", 3 },
        { "PM_S50", 11 },
        { "PM_S51", 12 },
        { "PM_S52", 13 },
        { "PM_S53", 14 },
        { "PM_S54", 15 },
        { "PM_S55", 16 },
        { "PM_S56", 17 },
        { "pm_s01", {} },
        { "PM_s01", {} },
        { "PM_R01", {} },
        { "PM_S04", {} },
        { "PM_S5", {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(RemoteReceiveNumberOf(c.code), c.number);
    }
}

TEST(RemoteCodes, TheEditorTakesEveryRemoteCodeWithItsCommandAndSlot)
{
    const std::vector<std::pair<int, int>> expected = {
        { 1, 0 },
        { 2, 1 },
        { 50, 2 },
        { 51, 3 },
        { 3, 4 },
        { 4, 5 },
        { 5, 6 },
        { 6, 7 },
        { 7, 8 },
        { 52, 11 },
        { 101, 12 },
        { 8, 9 },
        { 9, 10 },
        { 60, 13 },
        { 61, 14 },
        { 62, 15 },
        { 63, 16 },
        { 64, 17 },
        { 65, 18 },
        { 66, 19 },
    };
    // The first 20 codes of the shared table are the remote's, in the order R01..R13, R50..R56.
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(std::string(RemoteCommandCodes[i]));
        const auto code = EditorReceiveCodeOf(RemoteCommandCodes[i]);
        ASSERT_TRUE(code.has_value());
        EXPECT_EQ(code->command, expected[i].first);
        EXPECT_EQ(code->slot, expected[i].second);
    }
    for (size_t i = expected.size(); i < RemoteCommandCodes.size(); ++i) {
        SCOPED_TRACE(std::string(RemoteCommandCodes[i]));
        EXPECT_FALSE(EditorReceiveCodeOf(RemoteCommandCodes[i]).has_value());
        EXPECT_TRUE(RemoteReceiveNumberOf(RemoteCommandCodes[i]).has_value());
    }
    EXPECT_FALSE(EditorReceiveCodeOf("pm_r01").has_value());
}

// Feeds the stream in the given pieces and returns the frames cut from it, as text.
std::vector<std::string> CutFrames(
    CRemoteFrameAccumulator& accumulator, const std::vector<std::string>& reads)
{
    std::vector<std::string> frames;
    for (const std::string& read : reads) {
        accumulator.Append(std::span<const char>(read.data(), read.size()),
            [&](std::span<const char, kRemotePacketSize> frame) {
                frames.emplace_back(frame.data(), frame.size());
            });
    }
    return frames;
}

TEST(RemoteFrameAccumulator, CutsFramesByCountAcrossReads)
{
    const std::string a = "PM_S01,000000012345";
    const std::string b = "PM_S02,000000001000";
    const std::string c = "PM_S03,000000360000";
    struct Case {
        const char* name;
        std::vector<std::string> reads;
        std::vector<std::string> frames;
        int pending;
    };
    const std::vector<Case> cases = {
        { "one frame split 7 + 12", { a.substr(0, 7), a.substr(7) }, { a }, 0 },
        { "split byte by byte",
            [&] {
                std::vector<std::string> bytes;
                for (char ch : a)
                    bytes.emplace_back(1, ch);
                return bytes;
            }(),
            { a }, 0 },
        { "two frames and two bytes in one read", { a + b + c.substr(0, 2) }, { a, b }, 2 },
        { "rest completed by the next read", { a + b + c.substr(0, 2), c.substr(2) }, { a, b, c }, 0 },
        { "18 bytes wait", { a.substr(0, 18) }, {}, 18 },
        // A lost byte shifts every later frame; framing does not search for the next start.
        { "a lost byte shifts the next frame", { a.substr(1) + b }, { a.substr(1) + b.substr(0, 1) }, 18 },
    };
    for (const Case& c2 : cases) {
        SCOPED_TRACE(c2.name);
        CRemoteFrameAccumulator accumulator;
        EXPECT_EQ(CutFrames(accumulator, c2.reads), c2.frames);
        EXPECT_EQ(accumulator.PendingBytes(), c2.pending);
    }
}

TEST(RemoteFrameAccumulator, KeepsEveryFrameOfReadsLargerThanItsBuffer)
{
    std::string stream;
    std::vector<std::string> expected;
    for (int i = 0; i < 200; ++i) {
        expected.push_back(Text(FormatRemotePacket("PM_S01", i)));
        stream += expected.back();
    }
    stream += "PM_S0"; // 3805 bytes: more than the buffer holds at once
    CRemoteFrameAccumulator accumulator;
    EXPECT_EQ(CutFrames(accumulator, { stream.substr(0, 11), stream.substr(11, 512), stream.substr(523) }),
        expected);
    EXPECT_EQ(accumulator.PendingBytes(), 5);
}

} // namespace
