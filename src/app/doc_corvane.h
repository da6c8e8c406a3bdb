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

    // 1: the dispatcher orders the knife cuts by loops ("FileSetting"/"SortCut", default 1).
    int32_t sortCuts = 1;

private:
    CUDPServer& server_;
    OL_List jobList_;
    JobListRows* jobRows_ = nullptr;
    MachineListRows* machineRows_ = nullptr;
};
