#include "firmware/EsptoolCommand.h"
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using firmware::PathStyle;

namespace {

const QString kV1Line =
    " esptool32.exe --chip esp32 --port COM12 --baud 115200 --before default_reset --after hard_reset "
    "write_flash -z --flash_mode dio --flash_freq 80m --flash_size detect 0xe000 boot_app0.bin 0x1000 "
    "bootloader_qio_80m.bin 0x10000 DATA\\TIKAv1.bin 0x8000 ino.partitions.bin";
const QString kV2Line =
    " esptools3.exe --chip esp32s3 --port COM5 --baud 115200 --before default_reset --after hard_reset "
    "write_flash -z --flash_mode dio --flash_freq 80m --flash_size 8MB 0xe000 TIKAV2_boot_app0.bin 0x0000 "
    "TIKAV2_bootloader.bin 0x10000 DATA\\TIKAv2.bin 0x8000 TIKAV2_partitions.bin";

TEST(EsptoolWindows, CommandLinesOfBothModules)
{
    EXPECT_EQ(firmware::esptoolCommandLine(device::DeviceKind::TikaV1, 12, "DATA\\TIKAv1.bin"), kV1Line);
    EXPECT_EQ(firmware::esptoolCommandLine(device::DeviceKind::TikaV2, 5, "DATA\\TIKAv2.bin"), kV2Line);
    // Every kind other than "TIKA V2" is flashed as the ESP32 board.
    EXPECT_TRUE(firmware::esptoolCommandLine(device::DeviceKind::Qmr51, 1, "x").startsWith(" esptool32.exe --chip esp32 --port COM1 "));
    EXPECT_TRUE(firmware::esptoolCommandLine(device::DeviceKind::TikaV1, 12, "x").contains("--port COM12 --baud 115200"));
}

TEST(EsptoolPaths, ScriptNamesAndImagePaths)
{
    EXPECT_EQ(firmware::scriptFileName(5, PathStyle::Windows), "PCOM5.bat");
    EXPECT_EQ(firmware::scriptFileName(12, PathStyle::Posix), "PCOM12.sh");
    EXPECT_EQ(firmware::moduleImagePath(device::DeviceKind::TikaV1, PathStyle::Windows), "DATA\\TIKAv1.bin");
    EXPECT_EQ(firmware::moduleImagePath(device::DeviceKind::TikaV2, PathStyle::Windows), "DATA\\TIKAv2.bin");
    EXPECT_EQ(firmware::moduleImagePath(device::DeviceKind::TikaV1, PathStyle::Posix), "DATA/TIKAv1.bin");
    EXPECT_EQ(firmware::moduleImagePath(device::DeviceKind::TikaV2, PathStyle::Posix), "DATA/TIKAv2.bin");
}

TEST(EsptoolLinux, ArgumentListForQProcess)
{
    const firmware::EsptoolCall v1 = firmware::esptoolCall("/opt/qmr/esptool32", device::DeviceKind::TikaV1, "/dev/ttyUSB0", "DATA/TIKAv1.bin");
    EXPECT_EQ(v1.program, "/opt/qmr/esptool32");
    EXPECT_EQ(v1.arguments.join('|'),
              "--chip|esp32|--port|/dev/ttyUSB0|--baud|115200|--before|default_reset|--after|hard_reset|"
              "write_flash|-z|--flash_mode|dio|--flash_freq|80m|--flash_size|detect|0xe000|boot_app0.bin|"
              "0x1000|bootloader_qio_80m.bin|0x10000|DATA/TIKAv1.bin|0x8000|ino.partitions.bin");
    const firmware::EsptoolCall v2 = firmware::esptoolCall("esptool", device::DeviceKind::TikaV2, "/dev/ttyACM0", "DATA/TIKAv2.bin");
    EXPECT_EQ(v2.arguments.join('|'),
              "--chip|esp32s3|--port|/dev/ttyACM0|--baud|115200|--before|default_reset|--after|hard_reset|"
              "write_flash|-z|--flash_mode|dio|--flash_freq|80m|--flash_size|8MB|0xe000|TIKAV2_boot_app0.bin|"
              "0x0000|TIKAV2_bootloader.bin|0x10000|DATA/TIKAv2.bin|0x8000|TIKAV2_partitions.bin");
}

TEST(EsptoolLinux, PrefersTheBundledProgramThenPath)
{
    struct Case {
        const char* name;
        QString deviceType;
        QStringList executables;     // files that exist and may be run
        QStringList onPath;          // names the PATH search finds (as /usr/bin/<name>)
        QString expected;
    };
    const Case cases[] = {
        {"bundled V1 wins over PATH", "TIKA V1", {"/prog/esptool32"}, {"esptool"}, "/prog/esptool32"},
        {"bundled V2 program name", "TIKA V2", {"/prog/esptools3", "/prog/esptool32"}, {}, "/prog/esptools3"},
        {"V1 does not use the V2 program", "TIKA V1", {"/prog/esptools3"}, {"esptool"}, "/usr/bin/esptool"},
        {"esptool before esptool.py", "TIKA V1", {}, {"esptool.py", "esptool"}, "/usr/bin/esptool"},
        {"esptool.py as last resort", "TIKA V2", {}, {"esptool.py"}, "/usr/bin/esptool.py"},
        {"none at all", "TIKA V1", {}, {}, ""},
    };
    for (const Case& c : cases) {
        const QString chosen = firmware::chooseEsptool(
            *device::kindNamed(c.deviceType), "/prog", [&](const QString& path) { return c.executables.contains(path); },
            [&](const QString& name) { return c.onPath.contains(name) ? "/usr/bin/" + name : QString(); });
        EXPECT_EQ(chosen, c.expected) << c.name;
    }
}

TEST(ShellQuote, SingleQuotesWithEscapedQuotes)
{
    const std::pair<QString, QString> cases[] = {
        {"abc", "'abc'"},
        {"", "''"},
        {"it's", "'it'\\''s'"},
        {"a b $HOME `id` \"x\" \\", "'a b $HOME `id` \"x\" \\'"},
        {"''", "''\\'''\\'''"},
    };
    for (const auto& [text, quoted] : cases)
        EXPECT_EQ(firmware::shellQuote(text), quoted) << text.toStdString();
}

TEST(ShellScript, TextForAPlainFolder)
{
    const firmware::EsptoolCall call{"/opt/q/esptool32", {"--port", "/dev/ttyUSB0", "DATA/TIKAv1.bin"}};
    EXPECT_EQ(firmware::posixShellScript("/opt/q", call),
              "#!/bin/sh\ncd '/opt/q' || exit 1\nexec '/opt/q/esptool32' '--port' '/dev/ttyUSB0' 'DATA/TIKAv1.bin'\n");
}

// The script is run for real by /bin/sh from a folder whose name would break any unquoted or
// double-quoted use: blanks, both quotes, $, backquotes, a command substitution and a newline.
// A stand-in esptool records the argv and folder it was started with.
TEST(ShellScript, RunsExactlyTheIntendedCommandFromAHostileFolder)
{
    if (!QFileInfo::exists("/bin/sh"))
        GTEST_SKIP() << "/bin/sh is missing";
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString folderName = QStringLiteral("QMR51 it's \"mine\" $HOME `touch TICK` $(touch PWNED); x\n'y");
    ASSERT_TRUE(QDir(root.path()).mkdir(folderName));
    const QString folder = QFileInfo(root.filePath(folderName)).canonicalFilePath();
    ASSERT_FALSE(folder.isEmpty());

    const QString program = folder + "/esptool32";
    QFile standIn(program);
    ASSERT_TRUE(standIn.open(QIODevice::WriteOnly));
    standIn.write("#!/bin/sh\nprintf '%s\\0' \"$@\" > argv.bin\npwd > cwd.txt\n");
    standIn.close();
    ASSERT_TRUE(standIn.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    const QString devicePath = "/dev/tty 'USB0' $PATH";
    const firmware::EsptoolCall call = firmware::esptoolCall(program, device::DeviceKind::TikaV1, devicePath, "DATA/TIKAv1.bin");
    const QString scriptPath = folder + "/" + firmware::scriptFileName(5, PathStyle::Posix);
    QFile script(scriptPath);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(firmware::posixShellScript(folder, call).toUtf8());
    script.close();

    QProcess shell;
    shell.setWorkingDirectory(root.path());
    shell.start("/bin/sh", {scriptPath});
    ASSERT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();

    QFile argv(folder + "/argv.bin");
    ASSERT_TRUE(argv.open(QIODevice::ReadOnly)) << "the stand-in did not run in the program folder";
    QByteArray recorded = argv.readAll();
    ASSERT_TRUE(recorded.endsWith('\0'));
    recorded.chop(1);
    QStringList arguments;
    for (const QByteArray& a : recorded.split('\0'))
        arguments << QString::fromUtf8(a);
    EXPECT_EQ(arguments, call.arguments);
    EXPECT_TRUE(arguments.contains(devicePath));

    QFile cwd(folder + "/cwd.txt");
    ASSERT_TRUE(cwd.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(cwd.readAll()), folder + "\n");

    // Nothing in the folder name was run as a command, wherever it would have landed.
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString name = QFileInfo(it.next()).fileName();
        EXPECT_NE(name, "PWNED");
        EXPECT_NE(name, "TICK");
    }
}

} // namespace
