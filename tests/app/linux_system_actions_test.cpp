// The program's test of another program's named mutex: a lock file held with flock.
#include "app/linux_system_actions.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace corvane_test {
namespace {

// Points XDG_RUNTIME_DIR at the test's scratch folder for its lifetime.
class ScratchRuntimeDir {
public:
    ScratchRuntimeDir()
    {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) old_ = old;
        ::setenv("XDG_RUNTIME_DIR", ScratchDir().c_str(), 1);
    }
    ~ScratchRuntimeDir()
    {
        if (old_) ::setenv("XDG_RUNTIME_DIR", old_->c_str(), 1);
        else ::unsetenv("XDG_RUNTIME_DIR");
    }

private:
    std::optional<std::string> old_;
};

TEST(LinuxSystemActions, ANamedMutexExistsWhileAnotherHolderLocksItsFile)
{
    ScratchRuntimeDir runtime;
    LinuxSystemActions actions;
    EXPECT_EQ(actions.NamedMutexExists(u"Editor"), 0);  // no file

    const std::string path = ScratchDir() + "Editor.lock";
    const int holder = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(holder, 0);
    EXPECT_EQ(actions.NamedMutexExists(u"Editor"), 0);  // a file nobody holds
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(actions.NamedMutexExists(u"Editor"), 1);
    EXPECT_EQ(actions.NamedMutexExists(u"Other"), 0);
    ::close(holder);
    EXPECT_EQ(actions.NamedMutexExists(u"Editor"), 0);
}

}  // namespace
}  // namespace corvane_test
