// CDocCorvane's job dispatcher: the road from the job list to a machine, and the start
// commands and automatic pass that take it.
//
// The machine-table lock is held only while the machine record is read or written, never
// across pagination or preparation, which may take long and would stall the link thread.
// What the first checks found is checked again under the lock just before the hand-over.
#include "app/doc_corvane.h"

#include "app/config_globals.h"
#include "app/job_geometry.h"
#include "app/list_rows.h"
#include "app/pagination.h"
#include "app/print_task.h"
#include "app/resume_state.h"
#include "app/string_table.h"
#include "app/udp_server.h"
#include "machinelink/machine_globals.h"
#include "machinelink/machine_protocol.h"
#include "machinelink/net_machine.h"
#include "platform/message_box.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "plotmodel/plot_shape_list.h"

#include <climits>
#include <memory>

namespace {

// A hand-over the machine has not taken protects the machine this long from a second one.
constexpr TickMs kHandOverGuardMs = 1500;
constexpr uint8_t kCommandText = 0;
constexpr uint8_t kCommandWorkWaiting = 19;
constexpr uint8_t kWorkWaitingBit = 2;
constexpr uint8_t kWorkWaitingTold = 3;
constexpr uint8_t kMaxJetLevel = 2;
constexpr int kFirstPagedFirmware = 5;
constexpr uint8_t kManualStartKindBit = 0x02;
constexpr char kStartText[] = "f2;";
constexpr char kResumeText[] = "f0;";

int PostText(CUDPServer& server, uint32_t key, const char* text, int length)
{
    return server.PostMachineCommand(key, kCommandText, reinterpret_cast<const uint8_t*>(text), length);
}

// Whether the machine can take a hand-over now; the caller holds the lock.
bool CanHandOver(NET_Machine& machine, TickMs now)
{
    if (!machine.online) return false;
    if (machine.task.HasWaitingJob() && now - machine.task.GetStampMs() < kHandOverGuardMs) return false;
    return !machine.task.IsTaken();
}

uint8_t JetLevelOf(int32_t levelIndex)
{
    const uint8_t level = static_cast<uint8_t>(levelIndex & 0xFF);
    return level > kMaxJetLevel ? 0 : level;
}

}  // namespace

NET_Machine* CDocCorvane::SelectedOrCheckedMachine() const
{
    if (machineRows_ == nullptr) return nullptr;
    if (NET_Machine* selected = machineRows_->GetSelectedItemData()) return selected;
    return machineRows_->GetCheckedMachine();
}

int CDocCorvane::DispatchJobToMachine(CPrintTask* task, NET_Machine* machine, int wholeJob, int page)
{
    if (task == nullptr || machine == nullptr) return 0;
    CSingleLock lock(&server_.GetLock());
    PageMachineValues pageValues;
    CString folder;
    lock.Lock();
    const bool online = machine->online != 0;
    const uint32_t key = machine->ip;
    lock.Unlock();
    if (!online) return 0;
    if (!task->IsTaskLoaded() && !task->LoadPrintTaskFile()) return 0;
    lock.Lock();
    if (!CanHandOver(*machine, MonotonicMs()) || task->GetCutList() == nullptr) return 0;
    pageValues = ReadPageMachineValues(*machine);
    folder = GetMachineStateFolder(*machine);
    lock.Unlock();

    PlotShapeList pageShapes;
    int pageIndex = kPaginationFailed;
    bool saved = true;
    if (wholeJob) {
        pageIndex = PaginateJob(*task, pageValues, folder, pageShapes, saved);
    } else if (page < 0) {
        pageIndex = ResumeJobFromPages(*task, *machine, pageShapes);
        if (pageIndex < 0) pageIndex = PaginateJob(*task, pageValues, folder, pageShapes, saved);
    } else {
        pageIndex = LoadJobPage(*task, *machine, page, pageShapes);
    }
    if (pageIndex == kPaginationFailed && !saved) AfxMessageBox(LoadResString(StringId::kPagesNotSaved));
    if (pageIndex < 0 || pageShapes.Count() == 0) return 0;
    RefreshJobRow(*task, -1);

    SetWarmUpLines(pageIndex == 0 || AllPagesHaveWarmupLine ? WarmUpLine : -1);
    const bool stateSaved = WriteTaskStartInfo(folder, pageIndex, 0, 0, 0, 0) && WriteCutState(folder, 0);
    // Without its pages or state on disk every next-page dispatch of a job of several pages
    // would cut its first page again: such a job is refused and the operator told.
    if (!stateSaved && task->pageCount > 1) {
        AfxMessageBox(LoadResString(StringId::kPagesNotSaved));
        return 0;
    }

    auto A = std::make_unique<PlotShapeCutList>();
    auto B = std::make_unique<PlotShapeCutList>();
    lock.Lock();
    const PrepareMachineValues prepareValues = ReadPrepareMachineValues(*machine);
    lock.Unlock();
    Limit_PARAM range;
    int32_t clipOffset = 0;
    JetTaskValues jet;
    if (!PrepareJobGeometry(*A, *B, pageShapes, prepareValues, sortCuts, *machine, server_.GetLock(), range,
                            clipOffset, jet))
        return 0;

    auto preview = std::make_unique<PlotShapeCutList>();
    *preview = *B;
    preview->MirrorByX(static_cast<int32_t>(prepareValues.xRangeMm * 2.0 * 40.0 * prepareValues.xScale));
    preview->Scale(static_cast<float>(1.0 / (2.0 * prepareValues.xScale)),
                   static_cast<float>(1.0 / (2.0 * prepareValues.yScale)));
    PlotShapeCutList*& slot = task->listsSwapped ? task->jobList : task->previewList;
    delete slot;
    slot = preview.release();

    lock.Lock();
    // The machine may have taken another job while this page was prepared.
    if (!CanHandOver(*machine, MonotonicMs()) || !machine->task.SetData(A.get(), task->jobRef, B.get())) return 0;
    A.release();
    B.release();
    // The raster state is stored only now: a refused hand-over must leave a running job's alone.
    StoreJetTaskValues(jet, machine->task);
    machine->task.nextPageIndex = pageIndex < task->pageCount - 1 ? pageIndex + 1 : 0;
    const uint8_t jetLevel = machine->task.jetLevel;
    lock.Unlock();

    server_.SendJetHeadConfig(machine);
    server_.SendJetSpeedParams(machine, jetLevel);
    server_.SendJetRangeCommand(machine, static_cast<uint16_t>(range.limit2), static_cast<uint16_t>(range.limit3),
                                static_cast<uint16_t>(range.limit0), static_cast<uint16_t>(range.limit1));
    PostText(server_, key, kStartText, 3);

    lock.Lock();
    machine->SetEndWithD100(0);
    machine->workWaiting = 0;
    return 1;
}

int CDocCorvane::StartJobOnMachine(CPrintTask* task, NET_Machine* machine, int requestValue)
{
    {
        CSingleLock hold(&server_.GetLock(), TRUE);
        task->machine = machine->ip;
        if (requestValue >= 0) machine->task.requestValue3 = static_cast<int16_t>(requestValue);
    }
    RefreshJobRow(*task, 1);
    return DispatchJobToMachine(task, machine, 0, -1);
}

void CDocCorvane::StartMachineRow(int machineRow, int jobRow)
{
    if (machineRows_ == nullptr || jobRows_ == nullptr) return;
    NET_Machine* machine = machineRows_->GetRowMachine(machineRow);
    if (machine == nullptr) return;
    CSingleLock lock(&server_.GetLock(), TRUE);
    if (!machine->online) return;
    if (machine->task.IsTaken()) {
        // Paused inside a job: the jet side is configured again and the machine resumes.
        Limit_PARAM range;
        machine->GetJetInfo(machine->task.headPositions, machine->task.nozzleRanges);
        machine->task.jetLevel = JetLevelOf(machine->motionSource.interpolator.jetLevelIndex);
        const uint8_t level = machine->task.jetLevel;
        if (machine->task.bandTrigger == INT_MAX)
            machine->GetLimitLast(range, machine->task.bandValue2, machine->task.bandValue1, level);
        else
            machine->GetLimit(range, machine->task.bandValue2, level);
        lock.Unlock();
        server_.SendJetHeadConfig(machine);
        server_.SendJetSpeedParams(machine, level);
        server_.SendJetRangeCommand(machine, static_cast<uint16_t>(range.limit2),
                                    static_cast<uint16_t>(range.limit3), static_cast<uint16_t>(range.limit0),
                                    static_cast<uint16_t>(range.limit1));
        PostText(server_, machine->ip, kResumeText, 3);
        return;
    }
    if (machine->jobState != kJobIdle) return;
    lock.Unlock();
    CPrintTask* task = jobRows_->GetRowJob(jobRow);
    if (task == nullptr || task->runState != CPrintTask::kIdle) return;
    StartJobOnMachine(task, machine, 0);
}

void CDocCorvane::StartCurrentMachine()
{
    if (machineRows_ == nullptr || jobRows_ == nullptr) return;
    NET_Machine* machine = SelectedOrCheckedMachine();
    const int machineRow = machineRows_->FindMachineRow(machine);
    if (machineRow < 0) return;
    int jobRow = -1;
    const CArray<int32_t> selected = jobRows_->GetSelectedRows();
    for (int i = 0; i < selected.GetSize() && jobRow < 0; ++i) {
        const CPrintTask* task = jobRows_->GetRowJob(selected[i]);
        if (task != nullptr && task->runState == CPrintTask::kIdle) jobRow = selected[i];
    }
    StartMachineRow(machineRow, jobRow);
}

void CDocCorvane::OnMachineJobRequest(NET_Machine* machine, int value)
{
    if (machine == nullptr || jobRows_ == nullptr) return;
    {
        CSingleLock hold(&server_.GetLock(), TRUE);
        if (!machine->online || machine->task.IsTaken() || machine->jobState != kJobIdle) return;
    }
    const CArray<int32_t> selected = jobRows_->GetSelectedRows();
    for (int i = 0; i < selected.GetSize(); ++i) {
        CPrintTask* task = jobRows_->GetRowJob(selected[i]);
        if (task != nullptr && task->runState == CPrintTask::kIdle) {
            StartJobOnMachine(task, machine, value != 0 ? value : 1);
            return;
        }
    }
}

CPrintTask* CDocCorvane::FindCheckedJobFor(const NET_Machine& machine, int first) const
{
    if (jobRows_ == nullptr) return nullptr;
    for (int row = first < 0 ? 0 : first; row < jobRows_->GetRowCount(); ++row) {
        CPrintTask* task = jobRows_->GetRowJob(row);
        if (task != nullptr && task->checked && task->copiesDone < task->copies &&
            task->runState == CPrintTask::kIdle && (task->machine == 0 || task->machine == machine.ip))
            return task;
    }
    return nullptr;
}

int CDocCorvane::DispatchFirstCheckedJob(NET_Machine* machine)
{
    if (machine == nullptr) return 0;
    CPrintTask* task = FindCheckedJobFor(*machine, 0);
    return task != nullptr ? StartJobOnMachine(task, machine, -1) : 0;
}

int CDocCorvane::DispatchNextCheckedJob(NET_Machine* machine, CPrintTask* afterTask)
{
    if (machine == nullptr || jobRows_ == nullptr) return 0;
    const int row = jobRows_->FindJobRow(afterTask);
    if (row < 0) return 0;
    CPrintTask* task = FindCheckedJobFor(*machine, row + 1);
    return task != nullptr ? StartJobOnMachine(task, machine, -1) : 0;
}

void CDocCorvane::OnMachineStartKey(NET_Machine* machine)
{
    if (machine == nullptr) return;
    uint32_t jobRef = 0;
    {
        CSingleLock hold(&server_.GetLock(), TRUE);
        if (!machine->online || machine->jobState != kJobIdle || machine->task.IsTaken() ||
            machine->task.HasWaitingJob())
            return;
        jobRef = machine->task.GetPrtTaskPointer();
    }
    // The machine's job reference may name a job that has left the list meanwhile.
    CPrintTask* task = FindJobByReference(jobRef);
    if (task == nullptr) {
        if (FB_REPT_StartNextFile) DispatchFirstCheckedJob(machine);
        return;
    }
    if (FB_REPT_StartNextFile && task->copiesDone >= task->copies) {
        if (!DispatchNextCheckedJob(machine, task)) DispatchFirstCheckedJob(machine);
        return;
    }
    DispatchJobToMachine(task, machine, 0, -1);
}

void CDocCorvane::RecutJob(int row) { CutJobPage(row, -1); }

void CDocCorvane::CutJobPage(int row, int page)
{
    if (jobRows_ == nullptr) return;
    CPrintTask* task = jobRows_->GetRowJob(row);
    if (task == nullptr) return;
    NET_Machine* machine = nullptr;
    {
        CSingleLock hold(&server_.GetLock(), TRUE);
        machine = server_.FindMachineByKey(task->machine);
    }
    if (machine == nullptr) machine = SelectedOrCheckedMachine();
    if (machine == nullptr) return;
    {
        CSingleLock hold(&server_.GetLock(), TRUE);
        if (!machine->online || machine->jobState != kJobIdle || task->runState != CPrintTask::kIdle) return;
        machine->task.requestValue3 = 0;
    }
    const int started = page < 0 ? DispatchJobToMachine(task, machine, 1, -1) : DispatchJobToMachine(task, machine, 0, page);
    if (!started) return;
    task->machine = machine->ip;
    RefreshJobRow(*task, 1);
}

void CDocCorvane::AutoDispatchJobs()
{
    if (machineRows_ == nullptr) return;
    for (int row = 0; row < machineRows_->GetRowCount(); ++row) {
        NET_Machine* machine = machineRows_->GetRowMachine(row);
        if (machine == nullptr) continue;
        CSingleLock lock(&server_.GetLock(), TRUE);
        if (!machine->online || machine->task.IsTaken()) continue;
        const uint32_t key = machine->ip;

        // A paginated job waits for its next page; only a job still listed counts.
        if (machine->task.nextPageIndex > 0 && FindJobByReference(machine->task.GetPrtTaskPointer()) != nullptr) {
            machine->workWaiting |= kWorkWaitingBit;
            if (machine->workWaiting != kWorkWaitingTold) {
                machine->workWaiting = kWorkWaitingBit;
                lock.Unlock();
                server_.PostMachineCommandByte(key, kCommandWorkWaiting, kWorkWaitingBit);
                lock.Lock();
                machine->workWaiting = kWorkWaitingTold;
            }
            continue;
        }

        const bool current = machineRows_->GetCheckedMachine() == machine;
        CPrintTask* found = nullptr;
        if (jobRows_ != nullptr) {
            for (int jobRow = 0; jobRow < jobRows_->GetRowCount() && found == nullptr; ++jobRow) {
                CPrintTask* task = jobRows_->GetRowJob(jobRow);
                if (task != nullptr && task->checked && task->copiesDone < task->copies &&
                    task->runState == CPrintTask::kIdle && (task->machine == key || (task->machine == 0 && current)))
                    found = task;
            }
        }
        if (found != nullptr) {
            const bool manualStart = machine->firmwareVersion < kFirstPagedFirmware ||
                                     (machine->machineKind & kManualStartKindBit) != 0;
            if (manualStart && !machine->autoContinue) {
                machine->workWaiting |= kWorkWaitingBit;
            } else {
                machine->workWaiting &= static_cast<uint8_t>(~kWorkWaitingBit);
                lock.Unlock();
                StartJobOnMachine(found, machine, 0);
                lock.Lock();
            }
        } else {
            machine->workWaiting &= static_cast<uint8_t>(~kWorkWaitingBit);
        }
        // Runs after every search, so a machine that starts by hand hears that work waits.
        if (machine->workWaiting != kWorkWaitingTold && machine->workWaiting != 0) {
            const uint8_t value = machine->workWaiting & kWorkWaitingBit;
            machine->workWaiting = value;
            lock.Unlock();
            server_.PostMachineCommandByte(key, kCommandWorkWaiting, value);
            lock.Lock();
            if (machine->workWaiting != 0) machine->workWaiting = kWorkWaitingTold;
        }
    }
}
