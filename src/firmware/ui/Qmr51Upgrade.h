#pragma once
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace shell {
class Tool;
}

namespace firmware {

class ProgressHost;

// The QMR51 side of an upgrade, over the device's own serial line:
//   1. version check: the upgrade list "/DENA_UPGlist.bin" from the firmware server (FTP) into
//      temp.tmp of the program folder; its bytes 41..44 are the latest version, compared with the
//      device's FwVersion; the user confirms;
//   2. download: the firmware "/QMR51v2.hex" into the same file, turned into an image (boot
//      loader area left out) and padded with 0x00 to whole 128-byte blocks;
//   3. transfer: every block in a command-208 frame, three attempts each, Cancel honoured before
//      each block; then the command-210 closing frame with the block count, the new version and
//      the image CRC, three attempts;
//   4. restart: the QMR51 checks the image and reboots into it (7 s), then the tool connects again.
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
    enum class TransferOutcome {
        Done,          // every block (or, after Cancel, the blocks up to then) and the closing frame went
        UploadFailed,  // a data block was not acknowledged in 3 attempts
        ClosingFailed, // the closing frame was not acknowledged in 3 attempts
    };

    // The list is polled for at most this long (the server sends 92 bytes or a little more).
    static constexpr double kListSeconds = 5.0;
    // The HEX file (at most some 90 kB) gets this long; the transfer client gives up on a server
    // that stops sending before that.
    static constexpr double kHexSeconds = 120.0;
    // The QMR51 checks the new image and restarts into it; it answers again after about 7 s.
    static constexpr double kRestartSeconds = 7.0;
    static constexpr int kAttempts = 3;

    Qmr51Upgrade(shell::Tool& tool, ProgressHost& progress);

    // Runs the four phases. True when the periodic refresh may run again afterwards; false after a
    // transfer failure, which leaves the refresh off and the device waiting for a retry.
    bool run();

    // Phase 3 alone: sends `image` (padded, 1..255 blocks) and the closing frame announcing
    // `version`. Resets UpgradeCancelled and shows the progress window first. The number of frames
    // acknowledged ends up in framesAcknowledged().
    TransferOutcome sendImage(const QByteArray& image, const std::array<std::uint8_t, 4>& version);
    int framesAcknowledged() const { return acknowledged_; }

    // program folder + "/temp.tmp": both downloads land there in turn.
    QString temporaryFile() const;

private:
    bool ensurePortOpen();
    std::optional<std::array<std::uint8_t, 4>> checkVersion();
    std::optional<QByteArray> downloadImage();
    void restart(int blocks);
    bool sendAcknowledged(std::uint8_t command, const QByteArray& frame);
    void refuse(const QString& why);

    shell::Tool& tool_;
    ProgressHost& progress_;
    int acknowledged_ = 0;
    int blocksDone_ = 0; // blocks sent, the closing frame counted as one more
};

} // namespace firmware
