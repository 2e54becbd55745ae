#include "Bytes.h"
#include "FakeDialogs.h"
#include "FakePlatform.h"
#include "link/CommandExchange.h"
#include "link/SerialLink.h"
#include "PacedLine.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "sim/Simulator.h"
#include <gtest/gtest.h>

using fakes::bytes;

namespace {


// The tool's real line (QtSerialPort, the event pump, the steady clock paced by the device, see
// PacedLine.h) against a simulated device on a pseudo-terminal, reachable as COM7.
struct Line {
    explicit Line(sim::DeviceKind kind) : device(sim::DeviceProfile::defaults(kind))
    {
        this->kind = kind;
    }
    sim::Simulator device;
    fakes::FakePortListing listing;
    platform::QtSerialPort realPort{listing};
    fakes::PacedClock clock;
    fakes::PacedPort port{realPort, clock, [this](int n) { return n == 7 ? &device : nullptr; }};
    platform::QtEventPump pump;
    fakes::FakeDialogs dialogs;
    std::optional<device::DeviceKind> kind;
    double timeOut = 0;
    double timeOut2 = 0;
    comlink::SerialLink link{port, clock, pump, timeOut2};
    comlink::CommandExchange exchange{port, clock, pump, dialogs, kind, timeOut};

    bool connect()
    {
        if (!device.start())
            return false;
        listing.paths.insert(7, device.devicePath());
        return link.OpenCom(7) == 7;
    }
    QByteArray send(int command, const QByteArray& payload = {})
    {
        return exchange.SendCommand(static_cast<std::uint8_t>(command), payload);
    }
};

struct LinkOverPty : ::testing::Test {
    Line qmr{sim::DeviceKind::Qmr51};
    void SetUp() override { ASSERT_TRUE(qmr.connect()) << qPrintable(qmr.port.lastError()); }
};

TEST_F(LinkOverPty, OpenComRefusesAnOpenPortAndAMissingOne)
{
    EXPECT_EQ(qmr.link.OpenCom(7), std::nullopt);
    EXPECT_EQ(qmr.link.OpenCom(8), std::nullopt);
    qmr.port.close();
    EXPECT_EQ(qmr.link.OpenCom(8), std::nullopt) << "COM8 is not listed";
    EXPECT_EQ(qmr.link.OpenCom(7), 7);
}

TEST_F(LinkOverPty, OpenComDrainsWhatTheDeviceSentBefore)
{
    qmr.port.close();
    // An answer to a request nobody remembers is already waiting when the port opens.
    {
        platform::QtSerialPort earlier(qmr.listing);
        ASSERT_TRUE(earlier.open(7));
        ASSERT_TRUE(earlier.write("*V#"));
        ASSERT_TRUE(qmr.device.waitForFrames(1, std::chrono::seconds(5)));
        earlier.close();
    }
    ASSERT_EQ(qmr.link.OpenCom(7), 7);
    EXPECT_TRUE(qmr.port.readAll().isEmpty());
}

TEST_F(LinkOverPty, IdentificationComesBackWithStatusZeroInFront)
{
    EXPECT_EQ(qmr.send(86).toHex(' '),
              bytes({0, 2, 1, 0, 5, 10, 1, 5, 1, '5', '1', '0', '0', '0', '0', '4', '2', 35}).toHex(' '));
    EXPECT_EQ(qmr.device.receivedFrames().back(), (sim::RequestFrame{86, {}}));
}

TEST_F(LinkOverPty, QmrReadingsGetAStatusTikaReadingsBringTheirOwn)
{
    const QByteArray qmrReadings = qmr.send(64);
    ASSERT_EQ(qmrReadings.size(), 1 + 52 + 1);
    EXPECT_EQ(qmrReadings.left(5).toHex(' '), bytes({0, 0x44, 0x9C, 0x40, 0x00}).toHex(' ')) << "1250.0 W";

    Line tika{sim::DeviceKind::TikaV2};
    ASSERT_TRUE(tika.connect());
    tika.device.changeProfile([](sim::DeviceProfile& p) {
        p.readingsStatus = 2;
        p.readings = {1250};
    });
    const QByteArray tikaReadings = tika.send(64);
    ASSERT_EQ(tikaReadings.size(), 53 + 1);
    EXPECT_EQ(tikaReadings.left(5).toHex(' '), bytes({2, 0, 0, 0x04, 0xE2}).toHex(' '));
}

TEST_F(LinkOverPty, SettingsAreTakenAndTheirAcknowledgementKeepsTheTimeOutStatus)
{
    EXPECT_EQ(qmr.send(66, bytes({30, 2, 5, 4})), bytes({252}));
    EXPECT_TRUE(qmr.dialogs.messages.isEmpty());
    EXPECT_EQ(qmr.device.receivedFrames().back(), (sim::RequestFrame{66, bytes({30, 2, 5, 4})}));
    EXPECT_EQ(qmr.device.profile().settings, bytes({30, 2, 5, 4}));

    sim::Misbehaviour refuse;
    refuse.refuseAcknowledgement = true;
    qmr.device.setMisbehaviour(refuse);
    EXPECT_EQ(qmr.send(66, bytes({10, 1, 5, 1})), bytes({252}));
    ASSERT_FALSE(qmr.dialogs.messages.isEmpty());
    EXPECT_EQ(qmr.dialogs.messages.front(), "Settings error");
}

TEST_F(LinkOverPty, FirmwareBlockAcknowledgedOrRefused)
{
    const QByteArray block = bytes({0, 0, 0, 0x80}) + QByteArray(128, 'i') + bytes({0xF7, 0xBD});
    EXPECT_EQ(qmr.send(208, block), bytes({0}));
    sim::Misbehaviour refuse;
    refuse.refuseAcknowledgement = true;
    qmr.device.setMisbehaviour(refuse);
    EXPECT_EQ(qmr.send(208, block), bytes({255}));
}

TEST_F(LinkOverPty, DebugLogOfTheFullLengthComesWhole)
{
    QByteArray log;
    for (int i = 0; i < 1535; ++i)
        log.append(static_cast<char>(i % 251));
    qmr.device.changeProfile([&](sim::DeviceProfile& p) { p.debugLog = log; });
    EXPECT_EQ(qmr.send(68), bytes({0}) + log);

    sim::Misbehaviour overlong;
    overlong.overlongDebugLog = true;
    qmr.device.setMisbehaviour(overlong);
    EXPECT_EQ(qmr.send(68), bytes({250}));
}

struct MisbehaviourCase {
    const char* name;
    sim::Misbehaviour misbehaviour;
    int command;
    QByteArray payload;
    QByteArray expected;
};

sim::Misbehaviour with(const std::function<void(sim::Misbehaviour&)>& set)
{
    sim::Misbehaviour m;
    set(m);
    return m;
}

class Misbehaving : public ::testing::TestWithParam<MisbehaviourCase> {};

TEST_P(Misbehaving, EndsWithTheStatusOfTheRules)
{
    const MisbehaviourCase& c = GetParam();
    Line line{sim::DeviceKind::Qmr51};
    ASSERT_TRUE(line.connect());
    line.device.setMisbehaviour(c.misbehaviour);
    EXPECT_EQ(line.send(c.command, c.payload).toHex(' '), c.expected.toHex(' '));
    EXPECT_FALSE(line.exchange.lastExchangePortFailed());
}

const QByteArray kIdentity = bytes({0, 2, 1, 0, 5, 10, 1, 5, 1, '5', '1', '0', '0', '0', '0', '4', '2', 35});

INSTANTIATE_TEST_SUITE_P(
    Device, Misbehaving,
    ::testing::Values(
        MisbehaviourCase{"silence", with([](auto& m) { m.silent = true; }), 86, {}, bytes({252})},
        MisbehaviourCase{"wrong_end_byte", with([](auto& m) { m.wrongEndByte = true; }), 86, {}, bytes({251})},
        // The length is read from the third byte of what came: a stray byte makes it the marker
        // (87), and the 91 bytes never come.
        MisbehaviourCase{"a_stray_byte_in_front", with([](auto& m) { m.strayBytes = bytes({0}); }), 86, {},
                         bytes({252})},
        // Here the third byte says 3, and the seventh (the first value byte, 0) is no '#'.
        MisbehaviourCase{"stray_bytes_that_look_like_a_length",
                         with([](auto& m) { m.strayBytes = bytes({'a', 'b', 3}); }), 133, bytes({0, 0, 1, 2, 133}),
                         bytes({251})},
        MisbehaviourCase{"slow_pieces_within_the_deadline",
                         with([](auto& m) {
                             m.pieceSize = 4;
                             m.pieceDelay = std::chrono::milliseconds(40);
                         }),
                         86, {}, kIdentity}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkOverPty, ADeviceGoneMidAnswerEndsTheExchangeAsAPortFailure)
{
    sim::Misbehaviour gone;
    gone.closeMidAnswer = true;
    qmr.device.setMisbehaviour(gone);
    EXPECT_EQ(qmr.send(86), bytes({252}));
    // Ended by the failure, not by running into the deadline.
    EXPECT_TRUE(qmr.exchange.lastExchangePortFailed());
    EXPECT_TRUE(qmr.port.hasFailed());
    EXPECT_EQ(qmr.send(86), bytes({252}));
    qmr.port.close();
    EXPECT_EQ(qmr.link.OpenCom(7), std::nullopt);
}

} // namespace
