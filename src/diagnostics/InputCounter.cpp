#include "diagnostics/InputCounter.h"
#include "device/Session.h"
#include "link/Commands.h"
#include "device/VbNumber.h"
#include <cmath>

namespace diagnostics {

namespace {

constexpr double kFirstTooLarge = 2147483648.0; // 2^31

QString rangeHint() { return QStringLiteral("Enter a whole number from 0 to 2147483647."); }

} // namespace

QString cappedInputText(const QString& text)
{
    if (device::vbLeadingNumber(text) >= kFirstTooLarge)
        return QString::number(kInputCounterMax);
    return text;
}

InputValue validateInputValue(const QString& text)
{
    const double v = device::vbLeadingNumber(text);
    if (v < 0)
        return {std::nullopt, QStringLiteral("A pulse counter cannot be set to a negative value. ") + rangeHint()};
    if (v != std::floor(v))
        return {std::nullopt, QStringLiteral("A pulse counter counts whole pulses; it cannot be set to a fraction. ")
                                  + rangeHint()};
    if (v >= kFirstTooLarge)
        return {std::nullopt, QStringLiteral("The value is too large for a pulse counter. ") + rangeHint()};
    return {static_cast<quint32>(v), {}};
}

QString inputConfirmationText(int inputIndex, quint32 value)
{
    return QStringLiteral("Are you sure to set Input ") + QString::number(inputIndex + 1) + QStringLiteral(" to ")
        + QString::number(value) + u'?';
}

std::uint8_t inputCounterCommand(int inputIndex)
{
    return static_cast<std::uint8_t>(comlink::kSetInput1 + (inputIndex == 0 ? 0 : 1));
}

QByteArray inputCounterPayload(int inputIndex, quint32 value)
{
    QByteArray out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(static_cast<char>((value >> shift) & 0xFFu));
    out.append(static_cast<char>(inputCounterCommand(inputIndex)));
    return out;
}

comlink::Reply presetCounter(device::Session& session, int inputIndex, quint32 value)
{
    return session.request(inputCounterCommand(inputIndex), inputCounterPayload(inputIndex, value));
}

} // namespace diagnostics
