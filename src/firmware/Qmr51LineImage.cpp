#include "firmware/Qmr51LineImage.h"
#include "firmware/DownloadLimits.h"
#include "firmware/FirmwareDownload.h"
#include "firmware/IntelHex.h"
#include "firmware/Qmr51Upgrade.h"
#include "firmware/UpgradeFrames.h"
#include "firmware/UpgradeList.h"
#include <QFileInfo>

namespace firmware {

namespace {

Qmr51LineImage fromHex(const HexImage& loaded, Qmr51LineImage result)
{
    if (!loaded.refusal.isEmpty()) {
        result.problem = loaded.refusal;
        return result;
    }
    if (!loaded.clean) {
        result.problem = QStringLiteral("The QMR51 firmware file is damaged: it has a checksum error or ends without its "
                                        "end-of-file record.");
        return result;
    }
    result.problem = imageRefusal(loaded.image);
    if (result.problem.isEmpty())
        result.image = padToBlocks(loaded.image);
    return result;
}

} // namespace

Qmr51LineImage latestQmr51Image(platform::FileTransfer& transfer, platform::Waiting& waits,
                                const platform::FtpAccount& server, const QString& programFolder)
{
    Qmr51LineImage result;
    result.name = QString::fromLatin1(Qmr51Upgrade::kHexPath).mid(1);
    result.downloadFailed = true;
    FirmwareDownload listDownload(transfer, waits, programFolder);
    const FirmwareDownload::Result list = listDownload.fetch(server, QString::fromLatin1(Qmr51Upgrade::kListPath),
                                                             kUpgradeListMaxBytes, 0.0, Qmr51Upgrade::kListSeconds, {});
    const auto latest = list.succeeded ? latestFirmwareVersion(listDownload.read(kUpgradeListMinBytes)) : std::nullopt;
    if (!latest) {
        result.problem = QStringLiteral("QMR51 firmware could not be downloaded. Please retry");
        return result;
    }
    result.version = *latest;
    FirmwareDownload hexDownload(transfer, waits, programFolder);
    const FirmwareDownload::Result hex = hexDownload.fetch(server, QString::fromLatin1(Qmr51Upgrade::kHexPath),
                                                           kHexFileMaxBytes, 0.0, Qmr51Upgrade::kHexSeconds, {});
    if (!hex.succeeded || (hex.expectedBytes >= 0 && hex.fileBytes != hex.expectedBytes)) {
        result.problem = QStringLiteral("The QMR51 firmware could not be downloaded whole%1. Please retry.")
                             .arg(hex.error.isEmpty() ? QString() : QStringLiteral(" (") + hex.error + QLatin1Char(')'));
        return result;
    }
    result.downloadFailed = false;
    return fromHex(hexFileToImage(hexDownload.localPath(), true), result);
}

Qmr51LineImage qmr51ImageFromFile(const QString& hexFile, const std::array<std::uint8_t, 4>& version)
{
    Qmr51LineImage result;
    result.name = QFileInfo(hexFile).fileName();
    result.version = version;
    return fromHex(hexFileToImage(hexFile, true), result);
}

} // namespace firmware
