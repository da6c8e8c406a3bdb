// CSockBCListen: hearing another controller's discovery.
#include "app/sock_bc_listen.h"

#include "app/string_table.h"
#include "platform/message_box.h"

#include <algorithm>
#include <cstring>

CSockBCListen::CSockBCListen(std::function<void()> quit) : quit_(std::move(quit)) {}

BOOL CSockBCListen::CreateListener() { return Create(kBroadcastListenPort, SOCK_DGRAM, FD_READ); }

void CSockBCListen::OnReceive(int errorCode)
{
    uint8_t buffer[kBroadcastListenBytes];
    CString sender;
    UINT senderPort = 0;
    const int n = ReceiveFrom(buffer, sizeof buffer, sender, senderPort);
    if (n == kOtherControllerDiscoveryBytes && std::memcmp(buffer, "PQC2", 4) == 0) {
        // The tick is stored before the box is shown: the start-up timer that fires while
        // the box is open sees it and starts no link of its own.
        seenTickMs_ = std::max<TickMs>(MonotonicMs(), 1);
        Close();
        MessageBox(LoadResString(StringId::kOtherControllerRunning), kApplicationCaption, MB_OK);
        if (quit_) quit_();
        return;
    }
    CAsyncSocket::OnReceive(errorCode);
}
