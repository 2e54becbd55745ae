#include "device/VbNumber.h"
#include <QByteArray>
#include <cmath>

namespace device {

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

} // namespace

double vbLeadingNumber(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;

    QByteArray number; // ASCII only, read with the C locale below
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        number.append(static_cast<char>(text[i++].unicode()));
    }
    bool anyDigit = false;
    bool wholePartNonZero = false;
    for (; i < n && isDigit(text[i]); ++i, anyDigit = true) {
        wholePartNonZero = wholePartNonZero || text[i] != u'0';
        number.append(static_cast<char>(text[i].unicode()));
    }
    if (i < n && text[i] == u'.') {
        number.append('.');
        for (++i; i < n && isDigit(text[i]); ++i, anyDigit = true)
            number.append(static_cast<char>(text[i].unicode()));
    }
    if (!anyDigit)
        return 0.0;
    bool ok = false;
    const double value = number.toDouble(&ok); // locale-independent
    if (!ok) {
        // Qt gives 0 for a number past the range of a double. Hundreds of typed digits are a huge
        // number, not nothing: report it as infinitely large so the boxes cap it at their maximum
        // (a tiny one, "0.000…1", may well read as 0).
        if (!wholePartNonZero)
            return 0.0;
        return negative ? -HUGE_VAL : HUGE_VAL;
    }
    return value == 0.0 ? 0.0 : value;
}

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double rounded = std::round(value); // halves away from zero
    if (std::fabs(value - std::trunc(value)) != 0.5)
        return rounded;
    const double even = 2.0 * std::round(value / 2.0); // the even one of the two neighbours
    return even == 0.0 ? 0.0 : even;                    // -0.5 gives 0, not -0
}

} // namespace device
