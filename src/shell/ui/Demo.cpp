#include "shell/ui/Demo.h"
#include "device/ui/ConnectHandler.h"
#include "link/ui/PortList.h"
#include "shell/ui/Tool.h"
#include "sim/Simulator.h"
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <QLabel>

namespace shell {

namespace {
constexpr int kHighestPort = 255;
}

Demo::Demo(Tool& tool) : tool_(tool) {}

Demo::~Demo() { stop(); }

QString Demo::linkPath() const
{
    return portNumber_ == 0 ? QString()
                            : QDir(tool_.svc.programFolder).filePath(QStringLiteral("ports/COM%1").arg(portNumber_));
}

int Demo::freePortNumber() const
{
    // A real adapter keeps its number: the demo takes one that nothing answers to.
    for (int n = 1; n <= kHighestPort; ++n) {
        if (tool_.svc.ports.devicePath(n).isEmpty())
            return n;
    }
    return 0;
}

bool Demo::start()
{
    if (running())
        return true;
    auto& status = *tool_.frm.statusLine;
    portNumber_ = freePortNumber();
    if (portNumber_ == 0) {
        status.setText(QStringLiteral("Demo: every port number 1-255 is taken; no demo device was started."));
        return false;
    }
    auto device = std::make_unique<sim::Simulator>(sim::DeviceProfile::defaults(sim::DeviceKind::TikaV2));
    if (!device->start() || !device->linkAs(linkPath())) {
        status.setText(QStringLiteral("Demo: the simulated device could not be started: ") + device->error());
        portNumber_ = 0;
        return false;
    }
    device->setLive(true);
    device_ = std::move(device);
    QFile note(notePath());
    if (note.open(QIODevice::WriteOnly | QIODevice::Truncate))
        note.write(QByteArray::number(QCoreApplication::applicationPid()));

    // As the port search would list it: the entry, with the device node as its tooltip.
    QComboBox& list = *tool_.frm.cmbComPort;
    comlink::addPortEntry(list, portNumber_, device_->devicePath());
    list.setCurrentIndex(list.count() - 1);
    tool_.connection().connectSelectedPort();
    status.setText(QStringLiteral("Demo: a simulated TIKA V2 answers on COM%1 (%2); its readings change slowly. "
                                  "Start without --demo to work with a real device.")
                       .arg(portNumber_)
                       .arg(device_->devicePath()));
    return true;
}

void Demo::stop()
{
    if (!device_)
        return;
    device_->stop();
    device_.reset();
    QFile::remove(notePath());
    portNumber_ = 0;
}

int Demo::removeLeftovers(const QString& programFolder)
{
    const QDir ports(QDir(programFolder).filePath(QStringLiteral("ports")));
    int removed = 0;
    for (const QString& name : ports.entryList({QStringLiteral("COM*.demo")}, QDir::Files)) {
        QFile note(ports.filePath(name));
        if (!note.open(QIODevice::ReadOnly))
            continue;
        bool number = false;
        const qint64 pid = note.readAll().trimmed().toLongLong(&number);
        note.close();
        // A demo still running in another window keeps its link.
        if (number && pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM))
            continue;
        const QString link = ports.filePath(name.chopped(5));
        if (QFileInfo(link).isSymLink() && QFile::remove(link))
            ++removed;
        QFile::remove(note.fileName());
    }
    return removed;
}

} // namespace shell
