// The esptool command for each module, and which esptool runs it on Linux. The scripts that carry
// the command, and the TIKA V1 layout, are in FlashScriptTest.
#include "firmware/EsptoolCommand.h"
#include <gtest/gtest.h>

using device::DeviceKind;
using firmware::PathStyle;

namespace {

TEST(Esptool, CommandLinesAndImagePaths)
{
    const QString v2Line =
        " esptools3.exe --chip esp32s3 --port COM5 --baud 115200 --before default_reset --after hard_reset "
        "write_flash -z --flash_mode dio --flash_freq 80m --flash_size 8MB 0xe000 TIKAV2_boot_app0.bin 0x0000 "
        "TIKAV2_bootloader.bin 0x10000 DATA\\TIKAv2.bin 0x8000 TIKAV2_partitions.bin";
    EXPECT_EQ(firmware::esptoolCommandLine(DeviceKind::TikaV2, 5, "DATA\\TIKAv2.bin"), v2Line);
    // Every kind other than the TIKA V2 is flashed as the ESP32 board.
    EXPECT_EQ(firmware::esptoolCommandLine(DeviceKind::Qmr51, 1, "x"), firmware::esptoolCommandLine(DeviceKind::TikaV1, 1, "x"));
    // On Linux the same words go to QProcess one by one, with the device node as the port.
    const firmware::EsptoolCall call =
        firmware::esptoolCall("/opt/qmr/esptools3", DeviceKind::TikaV2, "/dev/ttyACM0", "DATA/TIKAv2.bin");
    EXPECT_EQ(call.program, "/opt/qmr/esptools3");
    EXPECT_EQ(" esptools3.exe " + call.arguments.join(' '),
              QString(v2Line).replace("COM5", "/dev/ttyACM0").replace("DATA\\TIKAv2.bin", "DATA/TIKAv2.bin"));
    EXPECT_EQ(firmware::moduleImagePath(DeviceKind::TikaV1, PathStyle::Windows), "DATA\\TIKAv1.bin");
    EXPECT_EQ(firmware::moduleImagePath(DeviceKind::TikaV2, PathStyle::Posix), "DATA/TIKAv2.bin");
}

TEST(Esptool, PrefersTheBundledProgramThenPath)
{
    struct Case {
        const char* name;
        DeviceKind kind;
        QStringList executables; // files that exist and may be run
        QStringList onPath;      // names the PATH search finds (as /usr/bin/<name>)
        QString expected;
    };
    const Case cases[] = {
        {"bundled V1 wins over PATH", DeviceKind::TikaV1, {"/prog/esptool32"}, {"esptool"}, "/prog/esptool32"},
        {"bundled V2 program", DeviceKind::TikaV2, {"/prog/esptools3", "/prog/esptool32"}, {}, "/prog/esptools3"},
        {"esptool before esptool.py", DeviceKind::TikaV1, {}, {"esptool.py", "esptool"}, "/usr/bin/esptool"},
        {"esptool.py as last resort", DeviceKind::TikaV2, {}, {"esptool.py"}, "/usr/bin/esptool.py"},
        {"none at all", DeviceKind::TikaV1, {}, {}, ""},
    };
    for (const Case& c : cases) {
        const QString chosen = firmware::chooseEsptool(
            c.kind, "/prog", [&](const QString& path) { return c.executables.contains(path); },
            [&](const QString& name) { return c.onPath.contains(name) ? "/usr/bin/" + name : QString(); });
        EXPECT_EQ(chosen, c.expected) << c.name;
    }
}

} // namespace
