#pragma once
#include <QString>
#include <memory>

namespace platform {

// A download running off the interface thread. Poll it; the window keeps working meanwhile.
class TransferJob {
public:
    virtual ~TransferJob() = default;
    virtual bool finished() const = 0;
    // Finished, and the server answered with success.
    virtual bool succeeded() const = 0;
    virtual qint64 bytesReceived() const = 0;
    // The size the server announced, or -1 when it announced none.
    virtual qint64 expectedBytes() const = 0;
    // Why it failed, for the user.
    virtual QString error() const = 0;
    // Asks the transfer to stop; finished() becomes true soon after.
    virtual void cancel() = 0;
};

struct FtpAccount {
    QString host;
    QString user;
    QString password;
};

class FileTransfer {
public:
    virtual ~FileTransfer() = default;
    // Fetches ftp://host/remotePath into localPath (created or replaced).
    virtual std::shared_ptr<TransferJob> ftpGet(const FtpAccount& account, const QString& remotePath,
                                                const QString& localPath) = 0;
    // Fetches an http(s) URL into localPath (created or replaced).
    virtual std::shared_ptr<TransferJob> httpGet(const QString& url, const QString& localPath) = 0;
};

} // namespace platform
