// In-memory rows of the job list and machine list views.
#include "support/test_views.h"

#include "app/print_task.h"

namespace corvane_test {

namespace {
bool InRange(size_t count, int row) { return row >= 0 && static_cast<size_t>(row) < count; }
}  // namespace

CPrintTask* TestJobRows::GetRowJob(int row) const { return InRange(rows.size(), row) ? rows[row].job : nullptr; }

void TestJobRows::SetRowJob(int row, CPrintTask* job)
{
    if (InRange(rows.size(), row))
        rows[row].job = job;
}

int TestJobRows::InsertJobRow(int row, const CString& text, CPrintTask* job)
{
    if (row < 0 || row > GetRowCount())
        row = GetRowCount();
    Row inserted;
    inserted.texts[JobColumn::kFile] = text;
    inserted.job = job;
    rows.insert(rows.begin() + row, inserted);
    return row;
}

void TestJobRows::DeleteRow(int row)
{
    if (InRange(rows.size(), row))
        rows.erase(rows.begin() + row);
}

int TestJobRows::GetRowChecked(int row) const { return InRange(rows.size(), row) ? rows[row].checked : 0; }

CArray<int32_t> TestJobRows::GetSelectedRows() const
{
    CArray<int32_t> selectedRows;
    for (int row = 0; row < GetRowCount(); ++row)
        if (rows[row].selected)
            selectedRows.Add(row);
    return selectedRows;
}

void TestJobRows::SelectRow(int row)
{
    for (int r = 0; r < GetRowCount(); ++r)
        rows[r].selected = r == row;
}

void TestJobRows::FormatJobRow(int row, int column)
{
    if (!InRange(rows.size(), row) || rows[row].job == nullptr) return;
    formatted.emplace_back(row, column);
    const JobRowCells cells = FormatJobRowCells(*rows[row].job, column);
    for (int c = 0; c < kListColumnCount; ++c)
        if (cells.texts[c]) rows[row].texts[c] = *cells.texts[c];
    if (cells.writesCheck) rows[row].checked = rows[row].job->checked;
}

ListRowTexts TestJobRows::GetRowTexts(int row) const
{
    return InRange(rows.size(), row) ? rows[row].texts : ListRowTexts{};
}

NET_Machine* TestMachineRows::GetRowMachine(int row) const
{
    return InRange(rows.size(), row) ? rows[row].machine : nullptr;
}

int TestMachineRows::GetRowChecked(int row) const { return InRange(rows.size(), row) ? rows[row].checked : 0; }

void TestMachineRows::SetRowTexts(int row, const ListRowTexts& rowTexts)
{
    if (!InRange(rows.size(), row)) return;
    if (texts.size() < rows.size()) texts.resize(rows.size());
    texts[row] = rowTexts;
}

int TestMachineRows::AppendMachineRow(const CString& text, NET_Machine* machine)
{
    rows.push_back({machine, 0});
    texts.resize(rows.size());
    texts.back()[0] = text;
    return static_cast<int>(rows.size()) - 1;
}

void TestMachineRows::SetRowChecked(int row, int checked)
{
    if (!InRange(rows.size(), row)) return;
    if (checked)
        for (Row& other : rows) other.checked = 0;
    rows[row].checked = checked ? 1 : 0;
}

}  // namespace corvane_test
