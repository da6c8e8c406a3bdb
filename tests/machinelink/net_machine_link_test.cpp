// The link of a machine: forwarded commands, the status poll and the offline rule, queue
// acknowledgements and busy flags, request answers, and datagrams too short for their kind.
#include "machine_fixture.h"

namespace corvane_test {
namespace {

TEST_F(MachineTest, CommandCodesGoToTheirQueuePortAndPackType)
{
    struct Case {
        uint8_t code;
        uint16_t port;  // 0: not forwarded
        uint8_t type;
    };
    const Case cases[] = {
        {0, 41205, 2},  {1, 41206, 1},  {2, 0, 0},      {3, 41204, 0},   {4, 41205, 3},   {10, 41205, 9},
        {15, 41205, 14}, {16, 0, 0},     {17, 41205, 16}, {20, 41205, 19}, {21, 0, 0},      {22, 41205, 21},
        {23, 41205, 22}, {24, 0, 0},     {127, 0, 0},     {128, 41205, 128}, {129, 0, 0},   {255, 0, 0},
    };
    for (const Case& c : cases) {
        NET_Machine m(inet_addr("127.0.0.2"), kMac, kId);
        m.commandQueue.SetNextSequence(40);
        m.panelQueue.SetNextSequence(50);
        m.dataQueue.SetNextSequence(60);
        const uint8_t message[] = {c.code, 'a', 'b'};
        m.ProcPCMsg(sender, message, sizeof message);
        const auto sent = sender.Take();
        if (c.port == 0) {
            EXPECT_TRUE(sent.empty()) << int(c.code);
            continue;
        }
        ASSERT_EQ(sent.size(), 1u) << int(c.code);
        EXPECT_EQ(sent[0].port, c.port) << int(c.code);
        EXPECT_EQ(sent[0].address.s_addr, inet_addr("127.0.0.2"));
        const uint8_t sequence = c.port == 41205 ? 40 : c.port == 41206 ? 50 : 60;
        EXPECT_EQ(sent[0].bytes, Pack(sequence, c.type, "ab")) << int(c.code);
    }

    // Panel messages of at most 61 bytes are forwarded; motion text is cut to 300 bytes.
    Command(1, Bytes(60, 'p'));
    Command(1, Bytes(61, 'p'));
    Command(3, Bytes(400, 'm'));
    const auto sent = sender.Take();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].bytes.size(), 63u);
    EXPECT_EQ(sent[1].port, 41204);
    EXPECT_EQ(sent[1].bytes.size(), 303u);
    EXPECT_EQ(machine->panelQueue.GetOutstanding(), 1);

    // A message without payload is not a command.
    Command(0, {});
    EXPECT_TRUE(sender.Take().empty());
}

TEST_F(MachineTest, PollTypeFollowsWhatTheMachineHasSent)
{
    struct Case {
        const char* name;
        uint8_t firmware;
        uint8_t paramsReceived;
        uint8_t extraBlock;
        int pollType;  // -1: no poll
    };
    const Case cases[] = {
        {"parameters asked for until they arrive", 20, 0, 0, 20},
        {"even after the extra block", 21, 0, 1, 20},
        {"firmware 20 is not polled once they arrived", 20, 1, 0, -1},
        {"firmware 21 is asked for its status", 21, 1, 0, 21},
        {"until the extra block arrived", 21, 1, 1, -1},
    };
    for (const Case& c : cases) {
        NET_Machine m(inet_addr("127.0.0.2"), kMac, kId);
        m.firmwareVersion = c.firmware;
        m.paramsReceived = c.paramsReceived;
        m.extraBlockReceived = c.extraBlock;
        m.commandQueue.SetNextSequence(9);
        m.ProTimeout(sender);
        const auto sent = sender.Take();
        if (c.pollType < 0) {
            EXPECT_TRUE(sent.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(sent.size(), 1u) << c.name;
        EXPECT_EQ(sent[0].port, 41205) << c.name;
        EXPECT_EQ(sent[0].bytes, (Bytes{'Q', 9, static_cast<uint8_t>(c.pollType), 0})) << c.name;
    }
}

TEST_F(MachineTest, SilentMachineGoesOfflineOnceAfter4000ms)
{
    machine->online = 1;
    Receive(Datagram("QGJX"));  // any datagram refreshes last heard
    clock.Advance(4000);
    machine->ProTimeout(sender);
    EXPECT_EQ(sender.Take().size(), 1u) << "heard 4000 ms ago: still polled";
    EXPECT_EQ(machine->online, 1);

    clock.Advance(1);
    machine->ProTimeout(sender);
    machine->ProTimeout(sender);
    EXPECT_TRUE(sender.Take().empty()) << "an offline machine is neither polled nor resent to";
    EXPECT_EQ(machine->online, 0);
    const auto notices = Posted(WM_NET_MACHINE_STATE);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].wParam, reinterpret_cast<WPARAM>(machine.get()));
    EXPECT_EQ(notices[0].lParam, 0);

    // Heard again: polled again (the poll still in flight goes out once its resend is due,
    // with no second poll beside it), but only an announce marks it online.
    Receive(Datagram("QGJX"));
    clock.Advance(NET_SendBuf::kPollResendMs + 1);
    machine->ProTimeout(sender);
    EXPECT_EQ(sender.Take().size(), 1u);
    EXPECT_EQ(machine->online, 0);
}

TEST_F(MachineTest, PollResendsAfterMoreThan150ms)
{
    machine->paramsReceived = 1;
    machine->extraBlockReceived = 1;  // no status poll: only the resends go out
    Command(0, TextBytes("f3;"));
    Command(1, TextBytes("k"));
    ASSERT_EQ(sender.Take().size(), 2u);
    clock.Advance(150);
    machine->ProTimeout(sender);
    EXPECT_TRUE(sender.Take().empty());
    clock.Advance(1);
    machine->ProTimeout(sender);
    auto sent = sender.Take();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].bytes, Pack(0, 2, "f3;"));
    EXPECT_EQ(sent[1].bytes, Pack(0, 1, "k"));

    // A busy panel queue waits for the machine to report room.
    machine->panelQueue.SetBusy(1);
    clock.Advance(151);
    machine->ProTimeout(sender);
    sent = sender.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].port, 41205);
}

TEST_F(MachineTest, AcknowledgementsReachTheirQueuesAcrossTheSequenceWrap)
{
    machine->dataQueue.SetNextSequence(254);
    machine->panelQueue.SetNextSequence(254);
    machine->commandQueue.SetNextSequence(254);
    machine->jetQueue.SetNextSequence(254);
    const uint8_t one = 'x';
    for (int i = 0; i < 4; ++i) {
        machine->dataQueue.CreatePack(kMachineDataPort, &one, 1, 0);
        machine->panelQueue.CreatePack(kMachinePanelPort, &one, 1, 1);
        machine->commandQueue.CreatePack(kMachineCommandPort, &one, 1, 2);
        machine->jetQueue.CreatePack(kMachineJetPort, &one, 1, 0);
    }
    // Data expects 0 (254, 255 arrived), panel 2 (all), command 3 (outside the window), jet 255.
    Receive(Datagram("QGJA", 18).U8(4, 0).U8(5, 2).U8(6, 3).U8(11, 255));
    EXPECT_EQ(machine->dataQueue.GetOutstanding(), 2);
    EXPECT_EQ(machine->dataQueue.GetFirstUnacked()->GetSequence(), 0);
    EXPECT_EQ(machine->panelQueue.GetOutstanding(), 0);
    EXPECT_EQ(machine->commandQueue.GetOutstanding(), 4);
    EXPECT_EQ(machine->jetQueue.GetOutstanding(), 3);

    // Queue replies acknowledge the queue they name.
    Receive(Datagram("QGJR", 17).U8(4, 0xF9).U8(5, 2).U8(6, 1));
    EXPECT_EQ(machine->jetQueue.GetOutstanding(), 0);
    Receive(Datagram("QGJR", 17).U8(4, 0xF5).U8(5, 1));
    EXPECT_EQ(machine->commandQueue.GetOutstanding(), 1);
    Receive(Datagram("QGJR", 17).U8(4, 0xF4).U8(5, 2).U8(6, 1));
    EXPECT_EQ(machine->dataQueue.GetOutstanding(), 0);
    Receive(Datagram("QGJR", 17).U8(4, 0x77).U8(5, 2));
    EXPECT_EQ(machine->commandQueue.GetOutstanding(), 1) << "an unknown queue code acknowledges nothing";
}

TEST_F(MachineTest, BusyQueuesAreReleasedByEnoughRoom)
{
    struct Case {
        const char* name;
        Datagram datagram;
        NET_SendBuf NET_Machine::*queue;
        uint8_t busyBefore;
        uint8_t busyAfter;
    };
    const Case cases[] = {
        {"ack: motion room 300 keeps data busy", Datagram("QGJA", 18).U16(7, 300), &NET_Machine::dataQueue, 1, 1},
        {"ack: motion room 301 releases it", Datagram("QGJA", 18).U16(7, 301), &NET_Machine::dataQueue, 1, 0},
        {"ack: panel room 60 keeps panel busy", Datagram("QGJA", 18).U16(9, 60), &NET_Machine::panelQueue, 1, 1},
        {"ack: panel room 61 releases it", Datagram("QGJA", 18).U16(9, 61), &NET_Machine::panelQueue, 1, 0},
        {"ack: jet room 310 keeps jet busy", Datagram("QGJA", 18).U16(12, 310), &NET_Machine::jetQueue, 1, 1},
        {"ack: jet room 311 releases it", Datagram("QGJA", 18).U16(12, 311), &NET_Machine::jetQueue, 1, 0},
        {"reply: motion room 300 releases data", Datagram("QGJR", 17).U8(4, 0xF4).U16(7, 300), &NET_Machine::dataQueue, 1, 0},
        {"reply: motion room 299 makes it busy", Datagram("QGJR", 17).U8(4, 0xF4).U16(7, 299), &NET_Machine::dataQueue, 0, 1},
        {"reply: buffer full makes data busy", Datagram("QGJR", 17).U8(4, 0xF4).U8(6, 1).U16(7, 900), &NET_Machine::dataQueue, 0, 1},
        {"reply: jet room 310 releases jet", Datagram("QGJR", 17).U8(4, 0xF9).U16(11, 310), &NET_Machine::jetQueue, 1, 0},
        {"reply: jet room 309 keeps it busy", Datagram("QGJR", 17).U8(4, 0xF9).U16(11, 309), &NET_Machine::jetQueue, 1, 1},
        {"reply: buffer full keeps jet busy", Datagram("QGJR", 17).U8(4, 0xF9).U8(6, 1).U16(11, 900), &NET_Machine::jetQueue, 1, 1},
        {"reply: panel room 61 releases panel", Datagram("QGJR", 17).U8(4, 0xF6).U16(9, 61), &NET_Machine::panelQueue, 1, 0},
        {"reply: panel room 60 makes it busy", Datagram("QGJR", 17).U8(4, 0xF6).U16(9, 60), &NET_Machine::panelQueue, 0, 1},
    };
    for (const Case& c : cases) {
        NET_Machine m(inet_addr("127.0.0.2"), kMac, kId);
        (m.*c.queue).SetBusy(c.busyBefore);
        const Bytes& b = c.datagram.bytes();
        m.ProcMcuMsg(sender, b.data(), static_cast<int>(b.size()));
        EXPECT_EQ((m.*c.queue).GetBusy(), c.busyAfter) << c.name;
    }
}

TEST_F(MachineTest, ReleasedQueuesResendWhatIsUnacknowledged)
{
    machine->panelQueue.SetBusy(1);
    Command(1, TextBytes("k"));
    sender.Take();
    clock.Advance(31);
    Receive(Datagram("QGJR", 17).U8(4, 0xF6).U16(9, 61));
    auto sent = sender.Take();
    ASSERT_EQ(sent.size(), 1u) << "a reply resends after 30 ms";
    EXPECT_EQ(sent[0].bytes, Pack(0, 1, "k"));

    machine->panelQueue.SetBusy(1);
    clock.Advance(200);
    Receive(Datagram("QGJA", 18).U8(5, 0).U16(9, 61));
    EXPECT_TRUE(sender.Take().empty()) << "an acknowledgement resends only after more than 200 ms";
    machine->panelQueue.SetBusy(1);
    clock.Advance(1);
    Receive(Datagram("QGJA", 18).U8(5, 0).U16(9, 61));
    EXPECT_EQ(sender.Take().size(), 1u);
}

TEST_F(MachineTest, RequestsAreAnsweredEveryTimeAndActedOnOnce)
{
    machine->expectedRequest = 254;
    for (int repeat = 0; repeat < 3; ++repeat) Receive(Request(254, 5).U8(6, 0x01));
    auto sent = sender.Take();
    ASSERT_EQ(sent.size(), 3u);
    for (const auto& s : sent) {
        EXPECT_EQ(s.port, 41207);
        EXPECT_EQ(s.bytes, Answer(254));
    }
    auto notices = Posted(WM_NET_MACHINE_STATUS);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].lParam, 0x01);
    EXPECT_EQ(machine->expectedRequest, 255);

    // The number after 255 is 0; a request out of order is answered and ignored.
    Receive(Request(255, 5).U8(6, 0x02));
    Receive(Request(7, 5).U8(6, 0x03));
    Receive(Request(0, 5).U8(6, 0x08));  // bit 3: no notice
    Receive(Request(1, 5).U8(6, 0x04));
    sent = sender.Take();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[1].bytes, Answer(7));
    notices = Posted(WM_NET_MACHINE_STATUS);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].lParam, 0x02);
    EXPECT_EQ(notices[1].lParam, 0x04);
    EXPECT_EQ(machine->expectedRequest, 2);
}

TEST_F(MachineTest, ValueAndKeyRequestsKeepTheirValuesAndNotify)
{
    Receive(Request(0, 4, 16).U16(6, 0xFFFE).U32(8, 111).U32(12, 222));
    auto notices = Posted(WM_NET_MACHINE_REQUEST);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].lParam, -2) << "the value is signed";
    EXPECT_EQ(machine->task.requestValue1, 111);
    EXPECT_EQ(machine->task.requestValue2, 222);

    Receive(Request(1, 1, 19).U8(6, 0xD6).U32(7, 70000).U32(11, 333).U32(15, 444));
    notices = Posted(WM_NET_KEY_REQUEST);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].lParam, 70000);
    EXPECT_EQ(machine->task.requestValue1, 333);
    EXPECT_EQ(machine->task.requestValue2, 444);

    machine->jobState = kJobPrinting;
    Receive(Request(2, 1, 7).U8(6, 119));
    EXPECT_EQ(machine->jobState, kJobIdle);
    notices = Posted(WM_NET_MACHINE_STATE);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].lParam, 1);
}

TEST_F(MachineTest, KeyCommandsSetSpeedLevelsAndHeadOffsets)
{
    // Three valid speeds with their offsets.
    Receive(Request(0, 1, 16).U8(6, 0x33).U16(7, 100).U8(9, 0xFB).U16(10, 2500).U8(12, 4).U16(13, 1800).U8(15, 0));
    EXPECT_EQ(machine->speedLevels[0].speed, 100);
    EXPECT_EQ(machine->speedLevels[0].bidiOffset, -5);
    EXPECT_EQ(machine->speedLevels[1].speed, 2500);
    EXPECT_EQ(machine->speedLevels[1].bidiOffset, 4);
    EXPECT_EQ(machine->speedLevels[2].speed, 1800);
    // One speed out of range changes nothing; neither does a jet start while no job is taken.
    Receive(Request(1, 1, 16).U8(6, 0x33).U16(7, 99).U16(10, 1000).U16(13, 1000));
    Receive(Request(2, 1, 16).U8(6, 0xD7).U16(7, 2501).U16(10, 1000).U16(13, 1000));
    EXPECT_EQ(machine->speedLevels[0].speed, 100);
    EXPECT_EQ(machine->speedLevels[1].speed, 2500);
    EXPECT_EQ(sender.Take().size(), 3u) << "only the three answers";
    // With three valid speeds the jet start key of no taken job sets them.
    Receive(Request(3, 1, 16).U8(6, 0xD7).U16(7, 700).U8(9, 2).U16(10, 800).U16(13, 900));
    EXPECT_EQ(machine->speedLevels[0].speed, 700);
    EXPECT_EQ(machine->speedLevels[0].bidiOffset, 2);
    EXPECT_EQ(machine->speedLevels[2].speed, 900);
    EXPECT_EQ(sender.Take().size(), 1u) << "only the answer: no jet set-up";

    Receive(Request(4, 1, 13).U8(6, 8).U16(7, static_cast<uint16_t>(-150)).U16(9, 12).U16(11, 34));
    EXPECT_EQ(machine->jet.headOffsets[0], -150);
    EXPECT_EQ(machine->jet.headOffsets[1], 12);
    EXPECT_EQ(machine->jet.headOffsets[2], 0) << "head 4 from firmware 20 on";
    machine->firmwareVersion = 20;
    Receive(Request(5, 1, 13).U8(6, 9).U16(7, 1).U16(9, 2).U16(11, 3));
    EXPECT_EQ(machine->jet.headOffsets[2], 3);
}

TEST_F(MachineTest, ExtraBlockIsTakenOnlyWhole)
{
    Datagram block("PQCE", 204);
    for (size_t i = 0; i < 200; ++i) block.U8(4 + i, static_cast<uint8_t>(i + 1));
    Receive(Datagram(block).Size(203));
    EXPECT_EQ(machine->extraBlockReceived, 1);
    EXPECT_EQ(machine->extraBlock[0], 0);
    Receive(Datagram(block).Size(205));
    EXPECT_EQ(machine->extraBlock[0], 0);
    Receive(block);
    EXPECT_EQ(machine->extraBlock[0], 1);
    EXPECT_EQ(machine->extraBlock[199], 200);
    EXPECT_EQ(machine->GetExtraBlock()[12], 13);
}

// Every datagram one byte shorter than its kind needs is not acted on (the sanitizer sees
// any read past its end); a request is still answered, and its number still counts.
TEST_F(MachineTest, DatagramsTooShortForTheirKindAreNotActedOn)
{
    struct Case {
        const char* name;
        Datagram datagram;
        bool answered;
        int32_t jobState;
    };
    const Case cases[] = {
        {"acknowledgement", Datagram("QGJA", 17).U8(6, 1).U16(7, 900), false, kJobPrinting},
        {"motion reply", Datagram("QGJR", 8).U8(4, 0xF4).U8(5, 1), false, kJobPrinting},
        {"command reply", Datagram("QGJR", 5).U8(4, 0xF5), false, kJobPrinting},
        {"panel reply", Datagram("QGJR", 10).U8(4, 0xF6).U8(5, 1), false, kJobPrinting},
        {"jet reply", Datagram("QGJR", 16).U8(4, 0xF9).U8(5, 1).U16(11, 900), false, kJobPrinting},
        {"request without its kind", Request(0, 5).Size(5), true, kJobPrinting},
        {"status", Request(0, 5).Size(6), true, kJobPrinting},
        {"value report", Request(0, 4).Size(15).U32(8, 9), true, kJobPrinting},
        {"end report", Request(0, 2).Size(25).U32(6, 5), true, kJobPrinting},
        {"start", Request(0, 3).Size(31).U8(6, 1), true, kJobPaused},
        {"key without its code", Request(0, 1).Size(6), true, kJobPrinting},
        {"key: speed levels", Request(0, 1).Size(15).U8(6, 0x33).U16(7, 500).U16(10, 500).U16(13, 500), true, kJobPrinting},
        {"key: offsets and depths", Request(0, 1).Size(19).U8(6, 4), true, kJobPrinting},
        {"key: magnet words", Request(0, 1).Size(12).U8(6, 5), true, kJobPrinting},
        {"key: offsets", Request(0, 1).Size(14).U8(6, 6), true, kJobPrinting},
        {"key: head offsets", Request(0, 1).Size(10).U8(6, 8).U16(7, 1), true, kJobPrinting},
        {"key: value request", Request(0, 1).Size(18).U8(6, 0xD6).U32(11, 5), true, kJobPrinting},
    };
    for (const Case& c : cases) {
        NET_Machine m(inet_addr("127.0.0.2"), kMac, kId);
        m.dataQueue.SetNextSequence(1);
        const uint8_t one = 'x';
        m.commandQueue.CreatePack(kMachineCommandPort, &one, 1, 2);
        m.panelQueue.CreatePack(kMachinePanelPort, &one, 1, 1);
        m.jetQueue.CreatePack(kMachineJetPort, &one, 1, 0);
        m.jobState = c.jobState;
        const Bytes& b = c.datagram.bytes();
        auto exact = std::make_unique<uint8_t[]>(b.size());
        std::copy(b.begin(), b.end(), exact.get());
        m.ProcMcuMsg(sender, exact.get(), static_cast<int>(b.size()));

        const auto sent = sender.Take();
        if (c.answered) {
            ASSERT_EQ(sent.size(), 1u) << c.name;
            EXPECT_EQ(sent[0].bytes, Answer(0)) << c.name;
            EXPECT_EQ(m.expectedRequest, 1) << c.name;
        } else {
            EXPECT_TRUE(sent.empty()) << c.name;
        }
        EXPECT_EQ(m.jobState, c.jobState) << c.name;
        EXPECT_EQ(m.jetQueue.GetFirstUnacked()->GetLength(), 4) << c.name << ": the jet pack keeps its payload";
        EXPECT_EQ(m.commandQueue.GetOutstanding(), 1) << c.name;
        EXPECT_EQ(m.panelQueue.GetOutstanding(), 1) << c.name;
        EXPECT_EQ(m.jetQueue.GetOutstanding(), 1) << c.name;
        EXPECT_EQ(m.dataQueue.GetBusy(), 0) << c.name;
        EXPECT_EQ(m.jetQueue.GetBusy(), 0) << c.name;
        EXPECT_EQ(m.speedLevels[0].speed, 1000) << c.name;
        EXPECT_EQ(m.jet.headOffsets[0], -171) << c.name;
        EXPECT_EQ(m.task.requestValue1, 0) << c.name;
        EXPECT_EQ(m.jetEndMarker, 0) << c.name;
        EXPECT_TRUE(window.Drain().empty()) << c.name;
    }

    // Four bytes of a request are too short even to answer.
    Receive(Datagram("QGJQ"));
    Receive(Bytes{'Q', 'G', 'J'});
    EXPECT_TRUE(sender.Take().empty());
    EXPECT_EQ(machine->expectedRequest, 0);
}

}  // namespace
}  // namespace corvane_test
