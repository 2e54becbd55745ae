#pragma once
// The entry point of every benchmark program: an application object (a headless one when no display
// is chosen), then Google Benchmark. QMR_BENCH_MAIN(QApplication) for programs that build windows,
// QMR_BENCH_MAIN(QCoreApplication) for the others. The program exits 1 when any benchmark stopped
// with an error, so the test command's smoke run of every benchmark fails on it.
//
// With QMR_BENCH_SMOKE set in the environment, benchIterations(n) gives 1 and benchRows(n) at most
// 2,000: the test command runs each benchmark once to prove it still works; the figures come from a
// Release build without it.
#include <QByteArray>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

inline benchmark::IterationCount benchIterations(benchmark::IterationCount wanted)
{
    return std::getenv("QMR_BENCH_SMOKE") ? 1 : wanted;
}

// A log size for a benchmark's argument: the real one, or at most 2,000 rows in the smoke run (a
// sanitized build fills 100,000 rows too slowly for a test).
inline std::int64_t benchRows(std::int64_t wanted)
{
    return std::getenv("QMR_BENCH_SMOKE") ? std::min<std::int64_t>(wanted, 2000) : wanted;
}

class ErrorCountingReporter : public benchmark::ConsoleReporter {
public:
    int errors = 0;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            errors += run.error_occurred ? 1 : 0;
        ConsoleReporter::ReportRuns(runs);
    }
};

#define QMR_BENCH_MAIN(ApplicationClass)                                                        \
    int main(int argc, char** argv)                                                             \
    {                                                                                           \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                     \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                            \
        ApplicationClass app(argc, argv);                                                       \
        benchmark::Initialize(&argc, argv);                                                     \
        if (benchmark::ReportUnrecognizedArguments(argc, argv))                                 \
            return 1;                                                                           \
        ErrorCountingReporter reporter;                                                         \
        benchmark::RunSpecifiedBenchmarks(&reporter);                                           \
        benchmark::Shutdown();                                                                  \
        return reporter.errors == 0 ? 0 : 1;                                                    \
    }
