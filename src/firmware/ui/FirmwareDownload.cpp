#include "firmware/ui/FirmwareDownload.h"
#include <QFile>
#include <QFileInfo>

namespace firmware {

namespace {
// The transfer client looks at a cancel request about once a second.
constexpr double kCancelSeconds = 5.0;
} // namespace

FirmwareDownload::FirmwareDownload(platform::Services& services, WaitDeadlines deadlines, const QString& localPath)
    : svc_(services), deadlines_(deadlines), localPath_(localPath)
{
}

void FirmwareDownload::removeLocalFile()
{
    QFile::remove(localPath_);
    svc_.pump.processEvents();
}

FirmwareDownload::Result FirmwareDownload::fetch(
    const platform::FtpAccount& account, const QString& remotePath, double startSeconds, double seconds,
    const std::function<void(double, const platform::TransferJob&)>& eachPass)
{
    std::shared_ptr<platform::TransferJob> job = svc_.transfer.ftpGet(account, remotePath, localPath_);
    const auto ended = [&job] { return job->finished(); };
    if (startSeconds > 0)
        pauseHandlingEvents(svc_.clock, svc_.pump, deadlines_.whole, startSeconds);
    waitUntil(svc_.clock, svc_.pump, deadlines_, seconds, ended, [&](double left) {
        if (eachPass)
            eachPass(left, *job);
    });

    Result result;
    result.finished = job->finished();
    if (!result.finished) {
        job->cancel();
        waitUntil(svc_.clock, svc_.pump, deadlines_, kCancelSeconds, ended);
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
