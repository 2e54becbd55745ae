#include "firmware/FirmwareDownload.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace firmware {

namespace {
// The transfer client looks at a cancel request about once a second.
constexpr double kCancelSeconds = 5.0;
} // namespace

FirmwareDownload::FirmwareDownload(platform::FileTransfer& transfer, platform::Waiting& waits, const QString& programFolder)
    : transfer_(transfer), waits_(waits),
      file_(QDir(programFolder).filePath(QStringLiteral("temp.XXXXXX.tmp")))
{
}

QString FirmwareDownload::localPath() const { return file_.fileName(); }

QByteArray FirmwareDownload::read(qint64 maxBytes) const
{
    QFile file(localPath());
    if (localPath().isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return maxBytes < 0 ? file.readAll() : file.read(maxBytes);
}

FirmwareDownload::Result FirmwareDownload::fetch(
    const platform::FtpAccount& account, const QString& remotePath, qint64 maxBytes, double startSeconds, double seconds,
    const std::function<void(double, const platform::TransferJob&)>& eachPass)
{
    Result result;
    // The name is taken by creating the file; it is closed again so that the transfer client can
    // write it on every system, and it goes when this object does.
    if (!file_.open()) {
        result.error = file_.errorString();
        return result;
    }
    file_.close();
    waits_.processEvents();

    std::shared_ptr<platform::TransferJob> job = transfer_.ftpGet(account, remotePath, localPath(), maxBytes);
    const auto ended = [&job] { return job->finished(); };
    if (startSeconds > 0)
        waits_.pause(startSeconds);
    waits_.until(seconds, ended, [&](double left) {
        if (eachPass)
            eachPass(left, *job);
    });

    result.finished = job->finished();
    if (!result.finished) {
        job->cancel();
        waits_.until(kCancelSeconds, ended);
    }
    result.succeeded = result.finished && job->succeeded();
    result.expectedBytes = job->expectedBytes();
    result.error = job->error();
    job.reset();
    const QFileInfo file(localPath());
    result.fileBytes = file.exists() ? file.size() : 0;
    return result;
}

} // namespace firmware
