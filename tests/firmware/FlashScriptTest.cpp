// esptool for the TIKA modules: its command per module, which esptool runs it on Linux, the scripts
// for both systems (the Windows batch file as its literal text, the Linux script run for real by
// /bin/sh) and its output as the progress window reads it back.
#include "TestFiles.h"
#include "firmware/EsptoolCommand.h"
#include "firmware/EsptoolOutput.h"
#include "firmware/FlashScript.h"
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using device::DeviceKind;
using firmware::PathStyle;

TEST(Esptool, CommandLinesAndImagePaths)
{
    const QString v2Line = " esptools3.exe --chip esp32s3 --port COM5 --baud 115200 --before default_reset --after hard_reset "
        "write_flash -z --flash_mode dio --flash_freq 80m --flash_size 8MB 0xe000 TIKAV2_boot_app0.bin 0x0000 "
        "TIKAV2_bootloader.bin 0x10000 DATA\\TIKAv2.bin 0x8000 TIKAV2_partitions.bin";
    EXPECT_EQ(firmware::esptoolCommandLine(DeviceKind::TikaV2, 5, "DATA\\TIKAv2.bin"), v2Line);
    // Every kind other than the TIKA V2 is flashed as the ESP32 board.
    EXPECT_EQ(firmware::esptoolCommandLine(DeviceKind::Qmr51, 1, "x"), firmware::esptoolCommandLine(DeviceKind::TikaV1, 1, "x"));
    // On Linux the same words go to QProcess one by one, with the device node as the port.
    const firmware::EsptoolCall call = firmware::esptoolCall("/opt/qmr/esptools3", DeviceKind::TikaV2, "/dev/ttyACM0", "DATA/TIKAv2.bin");
    EXPECT_EQ(call.program, "/opt/qmr/esptools3");
    EXPECT_EQ(" esptools3.exe " + call.arguments.join(' '),
              QString(v2Line).replace("COM5", "/dev/ttyACM0").replace("DATA\\TIKAv2.bin", "DATA/TIKAv2.bin"));
    EXPECT_EQ(firmware::moduleImagePath(DeviceKind::TikaV1, PathStyle::Windows), "DATA\\TIKAv1.bin");
    EXPECT_EQ(firmware::moduleImagePath(DeviceKind::TikaV2, PathStyle::Posix), "DATA/TIKAv2.bin");
}

TEST(Esptool, PrefersTheBundledProgramThenPath)
{
    // The files that exist and may be run, the names the PATH search finds (as /usr/bin/<name>).
    struct Case { const char* name; DeviceKind kind; QStringList executables, onPath; QString expected; };
    const Case cases[] = {
        {"bundled V1 wins over PATH", DeviceKind::TikaV1, {"/prog/esptool32"}, {"esptool"}, "/prog/esptool32"},
        {"esptool before esptool.py", DeviceKind::TikaV1, {}, {"esptool.py", "esptool"}, "/usr/bin/esptool"},
        {"esptool.py as last resort", DeviceKind::TikaV2, {}, {"esptool.py"}, "/usr/bin/esptool.py"},
        {"none at all", DeviceKind::TikaV1, {}, {}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(firmware::chooseEsptool(c.kind, "/prog", [&](const QString& path) { return c.executables.contains(path); },
                                          [&](const QString& name) { return c.onPath.contains(name) ? "/usr/bin/" + name : QString(); }),
                  c.expected) << c.name;
    }
}

// A batch file expands %NAME% even inside quotes: a % in the folder is written as %%.
TEST(FlashScript, WindowsBatchFileForPort12)
{
    const firmware::FlashScript script =
        firmware::windowsFlashScript(DeviceKind::TikaV1, 12, "DATA\\TIKAv1.bin", QStringLiteral("D:\\Program Files\\QMR51 %PATH%"));
    EXPECT_EQ(script.path, "D:\\Program Files\\QMR51 %PATH%\\PCOM12.bat");
    EXPECT_EQ(script.content,
              "D:\r\nCD \"D:\\Program Files\\QMR51 %%PATH%%\"\r\n"
              " esptool32.exe --chip esp32 --port COM12 --baud 115200 --before default_reset --after hard_reset "
              "write_flash -z --flash_mode dio --flash_freq 80m --flash_size detect 0xe000 boot_app0.bin 0x1000 "
              "bootloader_qio_80m.bin 0x10000 \"DATA\\TIKAv1.bin\" 0x8000 ino.partitions.bin\r\n");
    EXPECT_EQ(script.program, "cmd.exe");
    EXPECT_EQ(script.arguments, QStringList({"/c", "PCOM12.bat"}));
}

// From a folder whose name would break any unquoted or double-quoted use: blanks, both quotes, $,
// backquotes, a command substitution and a newline. A stand-in esptool records its argv and folder.
TEST(FlashScript, LinuxScriptRunsExactlyTheIntendedCommandFromAHostileFolder)
{
    QTemporaryDir root;
    const QString name = QStringLiteral("QMR51 it's \"mine\" $HOME `touch TICK` $(touch PWNED); x\n'y");
    ASSERT_TRUE(QDir(root.path()).mkdir(name));
    const QString folder = QFileInfo(root.filePath(name)).canonicalFilePath();
    const QString esptool = folder + "/esptool32";
    ASSERT_TRUE(fakes::writeFile(esptool, "#!/bin/sh\nprintf '%s\\0' \"$@\" > argv.bin\npwd > cwd.txt\n", true));
    const QString devicePath = "/dev/tty 'USB0' $PATH";
    const firmware::FlashScript script = firmware::posixFlashScript(DeviceKind::TikaV1, 5, devicePath, "DATA/TIKAv1.bin", folder, esptool);
    EXPECT_EQ(script.path, folder + "/PCOM5.sh");
    ASSERT_TRUE(fakes::writeFile(script.path, script.content));

    QProcess shell;
    shell.setWorkingDirectory(root.path());
    shell.start(script.program, script.arguments);
    ASSERT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    ASSERT_EQ(QString::fromUtf8(fakes::readFile(folder + "/cwd.txt")), folder + "\n") << "the stand-in did not run there";
    QStringList arguments;
    for (const QByteArray& a : fakes::readFile(folder + "/argv.bin").split('\0'))
        arguments << QString::fromUtf8(a);
    EXPECT_EQ(arguments.takeLast(), ""); // every argument ends in a 0 byte
    EXPECT_EQ(arguments, firmware::esptoolArguments(DeviceKind::TikaV1, devicePath, "DATA/TIKAv1.bin"));
    // Nothing in the folder name was run as a command, wherever it would have landed.
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        EXPECT_FALSE(QStringList({"PWNED", "TICK"}).contains(QFileInfo(it.next()).fileName()));
    // A folder given with its closing slash gets no second one.
    EXPECT_EQ(firmware::posixFlashScript(DeviceKind::TikaV2, 3, "/dev/ttyACM1", "DATA/TIKAv2.bin", "/opt/qmr51/", esptool).path,
              "/opt/qmr51/PCOM3.sh");
}

TEST(EsptoolOutput, FollowsProgressWhateverEndsALineAndKeepsTheFatalLineAndABoundedTail)
{
    firmware::EsptoolOutput out;
    out.take("esptool.py v4.5.1\nConnecting.");
    EXPECT_FALSE(out.lastPercent());
    EXPECT_EQ(out.lastLine(), "Connecting.") << "a line still being written is shown";
    out.take("..\nA fatal error occurred: Failed to connect\nWriting at 0x00010000... (3 %)\rWriting at 0x00014000... (1");
    EXPECT_EQ(out.lastPercent(), 3);
    out.take("7 %)\r");
    EXPECT_EQ(out.lastPercent(), 17) << "a percentage split over two pieces";
    EXPECT_EQ(out.lastLine(), "Writing at 0x00014000... (17 %)");
    out.take("Writing at 0x000f0000... (100 %)\r\nSize 512 (250%)\r\n\r\n");
    EXPECT_EQ(out.lastPercent(), 100) << "values above 100 are no progress";
    EXPECT_EQ(out.lastLines(2), QStringList({"Writing at 0x000f0000... (100 %)", "Size 512 (250%)"})) << "blank lines do not count";
    for (int i = 0; i < 50; ++i)
        out.take(QByteArray("line ") + QByteArray::number(i) + '\n');
    EXPECT_EQ(out.fatalLine(), "A fatal error occurred: Failed to connect");
    EXPECT_EQ(out.lastLines(100).size(), 20) << "the tail kept is bounded";
    EXPECT_EQ(out.lastLine(), "line 49");
}
