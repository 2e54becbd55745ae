// The esptool scripts for both systems: the Windows batch file as the literal text that goes into
// it, the Linux script run for real by /bin/sh.
#include "firmware/EsptoolCommand.h"
#include "firmware/FlashScript.h"
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using device::DeviceKind;

namespace {

TEST(FlashScript, WindowsBatchFileForPort12)
{
    const firmware::FlashScript script =
        firmware::windowsFlashScript(DeviceKind::TikaV1, 12, "DATA\\TIKAv1.bin", QStringLiteral("D:\\Program Files\\QMR51"));
    EXPECT_EQ(script.path, "D:\\Program Files\\QMR51\\PCOM12.bat");
    EXPECT_EQ(script.content,
              "D:\r\nCD \"D:\\Program Files\\QMR51\"\r\n"
              " esptool32.exe --chip esp32 --port COM12 --baud 115200 --before default_reset --after hard_reset "
              "write_flash -z --flash_mode dio --flash_freq 80m --flash_size detect 0xe000 boot_app0.bin 0x1000 "
              "bootloader_qio_80m.bin 0x10000 \"DATA\\TIKAv1.bin\" 0x8000 ino.partitions.bin\r\n");
    EXPECT_EQ(script.program, "cmd.exe");
    EXPECT_EQ(script.arguments, QStringList({"/c", "D:\\Program Files\\QMR51\\PCOM12.bat"}));
}

// From a folder whose name would break any unquoted or double-quoted use: blanks, both quotes, $,
// backquotes, a command substitution and a newline. A stand-in esptool records its argv and folder.
TEST(FlashScript, LinuxScriptRunsExactlyTheIntendedCommandFromAHostileFolder)
{
    QTemporaryDir root;
    const QString name = QStringLiteral("QMR51 it's \"mine\" $HOME `touch TICK` $(touch PWNED); x\n'y");
    ASSERT_TRUE(QDir(root.path()).mkdir(name));
    const QString folder = QFileInfo(root.filePath(name)).canonicalFilePath();
    const auto write = [](const QString& path, const QByteArray& text) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    };
    const QString esptool = folder + "/esptool32";
    ASSERT_TRUE(write(esptool, "#!/bin/sh\nprintf '%s\\0' \"$@\" > argv.bin\npwd > cwd.txt\n"));
    ASSERT_TRUE(QFile::setPermissions(esptool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString devicePath = "/dev/tty 'USB0' $PATH";
    const firmware::FlashScript script =
        firmware::posixFlashScript(DeviceKind::TikaV1, 5, devicePath, "DATA/TIKAv1.bin", folder, esptool);
    EXPECT_EQ(script.path, folder + "/PCOM5.sh");
    ASSERT_TRUE(write(script.path, script.content));

    QProcess shell;
    shell.setWorkingDirectory(root.path());
    shell.start(script.program, script.arguments);
    ASSERT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    QFile argv(folder + "/argv.bin"), cwd(folder + "/cwd.txt");
    ASSERT_TRUE(argv.open(QIODevice::ReadOnly) && cwd.open(QIODevice::ReadOnly)) << "the stand-in did not run there";
    QStringList arguments;
    for (const QByteArray& a : argv.readAll().split('\0'))
        arguments << QString::fromUtf8(a);
    EXPECT_EQ(arguments.takeLast(), ""); // every argument ends in a 0 byte
    EXPECT_EQ(arguments, firmware::esptoolArguments(DeviceKind::TikaV1, devicePath, "DATA/TIKAv1.bin"));
    EXPECT_EQ(QString::fromUtf8(cwd.readAll()), folder + "\n");
    // Nothing in the folder name was run as a command, wherever it would have landed.
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        EXPECT_FALSE(QStringList({"PWNED", "TICK"}).contains(QFileInfo(it.next()).fileName()));
    // A folder given with its closing slash gets no second one.
    EXPECT_EQ(firmware::posixFlashScript(DeviceKind::TikaV2, 3, "/dev/ttyACM1", "DATA/TIKAv2.bin", "/opt/qmr51/", esptool).path,
              "/opt/qmr51/PCOM3.sh");
}

} // namespace
