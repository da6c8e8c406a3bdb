// A guard linked into every test program: a datagram or a connection to an address outside
// loopback ends the program before anything leaves the host.
//
// The program's own sendto, sendmsg and connect stand in front of the C library's for every
// caller in the process (the libraries under test included). A destination outside
// 127.0.0.0/8 (or ::1) is reported on standard error and the program aborts, so a test that
// would reach a LAN address, a broadcast address or the internet fails at once instead.
#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

bool IsLoopbackDestination(const sockaddr* to, socklen_t size)
{
    if (!to) return true;  // a connected socket: its destination was checked by connect
    if (to->sa_family == AF_INET) {
        if (size < static_cast<socklen_t>(sizeof(sockaddr_in))) return true;  // the call fails by itself
        const auto* in = reinterpret_cast<const sockaddr_in*>(to);
        return (ntohl(in->sin_addr.s_addr) >> 24) == 127;
    }
    if (to->sa_family == AF_INET6) {
        if (size < static_cast<socklen_t>(sizeof(sockaddr_in6))) return true;
        const in6_addr& a = reinterpret_cast<const sockaddr_in6*>(to)->sin6_addr;
        if (IN6_IS_ADDR_LOOPBACK(&a)) return true;
        return IN6_IS_ADDR_V4MAPPED(&a) && a.s6_addr[12] == 127;
    }
    return true;  // local families (AF_UNIX, AF_NETLINK, AF_UNSPEC to disconnect) stay on the host
}

[[noreturn]] void Refuse(const char* call)
{
    static const char prefix[] = "test refused: ";
    static const char suffix[] = " to an address outside loopback\n";
    ssize_t ignored = write(STDERR_FILENO, prefix, sizeof prefix - 1);
    ignored = write(STDERR_FILENO, call, std::strlen(call));
    ignored = write(STDERR_FILENO, suffix, sizeof suffix - 1);
    (void)ignored;
    std::abort();
}

template <class F>
F Next(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" ssize_t sendto(int fd, const void* data, size_t size, int flags, const sockaddr* to, socklen_t toSize)
{
    if (!IsLoopbackDestination(to, toSize)) Refuse("sendto");
    static const auto next = Next<ssize_t (*)(int, const void*, size_t, int, const sockaddr*, socklen_t)>("sendto");
    return next(fd, data, size, flags, to, toSize);
}

extern "C" ssize_t sendmsg(int fd, const msghdr* message, int flags)
{
    if (message && !IsLoopbackDestination(static_cast<const sockaddr*>(message->msg_name), message->msg_namelen))
        Refuse("sendmsg");
    static const auto next = Next<ssize_t (*)(int, const msghdr*, int)>("sendmsg");
    return next(fd, message, flags);
}

extern "C" int connect(int fd, const sockaddr* to, socklen_t toSize)
{
    if (!IsLoopbackDestination(to, toSize)) Refuse("connect");
    static const auto next = Next<int (*)(int, const sockaddr*, socklen_t)>("connect");
    return next(fd, to, toSize);
}
