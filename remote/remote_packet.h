#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// One frame of the remote-control protocol: exactly 19 ASCII bytes, no terminator: a six-letter
// code, a comma, and the value as twelve characters of a zero-padded signed decimal number.
inline constexpr int kRemotePacketSize = 19;
inline constexpr int kRemoteCodeLength = 6;
inline constexpr int kRemoteValueOffset = 7;
inline constexpr int kRemoteValueLength = 12;

// The port KaleidraRemote listens on and the editor connects to.
inline constexpr uint16_t kRemotePort = 8213;

using RemotePacket = std::array<char, kRemotePacketSize>;
static_assert(sizeof(RemotePacket) == kRemotePacketSize, "frames lie back to back in an array");

// "%s,%012d" of the code and the low 32 bits of the value. The code must be six characters.
RemotePacket FormatRemotePacket(std::string_view code, int64_t value);

struct RemoteFrame {
    std::string code;
    int64_t value = 0;
};

// How the value of a frame is read: the remote reads a 32-bit number and widens it with its
// sign; the editor reads it as a 64-bit number.
enum class RemoteValueWidth { Bits32, Bits64 };

// Reads one frame: nothing when its first comma is not at index 6. The value is a decimal
// number: an optional sign, digits up to the first other character, 0 without digits,
// saturating at the limits of the width.
std::optional<RemoteFrame> ParseRemotePacket(
    std::span<const char, kRemotePacketSize> bytes, RemoteValueWidth width = RemoteValueWidth::Bits32);

// Cuts a byte stream into frames by count alone: the protocol has no marker to find a frame's
// start again, so a lost byte shifts every later frame (which then fails the comma test).
class CRemoteFrameAccumulator {
public:
    static constexpr int kCapacity = 1024;
    static constexpr int kReadSize = 512; // the most one read asks for

    // Appends the bytes and calls onFrame(std::span<const char, 19>) for each whole frame, in
    // order; fewer than 19 bytes stay behind for the next call.
    template <typename OnFrame> void Append(std::span<const char> bytes, OnFrame&& onFrame)
    {
        while (!bytes.empty()) {
            const size_t taken = TakeBytes(bytes);
            bytes = bytes.subspan(taken);
            int offset = 0;
            while (m_count - offset >= kRemotePacketSize) {
                onFrame(
                    std::span<const char, kRemotePacketSize>(m_buffer.data() + offset, kRemotePacketSize));
                offset += kRemotePacketSize;
            }
            DropFront(offset);
        }
    }

    int PendingBytes() const { return m_count; }

private:
    size_t TakeBytes(std::span<const char> bytes);
    void DropFront(int count);

    std::array<char, kCapacity> m_buffer {};
    int m_count = 0;
};
