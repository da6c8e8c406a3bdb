// MonotonicMs over std::chrono::steady_clock, with the test-only replacement source.
#include "platform/tick_clock.h"

#include <atomic>
#include <chrono>

namespace {
std::atomic<const TickSource*> g_source{nullptr};
}

TickMs MonotonicMs()
{
    if (const TickSource* source = g_source.load(std::memory_order_acquire)) return source->NowMs();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SetTickSourceForTesting(const TickSource* source) { g_source.store(source, std::memory_order_release); }

bool IsTickSourceReplaced() { return g_source.load(std::memory_order_acquire) != nullptr; }
