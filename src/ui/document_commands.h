// DocumentCommands: the main tool bar's document and job-row commands, carried out by the
// document, with their buttons' states.
#pragma once

#include "ui/command_target.h"

class CDocCorvane;

class DocumentCommands : public CommandTarget {
public:
    explicit DocumentCommands(CDocCorvane& doc) : doc_(doc) {}

    bool OnCommand(int id) override;
    // The machine commands (zero, test jet, reset, machine setup) need a selected machine
    // row, copies +/- and the four moves a selected job row; directory print is checked
    // while on; the others are always enabled (each does nothing without what it acts on).
    std::optional<CommandButtonState> CommandState(int id) const override;

private:
    CDocCorvane& doc_;
};
