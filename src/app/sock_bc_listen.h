// CSockBCListen: the UDP listener on the discovery port during the first seconds after
// start-up; another controller's discovery heard there makes this program give way and quit,
// so that two controllers never drive the same machines.
#pragma once

#include "platform/async_socket.h"
#include "platform/tick_clock.h"

#include <functional>

// Another controller's discovery: exactly this many bytes, beginning "PQC2".
inline constexpr int kOtherControllerDiscoveryBytes = 14;
// The longest datagram read.
inline constexpr int kBroadcastListenBytes = 256;
inline constexpr UINT kBroadcastListenPort = 41200;

class CSockBCListen : public CAsyncSocket {
public:
    // quit: asks the program to end (after the operator was told).
    explicit CSockBCListen(std::function<void()> quit);

    // Makes the UDP socket on the discovery port of every address.
    BOOL CreateListener();
    // The tick at which another controller's discovery was heard; 0 until then.
    TickMs GetSeenTickMs() const { return seenTickMs_; }

protected:
    // Reads one datagram; another controller's discovery closes the socket, tells the
    // operator and asks the program to end.
    void OnReceive(int errorCode) override;

private:
    std::function<void()> quit_;
    TickMs seenTickMs_ = 0;
};
