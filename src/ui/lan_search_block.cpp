// The LAN tools' workers and the search-and-assign flow of the settings dialog.
#include "ui/lan_search_block.h"

#include "app/string_table.h"
#include "app/udp_server.h"
#include "machinelink/lan_address_assignment.h"
#include "machinelink/my_ping.h"
#include "platform/message_box.h"
#include "ui/dir_set_values.h"

#include <arpa/inet.h>

int NetworkLanBackend::GetInterfaceList(_INTERFACE_INFO* out) { return ::GetInterfaceList(out); }

int NetworkLanBackend::GetSubNet(CString& out) { return ::GetSubNet(out); }

void NetworkLanBackend::SearchMach(SEARCH_INFO& info) { NET_AutoModifyAddr::SearchMach(&info); }

void NetworkLanBackend::ChangeAddr(SEARCH_INFO& info) { NET_AutoModifyAddr::ChangeAddr(&info); }

int NetworkLanBackend::Ping(unsigned count, uint32_t address)
{
    CMyPing ping;
    return ping.Ping(count, address);
}

// Looks the key up under the manager's lock (FindMachineIndexByKey takes it); nothing of the
// machine is kept.
bool NetworkLanBackend::IsKnownMachineKey(uint32_t key) { return server_.FindMachineIndexByKey(key) >= 0; }

uint32_t InterfaceBroadcast(const _INTERFACE_INFO& info) { return (info.iiAddress & info.iiNetmask) | ~info.iiNetmask; }

void LanSearchThread(LanSearchBlock* block)
{
    for (int i = 0; i < block->interfaceCount && i < kMaxInterfaces; ++i) {
        block->search.port = htons(kLanSearchPort);
        block->search.address = InterfaceBroadcast(block->interfaces[i]);
        block->search.result = 0;
        block->backend->SearchMach(block->search);
        if (block->search.result > 0 && block->search.hosts.GetSize() > 0) {
            block->foundInterface = i;
            break;
        }
    }
    PostMessage(block->window, WM_LAN_SEARCH_DONE, kLanSearchDone, 0);
}

void AutoAssignAddressThread(LanSearchBlock* block)
{
    const int found = block->foundInterface;
    if (found >= 0 && found < kMaxInterfaces && found < block->interfaceCount) {
        const _INTERFACE_INFO& info = block->interfaces[found];
        LanBackend& backend = *block->backend;
        // A candidate is taken when a known machine has it, it answers, or it could not be
        // probed at all (no ICMP socket): an unprobed address may well be in use.
        AssignFreeAddresses(info.iiAddress, info.iiNetmask, block->search.hosts, [&backend](uint32_t candidate) {
            return backend.IsKnownMachineKey(candidate) || backend.Ping(2, candidate) != kPingNoReply;
        });
        backend.ChangeAddr(block->search);
    }
    PostMessage(block->window, WM_LAN_SEARCH_DONE, kLanAssignDone, 0);
}

LanSearchFlow::LanSearchFlow(LanBackend& backend, CMessageTarget& window, LanSearchView& view) : view_(view)
{
    block_.backend = &backend;
    block_.window = &window;
}

LanSearchFlow::~LanSearchFlow()
{
    Join();
    CloseWaitBox();
}

void LanSearchFlow::CloseWaitBox()
{
    if (!waitBox_) return;
    view_.DestroyWaitBox();
    waitBox_ = nullptr;
}

void LanSearchFlow::Join()
{
    if (worker_.joinable()) worker_.join();
}

// Starts worker on the block; the dialog's closing and LAN buttons stay off until it reports.
void LanSearchFlow::Run(void (*worker)(LanSearchBlock*))
{
    Join();
    busy_ = true;
    view_.SetLanToolsEnabled(false);
    worker_ = std::thread(worker, &block_);
}

void LanSearchFlow::Start()
{
    if (busy_) return;
    block_.interfaceCount = block_.backend->GetInterfaceList(block_.interfaces);
    if (block_.interfaceCount <= 0) {
        AfxMessageBox(LoadResString(StringId::kLanNoConnection));
        return;
    }
    if (!waitBox_) waitBox_ = view_.CreateWaitBox();
    waitBox_->SetText(LoadResString(StringId::kLanSearching));
    waitBox_->Show();
    block_.foundInterface = -1;
    // Each search starts from an empty host list, so an earlier run's machines are neither
    // reported nor assigned again.
    block_.search.hosts.RemoveAll();
    Run(&LanSearchThread);
}

void LanSearchFlow::OnLanSearchMessage(WPARAM wParam)
{
    if (!busy_) return;
    Join();
    busy_ = false;
    view_.SetLanToolsEnabled(true);
    if (wParam == kLanSearchDone) {
        if (waitBox_) waitBox_->Hide();
        if (block_.foundInterface < 0) {
            AfxMessageBox(LoadResString(StringId::kLanNoMachine));
            CloseWaitBox();
            return;
        }
        const CString address = DottedAddress(InterfaceBroadcast(block_.interfaces[block_.foundInterface]));
        view_.ShowSearchedAddress(address);
        CString question;
        question.Format(LoadResString(StringId::kLanAskAssign), address, block_.search.hosts.GetSize());
        if (MessageBox(question, LoadResString(StringId::kLanCaption), MB_YESNO) != IDYES) {
            CloseWaitBox();
            return;
        }
        if (waitBox_) {
            waitBox_->SetText(LoadResString(StringId::kLanAssigning));
            waitBox_->Show();
        }
        Run(&AutoAssignAddressThread);
        return;
    }
    if (waitBox_) waitBox_->Hide();
    CloseWaitBox();
    MessageBox(LoadResString(StringId::kLanAssigned), LoadResString(StringId::kLanCaption));
}
