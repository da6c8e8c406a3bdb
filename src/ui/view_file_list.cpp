// The job list view: rows, the operator's check rule, double clicks and the job menu.
#include "ui/view_file_list.h"

#include "app/config_globals.h"
#include "app/doc_corvane.h"
#include "app/msg_socket.h"
#include "app/preview_port.h"
#include "app/print_task.h"
#include "app/string_table.h"
#include "app/udp_server.h"
#include "machinelink/net_machine.h"
#include "platform/popup_menu.h"
#include "platform/system_actions.h"
#include "ui/view_dialogs.h"

#include <QTimer>

namespace {

// Column headers and widths, pixels.
std::vector<ListColumn> JobColumns()
{
    return {{LoadResString(StringId::kJobFileColumn), 215},
            {LoadResString(StringId::kIpColumn), 120},
            {LoadResString(StringId::kJobSizeColumn), 100},
            {LoadResString(StringId::kJobStateColumn), 100},
            {LoadResString(StringId::kJobCopiesColumn), 100}};
}

// Sends "OpenFile" with path to the pattern editor through the program's message socket.
void SendOpenFile(const CString& path)
{
    if (CMsgSocket* socket = GetMsgSocket())
        socket->SendKeyValueDatagram(u"OpenFile", path, kPatternEditorAddress, kPatternEditorPort);
}

}  // namespace

CViewFileList::CViewFileList(CDocCorvane& doc, QWidget* parent)
    : CListViewBase(JobColumns(), QAbstractItemView::ExtendedSelection, parent), doc_(doc)
{
}

CViewFileList::~CViewFileList()
{
    if (doc_.GetJobRows() == this) doc_.SetListRows(nullptr, doc_.GetMachineRows());
}

CPrintTask* CViewFileList::GetRowJob(int row) const { return static_cast<CPrintTask*>(Model().GetItemData(row)); }

void CViewFileList::SetRowJob(int row, CPrintTask* job) { Model().SetItemData(row, job); }

int CViewFileList::InsertJobRow(int row, const CString& text, CPrintTask* job)
{
    return Model().InsertRow(row, text, job);
}

void CViewFileList::DeleteRow(int row) { Model().RemoveRow(row); }

void CViewFileList::FormatJobRow(int row, int column)
{
    const CPrintTask* job = GetRowJob(row);
    if (job == nullptr) return;
    const JobRowCells cells = FormatJobRowCells(*job, column);
    for (int c = 0; c < kListColumnCount; ++c)
        if (cells.texts[static_cast<size_t>(c)]) Model().SetItemText(row, c, *cells.texts[static_cast<size_t>(c)]);
    if (cells.writesCheck) Model().SetCheck(row, job->checked);
}

void CViewFileList::OnOperatorCheck(int row, bool checked)
{
    CPrintTask* job = GetRowJob(row);
    if (job == nullptr) return;
    uint32_t checkedMachineKey = 0;
    if (MachineListRows* machines = doc_.GetMachineRows()) {
        CSingleLock hold(&doc_.GetServer().GetLock(), TRUE);
        if (const NET_Machine* machine = machines->GetCheckedMachine()) checkedMachineKey = machine->ip;
    }
    if (ApplyJobCheckChange(*job, checked, checkedMachineKey)) FormatJobRow(row, JobColumn::kMachine);
    doc_.SendJobLine(kLineUpdated, row, kLineValueCheckChange);
}

CViewFileList::JobHandle CViewFileList::HandleOf(int row) const
{
    CPrintTask* job = GetRowJob(row);
    if (job == nullptr) return {};
    return {job, job->jobRef, job->GetPath()};
}

CPrintTask* CViewFileList::Resolve(const JobHandle& handle) const
{
    // A dialog or menu runs a nested event loop in which notifications and remote clients may
    // remove the job: only a job still listed is acted on.
    // The pointer of a job that is gone is compared, never followed. A job not loaded yet
    // has no reference: a listed job at its address must also have its path, since a new
    // job may have been made where a removed one was.
    if (handle.jobRef != 0) return doc_.FindJobByReference(handle.jobRef);
    if (FindJobRow(handle.job) < 0 || handle.job->GetPath() != handle.path) return nullptr;
    return handle.job;
}

void CViewFileList::OnLeftDoubleClick(int row)
{
    const JobHandle handle = HandleOf(row);
    CPrintTask* job = handle.job;
    if (job == nullptr) return;
    if (!job->IsTaskLoaded()) {
        if (!job->LoadPrintTaskFile()) return;
        // The load may have told the operator something, in a nested loop.
        job = Resolve(handle);
        const int loadedRow = FindJobRow(job);
        if (loadedRow < 0) return;
        FormatJobRow(loadedRow, -1);
        doc_.SendJobLine(kLineUpdated, loadedRow);
    }
    if (PreviewPort* preview = doc_.GetPreview()) {
        preview->ShowJob(job);
        preview->Invalidate();
    }
}

void CViewFileList::OnRightDoubleClick(int row) { AskCopies(HandleOf(row)); }

void CViewFileList::AskCopies(const JobHandle& handle)
{
    const CPrintTask* job = Resolve(handle);
    if (job == nullptr) return;
    const std::optional<int32_t> copies = GetViewDialogs().AskCopies(job->copies);
    if (!copies) return;
    CPrintTask* answered = Resolve(handle);
    const int row = FindJobRow(answered);
    if (row < 0) return;
    answered->copies = *copies;
    FormatJobRow(row, JobColumn::kCopies);
    doc_.SendJobLine(kLineUpdated, row);
}

void CViewFileList::AskPageAndCut(const JobHandle& handle)
{
    if (Resolve(handle) == nullptr) return;
    const std::optional<int32_t> page = GetViewDialogs().AskPage(0);
    if (!page) return;
    const int row = FindJobRow(Resolve(handle));
    if (row >= 0) doc_.CutJobPage(row, *page);
}

void CViewFileList::EditInPatternEditor(const JobHandle& handle)
{
    const CPrintTask* job = Resolve(handle);
    if (job == nullptr) return;
    const CString path = job->GetPath();
    SystemActions& actions = GetSystemActions();
    if (actions.NamedMutexExists(kPatternEditorMutex)) {
        SendOpenFile(path);
        return;
    }
    if (!actions.StartProgram(EditSoftPath, {})) return;
    // The editor needs a moment to open its port; the path is copied, the job may be gone.
    QTimer::singleShot(editorStartWaitMs_, this, [path] { SendOpenFile(path); });
}

void CViewFileList::OnRightClick(int row)
{
    menuJob_ = HandleOf(row);
    if (menuJob_.job == nullptr) return;
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, JobMenuId::kRecut, LoadResString(StringId::kJobMenuRecut));
    menu.AppendMenu(MF_STRING, JobMenuId::kCutPage, LoadResString(StringId::kJobMenuCutPage));
    menu.AppendMenu(MF_STRING, JobMenuId::kCopies, LoadResString(StringId::kJobMenuCopies));
    menu.AppendMenu(MF_STRING, JobMenuId::kEdit, LoadResString(StringId::kJobMenuEdit));
    CPoint at;
    GetCursorPos(&at);
    menu.TrackPopupMenu(0, at.x, at.y, this);
}

void CViewFileList::OnMessage(UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND) OnMenuCommand(static_cast<UINT>(wParam));
}

void CViewFileList::OnMenuCommand(UINT id)
{
    switch (id) {
    case JobMenuId::kRecut: {
        const int row = FindJobRow(Resolve(menuJob_));
        if (row >= 0) doc_.RecutJob(row);
        break;
    }
    case JobMenuId::kCutPage: AskPageAndCut(menuJob_); break;
    case JobMenuId::kCopies: AskCopies(menuJob_); break;
    case JobMenuId::kEdit: EditInPatternEditor(menuJob_); break;
    default: break;
    }
}
