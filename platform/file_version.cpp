#include "platform/file_version.h"

#include <QFile>
#include <cstring>

namespace platform {
namespace {

constexpr char kSectionName[] = ".kaleidra_version";
constexpr char kMarker[8] = { 'K', 'L', 'D', 'R', 'F', 'V', 'E', 'R' };
constexpr qint64 kRecordSize = 16;
constexpr uint32_t kSectionNoBits = 8; // SHT_NOBITS: the section has no bytes in the file
// Bounds for a section name table; real ones are a few hundred bytes.
constexpr qint64 kMaxNameTableSize = 1 << 20;

// Reads numbers of either byte order and width out of the header bytes of an ELF file.
class CElfReader {
public:
    CElfReader(QFile& file, bool bigEndian, bool wide)
        : m_file(file)
        , m_bigEndian(bigEndian)
        , m_wide(wide)
    {
    }

    bool Wide() const { return m_wide; }

    bool ReadAt(qint64 offset, qint64 size, QByteArray& bytes) const
    {
        if (offset < 0 || size < 0 || offset > m_file.size() || size > m_file.size() - offset)
            return false;
        if (!m_file.seek(offset))
            return false;
        bytes = m_file.read(size);
        return bytes.size() == size;
    }

    uint64_t Number(const QByteArray& bytes, int offset, int width) const
    {
        uint64_t value = 0;
        for (int i = 0; i < width; ++i) {
            const int index = m_bigEndian ? offset + i : offset + width - 1 - i;
            value = (value << 8) | static_cast<uint8_t>(bytes[index]);
        }
        return value;
    }
    // A field that is 4 bytes in 32-bit files and 8 bytes in 64-bit ones.
    uint64_t Address(const QByteArray& bytes, int offset32, int offset64) const
    {
        return m_wide ? Number(bytes, offset64, 8) : Number(bytes, offset32, 4);
    }

private:
    QFile& m_file;
    bool m_bigEndian;
    bool m_wide;
};

struct Section {
    uint32_t name = 0;
    uint32_t type = 0;
    uint64_t offset = 0;
    uint64_t size = 0;
};

Section SectionAt(const CElfReader& elf, const QByteArray& header)
{
    Section section;
    section.name = static_cast<uint32_t>(elf.Number(header, 0, 4));
    section.type = static_cast<uint32_t>(elf.Number(header, 4, 4));
    section.offset = elf.Address(header, 16, 24);
    section.size = elf.Wide() ? elf.Number(header, 32, 8) : elf.Number(header, 20, 4);
    return section;
}

bool NameIs(const QByteArray& names, uint32_t offset, const char* wanted)
{
    const qint64 length = qint64(std::strlen(wanted));
    return qint64(offset) + length < names.size()
        && std::memcmp(names.constData() + offset, wanted, length) == 0
        && names[qsizetype(offset + length)] == '\0';
}

} // namespace

std::optional<FileVersion> ReadFileVersion(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray ident = file.read(16);
    if (ident.size() != 16
        || !ident.startsWith("\x7f"
                             "ELF"))
        return std::nullopt;
    const char elfClass = ident[4];
    const char byteOrder = ident[5];
    if ((elfClass != 1 && elfClass != 2) || (byteOrder != 1 && byteOrder != 2))
        return std::nullopt;
    const CElfReader elf(file, byteOrder == 2, elfClass == 2);

    QByteArray header;
    if (!elf.ReadAt(0, elf.Wide() ? 64 : 52, header))
        return std::nullopt;
    const uint64_t tableOffset = elf.Address(header, 32, 40);
    const int entrySize = int(elf.Number(header, elf.Wide() ? 58 : 46, 2));
    const int entryCount = int(elf.Number(header, elf.Wide() ? 60 : 48, 2));
    const int namesIndex = int(elf.Number(header, elf.Wide() ? 62 : 50, 2));
    if (entrySize < (elf.Wide() ? 64 : 40) || entryCount == 0 || namesIndex >= entryCount
        || tableOffset > uint64_t(file.size()))
        return std::nullopt;

    QByteArray table;
    if (!elf.ReadAt(qint64(tableOffset), qint64(entrySize) * entryCount, table))
        return std::nullopt;
    const auto sectionAt
        = [&](int index) { return SectionAt(elf, table.mid(qsizetype(index) * entrySize, entrySize)); };

    const Section nameTable = sectionAt(namesIndex);
    QByteArray names;
    if (nameTable.size > uint64_t(kMaxNameTableSize)
        || !elf.ReadAt(qint64(nameTable.offset), qint64(nameTable.size), names))
        return std::nullopt;

    std::optional<FileVersion> found;
    for (int index = 0; index < entryCount; ++index) {
        const Section section = sectionAt(index);
        if (!NameIs(names, section.name, kSectionName))
            continue;
        QByteArray record;
        if (found || section.type == kSectionNoBits || section.size != uint64_t(kRecordSize)
            || section.offset > uint64_t(file.size())
            || !elf.ReadAt(qint64(section.offset), kRecordSize, record)
            || std::memcmp(record.constData(), kMarker, sizeof kMarker) != 0)
            return std::nullopt; // a second section or a malformed one leaves the version unknown
        FileVersion version {};
        for (int part = 0; part < 4; ++part)
            version[part] = static_cast<uint16_t>(elf.Number(record, 8 + 2 * part, 2));
        found = version;
    }
    return found;
}

} // namespace platform
