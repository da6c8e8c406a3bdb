// The rows of the job list and machine list views, as the document sees them: item data,
// check boxes, selection, insertion and refresh. The views implement it; tests use a fake.
#pragma once

#include "app/list_lines.h"
#include "platform/carray.h"
#include "platform/cstring.h"

#include <cstdint>

class CPrintTask;
class NET_Machine;

// Rows of the job list view: one per listed job, in dispatch order.
class JobListRows {
public:
    virtual ~JobListRows() = default;

    virtual int GetRowCount() const = 0;
    // The job of a row (its item data); null for a row out of range.
    virtual CPrintTask* GetRowJob(int row) const = 0;
    // Makes job the item data of an existing row (rows trade jobs this way).
    virtual void SetRowJob(int row, CPrintTask* job) = 0;
    // Inserts a row at index row (at the end when row < 0 or above the count) with text in
    // column 0 and job as item data; returns the new row's index.
    virtual int InsertJobRow(int row, const CString& text, CPrintTask* job) = 0;
    virtual void DeleteRow(int row) = 0;
    // The row's check box: 1 checked, 0 not.
    virtual int GetRowChecked(int row) const = 0;
    // The selected rows in ascending order.
    virtual CArray<int32_t> GetSelectedRows() const = 0;
    // Selects and focuses row alone.
    virtual void SelectRow(int row) = 0;
    // Writes the column texts of a row from its job: column 0-4, or -1 for all five.
    virtual void FormatJobRow(int row, int column) = 0;
    // The five texts a row shows (empty for a row out of range).
    virtual ListRowTexts GetRowTexts(int row) const = 0;

    // The first selected row, or -1.
    int GetSelectedIndex() const
    {
        const CArray<int32_t> rows = GetSelectedRows();
        return rows.GetSize() > 0 ? rows[0] : -1;
    }
    // The job of the first selected row, or null.
    CPrintTask* GetSelectedItemData() const
    {
        const int row = GetSelectedIndex();
        return row >= 0 ? GetRowJob(row) : nullptr;
    }
    // The row whose item data is job, or -1.
    int FindJobRow(const CPrintTask* job) const
    {
        for (int row = 0; job != nullptr && row < GetRowCount(); ++row)
            if (GetRowJob(row) == job)
                return row;
        return -1;
    }
};

// Rows of the machine list view: one per machine found; at most one row is checked (the
// current machine).
class MachineListRows {
public:
    virtual ~MachineListRows() = default;

    virtual int GetRowCount() const = 0;
    // The machine of a row (its item data); null for a row out of range.
    virtual NET_Machine* GetRowMachine(int row) const = 0;
    virtual int GetRowChecked(int row) const = 0;
    // The first selected row, or -1.
    virtual int GetSelectedIndex() const = 0;
    // Writes the five texts of a row (IP, state, MAC, ID, version); a row out of range is ignored.
    virtual void SetRowTexts(int row, const ListRowTexts& texts) = 0;
    // Appends a row with text in column 0 and machine as item data; returns its index.
    virtual int AppendMachineRow(const CString& text, NET_Machine* machine) = 0;
    // Sets the row's check box (1 checked, 0 not); the view keeps at most one row checked.
    virtual void SetRowChecked(int row, int checked) = 0;
    // Selects and focuses row alone.
    virtual void SelectRow(int row) = 0;

    // The machine of the first selected row, or null.
    NET_Machine* GetSelectedItemData() const
    {
        const int row = GetSelectedIndex();
        return row >= 0 ? GetRowMachine(row) : nullptr;
    }
    // The machine of the first checked row, or null.
    NET_Machine* GetCheckedMachine() const
    {
        for (int row = 0; row < GetRowCount(); ++row)
            if (GetRowChecked(row))
                return GetRowMachine(row);
        return nullptr;
    }
    // The row whose item data is machine, or -1.
    int FindMachineRow(const NET_Machine* machine) const
    {
        for (int row = 0; machine != nullptr && row < GetRowCount(); ++row)
            if (GetRowMachine(row) == machine)
                return row;
        return -1;
    }
};
