// The loader's rules, on HEX text in memory, then against two independent HEX writers. That a file
// on disk reads exactly like the same bytes in memory is a property fuzz/fuzz_intel_hex.cpp checks on
// every input (the over-long line that only the file reader's buffer notices included).
#include "TestFiles.h"
#include "firmware/IntelHex.h"
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using firmware::HexImage;

namespace {

// A record line with a right checksum, built the plain way: two's complement of the byte sum.
QByteArray rec(int type, int address, const QByteArray& data)
{
    const QByteArray bytes = QByteArray(1, char(data.size())) + char(address >> 8) + char(address) + char(type) + data;
    int sum = 0;
    for (char c : bytes)
        sum += static_cast<unsigned char>(c);
    return ':' + (bytes + char(-sum)).toHex().toUpper() + '\n';
}

const QByteArray kEof = ":00000001FF\n";

TEST(HexLoading, GivesTheImageAndWarnings)
{
    // The image's length and the bytes written at `at` (everything else 0xFF), the warnings in order.
    struct Case { const char* name; QByteArray text; bool noBoot; qsizetype size, at; QByteArray bytes; QStringList warnings; bool clean; };
    const QByteArray z16(16, '\x5A'), hex05 = QByteArray::fromHex("00000105");
    const Case cases[] = {
        {"4 bytes at 0x0010; CR LF, blank lines, no line end at the last", ":0400100001020304E2\r\n\r\n\n:00000001FF", false, 20, 16,
         "\x01\x02\x03\x04", {}, true},
        {"data after the end-of-file record is never read", rec(0, 0, "\x01") + kEof + ":zz garbage\n", false, 1, 0, "\x01", {}, true},
        {"skipBootLoader loads a record from 0x7FF8 whole and skips one at 0x8000", rec(0, 0x7FF8, z16) + rec(0, 0x8000, "\x55") + kEof,
         true, 0x8008, 0x7FF8, z16, {}, true},
        {"skipBootLoader tests the record's own address, not the segment base",
         ":020000021000EC\n" + rec(0, 0x7FFF, "\x07\x08") + rec(0, 0x8000, "\x09") + kEof, true, 0x18001, 0x17FFF, "\x07\x08", {}, true},
        {"segment with a bad checksum warns and is not applied", ":020000021000ED\n" + rec(0, 2, "\x02") + kEof, false, 3, 2, "\x02",
         {"Checksum error op extended segment address &H1000"}, false},
        {"data with a bad checksum warns with the address as written and loads", ":0200a000deadd4\n" + kEof, false, 0xA2, 0xA0, "\xDE\xAD",
         {"Checksum error op data record op adres &H00a0"}, false},
        {"types 03, 04, 05 are ignored silently (04 moves nothing); others warn once each",
         rec(3, 0, hex05) + ":020000040001F9\n" + rec(5, 0, hex05) + ":00000006FA\n" + rec(0x0A, 0, "\x01") + rec(0, 1, "\x44") + kEof, false, 2, 1,
         "\x44", {"HEX Data type 06 not supported. This will be ignored!", "HEX Data type 0A not supported. This will be ignored!"}, true},
        {"a bad checksum on the end record makes the image unclean", rec(0, 0, "\x01") + ":00000001FE\n", false, 1, 0, "\x01", {}, false},
        {"a record of 121 bytes (253 characters) is accepted", rec(0, 0, QByteArray(121, '\x11')) + kEof, false, 121, 0,
         QByteArray(121, '\x11'), {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HexImage result = firmware::hexTextToImage(c.text, c.noBoot);
        EXPECT_TRUE(result.refusal.isEmpty()) << result.refusal.toStdString();
        EXPECT_EQ(result.image.toHex(), QByteArray(c.size, '\xFF').replace(c.at, c.bytes.size(), c.bytes).toHex());
        EXPECT_EQ(result.warnings, c.warnings);
        EXPECT_EQ(result.clean, c.clean);
    }
}

// That a refused file gives no image and is not clean, the fuzz target checks on every input.
TEST(HexLoading, ABadFileIsRefusedSayingWhichLineAndWhy)
{
    // A piece the refusal must contain, and the warnings given before it.
    struct Case { const char* name; QByteArray text; QString reasonPart; QStringList warnings; };
    const Case cases[] = {
        {"a non-hex digit in the data", rec(0, 0, "\x01") + ":01000000G1FE\n" + kEof, "line 2", {}},
        {"a line of 255 characters", ":" + QByteArray(254, '0') + "\n" + kEof, "255 characters", {}},
        {"a data record shorter than its count", ":04001000010203E2\n" + kEof, "4 data bytes", {}},
        {"a segment record without its segment", ":02000002FC\n" + kEof, "too short", {}},
        {"a segment from 0x8000 up", rec(2, 0, QByteArray::fromHex("8000")) + rec(0, 0, "\x01") + kEof, "8000", {}},
        {"warnings before the refusal are kept", ":0200a000deadd4\n:0100000001\n", "line 2", {"Checksum error op data record op adres &H00a0"}},
    };
    for (const Case& c : cases) {
        const HexImage result = firmware::hexTextToImage(c.text, false);
        EXPECT_TRUE(result.refusal.contains(c.reasonPart)) << c.name << ": " << result.refusal.toStdString();
        EXPECT_EQ(result.warnings, c.warnings) << c.name;
    }
    // A CR LF file from disk with its boot loader record left out is the QMR51 upgrade's (four_blocks.hex).
    EXPECT_TRUE(firmware::hexFileToImage("/nonexistent/QMR51v2.hex", true).refusal.contains("/nonexistent/QMR51v2.hex")) << "a missing file";
}

// A random binary written as Intel HEX by srec_cat (16-bit addresses only, or type 02 segment
// records for data above 64 KiB, which the HEX must then carry) or objcopy loads back byte for byte,
// with 0xFF below its offset.
TEST(HexOracle, LoadsWhatSrecCatAndObjcopyWrote)
{
    struct Case { const char* tool; qsizetype size; int offset; QStringList options; bool expectSegment; };
    const Case cases[] = {
        {"srec_cat", 4099, 0x123, {"-address-length=2", "-line-length=80"}, false},
        {"srec_cat", 100003, 0xFFF1, {"-address-length=3", "-line-length=25"}, true},
        {"objcopy", 3000, 0x105, {}, false},
    };
    QTemporaryDir dir;
    const QString binPath = dir.filePath("in.bin"), hexPath = dir.filePath("out.hex");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tool << ": " << c.size << " bytes at " << c.offset);
        std::mt19937 generator(static_cast<unsigned>(c.size * 31 + c.offset));
        QByteArray data(c.size, '\0');
        for (char& b : data)
            b = static_cast<char>(generator() & 0xFF);
        ASSERT_TRUE(fakes::writeFile(binPath, data));
        QFile::remove(hexPath);
        const QString offset = QString::number(c.offset);
        const QStringList args = QLatin1String(c.tool) == QLatin1String("objcopy")
                                     ? QStringList{"-I", "binary", "-O", "ihex", "--change-addresses", offset, binPath, hexPath}
                                     : QStringList{binPath, "-binary", "-offset", offset, "-o", hexPath, "-intel"} + c.options;
        QProcess tool;
        tool.start(c.tool, args);
        ASSERT_TRUE(tool.waitForFinished(60000)) << tool.errorString().toStdString();
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        EXPECT_EQ(fakes::readFile(hexPath).contains(":020000021000EC"), c.expectSegment);

        const firmware::HexImage result = firmware::hexFileToImage(hexPath, false);
        ASSERT_TRUE(result.refusal.isEmpty()) << result.refusal.toStdString();
        EXPECT_TRUE(result.clean);
        EXPECT_TRUE(result.warnings.isEmpty()) << result.warnings.join('|').toStdString();
        const QByteArray expected = QByteArray(c.offset, '\xFF') + data;
        ASSERT_EQ(result.image.size(), expected.size());
        // Compare without printing megabytes on a failure: report the first differing address.
        const auto wrong = std::mismatch(expected.begin(), expected.end(), result.image.begin()).first;
        EXPECT_TRUE(wrong == expected.end()) << "first wrong byte at address 0x" << std::hex << (wrong - expected.begin());
    }
}

} // namespace
