// How memory freed on one thread serves the allocations of another.
//
// The builds without sanitizers allocate through tcmalloc: its thread caches serve the worker
// threads without a shared lock, memory freed on any thread serves every other, and it hands
// free spans back to the system by itself. The sanitized builds allocate through glibc's
// malloc, whose arenas need the cap below.
#pragma once

// Under glibc's malloc: caps the heap at two arenas, the first thread's and one that every
// other thread shares, once per process; a no-op under tcmalloc or another C library. The
// program calls it first thing, before any thread starts, and the worker pool before it
// starts its threads. Without it glibc gives each new thread an arena of its own, and memory
// freed in one arena serves no allocation of another: eight workers building a page's pieces
// while the first thread frees the job's hold both at once (about a third more resident
// memory on a 50 MB job).
void LimitHeapArenas();
