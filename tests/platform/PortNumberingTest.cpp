#include "platform/PortNumbering.h"
#include <gtest/gtest.h>
#include <functional>

using platform::NumberedPort;
using platform::PortLink;
using platform::SystemSerialDevice;

namespace {

struct NumberingCase {
    const char* name;
    std::function<QList<PortLink>()> links;
    QList<SystemSerialDevice> devices;
    QList<NumberedPort> expected;
};

QList<PortLink> noLinks() { return {}; }

class Numbering : public ::testing::TestWithParam<NumberingCase> {};

TEST_P(Numbering, GivesEveryPortItsNumberAndName)
{
    const NumberingCase& c = GetParam();
    const QList<NumberedPort> ports = platform::numberPorts(c.links(), c.devices);
    ASSERT_EQ(ports.size(), c.expected.size());
    for (qsizetype i = 0; i < ports.size(); ++i) {
        EXPECT_EQ(ports[i].portNumber, c.expected[i].portNumber) << i;
        EXPECT_EQ(ports[i].devicePath, c.expected[i].devicePath) << i;
        EXPECT_EQ(ports[i].displayName, c.expected[i].displayName) << i;
    }
}

// Links COM1 .. COM254, each to a pseudo-terminal: only 255 is left.
QList<PortLink> linksUpTo254()
{
    QList<PortLink> links;
    for (int n = 1; n <= 254; ++n)
        links.append({n, QStringLiteral("/dev/pts/%1").arg(n), true});
    return links;
}

const NumberingCase kCases[] = {
    {"links_keep_their_number_and_ttyS_is_k_plus_1",
     [] { return QList<PortLink>{{7, "/dev/pts/3", true}}; },
     {{"/dev/ttyS0", ""}, {"/dev/ttyUSB0", "FT232R USB UART"}},
     {{1, "/dev/ttyS0", "Serial port /dev/ttyS0 (COM1)"},
      {2, "/dev/ttyUSB0", "FT232R USB UART /dev/ttyUSB0 (COM2)"},
      {7, "/dev/pts/3", "Serial port /dev/pts/3 (COM7)"}}},
    {"on_board_ports_are_placed_before_others_take_free_numbers",
     noLinks,
     {{"/dev/ttyUSB0", "CP2102"}, {"/dev/ttyS4", ""}, {"/dev/ttyS1", ""}, {"/dev/ttyS0", ""}},
     {{1, "/dev/ttyS0", "Serial port /dev/ttyS0 (COM1)"},
      {2, "/dev/ttyS1", "Serial port /dev/ttyS1 (COM2)"},
      {3, "/dev/ttyUSB0", "CP2102 /dev/ttyUSB0 (COM3)"},
      {5, "/dev/ttyS4", "Serial port /dev/ttyS4 (COM5)"}}},
    {"a_link_on_a_ttyS_number_moves_that_port_to_a_free_one",
     [] { return QList<PortLink>{{1, "/dev/pts/5", true}}; },
     {{"/dev/ttyS0", ""}, {"/dev/ttyUSB0", "CP2102"}},
     {{1, "/dev/pts/5", "Serial port /dev/pts/5 (COM1)"},
      {2, "/dev/ttyS0", "Serial port /dev/ttyS0 (COM2)"},
      {3, "/dev/ttyUSB0", "CP2102 /dev/ttyUSB0 (COM3)"}}},
    {"a_linked_device_is_listed_once_under_its_link_with_its_description",
     [] { return QList<PortLink>{{9, "/dev/ttyUSB0", true}}; },
     {{"/dev/ttyUSB0", "FT232R USB UART"}},
     {{9, "/dev/ttyUSB0", "FT232R USB UART /dev/ttyUSB0 (COM9)"}}},
    {"links_to_nothing_or_to_plain_files_are_ignored",
     [] { return QList<PortLink>{{3, "/tmp/notes.txt", false}, {4, "", false}}; },
     {{"/dev/ttyACM0", "TIKA"}},
     {{1, "/dev/ttyACM0", "TIKA /dev/ttyACM0 (COM1)"}}},
    {"other_devices_go_in_natural_order_of_their_path",
     noLinks,
     {{"/dev/ttyUSB10", ""}, {"/dev/ttyUSB2", ""}, {"/dev/ttyACM0", ""}},
     {{1, "/dev/ttyACM0", "Serial port /dev/ttyACM0 (COM1)"},
      {2, "/dev/ttyUSB2", "Serial port /dev/ttyUSB2 (COM2)"},
      {3, "/dev/ttyUSB10", "Serial port /dev/ttyUSB10 (COM3)"}}},
    {"a_device_listed_twice_gets_one_number",
     noLinks,
     {{"/dev/ttyUSB0", "A"}, {"/dev/ttyUSB0", "A"}},
     {{1, "/dev/ttyUSB0", "A /dev/ttyUSB0 (COM1)"}}},
    {"ttyS_beyond_255_takes_a_free_number",
     noLinks,
     {{"/dev/ttyS255", ""}, {"/dev/ttyS254", ""}},
     {{1, "/dev/ttyS255", "Serial port /dev/ttyS255 (COM1)"},
      {255, "/dev/ttyS254", "Serial port /dev/ttyS254 (COM255)"}}},
};

INSTANTIATE_TEST_SUITE_P(Rules, Numbering, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Numbering, WhenNoNumberIsLeftTheDeviceIsNotListed)
{
    const QList<NumberedPort> ports =
        platform::numberPorts(linksUpTo254(), {{"/dev/ttyUSB1", ""}, {"/dev/ttyUSB0", ""}, {"/dev/ttyS3", ""}});
    ASSERT_EQ(ports.size(), 255);
    EXPECT_EQ(ports.last().portNumber, 255);
    EXPECT_EQ(ports.last().devicePath, "/dev/ttyS3") << "ttyS3 (COM4 is linked) sorts first of the rest";
    for (const NumberedPort& p : ports)
        EXPECT_NE(p.devicePath, "/dev/ttyUSB0");
}

TEST(Numbering, ListIsInAscendingPortNumber)
{
    const QList<NumberedPort> ports = platform::numberPorts(
        {{200, "/dev/pts/1", true}, {3, "/dev/pts/2", true}, {250, "/dev/pts/4", true}},
        {{"/dev/ttyS9", ""}, {"/dev/ttyUSB0", ""}});
    QList<int> numbers;
    for (const NumberedPort& p : ports)
        numbers.append(p.portNumber);
    EXPECT_EQ(numbers, (QList<int>{1, 3, 10, 200, 250}));
}

struct NameCase {
    QString description;
    QString path;
    int number;
    QString expected;
};

TEST(DisplayName, NeverHoldsComBeforeItsOwnNumber)
{
    const NameCase cases[] = {
        {"FT232R USB UART", "/dev/ttyUSB0", 3, "FT232R USB UART /dev/ttyUSB0 (COM3)"},
        {"", "/dev/ttyS0", 1, "Serial port /dev/ttyS0 (COM1)"},
        {"USB COM Port", "/dev/ttyACM0", 12, "USB Com Port /dev/ttyACM0 (COM12)"},
        {"Virtual (COM", "/dev/COM9", 255, "Virtual (Com /dev/Com9 (COM255)"},
        {"COMCOM", "/x", 4, "ComCom /x (COM4)"},
    };
    for (const NameCase& c : cases) {
        const QString name = platform::portDisplayName(c.description, c.path, c.number);
        EXPECT_EQ(name, c.expected);
        EXPECT_FALSE(name.contains("COM ")) << qPrintable(name);
        // The port search reads the number after the first "COM": it must be this port's.
        const qsizetype first = name.indexOf("COM");
        EXPECT_EQ(first, name.lastIndexOf("(COM") + 1) << qPrintable(name);
        EXPECT_EQ(name.mid(first + 3).chopped(1).toInt(), c.number);
    }
}

TEST(DisplayName, NumberedPortsFromOddDevicesStillReadBack)
{
    const QList<NumberedPort> ports = platform::numberPorts(
        {{5, "/dev/COM 5", true}}, {{"/dev/ttyUSB0", "COM (COM) COM "}, {"/dev/ttyS0", "Port COM1"}});
    ASSERT_EQ(ports.size(), 3);
    for (const NumberedPort& p : ports) {
        EXPECT_FALSE(p.displayName.contains("COM ")) << qPrintable(p.displayName);
        const qsizetype first = p.displayName.indexOf("COM");
        EXPECT_EQ(p.displayName.mid(first + 3).chopped(1).toInt(), p.portNumber) << qPrintable(p.displayName);
    }
}

TEST(LinkName, OnlyComAndAPlainNumberUpTo255)
{
    const std::pair<const char*, int> cases[] = {
        {"COM1", 1},   {"COM7", 7},    {"COM255", 255}, {"COM256", 0}, {"COM0", 0},  {"COM07", 0},
        {"com7", 0},   {"COM7.bak", 0}, {"COM", 0},     {"XCOM7", 0},  {"COM 7", 0}, {"COM1000", 0},
    };
    for (const auto& [name, number] : cases)
        EXPECT_EQ(platform::portNumberOfLinkName(name), number) << name;
}

} // namespace
