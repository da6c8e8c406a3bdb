// CPrintTask: one job of the job list, its plot file, loaded shapes, pages and run state.
#pragma once

#include "app/dispatch_refusal.h"
#include "geometry/ol_list.h"
#include "platform/carray.h"
#include "platform/cfile.h"
#include "platform/cstring.h"
#include "plotmodel/plot_shape_cut_list.h"

#include <cstdint>

class PlotShape;

// Gives the next job reference of the run: never 0, never twice.
uint32_t NextJobRef();

class CPrintTask : public OL_Object {
public:
    // Run states.
    static constexpr int32_t kIdle = 0;
    static constexpr int32_t kRunning = 1;
    static constexpr int32_t kPaused = 2;

    CPrintTask();
    explicit CPrintTask(const char16_t* path);
    ~CPrintTask() override;
    CPrintTask(const CPrintTask&) = delete;
    CPrintTask& operator=(const CPrintTask&) = delete;

    // The loaded shapes (the job slot, whatever the swap flag says).
    PlotShapeCutList* GetCutList() const { return jobList; }
    int IsTaskLoaded() const { return loaded; }
    CString GetPath() const { return path; }
    void SetChecked(int value) { checked = value; }

    // Returns the task to its created state without a path; deletes both lists.
    void Reset();
    // Reset, then loads the file at p: 1 on success; 0, and reset again, on failure.
    int LoadFromPath(const CString& p);
    // Loads the task's file into one cut list in plotter units: 1 on success (at once when
    // loaded already), 0 on failure.
    int LoadPrintTaskFile();
    // Writes the loaded shapes as an HPGL file: 1 on success; 0 after telling the operator
    // when the file cannot be written.
    int ExportPlt(const CString& p) const;

    CString path;
    int32_t widthMm = 0;
    int32_t heightMm = 0;
    int32_t runState = kIdle;
    double progressPercent = 0.0;
    CFileStatus fileStatus;
    double resumeMark = 0.0;
    PlotShapeCutList* previewList = nullptr;
    PlotShapeCutList* jobList = nullptr;
    int32_t listsSwapped = 0;
    int32_t loaded = 0;
    int32_t listed = 0;
    int32_t checked = 0;
    int32_t reserved[2] = {0, 0};
    int32_t hxFile = 0;
    int32_t copies = 1;
    int32_t copiesDone = 0;
    int32_t pageCount = 0;
    int32_t pageIndex = 0;
    CArray<float> pageWidths;
    // Key of the assigned machine (IPv4 address, network order); 0 = none.
    uint32_t machine = 0;
    int32_t edFile = 0;
    // Names this load of the job for the rest of the run: nonzero, never given twice; 0
    // while not loaded.
    uint32_t jobRef = 0;
    // The shapes selected in the preview; emptied whenever the lists are deleted.
    CArray<PlotShape*> selection;
    // Why the job's last start was refused; kNone once a start reached the machine.
    DispatchRefusal dispatchRefusal = DispatchRefusal::kNone;

private:
    // Clears the HX and ED flags, the resume mark and the page count and index.
    void ClearFileMarks();
    // Deletes both lists and empties the selection.
    void DeleteLists();
    // Makes a new, empty job list in place of the current one.
    PlotShapeCutList* NewJobList();
    // Steps 6 to 8 of loading an HPGL file: pen remap, dashes of patterned lines, placement.
    int FinishHpglLoad();
    // Moves the job's lower-left corner to (1, 1) and records its size; 0 without points.
    int PlaceAtOneOne(bool always);
};
