// The program itself: the built executable, copied into a temporary program directory with
// the built fonts, started with loopback discovery and the loopback guard preloaded, answers
// a simulated machine's announce.
#include "platform/settings_store.h"
#include "support/simulated_machine.h"
#include "support/test_environment.h"
#include "ui_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace corvane_test {
namespace {

namespace fs = std::filesystem;

constexpr uint8_t kMachineOctet = 73;

// The started program; killed (and waited for) by the destructor, and by the system should
// the test itself die first.
class RunningProgram {
public:
    RunningProgram(const std::string& executable, const std::vector<std::string>& arguments, const std::string& log)
    {
        std::string preload = CORVANE_LOOPBACK_GUARD_LIBRARY;
        std::string asan = std::string(std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "");
        asan += (asan.empty() ? "" : ":") + std::string("verify_asan_link_order=0");
        pid_ = fork();
        if (pid_ != 0) return;
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        setenv("LD_PRELOAD", preload.c_str(), 1);
        setenv("ASAN_OPTIONS", asan.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::vector<char*> argv{const_cast<char*>(executable.c_str())};
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(executable.c_str(), argv.data());
        _exit(127);
    }
    ~RunningProgram()
    {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // True while the program runs.
    bool Running() { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

private:
    pid_t pid_ = -1;
};

TEST(Acceptance, TheProgramAnswersAMachinesAnnounce)
{
    if (!CORVANE_FONTS_MADE) GTEST_SKIP() << "the build made no font files";
    const std::string program = ScratchDir() + "program/";
    fs::create_directories(program);
    fs::copy_file(CORVANE_EXECUTABLE, program + "Corvane");
    // Every font file the build made ("chineset.shx" only with the Chinese outline font).
    for (const char* font : {"txt.shx", "fshz.fnt", "chineset.shx"})
        if (fs::exists(std::string(CORVANE_BUILT_FONT_DIR) + font))
            fs::copy_file(std::string(CORVANE_BUILT_FONT_DIR) + font, program + font);
    const std::string job = ScratchDir() + "job.plt";
    ASSERT_TRUE(WriteFile(job, "IN;PU0,0;PD4000,0,4000,4000;"));
    // The program inherits this test's settings home: discovery goes to the machine alone.
    const auto key = static_cast<int32_t>(LoopbackKey(kMachineOctet));
    ASSERT_TRUE(WriteProfileInt(u"NET_SET", u"BroadCastIP", key));
    ASSERT_TRUE(WriteProfileInt(u"NET_SET", u"ServBroadCastIP", key));

    // The machine starts first, so the program's listener finds its port taken and goes on.
    SimulatedMachineOptions options;
    options.hostOctet = kMachineOctet;
    SimulatedMachine machine(options);
    std::string error;
    ASSERT_TRUE(machine.Start(&error)) << error;

    const std::string log = ScratchDir() + "program.log";
    RunningProgram running(program + "Corvane", {job}, log);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (machine.AnnounceReplies().empty() && running.Running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(machine.AnnounceReplies().empty()) << ReadFile(log);
    EXPECT_GT(machine.DiscoveriesReceived(), 0);
    EXPECT_TRUE(running.Running()) << ReadFile(log);
    EXPECT_TRUE(fs::exists(program + "Pages"));
    EXPECT_EQ(ReadFile(program + "Config.ini"), "language=1;\r\n");
}

}  // namespace
}  // namespace corvane_test
