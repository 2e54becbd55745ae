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
    std::optional<device::DeviceKind> kind;
    double timeOut = 0;
    int refusals = 0;
    comlink::CommandExchange exchange{p.port, p.clock, p.pump, kind, timeOut, [this] { ++refusals; }};
    Exchange() { p.port.open(3); }
    // The reply as the tables write it: status first.
    QByteArray send(int command, const QByteArray& payload = {})
    {
        return fakes::statusThenBytes(exchange.SendCommand(static_cast<std::uint8_t>(command), payload));
    }
};

struct ReplyCase {
    const char* name;
    int command;
    QString deviceType;
    QList<FakeSerialPort::Arrival> arrivals;
    QByteArray expected;
    double expectedSeconds; // how long the exchange held the window
};

class StandardReply : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(StandardReply, GivesTheStatusAndDataOfTheRules)
{
    const ReplyCase& c = GetParam();
    Exchange x;
    x.kind = device::kindNamed(c.deviceType);
    x.p.port.replyToNextWrite(c.arrivals);
    const double start = x.p.clock.exact();
    EXPECT_EQ(x.send(c.command).toHex(' '), c.expected.toHex(' '));
    EXPECT_NEAR(x.p.clock.exact() - start, c.expectedSeconds, 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, StandardReply,
    ::testing::Values(
        ReplyCase{"whole reply", 86, "", {{bytes({42, 87, 2, 7, 9, 35}), 0.05}}, bytes({0, 7, 9, 35}), 0.05},
        ReplyCase{"reply in pieces", 86, "",
                  {{bytes({42}), 0.1}, {bytes({87, 2}), 0.2}, {bytes({7}), 0.3}, {bytes({9, 35}), 0.4}},
                  bytes({0, 7, 9, 35}), 0.4},
        ReplyCase{"data holding star and hash", 86, "", {{bytes({42, 87, 3, 35, 42, 35, 35})}},
                  bytes({0, 35, 42, 35, 35}), 0},
        ReplyCase{"bytes behind the frame are kept", 86, "", {{bytes({42, 87, 1, 5, 35, 1, 2})}},
                  bytes({0, 5, 35, 1, 2}), 0},
        ReplyCase{"wrong end byte", 86, "", {{bytes({42, 87, 1, 5, 36})}}, bytes({251}), 0},
        ReplyCase{"silence", 86, "", {}, bytes({252}), 0.8},
        ReplyCase{"empty reply needs a fifth byte", 86, "", {{bytes({42, 87, 0, 35})}}, bytes({252}), 0.8},
        ReplyCase{"empty reply with one byte behind", 86, "", {{bytes({42, 87, 0, 35, 9})}}, bytes({0, 35, 9}), 0},
        ReplyCase{"stray byte shifts the length", 86, "", {{bytes({1, 42, 87, 1, 5, 35})}}, bytes({252}), 0.8},
        ReplyCase{"stray bytes make a frame too long", 86, "", {{bytes({1, 1, 42, 87, 9, 5, 35})}}, bytes({252}), 0.8},
        ReplyCase{"reply to another command", 86, "", {{bytes({42, 65, 1, 5, 35})}}, bytes({252}), 0.8},
        ReplyCase{"readings of a QMR51 get a status", 64, "QMR51", {{bytes({42, 65, 1, 5, 35})}}, bytes({0, 5, 35}), 0},
        ReplyCase{"readings of a TIKA come without one", 64, "TIKA V2", {{bytes({42, 65, 2, 0, 5, 35})}},
                  bytes({0, 5, 35}), 0},
        ReplyCase{"TIKA V1 readings too", 64, "TIKA V1", {{bytes({42, 65, 1, 3, 35})}}, bytes({3, 35}), 0},
        ReplyCase{"reply cut off at the deadline", 86, "", {{bytes({42, 87, 5, 1, 2}), 0.1}, {bytes({3, 4, 5, 35}), 0.9}},
                  bytes({252}), 0.8}),
    [](const auto& info) {
        QString n = QString::fromLatin1(info.param.name);
        n.replace(' ', '_');
        return n.toStdString();
    });

struct AckCase {
    const char* name;
    int command;
    QList<FakeSerialPort::Arrival> arrivals;
    int expectedStatus;
    int expectedMessages;
};

class Acknowledgement : public ::testing::TestWithParam<AckCase> {};

TEST_P(Acknowledgement, AlwaysWaitsTheWholeDeadline)
{
    const AckCase& c = GetParam();
    Exchange x;
    x.p.port.replyToNextWrite(c.arrivals);
    const double start = x.p.clock.exact();
    EXPECT_EQ(x.send(c.command, QByteArray(4, 'x')), bytes({c.expectedStatus}));
    EXPECT_NEAR(x.p.clock.exact() - start, 0.8, 0.01);
    EXPECT_EQ(x.refusals, c.expectedMessages);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Acknowledgement,
    ::testing::Values(AckCase{"block acknowledged", 208, {{"*U#", 0.1}}, 0, 0},
                      AckCase{"block acknowledged amid noise", 208, {{"ab*U#cd", 0.1}}, 0, 0},
                      AckCase{"block refused", 208, {{"*X#", 0.1}}, 255, 0},
                      AckCase{"block refused then acknowledged", 208, {{"*X#", 0.1}, {"*U#", 0.5}}, 0, 0},
                      AckCase{"block with two bytes only", 208, {{"*U", 0.1}}, 252, 0},
                      AckCase{"block unanswered", 208, {}, 252, 0},
                      AckCase{"closing frame acknowledged", 210, {{"*U#", 0.1}}, 0, 0},
                      AckCase{"settings acknowledged stay 252", 66, {{"*U#", 0.1}}, 252, 0},
                      AckCase{"settings refused show the error", 66, {{"*X#", 0.1}}, 252, 1}),
    [](const auto& info) {
        QString n = QString::fromLatin1(info.param.name);
        n.replace(' ', '_');
        return n.toStdString();
    });

TEST(Acknowledgement, ClosingFrameKeepsInputThatWasAlreadyWaiting)
{
    Exchange x;
    x.p.port.feed("*U#");
    EXPECT_EQ(x.send(210, QByteArray(12, 0)), bytes({0}));
    Exchange y;
    y.p.port.feed("*U#");
    EXPECT_EQ(y.send(208, QByteArray(134, 0)), bytes({252}));
}

TEST(Acknowledgement, AFullWaitSleepsOnThePortInsteadOfPolling)
{
    Exchange x;
    x.p.port.replyToNextWrite({{"*U#", 0.1}});
    x.send(208, QByteArray(134, 0));
    // One wait for the acknowledgement, one for the rest of the deadline: no busy loop.
    EXPECT_LE(x.p.port.reads, 6);
}

TEST(LongReply, HighByteFiveAndLow255CarriesTheWholeLog)
{
    Exchange x;
    const QByteArray log(1535, 'L');
    x.p.port.replyToNextWrite({{bytes({42, 69, 5, 255}) + log + "#", 0.2}});
    const double start = x.p.clock.exact();
    const QByteArray result = x.send(68);
    EXPECT_EQ(result, bytes({0}) + log);
    // The deadline moves to half a second after the header.
    EXPECT_NEAR(x.p.clock.exact() - start, 0.7, 0.01);
}

TEST(LongReply, HighByteSixIsALengthOverflowAtTheFirstDeadline)
{
    Exchange x;
    x.p.port.replyToNextWrite({{bytes({42, 69, 6, 0, 1, 2}), 0.1}});
    const double start = x.p.clock.exact();
    EXPECT_EQ(x.send(68), bytes({250}));
    EXPECT_NEAR(x.p.clock.exact() - start, 0.8, 0.01);
}

TEST(LongReply, WrongEndAndEmptyLog)
{
    Exchange x;
    x.p.port.replyToNextWrite({{bytes({42, 69, 0, 2, 7, 8, 9})}});
    EXPECT_EQ(x.send(68), bytes({251}));

    Exchange empty;
    empty.p.port.replyToNextWrite({{bytes({42, 69, 0, 0, 35})}});
    EXPECT_EQ(empty.send(68), bytes({252})) << "five bytes are not examined";
    Exchange emptyPlus;
    emptyPlus.p.port.replyToNextWrite({{bytes({42, 69, 0, 0, 35, 1})}});
    EXPECT_EQ(emptyPlus.send(68), bytes({0}));
}

TEST(LongReply, ALaterReplyReplacesTheFirst)
{
    Exchange x;
    x.p.port.replyToNextWrite({{bytes({42, 69, 0, 1, 'a', 35}), 0.1}, {bytes({42, 69, 0, 2, 'b', 'c', 35}), 0.3}});
    const double start = x.p.clock.exact();
    EXPECT_EQ(x.send(68), bytes({0, 'b', 'c'}));
    EXPECT_NEAR(x.p.clock.exact() - start, 0.8, 0.01);
}

struct WallClockStep {
    const char* name;
    QDateTime before; // the time of day when the request goes out
    qint64 stepSeconds; // how the time of day moves while the exchange waits
};

class TimeOfDay : public ::testing::TestWithParam<WallClockStep> {};

// The wait is measured on the steady clock: whatever the time of day does meanwhile (midnight, the
// hour that repeats when daylight-saving time ends, NTP stepping the clock), it lasts 0.8 s.
TEST_P(TimeOfDay, AWaitLastsWhatItSaysWhateverTheTimeOfDayDoes)
{
    Exchange x;
    x.p.clock.setWallClock(GetParam().before);
    x.p.pump.onEvents = [&] { x.p.clock.setWallClock(x.p.clock.now().addSecs(GetParam().stepSeconds)); };
    const double before = x.p.clock.exact();
    EXPECT_EQ(x.send(86), bytes({252}));
    EXPECT_NEAR(x.p.clock.exact() - before, 0.8, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Clock, TimeOfDay,
    ::testing::Values(
        WallClockStep{"across_midnight", QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59, 500)), 0},
        WallClockStep{"daylight_saving_ends", QDateTime(QDate(2026, 10, 25), QTime(2, 59, 59, 900),
                                                        QTimeZone("Europe/Amsterdam")), -3600},
        WallClockStep{"ntp_steps_back", QDateTime(QDate(2026, 12, 6), QTime(12, 0)), -30},
        WallClockStep{"ntp_steps_forward", QDateTime(QDate(2026, 12, 6), QTime(12, 0)), 30}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Exchange, RequestFrameAndDrainOfStaleInput)
{
    Exchange x;
    x.p.port.feed("stale");
    x.p.port.replyToNextWrite({{bytes({42, 87, 1, 4, 35})}});
    EXPECT_EQ(x.send(86), bytes({0, 4, 35}));
    x.send(133, bytes({0, 0, 1, 2, 133}));
    ASSERT_EQ(x.p.port.writes.size(), 2);
    EXPECT_EQ(x.p.port.writes[0], bytes({42, 86, 35}));
    EXPECT_EQ(x.p.port.writes[1], bytes({42, 133, 0, 0, 1, 2, 133, 35}));
    EXPECT_EQ(x.p.pump.passes, 2) << "one event pass per exchange";
}

TEST(Exchange, LeavesTheWholeFrameInTheReceiveBuffer)
{
    Exchange x;
    x.p.port.replyToNextWrite({{bytes({42, 87, 1, 4, 35, 9})}});
    x.send(86);
    EXPECT_EQ(x.exchange.receiveBuffer(), bytes({42, 87, 1, 4, 35, 9}));
}

TEST(Exchange, AVanishedPortEndsTheWaitAtOnce)
{
    Exchange x;
    x.p.port.replyToNextWrite({{bytes({42, 87}), 0.1}});
    x.p.pump.onEvents = [&] { x.p.port.vanish(); };
    const double start = x.p.clock.exact();
    EXPECT_EQ(x.send(86), bytes({252}));
    EXPECT_LT(x.p.clock.exact() - start, 0.05);
    EXPECT_TRUE(x.exchange.lastExchangePortFailed());
}

TEST(Exchange, AClosedPortAnswers252WithoutWaiting)
{
    Exchange x;
    x.p.port.close();
    const double start = x.p.clock.exact();
    EXPECT_EQ(x.send(208, QByteArray(134, 0)), bytes({252}));
    EXPECT_EQ(x.p.clock.exact(), start);
}

TEST(Exchange, IsBusyOnlyWhileWaiting)
{
    Exchange x;
    bool busyDuringEvents = false;
    x.p.pump.onEvents = [&] { busyDuringEvents = x.exchange.busy(); };
    x.send(86);
    EXPECT_TRUE(busyDuringEvents);
    EXPECT_FALSE(x.exchange.busy());
}

} // namespace
