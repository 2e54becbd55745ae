#include "FakeDialogs.h"
#include "firmware/IntelHex.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using firmware::HexImage;

namespace {

// A record line with a right checksum, built the plain way: two's complement of the byte sum.
QByteArray rec(int type, int address, const QByteArray& data)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(data.size()));
    bytes.append(static_cast<char>(address >> 8));
    bytes.append(static_cast<char>(address & 0xFF));
    bytes.append(static_cast<char>(type));
    bytes.append(data);
    int sum = 0;
    for (char c : bytes)
        sum += static_cast<unsigned char>(c);
    bytes.append(static_cast<char>((256 - sum % 256) % 256));
    return ':' + bytes.toHex().toUpper() + '\n';
}

QByteArray run(int count, char value) { return QByteArray(count, value); }

struct Put {
    qsizetype address;
    QByteArray bytes;
};

struct LoadCase {
    const char* name;
    QByteArray text;
    bool noBoot;
    qsizetype size;          // expected image length
    QList<Put> content;      // expected bytes; everything else 0xFF
    QStringList messages;    // warnings, in order
    bool clean;
};

QByteArray expectedImage(const LoadCase& c)
{
    QByteArray image(c.size, '\xFF');
    for (const Put& p : c.content)
        image.replace(p.address, p.bytes.size(), p.bytes);
    return image;
}

std::ostream& operator<<(std::ostream& os, const LoadCase& c) { return os << c.name; }

class HexLoading : public ::testing::TestWithParam<LoadCase> {};

// Every case goes through the in-memory loader and through a real file, which must agree.
TEST_P(HexLoading, GivesTheImageAndWarnings)
{
    const LoadCase& c = GetParam();
    fakes::FakeDialogs textDialogs;
    const HexImage fromText = firmware::hexTextToImage(c.text, c.noBoot, textDialogs);
    EXPECT_TRUE(fromText.refusal.isEmpty()) << fromText.refusal.toStdString();
    EXPECT_EQ(fromText.image.size(), c.size);
    EXPECT_EQ(fromText.image.toHex(), expectedImage(c).toHex());
    EXPECT_EQ(textDialogs.messages, c.messages);
    EXPECT_EQ(fromText.clean, c.clean);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath("image.hex"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(c.text);
    file.close();
    fakes::FakeDialogs fileDialogs;
    const HexImage fromFile = firmware::Hex2BinString(file.fileName(), c.noBoot, fileDialogs);
    EXPECT_TRUE(fromFile.refusal.isEmpty()) << fromFile.refusal.toStdString();
    EXPECT_EQ(fromFile.image.toHex(), fromText.image.toHex());
    EXPECT_EQ(fileDialogs.messages, c.messages);
    EXPECT_EQ(fromFile.clean, c.clean);
}

const QByteArray kEof = ":00000001FF\n";
const QByteArray k4At10 = ":0400100001020304E2\n";

INSTANTIATE_TEST_SUITE_P(
    Records, HexLoading,
    ::testing::Values(
        LoadCase{"empty file", "", false, 0, {}, {}, false},
        LoadCase{"only the end-of-file record", kEof, false, 0, {}, {}, true},
        LoadCase{"4 bytes at 0x0010 fill the first 16 with FF", k4At10 + kEof, false, 20,
                 {{16, QByteArray::fromHex("01020304")}}, {}, true},
        LoadCase{"CR LF line ends and blank lines", ":0400100001020304E2\r\n\r\n\n:00000001FF\r\n", false, 20,
                 {{16, QByteArray::fromHex("01020304")}}, {}, true},
        LoadCase{"last line without a line end", k4At10 + ":00000001FF", false, 20,
                 {{16, QByteArray::fromHex("01020304")}}, {}, true},
        LoadCase{"the later of two records at one address wins",
                 rec(0, 0, "\x11\x22\x33") + rec(0, 1, "\xAA") + kEof, false, 3, {{0, "\x11\xAA\x33"}}, {}, true},
        LoadCase{"data after the end-of-file record is never loaded",
                 rec(0, 0, "\x01") + kEof + rec(0, 4, "\x02") + ":zz garbage\n", false, 1, {{0, "\x01"}}, {}, true},
        LoadCase{"NoBoot skips a record at 0x8000", rec(0, 0x8000, "\x55") + kEof, true, 0, {}, {}, true},
        LoadCase{"NoBoot loads a record starting at 0x7FF8 whole", rec(0, 0x7FF8, run(16, '\x5A')) + kEof, true,
                 0x8008, {{0x7FF8, run(16, '\x5A')}}, {}, true},
        LoadCase{"without NoBoot a record at 0xFFF0 reaches 64 KiB", rec(0, 0xFFF0, run(16, '\x01')) + kEof, false,
                 65536, {{0xFFF0, run(16, '\x01')}}, {}, true},
        LoadCase{"segment 0x1000 moves later data up by 0x10000",
                 rec(0, 0, "\x01") + ":020000021000EC\n" + rec(0, 2, "\x02\x03") + kEof, false, 0x10004,
                 {{0, "\x01"}, {0x10002, "\x02\x03"}}, {}, true},
        LoadCase{"NoBoot tests the record's own address, not the segment base",
                 ":020000021000EC\n" + rec(0, 0x7FFF, "\x07\x08") + rec(0, 0x8000, "\x09") + kEof, true, 0x18001,
                 {{0x17FFF, "\x07\x08"}}, {}, true},
        LoadCase{"segment with a bad checksum warns and is not applied",
                 ":020000021000ED\n" + rec(0, 2, "\x02") + kEof, false, 3, {{2, "\x02"}},
                 {"Checksum error op extended segment address &H1000"}, false},
        LoadCase{"data with a bad checksum warns with the address as written and loads",
                 QByteArray(":0200a000deadd4\n") + kEof, false, 0xA2, {{0xA0, "\xDE\xAD"}},
                 {"Checksum error op data record op adres &H00a0"}, false},
        LoadCase{"types 03, 04 and 05 are ignored silently; 04 does not move data",
                 rec(3, 0, QByteArray::fromHex("00000105")) + ":020000040001F9\n" + rec(5, 0, QByteArray::fromHex("00000105"))
                     + rec(0, 1, "\x44") + kEof,
                 false, 2, {{1, "\x44"}}, {}, true},
        LoadCase{"unknown types warn once each and are skipped",
                 ":00000006FA\n" + rec(0x0A, 0, "\x01") + rec(0, 0, "\x33") + kEof, false, 1, {{0, "\x33"}},
                 {"HEX Data type 06 not supported. This will be ignored!",
                  "HEX Data type 0A not supported. This will be ignored!"},
                 true},
        LoadCase{"a bad checksum on the end record makes the image unclean", rec(0, 0, "\x01") + ":00000001FE\n",
                 false, 1, {{0, "\x01"}}, {}, false},
        LoadCase{"a file cut short (no end record) is not clean", rec(0, 0, "\x01\x02"), false, 2, {{0, "\x01\x02"}},
                 {}, false},
        LoadCase{"a record of 121 bytes (253 characters) is accepted", rec(0, 0, run(121, '\x11')) + kEof, false, 121,
                 {{0, run(121, '\x11')}}, {}, true}));

struct RefusalCase {
    const char* name;
    QByteArray text;
    QString reasonPart;     // a piece the refusal must contain
    QStringList messages;   // warnings shown before the refusal
};

std::ostream& operator<<(std::ostream& os, const RefusalCase& c) { return os << c.name; }

class HexRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(HexRefusal, GivesNoImageAndSaysWhichLine)
{
    const RefusalCase& c = GetParam();
    fakes::FakeDialogs dialogs;
    const HexImage result = firmware::hexTextToImage(c.text, false, dialogs);
    EXPECT_TRUE(result.image.isEmpty());
    EXPECT_FALSE(result.clean);
    EXPECT_TRUE(result.refusal.contains(c.reasonPart)) << result.refusal.toStdString();
    EXPECT_EQ(dialogs.messages, c.messages);
}

INSTANTIATE_TEST_SUITE_P(
    BadFiles, HexRefusal,
    ::testing::Values(
        RefusalCase{"a non-hex digit in the data", rec(0, 0, "\x01") + ":01000000G1FE\n" + kEof, "line 2", {}},
        RefusalCase{"a trailing blank", ":00000001FF \n", "line 1", {}},
        RefusalCase{"a line of 255 characters", ":" + QByteArray(254, '0') + "\n" + kEof, "255 characters", {}},
        RefusalCase{"a line too short for its fields", ":000000\n", "too short", {}},
        RefusalCase{"a data record shorter than its count", ":04001000010203E2\n" + kEof, "4 data bytes", {}},
        RefusalCase{"a segment record without its segment", ":02000002FC\n" + kEof, "too short", {}},
        RefusalCase{"a segment from 0x8000 up", rec(2, 0, QByteArray::fromHex("8000")) + rec(0, 0, "\x01") + kEof, "8000", {}},
        RefusalCase{"warnings before the refusal were still shown",
                    QByteArray(":0200a000deadd4\n") + ":0100000001\n", "line 2",
                    {"Checksum error op data record op adres &H00a0"}}));

TEST(HexFile, ALineLongerThanTheReadBufferIsRefused)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("long.hex"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(rec(0, 0, "\x01") + ":" + QByteArray(600, '0') + "\n" + kEof);
    file.close();
    fakes::FakeDialogs dialogs;
    const HexImage result = firmware::Hex2BinString(file.fileName(), false, dialogs);
    EXPECT_TRUE(result.image.isEmpty());
    EXPECT_TRUE(result.refusal.contains("line 2")) << result.refusal.toStdString();
    EXPECT_TRUE(result.refusal.contains("long.hex")) << result.refusal.toStdString();
}

TEST(HexFile, AMissingFileIsRefusedWithItsName)
{
    fakes::FakeDialogs dialogs;
    const HexImage result = firmware::Hex2BinString("/nonexistent/QMR51v2.hex", true, dialogs);
    EXPECT_TRUE(result.image.isEmpty());
    EXPECT_TRUE(result.refusal.contains("/nonexistent/QMR51v2.hex")) << result.refusal.toStdString();
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(HexFile, TheCheckedInSampleLoads)
{
    fakes::FakeDialogs dialogs;
    const HexImage result = firmware::Hex2BinString(QMR_TEST_DATA "/firmware/sample_crlf.hex", true, dialogs);
    ASSERT_TRUE(result.refusal.isEmpty()) << result.refusal.toStdString();
    EXPECT_TRUE(result.clean);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    // Two 16-byte records at 0x0000 and 0x0010, a gap, 4 bytes at 0x0100; the record at 0x8000
    // (boot loader) is left out by NoBoot.
    ASSERT_EQ(result.image.size(), 0x104);
    EXPECT_EQ(result.image.left(32).toHex(), "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
    EXPECT_EQ(result.image.mid(32, 0xE0), QByteArray(0xE0, '\xFF'));
    EXPECT_EQ(result.image.mid(0x100).toHex(), "deadbeef");
}

struct ChecksumCase {
    QByteArray line;
    QString expected;
};

TEST(CheckSum, OfLines)
{
    const ChecksumCase cases[] = {
        {":0300300002337A1E", "00"},
        {":0300300002337A1F", "FF"},
        {":00000001FF", "00"},
        {":0300300002337A", "1E"},   // without its checksum pair: the pair it should carry
        {":35", "CB"},               // a sum of 0x35
        {":0300300002337A1", "1D"},  // odd length: the last pair is the single digit 1
        {":", "00"},
        {":0200a000deadd3", "00"},   // lower case digits
    };
    for (const ChecksumCase& c : cases)
        EXPECT_EQ(firmware::CheckSum(c.line), c.expected) << c.line.constData();
}

TEST(Hex2Int, OfDigitPairs)
{
    const std::pair<const char*, int> cases[] = {
        {"7f", 127}, {"7F", 127}, {"0A", 10}, {"a", 10}, {"FF", 255}, {"ff", 255}, {"00", 0},
        {"", 0}, {"9", 9}, {"G", 23}, {"10", 16}, {"1FF", 255},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(firmware::Hex2Int(QByteArrayView(text)), value) << text;
}

} // namespace
