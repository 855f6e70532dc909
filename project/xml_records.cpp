#include "project/xml_records.h"

namespace {

// Feeds 64-bit words through a multiply-xorshift round (as the well-known 64-bit string hashes
// do), so that a change in any bit of any word spreads over the whole digest.
class CDigest {
public:
    void Add(uint64_t word)
    {
        constexpr uint64_t kMultiplier = 0xc6a4a7935bd1e995ull;
        word *= kMultiplier;
        word ^= word >> 47;
        word *= kMultiplier;
        m_state = (m_state ^ word) * kMultiplier;
    }
    // Two numbers per word.
    void Add(int32_t first, int32_t second) { Add(uint64_t(uint32_t(first)) << 32 | uint32_t(second)); }
    template <size_t N> void Add(const std::array<int32_t, N>& values)
    {
        size_t i = 0;
        for (; i + 1 < N; i += 2)
            Add(values[i], values[i + 1]);
        if (i < N)
            Add(values[i], 0);
    }
    // The length first, so that texts and the numbers after them cannot trade places.
    void Add(const QString& text)
    {
        Add(uint64_t(text.size()));
        const ushort* units = text.utf16();
        qsizetype i = 0;
        for (; i + 4 <= text.size(); i += 4) {
            Add(uint64_t(units[i]) | uint64_t(units[i + 1]) << 16 | uint64_t(units[i + 2]) << 32
                | uint64_t(units[i + 3]) << 48);
        }
        uint64_t rest = 0;
        for (int shift = 0; i < text.size(); ++i, shift += 16)
            rest |= uint64_t(units[i]) << shift;
        Add(rest);
    }
    uint64_t Value() const
    {
        uint64_t value = m_state;
        value ^= value >> 33;
        value *= 0xff51afd7ed558ccdull;
        value ^= value >> 33;
        return value;
    }

private:
    uint64_t m_state = 0x9e3779b97f4a7c15ull;
};

} // namespace

// The sizes below make a field added to a record without being added to its fingerprint fail
// the build: a save would otherwise leave an entry changed only in that field as it was.
// (Numbers, aligned to the texts between them, then padded to the record's alignment.)
static_assert(sizeof(FaceXmlRecord) == 8 + sizeof(QString) + 5 * 4 + 2 * 4 * 4 + 4);
static_assert(sizeof(ItemXmlRecord)
    == 16 + sizeof(QString) + 13 * 4 + 2 * 16 * 4 + 4 + sizeof(QString) + 11 * 4 + 10 * 4 + 4);

uint64_t Fingerprint(const FaceXmlRecord& entry)
{
    CDigest digest;
    digest.Add(entry.No, entry.Status);
    digest.Add(entry.FilePath);
    digest.Add(entry.Lock, entry.R);
    digest.Add(entry.G, entry.B);
    digest.Add(entry.X);
    digest.Add(entry.Y);
    return digest.Value();
}

uint64_t Fingerprint(const ItemXmlRecord& entry)
{
    CDigest digest;
    digest.Add(entry.Start, entry.PlayTime);
    digest.Add(entry.Mode, entry.PlayMode);
    digest.Add(entry.FilePath);
    digest.Add(entry.LinkFaceNo, entry.CameraID);
    digest.Add(entry.CameraImgW, entry.CameraImgH);
    digest.Add(entry.InTime, entry.OutTime);
    digest.Add(entry.MaskMode, entry.MaskX);
    digest.Add(entry.MaskY, entry.W);
    digest.Add(entry.H, entry.PNUM);
    digest.Add(entry.X);
    digest.Add(entry.Y);
    digest.Add(entry.MaskImageEnable, entry.Volume);
    digest.Add(entry.MaskImage);
    digest.Add(entry.Mute, entry.InPattern);
    digest.Add(entry.InDirection, entry.InStartTime);
    digest.Add(entry.InEndTime, entry.OutPattern);
    digest.Add(entry.OutDirection, entry.OutStartTime);
    digest.Add(entry.OutEndTime, entry.FilterNo);
    digest.Add(entry.Param);
    digest.Add(entry.ThumbnailTime, 0);
    return digest.Value();
}
