// The machine list view offscreen: its rows, the single-check rule, the machine lines clients
// receive, and the menu that loads a configuration file into a machine or saves one.
#include "list_views_fixture.h"

#include "app/main_frame_messages.h"
#include "app/print_task.h"
#include "machinelink/net_machine.h"
#include "support/test_environment.h"

#include <QHeaderView>

#include <filesystem>

namespace corvane_test {
namespace {

using MachineListView = ListViewsTest;

std::vector<int> Checks(const CViewMachList& view)
{
    std::vector<int> checks;
    for (int row = 0; row < view.GetRowCount(); ++row) checks.push_back(view.GetRowChecked(row));
    return checks;
}

TEST_F(MachineListView, IsASingleSelectionReportListOfTheMachines)
{
    EXPECT_FALSE(machines_->rootIsDecorated());
    EXPECT_EQ(machines_->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(machines_->header()->sectionsClickable());
    const std::vector<std::pair<QString, int>> columns = {{"IP", 115}, {"状态", 40}, {"MAC", 140}, {"ID", 180}, {"Ver", 100}};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(machines_->Model().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), columns[c].first);
        EXPECT_EQ(machines_->columnWidth(c), columns[c].second);
    }
    NET_Machine* first = AddMachine(5);
    NET_Machine* second = AddMachine(6);
    EXPECT_EQ(machines_->GetRowTexts(1)[0], u"127.0.0.6");
    EXPECT_EQ(machines_->GetRowTexts(1)[1], u"ON");
    EXPECT_EQ(machines_->FindMachineRow(second), 1);
    EXPECT_EQ(machines_->GetSelectedItemData(), nullptr);
    machines_->SelectRow(1);
    machines_->SelectRow(0);
    EXPECT_EQ(machines_->GetSelectedIndex(), 0);
    EXPECT_EQ(machines_->GetSelectedItemData(), first);
    EXPECT_EQ(machines_->GetCheckedMachine(), nullptr);
}

TEST_F(MachineListView, AtMostOneMachineIsCheckedAndTheOnlyRowStaysChecked)
{
    ShowViews();
    AddMachine(5);
    // The only row cannot be unchecked, by the program or the operator.
    machines_->SetRowChecked(0, 1);
    machines_->SetRowChecked(0, 0);
    EXPECT_EQ(Checks(*machines_), (std::vector<int>{1}));
    ClickCheckBox(*machines_, 0);
    EXPECT_EQ(Checks(*machines_), (std::vector<int>{1}));

    AddMachine(6);
    NET_Machine* third = AddMachine(7);
    ClickCheckBox(*machines_, 2);
    EXPECT_EQ(Checks(*machines_), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(machines_->GetCheckedMachine(), third);
    PressSpace(*machines_, 1);
    EXPECT_EQ(Checks(*machines_), (std::vector<int>{0, 1, 0}));
    machines_->SetRowChecked(0, 1);
    EXPECT_EQ(Checks(*machines_), (std::vector<int>{1, 0, 0}));
    // Unchecking the checked one of several leaves no machine current.
    PressSpace(*machines_, 0);
    EXPECT_EQ(Checks(*machines_), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(machines_->GetCheckedMachine(), nullptr);
    machines_->SetRowChecked(7, 1);  // out of range: nothing
    EXPECT_EQ(Checks(*machines_), (std::vector<int>{0, 0, 0}));
}

TEST_F(MachineListView, ClientsGetTheMachineLinesOfTheRows)
{
    ConnectClient();
    NET_Machine* machine = AddMachine(5);
    AddMachine(6);
    machines_->SetRowChecked(0, 1);
    CPrintTask* job = ListJob("a.plt");
    MainFrameMessages messages(doc_, CMessageTarget::Delivery::ByHand);

    messages.OnMachineStateChanged(machine, 0);
    const std::u16string update = wire_->TakeTextUpTo(u">");
    EXPECT_EQ(update.rfind(u"<MACHu1,0|127.0.0.5|ON|", 0), 0u);

    messages.OnClientAccepted(client_);
    const std::u16string all = wire_->TakeTextUpTo(u"<FILEa,0>");
    EXPECT_EQ(all.rfind(u"<FILEc><FILEi0,-1,0|" + job->path.str() + u"|127.0.0.5|", 0), 0u);
    EXPECT_NE(all.find(u"<MACHc><MACHi1,0|127.0.0.5|ON|"), std::u16string::npos);
    EXPECT_NE(all.find(u"><MACHi0,1|127.0.0.6|ON|"), std::u16string::npos);
}

struct LoadCase {
    const char* name;
    uint8_t firmware;
    std::vector<uint8_t> codes;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

class MachineConfigLoad : public ListViewsTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(MachineConfigLoad, SendsTheLoadedParametersToTheMachineInOrder)
{
    ShowViews();
    NET_Machine* machine = AddMachine(5, GetParam().firmware);
    NET_Machine source;
    source.firmwareVersion = GetParam().firmware;
    source.knifeComp1 = 0x1234;
    const std::string path = ScratchDir() + "machine.con";
    source.SaveConfigToFile(CString::FromUtf8(path));
    ASSERT_TRUE(server_.TakeCodes().empty());

    files_.ScriptChoice({CString::FromUtf8(path)});
    menu_.ScriptAnswer(MachineMenuId::kLoadConfig);
    RightClickRow(*machines_, *machines_, 0);
    std::vector<std::u16string> items;
    for (const ShownMenuItem& item : menu_.Shown().at(0).items) items.push_back(item.text);
    EXPECT_EQ(items, (std::vector<std::u16string>{u"载入配置", u"保存配置"}));
    EXPECT_EQ(files_.filters.at(0), u"Format(*.con) (*.con)");
    const std::vector<RecordedCommandFrame> frames = server_.Take();
    std::vector<uint8_t> codes;
    for (const RecordedCommandFrame& frame : frames) {
        codes.push_back(frame.code);
        EXPECT_EQ(frame.key, machine->ip);
    }
    EXPECT_EQ(codes, GetParam().codes);
    EXPECT_EQ(machine->knifeComp1, 0x1234);

    // A file that does not load, or a cancelled picker, sends nothing.
    ASSERT_TRUE(WriteFile(ScratchDir() + "short.con", std::string(100, '\x01')));
    files_.ScriptChoice({CString::FromUtf8(ScratchDir() + "short.con")});
    files_.ScriptChoice({});
    for (int i = 0; i < 2; ++i) {
        menu_.ScriptAnswer(MachineMenuId::kLoadConfig);
        RightClickRow(*machines_, *machines_, 0);
    }
    EXPECT_EQ(files_.filters.size(), 3u);
    EXPECT_TRUE(server_.TakeCodes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Firmware, MachineConfigLoad,
    ::testing::Values(LoadCase{"firmware11", 11, {5, 8, 0, 9, 10, 14, 11, 12, 15, 17, 13, 23}},
                      LoadCase{"firmware12", 12, {5, 8, 0, 9, 10, 14, 11, 12, 15, 17, 13, 20, 23}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MachineListView, SavingTheConfigurationNeedsThePassword)
{
    ShowViews();
    AddMachine(5);
    const std::string path = ScratchDir() + "saved.con";

    // A wrong password does nothing, silently.
    dialogs_.typedPassword = u"QJ";
    menu_.ScriptAnswer(MachineMenuId::kSaveConfig);
    RightClickRow(*machines_, *machines_, 0);
    EXPECT_EQ(dialogs_.passwordsExpected, std::vector<CString>{u"qj"});
    EXPECT_TRUE(files_.titles.empty());
    EXPECT_TRUE(sink_.Shown().empty());

    // The right one, then a cancelled picker: nothing is written.
    dialogs_.typedPassword = u"qj";
    files_.ScriptChoice({});
    menu_.ScriptAnswer(MachineMenuId::kSaveConfig);
    RightClickRow(*machines_, *machines_, 0);
    EXPECT_EQ(files_.titles.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(path));

    files_.ScriptChoice({CString::FromUtf8(path)});
    menu_.ScriptAnswer(MachineMenuId::kSaveConfig);
    RightClickRow(*machines_, *machines_, 0);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(files_.filters.back(), u"Format(*.con) (*.con)");
}

}  // namespace
}  // namespace corvane_test
