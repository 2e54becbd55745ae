#pragma once
#include <QObject>

namespace shell {
class Tool;
}

namespace diagnostics {

// Presetting the two pulse-input counters of a TIKA V2 (frame "Input pulses"): a text box and a
// Send button per input, index 0 for input 1 and 1 for input 2.
class InputCounters {
public:
    explicit InputCounters(shell::Tool& tool);

    // A counter holds at most 2147483647: a larger number is replaced by that maximum. Any other
    // text stays as typed (Send checks it).
    void txtInput_Change(int i);

    // Sends the box's value to the module (command 133 + i: four value bytes, most significant
    // first, then the command byte again) after the user confirmed it with Yes ("No" is the
    // default). A negative or fractional value has no encoding on the wire and is refused with a
    // message before the question. The module's answer is not examined.
    void cmdSendInput_Click(int i);

private:
    void presetInTurn(int i);

    shell::Tool& tool_;
    // Context of the control connections: they end with this handler.
    QObject connections_;
};

} // namespace diagnostics
