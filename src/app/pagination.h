// Pagination: a job longer than the machine can cut at once is split into pages no wider
// than the usable width, keeping closed knife contours and the print work inside them
// together and ending every page but the last with a paper-feed line.
//
// Method: the cut work is grouped into loops (PlotLoop) with the loop finder; the print work
// inside a loop joins it. Page by page, what lies left of the width goes to the page; a loop
// or shape that starts left of half the width and is wider than the width is split at it;
// anything else crossing the width waits, and the page ends where the first waiting item
// begins. The rest is then shifted left to x = 0 for the next page.
// Units: plotter units (40 per mm). Precondition: width of at least 1 unit.
#pragma once

#include "platform/cstring.h"

#include <cstdint>

class CPrintTask;
class NET_Machine;
class PlotPageList;
class PlotShapeList;

// The machine values pagination works with, read from the machine record under the lock.
struct PageMachineValues {
    int32_t cutWidth = 0;        // usable width, plotter units (GetCutArea_PB)
    int32_t cutHeight = 0;       // usable height, plotter units
    double xRangeMax = 0.0;      // the longest feed the machine makes, plotter units
    float feedAllowanceMm = 0.0f;
    uint8_t penTable[8] = {};    // tool class of pens 1-8
};
// Reads the values from machine; the caller holds the machine-table lock.
PageMachineValues ReadPageMachineValues(NET_Machine& machine);

// Mau index of the paper-feed line.
inline constexpr unsigned char kFeedLineMau = 8;
// The smallest usable width: below it pagination would never end.
inline constexpr int32_t kMinCutWidth = 1;

// Splits list (emptied) into pages appended to pages; 0, and list untouched, when the width
// is below kMinCutWidth.
int PaginateByWidth(PlotShapeList& list, PlotPageList& pages, int32_t width, const PageMachineValues& machine);
// The same for "ED;" files: shapes of one pattern index in a row form one group, kept whole
// unless wider than the page.
int PaginateByPattern(PlotShapeList& list, PlotPageList& pages, int32_t width, const PageMachineValues& machine);

// Results of PaginateJob besides a page index.
inline constexpr int kPaginationFailed = -1;
// Splits a copy of task's job into pages, writes the page files and then "PrintFileInfo.txt"
// into folder (created when missing), and appends the first page's shapes to list. Sets the
// task's page count and page index 0, and raises its copies to one more than done when none
// is left. Returns 0 (the page index), or kPaginationFailed when the folder cannot be made,
// the width is unusable, or a job of several pages cannot be saved (its next pages could
// never be found again); saved is false when the folder or the files could not be written.
int PaginateJob(CPrintTask& task, const PageMachineValues& machine, const CString& folder, PlotShapeList& list,
                bool& saved);
