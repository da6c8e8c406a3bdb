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

// Gives each test its own program directory ("program/"), settings home ("config/") and
// scratch folder ("scratch/"), so no test sees another's files or the user's settings.
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

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new corvane_test::IsolationListener);
    return RUN_ALL_TESTS();
}
