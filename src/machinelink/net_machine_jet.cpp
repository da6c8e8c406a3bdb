// NET_Machine: the jet side of a job: head geometry, band limits, jet progress from the
// machine, and the end of the jet data.
//
// Units: band limits, head positions, offsets and margins are raster rows; nozzle counts are
// nozzles. The band base is in mm of the plot settings; the Y scale is dimensionless.
#include "machinelink/machine_globals.h"
#include "machinelink/machine_messages.h"
#include "machinelink/net_machine.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "plotmodel/point_group.h"

#include <algorithm>
#include <climits>

namespace {

// Head positions p0..p3 of the four heads, each head's offset taken from the one before it.
void HeadPositions(const JetHeadParams& jet, int64_t p[4])
{
    p[0] = 0;
    p[1] = jet.headOffsets[0];
    p[2] = p[1] + jet.headOffsets[1];
    p[3] = p[2] + jet.headOffsets[2];
}

// Nozzles of head k, 0 when its range is empty.
int32_t NozzleCount(const JetHeadParams& jet, int k) { return std::max(0, jet.nozzleEnd[k] - jet.nozzleStart[k]); }

}  // namespace

int32_t NET_Machine::BandScaleValue(double value) const
{
    return TruncateToWire(value * 40.0 * 2.0 * plot.yScale / static_cast<double>(Y_RelSCALE));
}

int NET_Machine::GetLowLimit(int level) const
{
    const SpeedLevelRecord& chosen = speedLevels[ValidLevelIndex(level)];
    int64_t base = JetBandBase();
    if (chosen.bidiOffset < 0) base += chosen.bidiOffset;
    return SaturateToInt32(base);
}

int NET_Machine::GetOthserSpace(int level) const
{
    const SpeedLevelRecord& chosen = speedLevels[ValidLevelIndex(level)];
    return jet.margin + std::max<int>(chosen.bidiOffset, 0) + 60;
}

int NET_Machine::GetJetWidth() const
{
    int64_t p[4];
    HeadPositions(jet, p);
    return static_cast<int>(*std::max_element(p, p + 4) - *std::min_element(p, p + 4));
}

int NET_Machine::GetJetPt() const
{
    int total = 0;
    for (int k = 0; k < 4; ++k) total += NozzleCount(jet, k);
    return total;
}

void NET_Machine::GetJetInfo(int32_t positions[5], int32_t ranges[4]) const
{
    int64_t p[4];
    HeadPositions(jet, p);
    const int64_t mx = *std::max_element(p, p + 4);
    const int64_t mn = *std::min_element(p, p + 4);
    int32_t sum = 0;
    for (int k = 0; k < 4; ++k) {
        positions[k] = static_cast<int32_t>(p[k] - mx);
        sum += NozzleCount(jet, k);
        ranges[k] = sum;
    }
    positions[4] = static_cast<int32_t>(mx - mn);
}

void NET_Machine::GetLimit(Limit_PARAM& limits, int32_t width, int level) const
{
    const SpeedLevelRecord& chosen = speedLevels[ValidLevelIndex(level)];
    int64_t l0 = std::max(GetLowLimit(level), 0);
    const int64_t c = GetOthserSpace(level) + GetJetWidth();
    const int64_t d = width + c;
    int64_t l1 = d + l0;
    const int64_t e = BandScaleValue(chosen.headValues[0]);
    const int64_t g = BandScaleValue(chosen.headValues[1]);
    int64_t l2 = 0;
    int64_t l3 = 0;
    if (2 * c < width && !(g >= 1 && 2 * g >= d) && (e >= 0 || -2 * e < d)) {
        l2 = l0 + g;
        if (g < 0) {
            l2 = std::max<int64_t>(l2, 0);
            l0 = l2;
        }
        l3 = l1 + e;
        if (e >= 1) l1 = l3;
    } else {
        if (g < 0) {
            l2 = std::max<int64_t>(l0 + g, 0);
            l0 = l2;
        } else {
            l2 = l0;
        }
        if (e < 1) {
            l3 = l1;
        } else {
            l1 = l1 + e;
            l3 = l1;
        }
    }
    limits = {SaturateToInt32(l0), SaturateToInt32(l1), SaturateToInt32(l2), SaturateToInt32(l3)};
}

void NET_Machine::GetLimitLast(Limit_PARAM& limits, int32_t width, int32_t rest, int level) const
{
    const SpeedLevelRecord& chosen = speedLevels[ValidLevelIndex(level)];
    int64_t l0 = std::max(GetLowLimit(level), 0);
    const int64_t o = GetOthserSpace(level) + GetJetWidth();
    const int64_t f = width + o;
    int64_t l1 = f + l0;
    const int64_t u = BandScaleValue(chosen.headValues[1]);
    const int64_t v = BandScaleValue(chosen.headValues[0]);
    int64_t l2 = 0;
    int64_t l3 = 0;
    // The lowest edge moves down by a negative head value, never below row 0.
    auto lowerEdge = [&] {
        l2 = l0 + u;
        if (u < 0) {
            l2 = std::max<int64_t>(l2, 0);
            l0 = l2;
        }
    };
    bool done = false;
    if (2 * o < width && (u <= 0 || f >= 2 * u)) {
        if (v < 0 && f >= -2 * v && width - static_cast<int64_t>(rest) < -v) {
            lowerEdge();
            l3 = l1 + v;
            done = true;
        } else if (!(v < 0 && f < -2 * v)) {
            l1 = o + l0 + rest;
            lowerEdge();
            if (v <= 0) {
                l3 = l1;
            } else {
                l1 = l1 + v;
                l3 = l1;
            }
            l1 = std::max(l1, l2);
            l3 = std::max(l3, l2);
            done = true;
        }
    }
    if (!done) {
        if (u < 0) {
            l2 = std::max<int64_t>(l0 + u, 0);
            l0 = l2;
        } else {
            l2 = l0;
        }
        l2 = std::max<int64_t>(l2, 0);
        if (v <= 0) {
            l3 = l1;
        } else {
            l1 = l1 + v;
            l3 = l1;
        }
    }
    limits = {SaturateToInt32(l0), SaturateToInt32(l1), SaturateToInt32(l2), SaturateToInt32(l3)};
}

void NET_Machine::JetProgress(DatagramSender& socket, int rows)
{
    if (static_cast<int64_t>(rows) <= static_cast<int64_t>(task.currentRow) + 1) return;
    task.currentRow = rows - 1;
    const int64_t printed =
        (static_cast<int64_t>(rows) - task.lastRow - 2) * task.rowStep + task.rowAccumulator;
    if (task.bandTrigger > 0 && task.bandTrigger < printed) {
        Limit_PARAM limits;
        GetLimitLast(limits, task.bandValue2, task.bandValue1, task.jetLevel);
        SendJetRange(socket, limits);
        task.bandTrigger = INT32_MAX;
    }
    const PlotShapeCutList* printList = PrintList();
    if (printed > 0 && printList) {
        const int32_t rightEdge = printList->GetArea().xmax;
        // A job without width counts as printed once rows arrive.
        const double percent = rightEdge > 0 ? static_cast<double>(printed) * 100.0 / rightEdge : 100.0;
        task.progress = std::min(100.0, percent);
        PostMainMessage(WM_NET_JET_PROGRESS, static_cast<WPARAM>(task.GetPrtTaskPointer()), reinterpret_cast<LPARAM>(this));
    }
}

void NET_Machine::JetEndProgress(DatagramSender& socket, int progressRows)
{
    if (jetEndMarker >= 0 || jetQueue.HasUnacknowledged()) return;
    const int64_t endedRows = -10 - static_cast<int64_t>(jetEndMarker);
    if (progressRows <= endedRows) return;
    const PlotShapeCutList* cutList = CutList();
    if (cutList && cutList->IsFinished()) {
        CStringA text;
        text.Format("b100,%d;", -static_cast<int64_t>(jetEndMarker));
        SendText(socket, commandQueue, kMachineCommandPort, text.GetString(), kPackTypeCommandText);
    }
    // The marker counts down by 10 per step; held within 32 bits however long the machine reports.
    jetEndMarker = SaturateToInt32(static_cast<int64_t>(jetEndMarker) - 10);
}
