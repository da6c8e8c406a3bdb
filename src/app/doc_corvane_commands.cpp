// CDocCorvane's job list commands: rows, copies, deletion, export, the machine commands of the
// operator and of remote clients, directory printing and the pending and work-waiting tests.
#include "app/doc_corvane.h"
#include "app/document_dialogs.h"
#include "app/list_lines.h"
#include "app/list_rows.h"
#include "app/preview_port.h"
#include "app/print_task.h"
#include "app/string_table.h"
#include "app/udp_server.h"
#include "geometry/int_truncation.h"
#include "machinelink/machine_messages.h"
#include "machinelink/machine_protocol.h"
#include "machinelink/net_machine.h"
#include "platform/file_dialog.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "uploadserver/tcp_server1.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

// Command code of the machine's text commands ("g0;", "b10,0;", "f3;" ...).
constexpr uint8_t kTextCommand = 0;
// Command code of the one-byte machine commands and its values.
constexpr uint8_t kByteCommand = 128;
constexpr uint8_t kByteZero = 1;
constexpr uint8_t kByteTestJet = 7;
// Command code that clears the work-waiting handshake.
constexpr uint8_t kWorkWaitingCommand = 19;
// The work-waiting byte after the link thread set it again during the clearing.
constexpr uint8_t kWorkWaitingAgain = 3;

bool IsPrintingOnline(const NET_Machine* machine)
{
    return machine != nullptr && machine->online && machine->jobState == kJobPrinting;
}

void SendToAllClients(CString line)
{
    if (!line.IsEmpty()) CTCPServer1::SendToAllClientW(line, line.GetLength());
}

// Adds delta to value, held within int32.
int32_t SaturatingAdd(int32_t value, int32_t delta) { return SaturateToInt32(static_cast<int64_t>(value) + delta); }

}  // namespace

PenModeSettings CDocCorvane::DefaultPenToolSettings()
{
    PenModeSettings settings;
    settings.penRole[2] = 3;
    settings.penRole[3] = 2;
    settings.penRole[4] = 1;
    settings.contourRole = 3;
    static constexpr COLORREF kPenColours[kPenModePenCount] = {
        RGB(0, 0, 0),     RGB(0, 0, 255),   RGB(0, 255, 0),     RGB(255, 0, 0),     RGB(123, 123, 123), RGB(233, 77, 0),
        RGB(233, 222, 0), RGB(1, 233, 152), RGB(0, 128, 64),    RGB(186, 2, 232),   RGB(2, 169, 232),   RGB(255, 255, 0)};
    static constexpr COLORREF kToolColours[kPenModeRoleCount] = {
        RGB(255, 0, 0), RGB(255, 255, 0), RGB(0, 0, 255), RGB(0, 255, 0), RGB(255, 0, 255), RGB(0, 255, 255)};
    std::copy(std::begin(kPenColours), std::end(kPenColours), settings.penColor);
    std::copy(std::begin(kToolColours), std::end(kToolColours), settings.roleColor);
    return settings;
}

bool CDocCorvane::HasSelectedMachine() const
{
    return machineRows_ != nullptr && machineRows_->GetSelectedItemData() != nullptr;
}

NET_Machine* CDocCorvane::PrintingMachineByKey(uint32_t key)
{
    NET_Machine* machine = key != 0 ? server_.FindMachineByKey(key) : nullptr;
    return IsPrintingOnline(machine) ? machine : nullptr;
}

void CDocCorvane::SendMachineText(const NET_Machine* machine, const char* text)
{
    server_.PostMachineCommand(machine->ip, kTextCommand, reinterpret_cast<const uint8_t*>(text),
                               static_cast<int>(std::strlen(text)));
}

void CDocCorvane::RemoveJob(CPrintTask* job)
{
    if (job == nullptr && jobRows_ != nullptr) job = jobRows_->GetSelectedItemData();
    if (!IsJobListed(job)) return;
    CancelJobPreparation(job);
    jobList_.GoOut(job);
    if (preview_ != nullptr && preview_->GetShownJob() == job) {
        preview_->ClearShownJob();
        preview_->Invalidate();
    }
    if (jobRows_ != nullptr) {
        const int row = jobRows_->FindJobRow(job);
        if (row >= 0) jobRows_->DeleteRow(row);
    }
    delete job;
}

int CDocCorvane::IsInAutoDirectory(const CString& path) const
{
    const int slash = path.ReverseFind(u'/');
    if (slash <= 0) return 0;
    CString folder = autoDirectory;
    folder.TrimRight(u'/');
    // Linux names are case-sensitive: "/Auto/x.plt" does not lie in "/auto", so it is not
    // deleted as an auto-directory file.
    return path.Left(slash) == folder ? 1 : 0;
}

void CDocCorvane::DeleteFileQuietly(const CString& path) { DeleteFile(path); }

int CDocCorvane::IsAcceptedJobFile(const CString& name)
{
    const int dot = name.ReverseFind(u'.');
    if (dot < 0) return 0;
    const CString extension = name.Mid(dot);
    const auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    if (extension.GetLength() == 4 && (extension[1] == u'P' || extension[1] == u'p') && isDigit(extension[2]) &&
        isDigit(extension[3]))
        return 1;
    static constexpr const char16_t* kFilterExtensions[] = {u".hpgl", u".dxf", u".prn", u".plt", u".pmd",
                                                            u".hpg",  u".prt", u".ctm", u".p*"};
    for (const char16_t* accepted : kFilterExtensions)
        if (extension.CompareNoCase(accepted) == 0) return 1;
    return 0;
}

int CDocCorvane::NoJobPending()
{
    if (jobRows_ == nullptr) return 1;
    CSingleLock lock(&server_.GetLock(), TRUE);
    NET_Machine* current = machineRows_ != nullptr ? machineRows_->GetCheckedMachine() : nullptr;
    for (int row = 0; row < jobRows_->GetRowCount(); ++row) {
        const CPrintTask* job = jobRows_->GetRowJob(row);
        if (job == nullptr || !job->checked || job->copies <= job->copiesDone) continue;
        if (job->runState != CPrintTask::kIdle) return 0;
        NET_Machine* machine = job->machine != 0 ? server_.FindMachineByKey(job->machine) : current;
        if (machine != nullptr && machine->online && (machine->task.IsTaken() || machine->task.HasWaitingJob()))
            return 0;
    }
    return 1;
}

void CDocCorvane::ClearWorkWaiting()
{
    if (machineRows_ == nullptr) return;
    CSingleLock lock(&server_.GetLock(), FALSE);
    for (int row = 0; row < machineRows_->GetRowCount(); ++row) {
        NET_Machine* machine = machineRows_->GetRowMachine(row);
        if (machine == nullptr) continue;
        lock.Lock();
        const bool clear = machine->online && !machine->task.IsTaken() && machine->workWaiting != 0;
        if (clear) machine->workWaiting = 0;
        lock.Unlock();
        if (!clear) continue;
        server_.PostMachineCommandByte(machine->ip, kWorkWaitingCommand, 0);
        lock.Lock();
        if (machine->workWaiting != 0) machine->workWaiting = kWorkWaitingAgain;
        lock.Unlock();
    }
}

void CDocCorvane::SetDirectoryPrint(int value)
{
    directoryPrint = value != 0 ? 1 : 0;
    CString line;
    AppendJobCountLine(directoryPrint, line);
    SendToAllClients(line);
}

CString CDocCorvane::BuildJobLine(char16_t kind, int row, int callerValue) const
{
    if (jobRows_ == nullptr || row < 0 || row >= jobRows_->GetRowCount()) return CString();
    return JobStateLine(kind, jobRows_->GetRowChecked(row), callerValue, row, jobRows_->GetRowTexts(row));
}

void CDocCorvane::SendJobLine(char16_t kind, int row, int callerValue) const
{
    SendToAllClients(BuildJobLine(kind, row, callerValue));
}

void CDocCorvane::SendJobSwapLine(int row, int otherRow) const
{
    CString line;
    BuildJobSwapLine(jobRows_->GetRowChecked(row), otherRow, row, jobRows_->GetRowTexts(row), line);
    SendToAllClients(line);
}

void CDocCorvane::OnDirectoryPrint() { SetDirectoryPrint(directoryPrint ? 0 : 1); }

void CDocCorvane::OnIncreaseCopies()
{
    CPrintTask* job = jobRows_ != nullptr ? jobRows_->GetSelectedItemData() : nullptr;
    if (job == nullptr) return;
    job->copies = SaturatingAdd(job->copies, 1);
    jobRows_->FormatJobRow(jobRows_->GetSelectedIndex(), JobColumn::kCopies);
    SendJobLine(kLineUpdated, jobRows_->GetSelectedIndex());
}

void CDocCorvane::OnDecreaseCopies()
{
    CPrintTask* job = jobRows_ != nullptr ? jobRows_->GetSelectedItemData() : nullptr;
    if (job == nullptr || job->copies <= job->copiesDone) return;
    job->copies -= 1;
    jobRows_->FormatJobRow(jobRows_->GetSelectedIndex(), JobColumn::kCopies);
    SendJobLine(kLineUpdated, jobRows_->GetSelectedIndex());
}

void CDocCorvane::SwapRowJobs(int a, int b)
{
    CPrintTask* jobA = jobRows_->GetRowJob(a);
    jobRows_->SetRowJob(a, jobRows_->GetRowJob(b));
    jobRows_->SetRowJob(b, jobA);
    jobRows_->FormatJobRow(a, -1);
    jobRows_->FormatJobRow(b, -1);
}

void CDocCorvane::MoveRow(int from, int to)
{
    CPrintTask* job = jobRows_->GetRowJob(from);
    jobRows_->DeleteRow(from);
    const int row = jobRows_->InsertJobRow(to, job->path, job);
    jobRows_->FormatJobRow(row, -1);
    jobRows_->SelectRow(row);
}

void CDocCorvane::OnMoveJobDown()
{
    const int row = jobRows_ != nullptr ? jobRows_->GetSelectedIndex() : -1;
    if (row < 0 || row >= jobRows_->GetRowCount() - 1) return;
    SwapRowJobs(row, row + 1);
    jobRows_->SelectRow(row + 1);
    SendJobSwapLine(row, row + 1);
}

void CDocCorvane::OnMoveJobUp()
{
    const int row = jobRows_ != nullptr ? jobRows_->GetSelectedIndex() : -1;
    if (row <= 0) return;
    SwapRowJobs(row, row - 1);
    jobRows_->SelectRow(row - 1);
    SendJobSwapLine(row, row - 1);
}

void CDocCorvane::OnMoveJobToBottom()
{
    const int row = jobRows_ != nullptr ? jobRows_->GetSelectedIndex() : -1;
    const int last = jobRows_ != nullptr ? jobRows_->GetRowCount() - 1 : -1;
    if (row < 0 || row >= last) return;
    SendJobSwapLine(row, last);
    SwapRowJobs(row, last);
    jobRows_->SelectRow(last);
}

void CDocCorvane::OnMoveJobToTop()
{
    const int row = jobRows_ != nullptr ? jobRows_->GetSelectedIndex() : -1;
    if (row <= 0) return;
    SendJobSwapLine(row, 0);
    MoveRow(row, 0);
}

void CDocCorvane::OnGlobalSettings()
{
    if (dialogs_ != nullptr) dialogs_->RunGlobalSettings(*this);
}

void CDocCorvane::OnPenToolSettings()
{
    PenModeSettings edited = penToolSettings;
    if (dialogs_ == nullptr || !dialogs_->RunPenModeSettings(edited) ||
        std::memcmp(&edited, &penToolSettings, sizeof edited) == 0)
        return;
    penToolSettings = edited;
    if (preview_ != nullptr && preview_->GetShownJob() != nullptr) preview_->Invalidate();
}

void CDocCorvane::OnMachineSetup()
{
    NET_Machine* machine = machineRows_ != nullptr ? machineRows_->GetSelectedItemData() : nullptr;
    if (machine != nullptr && dialogs_ != nullptr) dialogs_->RunMachineSetup(*this, *machine);
}

void CDocCorvane::OnPauseJob()
{
    CSingleLock lock(&server_.GetLock(), TRUE);
    NET_Machine* machine = machineRows_ != nullptr ? machineRows_->GetSelectedItemData() : nullptr;
    if (!IsPrintingOnline(machine)) {
        const CPrintTask* job = jobRows_ != nullptr ? jobRows_->GetSelectedItemData() : nullptr;
        machine = job != nullptr ? PrintingMachineByKey(job->machine) : nullptr;
    }
    if (machine != nullptr) SendMachineText(machine, "g0;");
}

void CDocCorvane::StopMachineJob(NET_Machine* machine)
{
    machine->jobState = kJobIdle;
    machine->task.ClearData();
    SendMachineText(machine, "g1;");
    PostMainMessage(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(machine), 1);
}

void CDocCorvane::OnCancelJob()
{
    CSingleLock lock(&server_.GetLock(), TRUE);
    NET_Machine* machine = machineRows_ != nullptr ? machineRows_->GetSelectedItemData() : nullptr;
    // A page being prepared is cancelled; the machine has nothing of it to stop.
    if (machine != nullptr ? CancelPreparation(machine->ip)
                           : CancelJobPreparation(jobRows_ != nullptr ? jobRows_->GetSelectedItemData() : nullptr))
        return;
    if (machine == nullptr) {
        const CPrintTask* job = jobRows_ != nullptr ? jobRows_->GetSelectedItemData() : nullptr;
        if (job == nullptr || job->runState == CPrintTask::kIdle || job->machine == 0) return;
        machine = server_.FindMachineByKey(job->machine);
        if (machine == nullptr) return;
    }
    if (machine->jobState != kJobIdle) SendMachineText(machine, "b10,0;");
    StopMachineJob(machine);
}

void CDocCorvane::OnAssignJobsToMachine()
{
    if (jobRows_ == nullptr) return;
    CSingleLock lock(&server_.GetLock(), TRUE);
    const NET_Machine* machine = SelectedOrCheckedMachine();
    if (machine == nullptr) return;
    const CArray<int32_t> rows = jobRows_->GetSelectedRows();
    for (int i = 0; i < rows.GetSize(); ++i) {
        CPrintTask* job = jobRows_->GetRowJob(rows[i]);
        if (job == nullptr) continue;
        if (job->machine == machine->ip) break;
        job->machine = machine->ip;
        jobRows_->FormatJobRow(rows[i], JobColumn::kMachine);
        SendJobLine(kLineUpdated, rows[i]);
    }
}

void CDocCorvane::ResetMachine(const NET_Machine* machine)
{
    CSingleLock lock(&server_.GetLock(), TRUE);
    if (machine != nullptr) SendMachineText(machine, "b9,0;");
}

void CDocCorvane::TestJetHeads(NET_Machine* machine)
{
    CSingleLock lock(&server_.GetLock(), TRUE);
    if (machine == nullptr) return;
    server_.SendJetHeadConfig(machine);
    server_.PostMachineCommandByte(machine->ip, kByteCommand, kByteTestJet);
}

void CDocCorvane::OnResetMachine() { ResetMachine(machineRows_ != nullptr ? machineRows_->GetSelectedItemData() : nullptr); }

void CDocCorvane::OnTestJet() { TestJetHeads(machineRows_ != nullptr ? machineRows_->GetSelectedItemData() : nullptr); }

void CDocCorvane::OnZeroMachine()
{
    CSingleLock lock(&server_.GetLock(), TRUE);
    if (const NET_Machine* machine = machineRows_ != nullptr ? machineRows_->GetSelectedItemData() : nullptr)
        server_.PostMachineCommandByte(machine->ip, kByteCommand, kByteZero);
}

void CDocCorvane::OnMachinePreview()
{
    const CPrintTask* job = jobRows_ != nullptr ? jobRows_->GetSelectedItemData() : nullptr;
    if (job == nullptr || job->runState != CPrintTask::kIdle) return;
    CSingleLock lock(&server_.GetLock(), TRUE);
    const NET_Machine* machine = SelectedOrCheckedMachine();
    if (machine != nullptr && machine->online && machine->jobState == kJobIdle) SendMachineText(machine, "f3;");
}

void CDocCorvane::DeleteJobRow(int row)
{
    CPrintTask* job = jobRows_->GetRowJob(row);
    if (job == nullptr || job->runState != CPrintTask::kIdle) return;
    CancelJobPreparation(job);
    if (IsInAutoDirectory(job->path)) DeleteFileQuietly(job->path);
    SendJobLine(kLineDeleted, row);
    jobList_.GoOut(job);
    jobRows_->DeleteRow(row);
    if (preview_ != nullptr && preview_->GetShownJob() == job) {
        preview_->ClearShownJob();
        preview_->Invalidate();
    }
    delete job;
}

void CDocCorvane::OnDeleteJobs()
{
    if (jobRows_ == nullptr || jobRows_->GetSelectedIndex() < 0) return;
    if (MessageBox(LoadResString(StringId::kAskDeleteFiles), u"", MB_YESNO) != IDYES) return;
    const CArray<int32_t> rows = jobRows_->GetSelectedRows();
    for (int i = rows.GetSize() - 1; i >= 0; --i) DeleteJobRow(rows[i]);
}

void CDocCorvane::OnExportPlt()
{
    CPrintTask* job = preview_ != nullptr ? preview_->GetShownJob() : nullptr;
    if (job == nullptr) return;
    CString target = job->path;
    if (!job->hxFile && AfxMessageBox(LoadResString(StringId::kAskOverwriteSource), MB_YESNO) != IDYES) {
        if (!GetFileDialogs().SaveFile(LoadResString(StringId::kSaveAsCaption), LoadResString(StringId::kPltFilesFilter), job->path,
                                       target)) return;
        // The default extension: a chosen name without one gets ".plt".
        if (target.ReverseFind(u'.') <= target.ReverseFind(u'/')) target += u".plt";
    }
    // A merged job has no file of its own: its "Merge:..." name is no path to write over.
    if (target.Left(6) == CString(u"Merge:")) {
        AfxMessageBox(LoadResString(StringId::kFileOpenError));
        return;
    }
    job->ExportPlt(target);
}

void CDocCorvane::RemoteChangeCopies(int32_t delta, int row)
{
    CPrintTask* job = jobRows_ != nullptr ? jobRows_->GetRowJob(row) : nullptr;
    if (job == nullptr) return;
    // The client's value is unbounded: the sum is held within int32.
    int32_t copies = SaturatingAdd(job->copies, delta);
    if (delta < 0 && copies < job->copiesDone) copies = job->copiesDone < job->copies ? job->copiesDone : job->copies;
    job->copies = copies;
    jobRows_->FormatJobRow(row, JobColumn::kCopies);
    SendJobLine(kLineUpdated, row);
}

void CDocCorvane::RemoteDeleteJob(int row)
{
    if (jobRows_ != nullptr) DeleteJobRow(row);
}

void CDocCorvane::RemoteSetJobCheck(int32_t value, int row)
{
    CPrintTask* job = jobRows_ != nullptr ? jobRows_->GetRowJob(row) : nullptr;
    if (job == nullptr) return;
    job->checked = value;
    jobRows_->FormatJobRow(row, JobColumn::kFile);
    SendJobLine(kLineUpdated, row);
}

void CDocCorvane::RemoteAssignJob(int machineRow, int row)
{
    CPrintTask* job = jobRows_ != nullptr ? jobRows_->GetRowJob(row) : nullptr;
    if (job == nullptr || machineRows_ == nullptr) return;
    CSingleLock lock(&server_.GetLock(), TRUE);
    const NET_Machine* machine = machineRows_->GetRowMachine(machineRow);
    if (machine == nullptr || job->machine == machine->ip) return;
    job->machine = machine->ip;
    jobRows_->FormatJobRow(row, JobColumn::kMachine);
    SendJobLine(kLineUpdated, row, 1);
}

void CDocCorvane::RemoteMoveJob(int to, int from)
{
    if (jobRows_ == nullptr || jobRows_->GetRowJob(to) == nullptr || jobRows_->GetRowJob(from) == nullptr) return;
    SendJobSwapLine(from, to);
    MoveRow(from, to);
}

void CDocCorvane::RemotePauseJob(int machineRow, int row)
{
    const CPrintTask* job = jobRows_ != nullptr ? jobRows_->GetRowJob(row) : nullptr;
    if (job == nullptr || machineRows_ == nullptr) return;
    CSingleLock lock(&server_.GetLock(), TRUE);
    NET_Machine* machine = machineRows_->GetRowMachine(machineRow);
    if (!IsPrintingOnline(machine)) machine = PrintingMachineByKey(job->machine);
    if (machine != nullptr) SendMachineText(machine, "g0;");
}

void CDocCorvane::RemoteMachinePreview(int machineRow, int row)
{
    const CPrintTask* job = jobRows_ != nullptr ? jobRows_->GetRowJob(row) : nullptr;
    if (job == nullptr || job->runState != CPrintTask::kIdle || machineRows_ == nullptr) return;
    CSingleLock lock(&server_.GetLock(), TRUE);
    const NET_Machine* machine = machineRows_->GetRowMachine(machineRow);
    if (machine == nullptr) machine = machineRows_->GetCheckedMachine();
    if (machine == nullptr || !machine->online || machine->jobState != kJobIdle) return;
    jobRows_->SelectRow(row);
    SendMachineText(machine, "f3;");
}

void CDocCorvane::RemoteStopJob(int machineRow, int row)
{
    if (machineRows_ == nullptr) return;
    CSingleLock lock(&server_.GetLock(), TRUE);
    NET_Machine* machine = machineRows_->GetRowMachine(machineRow);
    // A page being prepared is cancelled; the machine has nothing of it to stop.
    if (machine != nullptr ? CancelPreparation(machine->ip)
                           : CancelJobPreparation(jobRows_ != nullptr ? jobRows_->GetRowJob(row) : nullptr))
        return;
    if (machine == nullptr) {
        const CPrintTask* job = jobRows_ != nullptr ? jobRows_->GetRowJob(row) : nullptr;
        if (job == nullptr || job->runState == CPrintTask::kIdle || job->machine == 0) return;
        machine = server_.FindMachineByKey(job->machine);
    }
    if (machine == nullptr || !machine->online) return;
    if (machine->jobState == kJobPaused) SendMachineText(machine, "b10,0;");
    StopMachineJob(machine);
}
