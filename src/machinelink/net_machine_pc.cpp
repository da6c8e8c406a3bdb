// NET_Machine: what the PC sends: forwarded user-interface commands, the status poll with
// its offline rule and resends, the motion and jet pumps and the jet configuration packs.
#include "machinelink/machine_messages.h"
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"

#include <algorithm>
#include <cstring>

namespace {

// Command codes of the user interface with a queue of their own.
constexpr uint8_t kCodeCommandText = 0;
constexpr uint8_t kCodePanel = 1;
constexpr uint8_t kCodeMotionText = 3;
// Longest panel message (code byte and payload).
constexpr int kPanelMessageMax = 61;

// Firmware from which a machine is asked for its status once its parameters arrived.
constexpr int kStatusPollFirmware = 21;

// Motor value to the machine's jet offset unit.
constexpr double kMotorValueUnit = 0.029466357308584684;

// The pack type a forwarded command code takes on the command queue; -1 when it is not
// forwarded there.
int CommandPackType(uint8_t code)
{
    if (code == kCodeCommandText) return kPackTypeCommandText;
    if ((code >= 4 && code <= 15) || (code >= 17 && code <= 20) || code == 22 || code == 23) return code - 1;
    if (code == kPackTypeJog) return kPackTypeJog;
    return -1;
}

}  // namespace

void NET_Machine::Send(DatagramSender& socket, NET_SendBuf& queue, uint16_t port, const uint8_t* payload, int32_t size,
                       uint8_t type)
{
    const in_addr to = Address();
    // What is due goes out again first: the fresh send restarts the queue's resend time, and
    // a machine that takes packs only in order would drop the new one behind a lost one.
    if (queue.HasUnacknowledged()) queue.ResendTimeout(to, socket, NET_SendBuf::kPollResendMs);
    if (NET_SendPack* pack = queue.CreatePack(port, payload, size, type)) {
        queue.SendPack(pack, to, socket);
    } else if (queue.IsFull() && queue.NoteRefusal()) {
        NoteRefusedCommand();
    }
}

void NET_Machine::NoteRefusedCommand()
{
    CString address, id;
    GetIP(address);
    GetID(id);
    refusalReport_.Format(u"Machine %s (ID %s) acknowledges nothing: a command was refused because %d packs wait "
                          u"for its answer.",
                          address, id, NET_SendBuf::kMostOutstanding);
}

bool NET_Machine::TakeRefusalReport(CString& text)
{
    if (refusalReport_.IsEmpty()) return false;
    text = refusalReport_;
    refusalReport_.Empty();
    return true;
}

void NET_Machine::SendText(DatagramSender& socket, NET_SendBuf& queue, uint16_t port, const char* text, uint8_t type)
{
    Send(socket, queue, port, reinterpret_cast<const uint8_t*>(text), static_cast<int32_t>(std::strlen(text)), type);
}

void NET_Machine::ProcPCMsg(DatagramSender& socket, const uint8_t* message, int length)
{
    if (!message || length < 2) return;
    const uint8_t code = message[0];
    const uint8_t* payload = message + 1;
    const int32_t size = length - 1;
    if (code == kCodePanel) {
        if (length <= kPanelMessageMax) Send(socket, panelQueue, kMachinePanelPort, payload, size, kPackTypePanel);
        return;
    }
    if (code == kCodeMotionText) {
        Send(socket, dataQueue, kMachineDataPort, payload, size, kPackTypeData);
        return;
    }
    const int type = CommandPackType(code);
    if (type >= 0) Send(socket, commandQueue, kMachineCommandPort, payload, size, static_cast<uint8_t>(type));
}

void NET_Machine::ProTimeout(DatagramSender& socket)
{
    if (MonotonicMs() - lastHeardMs > kOfflineAfterMs) {
        // A silent machine is not polled and its queues wait until it is heard again.
        if (online) {
            online = 0;
            PostMainMessage(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(this), kMachineStateChanged);
        }
        return;
    }
    const in_addr to = Address();
    // Resends come before the poll: a fresh poll pack would restart the queue's resend time
    // and keep what is lost from ever going out again. A poll still in flight is resent, not
    // joined by another, so the polls never crowd the queue.
    if (commandQueue.HasUnacknowledged()) commandQueue.ResendTimeout(to, socket, NET_SendBuf::kPollResendMs);
    if (!paramsReceived) {
        SendPoll(socket, kPackTypePollParams);
    } else if (!extraBlockReceived && firmwareVersion >= kStatusPollFirmware) {
        SendPoll(socket, kPackTypePollStatus);
    }
    if (panelQueue.HasUnacknowledged() && !panelQueue.GetBusy()) panelQueue.ResendTimeout(to, socket, NET_SendBuf::kPollResendMs);
    SendNextData(socket, NET_SendBuf::kPollResendMs);
    SendNextDataJet(socket, NET_SendBuf::kPollResendMs);
}

void NET_Machine::SendPoll(DatagramSender& socket, uint8_t type)
{
    if (commandQueue.HasUnacknowledgedType(kPackTypePollParams) || commandQueue.HasUnacknowledgedType(kPackTypePollStatus)) return;
    if (auto* pack = commandQueue.CreatePack(kMachineCommandPort, type, 0)) commandQueue.SendPack(pack, Address(), socket);
}

void NET_Machine::SendNextData(DatagramSender& socket, int thresholdMs)
{
    if (dataQueue.GetBusy()) return;
    if (dataQueue.HasUnacknowledged()) {
        dataQueue.ResendTimeout(Address(), socket, thresholdMs);
        return;
    }
    if (jobState != kJobPrinting) return;
    uint8_t buffer[kPackDataMax];
    const int n = GetNextStr(buffer, kPackDataMax);
    if (n > 0) {
        Send(socket, dataQueue, kMachineDataPort, buffer, n, kPackTypeData);
    } else if (n == kMotionEnded) {
        if (jetEndMarker < 0) SendText(socket, commandQueue, kMachineCommandPort, "b100,1;", kPackTypeCommandText);
        const char* last = (!startPrefix || endWithD100) ? "D100;" : "A100;";
        SendText(socket, dataQueue, kMachineDataPort, last, kPackTypeData);
    }
}

void NET_Machine::SendNextDataJet(DatagramSender& socket, int thresholdMs)
{
    if (jetQueue.GetBusy()) return;
    if (jetQueue.HasUnacknowledged()) {
        jetQueue.ResendTimeout(Address(), socket, thresholdMs);
        return;
    }
    if (jobState != kJobPrinting) return;
    uint8_t buffer[kPackDataMax];
    const int n = GetNextStrJet(buffer, kPackDataMax);
    if (n > 0) {
        Send(socket, jetQueue, kMachineJetPort, buffer, n, kPackTypeData);
    } else if (jetEndMarker >= 0 && !jetQueue.HasUnacknowledged()) {
        jetEndMarker = jetEndMarker == 0 ? -1 : -jetEndMarker;
    }
}

void NET_Machine::SendJetConfig(DatagramSender& socket)
{
    ByteWriter out;
    for (uint8_t v : jet.nozzleStart) out.PutU8(v);
    for (uint8_t v : jet.nozzleEnd) out.PutU8(v);
    out.PutU8(std::min<uint8_t>(jet.headCount, 2));
    for (int16_t v : jet.headOffsets) out.PutI16(v);
    out.PutU8(jet.margin);
    Send(socket, commandQueue, kMachineCommandPort, out.Data(), static_cast<int32_t>(out.Size()), kPackTypeJetConfig);
}

void NET_Machine::SendJetMotoConfig(DatagramSender& socket, int level)
{
    const SpeedLevelRecord& chosen = speedLevels[ValidLevelIndex(level)];
    const SpeedLevelRecord& cutting = speedLevels[ValidLevelIndex(CuttingLevelIndex())];
    ByteWriter out;
    out.PutU16(chosen.speed);
    out.PutU16(cutting.secondSpeed);
    out.PutI32(cutting.levelValue1);
    out.PutI32(cutting.levelValue2);
    out.PutI32(TruncateToWire(jet.jetStepWidth));
    out.PutI32(cutting.levelValue3);
    out.PutI32(TruncateToWire(-(jet.motorValue / kMotorValueUnit)));
    Send(socket, commandQueue, kMachineCommandPort, out.Data(), static_cast<int32_t>(out.Size()), kPackTypeJetMotoConfig);
}

void NET_Machine::SendJetRange(DatagramSender& socket, const Limit_PARAM& limits)
{
    ByteWriter out;
    out.PutU16(static_cast<uint16_t>(limits.limit2));
    out.PutU16(static_cast<uint16_t>(limits.limit3));
    out.PutU16(static_cast<uint16_t>(limits.limit0));
    out.PutU16(static_cast<uint16_t>(limits.limit1));
    Send(socket, commandQueue, kMachineCommandPort, out.Data(), static_cast<int32_t>(out.Size()), kPackTypeJetRange);
}

void NET_Machine::SendMotoMove(int32_t x, int32_t y)
{
    CStringA text(x <= 0 ? "W0,3;" : "W0,2;");
    const int64_t ay = y < 0 ? -static_cast<int64_t>(y) : y;
    const int64_t ax = x < 0 ? -static_cast<int64_t>(x) : x;
    text.AppendFormat("P%d,0;S1,1000,1,1000,60000,120000,%d;", y, ay);
    text += "W0,4;";
    text.AppendFormat("P0,%d;S1,1000,1,1000,60000,120000,%d;", x, ax);
    motionStream.AppendString(text);
}
