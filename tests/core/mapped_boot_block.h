#pragma once

#include "core/boot_param.h"
#include "platform/mem_mapped.h"

#include <QUuid>

// A boot block mapped under a name of its own, as every editor process maps it. Another
// CMemMapped of the same name stands for another process: its section and its mapping are
// independent of this one's, and destroying it is what the system does when that process dies.
struct CMappedBootBlock {
    CMappedBootBlock()
        : name(QStringLiteral("KALEIDRA_TEST_BOOT_") + QUuid::createUuid().toString(QUuid::Id128))
        , block(static_cast<BootParamBlock*>(memory.Create(sizeof(BootParamBlock), name)))
    {
    }
    const QString name;
    CMemMapped memory;
    BootParamBlock* const block;
};
