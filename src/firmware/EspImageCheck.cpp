#include "firmware/EspImageCheck.h"
#include "firmware/DownloadLimits.h"
#include <QCryptographicHash>
#include <cstdint>

namespace firmware {

namespace {

constexpr std::uint8_t kMagic = 0xE9;
constexpr std::uint8_t kChecksumSeed = 0xEF;
constexpr qsizetype kHeaderBytes = 24;        // the 8-byte header and the 16-byte extended header
constexpr qsizetype kChipIdOffset = 12;
constexpr qsizetype kHashFlagOffset = 23;
constexpr qsizetype kSegmentHeaderBytes = 8;
constexpr qsizetype kChecksumBlockBytes = 16;
constexpr qsizetype kSha256Bytes = 32;
// The boot loader refuses an image with more segments than this.
constexpr int kMaxSegments = 16;

constexpr std::uint16_t kEsp32ChipId = 0x0000;
constexpr std::uint16_t kEsp32S3ChipId = 0x0009;

const QString kCutShort = QStringLiteral(": the file is cut short");

QString hex(unsigned value, int digits) { return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0')); }

std::uint8_t byteAt(QByteArrayView image, qsizetype offset) { return static_cast<std::uint8_t>(image[offset]); }

std::uint32_t u32At(QByteArrayView image, qsizetype offset)
{
    return std::uint32_t(byteAt(image, offset)) | std::uint32_t(byteAt(image, offset + 1)) << 8
           | std::uint32_t(byteAt(image, offset + 2)) << 16 | std::uint32_t(byteAt(image, offset + 3)) << 24;
}

// The chips of Espressif's application images, by the id their images carry.
QString chipName(std::uint16_t chipId)
{
    switch (chipId) {
    case 0x0000: return QStringLiteral("an ESP32");
    case 0x0002: return QStringLiteral("an ESP32-S2");
    case 0x0005: return QStringLiteral("an ESP32-C3");
    case 0x0009: return QStringLiteral("an ESP32-S3");
    case 0x000C: return QStringLiteral("an ESP32-C2");
    case 0x000D: return QStringLiteral("an ESP32-C6");
    case 0x0010: return QStringLiteral("an ESP32-H2");
    case 0x0012: return QStringLiteral("an ESP32-P4");
    default: return QStringLiteral("a chip with id 0x") + hex(chipId, 4);
    }
}

} // namespace

QString espImageProblem(QByteArrayView image, device::DeviceKind kind)
{
    if (!device::isTika(kind))
        return QStringLiteral("a QMR51 takes no module image");
    const std::uint16_t moduleChip = kind == device::DeviceKind::TikaV2 ? kEsp32S3ChipId : kEsp32ChipId;
    if (image.isEmpty())
        return QStringLiteral("the file is empty");
    if (image.size() > kModuleImageMaxBytes)
        return QStringLiteral("it is larger than 16 MiB, more than a module's flash holds");
    if (byteAt(image, 0) != kMagic)
        return QStringLiteral("it is no ESP32 application image (it starts with 0x%1, not 0xE9)").arg(hex(byteAt(image, 0), 2));
    if (image.size() < kHeaderBytes)
        return QStringLiteral("it ends inside its header") + kCutShort;

    const auto chip = std::uint16_t(byteAt(image, kChipIdOffset) | byteAt(image, kChipIdOffset + 1) << 8);
    if (chip != moduleChip)
        return QStringLiteral("built for %1, this module is %2").arg(chipName(chip), chipName(moduleChip));
    const int segments = byteAt(image, 1);
    if (segments == 0 || segments > kMaxSegments)
        return QStringLiteral("it claims %1 segments, an application image has 1 to %2").arg(segments).arg(kMaxSegments);
    const std::uint8_t hashFlag = byteAt(image, kHashFlagOffset);
    if (hashFlag > 1)
        return QStringLiteral("its header is damaged (SHA-256 flag %1)").arg(hashFlag);

    std::uint8_t checksum = kChecksumSeed;
    qsizetype offset = kHeaderBytes;
    for (int segment = 1; segment <= segments; ++segment) {
        if (image.size() - offset < kSegmentHeaderBytes)
            return QStringLiteral("segment %1 of %2 is missing").arg(segment).arg(segments) + kCutShort;
        const std::uint32_t length = u32At(image, offset + 4);
        offset += kSegmentHeaderBytes;
        if (length > std::uint64_t(image.size() - offset))
            return QStringLiteral("segment %1 of %2 runs past the end of the file").arg(segment).arg(segments) + kCutShort;
        if (length % 4 != 0)
            return QStringLiteral("segment %1 has a length of %2 bytes, not a multiple of 4").arg(segment).arg(length);
        for (const char byte : image.sliced(offset, qsizetype(length)))
            checksum ^= static_cast<std::uint8_t>(byte);
        offset += qsizetype(length);
    }
    // The checksum byte ends a 16-byte block; the bytes before it are padding.
    const qsizetype checksumAt = offset + (kChecksumBlockBytes - 1 - offset % kChecksumBlockBytes);
    if (checksumAt >= image.size())
        return QStringLiteral("it ends before its checksum") + kCutShort;
    if (byteAt(image, checksumAt) != checksum)
        return QStringLiteral("checksum does not match: the file is damaged");
    if (hashFlag == 0)
        return {};
    const qsizetype hashAt = checksumAt + 1;
    if (image.size() - hashAt < kSha256Bytes)
        return QStringLiteral("it ends before its SHA-256") + kCutShort;
    const QByteArray sha256 = QCryptographicHash::hash(image.first(hashAt), QCryptographicHash::Sha256);
    if (QByteArrayView(sha256) != image.sliced(hashAt, kSha256Bytes))
        return QStringLiteral("SHA-256 does not match: the file is damaged");
    return {};
}

} // namespace firmware
