// The report list model and view shared by the job list and machine list.
#include "ui/list_view_base.h"

#include "ui/qt_text.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

ReportListModel::ReportListModel(std::vector<ListColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns))
{
}

int ReportListModel::InsertRow(int row, const CString& text, void* itemData)
{
    if (row < 0 || row > RowCount()) row = RowCount();
    beginInsertRows(QModelIndex(), row, row);
    Row inserted;
    inserted.texts[0] = text;
    inserted.itemData = itemData;
    rows_.insert(rows_.begin() + row, inserted);
    endInsertRows();
    return row;
}

void ReportListModel::RemoveRow(int row)
{
    if (!HasRow(row)) return;
    beginRemoveRows(QModelIndex(), row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

CString ReportListModel::GetItemText(int row, int column) const
{
    if (!HasRow(row) || column < 0 || column >= kListColumnCount) return CString();
    return rows_[static_cast<size_t>(row)].texts[static_cast<size_t>(column)];
}

void ReportListModel::SetItemText(int row, int column, const CString& text)
{
    if (!HasRow(row) || column < 0 || column >= kListColumnCount) return;
    rows_[static_cast<size_t>(row)].texts[static_cast<size_t>(column)] = text;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

ListRowTexts ReportListModel::GetRowTexts(int row) const
{
    return HasRow(row) ? rows_[static_cast<size_t>(row)].texts : ListRowTexts{};
}

void ReportListModel::SetItemData(int row, void* itemData)
{
    if (HasRow(row)) rows_[static_cast<size_t>(row)].itemData = itemData;
}

bool ReportListModel::SetCheck(int row, int checked) { return WriteCheck(row, checked != 0); }

void ReportListModel::ToggleCheckByOperator(int row)
{
    if (!HasRow(row)) return;
    const bool checked = !rows_[static_cast<size_t>(row)].checked;
    WriteCheck(row, checked);
    if (onOperatorCheck_) onOperatorCheck_(row, checked);
}

bool ReportListModel::WriteCheck(int row, bool checked)
{
    if (!HasRow(row) || rows_[static_cast<size_t>(row)].checked == checked) return false;
    rows_[static_cast<size_t>(row)].checked = checked;
    const QModelIndex cell = index(row, 0);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
    return true;
}

int ReportListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : RowCount(); }

int ReportListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ReportListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !HasRow(index.row())) return {};
    if (role == Qt::DisplayRole) return ToQString(GetItemText(index.row(), index.column()));
    if (role == Qt::CheckStateRole && index.column() == 0)
        return rows_[static_cast<size_t>(index.row())].checked ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool ReportListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != 0 || !HasRow(index.row())) return false;
    const bool checked = value.toInt() == Qt::Checked;
    if (!WriteCheck(index.row(), checked)) return true;
    if (onOperatorCheck_) onOperatorCheck_(index.row(), checked);
    return true;
}

Qt::ItemFlags ReportListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags itemFlags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0) itemFlags |= Qt::ItemIsUserCheckable;
    return itemFlags;
}

QVariant ReportListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= static_cast<int>(columns_.size()))
        return {};
    return ToQString(columns_[static_cast<size_t>(section)].header);
}

CListViewBase::CListViewBase(std::vector<ListColumn> columns, QAbstractItemView::SelectionMode selection,
                             QWidget* parent)
    : QTreeView(parent), model_(new ReportListModel(std::move(columns), this))
{
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(selection);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setSectionsClickable(false);
    header()->setSortIndicatorShown(false);
    header()->setStretchLastSection(false);
    for (size_t c = 0; c < model_->Columns().size(); ++c)
        setColumnWidth(static_cast<int>(c), model_->Columns()[c].widthPx);
    model_->SetOperatorCheckHandler([this](int row, bool checked) { OnOperatorCheck(row, checked); });
}

int CListViewBase::GetSelectedIndex() const
{
    const CArray<int32_t> rows = SelectedRows();
    return rows.GetSize() > 0 ? rows[0] : -1;
}

void* CListViewBase::GetSelectedItemData() const { return model_->GetItemData(GetSelectedIndex()); }

CArray<int32_t> CListViewBase::SelectedRows() const
{
    std::vector<int32_t> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    CArray<int32_t> sorted;
    for (int32_t row : rows) sorted.Add(row);
    return sorted;
}

void CListViewBase::SelectOnly(int row)
{
    if (!model_->HasRow(row)) return;
    const QModelIndex cell = model_->index(row, 0);
    selectionModel()->setCurrentIndex(
        cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(cell);
}

int CListViewBase::RowAt(const QPoint& viewportPos) const
{
    const QModelIndex index = indexAt(viewportPos);
    return index.isValid() ? index.row() : -1;
}

void CListViewBase::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        if (currentIndex().isValid()) model_->ToggleCheckByOperator(currentIndex().row());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void CListViewBase::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int row = RowAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        QTreeView::mouseDoubleClickEvent(event);
        if (row >= 0) OnLeftDoubleClick(row);
    } else if (event->button() == Qt::RightButton) {
        event->accept();
        if (row >= 0) OnRightDoubleClick(row);
    } else {
        QTreeView::mouseDoubleClickEvent(event);
    }
}

void CListViewBase::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    if (event->button() != Qt::RightButton) return;
    const int row = RowAt(event->position().toPoint());
    if (row >= 0) OnRightClick(row);
}
