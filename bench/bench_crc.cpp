// Block CRC throughput on what the QMR51 upgrade feeds it: a 132-byte data frame (one block), a
// 10-byte closing frame, and the largest image the device takes (255 blocks of 128 bytes).
#include "BenchMain.h"
#include <QCoreApplication>
#include "firmware/BlockCrc.h"
#include <benchmark/benchmark.h>

namespace {

void BM_CRC16(benchmark::State& state)
{
    const int length = static_cast<int>(state.range(0));
    const int blockLength = static_cast<int>(state.range(1));
    QByteArray data(length, '\0');
    for (int i = 0; i < length; ++i)
        data[i] = static_cast<char>(i * 131 + 7);
    for (auto _ : state) {
        QByteArray crc = firmware::CRC16(data, blockLength);
        benchmark::DoNotOptimize(crc.constData());
    }
    state.SetBytesProcessed(state.iterations() * length);
}
BENCHMARK(BM_CRC16)
    ->Args({10, 10})
    ->Args({132, 132})
    ->Args({32640, 128})
    ->Args({32640, 32640})
    ->ArgNames({"bytes", "blok_len"});

} // namespace

QMR_BENCH_MAIN(QCoreApplication)
