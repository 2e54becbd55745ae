// The simulated QMR51's firmware receiver: it checks frames the way the device's boot loader does,
// so the upgrade tests can trust an acknowledgement. Frames of a one-block image (bytes 0x10..0x1F,
// zero fill) announcing 1.2.3.4, with their CRCs written out.
#include "Bytes.h"
#include "sim/DeviceModel.h"
#include <gtest/gtest.h>

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

} // namespace
