#pragma once
// The entry point of a benchmark program that needs Qt: an application object (a headless one
// when no display is chosen), then Google Benchmark. QMR_QT_BENCH_MAIN(QApplication) for programs
// that build windows, QMR_QT_BENCH_MAIN(QCoreApplication) for the others.
#include <QByteArray>
#include <benchmark/benchmark.h>

#define QMR_QT_BENCH_MAIN(ApplicationClass)                                                     \
    int main(int argc, char** argv)                                                             \
    {                                                                                           \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                     \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                            \
        ApplicationClass app(argc, argv);                                                       \
        benchmark::Initialize(&argc, argv);                                                     \
        if (benchmark::ReportUnrecognizedArguments(argc, argv))                                 \
            return 1;                                                                           \
        benchmark::RunSpecifiedBenchmarks();                                                    \
        benchmark::Shutdown();                                                                  \
        return 0;                                                                               \
    }
