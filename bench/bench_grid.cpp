// Cost of the readings grid as its log grows. Every poll adds a row, and the rows stay from one
// connect to the next: a week at the 5 s interval of a TIKA module is about 120,000 rows. A poll's
// grid work (append + scrolling the new row into view) must cost the same at row 100,000 as at
// row 10, or the tool slows down the longer it watches a meter.
//
//   BM_Append100kRows        appends 100,000 rows to a shown grid; counters give the time per
//                            row of the first and of the last thousand.
//   BM_PollGridWork/N        one poll's append + scroll rule with N rows already in the grid.
//   BM_PollGridWorkPainted/N the same, plus the event pass in which the view lays out and paints.
//   BM_TableAppendOnly/N, BM_FirstHiddenRowAfterAppend/N: the two halves of a poll's grid work.
#include "device/ReadingRow.h"
#include "LoggedGrid.h"
#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include "BenchMain.h"

namespace {

using Clock = std::chrono::steady_clock;

device::ReadingRow sampleRow(int n)
{
    device::ReadingRow row;
    row.takenAtMsecs = 1'800'000'000'000LL + 5000LL * n;
    row.status = 0;
    row.completeFields = device::kReadingFieldCount;
    row.encoding = device::FieldEncoding::Float32;
    row.tariff = device::Tariff::Low;
    for (int k = 0; k < device::kReadingFieldCount; ++k)
        row.fields[static_cast<std::size_t>(k)] = 0x447A0000u + static_cast<quint32>(n + k); // about 1000.0
    return row;
}

// A grid as the window shows it: set up, on screen (offscreen platform), about 30 rows high.
std::unique_ptr<LoggedGrid> shownGrid(int rows)
{
    auto grid = std::make_unique<LoggedGrid>();
    grid->resize(1400, 600);
    grid->InitGrid();
    grid->show();
    QCoreApplication::processEvents();
    for (int n = 0; n < rows; ++n)
        grid->table().append(sampleRow(n));
    QCoreApplication::processEvents();
    return grid;
}

void BM_Append100kRows(benchmark::State& state)
{
    const int kRows = static_cast<int>(benchRows(100'000));
    const int kSample = std::min(1000, kRows / 2);
    double firstNs = 0;
    double lastNs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = shownGrid(0);
        state.ResumeTiming();
        for (int n = 0; n < kRows; ++n) {
            const auto start = Clock::now();
            grid->table().append(sampleRow(n));
            const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
            if (n < kSample)
                firstNs += ns;
            else if (n >= kRows - kSample)
                lastNs += ns;
        }
        state.PauseTiming();
        grid.reset();
        state.ResumeTiming();
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["first1000_ns_per_row"] = firstNs / kSample / runs;
    state.counters["last1000_ns_per_row"] = lastNs / kSample / runs;
}
BENCHMARK(BM_Append100kRows)->Iterations(benchIterations(1))->Unit(benchmark::kMillisecond);

void BM_PollGridWork(benchmark::State& state)
{
    auto grid = shownGrid(static_cast<int>(state.range(0)));
    int n = static_cast<int>(state.range(0));
    for (auto _ : state)
        grid->table().append(sampleRow(n++));
    state.counters["rows_at_end"] = grid->gridRowCount();
}
// A fixed number of polls, so the grid stays near its starting size.
BENCHMARK(BM_PollGridWork)->Arg(10)->Arg(benchRows(100'000))->Iterations(benchIterations(1000))->Unit(benchmark::kMicrosecond);

// The two halves of a poll's grid work apart: the model append (with the view's reaction to the
// inserted row) and the question which row is the first one out of view.
void BM_TableAppendOnly(benchmark::State& state)
{
    auto grid = shownGrid(static_cast<int>(state.range(0)));
    int n = static_cast<int>(state.range(0));
    for (auto _ : state)
        grid->table().append(sampleRow(n++));
}
BENCHMARK(BM_TableAppendOnly)->Arg(10)->Arg(benchRows(100'000))->Iterations(benchIterations(1000))->Unit(benchmark::kMicrosecond);

void BM_FirstHiddenRowAfterAppend(benchmark::State& state)
{
    auto grid = shownGrid(static_cast<int>(state.range(0)));
    int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        grid->table().append(sampleRow(n++));
        state.ResumeTiming();
        benchmark::DoNotOptimize(grid->firstHiddenGridRow());
    }
}
BENCHMARK(BM_FirstHiddenRowAfterAppend)->Arg(10)->Arg(benchRows(100'000))->Iterations(benchIterations(1000))->Unit(benchmark::kMicrosecond);

void BM_PollGridWorkPainted(benchmark::State& state)
{
    auto grid = shownGrid(static_cast<int>(state.range(0)));
    int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        grid->table().append(sampleRow(n++));
        grid->repaint(); // the view lays out and paints the rows now in view
        QCoreApplication::processEvents();
    }
    state.counters["rows_at_end"] = grid->gridRowCount();
}
BENCHMARK(BM_PollGridWorkPainted)->Arg(10)->Arg(benchRows(100'000))->Iterations(benchIterations(300))->Unit(benchmark::kMicrosecond);

} // namespace

QMR_BENCH_MAIN(QApplication)
