#pragma once
#include "device/UnitAttempt.h"
#include "firmware/UpgradeHost.h"
#include "platform/FileTransfer.h"
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace device {
class Session;
}

namespace firmware {

// The QMR51 side of an upgrade, over the device's own serial line:
//   1. version check: the upgrade list "/DENA_UPGlist.bin" from the firmware server (FTP); its
//      bytes 41..44 are the latest version, compared with the device's firmware; the user confirms;
//   2. download: the firmware "/QMR51v2.hex", turned into an image (boot loader area left out)
//      and padded with 0x00 to whole 128-byte blocks;
//   3. transfer: every block in a command-208 frame, three attempts each, Cancel honoured before
//      each block; then the command-210 closing frame with the block count, the new version and
//      the image CRC, three attempts;
//   4. restart: the QMR51 checks the image and reboots into it (7 s); the port is closed, and the
//      caller connects again.
//
// The device keeps running its old firmware until the closing frame tells it the image is whole,
// so nothing may be sent unless the whole image is known to be right: a download that failed, was
// cut short or does not match the size the server gave, a HEX file with a checksum error or
// without its end-of-file record, an empty image or one of more than 255 blocks is refused before
// the first block, with the reason told to the user.
//
// The downloads run off the interface thread; every wait handles window events, so the window
// repaints and the progress window's Cancel stays clickable.
class Qmr51Upgrade {
public:
    // How run() ended.
    enum class Outcome {
        NotStarted,     // refused, declined or already up to date: nothing was sent (the host was told)
        Restarted,      // sent; the QMR51 restarts into the new image and the port is closed
        TransferFailed, // a frame went unanswered; the device waits for a retry (the host was told)
    };
    enum class TransferOutcome {
        Done,          // every block (or, after Cancel, the blocks up to then) and the closing frame went
        UploadFailed,  // a data block was not acknowledged in 3 attempts
        ClosingFailed, // the closing frame was not acknowledged in 3 attempts
    };

    // Why run() or sendAndRestart() ended with NotStarted (the host was told in words).
    enum class NotStartedBecause {
        Nothing,        // it did start
        NoPort,         // no port chosen, or the port cannot be opened
        ListMissing,    // the upgrade list did not arrive
        UpToDate,       // the QMR51 runs the latest version already
        Declined,       // the user answered No
        DownloadFailed, // the HEX file did not arrive whole
        ImageRefused,   // the HEX file or its image is not fit to send
    };

    // How run() or sendAndRestart() ended, why, and the last thing the user was told about it
    // (empty after a good upgrade).
    struct Result {
        Outcome outcome = Outcome::NotStarted;
        NotStartedBecause because = NotStartedBecause::Nothing;
        QString message;
    };

    // The list is polled for at most this long (the server sends 92 bytes or a little more).
    static constexpr double kListSeconds = 5.0;
    // The HEX file (at most some 90 kB) gets this long; the transfer client gives up on a server
    // that stops sending before that.
    static constexpr double kHexSeconds = 120.0;
    // The QMR51 checks the new image and restarts into it; it answers again after about 7 s.
    static constexpr double kRestartSeconds = 7.0;
    static constexpr int kAttempts = 3;
    // Where the firmware server keeps the upgrade list and the HEX file.
    static constexpr char kListPath[] = "/DENA_UPGlist.bin";
    static constexpr char kHexPath[] = "/QMR51v2.hex";

    // The upgrade of the QMR51 on the session's port (opened here when it is closed), with the
    // firmware server `server`. Each download lands in a temporary file of its own in
    // programFolder, removed when the run has read it, so runs on other ports never share one.
    Qmr51Upgrade(device::Session& session, platform::FileTransfer& transfer, platform::FtpAccount server,
                 QString programFolder, UpgradeHost& host);

    // Runs the four phases. The session is Upgrading from the start; when nothing was sent it is
    // given back as it was.
    Result run();
    // Phases 3 and 4 for an image the caller loaded (a local HEX file): the image must already be
    // known whole and fit (see imageRefusal).
    Result sendAndRestart(const QByteArray& image, const std::array<std::uint8_t, 4>& version);

    // The image of a HEX file as the QMR51 takes it (boot loader area left out, padded to whole
    // blocks), or nothing when the file must not be sent: it cannot be read, has a checksum error,
    // ends without its end-of-file record, holds no data or needs more than 255 blocks. The host
    // is shown the loader's warnings and the refusal.
    std::optional<QByteArray> imageFromHexFile(const QString& hexFile);

    // Phase 3 alone: sends `image` (padded, 1..255 blocks) and the closing frame announcing
    // `version`. Clears a Cancel and shows the progress window first. The number of frames
    // acknowledged ends up in framesAcknowledged().
    TransferOutcome sendImage(const QByteArray& image, const std::array<std::uint8_t, 4>& version);
    int framesAcknowledged() const { return acknowledged_; }
    // The version the last closing frame announced (what the QMR51 reports after a good upgrade).
    const std::array<std::uint8_t, 4>& versionSent() const { return versionSent_; }

private:
    bool ensurePortOpen();
    std::optional<std::array<std::uint8_t, 4>> checkVersion();
    std::optional<QByteArray> downloadImage();
    void restart(int blocks);
    bool sendAcknowledged(std::uint8_t command, const QByteArray& frame);
    void refuse(const QString& why, NotStartedBecause because);
    // Tells the user, and keeps it for the result.
    void tell(const QString& text);
    Result ended(Outcome outcome);

    device::Session& session_;
    platform::FileTransfer& transfer_;
    platform::FtpAccount server_;
    QString programFolder_;
    UpgradeHost& host_;
    int acknowledged_ = 0;
    int blocksDone_ = 0; // blocks sent, the closing frame counted as one more
    NotStartedBecause notStarted_ = NotStartedBecause::Nothing;
    QString told_;
    std::array<std::uint8_t, 4> versionSent_{};
};

// How an upgrade that sent nothing counts for a unit: up to date is a pass, no port no device, a
// list or HEX file that did not arrive a download failure, anything else (No, a refused file) the
// input's.
device::UnitClass unitClassOf(Qmr51Upgrade::NotStartedBecause because);

} // namespace firmware
