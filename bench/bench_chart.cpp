// Cost of the readings chart per poll as the log grows. Each poll appends a row to the grid's log;
// a shown chart thins its lines (ChartDecimation) and redraws them from a bounded number of points,
// so a poll must cost about the same with 100,000 rows behind it as with 10.
//
//   BM_ChartPoll/N         one poll's chart work (append to the log, thin, redraw the lines and
//                          axes) with N rows already in the log, the chart shown.
//   BM_ChartPollPainted/N  the same plus painting the chart (what the screen then costs).
//   BM_ChartPollHidden/N   the same while the grid is shown instead: only the thinning runs.
//   BM_ThinningAdd/N       one sample added to a line of N samples (the pure part).
#include "view/ChartDecimation.h"
#include "device/ReadingRow.h"
#include "view/ui/ReadingsChart.h"
#include "LoggedGrid.h"
#include <QApplication>
#include <QChartView>
#include <QCheckBox>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include "BenchMain.h"

namespace {

device::ReadingRow sampleRow(int n)
{
    device::ReadingRow row;
    row.takenAtMsecs = 1'800'000'000'000LL + 5000LL * n;
    row.completeFields = device::kReadingFieldCount;
    row.encoding = device::FieldEncoding::UInt32;
    // A house: import swinging over the day, export in the afternoon, a gas meter creeping up.
    row.fields[0] = static_cast<quint32>(800 + 600 * std::sin(n / 700.0) + (n % 97 == 0 ? 2500 : 0));
    row.fields[4] = static_cast<quint32>(std::max(0.0, 1500 * std::sin(n / 1100.0)));
    row.fields[8] = static_cast<quint32>(1'234'000 + n / 3);
    row.fields[11] = static_cast<quint32>(n / 7);
    row.fields[12] = static_cast<quint32>(n / 11);
    return row;
}

// The grid and the chart in its place, as the window holds them, with `rows` readings logged and
// all five lines picked (the most a user can ask to be drawn).
struct Area {
    LoggedGrid grid;
    view::ReadingsChart chart{grid};
    int next = 0;

    Area(int rows, bool chartShown)
    {
        grid.resize(1100, 600);
        chart.resize(1100, 600);
        grid.InitGrid();
        // Filled while hidden (a hidden chart only thins), then shown: one redraw.
        for (; next < rows; ++next)
            grid.table().append(sampleRow(next));
        chart.chkChartInputs->setChecked(true);
        chart.chkChartGas->setChecked(true);
        (chartShown ? static_cast<QWidget&>(chart) : static_cast<QWidget&>(grid)).show();
        QCoreApplication::processEvents();
    }
    void poll() { grid.table().append(sampleRow(next++)); }
};

void BM_ChartPoll(benchmark::State& state)
{
    Area area(static_cast<int>(state.range(0)), true);
    for (auto _ : state)
        area.poll();
    state.counters["points_drawn"] = static_cast<double>(area.chart.line(view::ReadingsChart::ImportPower).points().size());
}
// A fixed number of polls, so the log stays near its starting size.
BENCHMARK(BM_ChartPoll)->Arg(10)->Arg(1000)->Arg(benchRows(10000))->Arg(benchRows(100'000))->Iterations(benchIterations(300))->Unit(benchmark::kMicrosecond);

void BM_ChartPollPainted(benchmark::State& state)
{
    Area area(static_cast<int>(state.range(0)), true);
    QImage canvas(area.chart.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        area.poll();
        QPainter painter(&canvas);
        area.chart.chartView->render(&painter);
    }
}
BENCHMARK(BM_ChartPollPainted)->Arg(10)->Arg(benchRows(100'000))->Iterations(benchIterations(100))->Unit(benchmark::kMicrosecond);

void BM_ChartPollHidden(benchmark::State& state)
{
    Area area(static_cast<int>(state.range(0)), false);
    for (auto _ : state)
        area.poll();
}
BENCHMARK(BM_ChartPollHidden)->Arg(10)->Arg(benchRows(100'000))->Iterations(benchIterations(1000))->Unit(benchmark::kMicrosecond);

void BM_ThinningAdd(benchmark::State& state)
{
    view::ChartDecimation line;
    int n = 0;
    for (; n < state.range(0); ++n)
        line.add(n, std::sin(n / 50.0));
    for (auto _ : state) {
        line.add(n, std::sin(n / 50.0));
        ++n;
    }
}
BENCHMARK(BM_ThinningAdd)->Arg(10)->Arg(benchRows(100'000))->Iterations(benchIterations(100'000))->Unit(benchmark::kNanosecond);

} // namespace

QMR_BENCH_MAIN(QApplication)
