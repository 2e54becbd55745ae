#include "link/CommandExchange.h"
#include "link/Commands.h"
#include "link/Frames.h"
#include <cmath>

namespace comlink {

namespace {

Reply single(std::uint8_t status) { return {status, {}}; }

std::uint8_t byteAt(const QByteArray& bytes, int zeroBasedIndex)
{
    return static_cast<std::uint8_t>(bytes.at(zeroBasedIndex));
}

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
    QByteArray& rx = rx_;
    if (rx.size() < 3)
        return;
    const bool acknowledged = containsAcknowledgement(rx);
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
    QByteArray& rx = rx_;
    const char marker[2] = {kFrameStart, static_cast<char>(static_cast<std::uint8_t>(command + 1))};
    if (rx.size() < 5 || !rx.contains(QByteArray(marker, 2)))
        return Verdict::Continue;

    // The frame is read from the first byte of the buffer wherever the marker was found: bytes in
    // front of a reply shift it, and the length then comes from the wrong place.
    const int dataLength = byteAt(rx, 2);
    while (rx.size() < dataLength + 4) {
        if (!receiveMore())
            break;
    }
    if (rx.size() >= dataLength + 4) {
        if (rx.at(dataLength + 3) != kFrameEnd) {
            result = single(kWrongEnd);
            return Verdict::Return;
        }
        // A TIKA module's readings start with a status byte of its own: that is their status.
        if (command == kReadReadings && device::isTika(deviceKind_))
            result = {byteAt(rx, 3), rx.mid(4)};
        else
            result = {kOk, rx.mid(3)};
        return Verdict::Return;
    }
    rx.clear();
    return Verdict::Continue;
}

void CommandExchange::longReply(Reply& result)
{
    QByteArray& rx = rx_;
    if (rx.size() < 6 || !rx.contains("*E"))
        return;
    const int high = byteAt(rx, 2);
    if (high > kLongReplyMaxHigh) {
        // The log holds at most 1535 bytes; a longer announcement is nonsense. The verdict
        // stands until the deadline.
        result = single(kLengthOverflow);
        return;
    }
    const int dataLength = high * 256 + byteAt(rx, 3);
    timeOut_ = clock_.elapsedSeconds() + kLongReplySeconds;
    while (rx.size() < dataLength + 5) {
        if (!receiveMore())
            break;
    }
    if (rx.size() >= dataLength + 5) {
        if (rx.at(dataLength + 4) == kFrameEnd)
            result = {kOk, rx.mid(4, dataLength)};
        else
            result = single(kWrongEnd);
    }
    rx.clear();
}

} // namespace comlink
