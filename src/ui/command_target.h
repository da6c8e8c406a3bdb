// CommandTarget: a window that carries out commands of the frame's tool bars and menus and
// tells the state of their buttons. The frame asks its targets in turn.
#pragma once

#include <optional>

struct CommandButtonState {
    bool enabled = false;
    bool checked = false;
};

class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // Carries out command id; false when id is not one of this target's commands.
    virtual bool OnCommand(int id) = 0;
    // The state of id's button, or nothing when id is not one of this target's commands.
    virtual std::optional<CommandButtonState> CommandState(int id) const = 0;
};
