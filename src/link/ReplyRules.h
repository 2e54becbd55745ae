#pragma once
#include "link/Commands.h"
#include <QByteArray>
#include <cstdint>

namespace comlink {

// How the bytes collected after a request read, by the three forms a device answers in. Pure
// functions of the bytes received so far: the command exchange applies them after every read, and
// the port survey applies them to the answers of many ports at once. Bytes only ever arrive behind
// those already there, so asking again after more came in never changes an earlier header.

// A standard reply: '*', command + 1, N, N data bytes, '#'.
struct StandardReplyState {
    enum class Stage {
        NoFrame,    // fewer than 5 bytes, or no '*' followed by command + 1 yet: keep collecting
        Incomplete, // a frame has begun: it needs neededBytes in all
        Complete,   // neededBytes are there: `reply` is the result (status 0, or 251 for a wrong end)
    };
    Stage stage = Stage::NoFrame;
    int neededBytes = 0;
    Reply reply;
};
// The frame is read from the first byte received wherever the marker was found, so stray bytes in
// front of a reply shift it and its length comes from the wrong place, as on the device's own
// tools. Once complete, the reply bytes are everything from the first data byte on (the data, the
// closing '#' and what followed). moduleReadings: the readings of a TIKA module, whose first data
// byte is their status.
StandardReplyState standardReplyState(const QByteArray& received, std::uint8_t command, bool moduleReadings);

// The long reply to the debug-log command: '*', 'E', H, L, N = H * 256 + L data bytes, '#'.
struct LongReplyState {
    enum class Stage {
        NoHeader,   // fewer than 6 bytes, or no "*E" yet
        Overflow,   // H above 5 (more than 1535 bytes announced): `reply` is status 250
        Incomplete, // the header is in: the frame needs neededBytes in all
        Complete,   // `reply` is status 0 with exactly the N data bytes, or 251 for a wrong end
    };
    Stage stage = Stage::NoHeader;
    int neededBytes = 0;
    Reply reply;
};
LongReplyState longReplyState(const QByteArray& received);

// The acknowledgement "*U#" anywhere among the bytes; fewer than 3 bytes decide nothing yet.
enum class AcknowledgementState { TooFewBytes, Acknowledged, NotAcknowledged };
AcknowledgementState acknowledgementState(const QByteArray& received);

// What became of a request once its wait is over: `reply` is what the exchange ended with,
// `received` every byte that came back, lineLost true when the port failed under it. The commands
// answered with "*U#" (settings, firmware frames) are judged by the acknowledgement among all the
// bytes, so a device that first says something else and then acknowledges within the wait has
// taken the request.
Outcome outcomeOf(std::uint8_t command, const Reply& reply, const QByteArray& received, bool lineLost);

} // namespace comlink
