#pragma once
#include "platform/FileTransfer.h"
#include <chrono>

namespace platform {

// Limits of one transfer. A server that stops answering must not keep the upgrade or the
// start-up download waiting for ever, yet a slow line must still be able to finish a HEX file.
struct CurlLimits {
    std::chrono::seconds connectTimeout{10};
    std::chrono::seconds ftpTotalTimeout{120};
    std::chrono::seconds httpTotalTimeout{60};
    // A transfer that moves fewer than lowSpeedBytesPerSecond for lowSpeedWindow is given up.
    long lowSpeedBytesPerSecond = 1;
    std::chrono::seconds lowSpeedWindow{30};
};

// FTP and HTTP downloads with libcurl. Every call starts its own worker thread and returns a job
// at once, so the window keeps painting and its Cancel button stays usable while a file arrives.
//
// The local file is created (or truncated) when the first byte arrives, or at the end of a
// successful transfer of an empty file; a transfer that fails before any data leaves whatever was
// at localPath untouched, one that fails part-way leaves the part it got. The job reports
// finished() only after the file is closed, so its content can be read as soon as it says so.
// A job that knows the announced size (HTTP Content-Length, FTP SIZE) fails when the bytes
// received do not add up to it. One that passes its maxBytes fails with "the file is larger than
// <maxBytes> bytes".
//
// https:// and ftps:// servers are checked against the system's certificate store (or caFile),
// host name included; a server that cannot show a valid certificate gets no request.
//
// Destroying a job that still runs cancels it and waits for its thread (at most about a second,
// the pace at which libcurl looks at the cancel request). ftpGet and httpGet may be called from
// any thread; the CurlTransfer object may go before its jobs.
class CurlTransfer : public FileTransfer {
public:
    // caFile: a PEM file of the certificate authorities to trust instead of the system's (the
    // tests' own authority); empty for the system's store.
    explicit CurlTransfer(CurlLimits limits = {}, QString caFile = {});

    // ftp:// (or ftps://, TLS from the first byte) account.host + remotePath, logged in as
    // account.user, passive mode, never through a proxy: the firmware server is reached directly.
    // account.host may carry a ":port".
    std::shared_ptr<TransferJob> ftpGet(const FtpAccount& account, const QString& remotePath,
                                        const QString& localPath, qint64 maxBytes) override;
    // Follows redirects (from https:// only to https://); an HTTP status of 400 or more fails the
    // job and writes nothing. Asks caches on the way for a fresh copy, so a module image is never
    // an old one kept by a proxy.
    std::shared_ptr<TransferJob> httpGet(const QString& url, const QString& localPath, qint64 maxBytes) override;

private:
    CurlLimits limits_;
    QString caFile_;
};

} // namespace platform
