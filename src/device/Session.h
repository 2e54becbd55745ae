#pragma once
#include "device/DeviceKind.h"
#include "device/Identification.h"
#include "device/SettingsRecord.h"
#include "link/CommandExchange.h"
#include "link/SerialLink.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Waits.h"
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
// debug log, counters, upgrades) run on it and hand back values. It alone opens and closes its port.
// Nothing here shows anything: listeners hear of every change of its state and decide what to show.
class Session : public QObject {
    Q_OBJECT
public:
    // Where the session stands. One signal, stateChanged, tells every change:
    //  Closed      nothing connected (never connected, closed, or the last connect found nothing);
    //  Connecting  the port is being opened and the device asked who it is;
    //  Connected   a device answered and no request is under way;
    //  Busy        a request is under way (activity() names it: "readings", "settings", ...);
    //  LineLost    the line failed under a request (adapter unplugged): the port was let go and
    //              portNumber() still names it, so a watcher can connect again when it returns;
    //  Upgrading   an upgrade or a flash has the device (its boot loader or esptool), from its start
    //              until the next connect or close; one that did not start gives the device back.
    enum class State { Closed, Connecting, Connected, Busy, LineLost, Upgrading };

    Session(platform::SerialPort& port, platform::PortListing& ports, platform::Clock& clock,
            platform::EventPump& pump);

    // ---- Connecting ------------------------------------------------------------------------------
    // Opens COM<portNumber> and throws away what the device still sends from before (0.5 s). The
    // kind of the last device is forgotten first. False when the port could not be opened; a port
    // that is still open (the line of a failed identification) counts as not opened.
    bool open(std::uint8_t portNumber);
    // Asks the device on the open port who it is. On an answer the kind, firmware, serial number
    // and settings are taken from it and the session is Connected. Without one it is Closed and the
    // port is no longer this session's (it stays open until close() or releaseLine(): the device
    // may still be booting).
    bool identify();
    enum class ConnectOutcome { Connected, NotOpened, NoDevice };
    ConnectOutcome connect(std::uint8_t portNumber);
    // Forgets the connection and closes the port.
    void close();
    // A forced upgrade names the port and the kind itself, for a device that does not identify;
    // its firmware and serial number are unknown.
    void assume(std::optional<std::uint8_t> portNumber, std::optional<DeviceKind> kind);

    // ---- What the session knows ------------------------------------------------------------------
    State state() const { return state_; }
    // What the session is busy with while Busy or Upgrading.
    const QString& activity() const { return activity_; }
    // True while a request or a connect holds the line: another request must wait for it.
    bool requestUnderWay() const { return state_ == State::Busy || state_ == State::Connecting; }
    // COM number of the connected device (or the one an upgrade is forced onto, or the one whose
    // line was lost).
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
    // The system's ports, numbered.
    platform::PortListing& portListing() { return ports_; }
    bool isOpen() const { return port_ && line_.isOpen(); }

    // ---- Requests --------------------------------------------------------------------------------
    // One request and its reply; the session is Busy meanwhile. When the line failed under it
    // while a device was connected, the port is let go and the session is LineLost.
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

    // ---- For the flows that hand the line to someone else (upgrades, esptool) --------------------
    // The session is Upgrading from here on; what comes back from the device is the flow's.
    void beginUpgrade(const QString& what);
    // An upgrade that sent nothing gives the device back: the session is as before beginUpgrade().
    void upgradeNotStarted();
    // Lets go of the port (esptool needs it, the restarting QMR51 drops it, a device that did not
    // answer is left alone); the port number and the state stay.
    void releaseLine();
    // Opens the port of portNumber() again when it is closed (a forced upgrade after a port search
    // that found nothing). False when it cannot be, with the system's reason (if it gave one) in why.
    bool reopen(QString& why);
    // Asks who is on the open line, giving the device replySeconds to answer: true when a whole
    // identification answer came back. Nothing else changes (a flash asks a booting module this way
    // until it answers, then the caller connects). A line that failed under the question is let go,
    // so reopen() opens it afresh.
    bool answersIdentification(double replySeconds);
    // The waits of a flow on this session: they handle the events of this thread meanwhile.
    platform::Waiting& waits() { return waits_; }

signals:
    void stateChanged(device::Session::State now, device::Session::State before);

private:
    void setState(State state, const QString& activity = {});

    platform::SerialPort& line_;
    platform::PortListing& ports_;
    platform::Clock& clock_;
    platform::Waiting waits_;
    double replyDeadline_ = 0;
    double drainDeadline_ = 0;
    State state_ = State::Closed;
    State beforeUpgrade_ = State::Closed;
    QString activity_;
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
