#include "FakePlatform.h"
#include <QFile>

namespace fakes {

std::shared_ptr<platform::TransferJob> FakeFileTransfer::deliver(const QString& key, const QString& localPath, qint64 maxBytes)
{
    requests.append(key);
    auto job = std::make_shared<FakeTransferJob>();
    const QByteArray content = files.value(key);
    QFile out(localPath);
    if (!files.contains(key)) {
        job->why = QStringLiteral("550 not found");
    } else if (content.size() > maxBytes) {
        job->expected = content.size();
        job->why = QStringLiteral("the file is larger than %1 bytes").arg(maxBytes);
    } else if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        job->why = out.errorString();
    } else {
        out.write(content);
        job->bytes = job->expected = content.size();
    }
    job->ok = job->why.isEmpty();
    return job;
}

} // namespace fakes
