// Helpers of the window and start-up tests, and the link-ports lock held for the whole run.
#include "ui_fixture.h"

#include "platform/settings_store.h"
#include "support/link_ports_lock.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane_test {

uint32_t LoopbackKey(uint8_t octet) { return htonl((127u << 24) | octet); }

bool StoreLoopbackDiscovery(uint8_t octet)
{
    const auto key = static_cast<int32_t>(LoopbackKey(octet));
    return WriteProfileInt(u"NET_SET", u"BroadCastIP", key) && WriteProfileInt(u"NET_SET", u"ServBroadCastIP", key);
}

bool SendLoopbackDatagram(const std::vector<uint8_t>& bytes, uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    const ssize_t n = ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    ::close(fd);
    return n == static_cast<ssize_t>(bytes.size());
}

namespace {

// Every test of this program binds the upload server's or the listener's port or starts a
// link: each holds the host-wide lock of those ports for the whole run.
[[maybe_unused]] ::testing::Environment* const g_linkPortsEnvironment =
    ::testing::AddGlobalTestEnvironment(new LinkPortsEnvironment);

}  // namespace
}  // namespace corvane_test
