#include "firmware/EsptoolCommand.h"
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using device::DeviceKind;
using firmware::PathStyle;

namespace {

// The flash layouts of the two boards, as the Windows batch line carries them.
const QString kV1Line =
    " esptool32.exe --chip esp32 --port COM12 --baud 115200 --before default_reset --after hard_reset "
    "write_flash -z --flash_mode dio --flash_freq 80m --flash_size detect 0xe000 boot_app0.bin 0x1000 "
    "bootloader_qio_80m.bin 0x10000 DATA\\TIKAv1.bin 0x8000 ino.partitions.bin";
const QString kV2Line =
    " esptools3.exe --chip esp32s3 --port COM5 --baud 115200 --before default_reset --after hard_reset "
    "write_flash -z --flash_mode dio --flash_freq 80m --flash_size 8MB 0xe000 TIKAV2_boot_app0.bin 0x0000 "
    "TIKAV2_bootloader.bin 0x10000 DATA\\TIKAv2.bin 0x8000 TIKAV2_partitions.bin";

TEST(Esptool, CommandLinesScriptNamesAndImagePaths)
{
    EXPECT_EQ(firmware::esptoolCommandLine(DeviceKind::TikaV1, 12, "DATA\\TIKAv1.bin"), kV1Line);
    EXPECT_EQ(firmware::esptoolCommandLine(DeviceKind::TikaV2, 5, "DATA\\TIKAv2.bin"), kV2Line);
    // Every kind other than the TIKA V2 is flashed as the ESP32 board.
    EXPECT_TRUE(firmware::esptoolCommandLine(DeviceKind::Qmr51, 1, "x").startsWith(" esptool32.exe --chip esp32 --port COM1 "));
    // On Linux the same words go to QProcess one by one, with the device node as the port.
    const firmware::EsptoolCall call =
        firmware::esptoolCall("/opt/qmr/esptools3", DeviceKind::TikaV2, "/dev/ttyACM0", "DATA/TIKAv2.bin");
    EXPECT_EQ(call.program, "/opt/qmr/esptools3");
    EXPECT_EQ(" esptools3.exe " + call.arguments.join(' '),
              QString(kV2Line).replace("COM5", "/dev/ttyACM0").replace("DATA\\TIKAv2.bin", "DATA/TIKAv2.bin"));

    EXPECT_EQ(firmware::scriptFileName(5, PathStyle::Windows), "PCOM5.bat");
    EXPECT_EQ(firmware::scriptFileName(12, PathStyle::Posix), "PCOM12.sh");
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
        {"bundled V2 program name", DeviceKind::TikaV2, {"/prog/esptools3", "/prog/esptool32"}, {}, "/prog/esptools3"},
        {"V1 does not use the V2 program", DeviceKind::TikaV1, {"/prog/esptools3"}, {"esptool"}, "/usr/bin/esptool"},
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

// The script's text is pinned in FlashScriptTest; here /bin/sh runs it from a folder whose name
// would break any unquoted or double-quoted use: blanks, both quotes, $, backquotes, a command
// substitution and a newline. A stand-in esptool records the argv and folder it was started with.
TEST(ShellScript, RunsExactlyTheIntendedCommandFromAHostileFolder)
{
    QTemporaryDir root;
    const QString name = QStringLiteral("QMR51 it's \"mine\" $HOME `touch TICK` $(touch PWNED); x\n'y");
    ASSERT_TRUE(QDir(root.path()).mkdir(name));
    const QString folder = QFileInfo(root.filePath(name)).canonicalFilePath();
    const auto write = [](const QString& path, const QByteArray& text) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    };
    const QString program = folder + "/esptool32";
    ASSERT_TRUE(write(program, "#!/bin/sh\nprintf '%s\\0' \"$@\" > argv.bin\npwd > cwd.txt\n"));
    ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString devicePath = "/dev/tty 'USB0' $PATH";
    const firmware::EsptoolCall call = firmware::esptoolCall(program, DeviceKind::TikaV1, devicePath, "DATA/TIKAv1.bin");
    const QString scriptPath = folder + "/" + firmware::scriptFileName(5, PathStyle::Posix);
    ASSERT_TRUE(write(scriptPath, firmware::posixShellScript(folder, call).toUtf8()));

    QProcess shell;
    shell.setWorkingDirectory(root.path());
    shell.start("/bin/sh", {scriptPath});
    ASSERT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();

    QFile argv(folder + "/argv.bin"), cwd(folder + "/cwd.txt");
    ASSERT_TRUE(argv.open(QIODevice::ReadOnly) && cwd.open(QIODevice::ReadOnly)) << "the stand-in did not run there";
    QStringList arguments;
    for (const QByteArray& a : argv.readAll().split('\0'))
        arguments << QString::fromUtf8(a);
    EXPECT_EQ(arguments.takeLast(), ""); // every argument ends in a 0 byte
    EXPECT_EQ(arguments, call.arguments);
    EXPECT_TRUE(arguments.contains(devicePath));
    EXPECT_EQ(QString::fromUtf8(cwd.readAll()), folder + "\n");

    // Nothing in the folder name was run as a command, wherever it would have landed.
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        EXPECT_FALSE(QStringList({"PWNED", "TICK"}).contains(QFileInfo(it.next()).fileName()));
}

} // namespace
