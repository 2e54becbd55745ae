// Listing the machine's ports with the adapter behind each: a made-up sysfs tree of 32 USB adapters
// (16 with serial numbers, 16 without; 4 ports of them with by-id links) read through
// QMR51_SYSFS_ROOT, numbered with a memory of 64 adapters. A port search lists the ports for every
// port it tries, so a listing must stay well under 5 ms. The first listing (which writes the memory)
// is made before the timing; a listing while nothing changes only reads.
#include "SysfsTree.h"
#include "platform/PortMemory.h"
#include "platform/SystemPortListing.h"
#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include "BenchMain.h"

namespace {

constexpr int kAdapters = 32;

void BM_ListPorts(benchmark::State& state)
{
    fakes::SysfsTree tree;
    for (int i = 0; i < kAdapters; ++i) {
        const QString tty = QStringLiteral("ttyUSB%1").arg(i);
        const QByteArray serial = i % 2 ? QByteArray() : "A5" + QByteArray::number(1000 + i);
        tree.addUsb(tty, QStringLiteral("1-%1.%2").arg(1 + i / 7).arg(1 + i % 7), fakes::usbFiles("0403", "6001", "FT232R USB UART", serial));
        if (i % 8 == 0)
            tree.addSerialLink("by-id", "usb-FTDI_FT232R_USB_UART_" + serial + "-if00-port0", tty);
    }
    QTemporaryDir programFolder;
    QList<platform::RememberedAdapter> absent; // adapters seen before that are not plugged in now
    for (int n = 0; n < platform::kRememberedAdapters - kAdapters; ++n)
        absent.append({100 + n, "1a86:7523", {}, QStringLiteral("3-%1").arg(n + 1), false});
    platform::savePortMemory(platform::portMemoryPath(programFolder.path()), absent);
    qputenv("QMR51_SYSFS_ROOT", tree.root().toUtf8());
    platform::SystemPortListing listing(programFolder.path());
    if (listing.ports().size() != kAdapters)
        state.SkipWithError("the tree's adapters are not all listed");
    for (auto _ : state)
        benchmark::DoNotOptimize(listing.ports());
    qunsetenv("QMR51_SYSFS_ROOT");
    state.counters["ports"] = kAdapters;
}
BENCHMARK(BM_ListPorts)->Unit(benchmark::kMillisecond)->Iterations(benchIterations(200));

// The numbering alone: 32 adapters and a full memory, no file touched.
void BM_NumberPorts(benchmark::State& state)
{
    QList<platform::SystemSerialDevice> devices;
    QList<platform::RememberedAdapter> memory;
    for (int i = 0; i < kAdapters; ++i) {
        const QString usbPath = QStringLiteral("1-%1.%2").arg(1 + i / 7).arg(1 + i % 7);
        devices.append({QStringLiteral("/dev/ttyUSB%1").arg((i * 7) % kAdapters), "USB Serial",
                        fakes::usbIdentity("1a86", "7523", "USB Serial", {}, usbPath)});
    }
    for (int n = 0; n < platform::kRememberedAdapters; ++n)
        memory.append({100 + n, "1a86:7523", {}, QStringLiteral("3-%1").arg(n + 1), false});
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::numberPorts({}, devices, memory));
}
BENCHMARK(BM_NumberPorts)->Unit(benchmark::kMicrosecond)->Iterations(benchIterations(2000));

} // namespace

QMR_BENCH_MAIN(QCoreApplication)
