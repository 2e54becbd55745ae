#pragma once
#include "device/DeviceKind.h"
#include "platform/FileTransfer.h"
#include <QString>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace firmware {

// The start-up refresh of the two TIKA module images that esptool flashes: for TIKA V1 and then
// TIKA V2, baseUrl + "/TIKAv1.bin" (and "/TIKAv2.bin") is fetched into
// programFolder + "/DATA/TIKAv1.bin" (and ".../TIKAv2.bin").
//
// A module flashed with half a file, a proxy's error page or an image for the other chip does not
// start until someone flashes it by hand, so a local image is only ever replaced by one the module
// boots: each download (at most 16 MiB) goes into a temporary file in DATA/, and only a download
// that succeeded, has the size the server announced (when it announced one) and passes
// espImageProblem for its module (TIKAv1.bin an ESP32 image, TIKAv2.bin an ESP32-S3 image, whole,
// checksum and SHA-256 right) is renamed over the old image in one atomic step. Anything else
// deletes the temporary file and leaves the previous image as it was. Nothing is reported either
// way.
//
// The DATA folder is the user's install; when it is missing nothing is fetched and nothing is
// created.
//
// The downloads run on a worker thread so the window appears at once. start(), finished(),
// waitForFinished() and the destructor are for the thread that owns the object (the window's);
// the FileTransfer is called from the worker thread and must outlive this object.
class ModuleImages {
public:
    // baseUrl: "http://host" or "http://host:port/prefix"; a trailing slash is ignored.
    ModuleImages(platform::FileTransfer& transfer, const QString& baseUrl, const QString& programFolder);
    // Cancels a download that still runs and waits for the worker (about a second at most with
    // the real transfer). The images keep their previous content in that case.
    ~ModuleImages();
    ModuleImages(const ModuleImages&) = delete;
    ModuleImages& operator=(const ModuleImages&) = delete;

    // Starts both downloads and returns at once. Ignored while a previous run is still going.
    void start();
    // True when no run is going (also before the first start()).
    bool finished() const;
    // Waits until the run has ended or the limit has passed; true when it has ended.
    bool waitForFinished(std::chrono::milliseconds limit);

private:
    void run();
    void fetch(const QString& dataFolder, device::DeviceKind kind);
    // Waits for the job while watching for the destructor's stop request; false when stopped.
    bool waitForJob(platform::TransferJob& job);

    platform::FileTransfer& transfer_;
    const QString baseUrl_;
    const QString programFolder_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool running_ = false;  // guarded by mutex_
    bool stopping_ = false; // guarded by mutex_
    std::thread worker_;
};

} // namespace firmware
