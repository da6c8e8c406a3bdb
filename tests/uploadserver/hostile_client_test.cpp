// Clients that send bad names, bad counts, junk, endless messages or never read: others stay served.
#include "server_fixture.h"

#include "support/event_loop.h"
#include "support/test_environment.h"

namespace {

using corvane_test::RunEventLoopUntil;

TEST_F(UploadServerTest, NamesThatCouldLeaveTheAutoDirectoryAreRefusedAndTheirBodiesDropped)
{
    const std::u16string names[] = {
        u"../up.plt", u"sub/x.plt", u"..\\x.plt", u"/tmp/abs.plt", u"..", u".", u"a..b", u"",
        u"a\x01" u"b.plt", std::u16string(u"a\0b.plt", 7), u"tab\t.plt",
    };
    Peer& peer = Connect();
    for (const std::u16string& name : names) {
        // The refused body looks like an upload of its own; it must be dropped, not read.
        ASSERT_TRUE(peer.wire->Send(Upload(name, W(u"<FHED,L:1,N:inner.plt>"))));
    }
    ASSERT_TRUE(peer.wire->Send(Upload(u"ok.plt", "OK")));
    ASSERT_TRUE(RunEventLoopUntil([&] { return Exists("ok.plt"); }));
    EXPECT_EQ(List(autoDir_), std::vector<std::string>{"ok.plt"});
    EXPECT_EQ(List(corvane_test::ScratchDir()), std::vector<std::string>{"auto"});
    EXPECT_EQ(List(corvane_test::ScratchDir() + ".."), (std::vector<std::string>{"config", "program", "scratch"}));
}

TEST_F(UploadServerTest, MalformedCountsAreIgnoredSoTheNextMessageStillCounts)
{
    const std::u16string counts[] = {u"99999999999", u"2147483648", u"-5", u"5x", u"", u" 5", u"+5", u"0x10"};
    Peer& peer = Connect();
    int n = 0;
    for (const std::u16string& count : counts) {
        SCOPED_TRACE(std::string(count.begin(), count.end()));
        std::string name = "c" + std::to_string(n++) + ".plt";
        std::u16string wideName(name.begin(), name.end());
        ASSERT_TRUE(peer.wire->Send(W(u"<FHED,L:2,N:" + wideName + u"><FSEG,L:" + count + u">") + W(u"<FSEG,L:2>") +
                                    "OK" + W(u"<FEND>")));
        ASSERT_TRUE(RunEventLoopUntil([&] { return Exists(name); }));
        EXPECT_EQ(Read(name), "OK");
    }
}

TEST_F(UploadServerTest, JunkIsDroppedAndOnlyAnEndlessMessageCostsItsConnection)
{
    Peer& junk = Connect();
    Peer& endless = Connect();
    ASSERT_TRUE(junk.wire->Send(std::string(1 << 20, 'x')));  // even: the units stay aligned
    ASSERT_TRUE(endless.wire->Send(W(u"<FILE") + std::string(8192, 'x')));
    ASSERT_TRUE(endless.wire->WaitForClose());
    ASSERT_TRUE(Gone(endless.client));

    ASSERT_TRUE(junk.wire->Send(Upload(u"after.plt", "OK")));
    ASSERT_TRUE(RunEventLoopUntil([&] { return Exists("after.plt"); }));
    EXPECT_EQ(Read("after.plt"), "OK");
    EXPECT_GE(CTCPClient1::FindClient(junk.client), 0);
}

TEST_F(UploadServerTest, AClientThatNeverReadsIsClosedWhileOthersAreServed)
{
    Peer& sleeper = Connect();
    Peer& worker = Connect();
    const std::string chunk(64 * 1024, 'L');
    // Lines keep coming for the sleeper, which reads none of them, until the server gives up.
    ASSERT_TRUE(RunEventLoopUntil([&] {
        if (CTCPClient1::FindClient(sleeper.client) < 0) return true;
        sleeper.client->AddToSendBuf(chunk.data(), static_cast<int32_t>(chunk.size()));
        return false;
    }, 20000));
    ASSERT_TRUE(worker.wire->Send(Upload(u"w.plt", "OK")));
    ASSERT_TRUE(RunEventLoopUntil([&] { return Exists("w.plt"); }));
    EXPECT_EQ(Read("w.plt"), "OK");
}

}  // namespace
