#include "core/boot_param.h"

#include "platform/shared_flag.h"

#include <algorithm>
#include <cstring>

namespace {

// Holds the block's section for one scope.
class CBootParamSection {
public:
    explicit CBootParamSection(CMemMapped& memory)
        : m_memory(memory)
        , m_entered(memory.EnterSection(kBootParamSectionWaitMs))
    {
    }
    ~CBootParamSection()
    {
        if (m_entered)
            m_memory.LeaveSection();
    }
    CBootParamSection(const CBootParamSection&) = delete;
    CBootParamSection& operator=(const CBootParamSection&) = delete;
    bool Entered() const { return m_entered; }

private:
    CMemMapped& m_memory;
    bool m_entered;
};

BootParamBlock* BlockOf(CMemMapped& memory)
{
    return static_cast<BootParamBlock*>(memory.View());
}

// Inside the section: a block still marked as being written was left so by a party that died
// before it stored the next value. Its half-written path goes and the block is free again.
void FreeAbandonedBlock(BootParamBlock& block)
{
    if (platform::LoadSharedFlag(block.flag) != kBootParamWriting)
        return;
    std::memset(block.path, 0, sizeof block.path);
    platform::StoreSharedFlag(block.flag, kBootParamFree);
}

} // namespace

BootParamWrite WriteBootParam(CMemMapped& bootMemory, const QString& path)
{
    BootParamBlock* block = BlockOf(bootMemory);
    if (!block)
        return BootParamWrite::NoBlock;
    if (path.size() > kBootParamMaxPathLength)
        return BootParamWrite::TooLong;
    const CBootParamSection section(bootMemory);
    if (!section.Entered())
        return BootParamWrite::Pending;
    FreeAbandonedBlock(*block);
    if (!platform::ClaimSharedFlag(block->flag, kBootParamFree, kBootParamWriting))
        return BootParamWrite::Pending;
    std::memset(block->path, 0, sizeof block->path);
    std::copy_n(reinterpret_cast<const char16_t*>(path.utf16()), path.size(), block->path);
    platform::StoreSharedFlag(block->flag, kBootParamWaiting);
    return BootParamWrite::Written;
}

std::optional<QString> TakeBootParam(CMemMapped& bootMemory)
{
    BootParamBlock* block = BlockOf(bootMemory);
    if (!block)
        return std::nullopt;
    const CBootParamSection section(bootMemory);
    if (!section.Entered())
        return std::nullopt;
    FreeAbandonedBlock(*block);
    // Claimed like a write, so that a path is never read while it is cleared or rewritten.
    if (!platform::ClaimSharedFlag(block->flag, kBootParamWaiting, kBootParamWriting))
        return std::nullopt;
    // The field is bounded: a path without its NUL is read up to the end of the field.
    const char16_t* end = std::find(block->path, block->path + std::size(block->path), u'\0');
    QString path = QString::fromUtf16(block->path, end - block->path);
    std::memset(block->path, 0, sizeof block->path);
    platform::StoreSharedFlag(block->flag, kBootParamFree);
    return path;
}
