// CDocCorvane: the job list and the operations that find and list jobs.
#include "app/doc_corvane.h"

#include "app/dispatch_refusal.h"
#include "app/list_lines.h"
#include "app/job_preparation.h"
#include "app/list_rows.h"
#include "app/preview_port.h"
#include "app/print_task.h"
#include "app/string_table.h"
#include "machinelink/net_machine.h"
#include "platform/message_box.h"
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

bool CDocCorvane::HasSelectedJob() const { return jobRows_ != nullptr && jobRows_->GetSelectedItemData() != nullptr; }

int CDocCorvane::LoadJob(CPrintTask* job)
{
    if (job == nullptr) return 0;
    if (job->IsTaskLoaded() || job->LoadPrintTaskFile()) {
        // A start refused for want of the load no longer stands.
        if (job->dispatchRefusal == DispatchRefusal::kNotLoaded) job->dispatchRefusal = DispatchRefusal::kNone;
        return 1;
    }
    ReportFailedLoad(job);
    return 0;
}

void CDocCorvane::ReportFailedLoad(CPrintTask* job)
{
    // The row and the clients learn of the failure before the message's own loop runs, in
    // which the job may leave the list.
    job->SetChecked(0);
    // The newest news of the job is this failed load: its row says so rather than the
    // refusal of an earlier start.
    job->dispatchRefusal = DispatchRefusal::kNone;
    const CString path = job->GetPath();
    const DispatchRefusal reason = job->loadRefusal;
    if (jobRows_ != nullptr) {
        const int row = jobRows_->FindJobRow(job);
        if (row >= 0) {
            jobRows_->FormatJobRow(row, -1);
            SendJobLine(kLineUpdated, row);
        }
    }
    if (preview_ != nullptr && preview_->GetShownJob() == job) preview_->Invalidate();
    TellLoadFailure(path, reason);
}

void CDocCorvane::TellLoadFailure(const CString& path, DispatchRefusal reason)
{
    CString text;
    text.Format(LoadResString(StringId::kJobLoadFailed).GetString(), path,
                LoadResString(DispatchRefusalStringId(reason)));
    AfxMessageBox(text, MB_OK | MB_ICONWARNING);
}
