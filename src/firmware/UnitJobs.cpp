#include "firmware/UnitJobs.h"
#include "device/Captions.h"
#include "firmware/Qmr51Upgrade.h"
#include "firmware/TikaFlash.h"
#include "firmware/UnitHost.h"
#include "firmware/UpgradeFrames.h"
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <cmath>

namespace firmware {

namespace {

// A device that restarted is asked again this long; each connect takes about 1.3 s (drain and
// reply time), so this is a few tries.
constexpr double kReconnectSeconds = 5.0;
constexpr double kReconnectPauseSeconds = 0.25;

using device::UnitClass;
using device::UnitEnd;

// The units never download: an upgrade's image comes with the plan.
class NoDownloads : public platform::FileTransfer {
    struct Refused : platform::TransferJob {
        bool finished() const override { return true; }
        bool succeeded() const override { return false; }
        qint64 bytesReceived() const override { return 0; }
        qint64 expectedBytes() const override { return -1; }
        QString error() const override { return QStringLiteral("a unit downloads nothing"); }
        void cancel() override {}
    };

public:
    std::shared_ptr<platform::TransferJob> ftpGet(const platform::FtpAccount&, const QString&, const QString&, qint64) override
    {
        return std::make_shared<Refused>();
    }
    std::shared_ptr<platform::TransferJob> httpGet(const QString&, const QString&, qint64) override
    {
        return std::make_shared<Refused>();
    }
};

QString portName(device::UnitWork& work)
{
    const device::UnitAttempt& a = work.attempt();
    return a.devicePath.isEmpty() ? QStringLiteral("COM%1").arg(a.portNumber)
                                  : QStringLiteral("COM%1 (%2)").arg(a.portNumber).arg(a.devicePath);
}

UnitEnd flashUnit(device::UnitWork& work, const FlashPlan& plan)
{
    device::Session& session = work.session();
    if (!device::isTika(session.kind()))
        return {UnitClass::RefusedInput,
                QStringLiteral("%1 holds a QMR51: a QMR51 is upgraded over its own line, not flashed.").arg(portName(work))};
    UnitHost host(work, QStringLiteral("esptool"));
    TikaFlash flash(session, work.platform().programs(), plan.programFolder, host);
    flash.setBootWaitSeconds(plan.bootWaitSeconds);
    const QString imagePath = plan.imageFile.isEmpty() ? flash.imageFile() : plan.imageFile;
    describeImageFile(work.attempt(), imagePath);
    if (work.stopRequested())
        return {UnitClass::Interrupted, QStringLiteral("Stopped before esptool started: the module keeps its firmware.")};
    work.progress(QStringLiteral("esptool"), 0);
    const TikaFlash::Result flashed = flash.run(plan.imageFile);
    if (flashed.outcome == TikaFlash::Outcome::Stopped)
        return {UnitClass::Interrupted, QStringLiteral("Stopped while esptool was writing: ") + flashed.message};
    if (flashed.outcome != TikaFlash::Outcome::Flashed)
        return {unitClassOf(flashed.outcome), flashed.message};
    // The flash asked the booting module until it answered: no answer within the boot wait is a
    // module that does not start.
    if (flashed.reconnectMs < 0)
        return {UnitClass::NoDevice, QStringLiteral("%1 does not answer within %2 s after esptool.")
                                         .arg(portName(work)).arg(plan.bootWaitSeconds)};
    if (const UnitEnd back = reconnectUnit(work, kReconnectSeconds); back.result != UnitClass::Passed)
        return back;
    work.attempt().reconnectMs = flashed.reconnectMs;
    const device::UnitAttempt& a = work.attempt();
    if (!plan.sameVersionOk && a.firmwareAfter == a.firmwareBefore)
        return {UnitClass::Version, QStringLiteral("After the flash %1 reports firmware %2, as before: the new image did not take.")
                                        .arg(portName(work), device::versionText(*a.firmwareAfter))};
    // A stop during esptool lets it finish: a module cut off half way does not start.
    if (work.stopRequested())
        return {UnitClass::Passed, QStringLiteral("Stopped once esptool had finished; the module answers with %1.")
                                       .arg(device::versionText(*a.firmwareAfter))};
    return {};
}

UnitEnd upgradeUnit(device::UnitWork& work, const UpgradePlan& plan)
{
    device::Session& session = work.session();
    if (device::isTika(session.kind()))
        return {UnitClass::RefusedInput, QStringLiteral("%1 holds a %2: a TIKA module is flashed, not upgraded.")
                                             .arg(portName(work), device::displayName(*session.kind()))};
    describeImage(work.attempt(), plan.imageName, plan.image);
    if (session.firmware() == plan.version) {
        work.attempt().firmwareAfter = session.firmware();
        return {UnitClass::Passed, QStringLiteral("runs firmware %1 already: nothing was sent.").arg(device::versionText(plan.version))};
    }
    if (work.stopRequested())
        return {UnitClass::Interrupted, QStringLiteral("Stopped before the transfer: the QMR51 keeps its firmware.")};
    UnitHost host(work, QStringLiteral("transfer"), [](const QString& status) {
        return status.contains(QLatin1String("rebooting")) ? QStringLiteral("restart") : QString();
    });
    NoDownloads none;
    Qmr51Upgrade upgrade(session, none, {}, plan.programFolder, host);
    work.progress(QStringLiteral("transfer"), 0);
    const Qmr51Upgrade::Result result = upgrade.sendAndRestart(plan.image, plan.version);
    if (host.cancelSeen())
        return {UnitClass::Interrupted, QStringLiteral("Stopped after %1 of %2 blocks: the QMR51 sees that the image is not "
                                                       "whole and keeps its firmware.")
                                            .arg(std::max(0, upgrade.framesAcknowledged() - 1)).arg(blockCount(plan.image))};
    switch (result.outcome) {
    case Qmr51Upgrade::Outcome::NotStarted:
        return {unitClassOf(result.because), result.message};
    case Qmr51Upgrade::Outcome::TransferFailed:
        return {UnitClass::Transfer, result.message};
    case Qmr51Upgrade::Outcome::Restarted:
        break;
    }
    if (const UnitEnd back = reconnectUnit(work, kReconnectSeconds); back.result != UnitClass::Passed)
        return back;
    const device::FirmwareVersion now = *work.attempt().firmwareAfter;
    if (now != plan.version)
        return {UnitClass::Version, QStringLiteral("After the restart %1 reports firmware %2, not %3: the new firmware did not take.")
                                        .arg(portName(work), device::versionText(now), device::versionText(plan.version))};
    return {};
}

} // namespace

void describeImage(device::UnitAttempt& attempt, const QString& name, const QByteArray& bytes)
{
    attempt.imageName = name;
    attempt.imageBytes = bytes.size();
    attempt.imageSha256 = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

void describeImageFile(device::UnitAttempt& attempt, const QString& path)
{
    QFile file(path);
    attempt.imageName = QFileInfo(path).fileName();
    if (file.open(QIODevice::ReadOnly))
        describeImage(attempt, attempt.imageName, file.readAll());
}

UnitEnd reconnectUnit(device::UnitWork& work, double seconds)
{
    work.progress(QStringLiteral("verify"), 0);
    device::Session& session = work.session();
    platform::Waiting& waits = session.waits();
    const std::uint8_t port = static_cast<std::uint8_t>(work.attempt().portNumber);
    const double start = waits.elapsedSeconds();
    for (;;) {
        session.close();
        if (session.connect(port) == device::Session::ConnectOutcome::Connected) {
            work.attempt().firmwareAfter = session.firmware();
            work.attempt().reconnectMs = std::llround((waits.elapsedSeconds() - start) * 1000.0);
            work.progress(QStringLiteral("verify"), 100);
            return {};
        }
        if (work.stopNow() || waits.elapsedSeconds() - start >= seconds)
            return {UnitClass::NoDevice, QStringLiteral("%1 does not answer after the restart.").arg(portName(work))};
        waits.pause(kReconnectPauseSeconds);
    }
}

device::UnitJob flashJob(FlashPlan plan)
{
    return [plan = std::move(plan)](device::UnitWork& work) { return flashUnit(work, plan); };
}

device::UnitJob upgradeJob(UpgradePlan plan)
{
    return [plan = std::move(plan)](device::UnitWork& work) { return upgradeUnit(work, plan); };
}

} // namespace firmware
