// The settings dialog's LAN tools: the search block, its two worker threads and the flow of
// search, question and address assignment around them.
//
// The search walks the PC's interfaces in order and stops at the first whose broadcast
// address answers; the assignment gives the machines found free addresses of that network.
// Each worker runs on a std::thread, touches only the block and reports by posting
// WM_LAN_SEARCH_DONE (wParam 0 search done, 1 assignment done) to the dialog's target. The
// network is reached through a LanBackend, so tests aim everything at loopback.
#pragma once

#include "machinelink/lan_interfaces.h"
#include "machinelink/net_auto_modify_addr.h"
#include "platform/cstring.h"
#include "platform/posted_message.h"

#include <thread>

class CUDPServer;

inline constexpr UINT WM_LAN_SEARCH_DONE = 0x432;
inline constexpr WPARAM kLanSearchDone = 0;
inline constexpr WPARAM kLanAssignDone = 1;

// The network operations of the LAN tools.
class LanBackend {
public:
    virtual ~LanBackend() = default;
    // Fills out (kMaxInterfaces entries) with the PC's interfaces; returns how many.
    virtual int GetInterfaceList(_INTERFACE_INFO* out) = 0;
    // Sets out to the PC's subnet broadcast addresses, each followed by "\r"; returns how many.
    virtual int GetSubNet(CString& out) = 0;
    // Runs a search of info's destination (NET_AutoModifyAddr::SearchMach).
    virtual void SearchMach(SEARCH_INFO& info) = 0;
    // Sends info's address changes (NET_AutoModifyAddr::ChangeAddr).
    virtual void ChangeAddr(SEARCH_INFO& info) = 0;
    // Probes address (network order) with count echo requests: 1 reply, 0 none, -1 no socket.
    virtual int Ping(unsigned count, uint32_t address) = 0;
    // Whether a machine of the link manager has this key (its address, network order).
    virtual bool IsKnownMachineKey(uint32_t key) = 0;
};

// The program's backend: the host's interfaces, the LAN search socket, ICMP and the manager.
class NetworkLanBackend : public LanBackend {
public:
    explicit NetworkLanBackend(CUDPServer& server) : server_(server) {}
    int GetInterfaceList(_INTERFACE_INFO* out) override;
    int GetSubNet(CString& out) override;
    void SearchMach(SEARCH_INFO& info) override;
    void ChangeAddr(SEARCH_INFO& info) override;
    int Ping(unsigned count, uint32_t address) override;
    bool IsKnownMachineKey(uint32_t key) override;

private:
    CUDPServer& server_;
};

// The search block, one per dialog, handed to the workers.
struct LanSearchBlock {
    SEARCH_INFO search;
    _INTERFACE_INFO interfaces[kMaxInterfaces] = {};
    int interfaceCount = 0;
    int foundInterface = -1;  // index of the interface with machines, -1 for none
    CMessageTarget* window = nullptr;
    LanBackend* backend = nullptr;
};

// The broadcast address of an interface: (address AND mask) OR NOT mask, network order.
uint32_t InterfaceBroadcast(const _INTERFACE_INFO& info);

// Searches each interface of block in order and records the first with machines; posts
// WM_LAN_SEARCH_DONE with wParam 0.
void LanSearchThread(LanSearchBlock* block);
// Assigns free addresses of the found interface's network to the hosts and sends the changes;
// posts WM_LAN_SEARCH_DONE with wParam 1.
void AutoAssignAddressThread(LanSearchBlock* block);

// The wait box the flow shows while a worker runs.
class LanWaitBox {
public:
    virtual ~LanWaitBox() = default;
    virtual void SetText(const CString& text) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
};

// What the flow needs from its dialog: the wait box, the address list and the LAN buttons.
class LanSearchView {
public:
    virtual ~LanSearchView() = default;
    // Creates the wait box (hidden), moved 80 pixels right and down from where it was made.
    virtual LanWaitBox* CreateWaitBox() = 0;
    // Destroys the wait box CreateWaitBox made.
    virtual void DestroyWaitBox() = 0;
    // Makes address the only item of "网络地址:", selected.
    virtual void ShowSearchedAddress(const CString& address) = 0;
    // Enables or disables whatever would close the dialog or start another worker.
    virtual void SetLanToolsEnabled(bool enabled) = 0;
};

// The "一键设置" flow of the settings dialog over one search block. The dialog routes
// WM_LAN_SEARCH_DONE to OnLanSearchMessage. It cannot be closed while IsBusy.
class LanSearchFlow {
public:
    LanSearchFlow(LanBackend& backend, CMessageTarget& window, LanSearchView& view);
    // Joins a running worker before the block goes.
    ~LanSearchFlow();
    LanSearchFlow(const LanSearchFlow&) = delete;
    LanSearchFlow& operator=(const LanSearchFlow&) = delete;

    // Starts the search: "无连接，可能网络电缆没有插好！" when there is no interface.
    void Start();
    // Handles WM_LAN_SEARCH_DONE: the question after a search, the completion after assignment.
    void OnLanSearchMessage(WPARAM wParam);
    // Whether a worker was started and has not reported yet.
    bool IsBusy() const { return busy_; }
    const LanSearchBlock& Block() const { return block_; }

private:
    void Run(void (*worker)(LanSearchBlock*));
    void Join();
    // Destroys the wait box, if there is one.
    void CloseWaitBox();

    LanSearchBlock block_;
    LanSearchView& view_;
    LanWaitBox* waitBox_ = nullptr;
    std::thread worker_;
    bool busy_ = false;
};
