// The machine list view: rows, the single-check rule and the configuration menu.
#include "ui/view_mach_list.h"

#include "app/doc_corvane.h"
#include "app/machine_param_commands.h"
#include "app/string_table.h"
#include "app/udp_server.h"
#include "machinelink/net_machine.h"
#include "platform/file_dialog.h"
#include "platform/popup_menu.h"
#include "ui/view_dialogs.h"

namespace {

// Column headers and widths, pixels.
std::vector<ListColumn> MachineColumns()
{
    return {{LoadResString(StringId::kIpColumn), 115},
            {LoadResString(StringId::kMachineStateColumn), 40},
            {LoadResString(StringId::kMacColumn), 140},
            {LoadResString(StringId::kIdColumn), 180},
            {LoadResString(StringId::kVersionColumn), 100}};
}

}  // namespace

CViewMachList::CViewMachList(CDocCorvane& doc, QWidget* parent)
    : CListViewBase(MachineColumns(), QAbstractItemView::SingleSelection, parent), doc_(doc)
{
}

CViewMachList::~CViewMachList()
{
    if (doc_.GetMachineRows() == this) doc_.SetListRows(doc_.GetJobRows(), nullptr);
}

NET_Machine* CViewMachList::GetRowMachine(int row) const
{
    return static_cast<NET_Machine*>(Model().GetItemData(row));
}

void CViewMachList::SetRowTexts(int row, const ListRowTexts& texts)
{
    for (int c = 0; c < kListColumnCount; ++c) Model().SetItemText(row, c, texts[static_cast<size_t>(c)]);
}

int CViewMachList::AppendMachineRow(const CString& text, NET_Machine* machine)
{
    return Model().InsertRow(-1, text, machine);
}

void CViewMachList::SetRowChecked(int row, int checked)
{
    // The rule follows a switch of the box; writing the state it holds changes nothing.
    if (Model().SetCheck(row, checked)) ApplyCheckRule(row);
}

void CViewMachList::OnOperatorCheck(int row, bool) { ApplyCheckRule(row); }

void CViewMachList::ApplyCheckRule(int row)
{
    std::vector<int32_t> checks(static_cast<size_t>(GetRowCount()));
    for (int r = 0; r < GetRowCount(); ++r) checks[static_cast<size_t>(r)] = GetRowChecked(r);
    ApplyMachineCheckRule(checks, row);
    for (int r = 0; r < GetRowCount(); ++r) Model().SetCheck(r, checks[static_cast<size_t>(r)]);
}

void CViewMachList::OnRightClick(int row)
{
    menuMachine_ = GetRowMachine(row);
    if (menuMachine_ == nullptr) return;
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, MachineMenuId::kLoadConfig, LoadResString(StringId::kMachineMenuLoadConfig));
    menu.AppendMenu(MF_STRING, MachineMenuId::kSaveConfig, LoadResString(StringId::kMachineMenuSaveConfig));
    CPoint at;
    GetCursorPos(&at);
    menu.TrackPopupMenu(0, at.x, at.y, this);
}

void CViewMachList::OnMessage(UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_COMMAND) return;
    if (wParam == MachineMenuId::kLoadConfig) LoadConfiguration();
    if (wParam == MachineMenuId::kSaveConfig) SaveConfiguration();
}

NET_Machine* CViewMachList::MenuMachine() const
{
    // The menu and the dialogs run nested event loops: only a machine that still has a row
    // is acted on.
    return FindMachineRow(menuMachine_) >= 0 ? menuMachine_ : nullptr;
}

void CViewMachList::LoadConfiguration()
{
    if (MenuMachine() == nullptr) return;
    std::vector<CString> paths;
    const CString filter = LoadResString(StringId::kConfigFilesFilter) + kConfigFilePatterns;
    if (!GetFileDialogs().OpenFiles(LoadResString(StringId::kMachineMenuLoadConfig), filter, paths) || paths.empty()) return;
    NET_Machine* machine = MenuMachine();
    if (machine != nullptr) LoadMachineConfiguration(doc_.GetServer(), machine, paths.front());
}

void CViewMachList::SaveConfiguration()
{
    if (MenuMachine() == nullptr) return;
    // A wrong password does nothing, without a message.
    if (!GetViewDialogs().AskPassword(kSaveConfigPassword)) return;
    CString path;
    const CString filter = LoadResString(StringId::kConfigFilesFilter) + kConfigFilePatterns;
    if (!GetFileDialogs().SaveFile(LoadResString(StringId::kMachineMenuSaveConfig), filter, CString(), path)) return;
    NET_Machine* machine = MenuMachine();
    if (machine == nullptr) return;
    CSingleLock hold(&doc_.GetServer().GetLock(), TRUE);
    machine->SaveConfigToFile(path);
}
