// CListViewBase: a report list of rows with a check box, five text cells and item data, as
// the job list and machine list show them.
//
// The view is a QTreeView without root decoration, selecting whole rows, with a header that
// does not sort. Its model holds what a list control holds: each cell's text, each row's check
// state and item data. A cell changes only when written, so the lines echoed to upload clients
// are built from the texts the operator sees. An operator's switch of a check box (a click on
// it, or Space on the current row) reaches OnOperatorCheck; a check written by the program
// does not.
#pragma once

#include "app/list_lines.h"
#include "platform/carray.h"
#include "platform/cstring.h"

#include <QAbstractTableModel>
#include <QTreeView>

#include <cstdint>
#include <functional>
#include <vector>

// One column of a report list: header text and width, pixels.
struct ListColumn {
    CString header;
    int widthPx = 100;
};

// The rows of a report list: texts, check state and item data per row.
class ReportListModel : public QAbstractTableModel {
public:
    // Called when the operator switched the check box of row to checked.
    using CheckHandler = std::function<void(int row, bool checked)>;

    ReportListModel(std::vector<ListColumn> columns, QObject* parent);

    void SetOperatorCheckHandler(CheckHandler handler) { onOperatorCheck_ = std::move(handler); }

    int RowCount() const { return static_cast<int>(rows_.size()); }
    bool HasRow(int row) const { return row >= 0 && row < RowCount(); }
    // Inserts a row at index row (at the end when row < 0 or above the count) with text in
    // column 0; returns its index.
    int InsertRow(int row, const CString& text, void* itemData);
    void RemoveRow(int row);

    CString GetItemText(int row, int column) const;
    void SetItemText(int row, int column, const CString& text);
    ListRowTexts GetRowTexts(int row) const;
    void* GetItemData(int row) const { return HasRow(row) ? rows_[static_cast<size_t>(row)].itemData : nullptr; }
    void SetItemData(int row, void* itemData);
    // 1 checked, 0 not (0 for a row out of range).
    int GetCheck(int row) const { return HasRow(row) && rows_[static_cast<size_t>(row)].checked ? 1 : 0; }
    // Writes the check box of row without calling the operator handler; true when it switched.
    bool SetCheck(int row, int checked);
    // Switches the check box of row as the operator does, calling the handler.
    void ToggleCheckByOperator(int row);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Takes the check state the view sets when the operator clicks a check box.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const std::vector<ListColumn>& Columns() const { return columns_; }

private:
    struct Row {
        ListRowTexts texts;
        bool checked = false;
        void* itemData = nullptr;
    };

    // Writes the check box of row and tells the view; true when it switched.
    bool WriteCheck(int row, bool checked);

    std::vector<ListColumn> columns_;
    std::vector<Row> rows_;
    CheckHandler onOperatorCheck_;
};

class CListViewBase : public QTreeView {
public:
    CListViewBase(std::vector<ListColumn> columns, QAbstractItemView::SelectionMode selection, QWidget* parent);

    ReportListModel& Model() { return *model_; }
    const ReportListModel& Model() const { return *model_; }

    // The first selected row, or -1.
    int GetSelectedIndex() const;
    // The item data of the first selected row, or null.
    void* GetSelectedItemData() const;
    // The selected rows in ascending order.
    CArray<int32_t> SelectedRows() const;
    // Selects and focuses row alone (nothing for a row out of range).
    void SelectOnly(int row);

protected:
    // Called after the operator switched the check box of row.
    virtual void OnOperatorCheck(int row, bool checked) = 0;
    // Called for a double click of the left or the right button on row; nothing by default.
    virtual void OnLeftDoubleClick(int) {}
    virtual void OnRightDoubleClick(int) {}
    // Called when the right button was released over row (a right click).
    virtual void OnRightClick(int row) = 0;

    // Space switches the check box of the current row.
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The row under a viewport point, or -1.
    int RowAt(const QPoint& viewportPos) const;

    ReportListModel* model_;
};
