// The GoogleTest main of every test executable, with the per-test temporary folders.
#include "support/test_environment.h"

#include "platform/posted_message.h"
#include "platform/program_directory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace corvane_test {
namespace {

std::string g_root;

std::string WithSlash(const std::filesystem::path& p)
{
    std::string s = p.string();
    if (s.empty() || s.back() != '/') s += '/';
    return s;
}

// Gives each test its own program directory ("program/"), settings home ("config/"), data
// home ("data/") and scratch folder ("scratch/"), so no test sees another's files or the
// user's settings.
class IsolationListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/corvane-test-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        g_root = WithSlash(pattern);
        std::filesystem::create_directories(g_root + "program");
        std::filesystem::create_directories(g_root + "config");
        std::filesystem::create_directories(g_root + "scratch");
        SetProgramDirectoryForTesting(g_root + "program/");
        setenv("XDG_CONFIG_HOME", (g_root + "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (g_root + "data").c_str(), 1);
        // Nothing an earlier test posted waits for this test's main window.
        for (const PostedMessage& m : GetMainMessageTarget()->TakePosted())
            if (m.release) m.release(m.wParam, m.lParam);
    }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        SetProgramDirectoryForTesting("");
        std::error_code ignored;
        std::filesystem::remove_all(g_root, ignored);
        g_root.clear();
    }
};

}  // namespace

std::string ProgramDir() { return g_root + "program/"; }

std::string ScratchDir() { return g_root + "scratch/"; }

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace corvane_test

// The sanitizers' settings of every test program: reports fail the test, leaks inside
// system libraries that Corvane does not own are suppressed.
extern "C" const char* __asan_default_options()
{
    // strict_string_checks stays off: libdxfrw's reader compares a line buffer that holds no
    // terminator with strcmp, which that check reports.
    return "detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1";
}
extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }
extern "C" const char* __lsan_default_options()
{
    return "suppressions=" CORVANE_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

int main(int argc, char** argv)
{
    // Headless, whatever display the caller has.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new corvane_test::IsolationListener);
    return RUN_ALL_TESTS();
}
