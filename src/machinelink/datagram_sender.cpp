// SocketDatagramSender: sendto on the link socket.
#include "machinelink/datagram_sender.h"

#include <sys/socket.h>

void SocketDatagramSender::SendTo(in_addr address, uint16_t port, const uint8_t* data, size_t length)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr = address;
    (void)::sendto(socketFd_, data, length, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}
