// The jog buttons' key values and the press/stop pairing.
#include "ui/jog_control.h"

std::optional<uint8_t> JogKeyValue(int controlId)
{
    switch (controlId) {
    case 1001: return 2;
    case 1002: return 3;
    case 1003: return 4;
    case 1004: return 5;
    case 1019: return 9;
    case 1022: return 8;
    default: return std::nullopt;
    }
}

std::optional<JogCommand> JogControl::Press(int controlId, std::optional<uint32_t> selectedMachine)
{
    const std::optional<uint8_t> value = JogKeyValue(controlId);
    // A press while a jog is held (its release was lost) sends nothing: the held machine
    // keeps its one stop and no second machine starts without one.
    if (!value || !selectedMachine || pressedMachine_) return std::nullopt;
    pressedMachine_ = selectedMachine;
    return JogCommand{*selectedMachine, *value};
}

std::optional<JogCommand> JogControl::End()
{
    if (!pressedMachine_) return std::nullopt;
    const JogCommand stop{*pressedMachine_, kJogStopValue};
    pressedMachine_.reset();
    return stop;
}
