// The settings dialog's LAN search and address assignment: the workers and the flow around
// them, over a scripted backend and, end to end, over simulated machines on loopback.
#include "ui/lan_search_block.h"

#include "loopback_lan.h"

#include "app/udp_server.h"
#include "machinelink/my_ping.h"
#include "machinelink/net_machine.h"
#include "platform/message_box.h"
#include "support/recording_message_sink.h"
#include "support/simulated_machine.h"

#include <arpa/inet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using corvane_test::RecordingMessageSink;
using corvane_test::ShownMessage;
using corvane_test::SimulatedMachine;

uint32_t Address(const char* dotted) { return inet_addr(dotted); }

_INTERFACE_INFO Interface(const char* address, const char* mask) { return corvane_test::LoopbackInterface(address, mask); }

// Records what the flow does to its dialog and wait box.
class RecordingView : public LanSearchView, public LanWaitBox {
public:
    std::vector<std::u16string> calls;
    std::vector<bool> enabled;

    LanWaitBox* CreateWaitBox() override { return Record(u"create"), this; }
    void DestroyWaitBox() override { Record(u"destroy"); }
    void ShowSearchedAddress(const CString& address) override { Record(u"address " + address.str()); }
    void SetLanToolsEnabled(bool on) override { enabled.push_back(on); }
    void SetText(const CString& text) override { Record(u"text " + text.str()); }
    void Show() override { Record(u"show"); }
    void Hide() override { Record(u"hide"); }

private:
    void Record(std::u16string call) { calls.push_back(std::move(call)); }
};

// Interfaces, search replies and ping answers as the test says; the network is never reached.
class ScriptedLanBackend : public LanBackend {
public:
    std::vector<_INTERFACE_INFO> interfaces;
    std::map<uint32_t, std::vector<HostInfo>> hostsByBroadcast;  // what a search of it finds
    std::map<uint32_t, int> pingAnswers;                         // else 0 (no reply)
    std::set<uint32_t> knownKeys;
    std::vector<uint32_t> searched;
    std::vector<std::vector<uint32_t>> changes;

    int GetInterfaceList(_INTERFACE_INFO* out) override
    {
        for (size_t i = 0; i < interfaces.size(); ++i) out[i] = interfaces[i];
        return static_cast<int>(interfaces.size());
    }
    int GetSubNet(CString&) override { return 0; }
    void SearchMach(SEARCH_INFO& info) override
    {
        searched.push_back(info.address);
        EXPECT_EQ(info.port, htons(kLanSearchPort));
        for (const HostInfo& host : hostsByBroadcast[info.address])
            if (NET_AutoModifyAddr::FindHostWithSameID(host, &info) < 0) info.hosts.Add(host);
        info.result = info.hosts.GetSize() > 0 ? NET_AutoModifyAddr::kFound : NET_AutoModifyAddr::kFailed;
    }
    void ChangeAddr(SEARCH_INFO& info) override
    {
        std::vector<uint32_t> sent;
        for (int i = 0; i < info.hosts.GetSize(); ++i) sent.push_back(info.hosts[i].newAddress);
        changes.push_back(sent);
        info.result = NET_AutoModifyAddr::kChanged;
    }
    int Ping(unsigned, uint32_t address) override
    {
        auto it = pingAnswers.find(address);
        return it == pingAnswers.end() ? kPingNoReply : it->second;
    }
    bool IsKnownMachineKey(uint32_t key) override { return knownKeys.count(key) > 0; }
};

HostInfo Host(char tag)
{
    HostInfo host;
    host.id.fill('H');
    host.id.back() = static_cast<uint8_t>(tag);
    return host;
}

// Waits (real time, bounded) for the worker's message and hands it to the flow.
void DeliverWorkerMessage(CMessageTarget& window, LanSearchFlow& flow, WPARAM expected, int timeoutMs = 30000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::vector<PostedMessage> posted = window.TakePosted();
        if (!posted.empty()) {
            ASSERT_EQ(posted.size(), 1u);
            EXPECT_EQ(posted[0].message, WM_LAN_SEARCH_DONE);
            EXPECT_EQ(posted[0].wParam, expected);
            flow.OnLanSearchMessage(posted[0].wParam);
            return;
        }
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the worker never reported";
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::vector<std::u16string> Texts(const std::vector<ShownMessage>& shown)
{
    std::vector<std::u16string> texts;
    for (const ShownMessage& m : shown) texts.push_back(m.text);
    return texts;
}

class LanSearchFlowTest : public ::testing::Test {
protected:
    RecordingMessageSink sink_;
    ScriptedLanBackend backend_;
    CMessageTarget window_{CMessageTarget::Delivery::ByHand};
    RecordingView view_;
};

TEST_F(LanSearchFlowTest, NoInterfaceTellsTheCableAndStartsNothing)
{
    LanSearchFlow flow(backend_, window_, view_);
    flow.Start();
    EXPECT_FALSE(flow.IsBusy());
    EXPECT_EQ(Texts(sink_.Shown()), std::vector<std::u16string>{u"无连接，可能网络电缆没有插好！"});
    EXPECT_TRUE(view_.calls.empty());
}

TEST_F(LanSearchFlowTest, NoMachineTellsSoAndDestroysTheWaitBox)
{
    backend_.interfaces = {Interface("10.1.2.3", "255.255.0.0")};
    LanSearchFlow flow(backend_, window_, view_);
    flow.Start();
    EXPECT_TRUE(flow.IsBusy());
    DeliverWorkerMessage(window_, flow, kLanSearchDone);
    EXPECT_EQ(backend_.searched, std::vector<uint32_t>{Address("10.1.255.255")});
    EXPECT_EQ(Texts(sink_.Shown()), std::vector<std::u16string>{u"网络上没有接入机器！"});
    EXPECT_EQ(view_.calls, (std::vector<std::u16string>{u"create", u"text 正在搜索网络，请稍候...", u"show", u"hide", u"destroy"}));
    EXPECT_EQ(view_.enabled, (std::vector<bool>{false, true}));
}

TEST_F(LanSearchFlowTest, NoToTheQuestionDestroysTheWaitBoxAndSendsNothing)
{
    backend_.interfaces = {Interface("192.168.1.7", "255.255.255.0")};
    backend_.hostsByBroadcast[Address("192.168.1.255")] = {Host('a')};
    sink_.ScriptAnswer(IDNO);
    LanSearchFlow flow(backend_, window_, view_);
    flow.Start();
    DeliverWorkerMessage(window_, flow, kLanSearchDone);
    ASSERT_EQ(sink_.Shown().size(), 1u);
    EXPECT_EQ(sink_.Shown()[0].text, u"在网络192.168.1.255搜索到1台机器,\n是否为他们自动分配IP地址?\n");
    EXPECT_EQ(sink_.Shown()[0].caption, u"IP Config");
    EXPECT_EQ(sink_.Shown()[0].type, MB_YESNO);
    EXPECT_EQ(view_.calls.back(), u"destroy");
    EXPECT_FALSE(flow.IsBusy());
    EXPECT_TRUE(backend_.changes.empty());
}

TEST_F(LanSearchFlowTest, AssignmentSkipsKnownAnsweringAndUnprobedAddresses)
{
    backend_.interfaces = {Interface("192.168.1.7", "255.255.255.0")};
    backend_.hostsByBroadcast[Address("192.168.1.255")] = {Host('a'), Host('b'), Host('c')};
    backend_.knownKeys = {Address("192.168.1.253")};
    backend_.pingAnswers = {{Address("192.168.1.252"), kPingReplied}, {Address("192.168.1.250"), kPingNoSocket}};
    sink_.ScriptAnswer(IDYES);
    LanSearchFlow flow(backend_, window_, view_);
    flow.Start();
    DeliverWorkerMessage(window_, flow, kLanSearchDone);
    EXPECT_TRUE(flow.IsBusy()) << "the assignment runs";
    DeliverWorkerMessage(window_, flow, kLanAssignDone);
    ASSERT_EQ(backend_.changes.size(), 1u);
    EXPECT_EQ(backend_.changes[0],
              (std::vector<uint32_t>{Address("192.168.1.251"), Address("192.168.1.249"), Address("192.168.1.248")}));
    EXPECT_EQ(Texts(sink_.Shown()).back(), u"修改完成！");
    EXPECT_EQ(sink_.Shown().back().caption, u"IP Config");
    EXPECT_EQ(view_.calls.back(), u"destroy");
}

TEST_F(LanSearchFlowTest, ASecondRunFindsOnlyWhatItsOwnSearchFound)
{
    backend_.interfaces = {Interface("192.168.1.7", "255.255.255.0"), Interface("10.0.0.5", "255.0.0.0")};
    backend_.hostsByBroadcast[Address("192.168.1.255")] = {Host('a')};
    sink_.ScriptAnswer(IDNO);
    LanSearchFlow flow(backend_, window_, view_);
    flow.Start();
    DeliverWorkerMessage(window_, flow, kLanSearchDone);

    backend_.hostsByBroadcast[Address("192.168.1.255")] = {};
    backend_.hostsByBroadcast[Address("10.255.255.255")] = {Host('x'), Host('y')};
    sink_.ScriptAnswer(IDNO);
    flow.Start();
    DeliverWorkerMessage(window_, flow, kLanSearchDone);
    EXPECT_EQ(flow.Block().foundInterface, 1);
    EXPECT_EQ(flow.Block().search.hosts.GetSize(), 2);
    EXPECT_EQ(sink_.Shown().back().text, u"在网络10.255.255.255搜索到2台机器,\n是否为他们自动分配IP地址?\n");
}

TEST_F(LanSearchFlowTest, ClosingWhileAWorkerRunsWaitsForIt)
{
    backend_.interfaces = {Interface("192.168.1.7", "255.255.255.0")};
    {
        LanSearchFlow flow(backend_, window_, view_);
        flow.Start();
        EXPECT_TRUE(flow.IsBusy());
    }
    // The flow's end joined the worker, which had reported by then.
    EXPECT_EQ(window_.TakePosted().size(), 1u);
    EXPECT_EQ(view_.calls.back(), u"destroy");
}

TEST(LanSearchEndToEnd, ThreeMachinesOnTheLoopbackBroadcastGetFreeAddresses)
{
    std::vector<std::unique_ptr<SimulatedMachine>> machines = corvane_test::StartLanMachines({51, 52, 53});
    CUDPServer server;
    const uint8_t knownId[12] = {'K', 'N', 'O', 'W', 'N', '-', 'M', 'A', 'C', 'H', 'I', 'N'};
    ASSERT_EQ(server.AddMachineSorted(new NET_Machine(Address("127.255.255.253"), knownId)), 1);
    corvane_test::LoopbackLanBackend backend(server, {Interface("127.0.0.30", "255.255.255.255"), Interface("127.0.0.9", "255.0.0.0")},
                                             Address("127.255.255.252"));
    RecordingMessageSink sink;
    sink.ScriptAnswer(IDYES);
    CMessageTarget window(CMessageTarget::Delivery::ByHand);
    RecordingView view;
    LanSearchFlow flow(backend, window, view);

    flow.Start();
    DeliverWorkerMessage(window, flow, kLanSearchDone);
    EXPECT_EQ(flow.Block().foundInterface, 1);
    ASSERT_EQ(flow.Block().search.hosts.GetSize(), 3);
    EXPECT_NE(std::find(view.calls.begin(), view.calls.end(), u"address 127.255.255.255"), view.calls.end());
    ASSERT_EQ(sink.Shown().size(), 1u);
    EXPECT_EQ(sink.Shown()[0].text, u"在网络127.255.255.255搜索到3台机器,\n是否为他们自动分配IP地址?\n");
    EXPECT_EQ(sink.Shown()[0].caption, u"IP Config");
    EXPECT_TRUE(flow.IsBusy());

    DeliverWorkerMessage(window, flow, kLanAssignDone);
    const char* expected[] = {"127.255.255.251", "127.255.255.250", "127.255.255.249"};
    for (int i = 0; i < 3; ++i) {
        const HostInfo& host = flow.Block().search.hosts[i];
        EXPECT_EQ(host.newAddress, Address(expected[i]));
        SimulatedMachine& machine = *machines[static_cast<size_t>(host.id.back() - 51)];
        EXPECT_EQ(corvane_test::WaitForNewAddress(machine), std::optional<uint32_t>(Address(expected[i])));
    }
    EXPECT_EQ(Texts(sink.Shown()).back(), u"修改完成！");
}

}  // namespace
