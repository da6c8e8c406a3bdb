// "Net Error!": the link manager when the system gives it no socket. The program's own
// socket() stands in front of the C library's and fails on demand.
#include "link_fixture.h"

#include "support/recording_message_sink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <filesystem>
#include <sys/socket.h>

namespace {

// How many socket() calls to refuse before passing calls on again; and how many were made.
std::atomic<int> gRefuseAfter{-1};
std::atomic<int> gSocketsMade{0};

}  // namespace

extern "C" int socket(int domain, int type, int protocol)
{
    static const auto next = reinterpret_cast<int (*)(int, int, int)>(dlsym(RTLD_NEXT, "socket"));
    int left = gRefuseAfter.load();
    if (left == 0) {
        errno = EMFILE;
        return -1;
    }
    if (left > 0) gRefuseAfter.store(left - 1);
    const int fd = next(domain, type, protocol);
    if (fd >= 0) gSocketsMade.fetch_add(1);
    return fd;
}

namespace corvane_test {
namespace {

size_t OpenDescriptors()
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

TEST(LinkSockets, ReportsNetErrorWhenASocketCannotBeMadeAndKeepsNoneOpen)
{
    for (int socketsBeforeFailure : {0, 1}) {
        const size_t openBefore = OpenDescriptors();
        RecordingMessageSink sink;
        CUDPServer server;
        gSocketsMade = 0;
        gRefuseAfter = socketsBeforeFailure;
        const int result = server.OpenLinkSockets();
        gRefuseAfter = -1;
        EXPECT_EQ(result, kLinkNetError) << socketsBeforeFailure;
        EXPECT_EQ(gSocketsMade.load(), socketsBeforeFailure);
        ASSERT_EQ(sink.Shown().size(), 1u);
        EXPECT_EQ(sink.Shown()[0].text, u"Net Error!");
        EXPECT_LT(server.GetLanSocket(), 0);
        EXPECT_EQ(server.PostMachineCommandByte(LoopbackAddress(7), 19, 2), -1);
        EXPECT_EQ(OpenDescriptors(), openBefore) << "the socket made before the failure is closed";
    }
}

}  // namespace
}  // namespace corvane_test
