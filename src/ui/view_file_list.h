// CViewFileList: the job list view, one row per listed job with the check box that lets the
// job take part in dispatching, and the operator's mouse commands on a job.
#pragma once

#include "app/list_rows.h"
#include "platform/cwnd.h"
#include "ui/list_view_base.h"

class CDocCorvane;
class CPrintTask;

// Commands of the job row's popup menu.
namespace JobMenuId {
inline constexpr UINT kRecut = 33011;       // "重新切割"
inline constexpr UINT kCutPage = 33012;     // "选页切割"
inline constexpr UINT kCopies = 33013;      // "输出份数"
inline constexpr UINT kEdit = 33014;        // "编辑"
}  // namespace JobMenuId

// The pattern editor's named mutex: it exists while the editor runs.
inline constexpr const char16_t* kPatternEditorMutex = u"VelqorPatternEditor";
// How long the view waits after starting the pattern editor before sending it the job, ms.
inline constexpr int kPatternEditorStartWaitMs = 1500;

class CViewFileList : public CListViewBase, public JobListRows, public CWnd {
public:
    // Works on doc's jobs; the document reaches the rows through SetListRows.
    CViewFileList(CDocCorvane& doc, QWidget* parent);
    // Leaves the document without job rows.
    ~CViewFileList() override;

    using JobListRows::GetSelectedIndex;
    using JobListRows::GetSelectedItemData;

    int GetRowCount() const override { return Model().RowCount(); }
    CPrintTask* GetRowJob(int row) const override;
    void SetRowJob(int row, CPrintTask* job) override;
    int InsertJobRow(int row, const CString& text, CPrintTask* job) override;
    void DeleteRow(int row) override;
    int GetRowChecked(int row) const override { return Model().GetCheck(row); }
    CArray<int32_t> GetSelectedRows() const override { return SelectedRows(); }
    void SelectRow(int row) override { SelectOnly(row); }
    // Writes the cells of selector from the row's job (a row without a job is left alone).
    void FormatJobRow(int row, int column) override;
    ListRowTexts GetRowTexts(int row) const override { return Model().GetRowTexts(row); }

    // Sets the wait between starting the pattern editor and sending it the job (tests).
    void SetEditorStartWaitMs(int waitMs) { editorStartWaitMs_ = waitMs; }

protected:
    // The checked flag follows the box; a newly checked job without a machine gets the
    // checked machine; the row's line goes to every client.
    void OnOperatorCheck(int row, bool checked) override;
    // Loads the row's job when needed (a failure is told) and shows it in the preview.
    void OnLeftDoubleClick(int row) override;
    // Asks for the row's copies.
    void OnRightDoubleClick(int row) override;
    // Shows the job row's popup menu; its command arrives as WM_COMMAND.
    void OnRightClick(int row) override;
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // A job across a dialog or menu: the job, its reference and its path at the time.
    struct JobHandle {
        CPrintTask* job = nullptr;
        uint32_t jobRef = 0;
        CString path;
    };

    JobHandle HandleOf(int row) const;
    // Shows the first selected row's job in the preview.
    void ShowSelectedJob();
    // The job of handle if it is still listed, else null.
    CPrintTask* Resolve(const JobHandle& handle) const;
    // Asks for the copies of handle's job and writes them.
    void AskCopies(const JobHandle& handle);
    // Asks for a page of handle's job and cuts it.
    void AskPageAndCut(const JobHandle& handle);
    // Opens handle's job in the pattern editor.
    void EditInPatternEditor(const JobHandle& handle);
    // Runs menu command id on the job the menu was opened for.
    void OnMenuCommand(UINT id);

    CDocCorvane& doc_;
    JobHandle menuJob_;
    int editorStartWaitMs_ = kPatternEditorStartWaitMs;
};
