#include "firmware/UpgradeFrames.h"
#include "firmware/BlockCrc.h"

namespace firmware {

QByteArray padToBlocks(const QByteArray& image)
{
    const qsizetype rest = image.size() % kBlockBytes;
    if (rest == 0)
        return image;
    QByteArray padded = image;
    padded.resize(image.size() + (kBlockBytes - rest), '\0');
    return padded;
}

int blockCount(const QByteArray& image)
{
    return static_cast<int>((image.size() + kBlockBytes - 1) / kBlockBytes);
}

QString imageRefusal(const QByteArray& image)
{
    if (image.isEmpty())
        return QStringLiteral("The firmware image holds no data; nothing was sent to the QMR51.");
    const int blocks = blockCount(image);
    if (blocks > kMaxBlocks)
        return QStringLiteral("The firmware image needs %1 blocks of %2 bytes, but the QMR51 takes at most %3 "
                              "(%4 bytes); nothing was sent to the QMR51.")
            .arg(blocks).arg(kBlockBytes).arg(kMaxBlocks).arg(kMaxBlocks * kBlockBytes);
    return {};
}

QByteArray dataBlockFrame(const QByteArray& image, int block)
{
    if (!imageRefusal(image).isEmpty() || block < 0 || block >= blockCount(image))
        return {};
    QByteArray frame;
    frame.reserve(kDataFrameBytes);
    frame.append('\0');
    frame.append(static_cast<char>(block));
    frame.append('\0');
    frame.append(static_cast<char>(kBlockBytes));
    const QByteArray bytes = image.mid(qsizetype(block) * kBlockBytes, kBlockBytes);
    frame.append(bytes);
    frame.append(kBlockBytes - bytes.size(), '\0');
    frame.append(CRC16(frame, static_cast<int>(frame.size())));
    return frame;
}

QByteArray closingFrame(const QByteArray& image, const std::array<std::uint8_t, 4>& version)
{
    if (!imageRefusal(image).isEmpty())
        return {};
    QByteArray frame;
    frame.reserve(kClosingFrameBytes);
    frame.append('\0');
    frame.append(static_cast<char>(blockCount(image)));
    frame.append('\0');
    frame.append('\x06');
    for (std::uint8_t part : version)
        frame.append(static_cast<char>(part));
    frame.append(CRC16(padToBlocks(image), kBlockBytes));
    frame.append(CRC16(frame, static_cast<int>(frame.size())));
    return frame;
}

} // namespace firmware
