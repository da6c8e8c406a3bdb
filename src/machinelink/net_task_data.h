// Net_TaskData: the box through which a prepared job crosses from the user-interface thread
// to a machine's link thread, with the job's band counters, progress and pause accounting.
//
// The dispatcher hands in two cut lists (the print list rendered into the ink-jet raster and
// the cut list walked by the interpolator); the box owns them until the link thread takes
// them on the machine's start request, and refuses a new job while one is taken. The lists,
// the taken flag, the print-task reference and the hand-over stamp change together under the
// box's own re-entrant lock. The other fields are plain values of the machine record, read
// and written under the machine-table lock like the rest of it.
#pragma once

#include "platform/critical_section.h"
#include "platform/tick_clock.h"

#include <cstdint>

class PlotShapeCutList;

class Net_TaskData : public MyCriticalSection {
public:
    Net_TaskData();
    Net_TaskData(const Net_TaskData&) = delete;
    Net_TaskData& operator=(const Net_TaskData&) = delete;
    // Deletes the lists still held.
    ~Net_TaskData() override;

    // Hands a job in: 1 = accepted (the box owns both lists from now on, and deletes the job
    // it was holding), 0 = refused because a job is taken (the caller keeps its lists).
    int SetData(PlotShapeCutList* first, uint32_t printTask, PlotShapeCutList* second);
    // Takes the waiting job: 1 with both lists (the second may be null), now the caller's;
    // 0 and out untouched when no job waits or one is already taken.
    int GetData(PlotShapeCutList* out[2]);
    // Takes the first list only (the second stays in the box); null when no job waits.
    PlotShapeCutList* GetData();
    // Ends or cancels the job: clears the taken flag and deletes the lists still held.
    void ClearData();
    // The print-task reference of the job last handed in.
    uint32_t GetPrtTaskPointer();
    // 1 while a taken job runs (from GetData until ClearData).
    int IsTaken();
    // 1 while a job waits to be taken (a first list is held).
    int HasWaitingJob();
    // When the job last handed in was accepted.
    TickMs GetStampMs();

    // Pause values 1-3 := 0 (a fresh job starts).
    void PauseData_Init();
    // Resume accounting: pause value 3 := count; when count differs from pause value 1, the
    // last re-approach (pause value 2) joins the offset (pause value 1); pause value 2 := 0.
    // The row argument has no effect.
    void PauseData_Resume(int32_t count, int32_t row);

    // Jet band bookkeeping of the raster (the largest int32 in bandTrigger marks the last band).
    int32_t bandTrigger = 0;
    int32_t bandValue1 = 0;
    int32_t bandValue2 = 0;
    uint8_t jetLevel = 0;              // jet speed level 0..2
    int32_t headPositions[5] = {};     // jet head positions relative to the outermost head, rows
    int32_t nozzleRanges[4] = {};      // cumulative nozzle ranges of heads 1-4, nozzles
    int32_t rowStep = 0;               // rows per band step
    int32_t rowAccumulator = 0;        // rows accumulated over resumes
    int32_t lastRow = 0;               // last jet row handled
    int32_t currentRow = 0;            // current jet row
    double progress = 0;               // percent, 0..100
    int32_t nextPageIndex = 0;         // page the main program sends next; above 0: more remain
    int32_t requestValue1 = 0;         // extra values of the machine's value report and key 0xD6
    int32_t requestValue2 = 0;
    int16_t requestValue3 = 0;         // kept by the main program's value report handler
    int32_t pauseValue1 = 0;           // pulses to discount on a resume (the pulse offset)
    int32_t pauseValue2 = 0;           // pulses of the re-approach path of the last resume
    int32_t pauseValue3 = 0;           // pulse count of the last resume point

private:
    // Deletes the lists held, each once, except those listed in keep.
    void DeleteHeld(const PlotShapeCutList* keepA, const PlotShapeCutList* keepB);

    PlotShapeCutList* firstList_ = nullptr;   // owned: the job's print list
    PlotShapeCutList* secondList_ = nullptr;  // owned: the job's cut list
    uint32_t printTask_ = 0;                  // identifies the main program's print task; never dereferenced
    int32_t taken_ = 0;
    TickMs stampMs_ = 0;
};
