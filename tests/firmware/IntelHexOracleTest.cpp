// The loader against two independent HEX writers: a random binary is written as Intel HEX by
// srec_cat or objcopy, loaded back, and must come out byte for byte, with 0xFF below its offset.
#include "firmware/IntelHex.h"
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {

TEST(HexOracle, LoadsWhatSrecCatAndObjcopyWrote)
{
    struct Case {
        const char* tool;
        qsizetype size;     // bytes of random data
        int offset;         // load address of the first byte
        int addressLength;  // srec_cat: 2 = 16-bit only, 3 = type 02 segment records
        int lineLength;     // srec_cat -line-length, 0 = its default
        bool expectSegment; // the HEX must carry a segment record (data above 64 KiB)
    };
    const Case cases[] = {
        {"srec_cat", 4099, 0x123, 2, 80, false},
        {"srec_cat", 200001, 7, 3, 200, true},
        {"srec_cat", 100003, 0xFFF1, 3, 25, true},
        {"objcopy", 3000, 0x105, 0, 0, false},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString binPath = dir.filePath("in.bin");
    const QString hexPath = dir.filePath("out.hex");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tool << ": " << c.size << " bytes at " << c.offset);
        std::mt19937 generator(static_cast<unsigned>(c.size * 31 + c.offset));
        std::uniform_int_distribution<int> byte(0, 255);
        QByteArray data(c.size, '\0');
        for (char& b : data)
            b = static_cast<char>(byte(generator));
        QFile bin(binPath);
        ASSERT_TRUE(bin.open(QIODevice::WriteOnly | QIODevice::Truncate));
        bin.write(data);
        bin.close();
        QFile::remove(hexPath);

        QStringList args;
        if (QLatin1String(c.tool) == QLatin1String("objcopy")) {
            args = {"-I", "binary", "-O", "ihex", "--change-addresses", QString::number(c.offset), binPath, hexPath};
        } else {
            args = {binPath, "-binary", "-offset", QString::number(c.offset), "-o", hexPath, "-intel",
                    QStringLiteral("-address-length=%1").arg(c.addressLength)};
            if (c.lineLength > 0)
                args << QStringLiteral("-line-length=%1").arg(c.lineLength);
        }
        QProcess tool;
        tool.start(c.tool, args);
        ASSERT_TRUE(tool.waitForFinished(60000)) << tool.errorString().toStdString();
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        QFile hex(hexPath);
        ASSERT_TRUE(hex.open(QIODevice::ReadOnly));
        EXPECT_EQ(hex.readAll().contains(":020000021000EC"), c.expectSegment);

        const firmware::HexImage result = firmware::Hex2BinString(hexPath, false);
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
