// A scripted TCP peer on 127.0.0.1 for tests of servers that run in the test's event loop.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace corvane_test {

class LoopbackTcpClient {
public:
    // Connects to 127.0.0.1:port; IsConnected tells whether that worked.
    explicit LoopbackTcpClient(uint16_t port);
    ~LoopbackTcpClient();
    LoopbackTcpClient(const LoopbackTcpClient&) = delete;
    LoopbackTcpClient& operator=(const LoopbackTcpClient&) = delete;

    bool IsConnected() const { return fd_ >= 0; }
    // Sends all bytes, running the event loop while the socket is full; false on failure.
    bool Send(std::string_view bytes);
    // Reads whatever has arrived into Received(); notes when the server closed.
    void Poll();
    // Runs the event loop until at least count bytes have arrived or the server closed.
    bool WaitForBytes(size_t count, int timeoutMs = 5000);
    // Runs the event loop until the bytes received end with the UTF-16LE bytes of end (or the
    // time is up), then takes everything received as UTF-16 text.
    std::u16string TakeTextUpTo(std::u16string_view end, int timeoutMs = 5000);
    // Runs the event loop until the server closed the connection.
    bool WaitForClose(int timeoutMs = 5000);
    // True when every byte sent has reached the peer's socket.
    bool AllSent() const;
    const std::string& Received() const { return received_; }
    // Takes the bytes received so far, leaving none.
    std::string TakeReceived() { return std::exchange(received_, {}); }
    bool ServerClosed() const { return serverClosed_; }
    void Close();

private:
    int fd_ = -1;
    std::string received_;
    bool serverClosed_ = false;
};

// The UTF-16LE bytes of text, as they travel on the wire.
std::string Utf16Bytes(std::u16string_view text);

}  // namespace corvane_test
