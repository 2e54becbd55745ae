#include "firmware/ModuleImages.h"
#include "firmware/DownloadLimits.h"
#include "firmware/EspImageCheck.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <filesystem>

namespace firmware {
namespace {

// How often the worker looks at a running job. Only the worker waits this long; the window never.
constexpr std::chrono::milliseconds jobPollInterval{20};

bool isBootableImage(const platform::TransferJob& job, const QString& path, device::DeviceKind kind)
{
    if (!job.succeeded())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (job.expectedBytes() >= 0 && job.expectedBytes() != file.size())
        return false;
    return espImageProblem(file.read(kModuleImageMaxBytes + 1), kind).isEmpty();
}

// rename(2) on POSIX, MoveFileEx with replace on Windows: the image is either the old one or the
// new one, never a mixture, even when the tool is killed halfway.
bool replaceAtomically(const QString& from, const QString& to)
{
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()),
                            std::filesystem::path(to.toStdU16String()), error);
    return !error;
}

} // namespace

ModuleImages::ModuleImages(platform::FileTransfer& transfer, const QString& baseUrl, const QString& programFolder)
    : transfer_(transfer),
      baseUrl_(baseUrl.endsWith(QLatin1Char('/')) ? baseUrl.chopped(1) : baseUrl),
      programFolder_(programFolder)
{
}

ModuleImages::~ModuleImages()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

void ModuleImages::start()
{
    {
        std::lock_guard lock(mutex_);
        if (running_)
            return;
        running_ = true;
    }
    if (worker_.joinable())
        worker_.join(); // the previous run has ended; only its thread is left to collect
    worker_ = std::thread([this] {
        run();
        {
            std::lock_guard lock(mutex_);
            running_ = false;
        }
        changed_.notify_all();
    });
}

bool ModuleImages::finished() const
{
    std::lock_guard lock(mutex_);
    return !running_;
}

bool ModuleImages::waitForFinished(std::chrono::milliseconds limit)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return !running_; });
}

void ModuleImages::run()
{
    const QString dataFolder = programFolder_ + QStringLiteral("/DATA");
    if (!QFileInfo(dataFolder).isDir())
        return;
    for (const device::DeviceKind kind : {device::DeviceKind::TikaV1, device::DeviceKind::TikaV2}) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                return;
        }
        fetch(dataFolder, kind);
    }
}

void ModuleImages::fetch(const QString& dataFolder, device::DeviceKind kind)
{
    const QString imageName = kind == device::DeviceKind::TikaV2 ? QStringLiteral("TIKAv2.bin") : QStringLiteral("TIKAv1.bin");
    const QString imagePath = dataFolder + QLatin1Char('/') + imageName;
    QString partPath;
    {
        QTemporaryFile part(imagePath + QStringLiteral(".XXXXXX.part"));
        part.setAutoRemove(false);
        if (!part.open())
            return; // DATA is read-only: keep what is there
        partPath = part.fileName();
    }
    auto job = transfer_.httpGet(baseUrl_ + QLatin1Char('/') + imageName, partPath, kModuleImageMaxBytes);
    const bool ran = job && waitForJob(*job);
    const bool usable = ran && isBootableImage(*job, partPath, kind);
    job.reset(); // a cancelled transfer lets go of the file before it is removed
    if (usable) {
        // The temporary file is private to its owner; the image is an ordinary file again.
        QFile::setPermissions(partPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                            QFileDevice::ReadOther);
        if (replaceAtomically(partPath, imagePath))
            return;
    }
    QFile::remove(partPath);
}

bool ModuleImages::waitForJob(platform::TransferJob& job)
{
    std::unique_lock lock(mutex_);
    while (!job.finished()) {
        if (changed_.wait_for(lock, jobPollInterval, [this] { return stopping_; })) {
            lock.unlock();
            job.cancel();
            return false;
        }
    }
    return true;
}

} // namespace firmware
