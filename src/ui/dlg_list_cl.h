// CDlgListCL: a table of typed parameters edited in place, with the description of the row
// clicked under it. The records stay the caller's: the editor writes into them.
#pragma once

#include <QDialog>
#include <QString>

class CListCtrlCl;
class QLabel;
struct ParamRecord;

class CDlgListCL : public QDialog {
    Q_OBJECT
public:
    // Shows count records (which must outlive the dialog) with a name column nameWidth pixels
    // wide, under title.
    CDlgListCL(ParamRecord* records, int count, int nameWidth, const QString& title, QWidget* parent = nullptr);

    // Runs the dialog modally; IDOK when it closed through OK.
    int DoModal();
    CListCtrlCl* List() const { return list_; }
    // Shows the description of row, or nothing for a row outside the table.
    void OnListCtrlClick(int row);

private:
    ParamRecord* records_;
    int count_;
    CListCtrlCl* list_;
    QLabel* description_;
};
