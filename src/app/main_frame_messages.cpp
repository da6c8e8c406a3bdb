// The main frame's handlers of the machine link's and the upload server's posted messages.
#include "app/main_frame_messages.h"

#include "app/access_database.h"
#include "app/config_globals.h"
#include "app/doc_corvane.h"
#include "app/job_preparation.h"
#include "app/list_lines.h"
#include "app/list_rows.h"
#include "app/preview_port.h"
#include "app/print_task.h"
#include "app/resume_state.h"
#include "app/string_table.h"
#include "app/udp_server.h"
#include "machinelink/machine_messages.h"
#include "machinelink/net_machine.h"
#include "platform/message_box.h"
#include "uploadserver/tcp_client1.h"
#include "uploadserver/tcp_server1.h"
#include "uploadserver/upload_messages.h"

#include <memory>
#include <optional>
#include <string>

namespace {

// Messages with no work to do.
constexpr UINT kIgnoredMessage = 0x40A;
constexpr UINT kUnusedMessage = WM_USER + 31;
// Command 128's values of the jog keys R, L, U, D and S.
constexpr uint8_t kByteCommand = 128;
constexpr char16_t kJogKeys[] = u"RLUDS";
constexpr uint8_t kFirstJogValue = 2;
// Where the letter and the first number of a "<FILE"/"<MACH" message stand.
constexpr int32_t kLetterAt = 5;
constexpr int32_t kSeparatorAt = 6;
constexpr int32_t kFirstNumberAt = 7;
constexpr int32_t kMaxDigits = 10;

// A number of a remote message: an optional "-" and 1 to 10 digits within int32, read from
// position at and ending before length; anything else gives no number. The message comes
// from the network: nothing is read at or beyond its length.
struct ParsedNumber {
    int32_t value = 0;
    int32_t end = 0;  // the position after the number
};

std::optional<ParsedNumber> ParseNumber(const char16_t* text, int32_t length, int32_t at)
{
    int32_t i = at;
    const bool negative = i < length && text[i] == u'-';
    if (negative) ++i;
    int64_t value = 0;
    int32_t digits = 0;
    for (; i < length && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (++digits > kMaxDigits) return std::nullopt;
        value = value * 10 + (text[i] - u'0');
    }
    if (digits == 0) return std::nullopt;
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return ParsedNumber{static_cast<int32_t>(value), i};
}

// The second number: after the first "," from position 7 for the letters c, l and n, right
// after a "," that follows the first number for the others.
std::optional<ParsedNumber> ParseSecondNumber(const char16_t* text, int32_t length, char16_t letter,
                                              const ParsedNumber& first)
{
    int32_t comma = -1;
    if (letter == u'c' || letter == u'l' || letter == u'n') {
        for (int32_t i = kFirstNumberAt; i < length && comma < 0; ++i)
            if (text[i] == u',') comma = i;
    } else if (first.end < length && text[first.end] == u',') {
        comma = first.end;
    }
    if (comma < 0) return std::nullopt;
    return ParseNumber(text, length, comma + 1);
}

}  // namespace

MainFrameMessages::MainFrameMessages(CDocCorvane& doc, Delivery delivery) : CMessageTarget(delivery), doc_(doc) {}

NET_Machine* MainFrameMessages::FindListedMachine(NET_Machine* machine)
{
    CUDPServer& server = doc_.GetServer();
    CSingleLock lock(&server.GetLock(), TRUE);
    const MachineTable& table = server.GetMachineTable();
    for (int i = 0; machine != nullptr && i < table.GetSize(); ++i)
        if (table[i] == machine) return machine;
    return nullptr;
}

void MainFrameMessages::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* machine = reinterpret_cast<NET_Machine*>(wParam);
    switch (message) {
    case WM_TCP_FILE_COMMAND:
    case WM_TCP_MACHINE_COMMAND: {
        auto* copy = reinterpret_cast<char16_t*>(wParam);
        const int32_t length = lParam > 0 && lParam <= INT32_MAX ? static_cast<int32_t>(lParam) : 0;
        if (copy != nullptr && message == WM_TCP_FILE_COMMAND) OnFileCommand(copy, length);
        if (copy != nullptr && message == WM_TCP_MACHINE_COMMAND) OnMachineCommand(copy, length);
        CTCPClient1::DeleteBuf(copy);
        break;
    }
    case WM_TCP_CLIENT_ACCEPTED:
        OnClientAccepted(reinterpret_cast<CTCPClient1*>(wParam));
        break;
    case WM_NET_MACHINE_STATUS:
        OnMachineStatus(machine, static_cast<int32_t>(lParam));
        break;
    case WM_NET_CONFIG_INVALID:
        OnConfigInvalid(machine);
        break;
    case WM_NET_JET_PROGRESS:
        OnJetProgress(static_cast<uint32_t>(wParam), reinterpret_cast<NET_Machine*>(lParam));
        break;
    case WM_NET_MACHINE_FOUND:
        OnMachineFound(static_cast<uint32_t>(wParam));
        break;
    case WM_NET_MACHINE_STATE:
        OnMachineStateChanged(machine, lParam);
        break;
    case WM_NET_MACHINE_SAVE_RECORD:
        OnSaveMachineRecord(static_cast<uint32_t>(wParam), lParam);
        break;
    case WM_NET_MACHINE_REQUEST:
        // The request's value is the machine's signed 16-bit number.
        doc_.OnMachineJobRequest(FindListedMachine(machine), static_cast<int16_t>(lParam));
        break;
    case WM_NET_KEY_REQUEST:
        doc_.OnMachineStartKey(FindListedMachine(machine));
        break;
    case WM_NET_PAGE_FINISHED:
        OnPageFinished(machine, static_cast<uint32_t>(lParam));
        break;
    case WM_JOB_PREPARATION_PROGRESS:
        doc_.ShowPreparationProgress(static_cast<uint32_t>(wParam));
        break;
    case WM_JOB_PREPARATION_DONE:
        doc_.ApplyFinishedPreparations();
        break;
    case kIgnoredMessage:
    case kUnusedMessage:
    default:
        break;
    }
}

void MainFrameMessages::OnMachineFound(uint32_t key)
{
    MachineListRows* rows = doc_.GetMachineRows();
    if (rows == nullptr) return;
    CUDPServer& server = doc_.GetServer();
    CSingleLock lock(&server.GetLock(), TRUE);
    NET_Machine* machine = server.FindMachineByKey(key);
    // A machine shows in one row only, however often it is announced as new.
    if (machine == nullptr || rows->FindMachineRow(machine) >= 0) return;
    const ListRowTexts texts = MachineColumnTexts(*machine);
    lock.Unlock();
    const int row = rows->AppendMachineRow(texts[0], machine);
    rows->SetRowTexts(row, texts);
    if (rows->GetRowCount() == 1) {
        rows->SetRowChecked(row, 1);
        rows->SelectRow(row);
    }
    CString line = MachineStateLine(kLineInserted, rows->GetRowChecked(row), row, texts);
    CTCPServer1::SendToAllClientW(line, line.GetLength());
    doc_.ResumeInterruptedJob(*machine);
}

void MainFrameMessages::OnSaveMachineRecord(uint32_t key, LPARAM record)
{
    if (record != 0 && record != 1) return;
    CUDPServer& server = doc_.GetServer();
    // The record is written from a copy of the machine's identity, speeds and origin: the store,
    // and a failure shown to the operator, must not keep the link thread waiting for the lock.
    std::unique_ptr<NET_Machine> values;
    CString id;
    {
        CSingleLock lock(&server.GetLock(), TRUE);
        const NET_Machine* machine = server.FindMachineByKey(key);
        if (machine == nullptr) return;
        values = std::make_unique<NET_Machine>(machine->ip, machine->mac, machine->stationId);
        values->baseSpeeds = machine->baseSpeeds;
        values->xOrigin = machine->xOrigin;
        values->yOrigin = machine->yOrigin;
        machine->GetID(id);
    }
    CAccessDataBase database;
    if (!database.OpenDatabase(GetConfigDatabasePath())) return;
    const int stored = record == 0 ? database.SavePanCtl(values.get(), id) : database.SaveBaseInfo(values.get(), id, false);
    // The flag says what the database holds: a failed store (already shown) sets none.
    if (!stored) return;
    CSingleLock lock(&server.GetLock(), TRUE);
    if (NET_Machine* machine = server.FindMachineByKey(key)) machine->storedRecords |= static_cast<uint8_t>(1u << record);
}

void MainFrameMessages::OnMachineStateChanged(NET_Machine* posted, LPARAM what)
{
    NET_Machine* machine = FindListedMachine(posted);
    MachineListRows* machineRows = doc_.GetMachineRows();
    JobListRows* jobRows = doc_.GetJobRows();
    const int machineRow = machineRows != nullptr ? machineRows->FindMachineRow(machine) : -1;
    if (machineRow < 0) return;
    // The lock is held only to read and write the machine: the page end may prepare the next
    // page or show a message, and the link thread must go on meanwhile.
    CSingleLock lock(&doc_.GetServer().GetLock(), TRUE);
    const bool online = machine->online != 0;
    const int32_t jobState = machine->jobState;
    const uint32_t jobRef = machine->task.GetPrtTaskPointer();
    lock.Unlock();
    if (what != kMachineVersionChanged && online) {
        // The task data keeps a reference: only a job still listed is touched.
        CPrintTask* job = doc_.FindJobByReference(jobRef);
        int jobRow = job != nullptr && jobRows != nullptr ? jobRows->FindJobRow(job) : -1;
        if (jobState == kJobPrinting || jobState == kJobPaused) {
            if (jobRow >= 0) {
                job->runState = jobState == kJobPrinting ? CPrintTask::kRunning : CPrintTask::kPaused;
                jobRows->FormatJobRow(jobRow, JobColumn::kState);
            }
        } else if (jobRow >= 0) {
            if (what == kMachinePageFinished && !FinishPage(job, machine)) jobRow = -1;
            if (what == kMachineJobCancelled) {
                job->runState = CPrintTask::kIdle;
                job->resumeMark = 0.0;
                doc_.SetDirectoryPrint(0);
            }
            if (jobRow >= 0) {
                jobRow = jobRows->FindJobRow(job);
                jobRows->FormatJobRow(jobRow, -1);
            }
        }
        if (jobRow >= 0) doc_.SendJobLine(kLineUpdated, jobRow);
    }
    lock.Lock();
    const ListRowTexts texts = MachineColumnTexts(*machine);
    lock.Unlock();
    machineRows->SetRowTexts(machineRow, texts);
    if (what == kMachineVersionChanged) return;
    CString line = MachineStateLine(kLineUpdated, machineRows->GetRowChecked(machineRow), machineRow, texts);
    CTCPServer1::SendToAllClientW(line, line.GetLength());
}

bool MainFrameMessages::FinishPage(CPrintTask* job, NET_Machine* machine)
{
    job->resumeMark = 0.0;
    job->progressPercent = 100.0;
    job->runState = CPrintTask::kIdle;
    CSingleLock lock(&doc_.GetServer().GetLock(), TRUE);
    const CString folder = GetMachineStateFolder(*machine);
    const bool autoContinue = machine->autoContinue != 0;
    lock.Unlock();
    const bool saved = WriteCutState(folder, 1) != 0;
    job->pageIndex += 1;
    if (job->pageIndex >= job->pageCount) job->copiesDone += 1;
    if (job->copiesDone < job->copies && autoContinue) {
        // Without the cut state a later resume would cut this page again: the next page of a
        // job of several pages is not sent, and the operator is told.
        if (!saved && job->pageCount > 1)
            AfxMessageBox(LoadResString(StringId::kPagesNotSaved));
        else if (doc_.DispatchJobToMachine(job, machine, 0, -1))
            return true;
    }
    bool listed = true;
    if (job->copiesDone >= job->copies && deleteAfterCut) {
        if (doc_.IsInAutoDirectory(job->path)) CDocCorvane::DeleteFileQuietly(job->path);
        // The 'd' line goes before the row does; nothing more is sent for the job.
        doc_.SendJobLine(kLineDeleted, doc_.GetJobRows()->FindJobRow(job));
        doc_.RemoveJob(job);
        listed = false;
    }
    if (autoContinue && doc_.directoryPrint) doc_.AutoDispatchJobs();
    if (nightModePowerOff && doc_.NoJobPending() && shutdownComputer) shutdownComputer();
    return listed;
}

void MainFrameMessages::OnFileCommand(const char16_t* message, int32_t length)
{
    if (message == nullptr || length <= kFirstNumberAt || message[kSeparatorAt] != u':') return;
    const char16_t letter = message[kLetterAt];
    if (letter == u'a') {
        const char16_t digit = message[kFirstNumberAt];
        if (digit >= u'0' && digit <= u'9') doc_.SetDirectoryPrint(digit - u'0');
        return;
    }
    const std::optional<ParsedNumber> first = ParseNumber(message, length, kFirstNumberAt);
    if (!first) return;
    if (letter == u'd') {
        doc_.RemoteDeleteJob(first->value);
        return;
    }
    if (letter == u'g') {
        const int32_t name = first->end + 3;
        if (name <= length && message[first->end] == u',' && message[first->end + 1] == u'N' &&
            message[first->end + 2] == u':')
            SendJobShapes(CTCPClient1::GetBufSender(message, length), first->value,
                          CString(std::u16string(message + name, message + length).c_str()));
        return;
    }
    const std::optional<ParsedNumber> second = ParseSecondNumber(message, length, letter, *first);
    if (!second) return;
    const int32_t a = first->value;
    const int32_t b = second->value;
    switch (letter) {
    case u'c': doc_.RemoteChangeCopies(a, b); break;
    case u'l': doc_.RemoteSetJobCheck(a, b); break;
    case u'n': doc_.RemoteAssignJob(a, b); break;
    case u'o': doc_.RemoteMoveJob(a, b); break;
    case u'p': doc_.RemotePauseJob(a, b); break;
    case u'r': doc_.RemoteMachinePreview(a, b); break;
    case u's': doc_.StartMachineRow(a, b); break;
    case u't': doc_.RemoteStopJob(a, b); break;
    default: break;
    }
}

void MainFrameMessages::SendJobShapes(CTCPClient1* client, int row, const CString& name)
{
    JobListRows* rows = doc_.GetJobRows();
    CPrintTask* job = rows != nullptr ? rows->GetRowJob(row) : nullptr;
    if (job == nullptr || rows->GetRowTexts(row)[JobColumn::kFile].CompareNoCase(name.GetString()) != 0) return;
    // The client may have gone since it sent the message.
    if (client == nullptr || CTCPClient1::FindClient(client) < 0) return;
    if (!job->IsTaskLoaded()) {
        job->LoadPrintTaskFile();
        rows->FormatJobRow(row, -1);
        doc_.SendJobLine(kLineUpdated, row);
    }
    const PlotShapeCutList* shapes = job->listsSwapped ? job->previewList : job->GetCutList();
    if (shapes == nullptr) return;
    auto* copy = new PlotShapeList;
    *copy = *shapes;
    if (!client->SendShapeList(copy, job->path)) delete copy;
}

void MainFrameMessages::OnMachineCommand(const char16_t* message, int32_t length)
{
    if (message == nullptr || length <= kFirstNumberAt || message[kSeparatorAt] != u',') return;
    const std::optional<ParsedNumber> row = ParseNumber(message, length, kFirstNumberAt);
    MachineListRows* rows = doc_.GetMachineRows();
    if (!row || rows == nullptr) return;
    CUDPServer& server = doc_.GetServer();
    CSingleLock lock(&server.GetLock(), TRUE);
    NET_Machine* machine = rows->GetRowMachine(row->value);
    if (machine == nullptr || !machine->online) return;
    const char16_t key = message[kLetterAt];
    // 'B' and 'T' act on the machine of the row the client named, as the jog keys do, not on
    // the operator's selection.
    if (key == u'B') {
        doc_.ResetMachine(machine);
    } else if (key == u'T') {
        doc_.TestJetHeads(machine);
    } else {
        for (int i = 0; kJogKeys[i] != 0; ++i)
            if (kJogKeys[i] == key)
                server.PostMachineCommandByte(machine->ip, kByteCommand, static_cast<uint8_t>(kFirstJogValue + i));
    }
}

void MainFrameMessages::OnClientAccepted(CTCPClient1* client)
{
    if (client == nullptr || CTCPClient1::FindClient(client) < 0) return;
    CString text(kJobListStartLine);
    if (JobListRows* rows = doc_.GetJobRows())
        for (int row = 0; row < rows->GetRowCount(); ++row) text += doc_.BuildJobLine(kLineInserted, row);
    text += kMachineListStartLine;
    if (MachineListRows* rows = doc_.GetMachineRows()) {
        CSingleLock lock(&doc_.GetServer().GetLock(), TRUE);
        for (int row = 0; row < rows->GetRowCount(); ++row)
            if (const NET_Machine* machine = rows->GetRowMachine(row))
                text += MachineStateLine(kLineInserted, rows->GetRowChecked(row), row, MachineColumnTexts(*machine));
    }
    AppendJobCountLine(doc_.directoryPrint, text);
    client->AddToSendBufW(text.GetString(), text.GetLength());
}

void MainFrameMessages::OnMachineStatus(NET_Machine* machine, int32_t)
{
    if (pauseAutoPrint) pauseAutoPrint();
    if (NET_Machine* listed = FindListedMachine(machine)) {
        CSingleLock lock(&doc_.GetServer().GetLock(), TRUE);
        doc_.SendMachineText(listed, "b10,0;");
    }
    MessageBox(LoadResString(StringId::kFeederOutOfPaper), LoadResString(StringId::kTipCaption), MB_OK);
    if (resumeAutoPrint) resumeAutoPrint();
}

void MainFrameMessages::OnConfigInvalid(NET_Machine*) { MessageBox(LoadResString(StringId::kConfigInvalid), LoadResString(StringId::kTipCaption), MB_OK); }

void MainFrameMessages::OnJetProgress(uint32_t jobRef, NET_Machine* machine)
{
    // The reference and the machine may have gone since the message was posted: only a listed
    // job and a machine still in the table are used.
    CPrintTask* job = doc_.FindJobByReference(jobRef);
    NET_Machine* listed = FindListedMachine(machine);
    if (job == nullptr || listed == nullptr) return;
    double percent = 0.0;
    {
        CSingleLock lock(&doc_.GetServer().GetLock(), TRUE);
        percent = listed->task.progress;
    }
    PreviewPort* preview = doc_.GetPreview();
    if (preview != nullptr && preview->GetShownJob() == job && job->listsSwapped)
        preview->DrawCutProgress(job->progressPercent, percent);
    job->progressPercent = percent;
    if (JobListRows* rows = doc_.GetJobRows()) {
        const int row = rows->FindJobRow(job);
        if (row >= 0) {
            rows->FormatJobRow(row, JobColumn::kState);
            doc_.SendJobLine(kLineUpdated, row);
        }
    }
}

void MainFrameMessages::OnPageFinished(NET_Machine*, uint32_t jobRef)
{
    if (!FB_bTipWhenHasNextPage) return;
    if (pauseAutoPrint) pauseAutoPrint();
    if (const CPrintTask* job = doc_.FindJobByReference(jobRef)) {
        CString text;
        text.Format(LoadResString(StringId::kPageLeftToCut).GetString(), job->path);
        MessageBox(text, LoadResString(StringId::kTipCaption), MB_OK);
    }
    if (resumeAutoPrint) resumeAutoPrint();
}
