// A host-wide lock for tests that bind the link's port range or a simulated machine's ports.
//
// CTest's resource lock keeps such tests of one run apart; this lock also keeps them apart
// from the same tests of another build or worktree running on the same host at the same time.
// It is a file lock, so a test that dies releases it with its process.
#pragma once

#include <gtest/gtest.h>

#include <memory>

namespace corvane_test {

class LinkPortsLock {
public:
    // Waits (at most timeoutMs of real time) for the lock; Held tells whether it was taken.
    explicit LinkPortsLock(int timeoutMs = 120000);
    ~LinkPortsLock();
    LinkPortsLock(const LinkPortsLock&) = delete;
    LinkPortsLock& operator=(const LinkPortsLock&) = delete;

    bool Held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

// Holds the lock for a whole test program, for programs whose every test binds those ports:
// register it once with ::testing::AddGlobalTestEnvironment.
class LinkPortsEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        lock_ = std::make_unique<LinkPortsLock>();
        ASSERT_TRUE(lock_->Held()) << "the link ports stayed locked by another test run";
    }
    void TearDown() override { lock_.reset(); }

private:
    std::unique_ptr<LinkPortsLock> lock_;
};

}  // namespace corvane_test
