// The upload server fixture: start, peers that connect and are greeted, and a clean stop.
#include "server_fixture.h"

#include "uploadserver/upload_messages.h"

#include "support/event_loop.h"
#include "support/test_environment.h"

#include <algorithm>
#include <filesystem>
#include <sys/ioctl.h>

using corvane_test::RunEventLoopUntil;

std::string W(std::u16string_view text) { return corvane_test::Utf16Bytes(text); }

std::string Upload(std::u16string_view name, const std::string& body)
{
    std::string size = std::to_string(body.size());
    std::u16string count(size.begin(), size.end());
    return W(u"<FHED,L:" + count + u",N:" + std::u16string(name) + u">") + W(u"<FSEG,L:" + count + u">") + body +
           W(u"<FEND>");
}

void UploadServerTest::SetUp()
{
    corvane_test::EnsureEventLoop();
    autoDir_ = corvane_test::ScratchDir() + "auto";
    std::filesystem::create_directories(autoDir_);
    CTCPServer1::SetAutoDir(CString::FromUtf8(autoDir_));
    CTCPServer1* server = CTCPServer1::GetGlobalServer();
    ASSERT_EQ(server->Create1(0, u"127.0.0.1"), 1);
    CString address;
    UINT port = 0;
    ASSERT_TRUE(server->GetSockName(address, port));
    port_ = static_cast<uint16_t>(port);
}

void UploadServerTest::TearDown()
{
    for (auto& peer : peers_) peer->wire->Close();
    for (auto& peer : peers_) EXPECT_TRUE(Gone(peer->client));
    for (const PostedMessage& m : window_.Drain()) posted_.push_back(m);
    for (const PostedMessage& m : posted_)
        if (m.message == WM_TCP_FILE_COMMAND || m.message == WM_TCP_MACHINE_COMMAND)
            CTCPClient1::DeleteBuf(reinterpret_cast<char16_t*>(m.wParam));
    CTCPServer1::GetGlobalServer()->Close();
    CTCPServer1::SetAutoDir(CString());
}

UploadServerTest::Peer& UploadServerTest::Connect()
{
    auto peer = std::make_unique<Peer>();
    peer->wire = std::make_unique<corvane_test::LoopbackTcpClient>(port_);
    EXPECT_TRUE(peer->wire->IsConnected());
    RunEventLoopUntil([&] {
        for (const PostedMessage& m : window_.Drain()) {
            if (m.message == WM_TCP_CLIENT_ACCEPTED && !peer->client) {
                EXPECT_EQ(m.lParam, 0);
                peer->client = reinterpret_cast<CTCPClient1*>(m.wParam);
            } else {
                posted_.push_back(m);
            }
        }
        return peer->client != nullptr;
    });
    EXPECT_NE(peer->client, nullptr);
    EXPECT_GE(CTCPClient1::FindClient(peer->client), 0);
    if (peer->client) {
        peer->client->AddToSendBufW(u"<FILEc>", 7);
        EXPECT_TRUE(peer->wire->WaitForBytes(14));
        EXPECT_EQ(peer->wire->TakeReceived(), W(u"<FILEc>"));
    }
    peers_.push_back(std::move(peer));
    return *peers_.back();
}

bool UploadServerTest::Delivered(Peer& peer)
{
    return RunEventLoopUntil([&] {
        if (CTCPClient1::FindClient(peer.client) < 0) return true;
        int unread = 0;
        return peer.wire->AllSent() && ::ioctl(peer.client->m_hSocket, FIONREAD, &unread) == 0 && unread == 0;
    });
}

bool UploadServerTest::Gone(CTCPClient1* client)
{
    return RunEventLoopUntil([&] { return CTCPClient1::FindClient(client) < 0; });
}

std::vector<PostedMessage> UploadServerTest::WaitForPosted(size_t count)
{
    RunEventLoopUntil([&] {
        for (const PostedMessage& m : window_.Drain()) posted_.push_back(m);
        return posted_.size() >= count;
    });
    return std::exchange(posted_, {});
}

bool UploadServerTest::Exists(const std::string& name) const
{
    return std::filesystem::exists(autoDir_ + "/" + name);
}

std::string UploadServerTest::Read(const std::string& name) const
{
    return corvane_test::ReadFile(autoDir_ + "/" + name);
}

std::vector<std::string> UploadServerTest::List(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
