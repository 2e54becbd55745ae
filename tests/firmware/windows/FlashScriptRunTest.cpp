#include "firmware/FlashScript.h"
#include "platform/QtPrograms.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

// cmd.exe runs the batch file from a folder whose name breaks any unquoted or unescaped use:
// blanks, &, parentheses, ^, % and a %NAME% that cmd would expand. A stand-in esptool32.exe
// records the folder it ran in and the arguments it got.
TEST(FlashScript, WindowsBatchFileRunsExactlyTheIntendedCommandFromAHostileFolder)
{
    QTemporaryDir root;
    const QString name = QStringLiteral("QMR51 & (tools) ^ 100% %PATH%");
    ASSERT_TRUE(QDir(root.path()).mkdir(name));
    const QString folder = QDir::toNativeSeparators(QDir(root.path()).filePath(name));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QMR_ESPTOOL_STANDIN), folder + "\\esptool32.exe"));
    const firmware::FlashScript script =
        firmware::windowsFlashScript(device::DeviceKind::TikaV1, 7, "DATA\\TIKAv1.bin", folder);
    QFile file(script.path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(script.content) == script.content.size());
    file.close();

    platform::QtPrograms programs;
    const auto esptool = programs.start(script.program, script.arguments, folder);
    for (int i = 0; i < 600 && !esptool->finished(); ++i) // the limit only ends a run that went wrong
        QThread::msleep(100);
    ASSERT_TRUE(esptool->finished());
    EXPECT_EQ(esptool->exitCode(), 0) << esptool->takeOutput().toStdString();
    QFile record(folder + "\\esptool-args.txt");
    ASSERT_TRUE(record.open(QIODevice::ReadOnly)) << esptool->takeOutput().toStdString();
    const QStringList lines = QString::fromLocal8Bit(record.readAll()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(QDir(lines.first()).canonicalPath(), QDir(folder).canonicalPath());
    EXPECT_EQ(lines.mid(1).join(' '),
              "--chip esp32 --port COM7 --baud 115200 --before default_reset --after hard_reset write_flash -z "
              "--flash_mode dio --flash_freq 80m --flash_size detect 0xe000 boot_app0.bin 0x1000 "
              "bootloader_qio_80m.bin 0x10000 DATA\\TIKAv1.bin 0x8000 ino.partitions.bin");
}
