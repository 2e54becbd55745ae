// The TIKA flash on a session over the fake platform: esptool is a fake program whose end comes at
// a set moment of fake time, so the 20 s and 5 min waits cost nothing. A module answers at once
// after esptool unless a case says otherwise.
#include "EspImages.h"
#include "UpgradeFakes.h"
#include "firmware/TikaFlash.h"
#include <QDir>
#include <gtest/gtest.h>

using namespace upgradefakes;
using device::DeviceKind;
using Outcome = firmware::TikaFlash::Outcome;

namespace {

// A module on COM12 (/dev/ttyUSB3), its image and the bundled esptools in the program folder.
struct Tika : Bench {
    FakeEsptool esptool{p.clock, p.port};
    firmware::TikaFlash flash{session, esptool, p.folder.path(), host};
    const QString folder = p.folder.path();
    explicit Tika(DeviceKind kind = DeviceKind::TikaV1)
    {
        EXPECT_TRUE(QDir(folder).mkpath("DATA") && writeFile(folder + "/" + image(kind), espimages::good(kind == DeviceKind::TikaV2 ? espimages::esp32s3 : espimages::esp32))
                    && writeFile(folder + "/esptool32", {}, true) && writeFile(folder + "/esptools3", {}, true));
        p.ports.paths.insert(12, "/dev/ttyUSB3");
        p.port.open(12);
        session.assume(12, kind);
    }
    static QString image(DeviceKind kind) { return kind == DeviceKind::TikaV2 ? "DATA/TIKAv2.bin" : "DATA/TIKAv1.bin"; }
};

// user, 10 s after the start: 'x' closes the progress display and says Yes to stopping, 'n' closes
// it once and says No, 'c' presses Cancel. seconds: from esptool's start to the end of the flash
// (after a good one, the port's 0.5 s drain and the module's answer); lastStatus: esptool's last
// line under "TIKA is being upgraded..."; lastValue: its last percentage, else the 20 s rise;
// said: parts of the one message.
struct FlashCase {
    const char* name; EsptoolRun esptool; char user; Outcome outcome; double seconds; QString lastStatus; int lastValue;
    QStringList said = {}; DeviceKind kind = DeviceKind::TikaV1;
};

class Flash : public ::testing::TestWithParam<FlashCase> {};

TEST_P(Flash, EndsWhenEsptoolHasShowsItAndTellsEveryFailure)
{
    const FlashCase& c = GetParam();
    Tika h(c.kind);
    h.esptool.run = c.esptool;
    h.host.answers = {c.user == 'x'};
    bool closedOnce = false;
    h.p.pump.onEvents = [&] {
        if (!c.user || h.esptool.startedAt < 0 || h.p.clock.exact() - h.esptool.startedAt < 10 || closedOnce)
            return;
        (c.user == 'c' ? h.host.cancel : h.host.closed) = true;
        closedOnce = c.user == 'n';
    };
    EXPECT_EQ(h.flash.run().outcome, c.outcome);
    EXPECT_EQ(h.esptool.started, QList<QStringList>({{"/bin/sh", h.folder, h.folder + "/PCOM12.sh"}}));
    EXPECT_FALSE(h.esptool.portOpenAtStart) << "esptool needs the port for itself";
    // The script's text is pinned in FlashScriptTest; here the esptool of the kind, the port's
    // device node and the image of the kind.
    const QByteArray script = readFile(h.folder + "/PCOM12.sh");
    EXPECT_TRUE(script.contains(c.kind == DeviceKind::TikaV2 ? "/esptools3' '--chip' 'esp32s3' '--port' '/dev/ttyUSB3' '--baud' '115200'"
                                                             : "/esptool32' '--chip' 'esp32' '--port' '/dev/ttyUSB3' ")
                && script.contains(" '" + Tika::image(c.kind).toUtf8() + "' ")) << script.constData();
    EXPECT_EQ(h.host.captions, QStringList({"Firmware upgrade started"}));
    // A stray click must not leave the module half written: closing asks first.
    EXPECT_EQ(h.host.questions, c.user == 'x' || c.user == 'n'
                                    ? QStringList({"Stop flashing? The module will not start until it is flashed again."})
                                    : QStringList());
    EXPECT_NEAR(h.p.clock.exact() - h.esptool.startedAt, c.seconds, 0.25);
    EXPECT_EQ(h.esptool.killed, c.outcome == Outcome::TimedOut || c.outcome == Outcome::Stopped);
    const qsizetype waited = c.outcome == Outcome::Flashed ? 1 : 0; // the wait for the module comes last
    EXPECT_EQ(h.host.statuses.value(h.host.statuses.size() - 1 - waited), "TIKA is being upgraded..." + c.lastStatus);
    EXPECT_NEAR(h.host.values.value(h.host.values.size() - 1 - waited), c.lastValue, 1);
    ASSERT_EQ(h.host.messages.size(), c.said.isEmpty() ? 0 : 1);
    for (const QString& part : c.said)
        EXPECT_TRUE(h.host.messages[0].contains(part)) << h.host.messages[0].toStdString() << "\nlacks " << part.toStdString();
    EXPECT_FALSE(h.host.shown);
    // Without the image nothing can be flashed; the window names the missing file before it starts one.
    EXPECT_EQ(h.flash.missingImage(), "");
    QFile::remove(h.folder + "/" + Tika::image(c.kind));
    EXPECT_EQ(h.flash.missingImage(), "No module image " + QDir::toNativeSeparators(h.folder + "/" + Tika::image(c.kind)) + ": nothing was flashed.");
}

INSTANTIATE_TEST_SUITE_P(
    Tika, Flash,
    ::testing::Values(
        FlashCase{"quick_flash_ends_when_the_module_answers", {"Writing at 0x00030000... (47 %)\r"}, 0, Outcome::Flashed, 1.5, "\nWriting at 0x00030000... (47 %)", 47},
        FlashCase{"slow_flash_waited_for", {"(100 %)\nHash of data verified.\n", 75}, 0, Outcome::Flashed, 75.5, "\nHash of data verified.", 100,
                  {}, DeviceKind::TikaV2},
        FlashCase{"fatal_error",
                  {"Connecting....\nA fatal error occurred: Failed to connect to ESP32: No serial data received.\n"
                   "For troubleshooting steps visit: https://docs.espressif.com\n", 4, 2},
                  0, Outcome::Failed, 4, "\nFor troubleshooting steps visit: https://docs.espressif.com", 20,
                  {"exit status 2", "A fatal error occurred: Failed to connect to ESP32: No serial data received."}},
        FlashCase{"no_fatal_line_shows_the_last_lines", {"one\ntwo\nthree\nfour\nSerial port /dev/ttyUSB3 busy\n", 2, 1},
                  0, Outcome::Failed, 2, "\nSerial port /dev/ttyUSB3 busy", 10, {"exit status 1", "\nthree\nfour\nSerial port /dev/ttyUSB3 busy\n"}},
        FlashCase{"still_running_after_five_minutes", {"Writing at 0x00010000... (3 %)\n", 1e9},
                  0, Outcome::TimedOut, 300, "\nWriting at 0x00010000... (3 %)", 3, {"had not finished after 5 minutes", "(3 %)"}},
        FlashCase{"could_not_start", {"", 0, 0, true}, 0, Outcome::Failed, 0, "", 0, {"/bin/sh could not be started"}},
        FlashCase{"progress_display_closed_and_stop_confirmed", {"", 40}, 'x', Outcome::Stopped, 10, "", 50,
                  {"The TIKA upgrade was stopped", "must be flashed again"}},
        FlashCase{"progress_display_closed_but_no_stop", {"", 40}, 'n', Outcome::Flashed, 40.5, "", 100},
        FlashCase{"cancel_does_not_stop_esptool", {"", 40}, 'c', Outcome::Flashed, 40.5, "", 100}),
    [](const auto& info) { return std::string(info.param.name); });

// After esptool the module boots, deaf: it is asked "*V#" every 0.25 s from the port's one opening
// on (again only after the line failed) until it answers or the boot wait (20 s, or as set) is
// over; the flash is Flashed either way, and the port is let go for the caller's connect.
TEST(TikaFlash, TheBootingModuleIsAskedEveryQuarterSecondUntilItAnswersOrTheBootWaitIsOver)
{
    struct Case { double silentSeconds, bootWaitSeconds; bool answers, lineFails = false; };
    for (const Case& c : {Case{2.9, 20, true}, Case{22, 20, false}, Case{22, 25, true}, Case{2.9, 20, true, true}}) {
        SCOPED_TRACE(testing::Message() << c.silentSeconds << " s silent, wait " << c.bootWaitSeconds << ", line fails " << c.lineFails);
        Tika h;
        h.esptool.run = {"", 0.9}; // seen to end at the pass 1 s after its start
        if (c.bootWaitSeconds != 20)
            h.flash.setBootWaitSeconds(c.bootWaitSeconds);
        QList<double> asked; // seconds after esptool's end
        h.p.port.responder = [&](const QByteArray& w) -> QList<fakes::FakeSerialPort::Arrival> {
            asked.append(h.p.clock.exact() - h.esptool.startedAt - 1);
            if (c.lineFails && asked.size() == 1)
                h.p.port.vanish();
            if (w != "*V#" || asked.last() < c.silentSeconds)
                return {};
            return {{fakes::replyFrame(86, fakes::tikaIdentity({24, 2, 0, 0}, "21T00042")), 0.02}};
        };
        const firmware::TikaFlash::Result result = h.flash.run();
        const double ended = h.p.clock.exact() - h.esptool.startedAt - 1;
        EXPECT_TRUE(result.outcome == Outcome::Flashed && h.host.messages.isEmpty() && !h.p.port.isOpen());
        EXPECT_EQ(h.host.statuses.last(), "TIKA is being upgraded...\nWaiting for the module to start its new firmware...");
        EXPECT_EQ(h.p.port.opened.size(), c.lineFails ? 3 : 2) << "opened by the test, after esptool, after the failure";
        EXPECT_LT(asked.value(0, 1), 0.65);
        for (qsizetype i = c.lineFails ? 2 : 1; i < asked.size(); ++i)
            EXPECT_NEAR(asked[i] - asked[i - 1], 0.25, 1e-3);
        EXPECT_NEAR(ended, c.answers ? asked.last() + 0.02 : c.bootWaitSeconds, 2e-3);
        EXPECT_NEAR(result.reconnectMs, c.answers ? ended * 1000 : -1, 1);
    }
}

// Nothing runs, and the user is told why, for an image the module cannot boot (the port stays
// open and the progress window unshown too), without esptool and without the port.
TEST(TikaFlash, NothingRunsForAnImageTheModuleCannotBootOrWithoutEsptoolOrThePort)
{
    const QByteArray path = qgetenv("PATH");
    QByteArray damaged = espimages::good(espimages::esp32, false);
    damaged[40] = char(damaged[40] ^ 0x10);
    struct Case { const char* name; QByteArray image; QString given; Outcome outcome; QString said; };
    const Case cases[] = {
        {"built for the other chip", espimages::good(espimages::esp32s3), "", Outcome::Refused,
         "The module image %1/DATA/TIKAv1.bin cannot go on this TIKA V1: built for an ESP32-S3, this module is an ESP32. Nothing was flashed."},
        {"damaged, given by path", damaged, "elsewhere.bin", Outcome::Refused,
         "The module image %1/elsewhere.bin cannot go on this TIKA V1: checksum does not match: the file is damaged. Nothing was flashed."},
        {"no esptool", {}, "", Outcome::NotRun, "The TIKA module was not flashed: esptool was not found, neither esptool32 in %1 nor esptool or esptool.py on the PATH."},
        {"no port", {}, "", Outcome::NotRun, "The TIKA module was not flashed: COM12 is no serial port of this computer."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tika h;
        qputenv("PATH", QFile::encodeName(h.folder)); // no esptool on the PATH either
        if (!c.image.isNull())
            ASSERT_TRUE(writeFile(h.folder + "/" + (c.given.isEmpty() ? Tika::image(DeviceKind::TikaV1) : c.given), c.image));
        else if (QString(c.name) == "no port")
            h.p.ports.paths.clear();
        else
            QFile::remove(h.folder + "/esptool32");
        EXPECT_EQ(h.flash.run(c.given).outcome, c.outcome);
        EXPECT_TRUE(h.esptool.started.isEmpty() && !h.host.shown);
        EXPECT_EQ(h.host.messages, QStringList({QString(c.said).replace("%1", h.folder)}));
        EXPECT_EQ(h.p.port.isOpen(), c.outcome == Outcome::Refused);
    }
    qputenv("PATH", path);
}

} // namespace
