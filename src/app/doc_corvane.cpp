// CDocCorvane: the job list and the operations that find and list jobs.
#include "app/doc_corvane.h"

#include "app/job_preparation.h"
#include "app/list_rows.h"
#include "app/print_task.h"
#include "machinelink/net_machine.h"
#include "platform/settings_store.h"

CDocCorvane::CDocCorvane(CUDPServer& server) : server_(server)
{
    sortCuts = GetProfileInt(u"FileSetting", u"SortCut", 1);
}

CDocCorvane::~CDocCorvane()
{
    // The workers own what they work on; each is cancelled and waited for.
    for (auto& [key, preparation] : preparations_) preparation->Cancel();
    preparations_.clear();
    jobList_.Clear();
}

void CDocCorvane::SetListRows(JobListRows* jobRows, MachineListRows* machineRows)
{
    jobRows_ = jobRows;
    machineRows_ = machineRows;
}

int CDocCorvane::AddJobToList(CPrintTask* job, int row)
{
    if (job == nullptr || !CFile::GetStatus(job->path.GetString(), job->fileStatus))
        return 0;
    jobList_.AddTail(job);
    if (machineRows_ != nullptr)
        if (const NET_Machine* current = machineRows_->GetCheckedMachine())
            job->machine = current->ip;
    if (jobRows_ != nullptr) {
        const int inserted = jobRows_->InsertJobRow(row, job->path, job);
        jobRows_->FormatJobRow(inserted, -1);
    }
    return 1;
}

CPrintTask* CDocCorvane::FindJobByPath(const CString& path) const
{
    for (OL_Object* o = jobList_.GetHead(); o != nullptr; o = jobList_.GetNext(o)) {
        auto* job = static_cast<CPrintTask*>(o);
        if (job->path == path)
            return job;
    }
    return nullptr;
}

CPrintTask* CDocCorvane::FindJobByReference(uint32_t jobRef) const
{
    if (jobRef == 0)
        return nullptr;
    for (OL_Object* o = jobList_.GetHead(); o != nullptr; o = jobList_.GetNext(o)) {
        auto* job = static_cast<CPrintTask*>(o);
        if (job->jobRef == jobRef)
            return job;
    }
    return nullptr;
}

bool CDocCorvane::IsJobListed(const CPrintTask* job) const
{
    return job != nullptr && job->GetStoredIn() == &jobList_;
}
