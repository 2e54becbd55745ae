// The device session on the fake line: what a connect finds out, what a poll, a settings send, a
// debug-log read and a counter preset put on the wire, and what the session tells its listeners.
// How the exchange reads each reply is CommandExchangeTest's.
#include "DeviceFrames.h"
#include "FakePlatform.h"
#include "device/Session.h"
#include <gtest/gtest.h>

using fakes::bytes;
using Outcome = device::Session::ConnectOutcome;
using State = device::Session::State;

namespace {

const QByteArray kQmr51 = fakes::qmr51Identity({2, 1, 0, 5}, 10, 1, 4, 4, "Q5100042");
const QByteArray kTikaV2 = fakes::tikaIdentity({25, 0, 1, 2}, "22M01234");

struct Rig {
    fakes::FakePlatform p;
    device::Session session{p.port, p.ports, p.clock, p.pump};
    int connects = 0, linesLost = 0;
    QList<State> states; // every change, in order
    Rig()
    {
        QObject::connect(&session, &device::Session::stateChanged, [this](State now, State before) {
            EXPECT_NE(now, before);
            states.append(now);
            connects += now == State::Connected && before == State::Connecting;
            linesLost += now == State::LineLost;
        });
    }
    // The device answers the next request with a standard reply frame.
    void answer(int command, const QByteArray& data) { p.port.replyToNextWrite({{fakes::replyFrame(command, data), 0.02}}); }
    Outcome connect(int port, const QByteArray& identity)
    {
        p.port.existingPorts.insert(port);
        if (!identity.isEmpty())
            answer(86, identity);
        return session.connect(static_cast<std::uint8_t>(port));
    }
};

TEST(Session, WhatAConnectFindsOut)
{
    // 99 once meant "no port"; it is a port like any other.
    for (const auto& [port, identity, kind, serial] :
         {std::tuple{3, kQmr51, device::DeviceKind::Qmr51, QByteArray("Q5100042")},
          {12, kTikaV2, device::DeviceKind::TikaV2, "22M01234"},
          {99, fakes::tikaIdentity({24, 1, 0, 3}, "21T00042"), device::DeviceKind::TikaV1, "21T00042"}}) {
        Rig rig;
        EXPECT_EQ(rig.connect(port, identity), Outcome::Connected) << port;
        EXPECT_EQ(rig.session.kind(), kind) << port;
        EXPECT_EQ(rig.session.serial(), serial) << port;
        EXPECT_EQ(rig.session.portNumber(), std::optional<std::uint8_t>(port));
        EXPECT_EQ(rig.connects, 1);
        EXPECT_FALSE(rig.session.connectFailed());
        EXPECT_EQ(rig.p.port.writes, QList<QByteArray>({"*V#"}));
    }
}

TEST(Session, AFailedConnectAndAnOpenPortNeverOpenedTwice)
{
    Rig rig;
    EXPECT_EQ(rig.session.connect(13), Outcome::NotOpened); // the fake lists COM1 ... COM12
    EXPECT_TRUE(rig.session.connectFailed());
    EXPECT_TRUE(rig.p.port.writes.isEmpty()) << "nothing goes out on a port that is not open";

    // An answer to a request nobody remembers is on its way when the port opens: the open drains
    // the line for 0.5 s, so it cannot pass for the answer to the connect's own request.
    rig.p.port.feed(fakes::replyFrame(86, kQmr51), 0.3);
    EXPECT_EQ(rig.connect(3, {}), Outcome::NoDevice);
    EXPECT_TRUE(rig.session.connectFailed() && !rig.session.kind() && !rig.session.portNumber() && rig.connects == 0);
    // A silent device may still be booting: its port stays open until the user picks another.
    EXPECT_EQ(rig.session.connect(3), Outcome::NotOpened) << "still open from the first try";
    rig.session.close();
    EXPECT_FALSE(rig.p.port.isOpen() || rig.session.connectFailed());
}

TEST(Session, APollReadsAModulesOwnStatusByte)
{
    Rig rig;
    ASSERT_EQ(rig.connect(99, kTikaV2), Outcome::Connected);
    // A TIKA module's readings begin with its own status byte; 1 is "meter port busy".
    QByteArray readings = bytes({0});
    for (int field = 1; field <= 13; ++field)
        readings += bytes({0, 0, 0, field});
    rig.answer(64, readings);
    rig.answer(64, bytes({1}));
    const device::ReadingRow first = rig.session.poll(true, false);
    const device::ReadingRow busy = rig.session.poll(true, false);
    const device::ReadingRow silence = rig.session.poll(true, false); // a row with date and time only
    EXPECT_EQ(rig.p.port.writes.mid(1), QList<QByteArray>(3, "*@#"));
    EXPECT_EQ(first.completeFields, 13);
    EXPECT_EQ(first.fields[12], 13u);
    EXPECT_EQ(busy.status, 1);
    EXPECT_EQ(silence.status, comlink::kTimedOut);
}

// Settings for the connected kind and the debug log, then the adapter pulled out: the lost line is
// let go and told once, and not again once closed. A forced upgrade afterwards has a device of
// which nothing is known yet, and one that sends nothing gives the session back as it was.
TEST(Session, RequestsOfAConnectedQmr51ItsLostLineAndAForcedUpgradeAfterIt)
{
    Rig rig;
    ASSERT_EQ(rig.connect(7, kQmr51), Outcome::Connected);
    const device::SettingsRecord settings{.protocolPosition = 1, .intervalSeconds = 30, .divider = {7, 10}};
    rig.p.port.replyToNextWrite({{"*U#", 0.05}});
    EXPECT_EQ(rig.session.sendSettings(settings).outcome, comlink::Outcome::Acknowledged);
    EXPECT_EQ(rig.p.port.writes.last(), bytes({'*', 66, 30, 1, 4, 7, '#'}));

    rig.p.port.replyToNextWrite({{bytes({'*', 'E', 0, 3, 'l', 'o', 'g', '#'}), 0.02}});
    EXPECT_EQ(rig.session.readDebugLog(), (comlink::Reply{comlink::kOk, "log", comlink::Outcome::Answered}));

    rig.p.port.vanish();
    EXPECT_EQ(rig.session.poll(true, false).status, comlink::kTimedOut);
    EXPECT_EQ(rig.linesLost, 1);
    EXPECT_FALSE(rig.p.port.isOpen()) << "the dead line is let go";
    EXPECT_EQ(rig.session.portNumber(), std::optional<std::uint8_t>(7)) << "so that its return can be watched";
    rig.session.close();
    rig.session.poll(true, false);
    EXPECT_EQ(rig.linesLost, 1) << "nothing is connected any more";
    rig.session.assume(8, device::DeviceKind::Qmr51);
    EXPECT_EQ(rig.session.firmware(), (std::array<std::uint8_t, 4>{}));
    EXPECT_TRUE(rig.session.serial().isEmpty());
    rig.session.beginUpgrade(QStringLiteral("upgrade"));
    rig.session.upgradeNotStarted();
    EXPECT_EQ(rig.states, QList<State>({State::Connecting, State::Connected, State::Busy, State::Connected, State::Busy,
                                        State::Connected, State::Busy, State::LineLost, State::Closed, State::Upgrading,
                                        State::Closed}));
}

} // namespace
