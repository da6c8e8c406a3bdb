// The program settings dialog offscreen: what OK leaves in the settings store, the check
// boxes, the folder browsers, the address tool and the LAN search and assignment end to end.
#include "ui/dlg_dir_set.h"

#include "app/doc_corvane.h"
#include "app/udp_server.h"
#include "loopback_lan.h"
#include "machinelink/net_machine.h"
#include "platform/settings_store.h"
#include "support/event_loop.h"
#include "support/modal_driver.h"
#include "support/recording_message_sink.h"
#include "support/recording_system_actions.h"
#include "support/scripted_file_dialogs.h"
#include "support/test_environment.h"
#include "support/widget_application.h"
#include "ui/app_corvane.h"
#include "ui/dlg_other_auto_dir.h"
#include "ui/dlg_wait1.h"
#include "ui/program_dir_set_host.h"
#include "ui/qt_file_dialogs.h"
#include "ui_fixture.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvane_test {
namespace {

// Discovery of these tests' link manager goes here (the link thread never runs).
constexpr uint8_t kDiscoveryOctet = 72;

std::string CurrentDirectory() { return std::filesystem::current_path().string(); }

class DirSetDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetApplication();
        server_.SetDiscoveryAddresses(LoopbackKey(kDiscoveryOctet), LoopbackKey(kDiscoveryOctet));
    }

    // Opens the dialog shown (not modal) over the program's host and lan.
    std::unique_ptr<CDlgDirSet> Open(LanBackend& lan)
    {
        auto dialog = std::make_unique<CDlgDirSet>(doc_, host_, lan);
        dialog->show();
        return dialog;
    }
    std::unique_ptr<CDlgDirSet> Open() { return Open(network_); }

    std::vector<std::u16string> Texts() const
    {
        std::vector<std::u16string> texts;
        for (const ShownMessage& m : sink_.Shown()) texts.push_back(m.text);
        return texts;
    }

    CUDPServer server_;
    CAppCorvane app_{server_};
    CDocCorvane doc_{server_};
    ProgramDirSetHost host_{doc_};
    NetworkLanBackend network_{server_};
    RecordingMessageSink sink_;
};

TEST_F(DirSetDialogTest, AnUntouchedOkLeavesTheSettingsFileAsItWas)
{
    {
        SCOPED_TRACE("fresh store");
        auto dialog = Open();
        Click(*dialog, "ok");
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_FALSE(std::filesystem::exists(SettingsStorePath())) << ReadFile(SettingsStorePath());
    }
    // Values the fields show rounded or as their default.
    ::WriteProfileString(u"AutoPrint Settings", u"TextScale", u"0.1234567891");
    ::WriteProfileString(u"AutoPrint Settings", u"MergeWidth", u"");
    ::WriteProfileInt(u"NET_SET", u"BroadCastIP", static_cast<int32_t>(LoopbackKey(kDiscoveryOctet)));
    doc_.autoDirectory = u"/data/Auto";
    const std::string before = ReadFile(SettingsStorePath());
    auto dialog = Open();
    EXPECT_EQ(Edit(*dialog, "mergeWidth")->text(), QStringLiteral("1800"));
    EXPECT_EQ(Edit(*dialog, "autoDirectory")->text(), QStringLiteral("/data/Auto"));
    EXPECT_EQ(Edit(*dialog, "broadcast")->text(), QStringLiteral("127.0.0.72"));
    Click(*dialog, "ok");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(ReadFile(SettingsStorePath()), before);
    EXPECT_TRUE(sink_.Shown().empty());
}

TEST_F(DirSetDialogTest, OkStoresEditedDirectoriesAddressesAndNumbers)
{
    const std::string autoDir = ScratchDir() + "auto";
    auto dialog = Open();
    Type(*dialog, "autoDirectory", QString::fromStdString(autoDir));
    Type(*dialog, "broadcast", QStringLiteral("abc"));
    Type(*dialog, "serverBroadcast", QStringLiteral("127.0.0.2"));
    Type(*dialog, "mergeWidth", QStringLiteral("1200.5"));
    Click(*dialog, "ok");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(doc_.autoDirectory, CString::FromUtf8(autoDir));
    EXPECT_EQ(::GetProfileString(u"AutoPrint Settings", u"Auto Directory"), CString::FromUtf8(autoDir));
    EXPECT_EQ(::GetProfileInt(u"NET_SET", u"BroadCastIP", 0), -1);
    EXPECT_EQ(::GetProfileInt(u"NET_SET", u"ServBroadCastIP", 0), 33554559);
    EXPECT_EQ(server_.GetDiscoveryAddress(), 0xFFFFFFFFu);
    EXPECT_EQ(server_.GetServerDiscoveryAddress(), 33554559u);
    EXPECT_EQ(::GetProfileFloat(u"AutoPrint Settings", u"MergeWidth", 0), 1200.5f);
}

TEST_F(DirSetDialogTest, ARefusedNumberKeepsTheDialogOpenAndChangesNothing)
{
    auto dialog = Open();
    Type(*dialog, "copyDirectory", QStringLiteral("/elsewhere"));
    Type(*dialog, "textScale", QStringLiteral("nan"));
    Click(*dialog, "ok");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Texts(), std::vector<std::u16string>{u"Please enter a number."});
    EXPECT_TRUE(doc_.copyDirectory.IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(SettingsStorePath()));
}

TEST_F(DirSetDialogTest, CheckBoxesActAtOnceAndNightModeIsNeverStored)
{
    app_.nightModePowerOff = 1;
    auto dialog = Open();
    auto* nightMode = dialog->findChild<QAbstractButton*>(QStringLiteral("nightMode"));
    ASSERT_NE(nightMode, nullptr);
    EXPECT_TRUE(nightMode->isChecked());
    Click(*dialog, "nightMode");
    EXPECT_EQ(app_.nightModePowerOff, 0);
    EXPECT_FALSE(std::filesystem::exists(SettingsStorePath()));

    Click(*dialog, "deleteAfterPrint");
    EXPECT_EQ(app_.deleteAfterCut, 1);
    EXPECT_EQ(::GetProfileInt(u"FileSetting", u"Delete", 0), 1) << "written before OK";
    Click(*dialog, "sortCuts");
    EXPECT_EQ(doc_.sortCuts, 0);
    EXPECT_EQ(::GetProfileInt(u"FileSetting", u"SortCut", 1), 0);
    dialog->reject();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(::GetProfileInt(u"FileSetting", u"Delete", 0), 1) << "kept when the dialog is left";
}

TEST_F(DirSetDialogTest, TheFolderBrowserTakesOnlyExistingFoldersAndLeavesTheWorkingDirectory)
{
    ScriptedFileDialogs pickers;
    const std::string cwd = CurrentDirectory();
    const std::string folder = ScratchDir() + "merge";
    std::filesystem::create_directories(folder);
    auto dialog = Open();
    Type(*dialog, "mergeDirectory", QStringLiteral("/old"));
    pickers.ScriptChoice({CString::FromUtf8(ScratchDir() + "missing")});
    Click(*dialog, "browseMerge");
    EXPECT_EQ(Texts(), std::vector<std::u16string>{u"选择目录无效"});
    EXPECT_EQ(Edit(*dialog, "mergeDirectory")->text(), QStringLiteral("/old"));
    pickers.ScriptChoice({CString::FromUtf8(folder)});
    Click(*dialog, "browseMerge");
    EXPECT_EQ(Edit(*dialog, "mergeDirectory")->text(), QString::fromStdString(folder));
    pickers.ScriptChoice({});
    Click(*dialog, "browseCopy");
    EXPECT_EQ(pickers.titles, (std::vector<CString>{u"选择合并文件夹", u"选择合并文件夹", u"选择转存目录"}));

    Click(*dialog, "findNetwork");
    EXPECT_EQ(CurrentDirectory(), cwd);
}

TEST(QtFolderBrowser, ShowsFoldersOnlyUnderItsTitleAndHandsBackTheChoice)
{
    EnsureWidgetApplication();
    const std::string cwd = CurrentDirectory();
    const std::string folder = ScratchDir() + "chosen";
    std::filesystem::create_directories(folder);
    WhenModal([folder](QWidget& widget) {
        auto* browser = qobject_cast<QFileDialog*>(&widget);
        ASSERT_NE(browser, nullptr);
        EXPECT_EQ(browser->windowTitle(), QStringLiteral("浏览文件夹"));
        EXPECT_EQ(browser->fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(browser->testOption(QFileDialog::ShowDirsOnly));
        EXPECT_TRUE(browser->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(browser->labelText(QFileDialog::LookIn), QStringLiteral("选择合并文件夹"));
        EXPECT_EQ(browser->labelText(QFileDialog::Accept), QStringLiteral("确定"));
        EXPECT_EQ(browser->labelText(QFileDialog::Reject), QStringLiteral("取消"));
        EXPECT_EQ(browser->directory().absolutePath(), QString::fromStdString(ScratchDir()).chopped(1));
        browser->selectFile(QString::fromStdString(folder));
        static_cast<QDialog*>(browser)->accept();
    });
    QtFileDialogs dialogs;
    CString path = CString::FromUtf8(ScratchDir());
    ASSERT_TRUE(dialogs.BrowseForFolder(u"选择合并文件夹", path));
    EXPECT_EQ(path, CString::FromUtf8(folder));
    EXPECT_EQ(CurrentDirectory(), cwd);
}

// "查找网络" with and without subnets: the PC's broadcasts, else the current addresses.
class SubnetBackend : public NetworkLanBackend {
public:
    using NetworkLanBackend::NetworkLanBackend;
    int GetSubNet(CString& out) override
    {
        out = subnets;
        return count;
    }
    CString subnets;
    int count = 0;
};

std::vector<QString> Items(QWidget& dialog, const char* list)
{
    auto* box = dialog.findChild<QComboBox*>(QString::fromLatin1(list));
    EXPECT_NE(box, nullptr) << list;
    std::vector<QString> items;
    if (box)
        for (int i = 0; i < box->count(); ++i) items.push_back(box->itemText(i));
    return items;
}

TEST_F(DirSetDialogTest, FindNetworkRefillsTheAddressLists)
{
    SubnetBackend lan(server_);
    lan.subnets = u"127.1.255.255\r127.2.0.255\r";
    lan.count = 2;
    auto dialog = Open(lan);
    Click(*dialog, "findNetwork");
    EXPECT_EQ(Items(*dialog, "broadcastList"), (std::vector<QString>{"127.1.255.255", "127.2.0.255"}));
    EXPECT_EQ(Edit(*dialog, "broadcast")->text(), QStringLiteral("127.1.255.255"));
    EXPECT_TRUE(Items(*dialog, "serverBroadcastList").empty());

    lan.count = 0;
    Click(*dialog, "findNetwork");
    EXPECT_EQ(Items(*dialog, "broadcastList"), std::vector<QString>{"127.0.0.72"});
    EXPECT_EQ(Items(*dialog, "serverBroadcastList"), std::vector<QString>{"127.0.0.72"});
}

TEST_F(DirSetDialogTest, TheAddressToolStartsOnlyForTheExactPassword)
{
    RecordingSystemActions actions;
    auto dialog = Open();
    struct Case {
        QString typed;
        QString button;
        size_t started;
    };
    for (const Case& c : {Case{"TQMZR", "确定", 0}, Case{"tqmzr", "取消", 0}, Case{"tqmzr", "确定", 1}}) {
        WhenModal([c](QWidget& prompt) {
            Type(prompt, "password", c.typed);
            for (QPushButton* b : prompt.findChildren<QPushButton*>())
                if (b->text() == c.button) b->click();
        });
        Click(*dialog, "manualAddress");
        EXPECT_EQ(actions.Calls().size(), c.started) << c.typed.toStdString() << " " << c.button.toStdString();
    }
    EXPECT_EQ(actions.Calls(), std::vector<std::u16string>{u"StartProgram " + CString::FromUtf8(ProgramDir()).str() +
                                                           u"CorvaneAddressTool"});
}

TEST_F(DirSetDialogTest, OtherAutoDirectoriesAreCopiedAndSaved)
{
    doc_.extraXScale[1] = 0.1234567891f;
    auto dialog = Open();
    WhenModal([](QWidget& other) {
        Type(other, "autoDirectory2", QStringLiteral("/data/auto2"));
        Type(other, "yScale3", QStringLiteral("0"));
        Click(other, "ok");
        EXPECT_TRUE(other.isVisible()) << "a scale of 0 is refused";
        Type(other, "yScale3", QStringLiteral("2.5"));
        Click(other, "ok");
    });
    Click(*dialog, "otherAutoDir");
    EXPECT_EQ(Texts(), std::vector<std::u16string>{u"Please enter a number between 0.0001 and 10000."});
    EXPECT_EQ(doc_.extraAutoDirectories[2], u"/data/auto2");
    EXPECT_EQ(doc_.extraYScale[3], 2.5f);
    EXPECT_EQ(doc_.extraXScale[1], 0.1234567891f) << "an untouched scale keeps its stored value";
    EXPECT_EQ(::GetProfileString(u"AutoPrint Settings", u"Auto Directory2"), u"/data/auto2");
    EXPECT_EQ(::GetProfileFloat(u"AutoPrint Settings", u"Auto Dir yscale3", 0), 2.5f);
}

TEST(WaitBox, EnterEscapeAndCloseLeaveItOpen)
{
    EnsureWidgetApplication();
    CDlgWait1 box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Wait"));
    EXPECT_FALSE(box.isModal());
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("waitText"))->text(), QStringLiteral("正在搜索局域网，请稍后..."));
    box.Show();
    box.reject();
    box.accept();
    box.close();
    EXPECT_TRUE(box.isVisible());
    box.SetText(u"x");
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("waitText"))->text(), QStringLiteral("x"));
    box.Hide();
    EXPECT_FALSE(box.isVisible());
}

// The LAN search from the dialog, over simulated machines on the loopback broadcast.
class DirSetLanTest : public DirSetDialogTest {
protected:
    void SetUp() override
    {
        DirSetDialogTest::SetUp();
        const uint8_t knownId[12] = {'K', 'N', 'O', 'W', 'N', '-', 'M', 'A', 'C', 'H', 'I', 'N'};
        ASSERT_EQ(server_.AddMachineSorted(new NET_Machine(inet_addr("127.255.255.253"), knownId)), 1);
    }

    // Clicks "一键设置" and checks the dialog while the search runs: the wait box shows, the
    // LAN buttons and OK are off and closing is refused.
    void StartSearch(CDlgDirSet& dialog)
    {
        Click(dialog, "lanSearch");
        auto* wait = dialog.findChild<CDlgWait1*>();
        ASSERT_NE(wait, nullptr);
        EXPECT_TRUE(wait->isVisible());
        EXPECT_EQ(wait->findChild<QLabel*>()->text(), QStringLiteral("正在搜索网络，请稍候..."));
        for (const char* name : {"ok", "lanSearch", "findNetwork", "manualAddress"})
            EXPECT_FALSE(dialog.findChild<QPushButton*>(QString::fromLatin1(name))->isEnabled()) << name;
        dialog.reject();
        dialog.close();
        EXPECT_TRUE(dialog.isVisible()) << "closing is refused while the search runs";
    }

    bool WaitForMessage(const std::u16string& text)
    {
        return RunEventLoopUntil(
            [&] {
                std::vector<std::u16string> texts = Texts();
                return std::find(texts.begin(), texts.end(), text) != texts.end();
            },
            30000);
    }
};

TEST_F(DirSetLanTest, ThreeMachinesFoundOnTheSecondInterfaceGetFreeAddresses)
{
    std::vector<std::unique_ptr<SimulatedMachine>> machines = StartLanMachines({51, 52, 53});
    LoopbackLanBackend lan(server_, {LoopbackInterface("127.0.0.30", "255.255.255.255"), LoopbackInterface("127.0.0.9", "255.0.0.0")},
                           inet_addr("127.255.255.252"));
    sink_.ScriptAnswer(IDYES);
    auto dialog = Open(lan);
    StartSearch(*dialog);
    ASSERT_TRUE(WaitForMessage(u"修改完成！"));

    const std::vector<ShownMessage> shown = sink_.Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, u"在网络127.255.255.255搜索到3台机器,\n是否为他们自动分配IP地址?\n");
    EXPECT_EQ(shown[0].caption, u"IP Config");
    EXPECT_EQ(shown[0].type, MB_YESNO);
    EXPECT_EQ(shown[1].caption, u"IP Config");
    EXPECT_EQ(Items(*dialog, "broadcastList"), std::vector<QString>{"127.255.255.255"});
    // The hosts come in the order they answered; each got the next free address in that order.
    std::vector<uint32_t> assigned;
    for (auto& machine : machines) {
        std::optional<uint32_t> address = WaitForNewAddress(*machine);
        ASSERT_TRUE(address);
        assigned.push_back(*address);
    }
    std::sort(assigned.begin(), assigned.end(), [](uint32_t a, uint32_t b) { return ntohl(a) > ntohl(b); });
    EXPECT_EQ(assigned, (std::vector<uint32_t>{inet_addr("127.255.255.251"), inet_addr("127.255.255.250"),
                                               inet_addr("127.255.255.249")}));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->findChild<CDlgWait1*>(), nullptr);
    EXPECT_TRUE(dialog->findChild<QPushButton*>(QStringLiteral("ok"))->isEnabled());
    dialog->reject();
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(DirSetLanTest, NoToTheQuestionDestroysTheWaitBoxAndChangesNoMachine)
{
    std::vector<std::unique_ptr<SimulatedMachine>> machines = StartLanMachines({54});
    LoopbackLanBackend lan(server_, {LoopbackInterface("127.0.0.9", "255.0.0.0")}, 0);
    sink_.ScriptAnswer(IDNO);
    auto dialog = Open(lan);
    StartSearch(*dialog);
    ASSERT_TRUE(WaitForMessage(u"在网络127.255.255.255搜索到1台机器,\n是否为他们自动分配IP地址?\n"));
    EXPECT_TRUE(RunEventLoopUntil([&] { return dialog->findChild<CDlgWait1*>() == nullptr; }));
    EXPECT_TRUE(dialog->findChild<QPushButton*>(QStringLiteral("lanSearch"))->isEnabled());
    EXPECT_TRUE(machines[0]->Lan().AddressChanges().empty());
    EXPECT_EQ(sink_.Shown().size(), 1u);
}

TEST_F(DirSetLanTest, NoMachineAndNoInterfaceAreTold)
{
    LoopbackLanBackend quiet(server_, {LoopbackInterface("127.0.0.30", "255.255.255.255")}, 0);
    auto dialog = Open(quiet);
    StartSearch(*dialog);
    ASSERT_TRUE(WaitForMessage(u"网络上没有接入机器！"));
    EXPECT_TRUE(RunEventLoopUntil([&] { return dialog->findChild<CDlgWait1*>() == nullptr; }));

    LoopbackLanBackend none(server_, {}, 0);
    auto unplugged = Open(none);
    Click(*unplugged, "lanSearch");
    EXPECT_EQ(Texts().back(), u"无连接，可能网络电缆没有插好！");
    EXPECT_EQ(unplugged->findChild<CDlgWait1*>(), nullptr);
    EXPECT_TRUE(unplugged->findChild<QPushButton*>(QStringLiteral("ok"))->isEnabled());
}

}  // namespace
}  // namespace corvane_test
