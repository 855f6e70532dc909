#pragma once

#include <QMetaObject>
#include <QObject>
#include <type_traits>
#include <utility>

#if defined(__SANITIZE_THREAD__)
#define KALEIDRA_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KALEIDRA_THREAD_SANITIZER 1
#endif
#endif

#ifdef KALEIDRA_THREAD_SANITIZER
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace platform {

// A call that a thread queues to an object of another thread runs after everything the queueing
// thread did before, and whichever of the two drops the call last destroys it (and what it
// captured) after the call has run: Qt's event queue and the call's reference count order them.
// ThreadSanitizer sees neither (Qt is not built with it), so in that build the call marks the
// three steps on its own address: made (its last move, into Qt's call object, before it is
// queued), run, and destroyed. Elsewhere it is the call alone.
template <typename Call> class CHandedOverCall {
public:
    explicit CHandedOverCall(Call call)
        : m_call(std::move(call))
    {
        Release();
    }
    CHandedOverCall(CHandedOverCall&& other) noexcept(std::is_nothrow_move_constructible_v<Call>)
        : m_call(std::move(other.m_call))
    {
        Release();
    }
    CHandedOverCall(const CHandedOverCall&) = delete;
    CHandedOverCall& operator=(const CHandedOverCall&) = delete;
    CHandedOverCall& operator=(CHandedOverCall&&) = delete;
    ~CHandedOverCall() { Acquire(); }

    void operator()()
    {
        Acquire();
        m_call();
        Release();
    }

private:
    void Acquire()
    {
#ifdef KALEIDRA_THREAD_SANITIZER
        __tsan_acquire(this);
#endif
    }
    void Release()
    {
#ifdef KALEIDRA_THREAD_SANITIZER
        __tsan_release(this);
#endif
    }

    Call m_call;
};

// Queues the call to the receiver's thread, as QMetaObject::invokeMethod with
// Qt::QueuedConnection does (dropped, as there, when the receiver is destroyed first), for the
// threads that hand their results over to the window thread.
template <typename Call> bool QueueCall(QObject* receiver, Call&& call)
{
    return QMetaObject::invokeMethod(
        receiver, CHandedOverCall<std::decay_t<Call>>(std::forward<Call>(call)), Qt::QueuedConnection);
}

} // namespace platform
