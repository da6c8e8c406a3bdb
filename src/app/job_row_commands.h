// The job-row commands of the main frame: copies +1 and -1, and moving a row down or up.
//
// Each works on the first selected row of the job list, refreshes the rows it changed and
// echoes the change to every upload client (a 'u' line, or a swap line per moved row).
#pragma once

class JobListRows;

// Copies +1 (32817); 1 when a job row was selected.
int JobCopiesUp(JobListRows& rows);
// Copies -1 (32818), never below the copies done; 1 when the copies changed.
int JobCopiesDown(JobListRows& rows);
// Move down (32819) and up (32820): the row trades its job with its neighbour, which becomes
// selected; 1 when the rows traded, 0 on the last (first) row or without a selection.
int JobMoveDown(JobListRows& rows);
int JobMoveUp(JobListRows& rows);
