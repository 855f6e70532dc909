#include "view/remote_reply_pool.h"

int CRemoteReplyPool::RecordOf(int codeSlot)
{
    // Slots of the codes that come in pairs setting one state: PM_R01/02 (0, 1), PM_R06/07
    // (5, 6), PM_R08/09 (7, 8), PM_R12/13 (9, 10).
    switch (codeSlot) {
    case 1:
        return 0;
    case 6:
        return 5;
    case 8:
        return 7;
    case 10:
        return 9;
    default:
        return codeSlot;
    }
}

void CRemoteReplyPool::Put(const EditorReceiveCode& code, const RemoteFrame& frame)
{
    if (code.slot < 0 || code.slot >= kCodeSlots)
        return;
    std::lock_guard guard(m_lock);
    PutLocked(RecordOf(code.slot), { code.command, frame });
}

void CRemoteReplyPool::PutConnectionLost()
{
    std::lock_guard guard(m_lock);
    PutLocked(kConnectionLostSlot, { kEditorConnectionLost, RemoteFrame() });
}

void CRemoteReplyPool::PutLocked(int record, RemoteDelivery delivery)
{
    if (!m_records[size_t(record)])
        m_pending.push_back(record);
    m_records[size_t(record)] = std::move(delivery);
}

bool CRemoteReplyPool::HasPending() const
{
    std::lock_guard guard(m_lock);
    return !m_pending.empty();
}

std::vector<RemoteDelivery> CRemoteReplyPool::TakeAll()
{
    std::lock_guard guard(m_lock);
    std::vector<RemoteDelivery> taken;
    taken.reserve(m_pending.size());
    for (const int record : m_pending) {
        taken.push_back(std::move(*m_records[size_t(record)]));
        m_records[size_t(record)].reset();
    }
    m_pending.clear();
    return taken;
}

void CRemoteReplyPool::Clear()
{
    std::lock_guard guard(m_lock);
    for (auto& record : m_records)
        record.reset();
    m_pending.clear();
}
