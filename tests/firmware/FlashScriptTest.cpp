// The esptool scripts for both systems, checked as the literal text that goes into the file.
#include "firmware/FlashScript.h"
#include <gtest/gtest.h>

namespace {

const char* const kV1Line =
    " esptool32.exe --chip esp32 --port COM12 --baud 115200 --before default_reset --after hard_reset write_flash -z "
    "--flash_mode dio --flash_freq 80m --flash_size detect 0xe000 boot_app0.bin 0x1000 bootloader_qio_80m.bin 0x10000 "
    "\"DATA\\TIKAv1.bin\" 0x8000 ino.partitions.bin";

TEST(FlashScript, WindowsBatchFileForPort12)
{
    // Each kind's command line is pinned in EsptoolCommandTest; here the batch file around it.
    const firmware::FlashScript script = firmware::windowsFlashScript(device::DeviceKind::TikaV1, 12, "DATA\\TIKAv1.bin",
                                                                      QStringLiteral("D:\\Program Files\\QMR51"));
    EXPECT_EQ(script.path, "D:\\Program Files\\QMR51\\PCOM12.bat");
    EXPECT_EQ(script.content, QByteArray("D:\r\nCD \"D:\\Program Files\\QMR51\"\r\n") + kV1Line + "\r\n");
    EXPECT_EQ(script.program, "cmd.exe");
    EXPECT_EQ(script.arguments, QStringList({"/c", "D:\\Program Files\\QMR51\\PCOM12.bat"}));
}

TEST(FlashScript, LinuxShellScriptQuotesEveryWord)
{
    const firmware::FlashScript script = firmware::posixFlashScript(
        device::DeviceKind::TikaV1, 12, "/dev/ttyUSB0", "DATA/TIKAv1.bin", "/home/jan/QMR51 'tool' $HOME", "/home/jan/QMR51 'tool' $HOME/esptool32");
    EXPECT_EQ(script.path, "/home/jan/QMR51 'tool' $HOME/PCOM12.sh");
    EXPECT_EQ(script.content,
              QByteArray("#!/bin/sh\n"
                         "cd '/home/jan/QMR51 '\\''tool'\\'' $HOME' || exit 1\n"
                         "exec '/home/jan/QMR51 '\\''tool'\\'' $HOME/esptool32' '--chip' 'esp32' '--port' '/dev/ttyUSB0' "
                         "'--baud' '115200' '--before' 'default_reset' '--after' 'hard_reset' 'write_flash' '-z' "
                         "'--flash_mode' 'dio' '--flash_freq' '80m' '--flash_size' 'detect' '0xe000' 'boot_app0.bin' "
                         "'0x1000' 'bootloader_qio_80m.bin' '0x10000' 'DATA/TIKAv1.bin' '0x8000' 'ino.partitions.bin'\n"));
    EXPECT_EQ(script.program, "/bin/sh");
    EXPECT_EQ(script.arguments, QStringList({"/home/jan/QMR51 'tool' $HOME/PCOM12.sh"}));
    // A folder given with its closing slash gets no second one.
    EXPECT_EQ(firmware::posixFlashScript(device::DeviceKind::TikaV2, 3, "/dev/ttyACM1", "DATA/TIKAv2.bin", "/opt/qmr51/",
                                         "/usr/bin/esptool").path,
              "/opt/qmr51/PCOM3.sh");
}

} // namespace
