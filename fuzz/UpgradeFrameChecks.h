#pragma once
#include "FuzzCheck.h"
#include "firmware/UpgradeFrames.h"
#include <QByteArray>
#include <array>
#include <cstdint>

namespace fuzzing {

// The CRC the QMR51 boot loader checks, written out here on its own: CRC-16/X-25 (reflected
// polynomial 0x8408, a table made bit by bit) over consecutive blocks, the register closed after
// each block (XOR 0xFFFF, bytes exchanged) and carried into the next; the final register high byte
// first. Left out of the coverage hooks: its comparisons steer nothing and would halve the pace.
__attribute__((no_sanitize("coverage"))) inline QByteArray referenceCrc(const QByteArray& data, int blockBytes)
{
    static const std::array<std::uint16_t, 256> table = [] {
        std::array<std::uint16_t, 256> t{};
        for (unsigned b = 0; b < 256; ++b) {
            unsigned reg = b;
            for (int bit = 0; bit < 8; ++bit)
                reg = (reg & 1) ? (reg >> 1) ^ 0x8408u : reg >> 1;
            t[b] = static_cast<std::uint16_t>(reg);
        }
        return t;
    }();
    unsigned reg = 0xFFFF;
    for (qsizetype start = 0; start < data.size(); start += blockBytes) {
        for (qsizetype i = start; i < start + blockBytes; ++i)
            reg = (reg >> 8) ^ table[(reg ^ static_cast<std::uint8_t>(data.at(i))) & 0xFFu];
        reg ^= 0xFFFFu;
        reg = ((reg >> 8) | (reg << 8)) & 0xFFFFu;
    }
    QByteArray out;
    out.append(static_cast<char>(reg >> 8));
    out.append(static_cast<char>(reg & 0xFFu));
    return out;
}

// Whatever image the loader made, what would go to the QMR51 is either nothing or well-formed
// frames: 134-byte blocks and a 12-byte closing frame, each with a right CRC. A refused image
// sends nothing at all.
inline void checkUpgradeFrames(const QByteArray& image, const std::array<std::uint8_t, 4>& version,
                               std::initializer_list<int> extraBlocks)
{
    const int blocks = static_cast<int>((image.size() + 127) / 128);
    const bool sendable = !image.isEmpty() && blocks <= 255;
    FUZZ_CHECK(firmware::imageRefusal(image).isEmpty() == sendable);
    FUZZ_CHECK(firmware::blockCount(image) == blocks);

    const QByteArray closing = firmware::closingFrame(image, version);
    if (!sendable) {
        FUZZ_CHECK(closing.isEmpty());
        FUZZ_CHECK(firmware::dataBlockFrame(image, 0).isEmpty());
        return;
    }
    QByteArray padded = image;
    padded.append(QByteArray(blocks * 128 - image.size(), '\0'));
    FUZZ_CHECK(firmware::padToBlocks(image) == padded);

    FUZZ_CHECK(closing.size() == 12);
    FUZZ_CHECK(closing.at(0) == 0 && byteAt(closing, 1) == blocks && closing.at(2) == 0 && closing.at(3) == 6);
    for (int i = 0; i < 4; ++i)
        FUZZ_CHECK(byteAt(closing, 4 + i) == version[static_cast<std::size_t>(i)]);
    FUZZ_CHECK(closing.mid(8, 2) == referenceCrc(padded, 128));
    FUZZ_CHECK(closing.mid(10, 2) == referenceCrc(closing.left(10), 10));

    for (int block : extraBlocks) {
        const QByteArray frame = firmware::dataBlockFrame(image, block);
        if (block < 0 || block >= blocks) {
            FUZZ_CHECK(frame.isEmpty());
            continue;
        }
        FUZZ_CHECK(frame.size() == 134);
        FUZZ_CHECK(frame.at(0) == 0 && byteAt(frame, 1) == block && frame.at(2) == 0 && byteAt(frame, 3) == 128);
        FUZZ_CHECK(frame.mid(4, 128) == padded.mid(qsizetype(block) * 128, 128));
        FUZZ_CHECK(frame.mid(132, 2) == referenceCrc(frame.left(132), 132));
    }
}

} // namespace fuzzing
