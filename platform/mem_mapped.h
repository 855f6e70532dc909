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
    // nullptr (object left empty) on failure, including an existing block smaller than size.
    void* Create(uint32_t size, const QString& name);

    void* View() const { return m_view; }

    // True when the name already named a live block when Create last ran.
    bool existed = false;

private:
    void Release();

    int m_mappingHandle = -1;   // the shared-memory descriptor; holds a shared lock while mapped
    void* m_view = nullptr;
    uint32_t m_size = 0;
    QString m_shmName;
};
