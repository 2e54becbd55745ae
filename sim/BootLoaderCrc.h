#pragma once
#include <QByteArray>
#include <cstdint>

namespace sim {

// The CRC as the QMR51's boot loader keeps it while a transfer comes in: one 16-bit register,
// started at 0xFFFF, fed byte by byte through a table for the reflected CCITT polynomial (0x8408);
// at the end of every block the register is inverted and its two bytes swapped, and the next block
// goes on from there. On the wire the register stands high byte first.
//
// Written apart from the tool's own CRC on purpose: the simulated device must not share the code it
// checks, or a fault in it would agree with itself on both ends of the line.
class BootLoaderCrc {
public:
    void addBlock(const QByteArray& block);
    // The register, high byte first.
    QByteArray bytes() const;
    // The CRC of data taken in consecutive blocks of blockBytes (the last one may be shorter).
    static QByteArray of(const QByteArray& data, int blockBytes);

private:
    std::uint16_t register_ = 0xFFFF;
};

} // namespace sim
