#include "device/Session.h"
#include "link/Commands.h"
#include "link/Frames.h"
#include "device/ReadingsDecoder.h"

namespace device {

namespace {

// What a request is, in the words a technician uses for it.
QString activityOf(std::uint8_t command)
{
    switch (command) {
    case comlink::kReadReadings:
        return QStringLiteral("readings");
    case comlink::kWriteSettings:
        return QStringLiteral("settings");
    case comlink::kReadDebugLog:
        return QStringLiteral("debug log");
    case comlink::kIdentify:
        return QStringLiteral("identification");
    case comlink::kSetInput1:
    case comlink::kSetInput2:
        return QStringLiteral("counter");
    default:
        return QStringLiteral("command %1").arg(command);
    }
}

} // namespace

Session::Session(platform::SerialPort& port, platform::PortListing& ports, platform::Clock& clock,
                 platform::EventPump& pump)
    : line_(port),
      ports_(ports),
      clock_(clock),
      waits_(clock, pump),
      link_(port, clock, pump, drainDeadline_),
      exchange_(port, clock, pump, replyDeadline_)
{
}

void Session::setState(State state, const QString& activity)
{
    activity_ = activity;
    if (state == state_)
        return;
    const State before = state_;
    state_ = state;
    emit stateChanged(state, before);
}

bool Session::open(std::uint8_t portNumber)
{
    kind_.reset();
    setState(State::Connecting);
    port_ = link_.open(portNumber);
    connectFailed_ = !port_;
    if (!port_)
        setState(State::Closed);
    return port_.has_value();
}

bool Session::identify()
{
    setState(State::Connecting);
    const comlink::Reply reply = exchange_.send(comlink::kIdentify, {});
    const Identification id = identifyDevice(reply);
    if (!id.deviceFound) {
        // The port stays open: a device that is still booting may answer a later connect, and the
        // user's next choice of port closes it.
        port_.reset();
        connectFailed_ = true;
        setState(State::Closed);
        return false;
    }
    firmware_ = id.fwVersion;
    kind_ = id.kind;
    serial_ = id.serial;
    answer_ = reply.data;
    setState(State::Connected);
    return true;
}

Session::ConnectOutcome Session::connect(std::uint8_t portNumber)
{
    if (!open(portNumber))
        return ConnectOutcome::NotOpened;
    return identify() ? ConnectOutcome::Connected : ConnectOutcome::NoDevice;
}

void Session::close()
{
    port_.reset();
    connectFailed_ = false;
    line_.close();
    setState(State::Closed);
}

void Session::assume(std::optional<std::uint8_t> portNumber, std::optional<DeviceKind> kind)
{
    port_ = portNumber;
    // The device an upgrade is forced onto did not identify: the firmware and serial number of an
    // earlier device are not its own (a QMR51 upgrade would otherwise refuse a broken device as
    // "already up to date" because the last device that answered was).
    firmware_ = {};
    serial_.clear();
    if (kind)
        kind_ = kind;
}

comlink::Reply Session::request(std::uint8_t command, const QByteArray& payload, comlink::ReplyForm form)
{
    // A connected device is busy for the length of the request; during a connect or an upgrade the
    // request is part of that and the state stays.
    const bool marksBusy = state_ == State::Connected;
    if (marksBusy)
        setState(State::Busy, activityOf(command));
    const comlink::Reply reply = exchange_.send(command, payload, form);
    if (reply.outcome == comlink::Outcome::LineLost && line_.isOpen() && port_
        && (state_ == State::Busy || state_ == State::Connected)) {
        // The dead line is let go, so the same device node can be opened again when it returns.
        line_.close();
        setState(State::LineLost);
    } else if (marksBusy && state_ == State::Busy) {
        setState(State::Connected);
    }
    return reply;
}

ReadingRow Session::poll(bool nederlandSelected, bool belgieSelected)
{
    // A TIKA module's readings carry a status byte of their own.
    const comlink::Reply reply = request(comlink::kReadReadings, {},
                                         isTika(kind_) ? comlink::ReplyForm::StatusFirst : comlink::ReplyForm::DataOnly);
    // The row carries the moment the readings arrived, not the moment they were asked for.
    const qint64 takenAtMsecs = clock_.now().toMSecsSinceEpoch();
    return decodeReadings(reply, kind_, nederlandSelected, belgieSelected, takenAtMsecs);
}

QByteArray Session::settingsPayloadFor(const SettingsRecord& settings) const
{
    return settingsPayload(settings, kind_.value_or(DeviceKind::Qmr51), firmware_);
}

comlink::Reply Session::sendSettings(const SettingsRecord& settings)
{
    return request(comlink::kWriteSettings, settingsPayloadFor(settings));
}

comlink::Reply Session::readDebugLog() { return request(comlink::kReadDebugLog); }

void Session::beginUpgrade(const QString& what)
{
    if (state_ != State::Upgrading)
        beforeUpgrade_ = state_;
    setState(State::Upgrading, what);
}

void Session::upgradeNotStarted()
{
    if (state_ == State::Upgrading)
        setState(beforeUpgrade_);
}

void Session::releaseLine() { line_.close(); }

bool Session::reopen(QString& why)
{
    why.clear();
    if (line_.isOpen())
        return true;
    if (port_ && *port_ != 0 && link_.open(*port_))
        return true;
    why = line_.lastError();
    return false;
}

bool Session::answersIdentification(double replySeconds)
{
    const comlink::Reply reply = exchange_.send(comlink::kIdentify, {}, comlink::ReplyForm::DataOnly, replySeconds);
    if (reply.outcome == comlink::Outcome::LineLost)
        line_.close();
    return identifyDevice(reply).deviceFound;
}

} // namespace device
