// NET_Machine: the machine's numbered requests about the job: key commands, the end report,
// the start or resume request and the value report.
//
// Pulse counts are the machine's 32-bit step counter; distances between two readings are taken
// modulo 2^32, one less when the counter wrapped between them.
#include "machinelink/machine_messages.h"
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "plotmodel/point_group.h"

#include <climits>
#include <cstring>

namespace {

// Key codes of a key command request.
constexpr uint8_t kKeyJetStart = 0xD7;
constexpr uint8_t kKeyJetStartAlt = 0xDF;
constexpr uint8_t kKeyOffsetsAndDepths = 4;
constexpr uint8_t kKeyMagnetWords = 5;
constexpr uint8_t kKeyOffsets = 6;
constexpr uint8_t kKeyHeadOffsets = 8;
constexpr uint8_t kKeyHeadOffsetsAlt = 9;
constexpr uint8_t kKeyCancel = 119;
constexpr uint8_t kKeyValueRequest = 0xD6;

// Shortest request of each kind or key that is acted on.
constexpr int kKeyBytes = 7;               // the key code at 6
constexpr int kKeyOffsetsAndDepthsBytes = 20;
constexpr int kKeyMagnetWordsBytes = 13;
constexpr int kKeyOffsetsBytes = 15;
constexpr int kKeyHeadOffsetsBytes = 11;   // heads 2 and 3
constexpr int kKeyFourHeadOffsetsBytes = 13;
constexpr int kKeyValueRequestBytes = 19;
constexpr int kKeySpeedLevelsBytes = 16;   // three triples at 7, 10, 13
constexpr int kEndReportBytes = 26;        // jet rows printed at 22
constexpr int kStartRequestBytes = 32;     // jet row at 28
constexpr int kValueReportBytes = 16;      // the second value at 12

// Firmware from which key 8 and 9 carry the offset of head 4.
constexpr int kFourthHeadFirmware = 20;
// Firmware from which a fresh job is told its total pulse count.
constexpr int kTotalPulsesFirmware = 3;

// Speeds a key command may give the speed levels.
constexpr uint16_t kLevelSpeedMin = 100;
constexpr uint16_t kLevelSpeedMax = 2500;

// The motion text that prefixes a fresh job when the start prefix flag is set.
constexpr char kStartPrefixText[] = "O100;D6000;N0,0;N1,0;";

// Pulses from the start reference to the reported count.
uint32_t PulseDistance(uint32_t reported, uint32_t reference)
{
    const uint32_t wrapped = reported - reference;
    return reported < reference ? wrapped - 1 : wrapped;
}

}  // namespace

void NET_Machine::ProcKeyCmd(DatagramSender& socket, const uint8_t* datagram, int length)
{
    if (length < kKeyBytes) return;
    const ReceivedFields in(datagram);
    const uint8_t key = datagram[6];
    if ((key == kKeyJetStart || key == kKeyJetStartAlt) && jobState <= kJobPaused && task.IsTaken()) {
        SendJetConfig(socket);
        SendJetMotoConfig(socket, 0);
        GetJetInfo(task.headPositions, task.nozzleRanges);
        task.jetLevel = static_cast<uint8_t>(JetLevelIndex());
        SendJetMotoConfig(socket, task.jetLevel);
        Limit_PARAM limits;
        if (task.bandTrigger == INT32_MAX) {
            GetLimitLast(limits, task.bandValue2, task.bandValue1, task.jetLevel);
        } else {
            GetLimit(limits, task.bandValue2, task.jetLevel);
        }
        SendJetRange(socket, limits);
        SendText(socket, commandQueue, kMachineCommandPort, "f0;", kPackTypeCommandText);
        return;
    }
    switch (key) {
    case kKeyOffsetsAndDepths:
        if (length < kKeyOffsetsAndDepthsBytes) return;
        SetOffsetsFloats(in.Float(7), in.Float(11));
        if (firmwareVersion > 3 && IsCuttingMachine()) {
            SetDepthValues(in.I16(15), in.I16(17));
        } else {
            SetMagnetWord(0, in.I16(15));
            SetMagnetWord(1, in.I16(17));
        }
        optionBit = (datagram[19] >> 7) & 1;
        startPrefix = (datagram[19] >> 6) & 1;
        return;
    case kKeyMagnetWords:
        if (length < kKeyMagnetWordsBytes) return;
        SetMagnetWord(0, in.I16(7));
        SetMagnetWord(1, in.I16(9));
        SetMagnetWord(3, in.I16(11));
        return;
    case kKeyOffsets:
        if (length < kKeyOffsetsBytes) return;
        SetOffsetsFloats(in.Float(7), in.Float(11));
        return;
    case kKeyHeadOffsets:
    case kKeyHeadOffsetsAlt: {
        const bool fourHeads = firmwareVersion >= kFourthHeadFirmware;
        if (length < (fourHeads ? kKeyFourHeadOffsetsBytes : kKeyHeadOffsetsBytes)) return;
        jet.headOffsets[0] = in.I16(7);
        jet.headOffsets[1] = in.I16(9);
        if (fourHeads) jet.headOffsets[2] = in.I16(11);
        return;
    }
    case kKeyCancel:
        jobState = kJobIdle;
        task.ClearData();
        PostMainMessage(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(this), kMachineJobCancelled);
        return;
    case kKeyValueRequest:
        if (length < kKeyValueRequestBytes) return;
        task.requestValue1 = in.I32(11);
        task.requestValue2 = in.I32(15);
        PostMainMessage(WM_NET_KEY_REQUEST, reinterpret_cast<WPARAM>(this), static_cast<LPARAM>(in.U32(7)));
        return;
    default: {
        if (length < kKeySpeedLevelsBytes) return;
        uint16_t speeds[3];
        for (int k = 0; k < 3; ++k) {
            speeds[k] = in.U16(7 + 3 * k);
            if (speeds[k] < kLevelSpeedMin || speeds[k] > kLevelSpeedMax) return;
        }
        for (int k = 0; k < 3; ++k) {
            speedLevels[k].speed = speeds[k];
            speedLevels[k].bidiOffset = in.I8(9 + 3 * k);
        }
        return;
    }
    }
}

void NET_Machine::ProcEndReport(DatagramSender& socket, const uint8_t* datagram, int length)
{
    if (length < kEndReportBytes) return;
    const ReceivedFields in(datagram);
    jetStream.Initialize();
    if (NET_SendPack* pending = jetQueue.GetFirstUnacked()) pending->ClearData();
    if (jobState != kJobPrinting) return;

    const uint32_t distance = PulseDistance(in.U32(6), JobStartReference());
    const int64_t needed = static_cast<int64_t>(TotalPulses()) + task.pauseValue1 + task.pauseValue2;
    const uint32_t jetRowsEnded = static_cast<uint32_t>(-10 - static_cast<int64_t>(jetEndMarker));
    const bool finished = static_cast<int64_t>(distance) >= needed && jetEndMarker < 0 && jetRowsEnded >= in.U32(22);
    if (finished) {
        task.ClearData();
        jobState = kJobIdle;
        if (task.nextPageIndex > 0 && extraBlock[12] == 0) {
            PostMainMessage(WM_NET_PAGE_FINISHED, reinterpret_cast<WPARAM>(this), static_cast<LPARAM>(task.GetPrtTaskPointer()));
            SendText(socket, commandQueue, kMachineCommandPort, "f5;", kPackTypeCommandText);
        } else {
            SendText(socket, commandQueue, kMachineCommandPort, "f4;", kPackTypeCommandText);
        }
    } else {
        jobState = kJobPaused;
    }
    // A machine that reports an end without a job being walked has no list to note it in.
    if (PlotShapeCutList* walked = CutList()) {
        walked->SetReportedPosition(in.I32(10), in.I32(14), in.I32(18));
    }
    PostMainMessage(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(this),
                    jobState == kJobIdle ? kMachinePageFinished : kMachineStateChanged);
}

void NET_Machine::ProcStartRequest(DatagramSender& socket, const uint8_t* datagram, int length)
{
    if (length < kStartRequestBytes) return;
    const ReceivedFields in(datagram);
    if (datagram[6] != 1 || jobState > kJobPaused) return;
    const uint32_t count = in.U32(7);
    if (!task.IsTaken()) {
        if (NET_SendPack* pending = dataQueue.GetFirstUnacked()) pending->ClearData();
        if (NET_SendPack* pending = jetQueue.GetFirstUnacked()) pending->ClearData();
        PlotShapeCutList* lists[2] = {nullptr, nullptr};
        task.GetData(lists);  // both stay null when no job waits: the interpolator then has no motion
        JobStartReference() = count;
        motionStream.Initialize();
        jetStream.Initialize();
        StartInterpolator(lists, in.I32(11), in.I32(15), in.I32(19));
        jetEndMarker = 0;
        resumed = 0;
        // A fresh job counts its jet rows and progress from its own start: the rows of the
        // job before it must not hold back its progress notices.
        task.currentRow = task.lastRow;
        task.progress = 0.0;
        if (startPrefix) motionStream.AppendString(CStringA(kStartPrefixText));
        if (firmwareVersion >= kTotalPulsesFirmware) {
            uint8_t total[4];
            StoreLE32(total, TotalPulses());
            Send(socket, commandQueue, kMachineCommandPort, total, sizeof total, kPackTypeTotalPulses);
        }
        task.PauseData_Init();
    } else {
        const uint32_t row = in.U32(28);
        task.PauseData_Resume(static_cast<int32_t>(count), static_cast<int32_t>(row));
        if (NET_SendPack* pending = dataQueue.GetFirstUnacked()) pending->ClearData();
        if (NET_SendPack* pending = jetQueue.GetFirstUnacked()) pending->ClearData();
        const uint32_t distance = PulseDistance(count, JobStartReference());
        jetStream.Initialize();
        motionStream.Initialize();
        ResumeInterpolator(distance);
        jetEndMarker = static_cast<int32_t>(row);
        const int64_t rowsSkipped = static_cast<int64_t>(row) - task.lastRow - 1;
        task.rowAccumulator = SaturateToInt32(task.rowAccumulator + rowsSkipped * task.rowStep);
        task.lastRow = static_cast<int32_t>(row - 1);
        task.currentRow = task.lastRow;
        resumed = 1;
        StoreResumeToolDepths();
    }
    jobState = kJobPrinting;
    PostMainMessage(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(this), kMachineStateChanged);
}

void NET_Machine::ProcValueReport(const uint8_t* datagram, int length)
{
    if (length < kValueReportBytes) return;
    const ReceivedFields in(datagram);
    task.requestValue1 = in.I32(8);
    task.requestValue2 = in.I32(12);
    PostMainMessage(WM_NET_MACHINE_REQUEST, reinterpret_cast<WPARAM>(this), static_cast<LPARAM>(in.I16(6)));
}
