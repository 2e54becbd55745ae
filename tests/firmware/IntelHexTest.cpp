#include "firmware/IntelHex.h"
#include <QFile>
#include <QTemporaryDir>
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

QByteArray run(int count, char value) { return QByteArray(count, value); }

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray kEof = ":00000001FF\n";

struct Put {
    qsizetype address;
    QByteArray bytes;
};

// Every case goes through the in-memory loader and through a real file, which must agree.
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
        {"empty file", "", false, 0, {}, {}, false},
        {"4 bytes at 0x0010; CR LF, blank lines, no line end at the last", ":0400100001020304E2\r\n\r\n\n:00000001FF",
         false, 20, {{16, QByteArray::fromHex("01020304")}}, {}, true},
        {"the later of two records at one address wins", rec(0, 0, "\x11\x22\x33") + rec(0, 1, "\xAA") + kEof, false,
         3, {{0, "\x11\xAA\x33"}}, {}, true},
        {"data after the end-of-file record is never read", rec(0, 0, "\x01") + kEof + ":zz garbage\n", false, 1,
         {{0, "\x01"}}, {}, true},
        {"NoBoot loads a record from 0x7FF8 whole and skips one at 0x8000",
         rec(0, 0x7FF8, run(16, '\x5A')) + rec(0, 0x8000, "\x55") + kEof, true, 0x8008, {{0x7FF8, run(16, '\x5A')}},
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
        {"a record of 121 bytes (253 characters) is accepted", rec(0, 0, run(121, '\x11')) + kEof, false, 121,
         {{0, run(121, '\x11')}}, {}, true},
        // A CR LF file; its record at 0x8000 (the boot loader) is left out by NoBoot.
        {"the checked-in sample", fileContent(QMR_TEST_DATA "/firmware/sample_crlf.hex"), true, 0x104,
         {{0, QByteArray::fromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f")},
          {0x100, QByteArray::fromHex("deadbeef")}},
         {}, true},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray expected(c.size, '\xFF');
        for (const Put& p : c.content)
            expected.replace(p.address, p.bytes.size(), p.bytes);
        const HexImage fromText = firmware::hexTextToImage(c.text, c.noBoot);
        EXPECT_TRUE(fromText.refusal.isEmpty()) << fromText.refusal.toStdString();
        EXPECT_EQ(fromText.image.toHex(), expected.toHex());
        EXPECT_EQ(fromText.warnings, c.warnings);
        EXPECT_EQ(fromText.clean, c.clean);

        QFile file(dir.filePath("image.hex"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.text);
        file.close();
        const HexImage fromFile = firmware::Hex2BinString(file.fileName(), c.noBoot);
        EXPECT_TRUE(fromFile.refusal.isEmpty()) << fromFile.refusal.toStdString();
        EXPECT_EQ(fromFile.image.toHex(), expected.toHex());
        EXPECT_EQ(fromFile.warnings, c.warnings);
        EXPECT_EQ(fromFile.clean, c.clean);
    }
}

TEST(HexLoading, ABadFileGivesNoImageAndSaysWhichLine)
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
        EXPECT_TRUE(result.image.isEmpty()) << c.name;
        EXPECT_FALSE(result.clean) << c.name;
        EXPECT_TRUE(result.refusal.contains(c.reasonPart)) << c.name << ": " << result.refusal.toStdString();
        EXPECT_EQ(result.warnings, c.warnings) << c.name;
    }
}

TEST(HexFile, AMissingFileOrALineLongerThanTheReadBufferIsRefusedWithTheFilesName)
{
    const HexImage missing = firmware::Hex2BinString("/nonexistent/QMR51v2.hex", true);
    EXPECT_TRUE(missing.image.isEmpty());
    EXPECT_TRUE(missing.refusal.contains("/nonexistent/QMR51v2.hex")) << missing.refusal.toStdString();

    QTemporaryDir dir;
    QFile file(dir.filePath("long.hex"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(rec(0, 0, "\x01") + ":" + QByteArray(600, '0') + "\n" + kEof);
    file.close();
    const HexImage result = firmware::Hex2BinString(file.fileName(), false);
    EXPECT_TRUE(result.image.isEmpty());
    EXPECT_TRUE(result.refusal.contains("line 2")) << result.refusal.toStdString();
    EXPECT_TRUE(result.refusal.contains("long.hex")) << result.refusal.toStdString();
}

} // namespace
