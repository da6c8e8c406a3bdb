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

#include "app/preparation_progress.h"
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
// is below kMinCutWidth. progress hears how far the loop grouping and the page cutting got;
// when it cancels, 0 is returned with list and pages in no particular state.
int PaginateByWidth(PlotShapeList& list, PlotPageList& pages, int32_t width, const PageMachineValues& machine,
                    const PreparationProgress& progress = {});
// The same for "ED;" files: shapes of one pattern index in a row form one group, kept whole
// unless wider than the page.
int PaginateByPattern(PlotShapeList& list, PlotPageList& pages, int32_t width, const PageMachineValues& machine,
                      const PreparationProgress& progress = {});

// Results of PaginateJob besides a page index.
inline constexpr int kPaginationFailed = -1;
inline constexpr int kPaginationCancelled = -2;
// Splits job (a copy of the job's shapes, emptied) into pages, writes the page files and then
// "PrintFileInfo.txt" naming jobPath into folder (created when missing), and appends the first
// page's shapes to list; edFile paginates by pattern. Returns 0 (the page index) with the page
// count; kPaginationFailed when the folder cannot be made, the width is unusable, or a job of
// several pages cannot be saved (its next pages could never be found again); saved is false
// when the folder or the files could not be written. kPaginationCancelled when progress
// cancelled it (files already written stay for the caller to remove).
int PaginateJob(PlotShapeList& job, bool edFile, const CString& jobPath, const PageMachineValues& machine,
                const CString& folder, PlotShapeList& list, int32_t& pageCount, bool& saved,
                const PreparationProgress& progress = {});
// Gives task the pagination PaginateJob made: its page count, page index 0, and its copies
// raised to one more than done when none is left.
void AdoptPagination(CPrintTask& task, int32_t pageCount);
