#include "platform/CurlTransfer.h"
#include <QFile>
#include <QUrl>
#include <atomic>
#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {
namespace {

void initCurlOnce()
{
    // libcurl's global set-up is not thread-safe; every later transfer relies on it being done.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Loopback never goes through a proxy, whatever the environment says; the user's own no_proxy
// entries are kept.
QByteArray noProxyList()
{
    QByteArray list = qgetenv("no_proxy");
    if (list.isEmpty())
        list = qgetenv("NO_PROXY");
    if (!list.isEmpty())
        list += ',';
    return list + "localhost,127.0.0.1,::1";
}

struct Request {
    QByteArray url;
    bool ftp = false;
    qint64 maxBytes = 0;
    QByteArray caFile; // empty: the system's certificate store
    QByteArray user;
    QByteArray password;
    QString localPath;
    std::chrono::seconds totalTimeout{60};
    CurlLimits limits;
};

class CurlJob final : public TransferJob {
public:
    explicit CurlJob(Request request) : request_(std::move(request))
    {
        worker_ = std::thread([this] { run(); });
    }
    ~CurlJob() override
    {
        cancelRequested_ = true;
        if (worker_.joinable())
            worker_.join();
    }
    bool finished() const override { return finished_.load(std::memory_order_acquire); }
    bool succeeded() const override { return finished() && succeeded_.load(); }
    qint64 bytesReceived() const override { return bytes_.load(); }
    qint64 expectedBytes() const override { return expected_.load(); }
    QString error() const override
    {
        std::lock_guard lock(errorMutex_);
        return error_;
    }
    void cancel() override { cancelRequested_ = true; }

private:
    void run();
    void configure(curl_slist*& headers, char* errorText);
    void noteAnnouncedSize();
    bool openFile();
    void finish(bool ok, const QString& why);
    QString tooLarge() const;
    QString failureText(CURLcode code, const char* errorText) const;
    static size_t onData(char* data, size_t size, size_t count, void* self);
    static int onProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    const Request request_;
    // Used by the worker thread only.
    CURL* curl_ = nullptr;
    std::unique_ptr<QFile> file_;
    QString fileError_;

    std::atomic<bool> cancelRequested_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> succeeded_{false};
    std::atomic<qint64> bytes_{0};
    std::atomic<qint64> expected_{-1};
    mutable std::mutex errorMutex_;
    QString error_;
    std::thread worker_; // last: started once everything above exists
};

void CurlJob::configure(curl_slist*& headers, char* errorText)
{
    using std::chrono::milliseconds;
    const CurlLimits& limits = request_.limits;
    curl_easy_setopt(curl_, CURLOPT_URL, request_.url.constData());
    curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L); // worker threads must not get SIGALRM
    curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, &CurlJob::onData);
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl_, CURLOPT_XFERINFOFUNCTION, &CurlJob::onProgress);
    curl_easy_setopt(curl_, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT_MS, long(milliseconds(limits.connectTimeout).count()));
    curl_easy_setopt(curl_, CURLOPT_TIMEOUT_MS, long(milliseconds(request_.totalTimeout).count()));
    curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSecond);
    curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_TIME, long(limits.lowSpeedWindow.count()));
    // Refused at once when the server announces the size; onData counts when it does not.
    curl_easy_setopt(curl_, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(request_.maxBytes));
    // https:// and ftps:// servers must prove who they are (libcurl's default, said out loud).
    curl_easy_setopt(curl_, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl_, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!request_.caFile.isEmpty())
        curl_easy_setopt(curl_, CURLOPT_CAINFO, request_.caFile.constData());
    if (request_.ftp) {
        curl_easy_setopt(curl_, CURLOPT_PROTOCOLS_STR, "ftp,ftps");
        curl_easy_setopt(curl_, CURLOPT_USERNAME, request_.user.constData());
        curl_easy_setopt(curl_, CURLOPT_PASSWORD, request_.password.constData());
        curl_easy_setopt(curl_, CURLOPT_PROXY, ""); // direct connection to the firmware server
        curl_easy_setopt(curl_, CURLOPT_FTPPORT, nullptr); // passive: works behind the user's NAT
        return;
    }
    curl_easy_setopt(curl_, CURLOPT_PROTOCOLS_STR, "http,https");
    // A redirect never takes an https:// download off TLS: whoever sits on the way could hand
    // over any image then.
    const bool secure = request_.url.toLower().startsWith("https://");
    curl_easy_setopt(curl_, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    curl_easy_setopt(curl_, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl_, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl_, CURLOPT_FAILONERROR, 1L);
    static const QByteArray noProxy = noProxyList();
    curl_easy_setopt(curl_, CURLOPT_NOPROXY, noProxy.constData());
    headers = curl_slist_append(headers, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, headers);
}

void CurlJob::run()
{
    curl_ = curl_easy_init();
    if (!curl_) {
        finish(false, QStringLiteral("libcurl could not start a transfer"));
        return;
    }
    char errorText[CURL_ERROR_SIZE] = {};
    curl_slist* headers = nullptr;
    configure(headers, errorText);
    const CURLcode code = curl_easy_perform(curl_);
    if (code == CURLE_OK)
        noteAnnouncedSize();
    const QString why = code == CURLE_OK ? QString() : failureText(code, errorText);
    curl_easy_cleanup(curl_);
    curl_ = nullptr;
    curl_slist_free_all(headers);

    if (code != CURLE_OK) {
        if (file_)
            file_->close();
        finish(false, why);
        return;
    }
    // A successful empty file still has to appear, like any other download.
    if (!file_ && !openFile()) {
        finish(false, fileError_);
        return;
    }
    const bool flushed = file_->flush();
    file_->close();
    const qint64 expected = expected_.load();
    if (!flushed)
        finish(false, file_->errorString());
    else if (expected >= 0 && expected != bytes_.load())
        finish(false, QStringLiteral("received %1 of %2 bytes").arg(bytes_.load()).arg(expected));
    else
        finish(true, QString());
}

QString CurlJob::failureText(CURLcode code, const char* errorText) const
{
    if (code == CURLE_ABORTED_BY_CALLBACK || cancelRequested_)
        return QStringLiteral("cancelled");
    if (code == CURLE_WRITE_ERROR && !fileError_.isEmpty())
        return fileError_;
    if (code == CURLE_FILESIZE_EXCEEDED)
        return tooLarge();
    const QString detail = QString::fromLocal8Bit(errorText);
    const QString general = QString::fromLatin1(curl_easy_strerror(code));
    return detail.isEmpty() ? general : general + QStringLiteral(": ") + detail;
}

void CurlJob::noteAnnouncedSize()
{
    curl_off_t length = -1;
    if (curl_easy_getinfo(curl_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK && length >= 0)
        expected_ = qint64(length);
}

bool CurlJob::openFile()
{
    file_ = std::make_unique<QFile>(request_.localPath);
    if (file_->open(QIODevice::WriteOnly | QIODevice::Truncate))
        return true;
    fileError_ = file_->errorString();
    file_.reset();
    return false;
}

QString CurlJob::tooLarge() const
{
    return QStringLiteral("the file is larger than %1 bytes").arg(request_.maxBytes);
}

void CurlJob::finish(bool ok, const QString& why)
{
    {
        std::lock_guard lock(errorMutex_);
        error_ = why;
    }
    succeeded_ = ok;
    finished_.store(true, std::memory_order_release);
}

size_t CurlJob::onData(char* data, size_t size, size_t count, void* self)
{
    auto* job = static_cast<CurlJob*>(self);
    const size_t length = size * count;
    if (job->cancelRequested_)
        return 0; // makes libcurl stop with a write error
    if (job->bytes_.load() + qint64(length) > job->request_.maxBytes) {
        job->fileError_ = job->tooLarge();
        return 0;
    }
    if (!job->file_) {
        // The first byte of the answer that counts (after redirects, never an error page): its
        // announced size is the one to check against.
        job->noteAnnouncedSize();
        if (!job->openFile())
            return 0;
    }
    if (job->file_->write(data, qint64(length)) != qint64(length)) {
        job->fileError_ = job->file_->errorString();
        return 0;
    }
    job->bytes_ += qint64(length);
    return length;
}

int CurlJob::onProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    // Called about once a second even while nothing arrives, so a cancel is seen promptly.
    return static_cast<CurlJob*>(self)->cancelRequested_ ? 1 : 0;
}

} // namespace

CurlTransfer::CurlTransfer(CurlLimits limits, QString caFile) : limits_(limits), caFile_(std::move(caFile))
{
    initCurlOnce();
}

std::shared_ptr<TransferJob> CurlTransfer::ftpGet(const FtpAccount& account, const QString& remotePath,
                                                  const QString& localPath, qint64 maxBytes)
{
    Request request;
    const QString path = remotePath.startsWith(QLatin1Char('/')) ? remotePath : QLatin1Char('/') + remotePath;
    QString server = account.host;
    while (server.endsWith(QLatin1Char('/')))
        server.chop(1);
    // A scheme other than ftp:// or ftps:// is refused by the protocol list in configure().
    if (!server.contains(QLatin1String("://")))
        server.prepend(QLatin1String("ftp://"));
    request.url = server.toUtf8() + QUrl::toPercentEncoding(path, "/");
    request.ftp = true;
    request.user = account.user.toUtf8();
    request.password = account.password.toUtf8();
    request.localPath = localPath;
    request.totalTimeout = limits_.ftpTotalTimeout;
    request.limits = limits_;
    request.maxBytes = maxBytes;
    request.caFile = QFile::encodeName(caFile_);
    return std::make_shared<CurlJob>(std::move(request));
}

std::shared_ptr<TransferJob> CurlTransfer::httpGet(const QString& url, const QString& localPath, qint64 maxBytes)
{
    Request request;
    request.url = url.toUtf8();
    request.localPath = localPath;
    request.totalTimeout = limits_.httpTotalTimeout;
    request.limits = limits_;
    request.maxBytes = maxBytes;
    request.caFile = QFile::encodeName(caFile_);
    return std::make_shared<CurlJob>(std::move(request));
}

} // namespace platform
