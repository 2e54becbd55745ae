#pragma once
// ESP32 application images laid out as esptool's elf2image writes them, for the tests that need an
// image a TIKA boots (or one wrong in a known way). Written apart from the tool's own check, so that
// the two cannot share a mistake.
#include <QByteArray>
#include <QCryptographicHash>
#include <QtEndian>

namespace espimages {

inline constexpr quint16 esp32 = 0x0000, esp32s3 = 0x0009;

inline QByteArray le32(quint32 v) { QByteArray out(4, '\0'); qToLittleEndian(v, out.data()); return out; }

// Header (DIO, 4 MB, 80 MHz), extended header with chip id and SHA-256 flag, two segments of 600 and
// 52 bytes (length fields at 604 and 636, data ending at 692), zeros up to the checksum byte at 703,
// then the SHA-256 when `sha256`.
inline QByteArray good(quint16 chipId, bool sha256 = true)
{
    QByteArray out = QByteArray::fromHex("e902022f00000840"), extended(16, '\0'), code, data;
    qToLittleEndian(chipId, extended.data() + 4);
    extended[15] = char(sha256);
    out += extended;
    for (int i = 0; i < 600; ++i)
        code += char(i * 7 + 3);
    for (int i = 0; i < 52; ++i)
        data += char(0xA5 ^ i);
    quint8 checksum = 0xEF;
    for (const QByteArray& segment : {code, data}) {
        out += le32(0x3F400020 + quint32(out.size())) + le32(quint32(segment.size())) + segment;
        for (const char b : segment)
            checksum ^= quint8(b);
    }
    out += QByteArray(703 - out.size(), '\0') + char(checksum);
    return sha256 ? out + QCryptographicHash::hash(out, QCryptographicHash::Sha256) : out;
}

} // namespace espimages
