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

// Caps the heap at two arenas, the first thread's and one that every other thread shares, once
// per process; a no-op with another C library. The program calls it first thing, before any
// thread starts, and the worker pool before it starts its threads. Without it glibc gives each
// new thread an arena of its own, and memory freed in one arena serves no allocation of
// another: eight workers building a page's pieces while the first thread frees the job's hold
// both at once (about a third more resident memory on a 50 MB job).
void LimitHeapArenas();
