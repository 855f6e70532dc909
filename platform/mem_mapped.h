#pragma once

#include <QString>
#include <cstdint>

// A named block of memory shared between processes of the same user, with the lifetime of a
// Windows page-file mapping: the block lives while any process holds it, and a block left
// behind by a process that died is recreated zero-filled by its next creator.
class CMemMapped {
public:
    CMemMapped() = default;
    virtual ~CMemMapped();
    CMemMapped(const CMemMapped&) = delete;
    CMemMapped& operator=(const CMemMapped&) = delete;

    // Maps `size` bytes of the block named `name`, creating it zero-filled when no live
    // holder has it. A second call releases the first mapping first. Returns the address, or
    // nullptr (object left empty) on failure: an existing block smaller than size, or one that
    // is not the user's own (another owner, or open to group or others).
    void* Create(uint32_t size, const QString& name);

    // Maps the block only when a live holder has it; never creates one. nullptr (object left
    // empty) when there is none, or on the failures of Create.
    void* Open(uint32_t size, const QString& name);

    void* View() const { return m_view; }

    // A short section of exclusive access among every process that maps the block (for a
    // field written behind a flag). Waits at most timeoutMs; false when it is not granted then
    // or nothing is mapped. The system ends the section of a process that dies, so a section
    // found open always has a live holder.
    bool EnterSection(int timeoutMs);
    void LeaveSection();

    // True when the name already named a live block when Create last ran.
    bool existed = false;

private:
    void* Map(uint32_t size, const QString& name, bool mayCreate);
    void Release();

    int m_mappingHandle = -1; // the shared-memory descriptor; holds a read lock while mapped
    void* m_view = nullptr;
    uint32_t m_size = 0;
    QString m_shmName;
    bool m_inSection = false;
};
