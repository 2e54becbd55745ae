#pragma once
#include <QString>

namespace device {

// The number a settings text box holds: its leading numeric part. Leading blanks (spaces, tabs)
// are skipped; then an optional sign, digits, and an optional '.' with more digits are read up to
// the first character that cannot continue the number. The decimal point is always '.', whatever
// the user's locale, and there is no exponent: "12,5" reads 12, "1e3" reads 1, "n/a" reads 0.
// A text without leading digits (empty, "abc", "-", ".") reads 0; "-0" reads 0 (never -0).
double vbLeadingNumber(const QString& text);

// Rounds to the nearest whole number, an exact half to the even neighbour (2.5 -> 2, 3.5 -> 4,
// -2.5 -> -2): how a typed number is adopted as a spin-button value. Non-finite values come back
// unchanged.
double roundHalfEven(double value);

} // namespace device
