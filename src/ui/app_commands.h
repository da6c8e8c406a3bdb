// AppCommands: the application's commands on the main tool bar, its drop-down menu, the tray
// menu and the keyboard: open, help, about, the two languages, clearing the ARP cache and exit.
#pragma once

#include "ui/command_target.h"

class CMainFrame;

class AppCommands : public CommandTarget {
public:
    explicit AppCommands(CMainFrame& frame) : frame_(frame) {}

    bool OnCommand(int id) override;
    // Always enabled; the item of the application's current language is checked.
    std::optional<CommandButtonState> CommandState(int id) const override;

private:
    CMainFrame& frame_;
};
