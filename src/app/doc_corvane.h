// CDocCorvane: the program's one document: the job list, the views' rows it works on, and the
// job and machine operations of the job list.
#pragma once

#include "geometry/ol_list.h"
#include "platform/cstring.h"

#include <cstdint>

class CPrintTask;
class CUDPServer;
class JobListRows;
class MachineListRows;
class NET_Machine;
class PlotShapeList;

class CDocCorvane {
public:
    // Works on server's machines; reads the sort-cuts setting.
    explicit CDocCorvane(CUDPServer& server);
    // Destroys every listed job.
    ~CDocCorvane();
    CDocCorvane(const CDocCorvane&) = delete;
    CDocCorvane& operator=(const CDocCorvane&) = delete;

    CUDPServer& GetServer() { return server_; }
    // The rows of the job list and machine list views (null until the views exist).
    void SetListRows(JobListRows* jobRows, MachineListRows* machineRows);
    JobListRows* GetJobRows() const { return jobRows_; }
    MachineListRows* GetMachineRows() const { return machineRows_; }

    // Lists job with a row at index row (at the end when row < 0 or above the row count),
    // assigned to the current machine when one is checked: 1 when listed; 0 when job is null
    // or its file has no status. The list owns the job from then on.
    int AddJobToList(CPrintTask* job, int row);
    // The first listed job whose path equals path exactly, or null.
    CPrintTask* FindJobByPath(const CString& path) const;
    // The listed job of this nonzero reference, or null (a machine's job reference may name
    // a job that has left the list meanwhile).
    CPrintTask* FindJobByReference(uint32_t jobRef) const;
    // Whether job is still in the job list.
    bool IsJobListed(const CPrintTask* job) const;

    // The job list; owns its jobs.
    OL_List& GetJobList() { return jobList_; }

    // ---- dispatching jobs to machines ----

    // Prepares one page of task and hands it to machine, then starts it: 1 when started, 0
    // when refused. wholeJob nonzero paginates afresh; else page < 0 resumes the machine's
    // interrupted page (or paginates when there is none) and page >= 0 cuts that page.
    int DispatchJobToMachine(CPrintTask* task, NET_Machine* machine, int wholeJob, int page);
    // The start command: resumes the selected (else checked) machine inside its job, or starts
    // the first selected job that is not running on it.
    void StartCurrentMachine();
    // The same for the machine and job of the given rows (a remote client's start).
    void StartMachineRow(int machineRow, int jobRow);
    // Dispatches the first checked job with copies left, not running, unassigned or assigned
    // to machine; 1 when one was started.
    int DispatchFirstCheckedJob(NET_Machine* machine);
    // The same, searching from the row after afterTask's.
    int DispatchNextCheckedJob(NET_Machine* machine, CPrintTask* afterTask);
    // The machine asked for a job: the first selected job not running, request value value
    // (1 for 0).
    void OnMachineJobRequest(NET_Machine* machine, int value);
    // The machine's start key: its job's next page, or the next job.
    void OnMachineStartKey(NET_Machine* machine);
    // Cuts the job of a row again from its first page, or one page of it.
    void RecutJob(int row);
    void CutJobPage(int row, int page);
    // The automatic pass of the 2000 ms timer: tells machines whether work waits and starts
    // the jobs waiting for them.
    void AutoDispatchJobs();

    // ---- resuming from a machine's state folder ----

    // The page at which task resumes on machine, read into list; -1 when none.
    int ResumeJobFromPages(CPrintTask& task, NET_Machine& machine, PlotShapeList& list);
    // Page page of task from machine's folder, read into list; -1 when it cannot be read.
    int LoadJobPage(CPrintTask& task, NET_Machine& machine, int page, PlotShapeList& list);
    // Lists (or marks) the job machine was cutting when it stopped, at its page.
    void ResumeInterruptedJob(NET_Machine& machine);

    // 1: the dispatcher orders the knife cuts by loops ("FileSetting"/"SortCut", default 1).
    int32_t sortCuts = 1;

private:
    // Sets task's machine and the machine's request value, refreshes the job's IP column and
    // dispatches it from its resume point (or fresh); requestValue < 0 keeps the request.
    int StartJobOnMachine(CPrintTask* task, NET_Machine* machine, int requestValue);
    // The first checked job from row first on that can go to machine, or null.
    CPrintTask* FindCheckedJobFor(const NET_Machine& machine, int first) const;
    // Refreshes the columns of task's row (column -1: all).
    void RefreshJobRow(const CPrintTask& task, int column);
    // Sends the line of task's row, of kind 'i', 'u' or 'd', to every upload client.
    void SendJobLine(char16_t kind, const CPrintTask& task);
    // The machine of the selected machine row, else of the checked one.
    NET_Machine* SelectedOrCheckedMachine() const;
    // Reads page of task from machine's folder into list when it is a page of the job there.
    int ReadJobPage(CPrintTask& task, const CString& folder, int32_t page, int32_t pageCount, PlotShapeList& list);

    CUDPServer& server_;
    OL_List jobList_;
    JobListRows* jobRows_ = nullptr;
    MachineListRows* machineRows_ = nullptr;
};
