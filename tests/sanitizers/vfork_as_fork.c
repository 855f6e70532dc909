// Preloaded (LD_PRELOAD) into the programs of the ThreadSanitizer test run. Qt starts a child
// process with clone(CLONE_VM | CLONE_VFORK): until it calls exec, the child runs on the parent's
// memory and stack, which the sanitizer does not see, so it takes the child's steps for the
// parent thread's and afterwards reports races on data that is correctly locked. Here such a
// clone becomes a fork, as Qt itself starts children where pidfds are not available: the child
// gets its own copy of memory and still reports a failed exec through the pipe its caller made.
// Every other clone goes on to the C library unchanged.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <sched.h>
#include <stdarg.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

typedef int (*CloneFunction)(int (*)(void*), void*, int, void*, ...);

int clone(int (*childMain)(void*), void* stack, int flags, void* argument, ...)
{
    va_list rest;
    va_start(rest, argument);
    pid_t* parentTid = va_arg(rest, pid_t*);
    void* tls = va_arg(rest, void*);
    pid_t* childTid = va_arg(rest, pid_t*);
    va_end(rest);

    const int vforkLike = CLONE_VM | CLONE_VFORK;
    if ((flags & vforkLike) != vforkLike || (flags & CLONE_THREAD) != 0) {
        static CloneFunction next;
        if (next == NULL)
            next = (CloneFunction)dlsym(RTLD_NEXT, "clone");
        return next(childMain, stack, flags, argument, parentTid, tls, childTid);
    }

    const pid_t child = fork();
    if (child == 0)
        _exit(childMain(argument));
    if (child < 0)
        return -1;
    if ((flags & CLONE_PIDFD) != 0) {
        // The caller waits on the child through this descriptor.
        const long pidfd = syscall(SYS_pidfd_open, child, 0);
        if (pidfd < 0)
            return -1;
        *(int*)parentTid = (int)pidfd;
    } else if ((flags & CLONE_PARENT_SETTID) != 0) {
        *parentTid = child;
    }
    return child;
}
