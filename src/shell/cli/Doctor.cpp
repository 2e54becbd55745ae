#include "shell/cli/Doctor.h"
#include "shell/cli/Commands.h"
#include "shell/cli/ExitCode.h"
#include <QJsonArray>

namespace shell::cli {

QList<Finding> diagnose(const SystemFacts& f)
{
    QList<Finding> found;
    if (f.serialDevices.isEmpty() && f.windows)
        found.append({QStringLiteral("No COM ports were found."),
                      QStringLiteral("Plug in the USB serial adapter; Device Manager then shows its COM number under Ports (COM & LPT).")});
    else if (f.serialDevices.isEmpty())
        found.append({QStringLiteral("No serial devices were found."),
                      QStringLiteral("Plug in the USB serial adapter and look at the end of `sudo dmesg` for the name it gets.")});
    for (const SystemFacts::Driverless& d : f.adaptersWithoutDriver)
        found.append({QStringLiteral("%1 is a USB serial adapter (%2) without a driver, so it has no COM port.").arg(d.name, d.chip),
                      QStringLiteral("Install the %1 driver (Windows Update offers it, or the chip maker's site has it), then "
                                     "unplug the adapter and plug it in again.").arg(d.chip)});
    for (const QString& port : f.busyPorts)
        found.append({QStringLiteral("%1 is in use by another program.").arg(port),
                      QStringLiteral("Close the program that holds it (a terminal program, a flash tool, another copy of "
                                     "this tool), then try again.")});
    const bool groupExplains = !f.isRoot && f.dialoutGroupExists && !f.inDialout;
    if (groupExplains)
        found.append({QStringLiteral("You are not a member of the group dialout, which may use serial ports."),
                      QStringLiteral("Run `sudo usermod -aG dialout $USER`, then log out and in again.")});
    if (!groupExplains && !f.unusableDevices.isEmpty())
        found.append({QStringLiteral("You may not read and write %1.").arg(f.unusableDevices.join(QStringLiteral(", "))),
                      QStringLiteral("Give your user access to the device (for example through its group), or ask the administrator.")});
    if (f.modemManagerRunning)
        found.append({QStringLiteral("ModemManager is running: it probes every new ttyACM device and keeps it busy for "
                                     "seconds after plug-in."),
                      QStringLiteral("Run `sudo systemctl disable --now ModemManager` if no modem is used on this machine.")});
    if (f.brlttyPresent)
        found.append({QStringLiteral("brltty is installed: it takes CH34x and FTDI adapters for braille displays, so "
                                     "their device node vanishes right after plug-in."),
                      QStringLiteral("Run `sudo apt remove brltty` if no braille display is used on this machine.")});
    for (const SystemFacts::Holder& h : f.holders)
        found.append({QStringLiteral("%1 is held by %2 (process %3).").arg(h.devicePath, h.program).arg(h.pid),
                      QStringLiteral("Close %1 (or `kill %2`) before using the port.").arg(h.program).arg(h.pid)});
    if (!f.programFolderWritable)
        found.append({QStringLiteral("The program folder %1 is not writable: port links, module images and flash "
                                     "scripts cannot be kept there.").arg(f.programFolder),
                      QStringLiteral("Make it writable for your user, or choose another with --program-folder DIR.")});
    return found;
}

int doctorCommand(Context& c)
{
    if (!c.options.words.isEmpty())
        return c.fail(kUsageError, QStringLiteral("doctor takes no word %1").arg(c.options.words.first()));
    const QList<Finding> found = diagnose(c.env.systemFacts(c.programFolder, c.ports().ports()));
    if (c.options.json) {
        QJsonArray problems;
        for (const Finding& f : found)
            problems.append(QJsonObject{{QStringLiteral("problem"), f.problem}, {QStringLiteral("fix"), f.fix}});
        c.printJson({{QStringLiteral("problems"), problems}});
    } else if (found.isEmpty()) {
        c.print(QStringLiteral("Nothing found that stops a serial adapter from working.\n"));
    } else {
        QString text;
        for (const Finding& f : found)
            text += f.problem + QStringLiteral("\n  fix: ") + f.fix + QLatin1Char('\n');
        c.print(text);
    }
    return found.isEmpty() ? kSuccess : kProblemsFound;
}

} // namespace shell::cli
