// Linked into the tests of the ThreadSanitizer build only: see tests/CMakeLists.txt.
#include <cstdarg>
#include <dlfcn.h>
#include <sched.h>
#include <sys/types.h>

extern "C" int clone(int (*fn)(void*), void* stack, int flags, void* arg, ...) {
    va_list rest;
    va_start(rest, arg);
    pid_t* const parentTid = va_arg(rest, pid_t*);
    void* const tls = va_arg(rest, void*);
    pid_t* const childTid = va_arg(rest, pid_t*);
    va_end(rest);
    if ((flags & (CLONE_VM | CLONE_VFORK)) == (CLONE_VM | CLONE_VFORK))
        flags &= ~(CLONE_VM | CLONE_VFORK);
    using Clone = int (*)(int (*)(void*), void*, int, void*, ...);
    static const auto next = reinterpret_cast<Clone>(dlsym(RTLD_NEXT, "clone"));
    return next(fn, stack, flags, arg, parentTid, tls, childTid);
}
