#include "firmware/IntelHex.h"
#include <QFile>
#include <array>
#include <cstring>

namespace firmware {

namespace {

// Digit values of '0'-'9', 'A'-'F', 'a'-'f'; -1 for every other byte.
constexpr std::array<std::int8_t, 256> makeDigitTable()
{
    std::array<std::int8_t, 256> table{};
    for (auto& v : table)
        v = -1;
    for (int c = '0'; c <= '9'; ++c)
        table[c] = static_cast<std::int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c)
        table[c] = static_cast<std::int8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c)
        table[c] = static_cast<std::int8_t>(c - 'a' + 10);
    return table;
}
constexpr auto kDigit = makeDigitTable();

int digitAt(QByteArrayView line, qsizetype index) { return kDigit[static_cast<unsigned char>(line[index])]; }

// A byte from the two digits at 0-based index and index + 1; the line is already checked to be hex.
std::uint8_t byteAt(QByteArrayView line, qsizetype index)
{
    return static_cast<std::uint8_t>(digitAt(line, index) * 16 + digitAt(line, index + 1));
}

std::uint16_t wordAt(QByteArrayView line, qsizetype index)
{
    return static_cast<std::uint16_t>(byteAt(line, index) * 256 + byteAt(line, index + 2));
}

// Sum of the digit pairs after the start character; zero on a right line. Only for lines whose
// characters are all hex digits (CheckSum below handles anything).
std::uint8_t pairSum(QByteArrayView line)
{
    unsigned sum = 0;
    qsizetype p = 1;
    for (; p + 1 < line.size(); p += 2)
        sum += byteAt(line, p);
    if (p < line.size())
        sum += static_cast<unsigned>(digitAt(line, p));
    return static_cast<std::uint8_t>(sum);
}

// Minimum line: start character, count, address, type and checksum.
constexpr qsizetype kMinRecordChars = 11;
// 0-based indexes of the fixed fields.
constexpr qsizetype kCountAt = 1, kAddressAt = 3, kTypeAt = 7, kDataAt = 9;

// Reads record lines one at a time, so a file is never read beyond its end-of-file record.
class HexLoader {
public:
    explicit HexLoader(bool noBoot) : noBoot_(noBoot) {}

    // False when reading must stop: the end-of-file record, or a refusal.
    bool takeLine(QByteArrayView line, int lineNumber)
    {
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            return true;
        lineNumber_ = lineNumber;
        if (line.size() > kMaxHexLineChars)
            return refuse(QStringLiteral("it is %1 characters long, more than the %2 a record line may hold")
                              .arg(line.size()).arg(kMaxHexLineChars));
        for (qsizetype i = 1; i < line.size(); ++i) {
            if (digitAt(line, i) < 0)
                return refuse(QStringLiteral("position %1 holds a character that is not a hexadecimal digit").arg(i + 1));
        }
        if (line.size() < kMinRecordChars)
            return refuse(QStringLiteral("it is too short to be a record"));

        const bool sumRight = pairSum(line) == 0;
        checksumsRight_ = checksumsRight_ && sumRight;
        const QByteArrayView type = line.sliced(kTypeAt, 2);
        if (type == "00")
            return dataRecord(line, sumRight);
        if (type == "01") {
            endRecordSeen_ = true;
            return false;
        }
        if (type == "02")
            return segmentRecord(line, sumRight);
        if (type == "03" || type == "04" || type == "05")
            return true;
        warnings_.append(QStringLiteral("HEX Data type ") + QString::fromLatin1(type)
                         + QStringLiteral(" not supported. This will be ignored!"));
        return true;
    }

    HexImage finish()
    {
        if (!refusal_.isEmpty())
            return {QByteArray(), false, refusal_, warnings_};
        return {std::move(image_), checksumsRight_ && endRecordSeen_, QString(), warnings_};
    }

    bool refuseLine(int lineNumber, const QString& reason)
    {
        refusal_ = QStringLiteral("line %1: %2.").arg(lineNumber).arg(reason);
        return false;
    }

private:
    bool refuse(const QString& reason) { return refuseLine(lineNumber_, reason); }

    bool dataRecord(QByteArrayView line, bool sumRight)
    {
        const int count = byteAt(line, kCountAt);
        if (line.size() < kMinRecordChars + 2 * count)
            return refuse(QStringLiteral("it announces %1 data bytes but is too short to hold them and its checksum").arg(count));
        if (!sumRight)
            warnings_.append(QStringLiteral("Checksum error op data record op adres &H")
                             + QString::fromLatin1(line.sliced(kAddressAt, 4)));
        const std::uint16_t address = wordAt(line, kAddressAt);
        if (noBoot_ && address > kLastApplicationAddress)
            return true;
        const qsizetype start = segmentBase_ + address;
        const qsizetype end = start + count;
        if (end > kMaxHexImageBytes)
            return refuse(QStringLiteral("its data would lie beyond 1 MiB, far past any QMR51 firmware"));
        if (image_.size() < end)
            image_.resize(end, '\xFF');
        char* out = image_.data() + start;
        for (int i = 0; i < count; ++i)
            out[i] = static_cast<char>(byteAt(line, kDataAt + 2 * i));
        return true;
    }

    bool segmentRecord(QByteArrayView line, bool sumRight)
    {
        if (line.size() < kMinRecordChars + 4)
            return refuse(QStringLiteral("the extended segment address record is too short to hold its segment"));
        if (!sumRight) {
            warnings_.append(QStringLiteral("Checksum error op extended segment address &H")
                             + QString::fromLatin1(line.sliced(kDataAt, 4)));
            return true;
        }
        const std::uint16_t segment = wordAt(line, kDataAt);
        // Read as a signed 16-bit number these are negative bases; no QMR51 firmware has them.
        if (segment >= 0x8000)
            return refuse(QStringLiteral("the extended segment address %1 lies outside the QMR51's memory")
                              .arg(QString::fromLatin1(line.sliced(kDataAt, 4))));
        segmentBase_ = qsizetype(segment) * 16;
        return true;
    }

    bool noBoot_;
    QStringList warnings_;
    QByteArray image_;
    qsizetype segmentBase_ = 0;
    bool checksumsRight_ = true;
    bool endRecordSeen_ = false;
    int lineNumber_ = 0;
    QString refusal_;
};

HexImage refused(const QString& what, HexImage result)
{
    result.refusal = what + QStringLiteral(" cannot be used: ") + result.refusal;
    return result;
}

} // namespace

HexImage hexFileToImage(const QString& path, bool skipBootLoader)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QByteArray(), false,
                QStringLiteral("The firmware file %1 cannot be opened: %2").arg(path, file.errorString()), {}};

    HexLoader loader(skipBootLoader);
    // Room for the longest allowed line, its CR LF and one character more to notice a longer one.
    char buffer[kMaxHexLineChars + 4];
    int lineNumber = 0;
    while (!file.atEnd()) {
        const qint64 got = file.readLine(buffer, sizeof buffer);
        if (got < 0)
            break;
        ++lineNumber;
        const QByteArrayView line(buffer, got);
        if (!line.endsWith('\n') && !file.atEnd()) {
            // The buffer filled up before the line ended: more than any record line may hold.
            loader.refuseLine(lineNumber, QStringLiteral("it is longer than the %1 characters a record line may hold")
                                              .arg(kMaxHexLineChars));
            break;
        }
        if (!loader.takeLine(line, lineNumber))
            break;
    }
    file.close();
    HexImage result = loader.finish();
    return result.refusal.isEmpty() ? result : refused(QStringLiteral("The firmware file ") + path, result);
}

HexImage hexTextToImage(const QByteArray& text, bool skipBootLoader)
{
    HexLoader loader(skipBootLoader);
    qsizetype from = 0;
    int lineNumber = 0;
    while (from < text.size()) {
        qsizetype to = text.indexOf('\n', from);
        to = to < 0 ? text.size() : to + 1;
        if (!loader.takeLine(QByteArrayView(text).sliced(from, to - from), ++lineNumber))
            break;
        from = to;
    }
    HexImage result = loader.finish();
    return result.refusal.isEmpty() ? result : refused(QStringLiteral("The firmware"), result);
}

QString lineChecksum(QByteArrayView line)
{
    unsigned sum = 0;
    for (qsizetype p = 1; p < line.size(); p += 2)
        sum += hexByte(line.sliced(p, std::min<qsizetype>(2, line.size() - p)));
    const unsigned complement = (256 - (sum & 0xFF)) & 0xFF;
    return QStringLiteral("%1").arg(complement, 2, 16, QLatin1Char('0')).toUpper();
}

std::uint8_t hexByte(QByteArrayView text)
{
    // 16^2 is 0 modulo 256, so characters left of the last two cannot change the byte.
    unsigned result = 0;
    unsigned weight = 1;
    for (qsizetype i = text.size() - 1; i >= 0 && weight < 256; --i, weight *= 16) {
        const int c = static_cast<unsigned char>(text[i]);
        int digit = c - 48;
        if (c >= 'A' && c <= 'F')
            digit = c - 55;
        else if (c >= 'a' && c <= 'f')
            digit = c - 87;
        result += static_cast<unsigned>(digit) * weight; // a code below '0' wraps, as it would in a byte
    }
    return static_cast<std::uint8_t>(result & 0xFF);
}

QStringList hexWarningsToShow(const QStringList& warnings)
{
    if (warnings.size() <= kShownHexWarnings)
        return warnings;
    const qsizetype rest = warnings.size() - kShownHexWarnings;
    return warnings.first(kShownHexWarnings)
           + QStringList(rest == 1 ? QStringLiteral("1 more warning of this HEX file is not shown.")
                                   : QStringLiteral("%1 more warnings of this HEX file are not shown.").arg(rest));
}

} // namespace firmware
