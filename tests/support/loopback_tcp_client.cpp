// The loopback TCP peer: a non-blocking POSIX socket that the test drives between event-loop runs.
#include "support/loopback_tcp_client.h"

#include "support/event_loop.h"

#include <arpa/inet.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane_test {

LoopbackTcpClient::LoopbackTcpClient(uint16_t port)
{
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) return;
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // A loopback connect completes in the kernel's backlog, without the server's loop running.
    if (::connect(s, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0) {
        ::close(s);
        return;
    }
    fd_ = s;
}

LoopbackTcpClient::~LoopbackTcpClient() { Close(); }

void LoopbackTcpClient::Close()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool LoopbackTcpClient::Send(std::string_view bytes)
{
    while (!bytes.empty()) {
        if (fd_ < 0) return false;
        ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            bool writable = RunEventLoopUntil([this] {
                pollfd p{fd_, POLLOUT, 0};
                return ::poll(&p, 1, 0) == 1;
            });
            if (!writable) return false;
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

bool LoopbackTcpClient::AllSent() const
{
    int unsent = 0;
    return fd_ >= 0 && ::ioctl(fd_, SIOCOUTQ, &unsent) == 0 && unsent == 0;
}

void LoopbackTcpClient::Poll()
{
    char chunk[16384];
    while (fd_ >= 0 && !serverClosed_) {
        ssize_t n = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            received_.append(chunk, static_cast<size_t>(n));
        } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            serverClosed_ = true;
        } else {
            return;
        }
    }
}

bool LoopbackTcpClient::WaitForBytes(size_t count, int timeoutMs)
{
    return RunEventLoopUntil([&] {
        Poll();
        return received_.size() >= count || serverClosed_;
    }, timeoutMs) && received_.size() >= count;
}

std::u16string LoopbackTcpClient::TakeTextUpTo(std::u16string_view end, int timeoutMs)
{
    const std::string wanted = Utf16Bytes(end);
    RunEventLoopUntil([&] {
        Poll();
        return received_.size() >= wanted.size() &&
               received_.compare(received_.size() - wanted.size(), wanted.size(), wanted) == 0;
    }, timeoutMs);
    const std::string bytes = TakeReceived();
    std::u16string text(bytes.size() / 2, u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    return text;
}

bool LoopbackTcpClient::WaitForClose(int timeoutMs)
{
    return RunEventLoopUntil([&] {
        Poll();
        return serverClosed_;
    }, timeoutMs);
}

std::string Utf16Bytes(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

}  // namespace corvane_test
