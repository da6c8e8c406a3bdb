// The dialogs the document opens: program settings, pen modes, machine settings. The user
// interface implements them; without an implementation each acts as cancelled.
#pragma once

class CDocCorvane;
class NET_Machine;
struct PenModeSettings;

class DocumentDialogs {
public:
    virtual ~DocumentDialogs() = default;

    // Runs the program settings dialog modally on doc.
    virtual void RunGlobalSettings(CDocCorvane& doc) = 0;
    // Runs the pen-mode dialog on settings; true when the operator accepted (settings then
    // hold the edited values).
    virtual bool RunPenModeSettings(PenModeSettings& settings) = 0;
    // Runs the machine settings dialog modally for machine.
    virtual void RunMachineSetup(CDocCorvane& doc, NET_Machine& machine) = 0;
};
