#include "link/CommandExchange.h"
#include "link/Commands.h"
#include "link/Frames.h"
#include "link/ReplyRules.h"
#include <cmath>

namespace comlink {

namespace {

Reply single(std::uint8_t status) { return {status, {}}; }

} // namespace

CommandExchange::CommandExchange(platform::SerialPort& port, platform::Clock& clock, platform::EventPump& pump,
                                 double& replyDeadline)
    : port_(port), clock_(clock), pump_(pump), deadline_(replyDeadline)
{
}

bool CommandExchange::receiveMore()
{
    const double now = clock_.elapsedSeconds();
    if (now >= deadline_)
        return false;
    // Sleep on the port until the deadline; a reply wakes the wait the moment it arrives.
    const auto leftMs = static_cast<long>(std::ceil((deadline_ - now) * 1000.0));
    const qsizetype before = rx_.size();
    port_.waitForInput(std::chrono::milliseconds(std::max(1L, leftMs)));
    const QByteArray arrived = port_.readAll();
    rx_.append(arrived);
    received_.append(arrived);
    if (port_.hasFailed()) {
        // An unplugged adapter never answers: end the wait now instead of waiting it out.
        portFailed_ = true;
        return false;
    }
    // A wait that ran into the deadline without bringing anything is the end of the exchange.
    return rx_.size() != before || clock_.elapsedSeconds() < deadline_;
}

Reply CommandExchange::send(std::uint8_t command, const QByteArray& payload, ReplyForm form, double replySeconds)
{
    portFailed_ = false;
    Reply result = single(kTimedOut);

    // The closing frame of an upgrade may be answered by bytes already on their way, so only then
    // is pending input kept.
    if (command != kFirmwareClose)
        port_.readAll();
    const bool written = port_.write(requestFrame(command, payload));
    rx_.clear();
    received_.clear();
    deadline_ = clock_.elapsedSeconds() + replySeconds;
    pump_.processEvents();
    if (!written || !port_.isOpen() || port_.hasFailed()) {
        // A port that cannot take the request will never bring its answer.
        portFailed_ = true;
        return ended(command, result);
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
            if (standardReply(command, form, result) == Verdict::Return)
                return ended(command, result);
            break;
        }
        if (portFailed_)
            break;
    }
    return ended(command, result);
}

Reply CommandExchange::ended(std::uint8_t command, Reply result) const
{
    result.outcome = outcomeOf(command, result, received_, portFailed_);
    return result;
}

void CommandExchange::acknowledgement(std::uint8_t command, Reply& result)
{
    // The settings command keeps its time-out status whatever comes back; its outcome tells.
    if (command == kWriteSettings)
        return;
    const AcknowledgementState state = acknowledgementState(rx_);
    if (state != AcknowledgementState::TooFewBytes)
        result = single(state == AcknowledgementState::Acknowledged ? kOk : kNotAcknowledged);
}

CommandExchange::Verdict CommandExchange::standardReply(std::uint8_t command, ReplyForm form, Reply& result)
{
    // A TIKA module's readings start with a status byte of its own: that is their status.
    const bool moduleReadings = form == ReplyForm::StatusFirst;
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
    deadline_ = clock_.elapsedSeconds() + kLongReplySeconds;
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
