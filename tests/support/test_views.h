// In-memory rows of the job list and machine list views, for tests of the document.
#pragma once

#include "app/list_rows.h"

#include <utility>
#include <vector>

namespace corvane_test {

class TestJobRows : public JobListRows {
public:
    struct Row {
        ListRowTexts texts;
        CPrintTask* job = nullptr;
        int checked = 0;
        bool selected = false;
    };

    int GetRowCount() const override { return static_cast<int>(rows.size()); }
    CPrintTask* GetRowJob(int row) const override;
    void SetRowJob(int row, CPrintTask* job) override;
    int InsertJobRow(int row, const CString& text, CPrintTask* job) override;
    void DeleteRow(int row) override;
    int GetRowChecked(int row) const override;
    CArray<int32_t> GetSelectedRows() const override;
    void SelectRow(int row) override;
    // Writes the cells as the job list view does, and records the refresh (row, column).
    void FormatJobRow(int row, int column) override;
    ListRowTexts GetRowTexts(int row) const override;

    std::vector<Row> rows;
    std::vector<std::pair<int, int>> formatted;
};

class TestMachineRows : public MachineListRows {
public:
    struct Row {
        NET_Machine* machine = nullptr;
        int checked = 0;
    };

    int GetRowCount() const override { return static_cast<int>(rows.size()); }
    NET_Machine* GetRowMachine(int row) const override;
    int GetRowChecked(int row) const override;
    int GetSelectedIndex() const override { return selected; }
    void SetRowTexts(int row, const ListRowTexts& texts) override;
    int AppendMachineRow(const CString& text, NET_Machine* machine) override;
    // Checks row alone (the machine list's rule), or unchecks it.
    void SetRowChecked(int row, int checked) override;
    void SelectRow(int row) override { selected = row; }

    std::vector<Row> rows;
    int selected = -1;
    // The texts written to each row, by row index.
    std::vector<ListRowTexts> texts;
};

}  // namespace corvane_test
