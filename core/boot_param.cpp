#include "core/boot_param.h"

#include "platform/shared_flag.h"

#include <algorithm>
#include <cstring>

BootParamWrite WriteBootParam(BootParamBlock* block, const QString& path)
{
    if (!block)
        return BootParamWrite::NoBlock;
    if (path.size() > kBootParamMaxPathLength)
        return BootParamWrite::TooLong;
    if (!platform::ClaimSharedFlag(block->flag, kBootParamFree, kBootParamWriting))
        return BootParamWrite::Pending;
    std::memset(block->path, 0, sizeof block->path);
    std::copy_n(reinterpret_cast<const char16_t*>(path.utf16()), path.size(), block->path);
    platform::StoreSharedFlag(block->flag, kBootParamWaiting);
    return BootParamWrite::Written;
}

std::optional<QString> TakeBootParam(BootParamBlock* block)
{
    // Claimed like a write, so that a path is never read while it is cleared or rewritten.
    if (!block || !platform::ClaimSharedFlag(block->flag, kBootParamWaiting, kBootParamWriting))
        return std::nullopt;
    // The field is bounded: a path without its NUL is read up to the end of the field.
    const char16_t* end = std::find(block->path, block->path + std::size(block->path), u'\0');
    QString path = QString::fromUtf16(block->path, end - block->path);
    std::memset(block->path, 0, sizeof block->path);
    platform::StoreSharedFlag(block->flag, kBootParamFree);
    return path;
}
