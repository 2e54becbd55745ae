#pragma once
#include <QByteArray>
#include <QMap>
#include <cstdint>
#include <optional>

namespace sim {

// The receiving end of a QMR51 firmware upgrade: data blocks (command 208, 134-byte payload:
// 0, block number, 0, 128, 128 image bytes, 2 CRC bytes) and the closing frame (command 210,
// 12-byte payload: 0, block count, 0, 6, new version a.b.c.d, image CRC, frame CRC).
//
// Every frame of the right length is taken now; checking the CRCs and putting the image together
// belong here too, which is why the blocks are kept by number.
class FirmwareReceiver {
public:
    static constexpr int kBlockPayloadBytes = 134;
    static constexpr int kClosingPayloadBytes = 12;

    // Takes one data-block payload; true when the device acknowledges it. A block sent again
    // (the tool retries an unacknowledged block) replaces the earlier copy.
    bool takeBlock(const QByteArray& payload);

    // Takes the closing frame's payload; true when acknowledged. The device then runs the
    // version the frame announces (see announcedVersion()).
    bool takeClosingFrame(const QByteArray& payload);

    // The 128 image bytes of every block received, by block number.
    const QMap<int, QByteArray>& blocks() const { return blocks_; }
    // Block count and version announced by the last closing frame.
    std::optional<int> announcedBlockCount() const { return blockCount_; }
    std::optional<QByteArray> announcedVersion() const { return version_; }

private:
    QMap<int, QByteArray> blocks_;
    std::optional<int> blockCount_;
    std::optional<QByteArray> version_;
};

} // namespace sim
