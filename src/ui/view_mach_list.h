// CViewMachList: the machine list view, one row per machine found, with the check box that
// marks the current machine, and the row menu that loads or saves a machine's configuration.
#pragma once

#include "app/list_rows.h"
#include "platform/cwnd.h"
#include "ui/list_view_base.h"

class CDocCorvane;
class NET_Machine;

// Commands of the machine row's popup menu.
namespace MachineMenuId {
inline constexpr UINT kLoadConfig = 33001;  // "载入配置"
inline constexpr UINT kSaveConfig = 33002;  // "保存配置"
}  // namespace MachineMenuId

// The password that saving a machine's configuration asks for.
inline constexpr const char16_t* kSaveConfigPassword = u"qj";
// The patterns of the configuration file pickers, after their filter's name.
inline constexpr const char16_t* kConfigFilePatterns = u" (*.con)";

class CViewMachList : public CListViewBase, public MachineListRows, public CWnd {
public:
    // Works on doc's machines; the document reaches the rows through SetListRows.
    CViewMachList(CDocCorvane& doc, QWidget* parent);
    // Leaves the document without machine rows.
    ~CViewMachList() override;

    using MachineListRows::GetSelectedItemData;

    int GetRowCount() const override { return Model().RowCount(); }
    NET_Machine* GetRowMachine(int row) const override;
    int GetRowChecked(int row) const override { return Model().GetCheck(row); }
    int GetSelectedIndex() const override { return CListViewBase::GetSelectedIndex(); }
    void SetRowTexts(int row, const ListRowTexts& texts) override;
    int AppendMachineRow(const CString& text, NET_Machine* machine) override;
    // Writes the row's check box; when it switched, applies the single-check rule.
    void SetRowChecked(int row, int checked) override;
    void SelectRow(int row) override { SelectOnly(row); }
    // The five texts a row holds.
    ListRowTexts GetRowTexts(int row) const { return Model().GetRowTexts(row); }

protected:
    // Applies the single-check rule.
    void OnOperatorCheck(int row, bool checked) override;
    // Shows the machine row's popup menu; its command arrives as WM_COMMAND.
    void OnRightClick(int row) override;
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Unchecks every other row when row became checked; checks the only row again.
    void ApplyCheckRule(int row);
    // The machine of the menu if it still has a row, else null.
    NET_Machine* MenuMachine() const;
    // Loads a configuration file the operator chooses into the menu's machine and sends it.
    void LoadConfiguration();
    // Saves the menu's machine's configuration where the operator chooses, after the password.
    void SaveConfiguration();

    CDocCorvane& doc_;
    NET_Machine* menuMachine_ = nullptr;
};
