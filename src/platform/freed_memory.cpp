// ReleaseFreedMemory and LimitHeapArenas over glibc's malloc_trim and mallopt.
#include "platform/freed_memory.h"

// Any C library header tells whether this is glibc.
#include <cstdlib>
#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void ReleaseFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

void LimitHeapArenas()
{
#if defined(__GLIBC__)
    static std::once_flag once;
    std::call_once(once, [] { mallopt(M_ARENA_MAX, 2); });
#endif
}
