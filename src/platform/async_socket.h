// CAsyncSocket: a non-blocking IPv4 socket whose readiness arrives as OnAccept/OnReceive/OnSend/OnClose.
//
// The notifications are driven by the Qt event loop of the thread that created the socket
// (the GUI thread), as the framework's window messages were, and re-arm as they did there.
// AsyncSelect chooses which are wanted, with the framework's FD_ values:
// - FD_READ: OnReceive when bytes are waiting; the next one comes after the callback has
//   called Receive (or after AsyncSelect), so a callback that reads nothing is not called
//   again and again;
// - FD_WRITE: OnSend once the socket can take bytes, after a connection is accepted, after
//   each AsyncSelect that selects FD_WRITE and after each Send that found the socket full;
// - FD_ACCEPT: OnAccept when a connection waits; the next one after Accept is called;
// - FD_CLOSE: OnClose once, when the peer has closed or reset the connection (its error
//   code is 0 for an orderly close) or our own side was shut down.
// A socket made by Accept keeps the event selection of the listening socket, as on the
// framework. A callback may Close or delete its own socket. Sending never raises SIGPIPE;
// a send to a closed peer fails with a status instead.
#pragma once

#include "platform/cstring.h"
#include "platform/win_types.h"

#include <memory>
#include <sys/socket.h>

using SOCKET = int;
inline constexpr SOCKET INVALID_SOCKET = -1;
inline constexpr int SOCKET_ERROR = -1;

inline constexpr int32_t FD_READ = 0x01;
inline constexpr int32_t FD_WRITE = 0x02;
inline constexpr int32_t FD_OOB = 0x04;
inline constexpr int32_t FD_ACCEPT = 0x08;
inline constexpr int32_t FD_CONNECT = 0x10;
inline constexpr int32_t FD_CLOSE = 0x20;
inline constexpr int32_t FD_ALL_EVENTS = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;

// The error codes that GetLastError and the callbacks report.
inline constexpr int WSAEWOULDBLOCK = 10035;
inline constexpr int WSAEADDRINUSE = 10048;
inline constexpr int WSAENOTCONN = 10057;
inline constexpr int WSAECONNRESET = 10054;
inline constexpr int WSAENOTSOCK = 10038;
inline constexpr int WSAEINVAL = 10022;
inline constexpr int WSAEMSGSIZE = 10040;
inline constexpr int WSAENETDOWN = 10050;  // every other system error

class CAsyncSocket {
public:
    enum { receives = 0, sends = 1, both = 2 };

    SOCKET m_hSocket = INVALID_SOCKET;

    CAsyncSocket();
    virtual ~CAsyncSocket();
    CAsyncSocket(const CAsyncSocket&) = delete;
    CAsyncSocket& operator=(const CAsyncSocket&) = delete;

    // Makes the socket (SOCK_STREAM or SOCK_DGRAM), binds it to port on address (any
    // address when null) and selects events. Stream sockets get SO_REUSEADDR, so a server
    // can listen again at once on a port that still has connections in TIME_WAIT.
    BOOL Create(UINT port = 0, int socketType = SOCK_STREAM, int32_t events = FD_ALL_EVENTS,
                const char16_t* address = nullptr);
    BOOL Listen(int backlog = 5);
    // Accepts a waiting connection into connected (which must not hold a socket yet).
    virtual BOOL Accept(CAsyncSocket& connected);
    // Chooses the notifications wanted from now on (the FD_ values above).
    BOOL AsyncSelect(int32_t events = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE);
    // Bytes received, 0 at the end of the stream, or SOCKET_ERROR (WSAEWOULDBLOCK when
    // nothing is waiting).
    virtual int Receive(void* buffer, int length, int flags = 0);
    // Bytes taken, or SOCKET_ERROR (WSAEWOULDBLOCK when the socket is full).
    virtual int Send(const void* buffer, int length, int flags = 0);
    // Sends one datagram to port on address, a dotted IPv4 address (there is no broadcast
    // default: a null or other address is WSAEINVAL). Bytes sent, or SOCKET_ERROR.
    int SendTo(const void* buffer, int length, UINT port, const char16_t* address, int flags = 0);
    // Receives one datagram and its sender's dotted address and port. A datagram longer than
    // length fills the buffer and gives SOCKET_ERROR with WSAEMSGSIZE, as on Winsock.
    int ReceiveFrom(void* buffer, int length, CString& address, UINT& port, int flags = 0);
    // Ends sending, receiving or both; OnClose follows from the event loop when selected.
    BOOL ShutDown(int how = sends);
    // Closes the socket; no notification follows. Safe to call more than once.
    virtual void Close();
    // The local address and port the socket is bound to.
    BOOL GetSockName(CString& address, UINT& port);
    // The error of the calling thread's last failed call.
    static int GetLastError();

protected:
    virtual void OnAccept(int errorCode);
    virtual void OnReceive(int errorCode);
    virtual void OnSend(int errorCode);
    virtual void OnClose(int errorCode);

private:
    struct Notifiers;
    friend struct Notifiers;
    void Attach(SOCKET s, bool datagram);
    void Rearm();
    void ReadReady();
    void WriteReady();
    void ReportClose(int errorCode);
    template <class Callback>
    bool RunCallback(Callback callback);

    int32_t m_events = 0;
    bool m_datagram = false;
    bool m_listening = false;
    bool m_connected = false;  // a stream socket made by Accept
    bool m_readArmed = true;   // the next read-side notification may be given
    bool m_writeArmed = true;  // the next OnSend may be given
    bool m_closeReported = false;
    bool* m_destroyed = nullptr;  // set while a callback runs, so a callback may delete us
    std::unique_ptr<Notifiers> m_notifiers;
};
