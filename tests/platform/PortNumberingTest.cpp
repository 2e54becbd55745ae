// Numbers, order and descriptions of the listed ports, then the real ports folder with a simulated
// device behind a pseudo-terminal, and what a demo may touch there.
#include "FakePlatform.h"
#include "SysfsTree.h"
#include "platform/DemoLinks.h"
#include "platform/PortNumbering.h"
#include "platform/SystemPortListing.h"
#include "sim/Simulator.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

using platform::NumberedPort;
using platform::PortLink;
using platform::RememberedAdapter;
using platform::SystemSerialDevice;

TEST(Numbering, GivesEveryPortItsNumber)
{
    // The expected ports in ascending port number.
    struct Case { const char* name; QList<PortLink> links; QList<SystemSerialDevice> devices; QList<NumberedPort> expected; };
    const Case cases[] = {
        {"links keep their number; ttyS<k> is COM<k+1>", {{7, "/dev/pts/3", true}}, {{"/dev/ttyS0"}, {"/dev/ttyUSB0", "FT232R"}},
         {{1, "/dev/ttyS0"}, {2, "/dev/ttyUSB0", "FT232R"}, {7, "/dev/pts/3"}}},
        {"on-board ports are placed before the others take free numbers", {}, {{"/dev/ttyUSB0"}, {"/dev/ttyS4"}, {"/dev/ttyS1"}, {"/dev/ttyS0"}},
         {{1, "/dev/ttyS0"}, {2, "/dev/ttyS1"}, {3, "/dev/ttyUSB0"}, {5, "/dev/ttyS4"}}},
        {"a link on a ttyS number moves that port to a free one", {{1, "/dev/pts/5", true}}, {{"/dev/ttyS0"}, {"/dev/ttyUSB0"}},
         {{1, "/dev/pts/5"}, {2, "/dev/ttyS0"}, {3, "/dev/ttyUSB0"}}},
        {"a linked device is listed once, under its link, with its description", {{9, "/dev/ttyUSB0", true}}, {{"/dev/ttyUSB0", "FT232R"}},
         {{9, "/dev/ttyUSB0", "FT232R"}}},
        {"natural order of the path; a device listed twice gets one number", {},
         {{"/dev/ttyUSB10"}, {"/dev/ttyUSB2"}, {"/dev/ttyACM0"}, {"/dev/ttyUSB2"}}, {{1, "/dev/ttyACM0"}, {2, "/dev/ttyUSB2"}, {3, "/dev/ttyUSB10"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::numberPorts(c.links, c.devices, {}).ports, c.expected) << c.name;
}

namespace {

// A USB adapter as sysfs shows it; an empty serial for one that reports none.
SystemSerialDevice adapter(const QString& tty, const QString& usbPath, const QString& serial = {}, const QString& vendor = "1a86")
{
    return {"/dev/" + tty, "USB Serial", fakes::usbIdentity(vendor, "7523", "USB Serial", serial, usbPath)};
}
SystemSerialDevice ftdi(const QString& tty, const QString& usbPath, const QString& serial) { return adapter(tty, usbPath, serial, "0403"); }

// The ports of a numbering as device path less its /dev/ -> COM number.
QMap<QString, int> numbers(const platform::Numbering& numbering)
{
    QMap<QString, int> byPath;
    for (const NumberedPort& p : numbering.ports)
        byPath.insert(p.devicePath.mid(5), p.portNumber);
    return byPath;
}

} // namespace

// A bench of identical adapters without serial numbers: the kernel hands out ttyUSB names in the
// order of plugging, the sockets stay. Now and then one is out (being swapped), and its number waits.
TEST(Numbering, IdenticalAdaptersWithoutSerialKeepTheNumberOfTheirSocketOverReplugRounds)
{
    std::mt19937 shuffle(21);
    QList<RememberedAdapter> memory;
    QMap<QString, int> numberOfSocket;
    for (int round = 0; round < 20; ++round) {
        QList<int> names{0, 1, 2, 3, 4, 5, 6, 7};
        std::shuffle(names.begin(), names.end(), shuffle);
        QList<SystemSerialDevice> devices{{"/dev/ttyS0", ""}};
        for (int socket = 0; socket < 8; ++socket) {
            if (round % 3 != 1 || socket != round % 8)
                devices.append(adapter(QStringLiteral("ttyUSB%1").arg(names[socket]), QStringLiteral("1-2.%1").arg(socket + 1)));
        }
        const platform::Numbering numbering = platform::numberPorts({}, devices, memory);
        memory = numbering.memory;
        EXPECT_EQ(numbering.ports.size(), devices.size()) << round;
        for (const NumberedPort& p : numbering.ports.mid(1)) { // after ttyS0
            EXPECT_EQ(numberOfSocket.value(p.identity.location(), p.portNumber), p.portNumber) << round;
            numberOfSocket.insert(p.identity.location(), p.portNumber);
        }
    }
    EXPECT_EQ(QSet<int>(numberOfSocket.cbegin(), numberOfSocket.cend()), (QSet<int>{2, 3, 4, 5, 6, 7, 8, 9}));
}

// Each round: the adapters present, and the number each must have.
TEST(Numbering, ASerialNumberFollowsTheAdapterToAnySocketUnlessAnotherAdapterReportsItToo)
{
    struct Round { const char* what; QList<PortLink> links; QList<SystemSerialDevice> devices; QMap<QString, int> expected; };
    const Round rounds[] = {
        {"first seen: in order of their path", {}, {ftdi("ttyUSB1", "1-1", "A50285BI"), ftdi("ttyUSB0", "1-2", "FT0002")},
         {{"ttyUSB0", 1}, {"ttyUSB1", 2}}},
        {"moved to each other's sockets and renamed", {}, {ftdi("ttyUSB0", "1-2", "A50285BI"), ftdi("ttyUSB1", "1-1", "FT0002")},
         {{"ttyUSB0", 2}, {"ttyUSB1", 1}}},
        {"two others that share a serial take new numbers, not the absent pair's", {},
         {adapter("ttyUSB0", "1-3", "0001"), adapter("ttyUSB1", "1-4", "0001")}, {{"ttyUSB0", 3}, {"ttyUSB1", 4}}},
        {"...and keep them by socket, though renamed and joined by one that moved", {},
         {adapter("ttyUSB2", "1-3", "0001"), adapter("ttyUSB0", "1-4", "0001"), ftdi("ttyUSB1", "1-9", "A50285BI")},
         {{"ttyUSB2", 3}, {"ttyUSB0", 4}, {"ttyUSB1", 2}}},
        {"a link wins the number an adapter had; the adapter takes the lowest free", {{2, "/dev/pts/7", true}},
         {ftdi("ttyUSB1", "1-9", "A50285BI")}, {{"pts/7", 2}, {"ttyUSB1", 5}}},
        {"...and keeps that one once the link is gone", {}, {ftdi("ttyUSB0", "1-9", "A50285BI")}, {{"ttyUSB0", 5}}},
        {"the same serial from another vendor is another adapter", {}, {adapter("ttyUSB0", "1-1", "FT0002", "10c4")}, {{"ttyUSB0", 2}}},
    };
    QList<RememberedAdapter> memory;
    for (const Round& r : rounds) {
        const platform::Numbering numbering = platform::numberPorts(r.links, r.devices, memory);
        memory = numbering.memory;
        EXPECT_EQ(numbers(numbering), r.expected) << r.what;
        for (const NumberedPort& p : numbering.ports)
            EXPECT_EQ(p.identity.serialShared, p.identity.serialNumber == "0001") << r.what << ' ' << qPrintable(p.devicePath);
    }
}

TEST(Numbering, RemembersTheMostRecentAdaptersAndForgetsTheOldestFirst)
{
    QList<RememberedAdapter> memory;
    for (int n = 1; n <= platform::kRememberedAdapters; ++n)
        memory.append({n, "1a86:7523", {}, QStringLiteral("3-%1").arg(n), false});
    const platform::Numbering numbering = platform::numberPorts({}, {adapter("ttyUSB0", "1-1"), adapter("ttyUSB1", "3-5")}, memory);
    EXPECT_EQ(numbers(numbering), (QMap<QString, int>{{"ttyUSB0", 65}, {"ttyUSB1", 5}}));
    ASSERT_EQ(numbering.memory.size(), 64);
    EXPECT_EQ(numbering.memory[0].location + numbering.memory[1].location, "3-51-1") << "the present ones first";
    EXPECT_EQ(numbering.memory.last().location, "3-63") << "3-64, the oldest, is forgotten";
    EXPECT_EQ(platform::numberPorts({}, {adapter("ttyUSB1", "3-5")}, numbering.memory).memory, numbering.memory)
        << "nothing to write while nothing changes";
}

TEST(LinkName, OnlyComAndAPlainNumberUpTo255)
{
    const std::pair<const char*, int> cases[] = {
        {"COM1", 1}, {"COM255", 255}, {"COM256", 0}, {"COM0", 0}, {"COM07", 0},
        {"com7", 0}, {"COM7.bak", 0}, {"COM", 0},    {"XCOM7", 0}, {"COM 7", 0},
    };
    for (const auto& [name, number] : cases)
        EXPECT_EQ(platform::portNumberOfLinkName(name), number) << name;
}

// Only a link to a character device is a port: one that leads nowhere or to a plain file is not.
// A demo's leftover (its note names a process that is gone, and it leads to a pseudo-terminal) is
// no port either, and it is the only entry the clean-up removes. A demo takes no number an entry holds.
TEST(SystemPortListing, ALinkToADeviceIsItsPortButADemosLeftoverIsNeitherListedNorLeft)
{
    sim::Simulator terminal{sim::DeviceProfile::defaults(sim::DeviceKind::TikaV1)}; // someone's pseudo-terminal
    ASSERT_TRUE(terminal.start()) << qPrintable(terminal.error());
    const QString pts = terminal.devicePath();
    const qint64 gone = 2147483647; // above every process number the system gives
    const qint64 alive = QCoreApplication::applicationPid();
    struct Case { int com; QString target; qint64 notedProcess; bool listed; bool leftover; }; // 0: no note
    const Case cases[] = {
        {201, pts, gone, false, true},
        {202, "/dev/pts/999999", gone, false, true}, // its terminal closed since
        {203, pts, alive, true, false},              // a demo that still runs
        {204, "/dev/null", gone, true, false},       // the user put a device in its place
        {205, pts, 0, true, false},                  // the user's
        {206, "/dev/serial/by-id/usb-FTDI-unplugged", 0, false, false},
        {207, "/etc/passwd", 0, false, false},
    };
    QTemporaryDir programFolder;
    const QString ports = programFolder.path() + "/ports/";
    ASSERT_TRUE(QDir(programFolder.path()).mkpath("ports"));
    for (const Case& c : cases) {
        const QString link = ports + QStringLiteral("COM%1").arg(c.com);
        ASSERT_TRUE(QFile::link(c.target, link) && (c.notedProcess == 0 || platform::writeDemoNote(link, c.notedProcess)));
    }
    platform::SystemPortListing listing{programFolder.path()};
    for (const Case& c : cases)
        EXPECT_EQ(listing.devicePath(c.com), c.listed ? c.target : QString()) << c.com;

    EXPECT_EQ(platform::removeLeftoverDemoLinks(programFolder.path()), 2);
    for (const Case& c : cases) {
        const QFileInfo link(ports + QStringLiteral("COM%1").arg(c.com));
        EXPECT_EQ(link.isSymLink() ? link.symLinkTarget() : QString(), c.leftover ? QString() : c.target) << c.com;
        EXPECT_EQ(QFileInfo::exists(link.filePath() + ".demo"), c.notedProcess == alive) << c.com; // the note of a gone one goes
    }
    ASSERT_TRUE(QFile::remove(ports + "COM205"));
    EXPECT_EQ(listing.devicePath(205), QString()) << "the folder is read again on every call";

    // A demo passes over a dangling link, a note without its link, every port the machine has and
    // every adapter it remembers.
    fakes::FakePortListing machine;
    machine.add(4);
    ASSERT_TRUE(QFile::link("/dev/serial/by-id/usb-FTDI-unplugged", ports + "COM1"));
    ASSERT_TRUE(QFile::link("/dev/null", ports + "COM2"));
    ASSERT_TRUE(platform::writeDemoNote(ports + "COM3", alive));
    ASSERT_EQ(platform::savePortMemory(platform::portMemoryPath(programFolder.path()), {{5, "0403:6001", "A5", "1-1", true}}), "");
    EXPECT_EQ(platform::freeDemoPortNumber(programFolder.path(), machine), 6) << "an unplugged adapter's number waits for it";
}
