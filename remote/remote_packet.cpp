#include "remote/remote_packet.h"

#include "platform/number_text.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>

RemotePacket FormatRemotePacket(std::string_view code, int64_t value)
{
    // Twelve characters hold every 32-bit value, "-2147483648" included, so the frame is
    // always 19 bytes.
    assert(code.size() == static_cast<size_t>(kRemoteCodeLength));
    char text[kRemotePacketSize + 1] = {};
    std::snprintf(text, sizeof text, "%.*s,%012d", kRemoteCodeLength, code.data(),
        static_cast<int32_t>(static_cast<uint32_t>(value)));
    RemotePacket packet {};
    std::memcpy(packet.data(), text, kRemotePacketSize);
    return packet;
}

std::optional<RemoteFrame> ParseRemotePacket(
    std::span<const char, kRemotePacketSize> bytes, RemoteValueWidth width)
{
    const std::string_view text(bytes.data(), bytes.size());
    if (text.find(',') != static_cast<size_t>(kRemoteCodeLength))
        return std::nullopt;
    RemoteFrame frame;
    frame.code = std::string(text.substr(0, kRemoteCodeLength));
    const std::string_view value = text.substr(kRemoteValueOffset, kRemoteValueLength);
    frame.value = width == RemoteValueWidth::Bits64 ? platform::AToI64(value) : platform::AToI(value);
    return frame;
}

size_t CRemoteFrameAccumulator::TakeBytes(std::span<const char> bytes)
{
    const size_t room = static_cast<size_t>(kCapacity - m_count);
    const size_t taken = std::min(room, bytes.size());
    std::memcpy(m_buffer.data() + m_count, bytes.data(), taken);
    m_count += static_cast<int>(taken);
    return taken;
}

void CRemoteFrameAccumulator::DropFront(int count)
{
    if (count <= 0)
        return;
    std::memmove(m_buffer.data(), m_buffer.data() + count, static_cast<size_t>(m_count - count));
    m_count -= count;
}
