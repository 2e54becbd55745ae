// Intel HEX loading speed: the loader on a QMR51-sized image (32 KiB of application, about 90 KB of
// HEX text) and on a 1 MB HEX file (segment records, about 370 KiB of image), and the same
// conversion by srec_cat for comparison. srec_cat runs as a separate process, so its time includes
// starting it; the ratio counter is srec_cat time / loader time on the same file.
#include "firmware/IntelHex.h"
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <random>
#include "BenchMain.h"

namespace {

QByteArray record(int type, int address, const QByteArray& data)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(data.size()));
    bytes.append(static_cast<char>(address >> 8));
    bytes.append(static_cast<char>(address & 0xFF));
    bytes.append(static_cast<char>(type));
    bytes.append(data);
    unsigned sum = 0;
    for (char c : bytes)
        sum += static_cast<unsigned char>(c);
    bytes.append(static_cast<char>((256 - sum % 256) % 256));
    return ':' + bytes.toHex().toUpper() + "\r\n";
}

// Random image of `imageBytes` in 16-byte records, a segment record at every 64 KiB.
QByteArray hexText(qsizetype imageBytes)
{
    std::mt19937 generator(7);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray text;
    for (qsizetype address = 0; address < imageBytes; address += 16) {
        if (address % 0x10000 == 0 && address > 0) {
            const int segment = static_cast<int>(address / 16);
            text += record(2, 0, QByteArray::fromHex(QByteArray::number(segment, 16).rightJustified(4, '0')));
        }
        QByteArray data(static_cast<int>(std::min<qsizetype>(16, imageBytes - address)), '\0');
        for (char& c : data)
            c = static_cast<char>(byte(generator));
        text += record(0, static_cast<int>(address % 0x10000), data);
    }
    return text + ":00000001FF\r\n";
}

struct HexFiles {
    QTemporaryDir dir;
    QString small;  // 32 KiB image
    QString large;  // about 1 MB of HEX text
    HexFiles()
    {
        small = write("qmr51_32k.hex", hexText(32 * 1024));
        large = write("big_1mb.hex", hexText(372 * 1024));
    }
    QString write(const QString& name, const QByteArray& text)
    {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
        return file.fileName();
    }
};

HexFiles& files()
{
    static HexFiles instance;
    return instance;
}

const QString& fileFor(std::int64_t which) { return which == 0 ? files().small : files().large; }

void BM_Hex2BinString(benchmark::State& state)
{
    const QString& path = fileFor(state.range(0));
    qsizetype imageBytes = 0;
    for (auto _ : state) {
        const firmware::HexImage result = firmware::hexFileToImage(path, false);
        imageBytes = result.image.size();
        benchmark::DoNotOptimize(result.image.constData());
    }
    const qint64 hexBytes = QFile(path).size();
    state.SetBytesProcessed(state.iterations() * hexBytes);
    state.counters["hex_bytes"] = static_cast<double>(hexBytes);
    state.counters["image_bytes"] = static_cast<double>(imageBytes);
}
BENCHMARK(BM_Hex2BinString)->Arg(0)->Arg(1)->ArgNames({"file_1mb"})->Unit(benchmark::kMicrosecond);

// srec_cat timed with std::chrono around each run; the loader timed the same way on the same file.
void BM_SrecCatVersusLoader(benchmark::State& state)
{
    if (QStandardPaths::findExecutable("srec_cat").isEmpty()) {
        state.SkipWithError("srec_cat is not installed");
        return;
    }
    const QString& path = fileFor(state.range(0));
    const QString out = files().dir.filePath("srec_out.bin");
    double srecSeconds = 0;
    double loaderSeconds = 0;
    for (auto _ : state) {
        const auto srecStart = std::chrono::steady_clock::now();
        QProcess tool;
        tool.start("srec_cat", {path, "-intel", "-o", out, "-binary"});
        tool.waitForFinished(60000);
        const auto srecEnd = std::chrono::steady_clock::now();
        const firmware::HexImage result = firmware::hexFileToImage(path, false);
        benchmark::DoNotOptimize(result.image.constData());
        const auto loaderEnd = std::chrono::steady_clock::now();
        const double srec = std::chrono::duration<double>(srecEnd - srecStart).count();
        srecSeconds += srec;
        loaderSeconds += std::chrono::duration<double>(loaderEnd - srecEnd).count();
        state.SetIterationTime(srec);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["srec_cat_ms"] = srecSeconds / n * 1000;
    state.counters["loader_ms"] = loaderSeconds / n * 1000;
    state.counters["ratio"] = loaderSeconds > 0 ? srecSeconds / loaderSeconds : 0;
}
BENCHMARK(BM_SrecCatVersusLoader)->Arg(0)->Arg(1)->ArgNames({"file_1mb"})->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

QMR_BENCH_MAIN(QCoreApplication)
