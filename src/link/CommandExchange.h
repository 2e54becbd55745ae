#pragma once
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"
#include "device/DeviceKind.h"
#include "link/Commands.h"
#include <QByteArray>
#include <cstdint>
#include <functional>

namespace comlink {

// The one request/response primitive between the tool and a device. It writes one request frame,
// collects the answer in its receive buffer and hands back a Reply: how the exchange ended and the
// reply bytes.
//
// The exchange holds the interface thread: window events are handled once, right after the
// request went out, and never during the wait. The wait blocks on the port for the time left to
// the deadline, so a reply is seen the moment it arrives and an idle wait costs no processor time.
class CommandExchange {
public:
    // timeOut is the window's public deadline field (seconds on the steady clock); the exchange owns
    // its value while it runs.
    // deviceKind is the connected device's kind as the tool knows it (a TIKA module's readings
    // carry their own status byte); the exchange reads it at every request.
    // settingsRefused runs whenever a look at the answer to the settings command finds bytes that
    // are not the acknowledgement; the wait goes on afterwards.
    CommandExchange(platform::SerialPort& port, platform::Clock& clock, platform::EventPump& pump,
                    const std::optional<device::DeviceKind>& deviceKind, double& timeOut,
                    std::function<void()> settingsRefused);

    Reply SendCommand(std::uint8_t command, const QByteArray& payload);

    // True while an exchange is waiting for its reply (a timer tick handled during the exchange's
    // event pass sees it and stays away from the port).
    bool busy() const { return busy_; }
    // True when the last exchange ended because the port failed under it (unplugged adapter).
    bool lastExchangePortFailed() const { return portFailed_; }
    // What the last exchange collected from the line (cleared when a request goes out).
    const QByteArray& receiveBuffer() const { return rx_; }

private:
    enum class Verdict { Continue, Return };

    // Waits for input until the deadline, appends it to RxBuffer. False when the wait is over:
    // deadline reached or a failed port.
    bool receiveMore();
    Verdict standardReply(std::uint8_t command, Reply& result);
    void longReply(Reply& result);
    void acknowledgement(std::uint8_t command, Reply& result);

    platform::SerialPort& port_;
    platform::Clock& clock_;
    platform::EventPump& pump_;
    std::function<void()> settingsRefused_;
    const std::optional<device::DeviceKind>& deviceKind_;
    QByteArray rx_;
    double& timeOut_;
    bool busy_ = false;
    bool portFailed_ = false;
};

} // namespace comlink
