// ReleaseFreedMemory over glibc's malloc_trim.
#include "platform/freed_memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void ReleaseFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
