#pragma once
#include "device/DeviceKind.h"
#include "device/Identification.h"
#include "device/SettingsRecord.h"
#include "link/CommandExchange.h"
#include "link/SerialLink.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/PortListing.h"
#include "platform/SerialPort.h"
#include "device/ReadingRow.h"
#include <QObject>
#include <array>
#include <cstdint>
#include <optional>

namespace device {

// The connection to one device over one serial line: which port it is on, what kind of device
// answers there, its serial number and firmware, the settings it reported, the request/response
// exchange. The window and qmr51ctl both drive a session; the flows (connect, poll, settings,
// debug log, counters, upgrades) run on it and hand back values. Nothing here shows anything: listeners hear of a connect or a line that
// went away, and decide what to show.
class Session : public QObject {
    Q_OBJECT
public:
    Session(platform::SerialPort& port, platform::PortListing& ports, platform::Clock& clock,
            platform::EventPump& pump);

    // ---- Connecting ------------------------------------------------------------------------------
    // Opens COM<portNumber> and throws away what the device still sends from before (0.5 s). The
    // kind of the last device is forgotten first. False when the port could not be opened; a port
    // that is still open (the line of a failed identification) counts as not opened.
    bool open(std::uint8_t portNumber);
    // Asks the device on the open port who it is. On an answer the kind, firmware, serial number
    // and settings are taken from it and connected() is raised. Without one the port is no longer
    // this session's (it stays open until close(): the device may still be booting).
    bool identify();
    enum class ConnectOutcome { Connected, NotOpened, NoDevice };
    ConnectOutcome connect(std::uint8_t portNumber);
    // Forgets the connection and closes the port.
    void close();
    // A forced upgrade names the port and the kind itself, for a device that does not identify;
    // its firmware and serial number are unknown.
    void assume(std::optional<std::uint8_t> portNumber, std::optional<DeviceKind> kind);

    // ---- What the session knows ------------------------------------------------------------------
    // COM number of the connected device (or the one an upgrade is forced onto).
    std::optional<std::uint8_t> portNumber() const { return port_; }
    // True after a connect that found no port or no device; a close or the next connect clears it.
    bool connectFailed() const { return connectFailed_; }
    std::optional<DeviceKind> kind() const { return kind_; }
    // Firmware a.b.c.d of the last device identified.
    const std::array<std::uint8_t, 4>& firmware() const { return firmware_; }
    // Serial-number bytes of the connected device as it sent them.
    const QByteArray& serial() const { return serial_; }
    // The identification reply bytes of the connected device, which carry its settings.
    const QByteArray& settingsAnswer() const { return answer_; }
    // The device path of a port, empty when the system has no such port.
    QString devicePath(int portNumber) const { return ports_.devicePath(portNumber); }
    bool isOpen() const { return port_ && line_.isOpen(); }
    bool busy() const { return exchange_.busy(); }

    // ---- Requests --------------------------------------------------------------------------------
    // One request and its reply. When the line failed under it while a device was connected,
    // lineLost() is raised.
    comlink::Reply request(std::uint8_t command, const QByteArray& payload = {},
                           comlink::ReplyForm form = comlink::ReplyForm::DataOnly);
    // One readings request, decoded. The options say which country's tariff names apply.
    ReadingRow poll(bool nederlandSelected, bool belgieSelected);
    // The settings command's payload for the connected device (its kind and firmware).
    QByteArray settingsPayloadFor(const SettingsRecord& settings) const;
    // Sends the settings. The device has taken them when the outcome is Acknowledged ("*U#" among
    // what came back within the 0.8 s); Refused means it answered without the acknowledgement and
    // keeps its old settings.
    comlink::Reply sendSettings(const SettingsRecord& settings);
    // The reply to the debug-log request.
    comlink::Reply readDebugLog();


    // The lower layers, for the flows that run on the session (upgrades, the port search).
    platform::SerialPort& line() { return line_; }
    platform::Clock& clock() { return clock_; }
    platform::EventPump& pump() { return pump_; }
    platform::PortListing& portListing() { return ports_; }
    comlink::SerialLink& link() { return link_; }
    // The deadlines of the running waits, seconds on the steady clock: the exchange (and the short
    // pauses of an upgrade), and the longer waits (drain, restart, downloads).
    double& replyDeadline() { return replyDeadline_; }
    double& waitDeadline() { return waitDeadline_; }
    bool lastExchangePortFailed() const { return exchange_.lastExchangePortFailed(); }

signals:
    void connected();
    void lineLost();

private:
    platform::SerialPort& line_;
    platform::PortListing& ports_;
    platform::Clock& clock_;
    platform::EventPump& pump_;
    double replyDeadline_ = 0;
    double waitDeadline_ = 0;
    std::optional<std::uint8_t> port_;
    bool connectFailed_ = false;
    std::optional<DeviceKind> kind_;
    std::array<std::uint8_t, 4> firmware_{};
    QByteArray serial_;
    QByteArray answer_;
    comlink::SerialLink link_;
    comlink::CommandExchange exchange_;
};

} // namespace device
