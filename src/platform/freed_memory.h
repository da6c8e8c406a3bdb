// Handing the heap memory a long piece of work freed back to the system.
//
// The allocator keeps freed memory for later allocations: after a stage that freed hundreds
// of megabytes in small blocks (a preparation worker's), the process would go on holding it as
// resident pages. Releasing it between stages lets the next stage's allocations start from
// pages that are not resident, so the peak is the live data's and not the live data's plus
// what the stages before left free.
#pragma once

// Returns the whole free pages of every heap arena to the system (glibc's malloc_trim); a no-op
// with another C library. Safe on any thread at any time; it costs a walk of the free blocks.
void ReleaseFreedMemory();
