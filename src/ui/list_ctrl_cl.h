// CListCtrlCl: a parameter table with a fixed row height, per-column alignment and a
// gradient header, whose value column (2) is edited in place by a CItemEditEx. Each row
// carries the ParamRecord it shows; an edit parses into the record and the cell then shows
// the record's value as it was stored.
#pragma once

#include "platform/colorref.h"

#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QString>
#include <QTableView>

class CHeaderCtrlCl;
class QStandardItemModel;
struct ParamRecord;

// The in-place editor of a list cell. Its edit ends once: when it loses the focus, or on
// Escape or Enter; later focus changes (as when it is hidden and deleted) end nothing.
class CItemEditEx : public QLineEdit {
    Q_OBJECT
public:
    explicit CItemEditEx(QWidget* parent);

    // Ends the edit unless it has ended already.
    void EndEdit();

signals:
    void EditEnded();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool ended_ = false;
};

class CListCtrlCl : public QTableView {
    Q_OBJECT
public:
    // The column that opens an editor on a double click.
    static constexpr int kValueColumn = 2;

    explicit CListCtrlCl(QWidget* parent = nullptr);

    CHeaderCtrlCl* Header() const { return header_; }
    // Every row is this many pixels high (when above 0).
    void SetRowHeight(int pixels);
    // The list's font height in pixels (face "宋体").
    void SetFontHeight(int pixels);
    void SetTextColor(COLORREF colour) { textColour_ = colour; }
    COLORREF GetTextColor() const { return textColour_; }

    // Inserts a column titled title, width pixels wide, aligned as alignment (left, centre or
    // right).
    void InsertColumn(int column, const QString& title, Qt::Alignment alignment, int width);
    // Inserts a row whose first column reads text.
    void InsertItem(int row, const QString& text);
    void SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    // The record a row shows; the editor writes into it.
    void SetItemData(int row, ParamRecord* record);
    ParamRecord* GetItemData(int row) const;
    int GetItemCount() const;
    // One character per column: '0' left, '1' centre, '2' right.
    const QString& Alignment() const { return alignment_; }

    // The cell being edited; invalid when no editor is open.
    const QPersistentModelIndex& EditedCell() const { return editedCell_; }
    void SetEditedCell(const QModelIndex& cell) { editedCell_ = cell; }
    // Ends the open edit, taking its text; nothing when none is open.
    void EndEdit();

signals:
    // A single click: the row under the mouse, -1 outside the rows. Delivered queued.
    void ListCtrlClick(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QStandardItemModel* model_;
    CHeaderCtrlCl* header_;
    QString alignment_;
    COLORREF textColour_ = RGB(0, 0, 0);
    QPersistentModelIndex editedCell_;
};
