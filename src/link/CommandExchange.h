#pragma once
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"
#include "link/Commands.h"
#include <QByteArray>
#include <cstdint>

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
    // replyDeadline is the session's deadline of the running wait (seconds on the steady clock); the
    // exchange owns its value while it runs.
    CommandExchange(platform::SerialPort& port, platform::Clock& clock, platform::EventPump& pump, double& replyDeadline);

    // One request and its reply. `form` says whether the reply starts with a status byte of its own;
    // replySeconds is how long the device has to answer (a module still booting is asked often, each
    // time with a short window).
    Reply send(std::uint8_t command, const QByteArray& payload, ReplyForm form = ReplyForm::DataOnly,
               double replySeconds = kReplySeconds);

    // What the last exchange collected from the line (cleared when a request goes out).
    const QByteArray& receiveBuffer() const { return rx_; }

private:
    enum class Verdict { Continue, Return };

    // Waits for input until the deadline, appends it to RxBuffer. False when the wait is over:
    // deadline reached or a failed port.
    bool receiveMore();
    Verdict standardReply(std::uint8_t command, ReplyForm form, Reply& result);
    void longReply(Reply& result);
    void acknowledgement(std::uint8_t command, Reply& result);
    Reply ended(std::uint8_t command, Reply result) const;

    platform::SerialPort& port_;
    platform::Clock& clock_;
    platform::EventPump& pump_;
    QByteArray rx_;
    QByteArray received_; // every byte of this exchange (rx_ is emptied between frames)
    double& deadline_;
    bool portFailed_ = false;
};

} // namespace comlink
