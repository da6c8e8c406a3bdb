// The speed planner: SpeedConfig, the path array CSpeedLayoutBase and the planner
// CSpeedLayout1, which cuts a tool path into sections with speed profiles and writes them as
// motion text.
//
// Method. The path (integer points, consecutive duplicates removed) is covered by chords:
// straight lines that replace runs of short segments lying within a corridor 8 units wide
// and 50 units long around the running direction, so a finely flattened curve is seen as a
// few longer lines. Consecutive chords join into a section while the path turns gently; a
// turn above 0.25 (measured as the largest change of a direction component, with directions
// scaled so their larger component is ±1) is a sharp corner and ends the section at
// standstill, a smaller turn whose chord ends more than 20 units off the line is a corner
// passed at a corner speed, and a long accumulated turn or a sudden change of chord length
// ends the section without a stop. Each section gets an entry speed, a top speed (the
// smallest of its chords' axis limits and of the curve speed sqrt(acceleration × radius)),
// an exit speed and an acceleration. Neighbouring sections whose top speeds differ by less
// than 10 % are merged. Sections are planned one run at a time, a run ending at standstill,
// and each run is written as one "P%d,%d;" relative move per segment followed by one
// "S%d,%d,%d,%d,%d,%d,%d,%d;" speed command per section.
//
// Units. Coordinates, distances and step counts are path units (one unit is one machine
// step; a segment takes max(|dx|, |dy|) steps). Speeds are path units per second,
// accelerations per second squared, jerk per second cubed. Turns are dimensionless.
//
// Preconditions. Points are plotter pulses as the cut list hands them over. The planner
// relies on IEEE arithmetic (a chord along zero gives an infinite ratio): never build it
// with -ffast-math.
#pragma once

#include "motion/p_data_buf.h"
#include "platform/carray.h"
#include "platform/cdc.h"
#include "platform/rect.h"

#include <cstdint>
#include <vector>

// One speed set of a machine, in path units per second (squared, cubed).
struct SpeedConfig {
    double xAccLine = 160000;      // line acceleration, x axis
    double yAccLine = 160000;      // line acceleration, y axis
    double xVecMax = 60000;        // top speed, x axis
    double yVecMax = 60000;        // top speed, y axis
    double xVecInit = 1200;        // start speed (allowed from and to standstill), x axis
    double yVecInit = 1200;        // start speed, y axis
    double J = 1600000;            // jerk
    double xAccCrv = 200000;       // curve acceleration, x axis
    double yAccCrv = 200000;       // curve acceleration, y axis
    double xAccCrvJiWan = 120000;  // sharp-curve acceleration, x axis
    double yAccCrvJiWan = 120000;  // sharp-curve acceleration, y axis
};

// One section of a path: a run of points passed with one speed profile.
struct SpeedSection1 {
    int32_t first = 0;           // index of the first point
    int32_t last = 0;            // index of the last point
    double entrySpeed = 0;       // speed at the first point
    int32_t fromStandstill = 0;  // 1 when the section starts from standstill
    double exitSpeed = 0;        // speed at the last point; 0 = decided by the next section
    int32_t stop = 0;            // 1 when the section ends at standstill
    double lineTopSpeed = 0;     // top speed of the first chord
    double topSpeed = 0;         // top speed of the whole section
    double acceleration = 0;     // acceleration of the section
    int32_t steps = 0;           // steps of the section
};

// One chord: a straight line standing for one or more consecutive segments.
struct LineInfo2 {
    int32_t first = 0;        // index of the first point
    int32_t last = 0;         // index of the last point
    double dx = 0;            // direction, scaled so the larger component is ±1
    double dy = 0;
    int32_t steps = 0;        // steps of the covered segments
    int32_t chordLength = 0;  // steps of the straight chord
    int32_t singleChord = 0;  // 1 when the chord covers one segment
    double topSpeed = 0;      // axis limits along the chord's direction
    double acceleration = 0;
    double startSpeed = 0;
};

// Where DrawSection draws: screen x = x × scale, screen y = (originY − y) × scale.
struct structRender2 {
    CDC* dc = nullptr;
    double scale = 1.0;   // pixels per path unit
    int32_t originY = 0;  // path y shown at the top edge, path units
};

// The path being planned: its points and the index where the next search starts.
class CSpeedLayoutBase {
public:
    CSpeedLayoutBase() = default;
    CSpeedLayoutBase(const CSpeedLayoutBase&) = delete;
    CSpeedLayoutBase& operator=(const CSpeedLayoutBase&) = delete;
    virtual ~CSpeedLayoutBase() = default;

    // Empties the array (count, type and cursor 0), keeping its storage.
    void InitArray();
    // Empties the array and frees its storage.
    void DestroyArray();
    // Makes room for n more points; the storage grows in blocks of at least 4096 points.
    void CheckSpace(int32_t n);
    // Appends a point unless it equals the last one.
    void AppendPoint(int32_t x, int32_t y);
    // Replaces the path by n float pairs, each truncated toward zero; the last argument is
    // not read.
    void AppendShape(const float* xy, int32_t n, int unused = 0);
    // Replaces the path by the points of path (consecutive duplicates dropped), of kind kind.
    void Append(const CArray<CPoint>& path, int kind);
    // Restarts the search at the first point.
    virtual void StartFind() { cursor = 0; }

    void SetType(int kind) { type = kind; }
    int GetType() const { return type; }
    int32_t GetCount() const { return static_cast<int32_t>(points_.size()); }
    int32_t GetCapacity() const { return static_cast<int32_t>(points_.capacity()); }
    // Point i; an index outside the path raises CInvalidArgException.
    const CPoint& GetPoint(int32_t i) const;

    // Steps from point a to point b along the path; 0 when b < a + 1.
    int32_t GetStepNum(int32_t a, int32_t b) const;
    // Direction and straight length of the chord from point a to point b.
    void GetLineSlopeInfo(int32_t a, int32_t b, LineInfo2& chord) const;
    // Cheap estimate of the length of the vector (a, b), within a few per cent.
    static double EstimateModVect(double a, double b);
    // Top speed, acceleration and start speed of a chord under the speed set.
    static void GetLineSpeedInfo(LineInfo2& chord, const SpeedConfig& speeds);
    // The chord of segment i, i + 1 with its limits; 0 when i is the last point.
    int GetLineInfo(int32_t i, LineInfo2& chord, const SpeedConfig& speeds) const;
    // The chord of points i..j with its limits; 0 unless i < j and both lie on the path.
    int GetLineInfo(int32_t i, int32_t j, LineInfo2& chord, const SpeedConfig& speeds) const;

    int32_t cursor = 0;  // index of the point where the next section search starts

protected:
    int32_t type = 0;  // path kind

private:
    std::vector<CPoint> points_;
};

// The planner. The interpolator calls, per path: SetSpeedConfig, Append, StartFind, then
// GetNextData_at until it returns 0.
class CSpeedLayout1 : public CSpeedLayoutBase {
public:
    CSpeedLayout1() = default;
    // The planner with the given speed set and corner band 1 at 0.09.
    explicit CSpeedLayout1(const SpeedConfig& speeds);

    void SetSpeedConfig(const SpeedConfig& speeds) { speedSet = speeds; }
    const SpeedConfig& GetSpeedConfig() const { return speedSet; }
    // Restarts planning at the first point: the first section starts from standstill.
    void StartFind() override;

    // Appends the text of the next run of sections; returns the run's steps, 0 (writing
    // nothing) when the path is used up. The int argument is not read.
    int GetNextData_at(P_DataBuf& out, int unused = 0);
    // Appends the moves and speed commands of a run; returns its steps.
    int GenData_at(CArray<SpeedSection1, SpeedSection1&>& run, P_DataBuf& out, int unused = 0);

    // The step output: appends the step data of the next run of sections (a timer start code,
    // then every section's speed codes and step bytes); 1 when a run was written, 0 (writing
    // nothing) when the path is used up. The int argument is not read.
    int GetNextData(P_DataBuf& out, int unused = 0);
    // The passes of the step output over a run: entry speeds joined to the exit speeds before
    // them, then the backward and the forward S-curve passes.
    void ConnectSpeed(CArray<SpeedSection1, SpeedSection1&>& run);
    void ReverseSpeedLayout(CArray<SpeedSection1, SpeedSection1&>& run);
    void SpeedLayout(CArray<SpeedSection1, SpeedSection1&>& run);
    // Writes a run: the timer start code and every section's profile; returns 0.
    int GenData(CArray<SpeedSection1, SpeedSection1&>& run, P_DataBuf& out, int unused = 0);
    // Writes one section's profile from the reload value timer on (left at the last written);
    // returns the section's exit speed.
    double GenData(SpeedSection1& section, P_DataBuf& out, uint16_t& timer, int unused = 0);
    // Appends the section's step bytes; returns its step count.
    int MoveData(SpeedSection1& section, P_DataBuf& out, int unused = 0);
    // Appends the step bytes of one segment (one per step of the longer axis).
    void Move(P_DataBuf& out, const CPoint& from, const CPoint& to, int unused = 0);

    // Finds the next chord from the cursor; 0 at the end of the path.
    int FindNextLineSlope1(LineInfo2& chord);
    // The corner speed for a turn: 0 below the corner floor, -1 above the sharp turn.
    double FindSpeedAtAngle(double turn) const;
    // Builds the next section from the chords; 0 when none is left.
    int GetNextSection1(SpeedSection1& section, const SpeedConfig& speeds);
    // Builds the next section, merging neighbours of like top speed; 0 when none is left.
    int GetNextSection2(SpeedSection1& section, const SpeedConfig& speeds);
    // Collects sections up to and including the next one that ends at standstill; 0 when
    // none is left.
    int GetNextSectionArray(CArray<SpeedSection1, SpeedSection1&>& run, const SpeedConfig& speeds);

    // The run of segments from point i whose directions stay within the same-slope tolerance
    // of the first segment's; dx, dy become its extent. 0 at the last point.
    int GetNextLineBySameSlope(int32_t i, LineInfo2& line, int32_t& dx, int32_t& dy) const;
    // Joins same-slope runs from point i while their summed length stays at most 20 and no
    // direction component changes sign. 0 at the last point.
    int GetNextLineSlopeInfo(int32_t i, LineInfo2& line) const;
    // Joins the runs of GetNextLineSlopeInfo from point i while their directions stay within
    // the same-slope tolerance of the first one's. 0 at the last point.
    int GetNextLine(int32_t i, LineInfo2& line) const;
    // Builds the next section as GetNextSection1 does, with the lines of GetNextLine as its
    // chords.
    int GetNextSection(SpeedSection1& section, const SpeedConfig& speeds);
    // A chord finder over the runs of GetNextLineSlopeInfo; 0 at the end of the path.
    int FindNextLineSlope(LineInfo2& chord);

    // Draws the section's points as a polyline, with pen when one is given.
    void DrawSection(const SpeedSection1& section, structRender2& render, CPen* pen);
    // Draws the straight chord, then the points it stands for.
    void DrawSection(const LineInfo2& chord, structRender2& render, CPen* pen);

    SpeedConfig speedSet;

    // Planner constants (turns dimensionless, distances path units, speeds units per second).
    double shortChordTurn = 0.008;       // turn above which a much shorter chord ends a section
    double chordRatio = 5.0;             // length ratio of a chord to the section's mean chord
    double cornerTurnFloor = 0.06;       // turns below this are no corner
    double cornerBand1 = 0.12;           // upper bound of corner band 1
    double cornerBand2 = 0.15;           // upper bound of corner band 2
    double sharpTurn = 0.25;             // turns above this stop the tool
    double cornerSpeed1 = 800.0;         // speed in corner band 1
    double cornerSpeed2 = 800.0;         // speed in corner band 2
    double cornerSpeed3 = 800.0;         // speed between band 2 and the sharp turn
    double cornerOffset = 20.0;          // sideways offset that makes a turn a corner
    double sectionTurnLimit = 0.25;      // largest accumulated turn inside one section
    double sameSlopeTolerance = 0.0012;  // direction tolerance of the same-slope runs
    double chordCorridor = 8.0;          // largest sideways distance inside one chord
    double chordReach = 50.0;            // largest distance along the direction of one chord
    double shortSection = 50.0;          // steps below which a corner speed caps the top speed
    double curveRadius = 600.0;          // radius between curve and sharp-curve acceleration

private:
    // Builds a section from the chords that nextChord hands out (GetNextSection1 and
    // GetNextSection differ only there).
    template <class NextChord>
    int BuildSection(SpeedSection1& section, const SpeedConfig& speeds, NextChord nextChord);
    // The chord from a to b, which becomes the running direction.
    void TakeChord(int32_t a, int32_t b, LineInfo2& chord);
    // Draws points first..last as one polyline; a straight line only when `straight`.
    void DrawPoints(int32_t first, int32_t last, structRender2& render, bool straight) const;
    // Extends a same-slope run from point i; returns the index of its last point.
    int32_t SameSlopeEnd(int32_t i) const;

    int32_t fromStandstill_ = 1;  // the next section starts from standstill
    double turnCarried_ = 0;      // 1.0 when the last section ended at a turn without a stop
    double carriedDx_ = 0;        // direction of that section's last chord
    double carriedDy_ = 0;
    int32_t freshChord_ = 1;      // the next chord is a single segment
    int32_t chordEnd_ = 0;        // last point already taken into a chord
    double runDx_ = 0;            // direction of the last chord found
    double runDy_ = 0;
    SpeedSection1 pendingSection_;  // section read ahead by the merging step
    int32_t pending_ = 0;
    CArray<SpeedSection1, SpeedSection1&> run_;  // the run being written, kept for its storage
};
