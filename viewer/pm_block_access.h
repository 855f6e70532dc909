#pragma once

#include "core/pm_param_block.h"

#include <QString>

// The viewer's mapping of the editor's shared block. The viewer only ever opens the block the
// editor made; it never makes one of its own, so a viewer started without its editor finds
// nothing and ends.
class CPmBlockAccess {
public:
    CPmBlockAccess() = default;
    ~CPmBlockAccess();
    CPmBlockAccess(const CPmBlockAccess&) = delete;
    CPmBlockAccess& operator=(const CPmBlockAccess&) = delete;

    // Maps the block of that name; nullptr when no such block exists or it is too small.
    PmParamBlock* Open(const QString& name);
    PmParamBlock* Block() const { return m_block; }

private:
    void Close();

    int m_handle = -1;
    PmParamBlock* m_block = nullptr;
};
