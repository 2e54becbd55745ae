#pragma once
#include "firmware/UpgradeWaits.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/FileTransfer.h"
#include <QString>
#include <functional>

namespace firmware {

// One download from the firmware server into the tool's temporary file, run by the transfer client
// off the interface thread and watched from it in 0.2 s passes that handle window events.
class FirmwareDownload {
public:
    struct Result {
        bool finished = false;    // false: still running at the end of the wait; it was cancelled
        bool succeeded = false;   // finished, and the server delivered the whole file
        qint64 expectedBytes = -1; // the size the server announced, -1 when it announced none
        qint64 fileBytes = 0;     // the local file's size afterwards (0 when there is none)
        QString error;            // the transfer client's reason when it failed
    };

    FirmwareDownload(platform::FileTransfer& transfer, platform::Clock& clock, platform::EventPump& pump,
                     WaitDeadlines deadlines, const QString& localPath);

    // The local file goes before every download, so a left-over from an earlier run is never
    // taken for the new file. A file that cannot be removed is left (the download replaces it).
    void removeLocalFile();

    // Starts the GET of remotePath with `account` (failing when the file passes maxBytes), waits
    // startSeconds, then waits until the transfer has ended or `seconds` have passed, calling
    // eachPass(seconds left, job) after every pass. A transfer still running then is cancelled and
    // given a few seconds to stop.
    Result fetch(const platform::FtpAccount& account, const QString& remotePath, qint64 maxBytes, double startSeconds,
                 double seconds,
                 const std::function<void(double secondsLeft, const platform::TransferJob& job)>& eachPass);

private:
    platform::FileTransfer& transfer_;
    platform::Clock& clock_;
    platform::EventPump& pump_;
    WaitDeadlines deadlines_;
    QString localPath_;
};

} // namespace firmware
