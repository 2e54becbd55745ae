// qmr51-sim: one simulated QMR51 or TIKA module on a pseudo-terminal, for a demonstration and for
// testing the tool by hand.
//
//   qmr51-sim --kind qmr51|tika1|tika2 [--fw a.b.c.d] [--serial S]
//             [--link DIR/ports/COM7 | --folder DIR --com 7] [--live]
//
// Prints the pseudo-terminal's path on the first line of its output and serves until SIGINT or
// SIGTERM. With --link (or --folder and --com) the tool finds the device as that COM port. SIGUSR1
// is a hard reset, as esptool gives at the end of a flash: the device boots for a second, deaf.
#include "sim/Simulator.h"
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <csignal>
#include <cstdio>
#include <pthread.h>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "qmr51-sim: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qmr51-sim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Serves one simulated QMR51 or TIKA module on a pseudo-terminal."));
    parser.addHelpOption();
    const QCommandLineOption kind(QStringLiteral("kind"), QStringLiteral("qmr51, tika1 or tika2."), QStringLiteral("kind"));
    const QCommandLineOption fw(QStringLiteral("fw"), QStringLiteral("Firmware version a.b.c.d."), QStringLiteral("version"));
    const QCommandLineOption serial(QStringLiteral("serial"), QStringLiteral("Serial number (8 characters)."), QStringLiteral("serial"));
    const QCommandLineOption link(QStringLiteral("link"), QStringLiteral("Make this path a link to the device, e.g. DIR/ports/COM7."), QStringLiteral("path"));
    const QCommandLineOption folder(QStringLiteral("folder"), QStringLiteral("The tool's program folder (with --com)."), QStringLiteral("dir"));
    const QCommandLineOption com(QStringLiteral("com"), QStringLiteral("Port number 1..255 (with --folder)."), QStringLiteral("n"));
    const QCommandLineOption live(QStringLiteral("live"), QStringLiteral("Readings change slowly over time."));
    parser.addOptions({kind, fw, serial, link, folder, com, live});
    parser.process(app);

    const auto deviceKind = sim::parseDeviceKind(parser.value(kind));
    if (!deviceKind)
        return fail(QStringLiteral("--kind must be qmr51, tika1 or tika2"));
    sim::DeviceProfile profile = sim::DeviceProfile::defaults(*deviceKind);
    if (parser.isSet(fw)) {
        const auto version = sim::parseFirmwareVersion(parser.value(fw));
        if (!version)
            return fail(QStringLiteral("--fw must be a.b.c.d with numbers 0..255"));
        profile.firmware = *version;
    }
    if (parser.isSet(serial))
        profile.serial = parser.value(serial).toLatin1().left(8);

    QString linkPath = parser.value(link);
    if (parser.isSet(folder) || parser.isSet(com)) {
        bool ok = false;
        const int number = parser.value(com).toInt(&ok);
        if (!parser.isSet(folder) || !ok || number < 1 || number > 255)
            return fail(QStringLiteral("--folder and --com 1..255 go together"));
        linkPath = QDir(parser.value(folder)).filePath(QStringLiteral("ports/COM%1").arg(number));
    }

    // SIGINT, SIGTERM and SIGUSR1 are taken by sigwait below; blocked before the serving thread
    // starts, so that thread never gets them.
    sigset_t handled;
    sigemptyset(&handled);
    sigaddset(&handled, SIGINT);
    sigaddset(&handled, SIGTERM);
    sigaddset(&handled, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &handled, nullptr);

    sim::Simulator simulator(profile);
    if (!simulator.start())
        return fail(simulator.error());
    if (!linkPath.isEmpty() && !simulator.linkAs(linkPath))
        return fail(simulator.error());
    simulator.setLive(parser.isSet(live));

    std::printf("%s\n", qPrintable(simulator.devicePath()));
    std::fflush(stdout);
    std::fprintf(stderr, "qmr51-sim: %s, serial %s, firmware %d.%d.%d.%d%s%s\n",
                 qPrintable(sim::deviceKindName(profile.kind)), profile.serial.constData(), profile.firmware[0],
                 profile.firmware[1], profile.firmware[2], profile.firmware[3],
                 linkPath.isEmpty() ? "" : ", reachable as ", qPrintable(linkPath));

    int received = SIGUSR1;
    while (received == SIGUSR1) {
        if (sigwait(&handled, &received) == 0 && received == SIGUSR1)
            simulator.hardReset();
    }
    simulator.stop();
    return 0;
}
