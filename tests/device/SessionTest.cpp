// The device session on the fake line: what a connect finds out, what a poll, a settings send, a
// debug-log read and a counter preset put on the wire, and what the session tells its listeners.
#include "DeviceFrames.h"
#include "FakePlatform.h"
#include "device/Session.h"
#include <gtest/gtest.h>

using fakes::bytes;

namespace {

struct Rig {
    fakes::FakePlatform p;
    device::Session session{p.port, p.ports, p.clock, p.pump};
    int connects = 0;
    int linesLost = 0;
    int refusals = 0;
    Rig()
    {
        QObject::connect(&session, &device::Session::connected, [this] { ++connects; });
        QObject::connect(&session, &device::Session::lineLost, [this] { ++linesLost; });
        QObject::connect(&session, &device::Session::settingsRefused, [this] { ++refusals; });
    }
    // The device answers the next request with a standard reply frame.
    void answer(int command, const QByteArray& data) { p.port.replyToNextWrite({{fakes::replyFrame(command, data), 0.02}}); }
    device::Session::ConnectOutcome connect(int port, const QByteArray& identity)
    {
        p.port.existingPorts.insert(port);
        if (!identity.isEmpty())
            answer(86, identity);
        return session.connect(static_cast<std::uint8_t>(port));
    }
};

TEST(Session, WhatAConnectFindsOut)
{
    using Outcome = device::Session::ConnectOutcome;
    struct Case {
        const char* name;
        int port;
        QByteArray identity; // empty: the device stays silent
        Outcome outcome;
        std::optional<device::DeviceKind> kind;
        QByteArray serial;
    };
    const Case cases[] = {
        {"QMR51", 3, fakes::qmr51Identity({2, 1, 0, 5}, 10, 1, 4, 4, "Q5100042"), Outcome::Connected,
         device::DeviceKind::Qmr51, "Q5100042"},
        {"TIKA V2", 12, fakes::tikaIdentity({25, 0, 1, 2}, "22M01234"), Outcome::Connected, device::DeviceKind::TikaV2,
         "22M01234"},
        // 99 once meant "no port"; it is a port like any other.
        {"TIKA V1 on COM99", 99, fakes::tikaIdentity({24, 1, 0, 3}, "21T00042"), Outcome::Connected,
         device::DeviceKind::TikaV1, "21T00042"},
        {"silent device", 4, {}, Outcome::NoDevice, std::nullopt, {}},
    };
    for (const Case& c : cases) {
        Rig rig;
        EXPECT_EQ(rig.connect(c.port, c.identity), c.outcome) << c.name;
        EXPECT_EQ(rig.session.kind(), c.kind) << c.name;
        EXPECT_EQ(rig.session.serial(), c.serial) << c.name;
        EXPECT_EQ(rig.connects, c.kind ? 1 : 0) << c.name;
        EXPECT_EQ(rig.session.connectFailed(), !c.kind) << c.name;
        EXPECT_EQ(rig.session.portNumber(), c.kind ? std::optional<std::uint8_t>(c.port) : std::nullopt) << c.name;
        // A silent device may still be booting: its port stays open until the user picks another.
        EXPECT_TRUE(rig.p.port.isOpen()) << c.name;
        EXPECT_EQ(rig.p.port.writes.value(0), QByteArray("*V#")) << c.name;
    }
}

TEST(Session, APortThatCannotBeOpenedIsAFailedConnectAndAnOpenPortIsNeverOpenedTwice)
{
    Rig rig;
    rig.p.port.existingPorts = {3};
    EXPECT_EQ(rig.session.connect(5), device::Session::ConnectOutcome::NotOpened);
    EXPECT_TRUE(rig.session.connectFailed());
    EXPECT_TRUE(rig.p.port.writes.isEmpty()) << "nothing goes out on a port that is not open";

    EXPECT_EQ(rig.session.connect(3), device::Session::ConnectOutcome::NoDevice);
    EXPECT_EQ(rig.session.connect(3), device::Session::ConnectOutcome::NotOpened) << "still open from the first try";
    rig.session.close();
    EXPECT_FALSE(rig.p.port.isOpen());
    EXPECT_FALSE(rig.session.connectFailed());
}

TEST(Session, AForcedUpgradesDeviceHasNoFirmwareOfAnEarlierDevice)
{
    Rig rig;
    ASSERT_EQ(rig.connect(7, fakes::qmr51Identity({2, 1, 0, 5}, 10, 1, 4, 4, "Q5100042")),
              device::Session::ConnectOutcome::Connected);
    rig.session.close();
    rig.session.assume(8, device::DeviceKind::Qmr51);
    EXPECT_EQ(rig.session.firmware(), (std::array<std::uint8_t, 4>{}));
    EXPECT_TRUE(rig.session.serial().isEmpty());
}

TEST(Session, APollLogsTheDecodedRowAndAConnectStartsANewLog)
{
    Rig rig;
    ASSERT_EQ(rig.connect(99, fakes::tikaIdentity({25, 0, 1, 2}, "22M01234")), device::Session::ConnectOutcome::Connected);
    // A TIKA module's readings begin with its own status byte; 1 is "meter port busy".
    QByteArray readings = bytes({0});
    for (int field = 1; field <= 13; ++field)
        readings += bytes({0, 0, 0, field});
    rig.answer(64, readings);
    rig.answer(64, bytes({1}));
    const view::ReadingRow first = rig.session.poll(true, false);
    rig.session.poll(true, false);
    rig.session.poll(true, false); // silent: a row with date and time only

    EXPECT_EQ(rig.p.port.writes.mid(1), QList<QByteArray>({"*@#", "*@#", "*@#"}));
    ASSERT_EQ(rig.session.readings().rowCount(), 3);
    EXPECT_EQ(first.completeFields, 13);
    EXPECT_EQ(first.fields[12], 13u);
    EXPECT_EQ(rig.session.readings().row(1).status, 1);
    EXPECT_EQ(rig.session.readings().row(2).status, comlink::kTimedOut);

    rig.session.close();
    rig.connect(99, fakes::tikaIdentity({25, 0, 1, 2}, "22M01234"));
    EXPECT_EQ(rig.session.readings().rowCount(), 0);
}

TEST(Session, SettingsGoOutForTheConnectedKindAndAWrongAnswerIsTold)
{
    Rig rig;
    ASSERT_EQ(rig.connect(99, fakes::qmr51Identity({2, 1, 0, 5}, 10, 1, 4, 4, "Q5100042")),
              device::Session::ConnectOutcome::Connected);
    device::SettingsRecord settings;
    settings.intervalSeconds = 30;
    settings.protocolPosition = 1;
    settings.divider[0] = 7;
    rig.p.port.replyToNextWrite({{"*U#", 0.05}});
    rig.session.sendSettings(settings);
    EXPECT_EQ(rig.p.port.writes.last(), bytes({'*', 66, 30, 1, 4, 7, '#'}));
    EXPECT_EQ(rig.refusals, 0);

    rig.p.port.replyToNextWrite({{"*X#", 0.05}});
    rig.session.sendSettings(settings);
    EXPECT_GE(rig.refusals, 1);
}

TEST(Session, ALineThatGoesAwayUnderAConnectedDeviceIsToldOnce)
{
    Rig rig;
    ASSERT_EQ(rig.connect(7, fakes::qmr51Identity({2, 1, 0, 5}, 10, 1, 4, 4, "Q5100042")),
              device::Session::ConnectOutcome::Connected);
    rig.p.port.vanish();
    const double before = rig.p.clock.exact();
    EXPECT_EQ(rig.session.poll(true, false).status, comlink::kTimedOut);
    EXPECT_EQ(rig.linesLost, 1);
    EXPECT_LT(rig.p.clock.exact() - before, 0.8) << "an unplugged adapter ends the wait at once";

    rig.session.close();
    rig.session.poll(true, false);
    EXPECT_EQ(rig.linesLost, 1) << "nothing is connected any more";
}

TEST(Session, DebugLogAndCounterPresetFrames)
{
    Rig rig;
    ASSERT_EQ(rig.connect(7, fakes::tikaIdentity({25, 0, 1, 2}, "22M01234")), device::Session::ConnectOutcome::Connected);
    rig.p.port.replyToNextWrite({{bytes({'*', 'E', 0, 3, 'l', 'o', 'g', '#'}), 0.02}});
    EXPECT_EQ(rig.session.readDebugLog(), (comlink::Reply{comlink::kOk, "log"}));
    rig.session.presetCounter(1, 258);
    EXPECT_EQ(rig.p.port.writes.last(), bytes({'*', 134, 0, 0, 1, 2, 134, '#'}));
}

} // namespace
