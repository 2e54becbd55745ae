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
    // Both fetch into localPath (created or replaced) and fail a download whose file would be
    // larger than maxBytes: at once when the server announces the size, else as soon as more has
    // arrived (a part may be left at localPath then). No file the tool takes is anywhere near its
    // limit; a server that sends more is wrong or hostile and must not fill the disk.
    //
    // account.host is "host", "host:port" or, with a scheme, "ftp://host[:port]" or
    // "ftps://host[:port]" (FTP over TLS, the server's certificate checked). Fetches
    // <scheme>://host/remotePath, ftp:// when no scheme is given.
    virtual std::shared_ptr<TransferJob> ftpGet(const FtpAccount& account, const QString& remotePath,
                                                const QString& localPath, qint64 maxBytes) = 0;
    // An http:// or https:// URL (https: the server's certificate checked, and never redirected to
    // plain http).
    virtual std::shared_ptr<TransferJob> httpGet(const QString& url, const QString& localPath, qint64 maxBytes) = 0;
};

} // namespace platform
