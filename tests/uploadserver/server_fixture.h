// A running upload server on 127.0.0.1 with an auto directory, a recording main window and peers.
#pragma once

#include "uploadserver/tcp_client1.h"
#include "uploadserver/tcp_server1.h"

#include "support/loopback_tcp_client.h"
#include "support/recording_message_target.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class UploadServerTest : public ::testing::Test {
protected:
    struct Peer {
        std::unique_ptr<corvane_test::LoopbackTcpClient> wire;
        CTCPClient1* client = nullptr;  // the server's side of the connection
    };

    void SetUp() override;
    void TearDown() override;

    // Connects a peer and answers its acceptance as the main window does, which also starts
    // the server reading from it.
    Peer& Connect();
    // Runs the event loop until the server has read everything the peer sent.
    bool Delivered(Peer& peer);
    // Runs the event loop until the client is gone from the server.
    bool Gone(CTCPClient1* client);
    // Runs the event loop until count messages other than acceptances were posted; returns them.
    std::vector<PostedMessage> WaitForPosted(size_t count);

    bool Exists(const std::string& name) const;
    std::string Read(const std::string& name) const;
    // Names of the entries of folder, sorted.
    static std::vector<std::string> List(const std::string& folder);

    std::string autoDir_;
    uint16_t port_ = 0;
    corvane_test::RecordingMessageTarget window_;
    std::vector<std::unique_ptr<Peer>> peers_;
    std::vector<PostedMessage> posted_;  // drained, not yet asked for
};

// The wire form of a message.
std::string W(std::u16string_view text);
// The wire form of a whole upload of body under name: head, one section, end.
std::string Upload(std::u16string_view name, const std::string& body);
