// LimitHeapArenas over glibc's mallopt.
#include "platform/freed_memory.h"

// Any C library header tells whether this is glibc.
#include <cstdlib>
#include <mutex>

#if !defined(CORVANE_HEAP_TCMALLOC) && defined(__GLIBC__)
#include <malloc.h>
#endif

void LimitHeapArenas()
{
#if !defined(CORVANE_HEAP_TCMALLOC) && defined(__GLIBC__)
    static std::once_flag once;
    std::call_once(once, [] { mallopt(M_ARENA_MAX, 2); });
#endif
}
