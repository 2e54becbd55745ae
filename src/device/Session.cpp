#include "device/Session.h"
#include "link/Commands.h"
#include "link/Frames.h"
#include "device/ReadingsDecoder.h"

namespace device {

Session::Session(platform::SerialPort& port, platform::PortListing& ports, platform::Clock& clock,
                 platform::EventPump& pump)
    : line_(port),
      ports_(ports),
      clock_(clock),
      pump_(pump),
      link_(port, clock, pump, waitDeadline_),
      exchange_(port, clock, pump, replyDeadline_)
{
}

bool Session::open(std::uint8_t portNumber)
{
    kind_.reset();
    port_ = link_.open(portNumber);
    connectFailed_ = !port_;
    return port_.has_value();
}

bool Session::identify()
{
    const comlink::Reply reply = request(comlink::kIdentify);
    const Identification id = identifyDevice(reply);
    if (!id.deviceFound) {
        // The port stays open: a device that is still booting may answer a later connect, and the
        // user's next choice of port closes it.
        port_.reset();
        connectFailed_ = true;
        return false;
    }
    firmware_ = id.fwVersion;
    kind_ = id.kind;
    serial_ = id.serial;
    answer_ = reply.data;
    emit connected();
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
    const comlink::Reply reply = exchange_.send(command, payload, form);
    if (reply.outcome == comlink::Outcome::LineLost && line_.isOpen() && port_)
        emit lineLost();
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


} // namespace device
