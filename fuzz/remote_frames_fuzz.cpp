// The remote frame accumulator and parser: any byte stream, cut into reads of any size, gives
// one frame per 19 bytes in order, and every frame that parses formats back to itself.
#include "fuzz/fuzz_support.h"
#include "remote/remote_packet.h"

#include <cstring>
#include <vector>

using fuzz_support::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte picks the size of the reads the stream arrives in.
    const size_t readSize = 1 + data[0] % CRemoteFrameAccumulator::kReadSize;
    const char* stream = reinterpret_cast<const char*>(data + 1);
    const size_t length = size - 1;

    CRemoteFrameAccumulator accumulator;
    size_t frames = 0;
    for (size_t at = 0; at < length; at += readSize) {
        const size_t chunk = std::min(readSize, length - at);
        accumulator.Append(std::span<const char>(stream + at, chunk), [&](std::span<const char, 19> frame) {
            Check(std::memcmp(frame.data(), stream + frames * kRemotePacketSize, kRemotePacketSize) == 0,
                "frames come out in order, byte for byte");
            ++frames;
            const auto parsed = ParseRemotePacket(frame);
            Check(
                parsed.has_value() == (std::memchr(frame.data(), ',', kRemotePacketSize) == frame.data() + 6),
                "a frame parses exactly when its first comma is at index 6");
            if (!parsed)
                return;
            Check(parsed->code.size() == size_t(kRemoteCodeLength), "the code has six characters");
            Check(parsed->value >= INT32_MIN && parsed->value <= INT32_MAX, "the value is a 32-bit number");
            // Codes are formatted from the program's own tables, never with a NUL in them.
            if (parsed->code.find('\0') != std::string::npos)
                return;
            const RemotePacket again = FormatRemotePacket(parsed->code, parsed->value);
            const auto reparsed = ParseRemotePacket(again);
            Check(reparsed && reparsed->code == parsed->code && reparsed->value == parsed->value,
                "a parsed frame formats back to itself");
        });
    }
    Check(frames == length / kRemotePacketSize, "one frame per 19 bytes");
    Check(accumulator.PendingBytes() == int(length % kRemotePacketSize), "the rest waits for more bytes");
    return 0;
}
