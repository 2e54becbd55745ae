#pragma once
#include "platform/Waits.h"
#include "platform/FileTransfer.h"
#include <QString>
#include <QTemporaryFile>
#include <functional>

namespace firmware {

// One download from the firmware server into a temporary file of its own, run by the transfer
// client off the interface thread and watched from it in 0.2 s passes that handle window events.
//
// The file is made fresh in the program folder for this download alone ("temp.XXXXXX.tmp") and
// removed with this object, so a second upgrade on another port, or a qmr51ctl run beside the
// window, never reads a half-written download of this one (a HEX text taken for the version list
// would stamp nonsense on a device), and nothing of a run is left behind.
class FirmwareDownload {
public:
    struct Result {
        bool finished = false;    // false: still running at the end of the wait; it was cancelled
        bool succeeded = false;   // finished, and the server delivered the whole file
        qint64 expectedBytes = -1; // the size the server announced, -1 when it announced none
        qint64 fileBytes = 0;     // the local file's size afterwards (0 when there is none)
        QString error;            // the transfer client's reason when it failed
    };

    FirmwareDownload(platform::FileTransfer& transfer, platform::Waiting& waits, const QString& programFolder);

    // Starts the GET of remotePath with `account` (failing when the file passes maxBytes), waits
    // startSeconds, then waits until the transfer has ended or `seconds` have passed, calling
    // eachPass(seconds left, job) after every pass. A transfer still running then is cancelled and
    // given a few seconds to stop. A folder where no file can be made gives a result that did not
    // succeed, with the reason.
    Result fetch(const platform::FtpAccount& account, const QString& remotePath, qint64 maxBytes, double startSeconds,
                 double seconds,
                 const std::function<void(double secondsLeft, const platform::TransferJob& job)>& eachPass);

    // Where fetch() put the file; valid while this object lives, empty before fetch().
    QString localPath() const;
    // At most maxBytes of the file's start (all of it for a negative maxBytes).
    QByteArray read(qint64 maxBytes = -1) const;

private:
    platform::FileTransfer& transfer_;
    platform::Waiting& waits_;
    QTemporaryFile file_;
};

} // namespace firmware
