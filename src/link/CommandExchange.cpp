#include "link/CommandExchange.h"
#include "link/Commands.h"
#include "link/Frames.h"
#include "link/ReplyRules.h"
#include <cmath>

namespace comlink {

namespace {

Reply single(std::uint8_t status) { return {status, {}}; }

// Marks the exchange busy for its whole length, whichever way it returns.
struct BusyGuard {
    bool& flag;
    explicit BusyGuard(bool& f) : flag(f) { flag = true; }
    ~BusyGuard() { flag = false; }
};

} // namespace

CommandExchange::CommandExchange(platform::SerialPort& port, platform::Clock& clock, platform::EventPump& pump,
                                 const std::optional<device::DeviceKind>& deviceKind, double& timeOut,
                                 std::function<void()> settingsRefused)
    : port_(port), clock_(clock), pump_(pump), settingsRefused_(std::move(settingsRefused)), deviceKind_(deviceKind),
      timeOut_(timeOut)
{
}

bool CommandExchange::receiveMore()
{
    const double now = clock_.elapsedSeconds();
    if (now >= timeOut_)
        return false;
    // Sleep on the port until the deadline; a reply wakes the wait the moment it arrives.
    const auto leftMs = static_cast<long>(std::ceil((timeOut_ - now) * 1000.0));
    const qsizetype before = rx_.size();
    port_.waitForInput(std::chrono::milliseconds(std::max(1L, leftMs)));
    rx_.append(port_.readAll());
    if (port_.hasFailed()) {
        // An unplugged adapter never answers: end the wait now instead of waiting it out.
        portFailed_ = true;
        return false;
    }
    // A wait that ran into the deadline without bringing anything is the end of the exchange.
    return rx_.size() != before || clock_.elapsedSeconds() < timeOut_;
}

Reply CommandExchange::SendCommand(std::uint8_t command, const QByteArray& payload)
{
    BusyGuard guard(busy_);
    portFailed_ = false;
    Reply result = single(kTimedOut);
    QByteArray& rx = rx_;

    // The closing frame of an upgrade may be answered by bytes already on their way, so only then
    // is pending input kept.
    if (command != kFirmwareClose)
        port_.readAll();
    const bool written = port_.write(requestFrame(command, payload));
    rx.clear();
    timeOut_ = clock_.elapsedSeconds() + kReplySeconds;
    pump_.processEvents();
    if (!written || !port_.isOpen() || port_.hasFailed()) {
        // A port that cannot take the request will never bring its answer.
        portFailed_ = true;
        return result;
    }

    for (;;) {
        if (!receiveMore())
            break;
        switch (command) {
        case kFirmwareBlock:
        case kFirmwareClose:
        case kWriteSettings:
            acknowledgement(command, result);
            break;
        case kReadDebugLog:
            longReply(result);
            break;
        default:
            if (standardReply(command, result) == Verdict::Return)
                return result;
            break;
        }
        if (portFailed_)
            break;
    }
    return result;
}

void CommandExchange::acknowledgement(std::uint8_t command, Reply& result)
{
    const AcknowledgementState state = acknowledgementState(rx_);
    if (state == AcknowledgementState::TooFewBytes)
        return;
    const bool acknowledged = state == AcknowledgementState::Acknowledged;
    if (command == kWriteSettings) {
        // The settings command keeps its time-out status; a wrong answer is told to the user, and
        // told again on a later pass if the acknowledgement still has not come.
        if (!acknowledged && settingsRefused_)
            settingsRefused_();
        return;
    }
    result = single(acknowledged ? kOk : kNotAcknowledged);
}

CommandExchange::Verdict CommandExchange::standardReply(std::uint8_t command, Reply& result)
{
    // A TIKA module's readings start with a status byte of its own: that is their status.
    const bool moduleReadings = command == kReadReadings && device::isTika(deviceKind_);
    StandardReplyState state = standardReplyState(rx_, command, moduleReadings);
    if (state.stage == StandardReplyState::Stage::NoFrame)
        return Verdict::Continue;
    // The rest of a frame that has begun is awaited to the deadline set when the request went out.
    while (state.stage == StandardReplyState::Stage::Incomplete) {
        if (!receiveMore())
            break;
        state = standardReplyState(rx_, command, moduleReadings);
    }
    if (state.stage == StandardReplyState::Stage::Complete) {
        result = state.reply;
        return Verdict::Return;
    }
    rx_.clear();
    return Verdict::Continue;
}

void CommandExchange::longReply(Reply& result)
{
    LongReplyState state = longReplyState(rx_);
    if (state.stage == LongReplyState::Stage::NoHeader)
        return;
    if (state.stage == LongReplyState::Stage::Overflow) {
        // The log holds at most 1535 bytes; a longer announcement is nonsense. The verdict
        // stands until the deadline.
        result = state.reply;
        return;
    }
    timeOut_ = clock_.elapsedSeconds() + kLongReplySeconds;
    while (state.stage == LongReplyState::Stage::Incomplete) {
        if (!receiveMore())
            break;
        state = longReplyState(rx_);
    }
    if (state.stage == LongReplyState::Stage::Complete)
        result = state.reply;
    rx_.clear();
}

} // namespace comlink
