#include "platform/CurlTransfer.h"
#include "platform/DemoLinks.h"
#include "platform/ProgramFolder.h"
#include "platform/QtClock.h"
#include "platform/ui/QtDialogs.h"
#include "platform/QtEventPump.h"
#include "platform/ui/DesktopPrograms.h"
#include "platform/QtSerialPort.h"
#include "platform/ShutdownSignals.h"
#include "platform/SystemPorts.h"
#include "device/Captions.h"
#include "shell/CommandLine.h"
#include "shell/ui/Demo.h"
#include "shell/ui/DemoLine.h"
#include "shell/ui/Tool.h"
#include <QApplication>
#include <QGuiApplication>
#include <QTimer>
#include <cstdio>


int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(device::kApplicationTitle));
    QApplication::setApplicationVersion(QStringLiteral(QMR_VERSION));

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    if (arguments.contains(QStringLiteral("--version"))) {
        // The application object is made by now, so the answer proves that Qt and its platform
        // plugin start on this machine (an installed package checks its dependencies with it).
        std::printf("qmr51-visualisation %s (Qt %s, platform %s)\n", QMR_VERSION, qVersion(),
                    qPrintable(QGuiApplication::platformName()));
        return 0;
    }
    if (arguments.contains(QStringLiteral("--help"))) {
        std::fputs(qPrintable(shell::commandLineHelp()), stdout);
        return 0;
    }
    const shell::CommandLine options = shell::parseCommandLine(arguments);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "%s\n%s", qPrintable(options.error), qPrintable(shell::commandLineHelp()));
        return 2;
    }

    const QString folder = platform::resolveProgramFolder(QApplication::applicationDirPath(), options.programFolder);
    const platform::ServerConfig servers =
        platform::withServerOptions(platform::defaultServers(), options.ftpHost, options.ftpUser, options.imageUrl);

    const std::unique_ptr<platform::PortListing> machinePorts = platform::systemPortListing(folder);
    platform::QtSerialPort machinePort(*machinePorts);
    platform::QtClock clock;
    // The demo's simulated device (--demo) has its place in front of the machine's ports; without
    // it everything passes through to them.
    shell::DemoLine line(machinePort, *machinePorts, clock);
    platform::QtEventPump pump;
    platform::QtDialogs dialogs(QString::fromLatin1(device::kApplicationTitle));
    platform::CurlTransfer transfer;
    platform::DesktopPrograms programs;
    platform::Services services{line, line, clock, pump, dialogs, transfer, programs, folder, servers};

    // A demo of an earlier version, killed, left its port link behind; it leads to a stranger's
    // terminal now.
    platform::removeLeftoverDemoLinks(folder);
    shell::Tool tool(services);
    dialogs.setParentWindow(&tool.frm);
    tool.Form_Load();
    tool.frm.show();
    // --demo: a simulated TIKA V2, connected once the window is up; it goes before the tool does.
    shell::Demo demo(tool, line);
    if (options.demo)
        QTimer::singleShot(0, &tool.frm, [&demo] { demo.start(); });
    // kill, Ctrl+C and a logout close the tool as its window's close button does (on Windows: a
    // closed console, a logoff or a shutdown); the demo's device goes when `demo` does.
    platform::ShutdownSignals shutdown;
    QObject::connect(&shutdown, &platform::ShutdownSignals::requested, &tool.frm, [&tool] { tool.frm.close(); });
    return QApplication::exec();
}
