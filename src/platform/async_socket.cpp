// CAsyncSocket over non-blocking POSIX sockets, with readiness from two Qt socket notifiers.
#include "platform/async_socket.h"

#include <QObject>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <unistd.h>

namespace {

thread_local int t_lastError = 0;

int ToSocketError(int err)
{
    switch (err) {
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EINPROGRESS:
        return WSAEWOULDBLOCK;
    case EADDRINUSE:
        return WSAEADDRINUSE;
    case ENOTCONN:
        return WSAENOTCONN;
    case ECONNRESET:
    case EPIPE:
        return WSAECONNRESET;
    case EBADF:
    case ENOTSOCK:
        return WSAENOTSOCK;
    case EINVAL:
        return WSAEINVAL;
    case EMSGSIZE:
        return WSAEMSGSIZE;
    default:
        return WSAENETDOWN;
    }
}

// Records errno as the thread's last socket error and returns what a failed call returns.
int Fail(int err)
{
    t_lastError = ToSocketError(err);
    return SOCKET_ERROR;
}

// The same for the calls that answer TRUE or FALSE.
BOOL FailBool(int err)
{
    Fail(err);
    return FALSE;
}

}  // namespace

// The two notifiers of one socket; they exist while the socket is open. A QObject, so that
// Close inside a callback can leave their deletion to the event loop: a notifier must not be
// deleted while it is delivering.
struct CAsyncSocket::Notifiers : QObject {
    Notifiers(CAsyncSocket* socket, SOCKET s)
        : read(s, QSocketNotifier::Read), write(s, QSocketNotifier::Write)
    {
        read.setEnabled(false);
        write.setEnabled(false);
        QObject::connect(&read, &QSocketNotifier::activated, [socket] { socket->ReadReady(); });
        QObject::connect(&write, &QSocketNotifier::activated, [socket] { socket->WriteReady(); });
    }
    QSocketNotifier read;
    QSocketNotifier write;
};

CAsyncSocket::CAsyncSocket() = default;

CAsyncSocket::~CAsyncSocket()
{
    if (m_destroyed) *m_destroyed = true;
    Close();
}

BOOL CAsyncSocket::Create(UINT port, int socketType, int32_t events, const char16_t* address)
{
    if (m_hSocket != INVALID_SOCKET || (socketType != SOCK_STREAM && socketType != SOCK_DGRAM) || port > 0xFFFF)
        return FailBool(EINVAL);
    in_addr bindAddress{};
    bindAddress.s_addr = htonl(INADDR_ANY);
    if (address && *address && inet_pton(AF_INET, CString(address).ToUtf8().c_str(), &bindAddress) != 1)
        return FailBool(EINVAL);
    SOCKET s = ::socket(AF_INET, socketType | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (s < 0) return FailBool(errno);
    if (socketType == SOCK_STREAM) {
        int on = 1;
        setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<uint16_t>(port));
    local.sin_addr = bindAddress;
    if (::bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        int err = errno;
        ::close(s);
        return FailBool(err);
    }
    m_events = events;
    Attach(s, socketType == SOCK_DGRAM);
    return TRUE;
}

BOOL CAsyncSocket::Listen(int backlog)
{
    if (m_hSocket == INVALID_SOCKET || m_datagram) return FailBool(m_datagram ? EINVAL : EBADF);
    if (::listen(m_hSocket, backlog) != 0) return FailBool(errno);
    m_listening = true;
    Rearm();
    return TRUE;
}

BOOL CAsyncSocket::Accept(CAsyncSocket& connected)
{
    if (connected.m_hSocket != INVALID_SOCKET) return FailBool(EINVAL);
    SOCKET s = ::accept4(m_hSocket, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    m_readArmed = true;
    Rearm();
    if (s < 0) return FailBool(errno);
    connected.m_events = m_events;
    connected.m_connected = true;
    connected.Attach(s, false);
    return TRUE;
}

BOOL CAsyncSocket::AsyncSelect(int32_t events)
{
    if (m_hSocket == INVALID_SOCKET) return FailBool(EBADF);
    m_events = events;
    m_readArmed = true;
    m_writeArmed = true;
    Rearm();
    return TRUE;
}

int CAsyncSocket::Receive(void* buffer, int length, int flags)
{
    if (length < 0) return Fail(EINVAL);
    // A call interrupted by a signal is made again: it is no failure of the connection.
    ssize_t n;
    do n = ::recv(m_hSocket, buffer, static_cast<size_t>(length), flags | MSG_DONTWAIT);
    while (n < 0 && errno == EINTR);
    int err = errno;
    m_readArmed = true;
    Rearm();
    return n < 0 ? Fail(err) : static_cast<int>(n);
}

int CAsyncSocket::Send(const void* buffer, int length, int flags)
{
    if (length < 0) return Fail(EINVAL);
    // MSG_NOSIGNAL: a peer that has gone away gives an error here, never SIGPIPE. A send
    // interrupted by a signal is made again; taken for a failure it would leave OnSend
    // disarmed with bytes still queued, and the connection would stall.
    ssize_t n;
    do n = ::send(m_hSocket, buffer, static_cast<size_t>(length), flags | MSG_NOSIGNAL | MSG_DONTWAIT);
    while (n < 0 && errno == EINTR);
    if (n >= 0) return static_cast<int>(n);
    int err = errno;
    if (err == EAGAIN || err == EWOULDBLOCK) {
        m_writeArmed = true;  // OnSend again once the socket has room
        Rearm();
    }
    return Fail(err);
}

int CAsyncSocket::SendTo(const void* buffer, int length, UINT port, const char16_t* address, int flags)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    if (length < 0 || port > 0xFFFF || !address ||
        inet_pton(AF_INET, CString(address).ToUtf8().c_str(), &to.sin_addr) != 1)
        return Fail(EINVAL);
    to.sin_port = htons(static_cast<uint16_t>(port));
    ssize_t n;
    do n = ::sendto(m_hSocket, buffer, static_cast<size_t>(length), flags | MSG_NOSIGNAL | MSG_DONTWAIT,
                    reinterpret_cast<const sockaddr*>(&to), sizeof to);
    while (n < 0 && errno == EINTR);
    return n < 0 ? Fail(errno) : static_cast<int>(n);
}

int CAsyncSocket::ReceiveFrom(void* buffer, int length, CString& address, UINT& port, int flags)
{
    if (length < 0) return Fail(EINVAL);
    sockaddr_in from{};
    socklen_t size = sizeof from;
    // MSG_TRUNC makes the call tell the datagram's whole length, so a cut datagram is seen.
    ssize_t n;
    do n = ::recvfrom(m_hSocket, buffer, static_cast<size_t>(length), flags | MSG_DONTWAIT | MSG_TRUNC,
                      reinterpret_cast<sockaddr*>(&from), &size);
    while (n < 0 && errno == EINTR);
    int err = errno;
    m_readArmed = true;
    Rearm();
    if (n < 0) return Fail(err);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
    address = CString::FromUtf8(text);
    port = ntohs(from.sin_port);
    if (n > length) return Fail(EMSGSIZE);
    return static_cast<int>(n);
}

BOOL CAsyncSocket::ShutDown(int how)
{
    if (::shutdown(m_hSocket, how) != 0) return FailBool(errno);
    return TRUE;
}

void CAsyncSocket::Close()
{
    if (m_hSocket == INVALID_SOCKET) return;
    if (m_notifiers) {
        m_notifiers->read.setEnabled(false);
        m_notifiers->write.setEnabled(false);
        if (m_destroyed)
            m_notifiers.release()->deleteLater();
        else
            m_notifiers.reset();
    }
    ::close(m_hSocket);
    m_hSocket = INVALID_SOCKET;
    m_listening = false;
    m_datagram = false;
    m_connected = false;
    m_closeReported = false;
}

BOOL CAsyncSocket::GetSockName(CString& address, UINT& port)
{
    sockaddr_in local{};
    socklen_t size = sizeof local;
    if (::getsockname(m_hSocket, reinterpret_cast<sockaddr*>(&local), &size) != 0) return FailBool(errno);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &local.sin_addr, text, sizeof text);
    address = CString::FromUtf8(text);
    port = ntohs(local.sin_port);
    return TRUE;
}

int CAsyncSocket::GetLastError() { return t_lastError; }

void CAsyncSocket::OnAccept(int) {}
void CAsyncSocket::OnReceive(int) {}
void CAsyncSocket::OnSend(int) {}
void CAsyncSocket::OnClose(int) {}

void CAsyncSocket::Attach(SOCKET s, bool datagram)
{
    m_hSocket = s;
    m_datagram = datagram;
    m_closeReported = false;
    m_readArmed = true;
    m_writeArmed = true;
    m_notifiers = std::make_unique<Notifiers>(this, s);
    Rearm();
}

// Enables the notifiers that the selected and armed events need; none before a stream
// socket listens or is connected, and none once the close was reported.
void CAsyncSocket::Rearm()
{
    if (!m_notifiers) return;
    bool open = !m_closeReported && (m_datagram || m_listening || m_connected);
    bool wantRead = m_listening ? (m_events & FD_ACCEPT) != 0 : (m_events & (FD_READ | FD_CLOSE)) != 0;
    bool wantWrite = !m_listening && (m_events & FD_WRITE) != 0;
    m_notifiers->read.setEnabled(open && wantRead && m_readArmed);
    m_notifiers->write.setEnabled(open && wantWrite && m_writeArmed);
}

// Runs one notification callback and re-arms the notifiers after it; false when the
// callback destroyed this socket.
template <class Callback>
bool CAsyncSocket::RunCallback(Callback callback)
{
    bool destroyed = false;
    bool* outer = m_destroyed;
    m_destroyed = &destroyed;
    callback();
    if (destroyed) {
        if (outer) *outer = true;
        return false;
    }
    m_destroyed = outer;
    Rearm();
    return true;
}

// Tells a readable socket's kind of news apart: a waiting connection, bytes, or the end.
// The read side is disarmed first: Accept or Receive in the callback arms it again.
void CAsyncSocket::ReadReady()
{
    if (m_listening || m_datagram) {
        m_readArmed = false;
        if (m_listening)
            RunCallback([this] { OnAccept(0); });
        else if (m_events & FD_READ)
            RunCallback([this] { OnReceive(0); });
        else
            Rearm();
        return;
    }
    char probe;
    ssize_t n = ::recv(m_hSocket, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) {
        m_readArmed = false;
        if (m_events & FD_READ)
            RunCallback([this] { OnReceive(0); });
        else
            Rearm();  // bytes nobody asked for: wait for AsyncSelect
    } else if (n == 0) {
        ReportClose(0);
    } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        ReportClose(ToSocketError(errno));
    }
}

// Offers the writable socket to OnSend once, unless the connection has failed or hung up.
void CAsyncSocket::WriteReady()
{
    m_writeArmed = false;
    Rearm();
    pollfd p{m_hSocket, POLLOUT, 0};
    if (::poll(&p, 1, 0) == 1 && (p.revents & (POLLERR | POLLHUP))) {
        int err = 0;
        socklen_t size = sizeof err;
        getsockopt(m_hSocket, SOL_SOCKET, SO_ERROR, &err, &size);
        ReportClose(err ? ToSocketError(err) : 0);
        return;
    }
    RunCallback([this] { OnSend(0); });
}

// Reports the end of the connection once and stops the notifiers, which would fire forever.
void CAsyncSocket::ReportClose(int errorCode)
{
    m_closeReported = true;
    Rearm();
    if (m_events & FD_CLOSE) RunCallback([this, errorCode] { OnClose(errorCode); });
}
