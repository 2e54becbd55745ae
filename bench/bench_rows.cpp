// Cost of the readings grid's running log: memory per stored row at 100,000 rows, and the time to
// decode one reply and to make the 22 cell texts of a row.
//
// Run: build-*/bench/bench_rows --benchmark_counters_tabular=true
#include "Bytes.h"
#include "BenchMain.h"
#include <QCoreApplication>
#include "view/ReadingFormat.h"
#include "device/ReadingsDecoder.h"
#include <QList>
#include <QLocale>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

constexpr int kRows = 100000;

// A complete QMR51 reply (status 0 inserted by the exchange, thirteen singles, '#'): 1000 W,
// 12345.678 Wh, ..., tariff 1.0, inputs 12.4.
QByteArray qmrReply()
{
    const quint32 fields[13] = {0x447A0000, 0x4640E6B6, 0x461C4000, 0, 0x43480000, 0x45BB8000, 0x45DAC000,
                                0,          0x4640E400, 0x41200000, 0x3F800000, 0x41466666, 0x42C80000};
    QByteArray r(1, '\0');
    for (quint32 f : fields) {
        for (int shift = 24; shift >= 0; shift -= 8)
            r.append(static_cast<char>(f >> shift));
    }
    return r + "#";
}

QByteArray tikaV2Reply()
{
    QByteArray r(1, '\0');
    for (int k = 1; k <= 13; ++k) {
        const quint32 f = 123456789u * static_cast<quint32>(k);
        for (int shift = 24; shift >= 0; shift -= 8)
            r.append(static_cast<char>(f >> shift));
    }
    return r + "#";
}

template <typename Rows>
void storeRows(benchmark::State& state, bool reserve)
{
    const device::ReadingRow row = device::decodeReadings(fakes::replyOf(qmrReply()), device::DeviceKind::Qmr51, true, false, 1700000000000);
    double bytesPerRow = 0;
    for (auto _ : state) {
        Rows rows;
        if (reserve)
            rows.reserve(kRows);
        for (int i = 0; i < kRows; ++i)
            rows.push_back(row);
        benchmark::DoNotOptimize(rows.data());
        bytesPerRow = static_cast<double>(sizeof(Rows) + rows.capacity() * sizeof(device::ReadingRow)) / kRows;
    }
    state.counters["sizeof_row"] = sizeof(device::ReadingRow);
    state.counters["bytes_per_row"] = bytesPerRow;
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_RowsInStdVector(benchmark::State& state) { storeRows<std::vector<device::ReadingRow>>(state, false); }
void BM_RowsInStdVectorReserved(benchmark::State& state) { storeRows<std::vector<device::ReadingRow>>(state, true); }
void BM_RowsInQList(benchmark::State& state) { storeRows<QList<device::ReadingRow>>(state, false); }
BENCHMARK(BM_RowsInStdVector)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowsInStdVectorReserved)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowsInQList)->Unit(benchmark::kMillisecond);

void BM_DecodeReply(benchmark::State& state)
{
    const comlink::Reply reply = fakes::replyOf(qmrReply());
    for (auto _ : state)
        benchmark::DoNotOptimize(device::decodeReadings(reply, device::DeviceKind::Qmr51, true, false, 1700000000000));
}
BENCHMARK(BM_DecodeReply);

void formatRow(benchmark::State& state, const QByteArray& reply, const char* deviceType)
{
    const QLocale dutch(QLocale::Dutch, QLocale::Netherlands);
    for (auto _ : state) {
        const device::ReadingRow row = device::decodeReadings(fakes::replyOf(reply), device::kindNamed(QString::fromLatin1(deviceType)), true, false, 1700000000000);
        for (int column = 0; column < view::kReadingColumnCount; ++column)
            benchmark::DoNotOptimize(view::readingCellText(row, column, dutch));
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_DecodeAndFormatQmrRow(benchmark::State& state) { formatRow(state, qmrReply(), "QMR51"); }
void BM_DecodeAndFormatTikaV2Row(benchmark::State& state) { formatRow(state, tikaV2Reply(), "TIKA V2"); }
BENCHMARK(BM_DecodeAndFormatQmrRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeAndFormatTikaV2Row)->Unit(benchmark::kMicrosecond);

} // namespace

QMR_BENCH_MAIN(QCoreApplication)
