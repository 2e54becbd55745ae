// The Intel HEX loader, from memory (hexTextToImage) and from a file (hexFileToImage). A firmware
// file from the server can be anything: cut short, an HTML error page, binary noise. Whatever it
// is, the loader reads nothing past it, makes an image of at most 1 MiB or refuses it (and then
// the image is empty), warns only with its known texts, and both ways of reading agree. What the
// image then turns into for the QMR51 is either nothing or well-formed frames.
//
// Input: byte 0 bit 0 is skipBootLoader; the rest is the file.
#include "FuzzCheck.h"
#include "UpgradeFrameChecks.h"
#include "firmware/IntelHex.h"
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

constexpr qsizetype kMaxImageBytes = 1024 * 1024;

// In memory where the system offers it: rewriting a file on disk tens of thousands of times a
// second would make the file system flush each time and the run crawl.
const QString& hexFilePath()
{
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/qmr-fuzz-XXXXXX")
                                                                          : QDir::tempPath() + QStringLiteral("/qmr-fuzz-XXXXXX"));
    static const QString path = folder.filePath(QStringLiteral("QMR51v2.hex"));
    return path;
}

bool isKnownWarning(const QString& text)
{
    static const QRegularExpression known(QStringLiteral(
        "^(HEX Data type [0-9A-Fa-f]{2} not supported\\. This will be ignored!"
        "|Checksum error op data record op adres &H[0-9A-Fa-f]{4}"
        "|Checksum error op extended segment address &H[0-9A-Fa-f]{4})$"));
    return known.match(text).hasMatch();
}

QString refusedLine(const QString& refusal)
{
    static const QRegularExpression line(QStringLiteral("line (\\d+): "));
    return line.match(refusal).captured(1);
}

void checkImage(const firmware::HexImage& hex)
{
    FUZZ_CHECK(hex.image.size() <= kMaxImageBytes);
    if (!hex.refusal.isEmpty())
        FUZZ_CHECK(hex.image.isEmpty() && !hex.clean);
    for (const QString& text : hex.warnings)
        FUZZ_CHECK(isKnownWarning(text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const bool noBoot = (data[0] & 1) != 0;
    const QByteArray text = fuzzing::bytesOf(data + 1, size - 1);

    const firmware::HexImage fromMemory = firmware::hexTextToImage(text, noBoot);
    checkImage(fromMemory);

    QFile file(hexFilePath());
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(text) == text.size());
    file.close();
    const firmware::HexImage fromFile = firmware::hexFileToImage(hexFilePath(), noBoot);
    checkImage(fromFile);

    // The file on disk and the same bytes in memory read alike.
    FUZZ_CHECK(fromFile.image == fromMemory.image);
    FUZZ_CHECK(fromFile.clean == fromMemory.clean);
    FUZZ_CHECK(fromFile.refusal.isEmpty() == fromMemory.refusal.isEmpty());
    FUZZ_CHECK(refusedLine(fromFile.refusal) == refusedLine(fromMemory.refusal));
    FUZZ_CHECK(fromFile.warnings == fromMemory.warnings);

    // The checksum helpers take any line.
    for (const QByteArray& line : text.split('\n')) {
        const QString sum = firmware::lineChecksum(line);
        FUZZ_CHECK(sum.size() == 2 && sum == sum.toUpper());
        FUZZ_CHECK(firmware::hexByte(line.right(2)) == firmware::hexByte(line));
    }

    const int lastBlock = static_cast<int>((fromMemory.image.size() + 127) / 128) - 1;
    fuzzing::checkUpgradeFrames(fromMemory.image, {2, 1, 0, 6}, {0, lastBlock, lastBlock + 1});
    return 0;
}
