// The job-row commands over the job list rows and the list lines.
#include "app/job_row_commands.h"

#include "app/list_lines.h"
#include "app/list_rows.h"
#include "app/print_task.h"
#include "uploadserver/tcp_server1.h"

namespace {

// Sends text to every upload client.
void SendToClients(CString text) { CTCPServer1::SendToAllClientW(text, text.GetLength()); }

// Changes the copies of the selected row's job by delta; 1 when changed.
int ChangeCopies(JobListRows& rows, int delta)
{
    const int row = rows.GetSelectedIndex();
    CPrintTask* job = rows.GetRowJob(row);
    if (!job) return 0;
    if (delta < 0 && job->copies <= job->copiesDone) return 0;
    job->copies += delta;
    rows.FormatJobRow(row, JobColumn::kCopies);
    SendToClients(JobStateLine(kLineUpdated, rows.GetRowChecked(row), kLineValueDocument, row, rows.GetRowTexts(row)));
    return 1;
}

// Trades the selected row's job with the row offset away and sends the row's swap line; 1
// when traded.
int MoveRow(JobListRows& rows, int offset)
{
    const int row = rows.GetSelectedIndex();
    const int other = row + offset;
    if (row < 0 || other < 0 || other >= rows.GetRowCount()) return 0;
    CPrintTask* job = rows.GetRowJob(row);
    rows.SetRowJob(row, rows.GetRowJob(other));
    rows.SetRowJob(other, job);
    rows.FormatJobRow(row, -1);
    rows.FormatJobRow(other, -1);
    rows.SelectRow(other);
    CString text;
    BuildJobSwapLine(rows.GetRowChecked(row), other, row, rows.GetRowTexts(row), text);
    SendToClients(text);
    return 1;
}

}  // namespace

int JobCopiesUp(JobListRows& rows) { return ChangeCopies(rows, 1); }
int JobCopiesDown(JobListRows& rows) { return ChangeCopies(rows, -1); }
int JobMoveDown(JobListRows& rows) { return MoveRow(rows, 1); }
int JobMoveUp(JobListRows& rows) { return MoveRow(rows, -1); }
