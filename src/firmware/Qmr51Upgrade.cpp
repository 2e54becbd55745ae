#include "firmware/Qmr51Upgrade.h"
#include "device/Session.h"
#include "firmware/DownloadLimits.h"
#include "firmware/FirmwareDownload.h"
#include "firmware/IntelHex.h"
#include "firmware/UpgradeFrames.h"
#include "firmware/UpgradeList.h"
#include "firmware/UpgradeProgress.h"
#include "link/Commands.h"
#include "platform/Waits.h"
#include "device/Captions.h"

namespace firmware {

namespace {

constexpr double kListStartSeconds = 0.5;
constexpr double kReconnectPauseSeconds = 0.2;
constexpr std::chrono::milliseconds kRestartPass{200};

const QString kNothingSent = QStringLiteral(" Nothing was sent; the QMR51 keeps its present firmware.");

} // namespace

Qmr51Upgrade::Qmr51Upgrade(device::Session& session, platform::FileTransfer& transfer, platform::FtpAccount server,
                           QString programFolder, UpgradeHost& host)
    : session_(session), transfer_(transfer), server_(std::move(server)), programFolder_(std::move(programFolder)), host_(host)
{
}

Qmr51Upgrade::Result Qmr51Upgrade::run()
{
    notStarted_ = NotStartedBecause::Nothing;
    told_.clear();
    session_.beginUpgrade(QStringLiteral("upgrade"));
    if (!ensurePortOpen())
        return ended(Outcome::NotStarted);
    const std::optional<std::array<std::uint8_t, 4>> latest = checkVersion();
    if (!latest)
        return ended(Outcome::NotStarted);
    const std::optional<QByteArray> image = downloadImage();
    if (!image)
        return ended(Outcome::NotStarted);
    return sendAndRestart(*image, *latest);
}

Qmr51Upgrade::Result Qmr51Upgrade::sendAndRestart(const QByteArray& image, const std::array<std::uint8_t, 4>& version)
{
    notStarted_ = NotStartedBecause::Nothing;
    session_.beginUpgrade(QStringLiteral("upgrade"));
    if (!ensurePortOpen())
        return ended(Outcome::NotStarted);
    switch (sendImage(image, version)) {
    case TransferOutcome::UploadFailed:
        tell(QStringLiteral("Upload failed. Please retry"));
        host_.unload();
        return ended(Outcome::TransferFailed);
    case TransferOutcome::ClosingFailed:
        tell(QStringLiteral("Upgrading failed. Please retry"));
        host_.unload();
        return ended(Outcome::TransferFailed);
    case TransferOutcome::Done:
        break;
    }
    restart(blockCount(image));
    return ended(Outcome::Restarted);
}

Qmr51Upgrade::Result Qmr51Upgrade::ended(Outcome outcome)
{
    // Nothing was sent: the device is as it was, and so is the session. After a transfer that
    // failed the QMR51 waits in its boot loader for a retry, and after a restart it is gone until
    // the next connect: the session stays Upgrading in both.
    if (outcome == Outcome::NotStarted)
        session_.upgradeNotStarted();
    return {outcome, notStarted_, told_};
}

void Qmr51Upgrade::tell(const QString& text)
{
    told_ = text;
    host_.message(text);
}

// A forced upgrade may find the port closed (the port search closes it when no device answered).
// The blocks must go to the port chosen in the list, so it is opened here; without it nothing can
// be sent and the user is told before anything is downloaded.
bool Qmr51Upgrade::ensurePortOpen()
{
    if (session_.isOpen())
        return true;
    const std::optional<std::uint8_t> port = session_.portNumber();
    if (!port || *port == 0) {
        notStarted_ = NotStartedBecause::NoPort;
        tell(QStringLiteral("No serial port is chosen for the QMR51 upgrade. Choose the port of the QMR51 "
                                     "in the port list and retry.") + kNothingSent);
        return false;
    }
    if (QString why; !session_.reopen(why)) {
        notStarted_ = NotStartedBecause::NoPort;
        tell(QStringLiteral("The QMR51 upgrade needs COM%1, but that port cannot be opened%2.")
                 .arg(*port)
                 .arg(why.isEmpty() ? QString() : QStringLiteral(" (") + why + QLatin1Char(')'))
             + kNothingSent);
        return false;
    }
    return true;
}

std::optional<std::array<std::uint8_t, 4>> Qmr51Upgrade::checkVersion()
{
    FirmwareDownload download(transfer_, session_.waits(), programFolder_);
    host_.clearCancel();
    host_.setCaption(QStringLiteral("QMR51 Upgrade firmware"));
    host_.setStatus(QStringLiteral("Checking Online version..."));
    host_.setValue(0);
    host_.makeVisible();

    int percent = 0;
    const FirmwareDownload::Result list =
        download.fetch(server_, QString::fromLatin1(kListPath), kUpgradeListMaxBytes, kListStartSeconds, kListSeconds, [&](double, const auto&) {
            percent = nextPollPercent(percent);
            host_.setValue(percent);
        });
    const std::optional<std::array<std::uint8_t, 4>> latest =
        list.succeeded ? latestFirmwareVersion(download.read(kUpgradeListMinBytes)) : std::nullopt;
    if (!latest) {
        notStarted_ = NotStartedBecause::ListMissing;
        host_.unload();
        tell(QStringLiteral("QMR51 firmware could not be downloaded. Please retry"));
        return std::nullopt;
    }
    host_.setValue(10);
    if (*latest == session_.firmware()) {
        notStarted_ = NotStartedBecause::UpToDate;
        host_.unload();
        tell(QStringLiteral("QMR51 allready runs on latest firmware version"));
        return std::nullopt;
    }
    if (!host_.askYesNo(QStringLiteral("Are you sure to download latest firmware V") + device::versionText(*latest)
                              + QStringLiteral(" and upload to QMR51"))) {
        notStarted_ = NotStartedBecause::Declined;
        host_.unload();
        return std::nullopt;
    }
    return latest;
}

std::optional<QByteArray> Qmr51Upgrade::downloadImage()
{
    FirmwareDownload download(transfer_, session_.waits(), programFolder_);
    host_.setStatus(QStringLiteral("Downloading firmware..."));
    const FirmwareDownload::Result hex =
        download.fetch(server_, QString::fromLatin1(kHexPath), kHexFileMaxBytes, 0.0, kHexSeconds, [&](double left, const auto& job) {
            host_.setValue(downloadPercent(job.bytesReceived(), job.expectedBytes(), kHexSeconds - left));
        });
    if (!hex.finished) {
        refuse(QStringLiteral("The QMR51 firmware download did not finish within %1 s. Please retry.").arg(kHexSeconds),
               NotStartedBecause::DownloadFailed);
        return std::nullopt;
    }
    if (!hex.succeeded) {
        refuse(QStringLiteral("The QMR51 firmware could not be downloaded (%1). Please retry.").arg(hex.error),
               NotStartedBecause::DownloadFailed);
        return std::nullopt;
    }
    if (hex.expectedBytes >= 0 && hex.fileBytes != hex.expectedBytes) {
        refuse(QStringLiteral("The QMR51 firmware download is incomplete: %1 of %2 bytes arrived. Please retry.")
                   .arg(hex.fileBytes)
                   .arg(hex.expectedBytes),
               NotStartedBecause::DownloadFailed);
        return std::nullopt;
    }
    host_.setValue(90);
    return imageFromHexFile(download.localPath());
}

std::optional<QByteArray> Qmr51Upgrade::imageFromHexFile(const QString& hexFile)
{
    notStarted_ = NotStartedBecause::Nothing;
    const HexImage loaded = hexFileToImage(hexFile, true);
    for (const QString& warning : hexWarningsToShow(loaded.warnings))
        host_.message(warning);
    if (!loaded.refusal.isEmpty()) {
        refuse(loaded.refusal, NotStartedBecause::ImageRefused);
        return std::nullopt;
    }
    if (!loaded.clean) {
        refuse(QStringLiteral("The QMR51 firmware file is damaged: it has a checksum error or ends without its "
                              "end-of-file record. Please retry."),
               NotStartedBecause::ImageRefused);
        return std::nullopt;
    }
    const QString unfit = imageRefusal(loaded.image);
    if (!unfit.isEmpty()) {
        refuse(unfit, NotStartedBecause::ImageRefused);
        return std::nullopt;
    }
    return padToBlocks(loaded.image);
}

void Qmr51Upgrade::refuse(const QString& why, NotStartedBecause because)
{
    notStarted_ = because;
    host_.unload();
    QString text = why;
    if (!text.contains(QLatin1String("nothing was sent"), Qt::CaseInsensitive))
        text += kNothingSent;
    tell(text);
}

Qmr51Upgrade::TransferOutcome Qmr51Upgrade::sendImage(const QByteArray& image, const std::array<std::uint8_t, 4>& version)
{
    const int count = blockCount(image);
    int block = 0;
    acknowledged_ = 0;
    versionSent_ = version;
    blocksDone_ = 0;
    host_.clearCancel();
    host_.makeVisible();
    while (block < count && !host_.cancelRequested()) {
        host_.setStatus(QStringLiteral("Sending block %1/%2").arg(block + 1).arg(count));
        host_.setValue(blockPercent(block, count));
        if (!sendAcknowledged(comlink::kFirmwareBlock, dataBlockFrame(image, block)))
            return TransferOutcome::UploadFailed;
        ++block;
    }
    // Even after Cancel: the closing frame carries the whole image's block count and CRC, so the
    // QMR51 can compare them with what it received and see that the image is not whole.
    if (!sendAcknowledged(comlink::kFirmwareClose, closingFrame(image, version)))
        return TransferOutcome::ClosingFailed;
    ++block;
    blocksDone_ = block;
    return TransferOutcome::Done;
}

bool Qmr51Upgrade::sendAcknowledged(std::uint8_t command, const QByteArray& frame)
{
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (session_.request(command, frame).ok()) {
            ++acknowledged_;
            return true;
        }
    }
    return false;
}

void Qmr51Upgrade::restart(int blocks)
{
    host_.setStatus(QStringLiteral("QMR51 is rebooting..."));
    host_.setValue(countdownPercent(kRestartSeconds, kRestartSeconds));
    session_.waits().countDown(kRestartSeconds, kRestartPass,
                               [&](double left) { host_.setValue(countdownPercent(left, kRestartSeconds)); });
    // The closing frame counts as a block too, so after a whole transfer the bar ends full.
    host_.setValue(blockPercent(blocksDone_, blocks));
    host_.unload();
    session_.releaseLine();
    session_.waits().pause(kReconnectPauseSeconds);
}

device::UnitClass unitClassOf(Qmr51Upgrade::NotStartedBecause because)
{
    using Because = Qmr51Upgrade::NotStartedBecause;
    switch (because) {
    case Because::UpToDate:
        return device::UnitClass::Passed;
    case Because::NoPort:
        return device::UnitClass::NoDevice;
    case Because::ListMissing:
    case Because::DownloadFailed:
        return device::UnitClass::Download;
    case Because::Nothing:
    case Because::Declined:
    case Because::ImageRefused:
        break;
    }
    return device::UnitClass::RefusedInput;
}

} // namespace firmware
