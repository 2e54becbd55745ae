#include "firmware/FirmwareDownload.h"
#include <QFile>
#include <QFileInfo>

namespace firmware {

namespace {
// The transfer client looks at a cancel request about once a second.
constexpr double kCancelSeconds = 5.0;
} // namespace

FirmwareDownload::FirmwareDownload(platform::FileTransfer& transfer, platform::Clock& clock, platform::EventPump& pump,
                                   WaitDeadlines deadlines, const QString& localPath)
    : transfer_(transfer), clock_(clock), pump_(pump), deadlines_(deadlines), localPath_(localPath)
{
}

void FirmwareDownload::removeLocalFile()
{
    QFile::remove(localPath_);
    pump_.processEvents();
}

FirmwareDownload::Result FirmwareDownload::fetch(
    const platform::FtpAccount& account, const QString& remotePath, qint64 maxBytes, double startSeconds, double seconds,
    const std::function<void(double, const platform::TransferJob&)>& eachPass)
{
    std::shared_ptr<platform::TransferJob> job = transfer_.ftpGet(account, remotePath, localPath_, maxBytes);
    const auto ended = [&job] { return job->finished(); };
    if (startSeconds > 0)
        pauseHandlingEvents(clock_, pump_, deadlines_.whole, startSeconds);
    waitUntil(clock_, pump_, deadlines_, seconds, ended, [&](double left) {
        if (eachPass)
            eachPass(left, *job);
    });

    Result result;
    result.finished = job->finished();
    if (!result.finished) {
        job->cancel();
        waitUntil(clock_, pump_, deadlines_, kCancelSeconds, ended);
    }
    result.succeeded = result.finished && job->succeeded();
    result.expectedBytes = job->expectedBytes();
    result.error = job->error();
    job.reset();
    const QFileInfo file(localPath_);
    result.fileBytes = file.exists() ? file.size() : 0;
    return result;
}

} // namespace firmware
