#include "platform/parent_process.h"

#include <unistd.h>

namespace platform {

CParentWatch::CParentWatch()
    : m_parent(long(::getppid()))
{
}

bool CParentWatch::IsParentAlive() const
{
    // When the parent ends, the process is adopted by the first process or a subreaper: the
    // parent's id changes and never comes back.
    return m_parent > 1 && long(::getppid()) == m_parent;
}

} // namespace platform
