// Admission of announcing machines: a new machine joins the table, a known one is refreshed,
// one whose ID moved to a free address is re-keyed, and a clashing one is refused.
#include "app/udp_server.h"

#include "app/access_database.h"
#include "machinelink/machine_messages.h"
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"
#include "platform/posted_message.h"

#include <cstring>

namespace {

// Fields of a "PQCC" announce.
constexpr int32_t kAnnounceDataSequence = 4;
constexpr int32_t kAnnouncePanelSequence = 5;
constexpr int32_t kAnnounceCommandSequence = 6;
constexpr int32_t kAnnounceExpectedRequest = 7;
constexpr int32_t kAnnounceKeepSequences = 8;
constexpr int32_t kAnnounceMac = 9;
constexpr int32_t kAnnounceId = 15;
constexpr int32_t kAnnounceFirmware = 27;
constexpr int32_t kAnnounceJetSequence = 28;
// The settings block behind the fixed part, and how many bytes of it the machine sends.
constexpr int32_t kAnnounceSettings = kAnnounceFixedBytes;
constexpr int32_t kSettingsBlockBytes = 180;
// Firmware up to this version keeps no speeds of its own: the stored ones are loaded.
constexpr uint8_t kLastFirmwareWithoutStoredSpeeds = 2;
// The refusal carries the announce's bytes 5 to 16.
constexpr int32_t kRefusalCopiedFrom = 5;

// Takes the queues' sequence numbers and the expected request number from an announce; packs
// still in flight are renumbered from the announced numbers, so each is delivered once.
void CopySequences(NET_Machine& machine, const uint8_t* announce)
{
    machine.dataQueue.RestartAt(announce[kAnnounceDataSequence]);
    machine.panelQueue.RestartAt(announce[kAnnouncePanelSequence]);
    machine.commandQueue.RestartAt(announce[kAnnounceCommandSequence]);
    machine.jetQueue.RestartAt(announce[kAnnounceJetSequence]);
    machine.expectedRequest = announce[kAnnounceExpectedRequest];
}

// Adopts the announce's settings block from firmware 2 on. A block that did not fully arrive
// is not applied: half a block would mix the machine's values with stale ones.
void LoadAnnouncedSettings(NET_Machine& machine, const uint8_t* announce, int32_t length)
{
    if (machine.firmwareVersion <= 1 || length - kAnnounceSettings < kSettingsBlockBytes) return;
    machine.LoadSettings(announce + kAnnounceSettings, length - kAnnounceSettings);
}

}  // namespace

void CUDPServer::SendAnnounceReply(uint32_t address, NET_Machine* machine)
{
    uint8_t reply[kAnnounceReplyBytes];
    std::memcpy(reply, "PQCC", 4);
    // Each queue names the pack the machine is to take next, the oldest one in flight.
    reply[4] = machine->dataQueue.GetExpectedByMachine();
    reply[5] = machine->panelQueue.GetExpectedByMachine();
    reply[6] = machine->commandQueue.GetExpectedByMachine();
    reply[7] = machine->jetQueue.GetExpectedByMachine();
    StoreLE32(reply + 8, instanceStamp_);
    SendFromLan(reply, kAnnounceReplyBytes, address, kAnnounceReplyPort);
}

// Refreshes an admitted machine from its announce and tells the main window.
void CUDPServer::RefreshAnnouncedMachine(NET_Machine& machine, const uint8_t* announce, int32_t length)
{
    if (announce[kAnnounceKeepSequences] == 0) CopySequences(machine, announce);
    machine.online = 1;
    machine.firmwareVersion = announce[kAnnounceFirmware];
    LoadAnnouncedSettings(machine, announce, length);
    machine.lastHeardMs = MonotonicMs();
    SendAnnounceReply(machine.ip, &machine);
    PostMainMessage(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(&machine), kMachineStateChanged);
}

void CUDPServer::HandleAnnounce(const uint8_t* announce, int32_t length, uint32_t fromAddress)
{
    // An announce too short for its fixed part names no machine: it is dropped.
    if (length < kAnnounceFixedBytes) return;
    const uint8_t* mac = announce + kAnnounceMac;
    const uint8_t* id = announce + kAnnounceId;
    const int byKey = FindMachineIndexByKey(fromAddress);
    const int byId = FindMachineIndexById(id);
    const int byMac = FindMachineIndexByMac(mac);

    if (byKey < 0 && byId < 0 && byMac < 0) {
        auto* machine = new NET_Machine(fromAddress, mac, id);
        AddMachineSorted(machine);
        CopySequences(*machine, announce);
        machine->firmwareVersion = announce[kAnnounceFirmware];
        machine->online = 1;
        machine->InitVal();
        SendAnnounceReply(fromAddress, machine);
        LoadAnnouncedSettings(*machine, announce, length);
        if (machine->firmwareVersion <= kLastFirmwareWithoutStoredSpeeds) LoadStoredMachineRecords(*machine);
        PostMainMessage(WM_NET_MACHINE_FOUND, static_cast<WPARAM>(fromAddress), 0);
        return;
    }
    if (byKey >= 0 && byKey == byId && byKey == byMac) {
        RefreshAnnouncedMachine(*machines_[byKey], announce, length);
        return;
    }
    // A known ID moves to the sender's address only when that address is free or already its
    // own: moving it onto another machine's key would drop one of the two from the table.
    if (byId >= 0 && (byKey < 0 || byKey == byId)) {
        NET_Machine* machine = machines_[byId];
        machines_.RemoveAt(byId);
        std::memcpy(machine->mac, mac, 6);
        machine->ip = fromAddress;
        AddMachineSorted(machine);
        RefreshAnnouncedMachine(*machine, announce, length);
        return;
    }
    uint8_t refusal[kRefusalBytes];
    std::memcpy(refusal, "PQCT", 4);
    std::memcpy(refusal + 4, announce + kRefusalCopiedFrom, kRefusalBytes - 4);
    SendFromLan(refusal, kRefusalBytes, fromAddress, kRefusalPort);
}
