// The main frame fixtures: clients' messages posted as the upload server posts them, and a
// connected upload client.
#include "main_frame_fixture.h"

#include "link_fixture.h"

#include "support/event_loop.h"
#include "uploadserver/tcp_client1.h"
#include "uploadserver/tcp_server1.h"
#include "uploadserver/upload_messages.h"

#include <cstring>

namespace corvane_test {
namespace {

void FreeCopy(WPARAM wParam, LPARAM) { CTCPClient1::DeleteBuf(reinterpret_cast<char16_t*>(wParam)); }

}  // namespace

void MainFrame::Remote(UINT message, std::u16string_view text, int32_t length, CTCPClient1* sender)
{
    auto* copy = new char16_t[text.size() + 1 + sizeof(void*) / sizeof(char16_t)]();
    std::memcpy(copy, text.data(), text.size() * sizeof(char16_t));
    std::memcpy(copy + text.size() + 1, &sender, sizeof sender);
    frame.Post(message, reinterpret_cast<WPARAM>(copy), length < 0 ? static_cast<LPARAM>(text.size()) : length, FreeCopy);
    frame.DeliverPosted();
}

void MainFrame::File(std::u16string_view text, int32_t length, CTCPClient1* sender)
{
    Remote(WM_TCP_FILE_COMMAND, text, length, sender);
}

void MainFrame::Mach(std::u16string_view text) { Remote(WM_TCP_MACHINE_COMMAND, text); }

void MainFrame::Deliver(UINT message, WPARAM wParam, LPARAM lParam)
{
    frame.Post(message, wParam, lParam);
    frame.DeliverPosted();
}

void MainFrameClients::SetUp()
{
    MainFrame::SetUp();
    EnsureEventLoop();
    wire = ConnectToUploadServer();
    ASSERT_NE(wire, nullptr);
    client = AcceptedUploadClient(window);
    ASSERT_NE(client, nullptr);
}

void MainFrameClients::TearDown()
{
    if (wire) wire->Close();
    if (client) {
        EXPECT_TRUE(RunEventLoopUntil([&] { return CTCPClient1::FindClient(client) < 0; }));
    }
    CTCPServer1::GetGlobalServer()->Close();
    MainFrame::TearDown();
}

}  // namespace corvane_test
