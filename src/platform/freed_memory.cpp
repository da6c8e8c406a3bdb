// ReleaseFreedMemory over glibc's malloc_trim.
#include "platform/freed_memory.h"

// Any C library header tells whether this is glibc.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void ReleaseFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
