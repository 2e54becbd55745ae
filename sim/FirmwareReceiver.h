#pragma once
#include <QByteArray>
#include <QMap>
#include <cstdint>
#include <optional>

namespace sim {

// Damage on the line between the tool and the device, chosen by a test: a frame can arrive with a
// byte flipped (its CRC no longer matches) or not arrive at all. Counts go down as frames come.
struct FirmwareFaults {
    QMap<int, int> corruptBlock; // block number -> how many more times it arrives damaged
    QMap<int, int> dropBlock;    // block number -> how many more times it is lost
    int corruptClosing = 0;      // how many more times the closing frame arrives damaged
};

// The receiving end of a QMR51 firmware upgrade, checking what it gets the way the QMR51's boot
// loader does:
//   data block (command 208), 134-byte payload: 0, block number, 0, 0x80, 128 image bytes, then
//     CRC16 of the first 132 bytes as one block;
//   closing frame (command 210), 12-byte payload: 0, block count, 0, 6, new version a.b.c.d, the
//     CRC16 of the whole image in 128-byte blocks, then CRC16 of the first 10 bytes.
// A damaged frame (wrong length or CRC) is dropped without an answer. A sound frame that makes no
// sense (a wrong header, a closing frame whose blocks are not all there or whose image CRC does
// not match them) is refused. Only a sound closing frame for a whole, matching image installs the
// image; the device then restarts into the new version.
class FirmwareReceiver {
public:
    static constexpr int kBlockPayloadBytes = 134;
    static constexpr int kClosingPayloadBytes = 12;

    enum class Verdict {
        Acknowledge, // "*U#"
        Refuse,      // "*X#"
        Ignore,      // no answer: the frame was damaged or lost
    };

    // A block sent again (the tool retries an unacknowledged block) replaces the earlier copy.
    Verdict takeBlock(const QByteArray& payload);
    Verdict takeClosingFrame(const QByteArray& payload);

    void setFaults(const FirmwareFaults& faults) { faults_ = faults; }
    const FirmwareFaults& faults() const { return faults_; }

    // The 128 image bytes of every sound block received since the last installation, by number.
    const QMap<int, QByteArray>& blocks() const { return blocks_; }
    // Block count and version announced by the last sound closing frame, accepted or not.
    std::optional<int> announcedBlockCount() const { return blockCount_; }
    std::optional<QByteArray> announcedVersion() const { return version_; }
    // The image the device runs since its last accepted upgrade (empty before one).
    const QByteArray& installedImage() const { return installed_; }
    // True once after an accepted closing frame: the device restarts now.
    bool takeRestartRequest() { return std::exchange(restart_, false); }

private:
    static bool takeFault(QMap<int, int>& faults, int number);

    QMap<int, QByteArray> blocks_;
    std::optional<int> blockCount_;
    std::optional<QByteArray> version_;
    QByteArray installed_;
    FirmwareFaults faults_;
    bool restart_ = false;
};

} // namespace sim
