#include "diagnostics/DebugLogText.h"
#include "link/Commands.h"

namespace diagnostics {

namespace {

// The module answers with a single status byte instead of a log when it cannot read the meter.
QString deviceStatusMessage(std::uint8_t status)
{
    switch (status) {
    case 1: return QStringLiteral("P1 busy. Please retry");
    case 2: return QStringLiteral("Buffer (1200bytes) overflow");
    case 3: return QStringLiteral("P1 not connected or protocol not set correctly");
    default: return {};
    }
}

} // namespace

DebugLogReadOutcome interpretDebugLogResult(const comlink::Reply& reply)
{
    switch (reply.status) {
    case comlink::kOk:
        if (reply.data.size() == 1)
            return {deviceStatusMessage(static_cast<std::uint8_t>(reply.data.at(0))), {}};
        return {{}, reply.data};
    case comlink::kLengthOverflow: return {QStringLiteral("RX Length Overflow"), {}};
    case comlink::kWrongEnd: return {QStringLiteral("Wrong end character received"), {}};
    case comlink::kTimedOut: return {QStringLiteral("RX timed out"), {}};
    default: return {};
    }
}

QString logBytesToText(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

QString proposedDebugLogFileName(const QString& caption, const QString& dateText, const QString& timeText)
{
    QString name = caption + QStringLiteral("-debuglog-") + dateText + u'-' + timeText + QStringLiteral(".txt");
    name.remove(u'/');
    name.remove(u':');
    return name;
}

QByteArray debugLogFileContent(const QByteArray& log) { return log + "\r\n"; }

} // namespace diagnostics
