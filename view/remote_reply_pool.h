#pragma once

#include "remote/remote_codes.h"
#include "remote/remote_packet.h"

#include <array>
#include <mutex>
#include <optional>
#include <vector>

// A frame of the remote (or the end of the link) for the view: the command number and the frame.
struct RemoteDelivery {
    int messageCode = 0;
    RemoteFrame frame;

    bool operator==(const RemoteDelivery& other) const
    {
        return messageCode == other.messageCode && frame.code == other.frame.code
            && frame.value == other.frame.value;
    }
};

// The frames the remote link has received and not yet handed to the view: one record per state
// the frames set, so a burst leaves only its latest frame of each: START and PAUSE share one
// record (the play state), as do the on and off frames of GUIDE, LOOP and SCREEN; every other
// code has its own, seeks included, so a burst of seeks gives one seek to the last value. The
// records are handed over in the order in which each was first filled. The pool never holds
// more than one frame per record, however fast the remote sends.
class CRemoteReplyPool {
public:
    static constexpr int kCodeSlots = 20;
    static constexpr int kConnectionLostSlot = kCodeSlots; // the end of the link
    static constexpr int kSlots = kCodeSlots + 1;

    // Keeps the frame as the latest of its record (the receiver's thread).
    void Put(const EditorReceiveCode& code, const RemoteFrame& frame);
    // The link has ended (the receiver's thread).
    void PutConnectionLost();

    bool HasPending() const;
    // Everything pending, in order, and the pool emptied.
    std::vector<RemoteDelivery> TakeAll();
    void Clear();

    // The record a code slot's frames go to.
    static int RecordOf(int codeSlot);

private:
    void PutLocked(int record, RemoteDelivery delivery);

    mutable std::mutex m_lock;
    std::array<std::optional<RemoteDelivery>, kSlots> m_records;
    std::vector<int> m_pending; // records in the order they were first filled
};
