#include "sim/BootLoaderCrc.h"
#include <array>

namespace sim {

namespace {

constexpr std::array<std::uint16_t, 256> makeTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < table.size(); ++i) {
        unsigned c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1u) ? (c >> 1) ^ 0x8408u : c >> 1;
        table[i] = static_cast<std::uint16_t>(c);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kTable = makeTable();

} // namespace

void BootLoaderCrc::addBlock(const QByteArray& block)
{
    unsigned r = register_;
    for (const char c : block)
        r = (r >> 8) ^ kTable[(r ^ static_cast<std::uint8_t>(c)) & 0xFFu];
    r ^= 0xFFFFu;
    register_ = static_cast<std::uint16_t>(((r << 8) | (r >> 8)) & 0xFFFFu);
}

QByteArray BootLoaderCrc::bytes() const
{
    const char two[2] = {static_cast<char>(register_ >> 8), static_cast<char>(register_ & 0xFF)};
    return QByteArray(two, 2);
}

QByteArray BootLoaderCrc::of(const QByteArray& data, int blockBytes)
{
    BootLoaderCrc crc;
    for (qsizetype at = 0; at < data.size(); at += blockBytes)
        crc.addBlock(data.mid(at, blockBytes));
    return crc.bytes();
}

} // namespace sim
