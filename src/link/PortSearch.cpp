#include "link/PortSearch.h"

namespace comlink {

namespace {

constexpr int kHighestPort = 255;

// Digits from position `from` on, after blanks; 0 without digits; nullopt past the highest port.
std::optional<int> leadingNumber(const QString& text, qsizetype from, bool skipBlanks)
{
    qsizetype i = from;
    if (skipBlanks) {
        while (i < text.size() && text.at(i) == QLatin1Char(' '))
            ++i;
    }
    int value = 0;
    for (; i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128; ++i) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > kHighestPort)
            return std::nullopt;
    }
    return value;
}

} // namespace

QString portEntry(int portNumber) { return QStringLiteral("COM%1:").arg(portNumber); }

std::optional<int> portNumberOfEntry(const QString& entry) { return leadingNumber(entry, 3, true); }

std::optional<int> candidatePortNumber(const QString& deviceName)
{
    if (!deviceName.contains(QLatin1String("(COM")) || deviceName.contains(QLatin1String("COM ")))
        return std::nullopt;
    return leadingNumber(deviceName, deviceName.indexOf(QLatin1String("COM")) + 3, true);
}

} // namespace comlink
