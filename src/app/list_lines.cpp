// The column texts, client lines and check-box rules of the job and machine lists.
#include "app/list_lines.h"

#include "app/dispatch_refusal.h"
#include "app/print_task.h"
#include "app/string_table.h"
#include "machinelink/net_machine.h"

#include <arpa/inet.h>

namespace {

// Run states of a job beyond CPrintTask's idle, running and paused.
constexpr int32_t kRunReversing = 3;
constexpr int32_t kRunPausedToo = 4;

// The word of a run state; an idle job with a resume mark can be resumed.
CString RunStateWord(int32_t runState, double resumeMark)
{
    switch (runState) {
    case CPrintTask::kIdle: return LoadResString(resumeMark > 0 ? StringId::kJobResumable : StringId::kJobStopped);
    case CPrintTask::kRunning: return LoadResString(StringId::kJobPrinting);
    case CPrintTask::kPaused:
    case kRunPausedToo: return LoadResString(StringId::kPaused);
    case kRunReversing: return LoadResString(StringId::kJobReversing);
    default: return CString();
    }
}

// Appends "|" and each text from the first, then ">".
void AppendColumns(const ListRowTexts& texts, int count, CString& line)
{
    for (int i = 0; i < count; ++i) {
        line += u'|';
        line += texts[static_cast<size_t>(i)];
    }
    line += u'>';
}

// Columns a line carries: all five, or column 0 alone for a deleted row.
int LineColumns(char16_t kind) { return kind == kLineDeleted ? 1 : kListColumnCount; }

}  // namespace

CString JobMachineText(uint32_t machineKey)
{
    if (machineKey == 0) return CString();
    in_addr address{};
    address.s_addr = machineKey;
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address, text, sizeof text);
    return CString(text);
}

CString JobSizeText(int32_t widthMm, int32_t heightMm)
{
    CString text;
    text.Format(u"%d*%d", widthMm, heightMm);
    return text;
}

CString JobStateText(const CPrintTask& task, bool fullRow)
{
    const bool showsResumeMark = fullRow && task.runState == CPrintTask::kIdle && task.resumeMark > 0;
    CString text = RunStateWord(task.runState, task.resumeMark);
    // An idle job whose last start was refused says why instead of a percent.
    if (task.runState == CPrintTask::kIdle && task.dispatchRefusal != DispatchRefusal::kNone) {
        text += u':';
        text += LoadResString(DispatchRefusalStringId(task.dispatchRefusal));
        return text;
    }
    text.AppendFormat(u":%.2f", showsResumeMark ? task.resumeMark : task.progressPercent);
    text += u'%';
    return text;
}

CString JobCopiesText(int32_t copiesDone, int32_t copies, int32_t pageIndex, int32_t pageCount)
{
    CString text;
    text.Format(u"%d/%d", copiesDone, copies);
    if (pageCount > 0) text.AppendFormat(u"-{P%d/%d}", pageIndex, pageCount);
    return text;
}

JobRowCells FormatJobRowCells(const CPrintTask& task, int selector)
{
    const bool fullRow = selector < JobColumn::kFile || selector > JobColumn::kCopies;
    auto writes = [&](int column) { return fullRow || selector == column; };
    JobRowCells cells;
    cells.writesCheck = writes(JobColumn::kFile);
    if (writes(JobColumn::kFile)) cells.texts[JobColumn::kFile] = task.GetPath();
    // A full row writes the machine column even without a machine: after two rows traded
    // jobs the cell would otherwise keep, and echo, the other job's address.
    if (writes(JobColumn::kMachine)) cells.texts[JobColumn::kMachine] = JobMachineText(task.machine);
    if (writes(JobColumn::kSize)) cells.texts[JobColumn::kSize] = JobSizeText(task.widthMm, task.heightMm);
    if (writes(JobColumn::kState)) cells.texts[JobColumn::kState] = JobStateText(task, fullRow);
    if (writes(JobColumn::kCopies)) {
        cells.texts[JobColumn::kCopies] = JobCopiesText(task.copiesDone, task.copies, task.pageIndex, task.pageCount);
    }
    return cells;
}

CString JobStateLine(char16_t kind, int checkState, int callerValue, int row, const ListRowTexts& texts)
{
    CString line;
    line.Format(u"<FILE%c%d,%d,%d", kind, checkState != 0 ? 1 : 0, callerValue, row);
    AppendColumns(texts, LineColumns(kind), line);
    return line;
}

void BuildJobSwapLine(int checkState, int otherRow, int row, const ListRowTexts& texts, CString& text)
{
    CString line;
    line.Format(u"<FILE%c%d,%d,%d", kLineSwapped, checkState != 0 ? 1 : 0, otherRow, row);
    AppendColumns(texts, kListColumnCount, line);
    text += line;
}

void AppendJobCountLine(int flag, CString& text) { text.AppendFormat(u"<FILEa,%d>", flag != 0 ? 1 : 0); }

bool ApplyJobCheckChange(CPrintTask& task, bool checked, uint32_t checkedMachineKey)
{
    task.SetChecked(checked ? 1 : 0);
    if (!checked || task.machine != 0 || checkedMachineKey == 0) return false;
    task.machine = checkedMachineKey;
    return true;
}

CString MachineStateText(uint8_t online, int32_t jobState)
{
    if (!online) return LoadResString(StringId::kMachineOff);
    if (jobState == kJobPrinting) return LoadResString(StringId::kMachineRunning);
    if (jobState == kJobPaused) return LoadResString(StringId::kPaused);
    return LoadResString(StringId::kMachineOn);
}

ListRowTexts MachineColumnTexts(const NET_Machine& machine)
{
    ListRowTexts texts;
    machine.GetIP(texts[0]);
    texts[1] = MachineStateText(machine.online, machine.jobState);
    machine.GetMAC(texts[2]);
    machine.GetID(texts[3]);
    texts[4] = machine.GetVersionText();
    return texts;
}

CString MachineStateLine(char16_t kind, int checkState, int row, const ListRowTexts& texts)
{
    CString line;
    line.Format(u"<MACH%c%d,%d", kind, checkState != 0 ? 1 : 0, row);
    AppendColumns(texts, LineColumns(kind), line);
    return line;
}

void ApplyMachineCheckRule(std::span<int32_t> checks, int changedRow)
{
    if (changedRow < 0 || static_cast<size_t>(changedRow) >= checks.size()) return;
    int32_t& changed = checks[static_cast<size_t>(changedRow)];
    if (changed != 0) {
        for (int32_t& other : checks) other = 0;
        changed = 1;
    } else if (checks.size() == 1) {
        changed = 1;
    }
}
