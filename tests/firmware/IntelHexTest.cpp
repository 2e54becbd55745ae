// The loader's rules, on HEX text in memory. That a file on disk reads exactly like the same bytes
// in memory is a property fuzz/fuzz_intel_hex.cpp checks on every input (the over-long line that
// only the file reader's buffer notices included); srec_cat and objcopy files in IntelHexOracleTest.
#include "firmware/IntelHex.h"
#include <gtest/gtest.h>

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

struct Put {
    qsizetype address;
    QByteArray bytes;
};

TEST(HexLoading, GivesTheImageAndWarnings)
{
    struct Case {
        const char* name;
        QByteArray text;
        bool noBoot;
        qsizetype size;       // expected image length
        QList<Put> content;   // expected bytes; everything else 0xFF
        QStringList warnings; // in order
        bool clean;
    };
    const Case cases[] = {
        {"4 bytes at 0x0010; CR LF, blank lines, no line end at the last", ":0400100001020304E2\r\n\r\n\n:00000001FF",
         false, 20, {{16, QByteArray::fromHex("01020304")}}, {}, true},
        {"data after the end-of-file record is never read", rec(0, 0, "\x01") + kEof + ":zz garbage\n", false, 1,
         {{0, "\x01"}}, {}, true},
        {"NoBoot loads a record from 0x7FF8 whole and skips one at 0x8000",
         rec(0, 0x7FF8, QByteArray(16, '\x5A')) + rec(0, 0x8000, "\x55") + kEof, true, 0x8008, {{0x7FF8, QByteArray(16, '\x5A')}},
         {}, true},
        {"segment 0x1000 moves later data up by 0x10000",
         rec(0, 0, "\x01") + ":020000021000EC\n" + rec(0, 2, "\x02\x03") + kEof, false, 0x10004,
         {{0, "\x01"}, {0x10002, "\x02\x03"}}, {}, true},
        {"NoBoot tests the record's own address, not the segment base",
         ":020000021000EC\n" + rec(0, 0x7FFF, "\x07\x08") + rec(0, 0x8000, "\x09") + kEof, true, 0x18001,
         {{0x17FFF, "\x07\x08"}}, {}, true},
        {"segment with a bad checksum warns and is not applied", ":020000021000ED\n" + rec(0, 2, "\x02") + kEof, false,
         3, {{2, "\x02"}}, {"Checksum error op extended segment address &H1000"}, false},
        {"data with a bad checksum warns with the address as written and loads",
         QByteArray(":0200a000deadd4\n") + kEof, false, 0xA2, {{0xA0, "\xDE\xAD"}},
         {"Checksum error op data record op adres &H00a0"}, false},
        {"types 03, 04, 05 are ignored silently (04 moves nothing); others warn once each",
         rec(3, 0, QByteArray::fromHex("00000105")) + ":020000040001F9\n" + rec(5, 0, QByteArray::fromHex("00000105"))
             + ":00000006FA\n" + rec(0x0A, 0, "\x01") + rec(0, 1, "\x44") + kEof,
         false, 2, {{1, "\x44"}},
         {"HEX Data type 06 not supported. This will be ignored!", "HEX Data type 0A not supported. This will be ignored!"},
         true},
        {"a bad checksum on the end record makes the image unclean", rec(0, 0, "\x01") + ":00000001FE\n", false, 1,
         {{0, "\x01"}}, {}, false},
        {"a file cut short (no end record) is not clean", rec(0, 0, "\x01\x02"), false, 2, {{0, "\x01\x02"}}, {}, false},
        {"a record of 121 bytes (253 characters) is accepted", rec(0, 0, QByteArray(121, '\x11')) + kEof, false, 121,
         {{0, QByteArray(121, '\x11')}}, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray expected(c.size, '\xFF');
        for (const Put& p : c.content)
            expected.replace(p.address, p.bytes.size(), p.bytes);
        const HexImage result = firmware::hexTextToImage(c.text, c.noBoot);
        EXPECT_TRUE(result.refusal.isEmpty()) << result.refusal.toStdString();
        EXPECT_EQ(result.image.toHex(), expected.toHex());
        EXPECT_EQ(result.warnings, c.warnings);
        EXPECT_EQ(result.clean, c.clean);
    }
}

// That a refused file gives no image and is not clean, the fuzz target checks on every input.
TEST(HexLoading, ABadFileIsRefusedSayingWhichLineAndWhy)
{
    struct Case {
        const char* name;
        QByteArray text;
        QString reasonPart;   // a piece the refusal must contain
        QStringList warnings; // given before the refusal
    };
    const Case cases[] = {
        {"a non-hex digit in the data", rec(0, 0, "\x01") + ":01000000G1FE\n" + kEof, "line 2", {}},
        {"a line of 255 characters", ":" + QByteArray(254, '0') + "\n" + kEof, "255 characters", {}},
        {"a line too short for its fields", ":000000\n", "too short", {}},
        {"a data record shorter than its count", ":04001000010203E2\n" + kEof, "4 data bytes", {}},
        {"a segment record without its segment", ":02000002FC\n" + kEof, "too short", {}},
        {"a segment from 0x8000 up", rec(2, 0, QByteArray::fromHex("8000")) + rec(0, 0, "\x01") + kEof, "8000", {}},
        {"warnings before the refusal are kept", QByteArray(":0200a000deadd4\n") + ":0100000001\n", "line 2",
         {"Checksum error op data record op adres &H00a0"}},
    };
    for (const Case& c : cases) {
        const HexImage result = firmware::hexTextToImage(c.text, false);
        EXPECT_TRUE(result.refusal.contains(c.reasonPart)) << c.name << ": " << result.refusal.toStdString();
        EXPECT_EQ(result.warnings, c.warnings) << c.name;
    }
}

// From disk: a CR LF file whose record at 0x8000 (the boot loader) NoBoot leaves out, and a file
// that is not there, refused with its name.
TEST(HexFile, ReadsTheCheckedInSampleAndNamesAMissingFile)
{
    const HexImage sample = firmware::Hex2BinString(QMR_TEST_DATA "/firmware/sample_crlf.hex", true);
    EXPECT_EQ(sample.image.toHex(), (QByteArray::fromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f")
                                     + QByteArray(0x100 - 32, '\xFF') + QByteArray::fromHex("deadbeef")).toHex());
    EXPECT_TRUE(sample.clean && sample.warnings.isEmpty() && sample.refusal.isEmpty());

    const HexImage missing = firmware::Hex2BinString("/nonexistent/QMR51v2.hex", true);
    EXPECT_TRUE(missing.image.isEmpty());
    EXPECT_TRUE(missing.refusal.contains("/nonexistent/QMR51v2.hex")) << missing.refusal.toStdString();
}

} // namespace
