// The TIKA flash on the fake platform: esptool is a fake program whose output and end come at set
// moments of fake time, so the 20 s and 5 min waits cost nothing.
#include "UpgradeFakes.h"
#include "firmware/TikaFlash.h"
#include "firmware/ui/UpgradeHandlers.h"
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

using upgradefakes::kNever;
using upgradefakes::ProgramScript;
using upgradefakes::UpgradeHarness;

namespace {

// A module on COM12 (/dev/ttyUSB3), its image and a bundled esptool in the program folder.
struct Tika : UpgradeHarness {
    explicit Tika(const QString& kind = QStringLiteral("TIKA V1"))
    {
        QDir folder(p.folder.path());
        folder.mkpath(QStringLiteral("DATA"));
        const QString image = kind == "TIKA V2" ? QStringLiteral("DATA/TIKAv2.bin") : QStringLiteral("DATA/TIKAv1.bin");
        writeFile(folder.filePath(image), QByteArray(4096, '\xe9'), false);
        writeFile(folder.filePath(QStringLiteral("esptool32")), "#!/bin/sh\n", true);
        writeFile(folder.filePath(QStringLiteral("esptools3")), "#!/bin/sh\n", true);
        p.ports.paths.insert(12, QStringLiteral("/dev/ttyUSB3"));
        selectPort(12);
        EXPECT_TRUE(p.port.open(12));
        tool.session.assume(12, device::kindNamed(kind));
    }
    static void writeFile(const QString& path, const QByteArray& content, bool executable)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        if (executable)
            file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }
    QString folder() const { return p.folder.path(); }
    void upgrade() { tool.upgrade().cmdUpgrade_Click(); }
    bool reconnected() const { return p.port.opened.size() == 2 && p.port.opened.back() == 12; }
};

TEST(TikaFlash, RunsTheScriptForPort12AndConnectsAgainAfterIt)
{
    Tika h;
    h.programs.next.endsAfter = 30;
    QString captionDuringFlash;
    QString progressCaption;
    QString status;
    bool portClosedForEsptool = false;
    bool windowDisabled = false;
    h.programs.onStart = [&](const upgradefakes::ProgramRecord&) {
        captionDuringFlash = h.tool.frm.windowTitle();
        progressCaption = h.tool.upgrade().progress().get().windowTitle();
        portClosedForEsptool = !h.p.port.isOpen();
    };
    h.p.pump.onEvents = [&] {
        if (h.programs.started.isEmpty() || !h.tool.upgrade().progress().exists())
            return;
        status = h.tool.upgrade().progress().get().lblprogress->text();
        windowDisabled = !h.tool.frm.centralWidget()->isEnabled();
    };
    h.upgrade();

    ASSERT_EQ(h.programs.started.size(), 1);
    const QString script = h.folder() + "/PCOM12.sh";
    EXPECT_EQ(h.programs.started[0]->program, "/bin/sh");
    EXPECT_EQ(h.programs.started[0]->arguments, QStringList({script}));
    EXPECT_EQ(h.programs.started[0]->workingFolder, h.folder());
    // The script's text is pinned in FlashScriptTest; here the port's device node and the image.
    const QByteArray content = upgradefakes::readFile(script);
    EXPECT_TRUE(content.contains("/esptool32' '--chip' 'esp32' '--port' '/dev/ttyUSB3' ")) << content.constData();
    EXPECT_TRUE(content.contains(" 'DATA/TIKAv1.bin' ")) << content.constData();
    EXPECT_EQ(captionDuringFlash, "TIKA V1 V4.4 ----");
    EXPECT_EQ(progressCaption, "Firmware upgrade started");
    EXPECT_EQ(status, "TIKA is being upgraded...");
    EXPECT_TRUE(portClosedForEsptool);
    EXPECT_TRUE(windowDisabled);

    EXPECT_TRUE(h.reconnected());
    EXPECT_TRUE(h.programs.started[0]->destroyed) << "esptool had ended before the port was opened again";
    EXPECT_FALSE(h.programs.started[0]->killed);
    EXPECT_TRUE(h.p.dialogs.messages.isEmpty()) << h.p.dialogs.messages.join('|').toStdString();
    EXPECT_TRUE(h.tool.frm.centralWidget()->isEnabled());
    EXPECT_FALSE(h.tool.upgrade().progress().exists());
    EXPECT_TRUE(h.tool.frm.timScan.isActive());
}

TEST(TikaFlash, TheTikaV2ScriptFlashesTheEsp32S3Layout)
{
    Tika h(QStringLiteral("TIKA V2"));
    h.upgrade();
    ASSERT_EQ(h.programs.started.size(), 1);
    const QByteArray script = upgradefakes::readFile(h.folder() + "/PCOM12.sh");
    EXPECT_TRUE(script.contains("/esptools3' '--chip' 'esp32s3' '--port' '/dev/ttyUSB3' '--baud' '115200'")) << script.constData();
    EXPECT_TRUE(script.contains(" 'DATA/TIKAv2.bin' ")) << script.constData();
}

TEST(TikaFlash, WithoutTheModuleImageNothingHappens)
{
    Tika h;
    QFile::remove(h.folder() + "/DATA/TIKAv1.bin");
    h.upgrade();
    EXPECT_TRUE(h.programs.started.isEmpty());
    EXPECT_TRUE(h.p.dialogs.messages.isEmpty());
    EXPECT_TRUE(h.p.port.isOpen());
    EXPECT_FALSE(h.tool.upgrade().progress().exists());
    EXPECT_TRUE(h.tool.frm.timScan.isActive());
    EXPECT_FALSE(QFile::exists(h.folder() + "/PCOM12.sh"));
}

TEST(TikaFlash, TheConnectWaitsForEsptoolNotForAFixedTime)
{
    struct Case {
        double esptoolSeconds;
        double atLeast;
    };
    for (const Case c : {Case{8, 20}, Case{75, 75}}) {
        Tika h;
        h.programs.next.endsAfter = c.esptoolSeconds;
        double startedAt = -1;
        double connectedAt = -1;
        h.programs.onStart = [&](const upgradefakes::ProgramRecord&) { startedAt = h.p.clock.exact(); };
        h.device.onFrame = [&](int command) {
            if (command == 86)
                connectedAt = h.p.clock.exact();
        };
        h.upgrade();
        ASSERT_GE(startedAt, 0);
        EXPECT_GE(connectedAt - startedAt, c.atLeast) << "esptool ran " << c.esptoolSeconds << " s";
        EXPECT_LT(connectedAt - startedAt, c.atLeast + 5);
    }
}

TEST(TikaFlash, ShowsEsptoolsPercentagesAndItsLastLine)
{
    Tika h;
    h.programs.next.output = {{1.0, "Connecting....\nChip is ESP32-D0WD-V3\n"},
                              {3.0, "Writing at 0x00010000... (3 %)\r"},
                              {5.0, "Writing at 0x00030000... (47 %)\r"},
                              {7.0, "Writing at 0x00050000... (100 %)\nWrote 1048576 bytes\nHash of data verified.\n"}};
    h.programs.next.endsAfter = 9;
    QList<QPair<QString, int>> shown;
    h.p.pump.onEvents = [&] {
        auto& progress = h.tool.upgrade().progress();
        if (h.programs.started.isEmpty() || !progress.exists())
            return;
        const QPair<QString, int> now{progress.get().lblprogress->text(), progress.get().pgb1->value()};
        if (shown.isEmpty() || shown.back() != now)
            shown.append(now);
    };
    h.upgrade();
    const QString busy = "TIKA is being upgraded...\n";
    EXPECT_TRUE(shown.contains(qMakePair(busy + "Writing at 0x00030000... (47 %)", 47)));
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.back(), qMakePair(busy + "Hash of data verified.", 100));
    EXPECT_TRUE(h.p.dialogs.messages.isEmpty());
}

struct FailureCase {
    const char* name;
    ProgramScript esptool;
    QStringList messageParts;
    bool killed;
};

class FlashFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FlashFailure, IsToldToTheUserAndTheToolConnectsAgain)
{
    const FailureCase& c = GetParam();
    Tika h;
    h.programs.next = c.esptool;
    h.upgrade();
    ASSERT_EQ(h.p.dialogs.messages.size(), 1);
    for (const QString& part : c.messageParts)
        EXPECT_TRUE(h.p.dialogs.messages[0].contains(part)) << h.p.dialogs.messages[0].toStdString() << "\nlacks " << part.toStdString();
    ASSERT_EQ(h.programs.started.size(), 1);
    EXPECT_EQ(h.programs.started[0]->killed, c.killed);
    EXPECT_TRUE(h.reconnected());
    EXPECT_TRUE(h.tool.frm.centralWidget()->isEnabled());
    EXPECT_FALSE(h.tool.upgrade().progress().exists());
    EXPECT_TRUE(h.tool.frm.timScan.isActive());
}

INSTANTIATE_TEST_SUITE_P(
    Esptool, FlashFailure,
    ::testing::Values(
        FailureCase{"fatal_error",
                    {{{1.0, "Connecting........_____\nA fatal error occurred: Failed to connect to ESP32: No serial data received.\n"
                            "For troubleshooting steps visit: https://docs.espressif.com\n"}},
                     4.0, 2, false},
                    {"exit status 2", "A fatal error occurred: Failed to connect to ESP32: No serial data received."},
                    false},
        FailureCase{"no_fatal_line_shows_the_last_lines",
                    {{{1.0, "one\ntwo\nthree\nfour\nSerial port /dev/ttyUSB3 busy\n"}}, 2.0, 1, false},
                    {"exit status 1", "\nthree\nfour\nSerial port /dev/ttyUSB3 busy\n"},
                    false},
        FailureCase{"still_running_after_five_minutes",
                    {{{2.0, "Writing at 0x00010000... (3 %)\n"}}, kNever, 0, false},
                    {"had not finished after 5 minutes", "(3 %)"},
                    true},
        FailureCase{"could_not_start", {{}, 0.0, 0, true}, {"/bin/sh could not be started"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TikaFlash, ClosingTheProgressWindowStopsEsptoolCancelDoesNot)
{
    for (const bool closeWindow : {true, false}) {
        Tika h;
        h.programs.next.endsAfter = 40;
        h.p.pump.onEvents = [&] {
            if (h.programs.started.isEmpty() || h.p.clock.exact() - 36000.0 < 10.0 || !h.tool.upgrade().progress().exists())
                return;
            auto& window = h.tool.upgrade().progress().get();
            if (closeWindow)
                window.close();
            else
                window.cmdCancel->click();
        };
        h.upgrade();
        ASSERT_EQ(h.programs.started.size(), 1);
        EXPECT_EQ(h.programs.started[0]->killed, closeWindow);
        EXPECT_EQ(h.p.dialogs.messages.size(), closeWindow ? 1 : 0);
        if (closeWindow) {
            EXPECT_TRUE(h.p.dialogs.messages.value(0).contains("progress window was closed"));
        }
        EXPECT_TRUE(h.reconnected());
    }
}

TEST(TikaFlash, NothingRunsWithoutEsptoolOrWithoutThePort)
{
    {
        Tika h;
        QFile::remove(h.folder() + "/esptool32");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(h.folder()));
        h.upgrade();
        qputenv("PATH", path);
        EXPECT_TRUE(h.programs.started.isEmpty());
        ASSERT_EQ(h.p.dialogs.messages.size(), 1);
        EXPECT_TRUE(h.p.dialogs.messages[0].contains("esptool was not found, neither esptool32 in " + h.folder()))
            << h.p.dialogs.messages[0].toStdString();
        EXPECT_TRUE(h.reconnected());
    }
    {
        Tika h;
        h.p.ports.paths.clear();
        h.upgrade();
        EXPECT_TRUE(h.programs.started.isEmpty());
        EXPECT_EQ(h.p.dialogs.messages, QStringList({"The TIKA module was not flashed: COM12 is no serial port of this computer."}));
        EXPECT_FALSE(h.tool.upgrade().progress().exists());
        EXPECT_TRUE(h.tool.frm.centralWidget()->isEnabled());
    }
}

} // namespace
