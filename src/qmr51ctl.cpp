// qmr51ctl: the tool without a window (see qmr51ctl --help). Qt Core only: it runs without a display.
#include "platform/CurlTransfer.h"
#include "platform/QtClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtPrograms.h"
#include "platform/QtSerialPort.h"
#include "platform/SystemPortListing.h"
#include "shell/cli/Environment.h"
#include <QCoreApplication>
#include <atomic>
#include <csignal>

namespace {

std::atomic<int> interruptions{0};

// Ctrl+C and SIGTERM ask the running command to stop at its next safe point: a read ends after
// the reading under way, an upgrade stops before its next block.
void onStopSignal(int) { interruptions.fetch_add(1); }

void catchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qmr51ctl"));
    catchStopSignals();

    platform::QtClock clock;
    platform::QtEventPump pump;
    platform::CurlTransfer transfer;
    platform::QtPrograms programs;
    shell::cli::StdConsole console;
    shell::cli::Environment env{
        QCoreApplication::applicationDirPath(),
        [](const QString& folder) { return std::make_unique<platform::SystemPortListing>(folder); },
        [](platform::PortListing& listing) { return std::make_unique<platform::QtSerialPort>(listing); },
        clock,
        pump,
        transfer,
        programs,
        platform::defaultServers(),
        console,
        [] { return interruptions.load(); },
        shell::cli::readSystemFacts,
    };
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return shell::cli::runQmr51ctl(arguments, env);
}
