#pragma once

namespace platform {

// Tells whether the process that started this one still runs. A program that lives only for
// its starter (the output program of the editor) asks it regularly and ends when it is gone.
class CParentWatch {
public:
    // Remembers the current parent.
    CParentWatch();

    // False once the parent has ended (this process was handed to another parent), and from the
    // start when there was no parent of its own to watch (started by the system's first process).
    bool IsParentAlive() const;

private:
    long m_parent = 0;
};

} // namespace platform
