#include "shell/cli/DeviceLine.h"
#include "device/Captions.h"
#include "platform/PortNumbering.h"
#include "shell/TerminalText.h"
#include "shell/cli/ExitCode.h"
#include <QFileInfo>

namespace shell::cli {

namespace {

// The ports that --port serial:S, location:L or by-id:NAME names; nothing when `choice` is none of these.
std::optional<QList<platform::NumberedPort>> portsNamedBy(const QString& choice, const QList<platform::NumberedPort>& ports)
{
    const QString value = choice.section(QLatin1Char(':'), 1);
    const QString kind = choice.section(QLatin1Char(':'), 0, 0);
    QList<platform::NumberedPort> named;
    for (const platform::NumberedPort& p : ports) {
        const platform::PortIdentity& id = p.identity;
        if (kind == QLatin1String("serial") ? id.isUsb() && id.serialNumber == value
            : kind == QLatin1String("location") ? id.isUsb() && (id.location() == value || id.usbPath == value)
            : kind == QLatin1String("by-id") ? !id.byId.isEmpty() && id.byId == value
                                              : false)
            named.append(p);
    }
    const bool known = !value.isEmpty()
        && (kind == QLatin1String("serial") || kind == QLatin1String("location") || kind == QLatin1String("by-id"));
    return known ? std::optional(named) : std::nullopt;
}

} // namespace

QString DeviceLine::portName()
{
    const QString path = c_.ports().devicePath(portNumber_);
    return path.isEmpty() ? QStringLiteral("COM%1").arg(portNumber_) : QStringLiteral("COM%1 (%2)").arg(portNumber_).arg(path);
}

int DeviceLine::resolvePort(const QString& port)
{
    if (port.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0) {
        if (c_.ports().ports().isEmpty())
            return c_.fail(kNoDevice, QStringLiteral("No COM interfaces found"));
        QStringList found;
        for (const device::SurveyedPort& s : c_.survey()) {
            if (!s.identification.deviceFound)
                continue;
            portNumber_ = s.port.portNumber;
            const QByteArray serial = escapedForTerminal(s.identification.serial, LineFeeds::Escaped);
            found.append(QStringLiteral("COM%1 (%2 %3)").arg(s.port.portNumber)
                             .arg(device::displayName(s.identification.kind), QString::fromLatin1(serial)));
        }
        if (found.isEmpty())
            return c_.fail(kNoDevice, QStringLiteral("No QMR51 or TIKA found"));
        if (found.size() > 1)
            return c_.fail(kUsageError, QStringLiteral("Several devices answer: %1. Choose one with --port.")
                                            .arg(found.join(QStringLiteral(", "))));
        return kSuccess;
    }
    if (port.startsWith(QLatin1Char('/'))) {
        const std::optional<int> number = c_.ports().numberOfPath(port);
        if (!number)
            return c_.fail(kNoDevice, QStringLiteral("There is no serial device %1.").arg(port));
        portNumber_ = *number;
        return kSuccess;
    }
    if (const auto named = portsNamedBy(port, c_.ports().ports())) {
        if (named->isEmpty())
            return c_.fail(kNoDevice, QStringLiteral("No serial port is %1.").arg(port));
        if (named->size() > 1) {
            QStringList candidates;
            for (const platform::NumberedPort& p : *named)
                candidates.append(QStringLiteral("COM%1 (%2, %3)").arg(p.portNumber).arg(p.devicePath, p.identity.adapterText()));
            return c_.fail(kUsageError, QStringLiteral("%1 names several ports: %2. Choose one with location:, by-id: or COM<n>.")
                                            .arg(port, candidates.join(QStringLiteral("; "))));
        }
        portNumber_ = named->first().portNumber;
        return kSuccess;
    }
    const int number = platform::portNumberOfLinkName(port.toUpper());
    if (number == 0)
        return c_.fail(kUsageError, QStringLiteral("--port takes COM1 ... COM255, a device path such as /dev/ttyUSB0, "
                                                   "serial:<usb serial>, location:<usb location>, by-id:<name>, "
                                                   "or auto, not %1").arg(port));
    if (c_.ports().devicePath(number).isEmpty())
        return c_.fail(kNoDevice, QStringLiteral("COM%1 is no serial port of this computer.").arg(number));
    portNumber_ = number;
    return kSuccess;
}

int DeviceLine::connect()
{
    if (const int resolved = resolvePort(c_.options.port); resolved != kSuccess)
        return resolved;
    port_ = c_.makePort();
    session_ = std::make_unique<device::Session>(*port_, c_.ports(), c_.env.clock, c_.env.pump);
    return connectToResolvedPort();
}

int DeviceLine::assume(device::DeviceKind kind)
{
    // A device that does not answer cannot be found by asking around.
    if (c_.options.port.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0)
        return c_.fail(kUsageError, QStringLiteral("--force needs --port COM<n> or a device path: the port of the device "
                                                   "that no longer answers."));
    if (const int resolved = resolvePort(c_.options.port); resolved != kSuccess)
        return resolved;
    port_ = c_.makePort();
    session_ = std::make_unique<device::Session>(*port_, c_.ports(), c_.env.clock, c_.env.pump);
    session_->assume(static_cast<std::uint8_t>(portNumber_), kind);
    return kSuccess;
}

int DeviceLine::reconnect()
{
    session_->close();
    return connectToResolvedPort();
}

int DeviceLine::connectToResolvedPort()
{
    switch (session_->connect(static_cast<std::uint8_t>(portNumber_))) {
    case device::Session::ConnectOutcome::Connected:
        return kSuccess;
    case device::Session::ConnectOutcome::NotOpened: {
        const QString why = port_->lastError();
        return c_.fail(kNoDevice, QStringLiteral("%1 cannot be opened%2.")
                                      .arg(portName(), why.isEmpty() ? QString() : QStringLiteral(": ") + why));
    }
    case device::Session::ConnectOutcome::NoDevice:
        break;
    }
    return c_.fail(kNoDevice, QStringLiteral("No QMR51 or TIKA answers on %1.").arg(portName()));
}

} // namespace shell::cli
