// DatagramSender: where the machine link hands the datagrams it sends to a machine.
//
// The link thread sends through its LAN socket (SocketDatagramSender); tests put a recorder in
// its place, so no test has to send a datagram to see what a machine would receive.
#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>

class DatagramSender {
public:
    virtual ~DatagramSender() = default;
    // Sends one datagram to the address and port (host order). Errors are not reported: the
    // protocol repeats what was not acknowledged.
    virtual void SendTo(in_addr address, uint16_t port, const uint8_t* data, size_t length) = 0;
};

// Sends with sendto on a UDP socket that the caller owns.
class SocketDatagramSender : public DatagramSender {
public:
    explicit SocketDatagramSender(int socketFd) : socketFd_(socketFd) {}

    void SendTo(in_addr address, uint16_t port, const uint8_t* data, size_t length) override;
    int GetSocket() const { return socketFd_; }

private:
    int socketFd_;
};
