// CDlgMachParam: the machine-limits record (machine size and homing motion), b1..b8.
#pragma once

#include <QDialog>

class QLineEdit;
struct MachineParams;

inline constexpr int kMachineLimitValues = 8;

class CDlgMachParam : public QDialog {
    Q_OBJECT
public:
    // Edits *limits, which the caller owns; OK writes the fields into it.
    explicit CDlgMachParam(MachineParams* limits, QWidget* parent = nullptr);

    // Runs the dialog modally; IDOK when it closed through OK.
    int DoModal();
    // Takes the fields into the record and closes; stays open after a field's message.
    void OnOK();

private:
    MachineParams* limits_;
    QLineEdit* edits_[kMachineLimitValues] = {};
};
