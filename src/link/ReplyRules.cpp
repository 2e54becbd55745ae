#include "link/ReplyRules.h"
#include "link/Frames.h"

namespace comlink {

namespace {

std::uint8_t byteAt(const QByteArray& bytes, int zeroBasedIndex)
{
    return static_cast<std::uint8_t>(bytes.at(zeroBasedIndex));
}

constexpr int kStandardMinimum = 5; // '*', marker, length, at least one more byte
constexpr int kLongMinimum = 6;     // '*', 'E', two length bytes, at least two more bytes

} // namespace

StandardReplyState standardReplyState(const QByteArray& received, std::uint8_t command, bool moduleReadings)
{
    StandardReplyState state;
    const char marker[2] = {kFrameStart, static_cast<char>(static_cast<std::uint8_t>(command + 1))};
    if (received.size() < kStandardMinimum || !received.contains(QByteArray(marker, 2)))
        return state;
    state.neededBytes = byteAt(received, 2) + 4;
    if (received.size() < state.neededBytes) {
        state.stage = StandardReplyState::Stage::Incomplete;
        return state;
    }
    state.stage = StandardReplyState::Stage::Complete;
    if (received.at(state.neededBytes - 1) != kFrameEnd)
        state.reply = {kWrongEnd, {}};
    else if (moduleReadings)
        state.reply = {byteAt(received, 3), received.mid(4)};
    else
        state.reply = {kOk, received.mid(3)};
    return state;
}

LongReplyState longReplyState(const QByteArray& received)
{
    LongReplyState state;
    if (received.size() < kLongMinimum || !received.contains("*E"))
        return state;
    const int high = byteAt(received, 2);
    if (high > kLongReplyMaxHigh) {
        state.stage = LongReplyState::Stage::Overflow;
        state.reply = {kLengthOverflow, {}};
        return state;
    }
    const int dataLength = high * 256 + byteAt(received, 3);
    state.neededBytes = dataLength + 5;
    if (received.size() < state.neededBytes) {
        state.stage = LongReplyState::Stage::Incomplete;
        return state;
    }
    state.stage = LongReplyState::Stage::Complete;
    if (received.at(state.neededBytes - 1) == kFrameEnd)
        state.reply = {kOk, received.mid(4, dataLength)};
    else
        state.reply = {kWrongEnd, {}};
    return state;
}

AcknowledgementState acknowledgementState(const QByteArray& received)
{
    if (received.size() < 3)
        return AcknowledgementState::TooFewBytes;
    return containsAcknowledgement(received) ? AcknowledgementState::Acknowledged
                                             : AcknowledgementState::NotAcknowledged;
}

Outcome outcomeOf(std::uint8_t command, const Reply& reply, const QByteArray& received, bool lineLost)
{
    if (lineLost)
        return Outcome::LineLost;
    if (command == kWriteSettings || command == kFirmwareBlock || command == kFirmwareClose) {
        switch (acknowledgementState(received)) {
        case AcknowledgementState::Acknowledged:
            return Outcome::Acknowledged;
        case AcknowledgementState::NotAcknowledged:
            return Outcome::Refused;
        case AcknowledgementState::TooFewBytes:
            return Outcome::NoAnswer;
        }
    }
    switch (reply.status) {
    case kOk:
        return Outcome::Answered;
    case kTimedOut:
        return Outcome::NoAnswer;
    case kWrongEnd:
    case kLengthOverflow:
        return Outcome::Malformed;
    default:
        return Outcome::DeviceStatus;
    }
}

} // namespace comlink
