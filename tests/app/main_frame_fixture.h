// The main frame's message handlers over the document fixture, delivered by hand; and the same
// with a client of the real upload server connected and accepted.
#pragma once

#include "doc_fixture.h"

#include "app/main_frame_messages.h"
#include "support/loopback_tcp_client.h"

#include <cstdint>
#include <memory>
#include <string_view>

class CTCPClient1;

namespace corvane_test {

class MainFrame : public DocFixture {
protected:
    // Posts a client's message as the upload server does (a heap copy, a 0 unit and room for
    // the sender) with the given length, and delivers it.
    void Remote(UINT message, std::u16string_view text, int32_t length = -1, CTCPClient1* sender = nullptr);
    void File(std::u16string_view text, int32_t length = -1, CTCPClient1* sender = nullptr);
    void Mach(std::u16string_view text);
    void Deliver(UINT message, WPARAM wParam, LPARAM lParam);

    MainFrameMessages frame{doc, CMessageTarget::Delivery::ByHand};
};

// The upload server open on 127.0.0.1 with one client (wire) that the server has accepted
// (client) before the test begins; after it the connection and the server are closed.
class MainFrameClients : public MainFrame {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<LoopbackTcpClient> wire;
    CTCPClient1* client = nullptr;
};

}  // namespace corvane_test
