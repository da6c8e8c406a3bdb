// Send queues: pack layout, sequence wrap, acknowledgement windows, spares and resend timing,
// with time driven by hand and packs received on the loopback interface.
#include "machinelink/net_send_buf.h"

#include "support/fake_clock.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A UDP socket on 127.0.0.1 that records what arrives, and a socket to send from.
class Loopback {
public:
    Loopback()
    {
        receiver_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sender_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::bind(receiver_, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
        socklen_t len = sizeof at;
        ::getsockname(receiver_, reinterpret_cast<sockaddr*>(&at), &len);
        port_ = ntohs(at.sin_port);
    }
    ~Loopback()
    {
        ::close(receiver_);
        ::close(sender_);
    }

    uint16_t Port() const { return port_; }
    int Sender() const { return sender_; }
    static in_addr Address()
    {
        in_addr a{};
        a.s_addr = htonl(INADDR_LOOPBACK);
        return a;
    }
    // Every datagram that has arrived; waits at most a second for the first of `atLeast`.
    std::vector<Bytes> Take(size_t atLeast = 0)
    {
        std::vector<Bytes> got;
        for (;;) {
            pollfd p{receiver_, POLLIN, 0};
            if (::poll(&p, 1, got.size() < atLeast ? 1000 : 0) <= 0) break;
            uint8_t buf[70000];
            const ssize_t n = ::recv(receiver_, buf, sizeof buf, 0);
            if (n < 0) break;
            got.emplace_back(buf, buf + n);
        }
        return got;
    }

private:
    int receiver_ = -1;
    int sender_ = -1;
    uint16_t port_ = 0;
};

std::vector<int> Sequences(const NET_SendBuf& q)
{
    std::vector<int> out;
    for (OL_Object* e = q.GetFirstUnacked(); e; e = q.GetNext(e)) out.push_back(static_cast<NET_SendPack*>(e)->GetSequence());
    return out;
}

Bytes Payload(size_t n, uint8_t first = 'a')
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(first + i % 26);
    return b;
}

TEST(NET_SendPack, DatagramLayout)
{
    struct Case {
        const char* name;
        uint8_t type;
        size_t size;
        int result;
        uint16_t length;
    };
    const std::vector<Case> cases = {
        {"data pack of 300", 0, 300, 301, 303},
        {"data pack of 301 is cut to 300", 0, 301, 301, 303},
        {"panel pack of 301 is cut to 300", 1, 301, 301, 303},
        {"command pack of 301 is not cut", 2, 301, 302, 304},
        {"one byte", 5, 1, 2, 4},
        // Longer than a UDP datagram can be: it could never be sent.
        {"command pack above a datagram", 2, 65505, -1, 0},
    };
    for (const Case& c : cases) {
        NET_SendPack pack(16);
        const Bytes payload = Payload(c.size);
        EXPECT_EQ(pack.Create(7, 41205, payload.data(), static_cast<uint16_t>(c.size), c.type), c.result) << c.name;
        EXPECT_EQ(pack.GetLength(), c.length) << c.name;
        if (c.result < 0) continue;
        EXPECT_EQ(Bytes(pack.GetData(), pack.GetData() + 3), (Bytes{'Q', 7, c.type})) << c.name;
        EXPECT_EQ(Bytes(pack.GetData() + 3, pack.GetData() + c.length), Bytes(payload.begin(), payload.begin() + c.length - 3))
            << c.name;
        EXPECT_EQ(pack.GetPort(), 41205);
    }

    NET_SendPack pack(0);
    EXPECT_EQ(pack.GetCapacity(), 16);
    EXPECT_EQ(pack.GetPort(), 1200);
    const uint8_t one = 1;
    EXPECT_EQ(pack.Create(9, 41204, &one, 0, 0), -1);
    EXPECT_EQ(pack.GetLength(), 0) << "size 0 leaves the pack as it was";
    EXPECT_EQ(pack.Create(200, 41205, 20, 0), 1);
    EXPECT_EQ(Bytes(pack.GetData(), pack.GetData() + pack.GetLength()), (Bytes{'Q', 200, 20, 0}));
    pack.ClearData();
    EXPECT_EQ(Bytes(pack.GetData(), pack.GetData() + pack.GetLength()), (Bytes{'Q', 200, 20}));
    EXPECT_EQ(pack.GetData()[3], ' ');
}

TEST(NET_SendBuf, SequenceNumbersWrapAndAcknowledgementsStayInTheirWindow)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> acks;
        std::vector<int> left;
    };
    const std::vector<Case> cases = {
        {"ack 0 frees 254 and 255", {0}, {0, 1}},
        {"ack 2 frees all four", {2}, {}},
        {"ack 3 lies outside the window", {3}, {254, 255, 0, 1}},
        {"ack of the first unacknowledged frees nothing", {254}, {254, 255, 0, 1}},
        {"stale ack from behind the window", {250}, {254, 255, 0, 1}},
        {"duplicate ack", {0, 0}, {0, 1}},
        {"stale ack after a newer one", {1, 0}, {1}},
        {"window acknowledged step by step", {255, 0, 1, 2}, {}},
    };
    for (const Case& c : cases) {
        NET_SendBuf q;
        q.SetNextSequence(254);
        for (int i = 0; i < 4; ++i) ASSERT_NE(q.CreatePack(41204, 0, static_cast<uint8_t>(i)), nullptr);
        ASSERT_EQ(Sequences(q), (std::vector<int>{254, 255, 0, 1}));
        EXPECT_EQ(q.GetNextSequence(), 2);
        for (uint8_t ack : c.acks) EXPECT_EQ(q.DeleteDataToId(ack), 0);
        EXPECT_EQ(Sequences(q), c.left) << c.name;
        EXPECT_EQ(q.GetOutstanding(), c.left.size()) << c.name;
        EXPECT_EQ(q.HasUnacknowledged(), !c.left.empty()) << c.name;
    }
}

TEST(NET_SendBuf, AcknowledgedFullPacksAreReusedOldestFirst)
{
    NET_SendBuf q;
    EXPECT_EQ(q.Count(), 4);
    const Bytes full = Payload(300);
    std::vector<NET_SendPack*> sent;
    for (int i = 0; i < 4; ++i) sent.push_back(q.CreatePack(41204, full.data(), 300, 0));
    EXPECT_EQ(q.Count(), 4) << "the four spares of a fresh queue are used first";
    ASSERT_NE(q.CreatePack(41204, full.data(), 300, 0), nullptr);
    EXPECT_EQ(q.Count(), 5) << "with none acknowledged the fifth is new";

    q.DeleteDataToId(2);  // frees sequences 0 and 1
    EXPECT_EQ(q.Count(), 5) << "full packs stay as spares";
    EXPECT_EQ(q.CreatePack(41204, full.data(), 300, 0), sent[0]);
    EXPECT_EQ(q.CreatePack(41204, full.data(), 300, 0), sent[1]);
    EXPECT_EQ(q.Count(), 5);
    EXPECT_EQ(q.GetFirstUnacked(), sent[2]);

    // A small pack is freed on acknowledgement instead of kept.
    NET_SendBuf small;
    for (int i = 0; i < 4; ++i) small.CreatePack(41205, full.data(), 300, 0);
    ASSERT_NE(small.CreatePack(41205, 20, 0), nullptr);
    EXPECT_EQ(small.Count(), 5);
    small.DeleteDataToId(small.GetNextSequence());
    EXPECT_EQ(small.Count(), 4);
    EXPECT_EQ(small.GetOutstanding(), 0);
}

TEST(NET_SendBuf, RefusedPacksChangeNothing)
{
    NET_SendBuf q;
    const Bytes big = Payload(70000);
    NET_SendPack* head = static_cast<NET_SendPack*>(q.GetHead());
    EXPECT_EQ(q.CreatePack(41205, big.data(), 0, 2), nullptr);
    EXPECT_EQ(q.CreatePack(41205, big.data(), -4, 2), nullptr);
    EXPECT_EQ(q.CreatePack(41205, big.data(), 65505, 2), nullptr) << "longer than a datagram";
    EXPECT_EQ(q.GetNextSequence(), 0);
    EXPECT_EQ(q.GetHead(), head);
    EXPECT_EQ(q.Count(), 4);
    EXPECT_FALSE(q.HasUnacknowledged());

    // A data payload beyond 300 bytes goes out cut, however long it was offered.
    NET_SendPack* cut = q.CreatePack(41204, big.data(), 70000, 0);
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->GetLength(), 303);
}

TEST(NET_SendBuf, AtMost255PacksAreInFlight)
{
    NET_SendBuf q;
    for (int i = 0; i < 255; ++i) ASSERT_NE(q.CreatePack(41205, 20, 0), nullptr) << i;
    // A 256th pack would carry the sequence number of the oldest one still in flight.
    EXPECT_EQ(q.CreatePack(41205, 20, 0), nullptr);
    EXPECT_EQ(q.GetOutstanding(), 255);
    EXPECT_EQ(q.GetNextSequence(), 255);
    q.DeleteDataToId(1);
    NET_SendPack* again = q.CreatePack(41205, 20, 0);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->GetSequence(), 255);
    q.DeleteDataToId(0);
    EXPECT_EQ(q.GetOutstanding(), 0) << "the whole window of 255 acknowledged at once";
}

TEST(NET_SendBuf, ResendsOnlyAfterTheThresholdAndOnlyWhatIsUnacknowledged)
{
    corvane_test::FakeClock clock;
    Loopback net;
    NET_SendBuf q;
    q.SetNextSequence(255);
    const Bytes text = Payload(12);
    for (int i = 0; i < 3; ++i) q.SendPack(q.CreatePack(net.Port(), text.data(), 12, 0), Loopback::Address(), net.Sender());
    std::vector<Bytes> first = net.Take(3);
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0][1], 255);
    EXPECT_EQ(first[1][1], 0);
    EXPECT_EQ(q.GetLastSendMs(), clock.NowMs());

    clock.Advance(150);
    EXPECT_EQ(q.ResendTimeout(Loopback::Address(), net.Sender(), NET_SendBuf::kPollResendMs), 0);
    EXPECT_TRUE(net.Take().empty()) << "not at 150 ms";
    clock.Advance(1);
    EXPECT_EQ(q.ResendTimeout(Loopback::Address(), net.Sender(), NET_SendBuf::kPollResendMs), 3);
    std::vector<Bytes> again = net.Take(3);
    EXPECT_EQ(again, first) << "the same datagrams, in order, at 151 ms";

    // A withdrawn payload is resent as the bare header.
    q.DeleteDataToId(0);
    q.GetFirstUnacked()->ClearData();
    clock.Advance(31);
    EXPECT_EQ(q.Resend(0, Loopback::Address(), net.Sender()), 2);
    std::vector<Bytes> cleared = net.Take(2);
    ASSERT_EQ(cleared.size(), 2u);
    EXPECT_EQ(cleared[0], (Bytes{'Q', 0, 0}));
    EXPECT_EQ(cleared[1], first[2]);

    q.DeleteDataToId(2);
    clock.Advance(10000);
    EXPECT_EQ(q.ResendTimeout(Loopback::Address(), net.Sender(), NET_SendBuf::kPollResendMs), 0);
    EXPECT_TRUE(net.Take().empty()) << "nothing is resent once everything is acknowledged";

    q.SendPack(q.CreatePack(net.Port(), 20, 0), Loopback::Address(), net.Sender());
    q.DeleteAll();
    clock.Advance(10000);
    EXPECT_EQ(q.ResendTimeout(Loopback::Address(), net.Sender(), NET_SendBuf::kPollResendMs), 0);
    EXPECT_EQ(net.Take().size(), 1u) << "only the first send of the dropped pack";
    EXPECT_EQ(q.GetNextSequence(), 3) << "dropping packs does not reset the numbering";
    EXPECT_EQ(q.SendCmd(net.Sender(), 0), 1);
}

TEST(NetSendBuf, RestartRenumbersThePacksInFlightSoTheWindowStaysReleasable)
{
    NET_SendBuf q;
    q.SetNextSequence(250);
    const uint8_t text[] = {'a', 'b', 'c'};
    q.CreatePack(1200, text, 1, 2);
    NET_SendPack* second = q.CreatePack(1200, text + 1, 1, 20);
    q.CreatePack(1200, text + 2, 1, 2);
    q.DeleteDataToId(251);  // the first one is acknowledged
    ASSERT_EQ(q.GetOutstanding(), 2);

    q.RestartAt(254);  // the numbering wraps on the way
    EXPECT_EQ(q.GetExpectedByMachine(), 254);
    EXPECT_EQ(q.GetNextSequence(), 0);
    EXPECT_EQ(second->GetSequence(), 254);
    EXPECT_EQ(Bytes(second->GetData(), second->GetData() + second->GetLength()), (Bytes{'Q', 254, 20, 'b'}));
    EXPECT_TRUE(q.HasUnacknowledgedType(20));

    q.DeleteDataToId(251);  // an acknowledgement under the old numbers names nothing in flight
    EXPECT_EQ(q.GetOutstanding(), 2);
    q.DeleteDataToId(255);
    EXPECT_FALSE(q.HasUnacknowledgedType(20));
    q.DeleteDataToId(0);
    EXPECT_FALSE(q.HasUnacknowledged());

    q.RestartAt(7);  // with nothing in flight only the next number moves
    EXPECT_EQ(q.GetNextSequence(), 7);
    EXPECT_EQ(q.GetExpectedByMachine(), 7);
}

}  // namespace
