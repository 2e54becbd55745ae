#include "firmware/EsptoolCommand.h"

namespace firmware {

QString moduleImagePath(device::DeviceKind kind, PathStyle style)
{
    const QString name = kind == device::DeviceKind::TikaV2 ? QStringLiteral("TIKAv2.bin") : QStringLiteral("TIKAv1.bin");
    return QStringLiteral("DATA") + (style == PathStyle::Windows ? QLatin1Char('\\') : QLatin1Char('/')) + name;
}

QStringList esptoolArguments(device::DeviceKind kind, const QString& port, const QString& imagePath)
{
    const bool v2 = kind == device::DeviceKind::TikaV2;
    QStringList args{QStringLiteral("--chip"), v2 ? QStringLiteral("esp32s3") : QStringLiteral("esp32"),
                     QStringLiteral("--port"), port,
                     QStringLiteral("--baud"), QStringLiteral("115200"),
                     QStringLiteral("--before"), QStringLiteral("default_reset"),
                     QStringLiteral("--after"), QStringLiteral("hard_reset"),
                     QStringLiteral("write_flash"), QStringLiteral("-z"),
                     QStringLiteral("--flash_mode"), QStringLiteral("dio"),
                     QStringLiteral("--flash_freq"), QStringLiteral("80m"),
                     QStringLiteral("--flash_size"), v2 ? QStringLiteral("8MB") : QStringLiteral("detect")};
    if (v2) {
        args << QStringLiteral("0xe000") << QStringLiteral("TIKAV2_boot_app0.bin")
             << QStringLiteral("0x0000") << QStringLiteral("TIKAV2_bootloader.bin")
             << QStringLiteral("0x10000") << imagePath
             << QStringLiteral("0x8000") << QStringLiteral("TIKAV2_partitions.bin");
    } else {
        args << QStringLiteral("0xe000") << QStringLiteral("boot_app0.bin")
             << QStringLiteral("0x1000") << QStringLiteral("bootloader_qio_80m.bin")
             << QStringLiteral("0x10000") << imagePath
             << QStringLiteral("0x8000") << QStringLiteral("ino.partitions.bin");
    }
    return args;
}

QString esptoolCommandLine(device::DeviceKind kind, int portNumber, const QString& imagePath)
{
    const QString program = kind == device::DeviceKind::TikaV2 ? QStringLiteral("esptools3.exe") : QStringLiteral("esptool32.exe");
    const QStringList args = esptoolArguments(kind, QStringLiteral("COM") + QString::number(portNumber), imagePath);
    return QLatin1Char(' ') + program + QLatin1Char(' ') + args.join(QLatin1Char(' '));
}

QString scriptFileName(int portNumber, PathStyle style)
{
    return QStringLiteral("PCOM") + QString::number(portNumber)
        + (style == PathStyle::Windows ? QStringLiteral(".bat") : QStringLiteral(".sh"));
}

QString bundledEsptoolName(device::DeviceKind kind)
{
    return kind == device::DeviceKind::TikaV2 ? QStringLiteral("esptools3") : QStringLiteral("esptool32");
}

QString chooseEsptool(device::DeviceKind kind, const QString& programFolder,
                      const std::function<bool(const QString&)>& isExecutableFile,
                      const std::function<QString(const QString&)>& findOnPath)
{
    const QString bundled = programFolder + QLatin1Char('/') + bundledEsptoolName(kind);
    if (isExecutableFile(bundled))
        return bundled;
    for (const QString& name : {QStringLiteral("esptool"), QStringLiteral("esptool.py")}) {
        const QString found = findOnPath(name);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

EsptoolCall esptoolCall(const QString& program, device::DeviceKind kind, const QString& devicePath,
                        const QString& imagePath)
{
    return {program, esptoolArguments(kind, devicePath, imagePath)};
}

QString shellQuote(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString posixShellScript(const QString& programFolder, const EsptoolCall& call)
{
    QString command = QStringLiteral("exec ") + shellQuote(call.program);
    for (const QString& argument : call.arguments)
        command += QLatin1Char(' ') + shellQuote(argument);
    return QStringLiteral("#!/bin/sh\n") + QStringLiteral("cd ") + shellQuote(programFolder)
        + QStringLiteral(" || exit 1\n") + command + QLatin1Char('\n');
}

} // namespace firmware
