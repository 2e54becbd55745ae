#pragma once
#include "link/Commands.h"
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace device {
class Session;
}

namespace diagnostics {

// Presetting the two pulse-input counters of a module. Input index 0 is input 1, 1 is input 2.

// The counters hold 0 ... 2^31 - 1.
inline constexpr quint32 kInputCounterMax = 2147483647u;

// The text the input box should show after an edit: the typed text itself, or "2147483647" when
// its leading number is 2^31 or more (the counter cannot hold more). Other texts, including
// negative or fractional ones, stay as typed; sending refuses them (see validateInputValue).
QString cappedInputText(const QString& text);

// The value to send for a box's text, or a message telling the user why it cannot be sent.
struct InputValue {
    std::optional<quint32> value; // set when the text can be sent
    QString error;                // set otherwise
};
// Reads the box's leading number (blanks, sign, digits, '.'; none reads 0) and accepts whole
// numbers from 0 to 2147483647. A negative or fractional value has no encoding on the wire and is
// refused before the confirmation.
InputValue validateInputValue(const QString& text);

// "Are you sure to set Input 2 to 258?"
QString inputConfirmationText(int inputIndex, quint32 value);

// Command byte of input i: 133 + i.
std::uint8_t inputCounterCommand(int inputIndex);

// The 5-byte payload: the value most significant byte first, then the command byte again, as the
// module expects it. Input 2 with 258 gives 0, 0, 1, 2, 134.
QByteArray inputCounterPayload(int inputIndex, quint32 value);

// Presets input counter 1 or 2 (inputIndex 0 or 1) of the device on the session; the device's
// answer comes back (the window does not look at it, qmr51ctl does).
comlink::Reply presetCounter(device::Session& session, int inputIndex, quint32 value);

} // namespace diagnostics
