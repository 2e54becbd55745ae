// qmr51ctl: the tool without a window (see qmr51ctl --help). Qt Core only: it runs without a display.
#include "platform/CurlTransfer.h"
#include "platform/QtClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtPrograms.h"
#include "platform/QtSerialPort.h"
#include "platform/QtUnitPlatform.h"
#include "platform/StopRequests.h"
#include "platform/SystemPorts.h"
#include "shell/cli/Environment.h"
#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qmr51ctl"));
    // Ctrl+C (and the system ending the program) asks the running command to stop at its next
    // safe point: a read ends after the reading under way, an upgrade stops before its next block.
    platform::StopRequests stopRequests;

    platform::QtClock clock;
    platform::QtEventPump pump;
    platform::CurlTransfer transfer;
    platform::QtPrograms programs;
    shell::cli::StdConsole console;
    shell::cli::Environment env{
        QCoreApplication::applicationDirPath(),
        [](const QString& folder) { return platform::systemPortListing(folder); },
        [](platform::PortListing& listing) { return std::make_unique<platform::QtSerialPort>(listing); },
        clock,
        pump,
        transfer,
        programs,
        platform::defaultServers(),
        console,
        [] { return platform::StopRequests::count(); },
        shell::cli::readSystemFacts,
        platform::QtUnitPlatform::maker(),
    };
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return shell::cli::runQmr51ctl(arguments, env);
}
