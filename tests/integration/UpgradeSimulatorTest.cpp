// The simulated QMR51's firmware receiver: it checks frames the way the device's boot loader does,
// so the upgrade tests can trust an acknowledgement. Frames of a one-block image (bytes 0x10..0x1F,
// zero fill) announcing 1.2.3.4, with their CRCs written out.
#include "Bytes.h"
#include "sim/DeviceModel.h"
#include "sim/Simulator.h"
#include <QFile>
#include <QThread>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using fakes::bytes;

namespace {


QByteArray imageBytes()
{
    QByteArray image = bytes({0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F});
    return image + QByteArray(112, '\0');
}
QByteArray block0() { return bytes({0, 0, 0, 0x80}) + imageBytes() + bytes({0xB7, 0xC7}); }
QByteArray closing() { return bytes({0, 1, 0, 6, 1, 2, 3, 4, 0xCE, 0x79, 0xBB, 0x9C}); }

QByteArray frame(int command, const QByteArray& payload) { return QByteArray(1, '*') + char(command) + payload + '#'; }

QByteArray ask(sim::DeviceModel& device, int command, const QByteArray& payload)
{
    const QList<sim::DeviceModel::Answer> answers = device.receive(frame(command, payload));
    return answers.size() == 1 ? answers.front().bytes : QByteArray("(no frame)");
}

TEST(SimulatedReceiver, AcknowledgesOnlySoundFramesAndInstallsOnlyAWholeImage)
{
    sim::DeviceModel device(sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51));
    struct Step {
        const char* what;
        int command;
        QByteArray payload;
        QByteArray answer;
    };
    QByteArray damaged = block0();
    damaged[20] = char(damaged[20] ^ 0x01);
    QByteArray wrongHeader = block0();
    wrongHeader[3] = 0x40; // right CRC over a wrong header
    wrongHeader.replace(132, 2, bytes({0x6D, 0x77}));
    QByteArray wrongImageCrc = closing();
    wrongImageCrc.replace(8, 4, bytes({0xCE, 0x78, 0x32, 0x8D}));
    const Step steps[] = {
        {"closing frame before any block: image not whole", 210, closing(), "*X#"},
        {"block with a flipped byte", 208, damaged, ""},
        {"block of the wrong length", 208, block0().left(133), "(no frame)"},
        {"sound block with a wrong header", 208, wrongHeader, "*X#"},
        {"sound block", 208, block0(), "*U#"},
        {"closing frame with a damaged CRC", 210, closing().left(11) + char(0x9D), ""},
        {"closing frame whose image CRC does not match", 210, wrongImageCrc, "*X#"},
        {"closing frame for the image", 210, closing(), "*U#"},
    };
    for (const Step& s : steps) {
        const QByteArray answer = ask(device, s.command, s.payload);
        EXPECT_EQ(answer, s.answer) << s.what;
        if (s.command == 210 && s.answer != "*U#") {
            EXPECT_EQ(device.profile().firmware, (sim::FirmwareVersion{2, 1, 0, 5})) << s.what;
        }
    }
    EXPECT_EQ(device.firmware().installedImage(), imageBytes());
    EXPECT_EQ(device.profile().firmware, (sim::FirmwareVersion{1, 2, 3, 4}));
    EXPECT_TRUE(device.firmware().takeRestartRequest());
    EXPECT_FALSE(device.firmware().takeRestartRequest()) << "one restart per installation";
}

TEST(SimulatedReceiver, FaultsDamageOrLoseTheChosenFramesTheChosenNumberOfTimes)
{
    sim::DeviceModel device(sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51));
    sim::FirmwareFaults faults;
    faults.corruptBlock.insert(0, 2);
    faults.dropBlock.insert(5, 1);
    faults.corruptClosing = 1;
    device.firmware().setFaults(faults);
    EXPECT_EQ(ask(device, 208, block0()), "");
    EXPECT_EQ(ask(device, 208, block0()), "");
    EXPECT_EQ(ask(device, 208, block0()), "*U#") << "the third copy arrives whole";
    EXPECT_EQ(ask(device, 210, closing()), "");
    EXPECT_EQ(ask(device, 210, closing()), "*U#");
}

// Raw end of the pseudo-terminal, as in the simulator's own tests.
int openRaw(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY);
    termios t{};
    if (fd >= 0 && ::tcgetattr(fd, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

QByteArray exchange(int fd, const QByteArray& request, int waitMs)
{
    if (::write(fd, request.constData(), static_cast<size_t>(request.size())) != request.size())
        return "(write failed)";
    QByteArray got;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, waitMs) > 0) {
        char buffer[512];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        got.append(buffer, n);
        waitMs = 100; // the rest of an answer follows at once
    }
    return got;
}

TEST(SimulatedReceiver, TheDeviceIsSilentWhileItRestartsThenReportsTheNewVersion)
{
    sim::Simulator device(sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51));
    device.setRestartDuration(std::chrono::milliseconds(1500));
    ASSERT_TRUE(device.start()) << device.error().toStdString();
    const int fd = openRaw(device.devicePath());
    ASSERT_GE(fd, 0);
    EXPECT_EQ(exchange(fd, frame(208, block0()), 1000), "*U#");
    EXPECT_EQ(exchange(fd, frame(210, closing()), 1000), "*U#");
    EXPECT_TRUE(device.restarting());
    EXPECT_EQ(exchange(fd, "*V#", 300), "") << "rebooting";
    for (int i = 0; i < 50 && device.restarting(); ++i)
        QThread::msleep(100);
    const QByteArray identity = exchange(fd, "*V#", 1000);
    EXPECT_EQ(identity.left(7), bytes({42, 87, 16, 1, 2, 3, 4}));
    EXPECT_EQ(device.installedImage(), imageBytes());
    ::close(fd);
}

} // namespace
