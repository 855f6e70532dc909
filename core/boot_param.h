#pragma once

#include "platform/mem_mapped.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>

// The shared block through which a second start of the editor hands a project path to the
// running editor. Every editor process of the user maps the same block.
inline constexpr char16_t kBootParamBlockName[] = u"MEMMAP_KALEIDRA_BOOT_PARAM";

struct BootParamBlock {
    uint32_t flag; // kBootParamFree, kBootParamWaiting or kBootParamWriting
    char16_t path[1024]; // UTF-16, NUL-terminated
};
static_assert(offsetof(BootParamBlock, flag) == 0);
static_assert(offsetof(BootParamBlock, path) == 4);
static_assert(sizeof(BootParamBlock) == 2052);

inline constexpr uint32_t kBootParamFree = 0;
inline constexpr uint32_t kBootParamWaiting = 1;
// A second start has claimed the block and is writing its path; no one else writes or reads.
inline constexpr uint32_t kBootParamWriting = 2;
// The longest path that fits, without its terminating NUL.
inline constexpr int kBootParamMaxPathLength = 1023;

enum class BootParamWrite {
    Written, // the path waits in the block
    Pending, // an earlier path still waits, or another start is writing: nothing written
    TooLong, // the path does not fit: nothing written (a cut path would name another file)
    NoBlock, // the block is not mapped
};

// How long a party of the hand-over waits for another that is writing or taking a path.
inline constexpr int kBootParamSectionWaitMs = 500;

// Every party holds the block's section (CMemMapped::EnterSection) from the moment it sets the
// flag to kBootParamWriting until it stores the next value, and the system ends the section of
// a process that dies. So a party inside the section that finds kBootParamWriting knows the
// start that set it died half-way, and frees the block instead of waiting for it forever.

// A second start's half: claims the free block, writes the path, then marks it waiting. Two
// writers at once never mix their paths: only the one that claimed the block writes.
// bootMemory is the mapped block (unmapped: NoBlock).
BootParamWrite WriteBootParam(CMemMapped& bootMemory, const QString& path);

// The running editor's half: takes the waiting path, clears the path, then frees the block.
// Nothing when no path waits.
std::optional<QString> TakeBootParam(CMemMapped& bootMemory);
