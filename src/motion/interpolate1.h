// P_Interpolate1: the interpolator of one machine: its motion settings, the speed planner and
// the two generators that turn point groups of the cut list into motion command text.
//
// Method. Each generator call handles one point group (fetched when the previous one is used
// up) and appends its text to the motion stream. Ordinary paths go through the speed planner
// ("P" moves and "S" section speeds) with the speed set that the path's kind selects by a
// level index. Tool-depth changes ("B0"), ink-jet passes ("W0" waits and fixed "P"/"S" legs),
// shapes of MauIndex 130 (fixed "S1,600,...") and of MauIndex 8 (the "A"/"O"/"B"/"D" tool
// sequence) are written here as fixed sequences. BGetNextData_at serves a cutting machine from
// firmware 4 on, over the depth-aware traversal; BGetNextData_magnet every other machine, over
// the traversal without depth changes, and it drives the two output channels with "N1"/"N0"
// commands whenever a group needs other channel values than the last ones sent.
//
// Units: coordinates and moves are plotter pulses; speeds pulses per second, accelerations per
// second squared, jerks per second cubed; dwells ("D") machine time units as the machine
// block holds them.
//
// Preconditions: the machine reference is set (without it the generators hand out nothing);
// everything runs on the machine-link thread.
#pragma once

#include "motion/interpolate.h"
#include "motion/speed_layout.h"

#include <cstdint>

// The tool-depth move parameters of a cutting machine (the machine's Z-axis block).
struct DepthParamBlock {
    int32_t depthJerk = 1500000;        // depth pulses per second cubed
    int32_t depthAcceleration = 20000;  // depth pulses per second squared
    uint16_t depthStartSpeed = 1000;    // depth pulses per second
    uint16_t depthTopSpeed = 2300;      // depth pulses per second
    uint16_t depthValueA = 800;         // full-cut depth, depth pulses
    uint16_t depthValueB = 600;         // half-cut depth, depth pulses
    uint16_t resetBuffer = 200;         // depth pulses
    uint16_t lastWord = 0;              // carried in the block, edited by no page
};

// The tool offsets and calibration sizes of a machine.
struct OffsetsBlock {
    // Knife offset (mm), cut offsets x and y (mm), then four further tool values; the first
    // 28 bytes of the block.
    float toolOffsets[7] = {0.75f, 0.0f, 20.0f, 16.0f, 0.8f, 20.0f, 1.0f};
    uint16_t designSizes[2] = {500, 500};        // plotter units
    float measuredSizes[2] = {500.0f, 500.0f};   // plotter units
};

// The library-wide repeat-jet flag, 1 at load; the channel-driven text reads it for ink-jet
// passes that do not run in +y.
void SetLS_RepeatJetAtSectionStart(int32_t v);
int32_t GetLS_RepeatJetAtSectionStart();

class P_Interpolate1 : public P_Interpolate {
public:
    static constexpr int kMagnetWords = 21;

    P_Interpolate1();

    // Sets every motion setting to its default.
    void InitSpeedConfig();

    using P_Interpolate::SetData;
    // Adopts a fresh job: both lists (the ones held before are deleted unless handed in
    // again), the four tool depths and the start position; the traversal is at rest.
    void SetData(PARAM_SetData& p);
    // Adopts list as the print list, scaled by the ratios, prepared with three depths and its
    // cut shapes shifted by the cut-shape shift.
    void SetData(PlotShapeCutList* list, int32_t d1, int32_t d2, int32_t d3);
    // Prepares a page list at scale 1 with its box recomputed and forgets the last group
    // code; the list is not adopted.
    void SetData(PlotPageList* list, int32_t, int32_t, int32_t c, int) override;
    // Adopts list as the print list, prepared with four depths and the start position.
    void SetData(PlotShapeCutList* list, int32_t d1, int32_t d2, int32_t d3, int32_t d4, int32_t x, int32_t y,
                 int32_t z);

    // Appends the text of the next point group for a cutting machine from firmware 4 on.
    // Results: -3 the job has just ended, -1 no job or ended before (nothing appended),
    // otherwise 0 or more (the group's text may be empty).
    int BGetNextData_at(P_DataBuf& stream);
    // The same for every other machine, with the output channel commands.
    int BGetNextData_magnet(P_DataBuf& stream);
    // Appends the binary step stream of the next point group: the tool's duty and auxiliary
    // codes around the planner's step output. Results: -3 / -1 as the text generators, else 1.
    int BGetNextData(P_DataBuf& stream);

    SpeedConfig speedConfigs[3];    // chosen per group by the level indices below
    int32_t firstSpeedIndex = 0;    // cut speed level (settings byte 175 bits 0-1)
    int32_t secondSpeedIndex = 0;   // idle speed level (settings byte 175 bits 2-3)
    int32_t cuttingLevelIndex = 0;  // settings byte 113 bits 2-3; also picks the jet level values
    int32_t jetLevelIndex = 0;      // settings byte 113 bits 0-1
    CSpeedLayout1 planner;
    // Tool depths of a machine without depth values (depth pulses): drawing, cut, half cut,
    // and the margin taken off the cut depth for MauIndex 130.
    uint16_t depthSettings[4] = {300, 350, 300, 10};
    // Channel values (signed) and dwells (read as unsigned) of the channel-driven text.
    int16_t magnetBlock[kMagnetWords] = {};
    OffsetsBlock offsetsBlock;
    DepthParamBlock depthParams;

private:
    // Fetches the next group when the copy is used up: a negative result ends the call,
    // otherwise the code of the group to handle.
    int FetchWhenUsedUp();
    // Gives the planner the group copy as a path of the given kind, with the speed set of
    // levelIndex (brought into 0..2 first, and stored back).
    void PreparePlanner(int32_t& levelIndex, int kind);
    // Plans the group copy with the speed set of levelIndex (brought into 0..2 first, and
    // stored back) as a path of the given kind; returns the planner's steps, within 32 bits.
    int PlanGroup(P_DataBuf& stream, int32_t& levelIndex, int kind);
    // Appends the channel commands that the group of code c needs on the magnet channels.
    void AppendChannelCommands(P_DataBuf& stream, int c);
    // Appends the MauIndex 8 tool sequence of the group copy.
    void AppendToolSequence(P_DataBuf& stream);
    // Appends the group copy as "P" moves closed by the fixed MauIndex 130 speed command.
    void AppendFixedSpeedPath(P_DataBuf& stream);
    // The ink-jet pass text of a jet group (codes 99-104) in either generator's form; -1 when
    // the group's point count does not fit its code.
    int AppendJetPass(P_DataBuf& stream, int c, bool magnetForm);
};
