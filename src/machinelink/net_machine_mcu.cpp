// NET_Machine: the datagrams a machine sends ("QGJA", "QGJR", "QGJQ", "PQCE", "PQCN") and
// what the PC does with each.
#include "machinelink/machine_messages.h"
#include "machinelink/net_machine.h"

#include <cstring>

namespace {

// Shortest datagram of each kind that is acted on: every field the handler reads lies inside.
constexpr int kKindBytes = 4;                // "QGJA", "QGJR", ...
constexpr int kAcknowledgeBytes = 18;        // "QGJA" up to the jet progress at 14
constexpr int kReplyDataBytes = 9;           // "QGJR" 0xF4: free motion space at 7
constexpr int kReplyCommandBytes = 6;        // "QGJR" 0xF5: the sequence at 5
constexpr int kReplyPanelBytes = 11;         // "QGJR" 0xF6: free panel space at 9
constexpr int kReplyJetBytes = 17;           // "QGJR" 0xF9: jet progress at 13
constexpr int kRequestAnsweredBytes = 5;     // "QGJQ" and its sequence byte: enough to answer
constexpr int kRequestKindBytes = 6;
constexpr int kExtraBlockDatagramBytes = 4 + NET_Machine::kExtraBlockBytes;

// Queue codes of "QGJR", at byte 4.
constexpr int kReplyCodeOffset = 4;
constexpr uint8_t kReplyData = 0xF4;
constexpr uint8_t kReplyCommand = 0xF5;
constexpr uint8_t kReplyPanel = 0xF6;
constexpr uint8_t kReplyJet = 0xF9;

// Free space the machine must report before a busy queue may send again, bytes.
constexpr uint16_t kDataRoomBytes = 300;
constexpr uint16_t kPanelRoomBytes = 60;
constexpr uint16_t kJetRoomBytes = 310;

// Request kinds of "QGJQ".
constexpr uint8_t kRequestKey = 1;
constexpr uint8_t kRequestEnd = 2;
constexpr uint8_t kRequestStart = 3;
constexpr uint8_t kRequestValue = 4;
constexpr uint8_t kRequestStatus = 5;

// Status bit of a request 5 that needs no notice.
constexpr uint8_t kStatusQuiet = 0x08;

}  // namespace

void NET_Machine::ProcMcuMsg(DatagramSender& socket, const uint8_t* datagram, int length)
{
    lastHeardMs = MonotonicMs();
    if (!datagram || length < kKindBytes) return;
    if (std::memcmp(datagram, "QGJ", 3) == 0) {
        switch (datagram[3]) {
        case 'A': ProcAcknowledge(socket, datagram, length); break;
        case 'R': ProcQueueReply(socket, datagram, length); break;
        case 'Q': ProcRequest(socket, datagram, length); break;
        default: break;
        }
    } else if (std::memcmp(datagram, "PQC", 3) == 0) {
        if (datagram[3] == 'E') {
            if (length == kExtraBlockDatagramBytes) std::memcpy(extraBlock, datagram + 4, kExtraBlockBytes);
            extraBlockReceived = 1;
        } else if (datagram[3] == 'N') {
            ProcMachineParams(datagram, length);
        }
    }
}

void NET_Machine::ProcAcknowledge(DatagramSender& socket, const uint8_t* datagram, int length)
{
    if (length < kAcknowledgeBytes) return;
    const ReceivedFields in(datagram);
    dataQueue.DeleteDataToId(in.U8(4));
    panelQueue.DeleteDataToId(in.U8(5));
    commandQueue.DeleteDataToId(in.U8(6));
    jetQueue.DeleteDataToId(in.U8(11));
    const in_addr to = Address();
    if (dataQueue.GetBusy() && in.U16(7) > kDataRoomBytes) {
        dataQueue.SetBusy(0);
        SendNextData(socket, NET_SendBuf::kMoreDataResendMs);
    }
    if (panelQueue.GetBusy() && in.U16(9) > kPanelRoomBytes) {
        if (panelQueue.HasUnacknowledged()) panelQueue.ResendTimeout(to, socket, NET_SendBuf::kRoomFreedResendMs);
        panelQueue.SetBusy(0);
    }
    if (jetQueue.GetBusy() && in.U16(12) > kJetRoomBytes) {
        if (jetQueue.HasUnacknowledged()) jetQueue.ResendTimeout(to, socket, NET_SendBuf::kRoomFreedResendMs);
        jetQueue.SetBusy(0);
    }
    if (jobState == kJobPrinting) {
        const auto progress = static_cast<int>(in.U32(14));
        JetEndProgress(socket, progress);
        JetProgress(socket, progress);
    }
}

void NET_Machine::ProcQueueReply(DatagramSender& socket, const uint8_t* datagram, int length)
{
    if (length <= kReplyCodeOffset) return;
    const ReceivedFields in(datagram);
    const in_addr to = Address();
    switch (in.U8(kReplyCodeOffset)) {
    case kReplyData:
        if (length < kReplyDataBytes) return;
        dataQueue.DeleteDataToId(in.U8(5));
        if (in.U8(6) != 1 && in.U16(7) >= kDataRoomBytes) {
            dataQueue.SetBusy(0);
            SendNextData(socket, NET_SendBuf::kMoreDataResendMs);
        } else {
            dataQueue.SetBusy(1);
        }
        break;
    case kReplyJet:
        if (length < kReplyJetBytes) return;
        jetQueue.DeleteDataToId(in.U8(5));
        if (in.U8(6) == 1 || in.U16(11) < kJetRoomBytes) {
            jetQueue.SetBusy(1);
        } else {
            jetQueue.SetBusy(0);
            if (jobState == kJobPrinting) {
                const auto progress = static_cast<int>(in.U32(13));
                JetEndProgress(socket, progress);
                JetProgress(socket, progress);
            }
            SendNextDataJet(socket, NET_SendBuf::kPollResendMs);
        }
        break;
    case kReplyPanel:
        if (length < kReplyPanelBytes) return;
        panelQueue.DeleteDataToId(in.U8(5));
        if (in.U16(9) > kPanelRoomBytes) {
            if (panelQueue.HasUnacknowledged()) panelQueue.ResendTimeout(to, socket, NET_SendBuf::kReplyResendMs);
            panelQueue.SetBusy(0);
        } else {
            panelQueue.SetBusy(1);
        }
        break;
    case kReplyCommand:
        if (length < kReplyCommandBytes) return;
        commandQueue.DeleteDataToId(in.U8(5));
        if (commandQueue.HasUnacknowledged()) commandQueue.ResendTimeout(to, socket, NET_SendBuf::kReplyResendMs);
        break;
    default: break;
    }
}

void NET_Machine::ProcRequest(DatagramSender& socket, const uint8_t* datagram, int length)
{
    if (length < kRequestAnsweredBytes) return;
    const uint8_t sequence = datagram[4];
    // Every request is answered, also a repeat and one too short to act on, so the machine's
    // request numbering moves on in step with ours.
    const uint8_t answer[3] = {'Q', 1, sequence};
    socket.SendTo(Address(), kMachineAnswerPort, answer, sizeof answer);
    if (sequence != expectedRequest) return;
    ++expectedRequest;
    if (length < kRequestKindBytes) return;
    switch (datagram[5]) {
    case kRequestKey: ProcKeyCmd(socket, datagram, length); break;
    case kRequestEnd: ProcEndReport(socket, datagram, length); break;
    case kRequestStart: ProcStartRequest(socket, datagram, length); break;
    case kRequestValue: ProcValueReport(datagram, length); break;
    case kRequestStatus:
        if (length >= 7 && !(datagram[6] & kStatusQuiet)) {
            PostMainMessage(WM_NET_MACHINE_STATUS, reinterpret_cast<WPARAM>(this), datagram[6]);
        }
        break;
    default: break;
    }
}
