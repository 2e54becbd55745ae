// The exchange over a scripted port and a fake clock, whose durations are exact. What holds for any
// bytes in any pieces (one request frame, a known status, a good reply's length and '#' where the
// frame says, the acknowledgement verdict over everything that arrived, the receive buffer, no
// wait past the deadline, a failed write) fuzz/fuzz_command_exchange.cpp checks as properties. Here:
// the answers a device depends on, and how long each one holds the window.
#include "Bytes.h"
#include "FakePlatform.h"
#include "link/CommandExchange.h"
#include <QTimeZone>
#include <gtest/gtest.h>

using fakes::bytes;
using fakes::FakeSerialPort;

namespace {

struct Exchange {
    fakes::FakePlatform p;
    double deadline = 0;
    comlink::CommandExchange exchange{p.port, p.clock, p.pump, deadline};
    comlink::Outcome outcome{};
    Exchange() { p.port.open(3); }
    // The reply as the tables write it: status first.
    QByteArray send(int command, const QByteArray& payload = {})
    {
        const comlink::Reply reply = exchange.send(static_cast<std::uint8_t>(command), payload);
        outcome = reply.outcome;
        return fakes::statusThenBytes(reply);
    }
};

TEST(Exchange, AnswersAndHowLongTheyHoldTheWindow)
{
    const QByteArray log(1535, 'L');
    // expected: status, then the reply bytes; seconds: from the request to the answer; outcome: what
    // the flows act on.
    using O = comlink::Outcome;
    struct Case { const char* name; int command; QList<FakeSerialPort::Arrival> arrivals; QByteArray expected; double seconds; O outcome; };
    const Case cases[] = {
        // Standard replies: '*', command + 1, N, N bytes, '#'.
        {"whole reply", 86, {{bytes({42, 87, 2, 7, 9, 35}), 0.05}}, bytes({0, 7, 9, 35}), 0.05, O::Answered},
        {"wrong end byte", 86, {{bytes({42, 87, 1, 5, 36})}}, bytes({251}), 0, O::Malformed},
        {"silence", 86, {}, bytes({252}), 0.8, O::NoAnswer},
        {"an empty reply needs a fifth byte", 86, {{bytes({42, 87, 0, 35})}}, bytes({252}), 0.8, O::NoAnswer},
        {"a stray byte in front shifts the length", 86, {{bytes({1, 42, 87, 1, 5, 35})}}, bytes({252}), 0.8, O::NoAnswer},
        {"reply cut off at the deadline", 86, {{bytes({42, 87, 5, 1, 2}), 0.1}, {bytes({3, 4, 5, 35}), 0.9}},
         bytes({252}), 0.8, O::NoAnswer},
        // Acknowledgements "*U#" always wait the whole deadline; the settings keep their status 252.
        {"block acknowledged", 208, {{"*U#", 0.1}}, bytes({0}), 0.8, O::Acknowledged},
        {"block refused", 208, {{"*X#", 0.1}}, bytes({255}), 0.8, O::Refused},
        {"settings refused", 66, {{"*X#", 0.1}}, bytes({252}), 0.8, O::Refused},
        {"settings acknowledged", 66, {{"*U#", 0.1}}, bytes({252}), 0.8, O::Acknowledged},
        // The device's last word within the wait is the acknowledgement: it has taken them.
        {"settings refused, then acknowledged", 66, {{"*X#", 0.1}, {"*U#", 0.3}}, bytes({252}), 0.8, O::Acknowledged},
        // The debug log: '*', 'E', H, L, H * 256 + L bytes, '#'; each header moves the deadline to
        // half a second after it, and the wait runs to it.
        {"the longest log", 68, {{bytes({42, 69, 5, 255}) + log + "#", 0.2}}, bytes({0}) + log, 0.7, O::Answered},
        {"high byte 6 overflows", 68, {{bytes({42, 69, 6, 0, 1, 2}), 0.1}}, bytes({250}), 0.8, O::Malformed},
        {"log with a wrong end", 68, {{bytes({42, 69, 0, 2, 7, 8, 9})}}, bytes({251}), 0.5, O::Malformed},
        {"five bytes of an empty log are not examined", 68, {{bytes({42, 69, 0, 0, 35})}}, bytes({252}), 0.8, O::NoAnswer},
        {"a later log replaces the first", 68,
         {{bytes({42, 69, 0, 1, 'a', 35}), 0.1}, {bytes({42, 69, 0, 2, 'b', 'c', 35}), 0.3}}, bytes({0, 'b', 'c'}), 0.8, O::Answered},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Exchange x;
        x.p.port.replyToNextWrite(c.arrivals);
        EXPECT_EQ(x.send(c.command).toHex(' '), c.expected.toHex(' '));
        EXPECT_NEAR(x.p.clock.totalAdvanced(), c.seconds, 0.01);
        EXPECT_EQ(x.outcome, c.outcome);
        // The wait sleeps on the port until input or the deadline: a few reads, no busy loop.
        EXPECT_LE(x.p.port.reads, 2 * c.arrivals.size() + 4);
    }
}

// The wait is measured on the steady clock: whatever the time of day does meanwhile (the hour that
// repeats when daylight-saving time ends, NTP stepping the clock), it lasts 0.8 s. A start just
// before midnight is one of the fuzz target's clocks.
TEST(Exchange, AWaitLastsWhatItSaysWhateverTheTimeOfDayDoes)
{
    Exchange x;
    x.p.clock.setWallClock(QDateTime(QDate(2026, 10, 25), QTime(2, 59, 59, 900), QTimeZone("Europe/Amsterdam")));
    x.p.pump.onEvents = [&] { x.p.clock.setWallClock(x.p.clock.now().addSecs(-3600)); };
    EXPECT_EQ(x.send(86), bytes({252}));
    EXPECT_NEAR(x.p.clock.totalAdvanced(), 0.8, 0.01);
}

TEST(Exchange, RequestFramesAndStaleInputDrainedExceptBeforeTheClosingFrame)
{
    Exchange x;
    x.p.port.feed("stale");
    x.p.port.replyToNextWrite({{bytes({42, 87, 1, 4, 35})}});
    EXPECT_EQ(x.send(86), bytes({0, 4, 35}));
    x.send(133, bytes({0, 0, 1, 2, 133}));
    EXPECT_EQ(x.p.port.writes, QList<QByteArray>({bytes({42, 86, 35}), bytes({42, 133, 0, 0, 1, 2, 133, 35})}));
    EXPECT_EQ(x.p.pump.passes, 2) << "one event pass per exchange";
    // The closing frame of an upgrade may be answered by bytes already on their way; a block not.
    x.p.port.feed("*U#");
    EXPECT_EQ(x.send(210, QByteArray(12, 0)), bytes({0}));
    x.p.port.feed("*U#");
    EXPECT_EQ(x.send(208, QByteArray(134, 0)), bytes({252}));
}

TEST(Exchange, AVanishedOrClosedPortEndsTheWaitAtOnce)
{
    Exchange x;
    x.p.port.replyToNextWrite({{bytes({42, 87}), 0.1}});
    x.p.pump.onEvents = [&] { x.p.port.vanish(); };
    EXPECT_EQ(x.send(86), bytes({252}));
    EXPECT_EQ(x.outcome, comlink::Outcome::LineLost);
    EXPECT_LT(x.p.clock.totalAdvanced(), 0.05);

    Exchange closed;
    closed.p.port.close();
    EXPECT_EQ(closed.send(208, QByteArray(134, 0)), bytes({252}));
    EXPECT_EQ(closed.p.clock.totalAdvanced(), 0);
}

} // namespace
