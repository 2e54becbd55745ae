#include "firmware/BlockCrc.h"

namespace firmware {

std::uint16_t CRC16Update(std::uint16_t R, std::uint8_t b)
{
    for (int k = 0; k < 8; ++k) {
        const bool differs = ((b >> k) & 1) != (R & 1);
        R = static_cast<std::uint16_t>(R >> 1);
        if (differs)
            R ^= 0x8408;
    }
    return R;
}

QByteArray CRC16(const QByteArray& Data, int BlokLen)
{
    if (BlokLen <= 0 || BlokLen > kMaxCrcDataBytes || Data.size() > kMaxCrcDataBytes || Data.size() % BlokLen != 0)
        return {};
    std::uint16_t R = 0xFFFF;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(Data.constData());
    for (qsizetype blockStart = 0; blockStart < Data.size(); blockStart += BlokLen) {
        for (qsizetype i = blockStart; i < blockStart + BlokLen; ++i)
            R = CRC16Update(R, bytes[i]);
        R ^= 0xFFFF;
        R = static_cast<std::uint16_t>((R << 8) | (R >> 8));
    }
    QByteArray result(2, '\0');
    result[0] = static_cast<char>(R >> 8);
    result[1] = static_cast<char>(R & 0xFF);
    return result;
}

} // namespace firmware
