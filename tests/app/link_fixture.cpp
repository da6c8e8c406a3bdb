// The upload client of the link tests; their program holds the host-wide lock of the link
// ports for its whole run.
#include "link_fixture.h"

#include "support/event_loop.h"
#include "support/link_ports_lock.h"
#include "support/loopback_tcp_client.h"
#include "support/recording_message_target.h"
#include "uploadserver/tcp_client1.h"
#include "uploadserver/tcp_server1.h"
#include "uploadserver/upload_messages.h"

#include <gtest/gtest.h>

namespace corvane_test {

std::unique_ptr<LoopbackTcpClient> ConnectToUploadServer()
{
    CTCPServer1* server = CTCPServer1::GetGlobalServer();
    CString address;
    UINT port = 0;
    if (server->Create1(0, u"127.0.0.1") != 1 || !server->GetSockName(address, port)) {
        ADD_FAILURE() << "the upload server did not open on 127.0.0.1";
        return nullptr;
    }
    auto client = std::make_unique<LoopbackTcpClient>(static_cast<uint16_t>(port));
    if (!client->IsConnected()) {
        ADD_FAILURE() << "no connection to the upload server on port " << port;
        return nullptr;
    }
    return client;
}

CTCPClient1* AcceptedUploadClient(RecordingMessageTarget& window)
{
    CTCPClient1* client = nullptr;
    const bool accepted = RunEventLoopUntil([&] {
        for (const PostedMessage& m : window.Drain())
            if (m.message == WM_TCP_CLIENT_ACCEPTED) client = reinterpret_cast<CTCPClient1*>(m.wParam);
        return client != nullptr;
    });
    if (!accepted) ADD_FAILURE() << "the upload server accepted no client";
    return client;
}

namespace {

// Every test of this program binds link or machine ports: each holds the host-wide lock of
// those ports for its whole run.
[[maybe_unused]] ::testing::Environment* const g_linkPortsEnvironment =
    ::testing::AddGlobalTestEnvironment(new LinkPortsEnvironment);

}  // namespace
}  // namespace corvane_test
