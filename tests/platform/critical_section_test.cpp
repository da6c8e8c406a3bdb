// Re-entrant locks: a holder may take its lock again, others wait until it is wholly released.
#include "platform/critical_section.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(CriticalSection, IsReentrantAndExcludesOtherThreads)
{
    CCriticalSection cs;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                CSingleLock outer(&cs, TRUE);
                CSingleLock inner(&cs, TRUE);  // the same thread takes it again
                const long seen = counter;
                counter = seen + 1;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(counter, 20000);
}

TEST(CriticalSection, SingleLockReleasesOnceAtMost)
{
    MyCriticalSection cs;
    std::atomic<bool> taken{false};
    {
        CSingleLock lock(&cs);
        EXPECT_FALSE(lock.IsLocked());
        EXPECT_TRUE(lock.Lock());
        EXPECT_TRUE(lock.Lock()) << "a second Lock of the same CSingleLock does not nest";
        EXPECT_TRUE(lock.Unlock());
        EXPECT_FALSE(lock.Unlock());
        lock.Lock();
        std::thread other([&] {
            cs.Lock();
            taken = true;
            cs.Unlock();
        });
        EXPECT_FALSE(taken.load());
        lock.Unlock();
        other.join();
    }
    EXPECT_TRUE(taken.load());
}

}  // namespace
