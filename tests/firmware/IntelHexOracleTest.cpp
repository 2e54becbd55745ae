// The loader against two independent HEX writers: a random binary is written as Intel HEX by
// srec_cat or objcopy, loaded back, and must come out byte for byte, with 0xFF below its offset.
#include "FakeDialogs.h"
#include "firmware/IntelHex.h"
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

namespace {

struct OracleCase {
    const char* name;
    const char* tool;    // "srec_cat" or "objcopy"
    qsizetype size;      // bytes of random data
    int offset;          // load address of the first byte
    int addressLength;   // srec_cat: 2 = 16-bit only, 3 = type 02 segment records
    int lineLength;      // srec_cat -line-length, 0 = its default
    bool expectSegment;  // the HEX must carry a segment record (data above 64 KiB)
};

std::ostream& operator<<(std::ostream& os, const OracleCase& c) { return os << c.name; }

QByteArray randomBytes(qsizetype size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray data(size, '\0');
    for (char& c : data)
        c = static_cast<char>(byte(generator));
    return data;
}

QStringList toolArguments(const OracleCase& c, const QString& in, const QString& out)
{
    if (QLatin1String(c.tool) == QLatin1String("objcopy"))
        return {"-I", "binary", "-O", "ihex", "--change-addresses", QString::number(c.offset), in, out};
    QStringList args{in, "-binary", "-offset", QString::number(c.offset), "-o", out, "-intel",
                     QStringLiteral("-address-length=%1").arg(c.addressLength)};
    if (c.lineLength > 0)
        args << QStringLiteral("-line-length=%1").arg(c.lineLength);
    return args;
}

class HexOracle : public ::testing::TestWithParam<OracleCase> {};

TEST_P(HexOracle, LoadsWhatTheToolWrote)
{
    const OracleCase& c = GetParam();
    if (QStandardPaths::findExecutable(c.tool).isEmpty())
        GTEST_SKIP() << c.tool << " is not installed; the comparison with it is skipped";

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray data = randomBytes(c.size, static_cast<unsigned>(c.size * 31 + c.offset));
    const QString binPath = dir.filePath("in.bin");
    const QString hexPath = dir.filePath("out.hex");
    QFile bin(binPath);
    ASSERT_TRUE(bin.open(QIODevice::WriteOnly));
    bin.write(data);
    bin.close();

    QProcess tool;
    tool.start(c.tool, toolArguments(c, binPath, hexPath));
    ASSERT_TRUE(tool.waitForFinished(60000)) << tool.errorString().toStdString();
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();

    QFile hex(hexPath);
    ASSERT_TRUE(hex.open(QIODevice::ReadOnly));
    const QByteArray hexText = hex.readAll();
    hex.close();
    EXPECT_EQ(hexText.contains(":020000021000EC"), c.expectSegment);

    fakes::FakeDialogs dialogs;
    const firmware::HexImage result = firmware::Hex2BinString(hexPath, false, dialogs);
    ASSERT_TRUE(result.refusal.isEmpty()) << result.refusal.toStdString();
    EXPECT_TRUE(result.clean);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    const QByteArray expected = QByteArray(c.offset, '\xFF') + data;
    ASSERT_EQ(result.image.size(), expected.size());
    // Compare without printing megabytes on a failure: report the first differing address.
    qsizetype firstDifference = -1;
    for (qsizetype i = 0; i < expected.size() && firstDifference < 0; ++i)
        if (result.image[i] != expected[i])
            firstDifference = i;
    EXPECT_EQ(firstDifference, -1) << "first wrong byte at address 0x" << std::hex << firstDifference;
}

INSTANTIATE_TEST_SUITE_P(
    Writers, HexOracle,
    ::testing::Values(
        OracleCase{"srec_cat_1_byte", "srec_cat", 1, 0, 2, 0, false},
        OracleCase{"srec_cat_1000_at_0x100", "srec_cat", 1000, 0x100, 2, 0, false},
        OracleCase{"srec_cat_4099_at_odd_0x123_lines_80", "srec_cat", 4099, 0x123, 2, 80, false},
        OracleCase{"srec_cat_32K_lines_253", "srec_cat", 32768, 0, 2, 253, false},
        OracleCase{"srec_cat_exactly_64K_segments", "srec_cat", 65536, 0, 3, 0, false},
        OracleCase{"srec_cat_70000_at_odd_0x123_segments", "srec_cat", 70000, 0x123, 3, 0, true},
        OracleCase{"srec_cat_200001_at_7_segments_lines_200", "srec_cat", 200001, 7, 3, 200, true},
        OracleCase{"srec_cat_100003_at_0xFFF1_segments_lines_25", "srec_cat", 100003, 0xFFF1, 3, 25, true},
        OracleCase{"objcopy_1_byte", "objcopy", 1, 0, 0, 0, false},
        OracleCase{"objcopy_3000_at_odd_0x105", "objcopy", 3000, 0x105, 0, 0, false},
        OracleCase{"objcopy_65000_at_0x11", "objcopy", 65000, 0x11, 0, 0, false}),
    [](const ::testing::TestParamInfo<OracleCase>& info) { return std::string(info.param.name); });

} // namespace
