// CDocCorvane's resume of interrupted jobs from a machine's state folder.
#include "app/doc_corvane.h"

#include "app/list_lines.h"
#include "app/list_rows.h"
#include "app/print_task.h"
#include "app/resume_state.h"
#include "app/udp_server.h"
#include "machinelink/net_machine.h"
#include "uploadserver/tcp_server1.h"

namespace {

// The machine's state folder, read under the lock.
CString StateFolderOf(CUDPServer& server, const NET_Machine& machine)
{
    CSingleLock hold(&server.GetLock(), TRUE);
    return GetMachineStateFolder(machine);
}

}  // namespace

void CDocCorvane::RefreshJobRow(const CPrintTask& task, int column)
{
    if (jobRows_ == nullptr) return;
    const int row = jobRows_->FindJobRow(&task);
    if (row >= 0) jobRows_->FormatJobRow(row, column);
}

void CDocCorvane::SendJobLine(char16_t kind, const CPrintTask& task)
{
    if (jobRows_ != nullptr) SendJobLine(kind, jobRows_->FindJobRow(&task));
}

void CDocCorvane::ResumeInterruptedJob(NET_Machine& machine)
{
    const CString folder = StateFolderOf(server_, machine);
    CString path;
    int32_t page = 0, pageCount = 0;
    // A folder whose last page was finished holds no interrupted job: nothing is listed, or
    // the finished job would be cut once more.
    if (!FindInterruptedJob(folder, path, page, pageCount)) return;
    uint32_t key = 0;
    {
        CSingleLock hold(&server_.GetLock(), TRUE);
        key = machine.ip;
    }
    const auto resumeAt = [&](CPrintTask& job) {
        job.listed = 1;
        job.checked = 1;
        job.pageCount = pageCount;
        job.pageIndex = page;
        job.machine = key;
    };
    if (CPrintTask* listed = FindJobByPath(path)) {
        resumeAt(*listed);
        listed->LoadPrintTaskFile();
        RefreshJobRow(*listed, -1);
        SendJobLine(kLineUpdated, *listed);
        return;
    }
    auto* job = new CPrintTask(path.GetString());
    resumeAt(*job);
    job->LoadPrintTaskFile();
    if (!AddJobToList(job, -1)) {
        delete job;
        return;
    }
    // Listing assigns the current machine; the job stays with the machine that cut it.
    job->machine = key;
    RefreshJobRow(*job, 1);
    SendJobLine(kLineInserted, *job);
}
