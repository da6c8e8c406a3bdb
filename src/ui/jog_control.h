// The jog rule of the control panel's held buttons: a press starts the machine moving, and
// the end of the hold (release, or any way the hold is lost) stops that same machine once.
#pragma once

#include <cstdint>
#include <optional>

// Key command of the jog buttons.
constexpr uint8_t kJogButtonCommand = 128;
// Key value that stops a jog.
constexpr uint8_t kJogStopValue = 6;

// Key value of a jog button's control id (1001-1004, 1019, 1022), or nothing for other ids.
std::optional<uint8_t> JogKeyValue(int controlId);

// One key command to post: PostMachineCommandByte(machineKey, kJogButtonCommand, value).
struct JogCommand {
    uint32_t machineKey = 0;
    uint8_t value = 0;
    bool operator==(const JogCommand&) const = default;
};

// The hold of one jog button.
class JogControl {
public:
    // A press of button controlId with selectedMachine (its key) selected, if any: the
    // command to send, or nothing without a machine, for an id that does not jog, or while
    // a jog is already held.
    std::optional<JogCommand> Press(int controlId, std::optional<uint32_t> selectedMachine);
    // The end of a hold (release, lost grab, hide, disable, focus out, destruction): the stop
    // for the machine fixed at the press, once per press; nothing when no jog is held.
    std::optional<JogCommand> End();

    bool IsPressed() const { return pressedMachine_.has_value(); }

private:
    // The machine a held jog moves: the stop goes to it even if the selection changed since,
    // so a moving machine is never left running.
    std::optional<uint32_t> pressedMachine_;
};
