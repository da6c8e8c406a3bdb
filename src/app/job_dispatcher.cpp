// CDocCorvane's job dispatcher: the road from the job list to a machine, and the start
// commands and automatic pass that take it.
//
// A dispatch runs in two halves on the GUI thread with a preparation worker between them:
// the checks and the copies of the job's shapes and the machine's values (read under the
// link lock), then, once the worker ended, the page's start state, the hand-over and the start
// commands. The machine-table lock is held only while the machine record is read or written,
// never while a page is prepared. What the first checks found is checked again under the
// lock just before the hand-over. Every refusal is told (TellDispatchRefusal).
#include "app/doc_corvane.h"

#include "app/config_globals.h"
#include "app/job_geometry.h"
#include "app/job_preparation.h"
#include "app/list_lines.h"
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
#include <utility>

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

// Why a machine cannot take a hand-over now; the caller holds the lock.
DispatchRefusal HandOverRefusal(NET_Machine& machine)
{
    return machine.online ? DispatchRefusal::kMachineBusy : DispatchRefusal::kMachineOffline;
}

// The file name of a job's path, for the operator's texts.
CString FileNameOf(const CString& path) { return path.Mid(path.ReverseFind(u'/') + 1); }

}  // namespace

NET_Machine* CDocCorvane::SelectedOrCheckedMachine() const
{
    if (machineRows_ == nullptr) return nullptr;
    if (NET_Machine* selected = machineRows_->GetSelectedItemData()) return selected;
    return machineRows_->GetCheckedMachine();
}

void CDocCorvane::TellDispatchRefusal(CPrintTask* task, DispatchRefusal reason)
{
    // Without a job (no row chosen) the reason is told alone.
    CString text = LoadResString(DispatchRefusalStringId(reason));
    if (task != nullptr) text.Format(LoadResString(StringId::kJobNotStarted).GetString(), FileNameOf(task->path), text);
    if (showStatusText) showStatusText(text);
    if (task == nullptr || task->dispatchRefusal == reason) return;
    task->dispatchRefusal = reason;
    RefreshJobRow(*task, JobColumn::kState);
    SendJobLine(kLineUpdated, *task);
}

bool CDocCorvane::IsMachineBeingPrepared(uint32_t machineKey) const { return preparations_.count(machineKey) != 0; }

bool CDocCorvane::IsJobBeingPrepared(const CPrintTask* job) const
{
    for (const auto& [key, preparation] : preparations_)
        if (job != nullptr && preparation->JobRef() == job->jobRef && job->jobRef != 0) return true;
    return false;
}

bool CDocCorvane::CancelPreparation(uint32_t machineKey)
{
    const auto found = preparations_.find(machineKey);
    if (found == preparations_.end()) return false;
    found->second->Cancel();
    return true;
}

bool CDocCorvane::CancelJobPreparation(const CPrintTask* job)
{
    bool found = false;
    for (auto& [key, preparation] : preparations_) {
        if (job == nullptr || job->jobRef == 0 || preparation->JobRef() != job->jobRef) continue;
        preparation->Cancel();
        found = true;
    }
    return found;
}

void CDocCorvane::ShowPreparationProgress(uint32_t machineKey)
{
    const auto found = preparations_.find(machineKey);
    if (found == preparations_.end()) return;
    JobPreparation& preparation = *found->second;
    preparation.ProgressShown();
    uint32_t stageText = 0;
    switch (preparation.Stage()) {
    case PreparationStage::kPaginating: stageText = StringId::kStagePaginating; break;
    case PreparationStage::kReadingPage: stageText = StringId::kStageReadingPage; break;
    case PreparationStage::kGeometry: stageText = StringId::kStageGeometry; break;
    case PreparationStage::kStarting:
    case PreparationStage::kFinished: return;
    }
    CString text;
    text.Format(LoadResString(StringId::kPreparationProgress).GetString(), FileNameOf(preparation.JobPath()),
                LoadResString(stageText), preparation.Percent());
    if (showStatusText) showStatusText(text);
}

int CDocCorvane::DispatchJobToMachine(CPrintTask* task, NET_Machine* machine, int wholeJob, int page)
{
    if (task == nullptr || machine == nullptr) return 0;
    CSingleLock lock(&server_.GetLock());
    lock.Lock();
    const bool online = machine->online != 0;
    const uint32_t key = machine->ip;
    lock.Unlock();
    const auto refuse = [&](DispatchRefusal reason) {
        TellDispatchRefusal(task, reason);
        return 0;
    };
    // One preparation per machine, and a job for one machine at a time.
    if (IsMachineBeingPrepared(key) || IsJobBeingPrepared(task)) return refuse(DispatchRefusal::kBeingPrepared);
    if (!online) return refuse(DispatchRefusal::kMachineOffline);
    if (!task->IsTaskLoaded() && !task->LoadPrintTaskFile()) return refuse(DispatchRefusal::kNotLoaded);

    auto input = std::make_unique<JobPreparationInput>();
    lock.Lock();
    if (!CanHandOver(*machine, MonotonicMs())) {
        const DispatchRefusal reason = HandOverRefusal(*machine);
        lock.Unlock();
        return refuse(reason);
    }
    if (task->GetCutList() == nullptr) {
        lock.Unlock();
        return refuse(DispatchRefusal::kNotLoaded);
    }
    input->pageValues = ReadPageMachineValues(*machine);
    input->prepareValues = ReadPrepareMachineValues(*machine);
    input->bandSource = CopyJetBandValues(*machine);
    input->folder = GetMachineStateFolder(*machine);
    lock.Unlock();
    // Pagination would never end on a width under one unit, and clipping would drop everything.
    if (input->pageValues.cutWidth < kMinCutWidth || input->pageValues.cutHeight < 1)
        return refuse(DispatchRefusal::kNoUsableWidth);

    input->machineKey = key;
    input->jobRef = task->jobRef;
    input->jobPath = task->path;
    input->edFile = task->edFile != 0;
    input->sortCuts = sortCuts;
    input->source = wholeJob ? PageSource::kPaginate : page < 0 ? PageSource::kResume : PageSource::kChosenPage;
    input->page = page;
    // The worker paginates its own copy: the job may change or go while it works.
    if (input->source != PageSource::kChosenPage) {
        input->jobShapes = std::make_unique<PlotShapeList>();
        *input->jobShapes = *task->GetCutList();
    }
    preparations_[key] = std::make_unique<JobPreparation>(std::move(input));
    return 1;
}

void CDocCorvane::ApplyFinishedPreparations()
{
    for (auto it = preparations_.begin(); it != preparations_.end();) {
        if (!it->second->IsFinished()) {
            ++it;
            continue;
        }
        std::unique_ptr<JobPreparation> preparation = std::move(it->second);
        it = preparations_.erase(it);
        ApplyPreparation(*preparation);
        // Applying may have started other preparations: look again from the start.
        it = preparations_.begin();
    }
}

void CDocCorvane::ApplyPreparation(JobPreparation& preparation)
{
    JobPreparationResult result = preparation.TakeResult();
    CPrintTask* task = FindJobByReference(preparation.JobRef());
    CSingleLock lock(&server_.GetLock());
    lock.Lock();
    NET_Machine* machine = server_.FindMachineByKey(preparation.MachineKey());
    const CString folder = machine != nullptr ? GetMachineStateFolder(*machine) : CString();
    lock.Unlock();
    // A failed start leaves nothing that would list its job as interrupted at the next start:
    // a pagination of its own is removed (a resumed or chosen page was the folder's already).
    const auto refuse = [&](DispatchRefusal reason) {
        if (result.paginated && machine != nullptr) RemoveResumeState(folder);
        if (task != nullptr) TellDispatchRefusal(task, reason);
    };
    if (task == nullptr || machine == nullptr) return refuse(DispatchRefusal::kCancelled);
    if (result.refusal != DispatchRefusal::kNone) {
        if (result.refusal == DispatchRefusal::kPagesNotSaved) AfxMessageBox(LoadResString(StringId::kPagesNotSaved));
        return refuse(result.refusal);
    }
    if (result.paginated) AdoptPagination(*task, result.pageCount);
    task->pageCount = result.pageCount;
    task->pageIndex = result.pageIndex;
    RefreshJobRow(*task, -1);

    const int pageIndex = result.pageIndex;
    SetWarmUpLines(pageIndex == 0 || AllPagesHaveWarmupLine ? WarmUpLine : -1);
    const bool stateSaved = WriteTaskStartInfo(folder, pageIndex, 0, 0, 0, 0) && WriteCutState(folder, 0);
    // Without its pages or state on disk every next-page dispatch of a job of several pages
    // would cut its first page again: such a job is refused and the operator told.
    if (!stateSaved && task->pageCount > 1) {
        AfxMessageBox(LoadResString(StringId::kPagesNotSaved));
        return refuse(DispatchRefusal::kPagesNotSaved);
    }

    PlotShapeCutList*& slot = task->listsSwapped ? task->jobList : task->previewList;
    delete slot;
    slot = result.preview.release();

    lock.Lock();
    // The machine may have taken another job while this page was prepared.
    if (!CanHandOver(*machine, MonotonicMs())) {
        const DispatchRefusal reason = HandOverRefusal(*machine);
        lock.Unlock();
        return refuse(reason);
    }
    if (!machine->task.SetData(result.jetList.get(), task->jobRef, result.motionList.get())) {
        lock.Unlock();
        return refuse(DispatchRefusal::kHandOverRefused);
    }
    result.jetList.release();
    result.motionList.release();
    // The raster state is stored only now: a refused hand-over must leave a running job's alone.
    StoreJetTaskValues(result.jet, machine->task);
    machine->task.nextPageIndex = pageIndex < task->pageCount - 1 ? pageIndex + 1 : 0;
    const uint8_t jetLevel = machine->task.jetLevel;
    const uint32_t key = machine->ip;
    lock.Unlock();

    const Limit_PARAM& range = result.range;
    server_.SendJetHeadConfig(machine);
    server_.SendJetSpeedParams(machine, jetLevel);
    server_.SendJetRangeCommand(machine, static_cast<uint16_t>(range.limit2), static_cast<uint16_t>(range.limit3),
                                static_cast<uint16_t>(range.limit0), static_cast<uint16_t>(range.limit1));
    PostText(server_, key, kStartText, 3);

    lock.Lock();
    machine->SetEndWithD100(0);
    machine->workWaiting = 0;
    lock.Unlock();
    if (showStatusText) showStatusText(CString());
    if (task->dispatchRefusal != DispatchRefusal::kNone) {
        task->dispatchRefusal = DispatchRefusal::kNone;
        RefreshJobRow(*task, JobColumn::kState);
        SendJobLine(kLineUpdated, *task);
    }
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
    CPrintTask* task = jobRows_->GetRowJob(jobRow);
    if (machine == nullptr) return TellDispatchRefusal(task, DispatchRefusal::kNoMachine);
    CSingleLock lock(&server_.GetLock(), TRUE);
    if (!machine->online) {
        lock.Unlock();
        return TellDispatchRefusal(task, DispatchRefusal::kMachineOffline);
    }
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
    const bool idle = machine->jobState == kJobIdle;
    lock.Unlock();
    if (task == nullptr || task->runState != CPrintTask::kIdle) return;
    if (!idle) return TellDispatchRefusal(task, DispatchRefusal::kMachineBusy);
    StartJobOnMachine(task, machine, 0);
}

void CDocCorvane::StartCurrentMachine()
{
    if (machineRows_ == nullptr || jobRows_ == nullptr) return;
    int jobRow = -1;
    const CArray<int32_t> selected = jobRows_->GetSelectedRows();
    for (int i = 0; i < selected.GetSize() && jobRow < 0; ++i) {
        const CPrintTask* task = jobRows_->GetRowJob(selected[i]);
        if (task != nullptr && task->runState == CPrintTask::kIdle) jobRow = selected[i];
    }
    NET_Machine* machine = SelectedOrCheckedMachine();
    const int machineRow = machineRows_->FindMachineRow(machine);
    if (machineRow < 0) return TellDispatchRefusal(jobRows_->GetRowJob(jobRow), DispatchRefusal::kNoMachine);
    StartMachineRow(machineRow, jobRow);
}

void CDocCorvane::OnMachineJobRequest(NET_Machine* machine, int value)
{
    if (machine == nullptr || jobRows_ == nullptr) return;
    {
        CSingleLock hold(&server_.GetLock(), TRUE);
        if (!machine->online || machine->task.IsTaken() || machine->jobState != kJobIdle) return;
        // A page being prepared for the machine is its answer.
        if (IsMachineBeingPrepared(machine->ip)) return;
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
            task->runState == CPrintTask::kIdle && (task->machine == 0 || task->machine == machine.ip) &&
            !IsJobBeingPrepared(task))
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
            machine->task.HasWaitingJob() || IsMachineBeingPrepared(machine->ip))
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
        // The pass waits for a page being prepared for the machine.
        if (IsMachineBeingPrepared(key)) continue;

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
                    task->runState == CPrintTask::kIdle && (task->machine == key || (task->machine == 0 && current)) &&
                    !IsJobBeingPrepared(task))
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
