#pragma once

#include <atomic>
#include <cstdint>

namespace platform {

// Flag words of shared blocks are written by one process and cleared by another: every access
// goes through an atomic reference so that the data written before a flag is seen after it.
inline int32_t LoadSharedFlag(int32_t& flag)
{
    return std::atomic_ref<int32_t>(flag).load(std::memory_order_acquire);
}

inline void StoreSharedFlag(int32_t& flag, int32_t value)
{
    std::atomic_ref<int32_t>(flag).store(value, std::memory_order_release);
}

// Sets the flag from `expected` to `desired` only when it holds `expected`.
inline bool ClaimSharedFlag(int32_t& flag, int32_t expected, int32_t desired)
{
    return std::atomic_ref<int32_t>(flag).compare_exchange_strong(expected, desired, std::memory_order_acq_rel);
}

inline uint32_t LoadSharedFlag(uint32_t& flag)
{
    return std::atomic_ref<uint32_t>(flag).load(std::memory_order_acquire);
}

inline void StoreSharedFlag(uint32_t& flag, uint32_t value)
{
    std::atomic_ref<uint32_t>(flag).store(value, std::memory_order_release);
}

inline bool ClaimSharedFlag(uint32_t& flag, uint32_t expected, uint32_t desired)
{
    return std::atomic_ref<uint32_t>(flag).compare_exchange_strong(expected, desired, std::memory_order_acq_rel);
}

} // namespace platform
