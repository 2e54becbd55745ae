#include "platform/PortNumbering.h"
#include <gtest/gtest.h>

namespace platform {
void PrintTo(const NumberedPort& p, std::ostream* os)
{
    *os << "COM" << p.portNumber << ' ' << p.devicePath.toStdString() << " \"" << p.description.toStdString() << '"';
}
} // namespace platform

using platform::NumberedPort;
using platform::PortLink;
using platform::SystemSerialDevice;

namespace {

TEST(Numbering, GivesEveryPortItsNumber)
{
    struct Case {
        const char* name;
        QList<PortLink> links;
        QList<SystemSerialDevice> devices;
        QList<NumberedPort> expected; // in ascending port number
    };
    const Case cases[] = {
        {"links keep their number; ttyS<k> is COM<k+1>", {{7, "/dev/pts/3", true}},
         {{"/dev/ttyS0", ""}, {"/dev/ttyUSB0", "FT232R"}}, {{1, "/dev/ttyS0", ""}, {2, "/dev/ttyUSB0", "FT232R"}, {7, "/dev/pts/3", ""}}},
        {"on-board ports are placed before the others take free numbers", {},
         {{"/dev/ttyUSB0", ""}, {"/dev/ttyS4", ""}, {"/dev/ttyS1", ""}, {"/dev/ttyS0", ""}},
         {{1, "/dev/ttyS0", ""}, {2, "/dev/ttyS1", ""}, {3, "/dev/ttyUSB0", ""}, {5, "/dev/ttyS4", ""}}},
        {"a link on a ttyS number moves that port to a free one", {{1, "/dev/pts/5", true}},
         {{"/dev/ttyS0", ""}, {"/dev/ttyUSB0", ""}}, {{1, "/dev/pts/5", ""}, {2, "/dev/ttyS0", ""}, {3, "/dev/ttyUSB0", ""}}},
        {"a linked device is listed once, under its link, with its description", {{9, "/dev/ttyUSB0", true}},
         {{"/dev/ttyUSB0", "FT232R"}}, {{9, "/dev/ttyUSB0", "FT232R"}}},
        {"links to nothing or to plain files are ignored", {{3, "/tmp/notes.txt", false}, {4, "", false}},
         {{"/dev/ttyACM0", "TIKA"}}, {{1, "/dev/ttyACM0", "TIKA"}}},
        {"natural order of the path; a device listed twice gets one number", {},
         {{"/dev/ttyUSB10", ""}, {"/dev/ttyUSB2", ""}, {"/dev/ttyACM0", ""}, {"/dev/ttyUSB2", ""}},
         {{1, "/dev/ttyACM0", ""}, {2, "/dev/ttyUSB2", ""}, {3, "/dev/ttyUSB10", ""}}},
        {"ttyS beyond 255 takes a free number", {}, {{"/dev/ttyS255", ""}, {"/dev/ttyS254", ""}},
         {{1, "/dev/ttyS255", ""}, {255, "/dev/ttyS254", ""}}},
    };
    for (const Case& c : cases) {
        const QList<NumberedPort> ports = platform::numberPorts(c.links, c.devices);
        EXPECT_EQ(ports, c.expected) << c.name;
    }
}

TEST(Numbering, WhenNoNumberIsLeftTheDeviceIsNotListed)
{
    QList<PortLink> links; // COM1 ... COM254 lead to pseudo-terminals: only 255 is left
    for (int n = 1; n <= 254; ++n)
        links.append({n, QStringLiteral("/dev/pts/%1").arg(n), true});
    const QList<NumberedPort> ports =
        platform::numberPorts(links, {{"/dev/ttyUSB1", ""}, {"/dev/ttyUSB0", ""}, {"/dev/ttyS3", ""}});
    ASSERT_EQ(ports.size(), 255);
    EXPECT_EQ(ports.last().portNumber, 255);
    EXPECT_EQ(ports.last().devicePath, "/dev/ttyS3") << "ttyS3 (COM4 is linked) sorts first of the rest";
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

} // namespace
