// The numbers typed into text boxes: the settings editor's boxes (read as their leading number,
// then rounded to a spin-button value) and the input-counter box. Whatever is typed or pasted,
// the number read is never NaN or -0, a text without leading digits reads 0, the reading agrees
// with the C library's reading of the same leading part, and the input counter sends only whole
// numbers 0 ... 2147483647 in its 5-byte payload.
//
// Input: the typed text, as UTF-8 and as Latin-1 (both are tried).
#include "FuzzCheck.h"
#include "diagnostics/InputCounter.h"
#include "device/VbNumber.h"
#include <QRegularExpression>
#include <cfloat>
#include <cmath>
#include <cstdlib>

namespace {

// The leading number as the boxes read it, found independently: blanks, then sign, digits, and a
// '.' with more digits; no exponent, '.' whatever the locale.
double referenceLeadingNumber(const QString& text)
{
    static const QRegularExpression leading(QStringLiteral("^[ \\t]*([+-]?[0-9]*(\\.[0-9]*)?)"));
    const QString number = leading.match(text).captured(1);
    if (!number.contains(QRegularExpression(QStringLiteral("[0-9]"))))
        return 0.0;
    return std::strtod(number.toLatin1().constData(), nullptr);
}

void checkLeadingNumber(const QString& text)
{
    const double v = device::vbLeadingNumber(text);
    FUZZ_CHECK(!std::isnan(v));
    FUZZ_CHECK(!(v == 0.0 && std::signbit(v)));
    const double expected = referenceLeadingNumber(text);
    // Below the smallest normal double the two readers may differ in how they round to zero.
    if (std::fabs(expected) >= DBL_MIN || expected == 0.0)
        FUZZ_CHECK(v == expected || (std::isinf(v) && std::isinf(expected) && v == expected));
    else
        FUZZ_CHECK(std::fabs(v) < DBL_MIN);

    // Adopted as a spin-button value: a whole number within half of what was typed.
    const double rounded = device::roundHalfEven(v);
    if (std::isfinite(v)) {
        FUZZ_CHECK(rounded == std::trunc(rounded));
        FUZZ_CHECK(std::fabs(rounded - v) <= 0.5);
        if (std::fabs(rounded - v) == 0.5)
            FUZZ_CHECK(std::fmod(rounded, 2.0) == 0.0);
    } else {
        FUZZ_CHECK(rounded == v);
    }
}

// expected: the box's leading number as read independently, so that a misreading shows as the
// wrong value sent, not only as a wrong number.
void checkInputCounter(const QString& text, double expected)
{
    const QString capped = diagnostics::cappedInputText(text);
    FUZZ_CHECK(capped == (expected >= 2147483648.0 ? QStringLiteral("2147483647") : text));

    const diagnostics::InputValue value = diagnostics::validateInputValue(text);
    FUZZ_CHECK(value.value.has_value() == value.error.isEmpty());
    const bool acceptable = expected >= 0 && expected == std::floor(expected) && expected < 2147483648.0;
    FUZZ_CHECK(value.value.has_value() == acceptable);
    if (!value.value)
        return;
    FUZZ_CHECK(*value.value == static_cast<quint32>(expected));
    for (int input = 0; input < 2; ++input) {
        const QByteArray payload = diagnostics::inputCounterPayload(input, *value.value);
        FUZZ_CHECK(payload.size() == 5);
        quint32 sent = 0;
        for (int i = 0; i < 4; ++i)
            sent = (sent << 8) | fuzzing::byteAt(payload, i);
        FUZZ_CHECK(sent == *value.value);
        FUZZ_CHECK(fuzzing::byteAt(payload, 4) == 133 + input);
        FUZZ_CHECK(diagnostics::inputCounterCommand(input) == 133 + input);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = fuzzing::bytesOf(data, size);
    for (const QString& text : {QString::fromUtf8(bytes), QString::fromLatin1(bytes)}) {
        checkInputCounter(text, referenceLeadingNumber(text));
        checkLeadingNumber(text);
    }
    return 0;
}
