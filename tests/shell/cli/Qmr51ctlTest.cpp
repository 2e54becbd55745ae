// Every subcommand once end to end over pseudo-terminals against simulated devices, with the
// failures a script must tell apart by exit status. What the commands only pass through (decoding,
// the CSV form, the settings rules, the upgrade's refusals of a file) is pinned by the core tests.
#include "CtlHarness.h"
#include "Bytes.h"
#include "EspImages.h"
#include "SysfsTree.h"
#include "TestFiles.h"
#include "platform/DemoLinks.h"
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <csignal>

using ctl::Ctl;
using fakes::bytes;
using fakes::writeFile;
using sim::DeviceKind;

namespace {

TEST(Qmr51ctl, CommandLinesScanAndTheChoiceOfPort)
{
    Ctl h;
    // A killed demo's link, to a pseudo-terminal that is someone else's by now: never asked, and gone.
    sim::Simulator* stranger = h.add(4, DeviceKind::Qmr51);
    ASSERT_TRUE(stranger && platform::writeDemoNote(h.folder.filePath("ports/COM4"), 2147483647)); // no such process
    ctl::play(h, {
        {{"--help"}, 0, "4  refused input"},
        {{"help", "flash"}, 0, "qmr51ctl flash --port /dev/ttyUSB0"},
        {{"frobnicate"}, 2, "unknown subcommand frobnicate"},
        {{"scan", "--json=no"}, 2, "--json takes no value"},
        {{"info", "--port", "LPT1"}, 2, "--port takes COM1 ... COM255"},
        {{"scan"}, 3, "No COM interfaces found"},
    });
    EXPECT_TRUE(stranger->receivedFrames().isEmpty());
    EXPECT_FALSE(QFileInfo(h.folder.filePath("ports/COM4")).isSymLink());
    sim::Simulator* mute = h.add(5, DeviceKind::TikaV1);
    ASSERT_TRUE(mute);
    ctl::misbehave(*mute, &sim::Misbehaviour::silent);
    ctl::play(h, {
        {{"scan"}, 3, "No QMR51 or TIKA found"},
        {{"info", "--port", "COM9"}, 3, "COM9 is no serial port of this computer."},
        {{"info", "--port", "COM5"}, 3, "No QMR51 or TIKA answers on COM5"},
        {{"info", "--port", "COM5", "--json"}, 3, "\"exitCode\":3}"},
    });

    sim::Simulator* qmr = h.add(1, DeviceKind::Qmr51);
    sim::Simulator* tika = h.add(3, DeviceKind::TikaV2);
    ASSERT_TRUE(qmr && tika);
    ASSERT_EQ(h.run({"scan"}), 0) << h.err().toStdString();
    EXPECT_EQ(h.out(), QStringLiteral("COM1\t%1\tQMR51\t51000042\t2.1.0.5\nCOM3\t%2\tTIKA V2\t22M01234\t25.0.1.2\n")
                           .arg(qmr->devicePath(), tika->devicePath()));
    for (sim::Simulator* device : {qmr, tika})
        EXPECT_EQ(ctl::commandsTo(*device), QList<int>{86}) << "each port is asked once";
    ctl::play(h, {
        {{"scan", "--json"}, 0, "\"serial\":\"22M01234\""},
        {{"info"}, 2, "Several devices answer: COM1 (QMR51 51000042), COM3 (TIKA V2 22M01234)"},
    });
}

// Three adapters of a made-up sysfs tree; two of them report the same serial number.
TEST(Qmr51ctl, PortsListsTheAdaptersAndPortNamesOneByWhatIsPluggedIn)
{
    fakes::SysfsTree tree;
    tree.addUsb("ttyUSB0", "1-3.4", fakes::usbFiles("0403", "6001", "FT232R USB UART", "A50285BI"));
    tree.addSerialLink("by-id", "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0");
    tree.addUsb("ttyUSB1", "1-1", fakes::usbFiles("1a86", "7523", "USB Serial", "0001"));
    tree.addUsb("ttyUSB2", "1-2", fakes::usbFiles("1a86", "7523", "USB Serial", "0001"));
    qputenv("QMR51_SYSFS_ROOT", tree.root().toUtf8());
    Ctl h;
    h.everyPort = true;
    ctl::play(h, {
        {{"ports"}, 0, "COM1\t/dev/ttyUSB0\tFT232R USB UART\t0403:6001\tA50285BI\t1-3.4\tusb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\t-\n"
                       "COM2\t/dev/ttyUSB1\tUSB Serial\t1a86:7523\t0001\t1-1\t-\tshared-serial\n"},
        {{"ports", "--json"}, 0, "\"location\":\"1-2\",\"manufacturer\":\"\",\"product\":\"USB Serial\",\"productId\":\"7523\",\"serial\":\"0001\",\"serialShared\":true"},
        {{"info", "--port", "serial:0001"}, 2, "serial:0001 names several ports: COM2 (/dev/ttyUSB1, USB Serial, serial 0001 (shared), USB 1-1); COM3 (/dev/ttyUSB2"},
        {{"info", "--port", "location:1-2"}, 3, "COM3 (/dev/ttyUSB2) cannot be opened"},
        {{"info", "--port", "by-id:usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"}, 3, "COM1 (/dev/ttyUSB0) cannot be opened"},
        {{"info", "--port", "serial:A5"}, 3, "No serial port is serial:A5."},
        {{"ports", "--forget", "LPT1"}, 2, "--forget takes COM1 ... COM255, not LPT1"},
        {{"ports", "--forget", "COM9"}, 0, "No adapter is remembered as COM9."},
        {{"ports", "--forget", "com1"}, 0, "Forgotten: COM1 (0403:6001 serial A50285BI)."},
        {{"ports", "--forget-all"}, 0, "Forgotten: COM2 (1a86:7523 at USB 1-1), COM3 (1a86:7523 at USB 1-2)."},
        {{"ports", "--forget-all"}, 0, "No adapter is remembered."},
    });
    qunsetenv("QMR51_SYSFS_ROOT");
}

TEST(Qmr51ctl, InfoReadSetCounterAndFlashOnATika)
{
    Ctl h;
    sim::Simulator* tika = h.add(2, DeviceKind::TikaV2);
    ASSERT_TRUE(tika);
    ctl::play(h, {
        // A port may be given by its path as well.
        {{"info", "--port", tika->devicePath()}, 0, "serial          22M01234\nfirmware        25.0.1.2\n"},
        {{"info"}, 0, "out2.function   Export Power >\nout2.divider    2\nout2.level      2000 W\n"},
        {{"info", "--json"}, 0, "\"out1.level\":1500"},
        {{"read", "--count", "1", "--json"}, 0, "\"Gas (m3)\":4567.89"},
        {{"read", "--count", "2", "--format", "csv"}, 0, "Time,UTC offset,Status,Import power (W),"},
        {{"set", "out1.divider=0"}, 4, "out1.divider=0 refused: the pulse divider is 1 to 200. Nothing was sent."},
        {{"set", "modbus"}, 2, "set takes KEY=VALUE words, not modbus"},
        {{"read", "--count", "2"}, 0, "Date\tTime\tImport power (W)\t"},
    });
    EXPECT_EQ(h.out().count("\t1250 W\t"), 2) << h.out().toStdString();
    EXPECT_FALSE(ctl::commandsTo(*tika).contains(66));

    // Out 2 follows "Export Power >": its difference of 500 W may stay above the new level.
    ctl::play(h, {{{"set", "protocol=be", "out2.level=400", "out2.delay-on=7"}, 0, "confirmed: the device reports these settings"}});
    EXPECT_EQ(ctl::lastPayload(*tika, 66), bytes({6, 1, 1, 2, 0, 13, 0x05, 0xDC, 0x00, 0xC8, 0x01, 0x90, 0x01, 0xF4, 5, 5, 7, 10}));

    ctl::play(h, {
        // No terminal to ask on and no --yes: nothing is sent.
        {{"counter", "2", "258"}, 4, "\"Are you sure to set Input 2 to 258?\" needs an answer"},
        {{"counter", "3", "1"}, 2, "counter takes the input (1 or 2)"},
    });
    EXPECT_FALSE(ctl::commandsTo(*tika).contains(134));
    ctl::play(h, {{{"counter", "--yes", "2", "258"}, 0, "Input 2 set to 258\n"}});
    EXPECT_EQ(ctl::lastPayload(*tika, 134), bytes({0, 0, 1, 2, 134}));

    ctl::play(h, {
        {{"upgrade"}, 4, "a TIKA module is flashed with qmr51ctl flash"},
        {{"flash"}, 4, "No module image"},
        // Refused before esptool: an image for the other chip, given or in DATA/.
        {{"flash", "--image", h.folder.filePath("v1.bin")}, 4, "built for an ESP32, this module is an ESP32-S3",
         [&h] { EXPECT_TRUE(writeFile(h.folder.filePath("v1.bin"), espimages::good(espimages::esp32))); }},
        {{"flash", "--json"}, 4, "\"exitCode\":4}", [&h] {
             EXPECT_TRUE(QDir(h.folder.path()).mkpath("DATA") && writeFile(h.folder.filePath("DATA/TIKAv2.bin"), espimages::good(espimages::esp32))
                         && writeFile(h.folder.filePath("esptools3"), {}, true));
         }},
        {{"flash"}, 1, "esptool ended with exit status 2", [&h] {
             EXPECT_TRUE(writeFile(h.folder.filePath("DATA/TIKAv2.bin"), espimages::good(espimages::esp32s3)));
             h.programs.nextRun.code = 2;
         }},
        {{"flash"}, 0, "COM2\tTIKA V2\t25.0.1.2\n", [&h] { h.programs.nextRun = {}; }},
    });
    EXPECT_TRUE(h.programs.started.size() == 2 && h.programs.started.last().arguments.join(' ').contains("PCOM2.sh"));
    EXPECT_EQ(h.transfer.requests.size(), 6) << "both module images are fetched afresh for a flash, once DATA/ exists";

    // A module that no longer answers is flashed only when named by hand and confirmed.
    ctl::play(h, {
        {{"flash", "--port", "COM2", "--yes"}, 3, "No QMR51 or TIKA answers on COM2", [tika] { ctl::misbehave(*tika, &sim::Misbehaviour::silent); }},
        {{"flash", "--force", "--port", "COM2"}, 2, "--force and --kind"},
        {{"flash", "--force", "--kind", "TIKA V2", "--port", "COM2"}, 4, "needs an answer"},
    });
    EXPECT_EQ(h.programs.started.size(), 2) << "nothing was flashed without a Yes";
    h.programs.onStart = [tika] { ctl::misbehave(*tika, nullptr); }; // esptool brings it back
    ctl::play(h, {{{"flash", "--force", "--kind", "tika v2", "--port", "COM2", "--yes"}, 0, "COM2\tTIKA V2\t25.0.1.2\n"}});
    EXPECT_TRUE(h.programs.started.size() == 3 && h.programs.started.last().arguments.join(' ').contains("PCOM2.sh"));
    // Each attempt on the module is one record, how it ended in the words a script reads; a command
    // line that was wrong, or a port where nothing answered, is none.
    ASSERT_EQ(h.run({"records", "--format", "json"}), 0) << h.err().toStdString();
    QStringList classes;
    for (const QByteArray& line : h.console.stdOut.split('\n'))
        if (!line.isEmpty())
            classes << QJsonDocument::fromJson(line)["class"].toString();
    EXPECT_EQ(classes, QStringList({"refused-input", "passed", "refused-input", "passed", "refused-input", "download",
                                    "refused-input", "refused-input", "esptool", "passed", "refused-input", "passed"}));

    // A serial number that would clear the screen shows its bytes instead.
    tika->changeProfile([](sim::DeviceProfile& d) { d.serial = "22M\x1b[2J4"; });
    ctl::play(h, {
        {{"info"}, 0, "serial          22M\\x1b[2J4\n"},
        {{"set", "modbus=n/a"}, 1, "Settings error", [tika] { ctl::misbehave(*tika, &sim::Misbehaviour::refuseAcknowledgement); }},
        // A device that stops answering in the middle makes the read a failure.
        {{"read", "--count", "3"}, 1, "No readings came back (status 252).", [&h, tika] {
             ctl::misbehave(*tika, nullptr);
             h.interruptions = [&h, tika] {
                 ctl::misbehave(*tika, h.console.stdOut.count('\n') >= 2 ? &sim::Misbehaviour::silent : nullptr);
                 return 0;
             };
         }},
    });
}

TEST(Qmr51ctl, LogAndUpgradeOnAQmr51)
{
    const QString hexFile = QStringLiteral(QMR_TEST_DATA "/upgrade/one_block.hex");
    Ctl h;
    sim::Simulator* qmr = h.add(1, DeviceKind::Qmr51);
    ASSERT_TRUE(qmr);
    qmr->setRestartDuration(std::chrono::milliseconds(0));
    // Near the longest log a module keeps (1535 bytes), over several reads of the line.
    const QByteArray log = bytes({'o', 'k', 0, 0xFF, '*', '#'}).repeated(255);
    qmr->changeProfile([&log](sim::DeviceProfile& d) { d.debugLog = log; });
    ASSERT_EQ(h.run({"log"}), 0);
    EXPECT_EQ(h.console.stdOut, log + "\r\n") << "byte for byte as the window saves it";
    h.console.outTerminal = true;
    ASSERT_EQ(h.run({"log"}), 0);
    EXPECT_EQ(h.console.stdOut, QByteArray("ok\\x00\\xff*#").repeated(255) + "\\r\n") << "a terminal sees the bytes, not what they would do";
    h.console.outTerminal = false;
    ctl::play(h, {{{"log", "-o=" + h.folder.filePath("log.txt")}, 0, h.folder.filePath("log.txt")}});
    EXPECT_EQ(fakes::readFile(h.folder.filePath("log.txt")), log + "\r\n");

    auto upgradeList = [&h](const char* version) { h.transfer.files["/DENA_UPGlist.bin"] = QByteArray(92, '\0').replace(40, 4, QByteArray::fromHex(version)); };
    ctl::play(h, {
        {{"log"}, 1, "P1 busy. Please retry", [qmr] { qmr->changeProfile([](sim::DeviceProfile& d) { d.debugStatus = 1; }); }},
        {{"upgrade", "--hex", hexFile}, 2, "--hex needs --fw-version"},
        {{"upgrade", "--hex", hexFile, "--fw-version", "2.1.0.6"}, 4, "Give --yes"},
        {{"upgrade", "--yes"}, 1, "QMR51 firmware could not be downloaded. Please retry"},
    });
    EXPECT_FALSE(ctl::commandsTo(*qmr).contains(208)) << "no block was sent";
    ctl::play(h, {
        {{"upgrade", "--yes"}, 0, "The QMR51 runs the latest firmware 2.1.0.5 already.\n", [&] { upgradeList("02010005"); }},
        {{"upgrade", "--yes"}, 0, "COM1\tQMR51\t2.1.0.7\n", [&] {
             upgradeList("02010007");
             h.transfer.files["/QMR51v2.hex"] = fakes::readFile(hexFile);
         }},
        {{"upgrade", "--hex", hexFile, "--fw-version", "2.1.0.9", "--yes"}, 0, "COM1\tQMR51\t2.1.0.9\n"},
        {{"upgrade", "--yes"}, 1, "Upload failed. Please retry", [qmr] { ctl::misbehave(*qmr, &sim::Misbehaviour::refuseAcknowledgement); }},
    });
    // A QMR51 whose transfer broke off answers in its boot loader only: forced, it is upgraded all the same.
    ctl::play(h, {
        {{"upgrade", "--port", "COM1", "--yes"}, 3, "No QMR51 or TIKA answers on COM1", [qmr] { ctl::misbehave(*qmr, &sim::Misbehaviour::bootLoaderOnly); }},
        {{"upgrade", "--force", "--yes"}, 2, "--force needs --port"},
        {{"upgrade", "--force", "--port", "COM1"}, 4, "taken as No"},
        {{"upgrade", "--force", "--port", "COM1", "--yes"}, 0, "COM1\tQMR51\t2.1.0.7\n"},
    });
}

// On COM99 too: no number stands for "no port".
TEST(Qmr51ctl, ReadEndsCleanlyOnCtrlCAsAProgramOfItsOwn)
{
    Ctl h;
    ASSERT_TRUE(h.add(99, DeviceKind::Qmr51));
    QProcess ctl;
    ctl.start(QStringLiteral(QMR_CTL), {"read", "--port", "COM99", "--interval", "0.2", "--program-folder", h.folder.path()});
    ASSERT_TRUE(ctl.waitForStarted(30000));
    QByteArray out;
    // Generous: ends as soon as the header and two readings are there.
    while (out.count('\n') < 3 && ctl.waitForReadyRead(30000))
        out += ctl.readAllStandardOutput();
    ASSERT_GE(out.count('\n'), 3) << ctl.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(ctl.processId()), SIGINT);
    ASSERT_TRUE(ctl.waitForFinished(30000));
    EXPECT_TRUE(ctl.exitStatus() == QProcess::NormalExit && ctl.exitCode() == 0) << ctl.readAllStandardError().toStdString();
    EXPECT_TRUE(out.startsWith("Date\tTime\tImport power (W)")) << out.toStdString();
}

TEST(Qmr51ctl, DoctorNamesEachProblemOfTheMachineWithItsFix)
{
    using shell::cli::SystemFacts;
    const SystemFacts fine{false, true, true, {"/dev/ttyUSB0"}, {}, false, false, {}, "/opt/qmr", true};
    const std::pair<std::function<void(SystemFacts&)>, const char*> cases[] = {
        {[](SystemFacts&) {}, nullptr}, // nothing to fix
        {[](SystemFacts& f) { f.inDialout = false; f.unusableDevices = f.serialDevices; }, "sudo usermod -aG dialout $USER"},
        {[](SystemFacts& f) { f.isRoot = true; f.inDialout = false; }, nullptr},
        {[](SystemFacts& f) { f.unusableDevices = f.serialDevices; }, "Give your user access to the device"},
        {[](SystemFacts& f) { f.modemManagerRunning = true; }, "sudo systemctl disable --now ModemManager"},
        {[](SystemFacts& f) { f.brlttyPresent = true; }, "sudo apt remove brltty"},
        {[](SystemFacts& f) { f.holders = {{"/dev/ttyUSB0", 4711, "minicom"}}; }, "Close minicom (or `kill 4711`)"},
        {[](SystemFacts& f) { f.serialDevices.clear(); }, "Plug in the USB serial adapter"},
        {[](SystemFacts& f) { f.programFolderWritable = false; }, "--program-folder DIR"},
        {[](SystemFacts& f) { f.windows = true; f.serialDevices.clear(); }, "Device Manager then shows its COM number"},
        {[](SystemFacts& f) { f.windows = true; f.busyPorts = {"COM3"}; }, "COM3 is in use by another program"},
        {[](SystemFacts& f) { f.windows = true; f.adaptersWithoutDriver = {{"USB-Serial Controller", "Prolific PL2303"}}; },
         "Install the Prolific PL2303 driver"},
    };
    Ctl h;
    for (const auto& [change, fix] : cases) {
        SystemFacts facts = fine;
        change(facts);
        h.facts = [facts](const QString&, const QList<platform::NumberedPort>&) { return facts; };
        EXPECT_EQ(h.run({"doctor", "--json"}), fix ? 5 : 0) << h.out().toStdString();
        EXPECT_EQ(h.console.stdOut.count("\"fix\":"), fix ? 1 : 0) << h.out().toStdString();
        EXPECT_TRUE(!fix || h.out().contains(QString::fromUtf8(fix))) << h.out().toStdString();
    }
}

// A simulated device serves its pseudo-terminal from the master end and keeps the line's end open
// too: that is the device, not a program in the way. A program that opened the line is.
TEST(Qmr51ctl, DoctorTakesTheProgramAtTheOtherEndOfAPseudoTerminalForTheDevice)
{
    QProcess device;
    device.start(QStringLiteral(QMR_BINARY_DIR "/sim/qmr51-sim"), {"--kind", "tika2"}); // prints its /dev/pts/N
    ASSERT_TRUE(device.waitForReadyRead(30000)) << device.readAllStandardError().toStdString();
    const QString pts = QString::fromLatin1(device.readLine().trimmed());
    const QList<platform::NumberedPort> ports{{3, pts, {}}};
    EXPECT_EQ(shell::cli::readSystemFacts(QDir::tempPath(), ports).holders.size(), 0);
    QProcess reader;
    reader.setStandardInputFile(pts);
    reader.start("sleep", {"60"});
    ASSERT_TRUE(reader.waitForStarted());
    const auto holders = shell::cli::readSystemFacts(QDir::tempPath(), ports).holders;
    EXPECT_TRUE(holders.size() == 1 && holders.first().pid == reader.processId() && holders.first().program == "sleep");
    reader.kill();
    device.terminate();
    EXPECT_TRUE(reader.waitForFinished() && device.waitForFinished());
}

} // namespace
