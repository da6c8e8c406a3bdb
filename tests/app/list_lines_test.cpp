// The job and machine list texts: column texts per refresh, the client lines (also as the bytes
// a connected upload client receives) and the check-box rules of both lists.
#include "link_fixture.h"

#include "app/list_lines.h"
#include "app/print_task.h"
#include "machinelink/net_machine.h"
#include "uploadserver/tcp_client1.h"
#include "uploadserver/tcp_server1.h"

#include "support/event_loop.h"
#include "support/loopback_tcp_client.h"
#include "support/recording_message_target.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace corvane_test {
namespace {

// The job of the list's examples: 1200 x 800 mm, printing at 45.5 %, one of three copies
// done, page 2 of 4, on the machine at 127.0.0.5.
std::unique_ptr<CPrintTask> PrintingJob()
{
    auto task = std::make_unique<CPrintTask>(u"/jobs/a.plt");
    task->widthMm = 1200;
    task->heightMm = 800;
    task->runState = CPrintTask::kRunning;
    task->progressPercent = 45.5;
    task->copiesDone = 1;
    task->copies = 3;
    task->pageIndex = 2;
    task->pageCount = 4;
    task->machine = LoopbackAddress(5);
    task->checked = 1;
    return task;
}

// The texts a row holds after writing the cells of a refresh over the texts it held before.
ListRowTexts Written(ListRowTexts row, const JobRowCells& cells)
{
    for (int c = 0; c < kListColumnCount; ++c)
        if (cells.texts[c]) row[c] = *cells.texts[c];
    return row;
}

// What each cell of a refresh holds: the text, or "-" for a cell it leaves alone.
std::vector<std::u16string> Shown(const JobRowCells& cells)
{
    std::vector<std::u16string> shown;
    for (const auto& text : cells.texts) shown.push_back(text ? text->str() : u"-");
    return shown;
}

TEST(JobRowCells, EachSelectorWritesItsColumnAndAFullRowWritesAll)
{
    const auto task = PrintingJob();
    struct Case {
        int selector;
        bool check;
        std::vector<std::u16string> cells;
    };
    const Case cases[] = {
        {0, true, {u"/jobs/a.plt", u"-", u"-", u"-", u"-"}},
        {1, false, {u"-", u"127.0.0.5", u"-", u"-", u"-"}},
        {2, false, {u"-", u"-", u"1200*800", u"-", u"-"}},
        {3, false, {u"-", u"-", u"-", u"打印:45.50%", u"-"}},
        {4, false, {u"-", u"-", u"-", u"-", u"1/3-{P2/4}"}},
        {-1, true, {u"/jobs/a.plt", u"127.0.0.5", u"1200*800", u"打印:45.50%", u"1/3-{P2/4}"}},
        {5, true, {u"/jobs/a.plt", u"127.0.0.5", u"1200*800", u"打印:45.50%", u"1/3-{P2/4}"}},
    };
    for (const Case& c : cases) {
        const JobRowCells cells = FormatJobRowCells(*task, c.selector);
        EXPECT_EQ(cells.writesCheck, c.check) << "selector " << c.selector;
        EXPECT_EQ(Shown(cells), c.cells) << "selector " << c.selector;
    }
}

TEST(JobRowCells, ANewJobShowsCopiesOnlyAndAFullRowClearsAStaleMachine)
{
    CPrintTask task(u"/jobs/new.plt");
    const JobRowCells cells = FormatJobRowCells(task, -1);
    EXPECT_EQ(*cells.texts[JobColumn::kCopies], u"0/1");
    // The row held another job's address before the rows traded jobs: the full row clears it.
    const ListRowTexts before = {u"/jobs/old.plt", u"127.0.0.9", u"1*1", u"停止:0.00%", u"0/1"};
    EXPECT_EQ(Written(before, cells)[JobColumn::kMachine], u"");
    EXPECT_EQ(*FormatJobRowCells(task, JobColumn::kMachine).texts[JobColumn::kMachine], u"");
}

TEST(JobRowCells, StateWordAndNumberFollowTheRunState)
{
    struct Case {
        int32_t runState;
        double resumeMark;
        const char16_t* single;  // the state column refreshed alone
        const char16_t* full;    // in a full-row refresh
    };
    const Case cases[] = {
        {0, 0.0, u"停止:3.00%", u"停止:3.00%"},
        {0, 12.5, u"续打:3.00%", u"续打:12.50%"},  // a full row shows the resume mark
        {1, 12.5, u"打印:3.00%", u"打印:3.00%"},
        {2, 0.0, u"暂停:3.00%", u"暂停:3.00%"},
        {3, 0.0, u"倒打:3.00%", u"倒打:3.00%"},
        {4, 0.0, u"暂停:3.00%", u"暂停:3.00%"},
        {9, 0.0, u":3.00%", u":3.00%"},
    };
    for (const Case& c : cases) {
        CPrintTask task(u"/jobs/s.plt");
        task.runState = c.runState;
        task.resumeMark = c.resumeMark;
        task.progressPercent = 3.0;
        EXPECT_EQ(JobStateText(task, false), c.single) << "run state " << c.runState;
        EXPECT_EQ(JobStateText(task, true), c.full) << "run state " << c.runState;
    }
}

TEST(ListLines, CarryKindCheckValueRowAndTheStoredTexts)
{
    const ListRowTexts job = {u"/jobs/a.plt", u"127.0.0.5", u"1200*800", u"打印:45.50%", u"1/3-{P2/4}"};
    EXPECT_EQ(JobStateLine(kLineUpdated, 1, kLineValueCheckChange, 0, job),
              u"<FILEu1,0,0|/jobs/a.plt|127.0.0.5|1200*800|打印:45.50%|1/3-{P2/4}>");
    EXPECT_EQ(JobStateLine(kLineInserted, 0, kLineValueDocument, 7, job),
              u"<FILEi0,-1,7|/jobs/a.plt|127.0.0.5|1200*800|打印:45.50%|1/3-{P2/4}>");
    EXPECT_EQ(JobStateLine(kLineDeleted, 1, kLineValueDocument, 3, job), u"<FILEd1,-1,3|/jobs/a.plt>");

    CString text(u"x");
    BuildJobSwapLine(1, 2, 3, job, text);
    AppendJobCountLine(1, text);
    AppendJobCountLine(0, text);
    EXPECT_EQ(text, u"x<FILEs1,2,3|/jobs/a.plt|127.0.0.5|1200*800|打印:45.50%|1/3-{P2/4}><FILEa,1><FILEa,0>");

    const ListRowTexts machine = {u"127.0.0.5", u"ON", u"02-00-00-00-00-01", u"53494D", u"12.Cut"};
    EXPECT_EQ(MachineStateLine(kLineUpdated, 1, 0, machine), u"<MACHu1,0|127.0.0.5|ON|02-00-00-00-00-01|53494D|12.Cut>");
    EXPECT_EQ(MachineStateLine(kLineDeleted, 0, 4, machine), u"<MACHd0,4|127.0.0.5>");
}

TEST(MachineRowTexts, StateWordAndColumnsComeFromTheMachine)
{
    EXPECT_EQ(MachineStateText(0, kJobPrinting), u"OFF");
    EXPECT_EQ(MachineStateText(1, kJobPrinting), u"Run");
    EXPECT_EQ(MachineStateText(1, kJobPaused), u"暂停");
    EXPECT_EQ(MachineStateText(1, kJobIdle), u"ON");

    const uint8_t mac[6] = {0x02, 0, 0, 0, 0xAB, 0x01};
    const uint8_t id[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xFE, 0xFF};
    NET_Machine machine(LoopbackAddress(5), mac, id);
    machine.online = 1;
    machine.firmwareVersion = 12;
    machine.machineKind = NET_Machine::kCuttingMachineBit;
    const ListRowTexts expected = {u"127.0.0.5", u"ON", u"02-00-00-00-AB-01", u"00010203040506070809FEFF", u"12.Cut"};
    EXPECT_EQ(MachineColumnTexts(machine), expected);
}

TEST(CheckRules, TheMachineListKeepsAtMostOneCheckAndTheLastRowChecked)
{
    struct Case {
        const char* name;
        std::vector<int32_t> afterSwitch;  // check states once the box of row `changed` switched
        int changed;
        std::vector<int32_t> expected;
    };
    const Case cases[] = {
        {"checking row 2 while row 0 is checked", {1, 0, 1}, 2, {0, 0, 1}},
        {"unchecking the only row", {0}, 0, {1}},
        {"unchecking one of two rows", {0, 0}, 0, {0, 0}},
        {"checking the only row", {1}, 0, {1}},
        {"a row out of range", {1, 0, 1}, 3, {1, 0, 1}},
    };
    for (const Case& c : cases) {
        std::vector<int32_t> checks = c.afterSwitch;
        ApplyMachineCheckRule(checks, c.changed);
        EXPECT_EQ(checks, c.expected) << c.name;
    }
}

TEST(CheckRules, ACheckedJobTakesTheCheckedMachineOnlyWhenItHasNone)
{
    CPrintTask task(u"/jobs/a.plt");
    EXPECT_FALSE(ApplyJobCheckChange(task, true, 0));  // no machine checked
    EXPECT_EQ(task.checked, 1);
    EXPECT_EQ(*FormatJobRowCells(task, JobColumn::kMachine).texts[JobColumn::kMachine], u"");

    EXPECT_FALSE(ApplyJobCheckChange(task, false, LoopbackAddress(5)));  // unchecking assigns nothing
    EXPECT_EQ(task.checked, 0);
    EXPECT_EQ(task.machine, 0u);

    EXPECT_TRUE(ApplyJobCheckChange(task, true, LoopbackAddress(5)));
    EXPECT_EQ(task.machine, LoopbackAddress(5));
    EXPECT_FALSE(ApplyJobCheckChange(task, true, LoopbackAddress(6)));  // keeps its machine
    EXPECT_EQ(task.machine, LoopbackAddress(5));
}

// A running upload server on 127.0.0.1 with one connected client.
class ListLinesOnTheWire : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureEventLoop();
        wire_ = ConnectToUploadServer();
        ASSERT_NE(wire_, nullptr);
        client_ = AcceptedUploadClient(window_);
        ASSERT_NE(client_, nullptr);
    }

    void TearDown() override
    {
        if (wire_) wire_->Close();
        if (client_) {
            EXPECT_TRUE(RunEventLoopUntil([&] { return CTCPClient1::FindClient(client_) < 0; }));
        }
        CTCPServer1::GetGlobalServer()->Close();
    }

    // Sends line to every client and returns the bytes the client received.
    std::string SendAndReceive(CString line)
    {
        CTCPServer1::SendToAllClientW(line, line.GetLength());
        const size_t bytes = 2 * static_cast<size_t>(line.GetLength());
        EXPECT_TRUE(wire_->WaitForBytes(bytes));
        return wire_->TakeReceived();
    }

    RecordingMessageTarget window_;
    std::unique_ptr<LoopbackTcpClient> wire_;
    CTCPClient1* client_ = nullptr;
};

TEST_F(ListLinesOnTheWire, AnOperatorCheckSwapCountAndFullListsArriveByteExact)
{
    // The operator checks row 0's job while the machine at 127.0.0.5 is checked.
    auto task = PrintingJob();
    task->checked = 0;
    task->machine = 0;
    ListRowTexts row = Written({}, FormatJobRowCells(*task, -1));
    ASSERT_TRUE(ApplyJobCheckChange(*task, true, LoopbackAddress(5)));
    row = Written(row, FormatJobRowCells(*task, JobColumn::kMachine));
    const std::u16string rowTexts = u"|/jobs/a.plt|127.0.0.5|1200*800|打印:45.50%|1/3-{P2/4}>";
    EXPECT_EQ(SendAndReceive(JobStateLine(kLineUpdated, task->checked, kLineValueCheckChange, 0, row)),
              Utf16Bytes(u"<FILEu1,0,0" + rowTexts));

    CString swap;
    BuildJobSwapLine(1, 0, 1, row, swap);
    EXPECT_EQ(SendAndReceive(swap), Utf16Bytes(u"<FILEs1,0,1" + rowTexts));
    CString count;
    AppendJobCountLine(1, count);
    EXPECT_EQ(SendAndReceive(count), Utf16Bytes(u"<FILEa,1>"));

    // A new client's lists: the job list, then the machine list with a checked row 0.
    const uint8_t mac[6] = {0x02, 0, 0, 0, 0, 0x01};
    const uint8_t id[12] = {'S', 'I', 'M', '-', 'M', 'A', 'C', 'H', 'I', 'N', 'E', '1'};
    NET_Machine machine(LoopbackAddress(5), mac, id);
    machine.firmwareVersion = 12;
    CString full(kJobListStartLine);
    full += JobStateLine(kLineInserted, 1, kLineValueDocument, 0, row);
    full += kMachineListStartLine;
    full += MachineStateLine(kLineInserted, 1, 0, MachineColumnTexts(machine));
    EXPECT_EQ(SendAndReceive(full), Utf16Bytes(u"<FILEc><FILEi1,-1,0" + rowTexts +
                                              u"<MACHc><MACHi1,0|127.0.0.5|OFF|02-00-00-00-00-01|"
                                              u"53494D2D4D414348494E4531|12.Jet>"));
    machine.online = 1;
    EXPECT_EQ(SendAndReceive(MachineStateLine(kLineUpdated, 1, 0, MachineColumnTexts(machine))),
              Utf16Bytes(u"<MACHu1,0|127.0.0.5|ON|02-00-00-00-00-01|53494D2D4D414348494E4531|12.Jet>"));
}

}  // namespace
}  // namespace corvane_test
