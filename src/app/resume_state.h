// Resume state files: a machine's folder under "Pages" with the job's name and page count,
// the page last started, whether it was finished, and one HPGL file per page.
//
// Folder: program directory + "Pages/" + the machine's ID (24 hexadecimal digits). Text files
// are UTF-16LE with a byte-order mark, one "key=value;" per line; each line ends in the three
// units CR CR LF on disk, as the files have always been written, and readers take CR CR LF,
// CR LF, LF or no end at all. Every file is written through the atomic replace, so a crash
// leaves the old file or the new one, never a part.
//
// Which state is newest is decided by modification times. Linux dates files in coarse clock
// ticks, so two files written in one handler would tie; each writer of "TaskStartInfo.txt"
// and the two CutState files therefore dates its file after the folder's other two.
#pragma once

#include "platform/cstring.h"

#include <cstdint>

class NET_Machine;
class PlotPage;
class PlotPageList;
class PlotShapeList;

// Names of the files of a machine folder.
inline constexpr const char16_t* kPrintFileInfoName = u"PrintFileInfo.txt";
inline constexpr const char16_t* kTaskStartInfoName = u"TaskStartInfo.txt";
inline constexpr const char16_t* kCutStateNames[2] = {u"CutState0.txt", u"CutState1.txt"};

// Program directory + "Pages".
CString GetPagesFolder();
// Program directory + "Pages/" + the machine's ID.
CString GetMachineStateFolder(const NET_Machine& machine);
// folder + "/page%d.plt".
CString GetPageFilePath(const CString& folder, int32_t page);

// Each writer returns 1 when its file was written, 0 when it could not be.
// "filename", "pagenum", "origintype", "x", "y".
int WritePrintFileInfo(const CString& folder, const CString& path, int32_t pagenum, int32_t origintype, int32_t x,
                       int32_t y);
// 1 when all five keys were read.
int ReadPrintFileInfo(const CString& folder, CString& path, int32_t& pagenum, int32_t& origintype, int32_t& x,
                      int32_t& y);
// "pageIndex", "CutCrvNums", "jetCrvNums", "JetTolPt", "JetPtALine".
int WriteTaskStartInfo(const CString& folder, int32_t pageIndex, int32_t cutCurves, int32_t jetCurves,
                       int32_t jetTotalPoints, int32_t jetPointsPerLine);
// 1 when all five keys were read.
int ReadTaskStartInfo(const CString& folder, int32_t& pageIndex, int32_t& cutCurves, int32_t& jetCurves,
                      int32_t& jetTotalPoints, int32_t& jetPointsPerLine);
// "CutEnd": 0 when a page was sent, 1 when it was finished; written into CutState0 and
// CutState1 in turn.
int WriteCutState(const CString& folder, int32_t cutEnd);
// Reads "CutEnd" from one CutState file; 1 when it was found.
int ReadCutState(const CString& file, int32_t& cutEnd);
// Reads the newest CutState that is not older than "TaskStartInfo.txt"; 1 when one was read.
int ReadNewestCutState(const CString& folder, int32_t& cutEnd);

// Writes the page's drawing list and then its cutting list as HPGL ("HX;IN;", then "SP%d;"
// whenever the pen changes and each shape's text). Cut modes and rec indexes 1-16 travel as
// pens 20-35 and 60-75.
int WritePageFile(const CString& path, const PlotPage& page);
// Writes page i of pages to folder + "/page" i ".plt"; 1 when every page was written.
int WritePageFiles(const CString& folder, const PlotPageList& pages);
// Appends the shapes of a page file to list, with cut modes and rec indexes restored from
// their pens and shapes of line type above 1 dashed; 1 when the file gave shapes.
int ReadPageFile(const CString& path, PlotShapeList& list);

// Resume decisions on a machine folder. Job paths compare exactly (Linux names are
// case-sensitive). Each answers 1 with the page and the job's page count, or 0.
// The page a job resumes at: the page last started, or the next one when it was finished;
// only when the folder holds this job and the page exists (0 <= page < page count). A missing
// folder is created (nothing to resume then).
int FindResumePage(const CString& folder, const CString& jobPath, int32_t& page, int32_t& pageCount);
// Whether a chosen page of this job can be read from the folder (0 <= page < page count).
int CheckJobPage(const CString& folder, const CString& jobPath, int32_t page, int32_t& pageCount);
// The job a machine was cutting when it stopped, and its page as FindResumePage counts it (page
// 0 when no page was started); 0 when the folder holds no job or its last page was finished.
int FindInterruptedJob(const CString& folder, CString& jobPath, int32_t& page, int32_t& pageCount);

// Removes the folder's resume state: "PrintFileInfo.txt" first (without it nothing resumes),
// then "TaskStartInfo.txt", both CutState files and the page files from page 0 up to the
// first one missing. For a start that failed after it paginated: its files must not list the
// job as interrupted at the next start.
void RemoveResumeState(const CString& folder);
