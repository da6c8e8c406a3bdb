// Uploads into the auto directory and commands posted to the main window, over loopback TCP.
#include "server_fixture.h"

#include "uploadserver/upload_messages.h"

#include "support/event_loop.h"
#include "support/test_environment.h"

#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace {

using corvane_test::RunEventLoopUntil;

TEST_F(UploadServerTest, AnUploadCarriesItsDashUntilItsEndMessageWhereverTheBytesAreSplit)
{
    Peer& peer = Connect();
    ASSERT_TRUE(peer.wire->Send(W(u"<FHED,L:5,N:a.plt>")));
    ASSERT_TRUE(RunEventLoopUntil([&] { return Exists("a.plt-"); }));
    EXPECT_FALSE(Exists("a.plt"));

    // Split inside a unit of the FSEG message, between it and its body, inside the body, and
    // with the end message in the same send as the last body bytes.
    std::string rest = W(u"<FSEG,L:5>") + "HELLO" + W(u"<FEND>");
    const size_t cuts[] = {0, 3, 9, 20, 21, 23, rest.size()};
    for (size_t i = 0; i + 1 < std::size(cuts); ++i) {
        ASSERT_TRUE(peer.wire->Send(rest.substr(cuts[i], cuts[i + 1] - cuts[i])));
        ASSERT_TRUE(Delivered(peer));
        EXPECT_EQ(Exists("a.plt"), i + 2 == std::size(cuts)) << "after piece " << i;
    }
    EXPECT_EQ(Read("a.plt"), "HELLO");
    EXPECT_FALSE(Exists("a.plt-"));

    // The count, not the framing, delimits a body: one that holds message text and has an odd
    // length, sent in one piece with the messages around it.
    std::string body = W(u"<FEND><FHED,L:1,N:x>") + "\x01";
    ASSERT_TRUE(peer.wire->Send(Upload(u"b.plt", body)));
    ASSERT_TRUE(RunEventLoopUntil([&] { return Exists("b.plt"); }));
    EXPECT_EQ(Read("b.plt"), body);
    EXPECT_EQ(List(autoDir_), (std::vector<std::string>{"a.plt", "b.plt"}));
}

TEST_F(UploadServerTest, AConnectionLostMidUploadLeavesTheDashFile)
{
    Peer& peer = Connect();
    ASSERT_TRUE(peer.wire->Send(W(u"<FHED,L:10,N:a.plt><FSEG,L:10>") + "HEL"));
    ASSERT_TRUE(Delivered(peer));
    peer.wire->Close();
    ASSERT_TRUE(Gone(peer.client));
    EXPECT_EQ(Read("a.plt-"), "HEL");
    EXPECT_FALSE(Exists("a.plt"));
}

TEST_F(UploadServerTest, ASecondClientUploadingTheSameNameMeanwhileIsRefused)
{
    Peer& first = Connect();
    Peer& second = Connect();
    ASSERT_TRUE(first.wire->Send(W(u"<FHED,L:8,N:a.plt><FSEG,L:5>") + "AAAAA"));
    ASSERT_TRUE(Delivered(first));
    ASSERT_TRUE(second.wire->Send(Upload(u"a.plt", "BBBBB")));
    ASSERT_TRUE(Delivered(second));
    ASSERT_TRUE(first.wire->Send(W(u"<FSEG,L:3>") + "CCC" + W(u"<FEND>")));
    ASSERT_TRUE(Delivered(first));
    EXPECT_EQ(Read("a.plt"), "AAAAACCC");
    EXPECT_EQ(List(autoDir_), std::vector<std::string>{"a.plt"});

    // Once the first upload has ended, the name is free for the next one.
    ASSERT_TRUE(second.wire->Send(Upload(u"a.plt", "DD")));
    ASSERT_TRUE(Delivered(second));
    EXPECT_EQ(Read("a.plt-"), "DD");  // a job of that name is still waiting
}

TEST_F(UploadServerTest, AnUploadThatCannotBeCompletedNeverTakesItsName)
{
    Peer& peer = Connect();
    // The final name is taken already: the old file stays, the new one keeps its dash.
    ASSERT_TRUE(corvane_test::WriteFile(autoDir_ + "/a.plt", "OLD"));
    ASSERT_TRUE(peer.wire->Send(Upload(u"a.plt", "NEW")));
    ASSERT_TRUE(Delivered(peer));
    EXPECT_EQ(Read("a.plt"), "OLD");
    EXPECT_EQ(Read("a.plt-"), "NEW");

    // A write that fails (here: the file size limit) leaves a truncated dash file only.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 3;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool sent = peer.wire->Send(Upload(u"b.plt", "HELLO"));
    bool delivered = sent && Delivered(peer);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_TRUE(delivered);
    EXPECT_FALSE(Exists("b.plt"));
    EXPECT_EQ(Read("b.plt-"), "HEL");
}

TEST_F(UploadServerTest, RefusedUploadsKeepEveryFileAndTheConnectionGoesOn)
{
    Peer& peer = Connect();
    // An earlier upload that was literally named "c.plt-" is never opened, let alone emptied.
    ASSERT_TRUE(corvane_test::WriteFile(autoDir_ + "/c.plt-", "EARLIER"));
    const std::u16string longest(255, u'n');  // a legal name with no room for its "-"
    const struct {
        std::u16string name;
        UploadRefusal refusal;
    } refused[] = {
        {u"c.plt", UploadRefusal::kTemporaryExists},
        {u"d.plt-", UploadRefusal::kEndsInDash},
        {longest, UploadRefusal::kNameTooLong},
        {u"../e.plt", UploadRefusal::kNotPlainName},
    };
    for (const auto& c : refused) {
        ASSERT_TRUE(peer.wire->Send(Upload(c.name, "NEW")));
        ASSERT_TRUE(Delivered(peer));
        EXPECT_EQ(peer.client->LastUploadRefusal(), c.refusal) << c.name.size() << " units";
    }
    EXPECT_EQ(Read("c.plt-"), "EARLIER");
    EXPECT_EQ(List(autoDir_), std::vector<std::string>{"c.plt-"});

    // The refused bodies were counted and dropped: the next upload on the connection lands.
    ASSERT_TRUE(peer.wire->Send(Upload(u"f.plt", "OK")));
    ASSERT_TRUE(RunEventLoopUntil([&] { return Exists("f.plt"); }));
    EXPECT_EQ(peer.client->LastUploadRefusal(), UploadRefusal::kNone);
    EXPECT_EQ(Read("f.plt"), "OK");
}

TEST_F(UploadServerTest, FileAndMachineCommandsArePostedWithTheirSenderAndOtherTagsAreSkipped)
{
    Peer& peer = Connect();
    ASSERT_TRUE(peer.wire->Send(W(u"<FILEs:0,2><XXXX,1><MACHR,1>")));
    std::vector<PostedMessage> posted = WaitForPosted(2);
    ASSERT_EQ(posted.size(), 2u);
    struct Expected {
        UINT message;
        std::u16string text;
    } expected[] = {{1050, u"<FILEs:0,2"}, {1051, u"<MACHR,1"}};
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(posted[i].message, expected[i].message);
        auto* copy = reinterpret_cast<char16_t*>(posted[i].wParam);
        ASSERT_EQ(posted[i].lParam, static_cast<LPARAM>(expected[i].text.size()));
        EXPECT_EQ(std::u16string(copy, expected[i].text.size()), expected[i].text);
        EXPECT_EQ(copy[posted[i].lParam], u'\0');
        CTCPClient1* sender = nullptr;
        std::memcpy(&sender, copy + posted[i].lParam + 1, sizeof sender);  // pointer-wide
        EXPECT_EQ(sender, peer.client);
        EXPECT_EQ(CTCPClient1::GetBufSender(copy, static_cast<int32_t>(posted[i].lParam)), peer.client);
        CTCPClient1::DeleteBuf(copy);
    }
    // A receiver that looks the sender up after it went away finds it gone.
    peer.wire->Close();
    ASSERT_TRUE(Gone(peer.client));
    EXPECT_EQ(CTCPClient1::FindClient(peer.client), -1);
}

TEST_F(UploadServerTest, ACommandCopyQueuedWhenTheMainWindowGoesIsFreed)
{
    Peer& peer = Connect();
    {
        corvane_test::RecordingMessageTarget closingWindow;  // the main window for a moment
        ASSERT_TRUE(peer.wire->Send(W(u"<FILEa,1>")));
        ASSERT_TRUE(Delivered(peer));
    }  // goes with the copy undelivered: under the leak checker a copy left behind fails here
    SetMainMessageTarget(&window_);
    EXPECT_TRUE(window_.Drain().empty());
}

TEST_F(UploadServerTest, ListLinesGoToEveryConnectedClient)
{
    CString line(u"<MACHi,0,192.168.1.5>");
    CTCPServer1::SendToAllClientW(line, line.GetLength());  // no clients: nothing happens
    Peer& first = Connect();
    Peer& second = Connect();
    CTCPServer1::SendToAllClientW(line, line.GetLength());
    for (Peer* peer : {&first, &second}) {
        ASSERT_TRUE(peer->wire->WaitForBytes(W(line.str()).size()));
        EXPECT_EQ(peer->wire->TakeReceived(), W(line.str()));
    }
}

}  // namespace

namespace {

TEST_F(UploadServerTest, AnUploadWithoutAnAutoDirectoryIsRefusedByClosingTheClient)
{
    Peer& peer = Connect();
    CTCPServer1::SetAutoDir(CString());
    ASSERT_TRUE(peer.wire->Send(Upload(u"a.plt", "BODY") + W(u"<FILEa:1>")));
    EXPECT_TRUE(peer.wire->WaitForClose());
    ASSERT_TRUE(Gone(peer.client));
    EXPECT_TRUE(List(autoDir_).empty());
    // Nothing after the refused head was read: the command behind it was never posted.
    for (const PostedMessage& m : posted_) EXPECT_NE(m.message, WM_TCP_FILE_COMMAND);
}

}  // namespace
