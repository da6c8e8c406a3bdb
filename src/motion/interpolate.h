// P_Interpolate: the point-group machinery of a machine's interpolator. It owns the job's two
// cut lists, pulls point groups out of the second one (the cut list) and keeps the copy the
// text generators consume; it also offers unit conversions, geometry on the groups, the
// binary step bytes of a move and the few-byte control codes.
//
// Units: coordinates and distances are integer plotter pulses of the cut list (one pulse per
// plotter unit); a depth is a signed pulse count on the depth axis. The geometry functions
// scale each axis by its length factor 1 / (ratio × 40) (SetBianbi). Angles are radians,
// except the turning angle of CalAngle, which is degrees.
#pragma once

#include "geometry/float_point.h"
#include "motion/machine_motion_params.h"
#include "motion/p_data_buf.h"
#include "platform/carray.h"
#include "platform/rect.h"

#include <cstdint>

class CBinaryPolyLineList;
class PlotPageList;
class PlotShapeCutList;

// The start record of a fresh job, handed to P_Interpolate1::SetData by the machine link.
struct PARAM_SetData {
    PlotShapeCutList* firstList = nullptr;   // the print list; ownership passes to SetData
    PlotShapeCutList* secondList = nullptr;  // the cut list; ownership passes to SetData
    int32_t toolDepths[4] = {};  // depth pulses: drawing, cut (MauIndex 2, 4), half cut (5), MauIndex 130
    int32_t headX = 0;           // head position at job start, plotter units
    int32_t headY = 0;
    int32_t initialDepth = 0;    // tool depth at job start, signed depth pulses
};

// Default values of the interpolator; the library reads only the cut-shape shift.
class P_InterSpeedData {
public:
    P_InterSpeedData() { InitializeData(); }
    virtual ~P_InterSpeedData() = default;

    // Sets the defaults.
    void InitializeData();

    // Shift of the cut shapes by the single-list SetData: x in millimetres, y in units of
    // 100 millimetres (the shift is x × 40 × x ratio and y × 100 × 40 × y ratio pulses).
    float cutShiftX = 0.0f;
    float cutShiftY = 0.0f;
    // Duty values of the binary step stream: the jet tool's and every other tool's (0 until a
    // caller sets them; not the database's 16-bit PWM values).
    uint8_t dutyByte1 = 0;
    uint8_t dutyByte2 = 0;
};

class P_Interpolate {
public:
    P_Interpolate();
    P_Interpolate(const P_Interpolate&) = delete;
    P_Interpolate& operator=(const P_Interpolate&) = delete;
    // Deletes both lists.
    virtual ~P_Interpolate();
    // The polyline-list job form and the binary data of the base take nothing and give none.
    virtual void SetData(CBinaryPolyLineList*, int32_t, int) {}
    // The page-list job form takes nothing in the base.
    virtual void SetData(PlotPageList*, int32_t, int32_t, int32_t, int) {}
    virtual int GetNextData(P_DataBuf&) { return 0; }

    // Fetches the next point group of the cut list into the group copy: the traversal's code
    // (0 or more), or -1 without a job (or machine) and -3 / -1 at the end of the job.
    int GetNextPtGroup();
    // Restarts the traversal n pulses from the job start; forgets the groups and the channel
    // values. Returns 1.
    int ResumePrint(int32_t n);

    // Sets the two ratios and the length factors derived from them;
    // a ratio that is not a finite positive number is refused and nothing changes.
    void SetBianbi(double x, double y);
    // Sets the pulses per turn of the three axes; a value of 0 or less keeps that axis's value.
    void SetCircutNum(int x, int y, int z);

    // Unit conversions of one axis, with N its pulses per turn: pulse speed to turns per
    // minute (v / N × 60) and back (N × v / 60); angular to pulse acceleration
    // (N × v × 10 / 60) and back (v / N / 10 × 60).
    double XPulsespeedToAnglespeed(double v) const { return PulsesToTurns(v, xPulsesPerTurn); }
    double XAnglespeedToPulsespeed(double v) const { return TurnsToPulses(v, xPulsesPerTurn); }
    double XAngleAccToPulseAcc(double v) const { return TurnAccToPulseAcc(v, xPulsesPerTurn); }
    double XPulseAccToAngleAcc(double v) const { return PulseAccToTurnAcc(v, xPulsesPerTurn); }
    double YPulsespeedToAnglespeed(double v) const { return PulsesToTurns(v, yPulsesPerTurn); }
    double YAnglespeedToPulsespeed(double v) const { return TurnsToPulses(v, yPulsesPerTurn); }
    double YAngleAccToPulseAcc(double v) const { return TurnAccToPulseAcc(v, yPulsesPerTurn); }
    double YPulseAccToAngleAcc(double v) const { return PulseAccToTurnAcc(v, yPulsesPerTurn); }
    double ZPulsespeedToAnglespeed(double v) const { return PulsesToTurns(v, zPulsesPerTurn); }
    double ZAnglespeedToPulsespeed(double v) const { return TurnsToPulses(v, zPulsesPerTurn); }
    double ZAngleAccToPulseAcc(double v) const { return TurnAccToPulseAcc(v, zPulsesPerTurn); }
    double ZPulseAccToAngleAcc(double v) const { return PulseAccToTurnAcc(v, zPulsesPerTurn); }

    // Few-byte control codes of the binary stream, written into out[4].
    static void CodeTimerDelayL(unsigned short v, unsigned char out[4]);
    static void CodeTimerDelayH(unsigned short v, unsigned char out[4]);
    static void CodeMotoGroup(unsigned char a, unsigned char out[4]);
    static void CodePWM(int flag, unsigned char v, unsigned char out[4]);
    static void CodePenState(int t, unsigned char out[4]);
    static void CodeEncrypt(int a, unsigned char out[4]);

    // Appends the binary step bytes of the move p -> q, one per pulse of the longer axis (x
    // when both are equal): 3 - (mode & 3), +4 for dx < 0, +8 for dy < 0, +0x20 when x steps,
    // +0x40 when y steps. These step bits are this interpolator's own; the S-curve step output
    // of the planner uses another convention. A move the stream cannot hold is not appended.
    void Move(P_DataBuf& b, const CPoint& p, const CPoint& q, int mode);

    static int32_t GetXPulseNum(const CPoint& a, const CPoint& b) { return b.x - a.x; }
    static int32_t GetYPulseNum(const CPoint& a, const CPoint& b) { return b.y - a.y; }
    // max(|dx|, |dy|).
    static int32_t GetPulseNum(const CPoint& a, const CPoint& b);
    // Pulses along the points: the sum of |dx| + |dy| when flag is non-zero, else of
    // max(|dx|, |dy|); held within 32 bits.
    static int32_t GetPulseNum(const CArray<CPoint>& pts, int flag);
    // Scaled length of a -> b (the length factors apply per axis).
    double GetLength(const CPoint& a, const CPoint& b) const;
    // Direction of b from a on the scaled differences, radians in [0, 2π).
    double GetAngle(const CPoint& a, const CPoint& b) const;
    // Reduces an angle into [0, π) by steps of π, then takes π off above π/2; NaN when a is
    // not finite.
    static double GetSlope(double a);
    // Turning angle at b on the way a -> b -> c, degrees 0..180.
    double CalAngle(const CPoint& a, const CPoint& b, const CPoint& c) const;
    // Appends p unless it repeats the last point (1) or turns more than 20 degrees there (0).
    int AddToPtArray(CArray<CPoint>& pts, const CPoint& p) const;
    // Puts the next stretch of the point group from p (17, or 0.5 on every second call, in
    // GetLength units) into the group copy, moving p and the cursor along; returns the new
    // step toggle, or 0 when the group has no point left after p.
    int GetNextPtOnLine(CPoint& p);
    // Length of the group copy when the traversal handed a drawing path (code 1), else 0.
    double GetCurPDCurveLen() const;
    double BCutGetLength() const;
    int32_t BCutGetPulseNum() const { return GetPulseNum(groupCopy, 0); }

    // Members of the class interface that answer a constant or do nothing here.
    double BCutGetMaxLineSpeed() const { return 1.0; }
    int BChecFrequValid() const { return 1; }
    int BCheckSlowDown(int) const { return 1; }
    int ForwardPrint(int32_t) { return 1; }
    int BackwardPrint(int32_t) { return 1; }
    int BInterpolate(int, P_DataBuf&) { return 0; }
    int BCutInterpolate(P_DataBuf&) { return 0; }
    int BCutDirInterpolate(P_DataBuf&) { return 0; }
    int BCutHalfInterpolate(P_DataBuf&) { return 0; }
    void UpdatePulsespeed(int) {}
    void BCalFrequcyAtAngle(int) {}
    void BCheckRunTo(int) {}
    void AnalyisPtGroup(double) {}
    void COMAppendData() {}
    void SetDataAutoPrint() {}

    P_InterSpeedData speedData;
    PlotShapeCutList* firstList = nullptr;   // owned: the job's print list
    PlotShapeCutList* secondList = nullptr;  // owned: the job's cut list, traversed here
    double xRatio = 1.6667;  // x ratio (SetBianbi)
    double yRatio = 1.6667;
    double xLengthFactor = 1.0 / (1.6667 * 40);  // 1 / (x ratio × 40)
    double yLengthFactor = 1.0 / (1.6667 * 40);
    int32_t xPulsesPerTurn = 1600;  // SetCircutNum
    int32_t yPulsesPerTurn = 1600;
    int32_t zPulsesPerTurn = 8;
    int32_t lastGroupCode = 0;  // code of the last group the channel-driven text handled
    int32_t lastChannel0 = 0;   // values last sent with "N0" and "N1"
    int32_t lastChannel1 = 0;
    int32_t cursor = 0;         // index of the current point in the group copy
    int32_t traversalCode = 0;  // result of the last traversal call
    int32_t stepToggle = 0;     // alternates the stretch of GetNextPtOnLine
    CArray<CPoint> pointGroup;  // filled by the traversal
    CArray<CPoint> groupCopy;   // the group the generators consume
    CArray<CFloatPoint> angles; // per point: tangent angle (x) and running length (y)
    MachineMotionParams* machine = nullptr;  // not owned; set by the machine record

protected:
    // Replaces the held lists by first and second, deleting each held list that is not kept.
    void AdoptLists(PlotShapeCutList* first, PlotShapeCutList* second);
    // Empties the point group and the group copy; cursor := 0.
    void ClearGroups();

private:
    static double PulsesToTurns(double v, int32_t n) { return v / n * 60; }
    static double TurnsToPulses(double v, int32_t n) { return n * (v / 60); }
    static double TurnAccToPulseAcc(double v, int32_t n) { return n * (v * 10 / 60); }
    static double PulseAccToTurnAcc(double v, int32_t n) { return v / n / 10 * 60; }
};
