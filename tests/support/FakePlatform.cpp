#include "FakePlatform.h"
#include <QFile>

namespace fakes {

std::shared_ptr<platform::TransferJob> FakeFileTransfer::deliver(const QString& key, const QString& localPath, qint64 maxBytes)
{
    requests.append(key);
    auto job = std::make_shared<FakeTransferJob>();
    if (!files.contains(key)) {
        job->ok = false;
        job->why = QStringLiteral("550 not found");
        return job;
    }
    if (files.value(key).size() > maxBytes) {
        job->ok = false;
        job->expected = files.value(key).size();
        job->why = QStringLiteral("the file is larger than %1 bytes").arg(maxBytes);
        return job;
    }
    QFile out(localPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        job->ok = false;
        job->why = out.errorString();
        return job;
    }
    out.write(files.value(key));
    job->bytes = files.value(key).size();
    job->expected = job->bytes;
    return job;
}

} // namespace fakes
