// CCuttingPage: the base of the cutting sheet's fourth pages. They store their values into the
// machine record and post the machine parameter codes the change needs themselves.
#pragma once

#include "ui/machine_param_codes.h"
#include "ui/property_sheet.h"
#include "ui/tool_offset_values.h"

class CUDPServer;
class FieldReaders;
class NET_Machine;
class QFormLayout;
class QLineEdit;

class CCuttingPage : public CPropertyPage {
    Q_OBJECT
public:
    CCuttingPage(CUDPServer& server, NET_Machine* machine);

    // True when the last OK stored a change (and posted its codes).
    bool IsChanged() const { return changed_; }

protected:
    // Adds the five tool-offset edits in the order of blockIndex (labels by block index) and
    // the two extension edits, showing offsets and extensions.
    void AddToolFields(QFormLayout* form, const int (&blockIndex)[kShownToolOffsets], const float* offsets,
                       const ExtensionValues& extensions);
    // Adds the tool fields' readers into offsets and extensions.
    void ReadToolFields(FieldReaders& fields, float* offsets, ExtensionValues& extensions);
    // Posts codes in order; remembers whether there were any.
    void Post(const MachineParamCodes& codes);

    CUDPServer& server_;
    NET_Machine* machine_;

private:
    QLineEdit* offsetEdits_[kShownToolOffsets] = {};  // block order
    QLineEdit* liftEdit_ = nullptr;
    QLineEdit* lineEdit_ = nullptr;
    bool changed_ = false;
};
