#include "firmware/ui/Qmr51Upgrade.h"
#include "device/ui/ConnectHandler.h"
#include "firmware/IntelHex.h"
#include "firmware/UpgradeFrames.h"
#include "firmware/UpgradeList.h"
#include "firmware/ui/FirmwareDownload.h"
#include "firmware/ui/ProgressHost.h"
#include "firmware/ui/UpgradeProgress.h"
#include "firmware/ui/UpgradeWaits.h"
#include "link/Commands.h"
#include "link/PortSearch.h"
#include "shell/Captions.h"
#include "platform/Waits.h"
#include "shell/ui/Tool.h"
#include <QComboBox>
#include <QDir>
#include <QFile>

namespace firmware {

namespace {

constexpr double kListStartSeconds = 0.5;
constexpr double kReconnectPauseSeconds = 0.2;
constexpr std::chrono::milliseconds kRestartPass{200};

const QString kListPath = QStringLiteral("/DENA_UPGlist.bin");
const QString kHexPath = QStringLiteral("/QMR51v2.hex");
const QString kNothingSent = QStringLiteral(" Nothing was sent; the QMR51 keeps its present firmware.");

QByteArray readWhole(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

Qmr51Upgrade::Qmr51Upgrade(shell::Tool& tool, ProgressHost& progress) : tool_(tool), progress_(progress) {}

QString Qmr51Upgrade::temporaryFile() const { return QDir(tool_.svc.programFolder).filePath(QStringLiteral("temp.tmp")); }

bool Qmr51Upgrade::run()
{
    if (!ensurePortOpen())
        return true;
    const std::optional<std::array<std::uint8_t, 4>> latest = checkVersion();
    if (!latest)
        return true;
    const std::optional<QByteArray> image = downloadImage();
    if (!image)
        return true;
    switch (sendImage(*image, *latest)) {
    case TransferOutcome::UploadFailed:
        tool_.svc.dialogs.message(QStringLiteral("Upload failed. Please retry"));
        progress_.unload();
        return false;
    case TransferOutcome::ClosingFailed:
        tool_.svc.dialogs.message(QStringLiteral("Upgrading failed. Please retry"));
        progress_.unload();
        return false;
    case TransferOutcome::Done:
        break;
    }
    restart(blockCount(*image));
    return true;
}

// A forced upgrade may find the port closed (the port search closes it when no device answered).
// The blocks must go to the port chosen in the list, so it is opened here; without it nothing can
// be sent and the user is told before anything is downloaded.
bool Qmr51Upgrade::ensurePortOpen()
{
    auto& svc = tool_.svc;
    if (svc.port.isOpen())
        return true;
    const QString entry = tool_.frm.cmbComPort->currentText();
    const std::optional<int> port = comlink::portNumberOfEntry(entry);
    if (entry.isEmpty() || !port || *port == 0) {
        svc.dialogs.message(QStringLiteral("No serial port is chosen for the QMR51 upgrade. Choose the port of the QMR51 "
                                           "in the port list and retry.") + kNothingSent);
        return false;
    }
    const std::optional<std::uint8_t> opened = tool_.serial.OpenCom(static_cast<std::uint8_t>(*port));
    if (!opened) {
        const QString why = svc.port.lastError();
        svc.dialogs.message(QStringLiteral("The QMR51 upgrade needs COM%1, but that port cannot be opened%2.")
                                .arg(*port)
                                .arg(why.isEmpty() ? QString() : QStringLiteral(" (") + why + QLatin1Char(')'))
                            + kNothingSent);
        return false;
    }
    tool_.state.ComPort = opened;
    return true;
}

std::optional<std::array<std::uint8_t, 4>> Qmr51Upgrade::checkVersion()
{
    auto& svc = tool_.svc;
    auto& state = tool_.state;
    FirmwareDownload download(svc, {tool_.frm.TimeOut2, tool_.frm.TimeOut}, temporaryFile());
    download.removeLocalFile();
    state.UpgradeCancelled = 0;
    progress_.setCaption(QStringLiteral("QMR51 Upgrade firmware"));
    progress_.setStatus(QStringLiteral("Checking Online version..."));
    progress_.setValue(0);
    progress_.makeVisible();

    int percent = 0;
    const FirmwareDownload::Result list =
        download.fetch(svc.servers.firmwareServer, kListPath, kListStartSeconds, kListSeconds, [&](double, const auto&) {
            percent = nextPollPercent(percent);
            progress_.setValue(percent);
        });
    const std::optional<std::array<std::uint8_t, 4>> latest =
        list.succeeded ? latestFirmwareVersion(readWhole(temporaryFile())) : std::nullopt;
    if (!latest) {
        progress_.unload();
        svc.dialogs.message(QStringLiteral("QMR51 firmware could not be downloaded. Please retry"));
        return std::nullopt;
    }
    progress_.setValue(10);
    if (*latest == state.FwVersion) {
        progress_.unload();
        svc.dialogs.message(QStringLiteral("QMR51 allready runs on latest firmware version"));
        return std::nullopt;
    }
    if (!svc.dialogs.askYesNo(QStringLiteral("Are you sure to download latest firmware V") + shell::versionText(*latest)
                              + QStringLiteral(" and upload to QMR51"))) {
        progress_.unload();
        return std::nullopt;
    }
    return latest;
}

std::optional<QByteArray> Qmr51Upgrade::downloadImage()
{
    auto& svc = tool_.svc;
    FirmwareDownload download(svc, {tool_.frm.TimeOut2, tool_.frm.TimeOut}, temporaryFile());
    download.removeLocalFile();
    progress_.setStatus(QStringLiteral("Downloading firmware..."));
    const FirmwareDownload::Result hex =
        download.fetch(svc.servers.firmwareServer, kHexPath, 0.0, kHexSeconds, [&](double left, const auto& job) {
            progress_.setValue(downloadPercent(job.bytesReceived(), job.expectedBytes(), kHexSeconds - left));
        });
    if (!hex.finished) {
        refuse(QStringLiteral("The QMR51 firmware download did not finish within %1 s. Please retry.").arg(kHexSeconds));
        return std::nullopt;
    }
    if (!hex.succeeded) {
        refuse(QStringLiteral("The QMR51 firmware could not be downloaded (%1). Please retry.").arg(hex.error));
        return std::nullopt;
    }
    if (hex.expectedBytes >= 0 && hex.fileBytes != hex.expectedBytes) {
        refuse(QStringLiteral("The QMR51 firmware download is incomplete: %1 of %2 bytes arrived. Please retry.")
                   .arg(hex.fileBytes)
                   .arg(hex.expectedBytes));
        return std::nullopt;
    }
    progress_.setValue(90);
    const HexImage loaded = Hex2BinString(temporaryFile(), true, svc.dialogs);
    if (!loaded.refusal.isEmpty()) {
        refuse(loaded.refusal);
        return std::nullopt;
    }
    if (!loaded.clean) {
        refuse(QStringLiteral("The QMR51 firmware file is damaged: it has a checksum error or ends without its "
                              "end-of-file record. Please retry."));
        return std::nullopt;
    }
    const QString unfit = imageRefusal(loaded.image);
    if (!unfit.isEmpty()) {
        refuse(unfit);
        return std::nullopt;
    }
    return padToBlocks(loaded.image);
}

void Qmr51Upgrade::refuse(const QString& why)
{
    progress_.unload();
    QString text = why;
    if (!text.contains(QLatin1String("nothing was sent"), Qt::CaseInsensitive))
        text += kNothingSent;
    tool_.svc.dialogs.message(text);
}

Qmr51Upgrade::TransferOutcome Qmr51Upgrade::sendImage(const QByteArray& image, const std::array<std::uint8_t, 4>& version)
{
    auto& state = tool_.state;
    const int count = blockCount(image);
    int block = 0;
    acknowledged_ = 0;
    blocksDone_ = 0;
    state.UpgradeCancelled = 0;
    progress_.makeVisible();
    while (block < count && state.UpgradeCancelled == 0) {
        progress_.setStatus(QStringLiteral("Sending block %1/%2").arg(block + 1).arg(count));
        progress_.setValue(blockPercent(block, count));
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
        if (tool_.exchange.SendCommand(command, frame) == QByteArray(1, char(comlink::kOk))) {
            ++acknowledged_;
            return true;
        }
    }
    return false;
}

void Qmr51Upgrade::restart(int blocks)
{
    auto& svc = tool_.svc;
    auto& f = tool_.frm;
    progress_.setStatus(QStringLiteral("QMR51 is rebooting..."));
    progress_.setValue(countdownPercent(kRestartSeconds, kRestartSeconds));
    platform::waitHandlingEvents(svc.clock, svc.pump, f.TimeOut2, kRestartSeconds, kRestartPass, [&](double left) {
        progress_.setValue(countdownPercent(left, kRestartSeconds));
    });
    // The closing frame counts as a block too, so after a whole transfer the bar ends full.
    progress_.setValue(blockPercent(blocksDone_, blocks));
    progress_.unload();
    svc.port.close();
    pauseHandlingEvents(svc.clock, svc.pump, f.TimeOut2, kReconnectPauseSeconds);
    tool_.connection().cmdOpenCom_Click();
}

} // namespace firmware
