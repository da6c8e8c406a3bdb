// The texts of the job and machine lists: column texts, the lines that echo each row to the
// upload clients, and the check-box rules of both lists, as pure functions over plain values.
//
// A line is built from the texts a row holds (a row's cells change only when written), so a
// client sees what the operator sees. Lines travel as UTF-16 through
// CTCPServer1::SendToAllClientW.
#pragma once

#include "platform/cstring.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

class CPrintTask;
class NET_Machine;

// Both lists have five columns.
inline constexpr int kListColumnCount = 5;
using ListRowTexts = std::array<CString, kListColumnCount>;

// Columns of the job list.
namespace JobColumn {
inline constexpr int kFile = 0;
inline constexpr int kMachine = 1;
inline constexpr int kSize = 2;
inline constexpr int kState = 3;
inline constexpr int kCopies = 4;
}  // namespace JobColumn

// Kind letters of the list lines.
inline constexpr char16_t kLineInserted = u'i';
inline constexpr char16_t kLineUpdated = u'u';
inline constexpr char16_t kLineDeleted = u'd';
inline constexpr char16_t kLineSwapped = u's';

// Caller values of a job line: from the document and the frame, and after a check-box change.
inline constexpr int kLineValueDocument = -1;
inline constexpr int kLineValueCheckChange = 0;

// The lines that start a full list for a new client; a line of kind 'i' per row follows each.
inline constexpr const char16_t* kJobListStartLine = u"<FILEc>";
inline constexpr const char16_t* kMachineListStartLine = u"<MACHc>";

// The cells FormatJobRow writes for one selector: the texts of the columns it writes (absent:
// the cell keeps its text), and whether the check box is set from the job's checked flag.
struct JobRowCells {
    std::array<std::optional<CString>, kListColumnCount> texts;
    bool writesCheck = false;
};

// Builds the cells of selector for task: 0 the path and the check box, 1 the machine, 2 the
// size, 3 the state, 4 copies and pages; any other value all five and the check box.
JobRowCells FormatJobRowCells(const CPrintTask& task, int selector);

// The machine column: the assigned machine key (network order) as a dotted address; "" for 0.
CString JobMachineText(uint32_t machineKey);
// The size column: "%d*%d" of width and height in mm.
CString JobSizeText(int32_t widthMm, int32_t heightMm);
// The state column: the run state's word, ":", the percent with two decimals and "%". A full
// row shows an idle job's resume mark instead of its progress; an idle job whose last start
// was refused shows the reason instead of a percent.
CString JobStateText(const CPrintTask& task, bool fullRow);
// The copies column: "%d/%d" of copies done and copies, then "-{P%d/%d}" of page index and
// page count when the job has pages.
CString JobCopiesText(int32_t copiesDone, int32_t copies, int32_t pageIndex, int32_t pageCount);

// "<FILE" kind check,value,row "|" and the five texts joined by "|", closed by ">"; a deleted
// row's line carries column 0 only.
CString JobStateLine(char16_t kind, int checkState, int callerValue, int row, const ListRowTexts& texts);
// Appends the line of a row that traded places with otherRow: "<FILEs" check,otherRow,row and
// the row's five texts.
void BuildJobSwapLine(int checkState, int otherRow, int row, const ListRowTexts& texts, CString& text);
// Appends "<FILEa,%d>" with the directory-printing flag as 1 or 0.
void AppendJobCountLine(int flag, CString& text);

// Applies an operator's switch of a job row's check box to its job: the checked flag follows
// the box, and a job that becomes checked without a machine gets checkedMachineKey (0: none).
// True when the job's machine changed, so its machine column needs writing.
bool ApplyJobCheckChange(CPrintTask& task, bool checked, uint32_t checkedMachineKey);

// The machine list's state word: "OFF" offline, "Run" printing, "暂停" paused, else "ON".
CString MachineStateText(uint8_t online, int32_t jobState);
// The five texts of a machine's row: IP, state, MAC, ID and version. The caller holds the
// machine-link lock.
ListRowTexts MachineColumnTexts(const NET_Machine& machine);
// "<MACH" kind check,row "|" and the five texts joined by "|", closed by ">"; a deleted row's
// line carries column 0 only.
CString MachineStateLine(char16_t kind, int checkState, int row, const ListRowTexts& texts);

// Applies the machine list's single-check rule after the check box of changedRow switched:
// checks holds every row's state (0 or 1) after the switch and receives the states the rule
// leaves. A row that became checked unchecks every other row; the only row of the list, when
// unchecked, is checked again. A row out of range changes nothing.
void ApplyMachineCheckRule(std::span<int32_t> checks, int changedRow);
