// Painting one status record into both status grids: a record that changes every
// cell (the first after a connect) and one identical to the last (the usual poll,
// where no cell is rewritten).
#include <benchmark/benchmark.h>

#include "qt_bench_main.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <cstdint>

#include "device/status_record.h"
#include "ui/status_page.h"

namespace {

valdro::StatusRecord AllUnitsRecord(std::uint16_t pattern) {
    std::array<std::uint8_t, valdro::kStatusRecordSize> bytes{};
    bytes[0] = 0;     // all nine units
    bytes[1] = 0xFF;  // every Slave present
    for (std::size_t u = 0; u < 9; ++u) {
        bytes[2 + 2 * u] = static_cast<std::uint8_t>(pattern);
        bytes[3 + 2 * u] = static_cast<std::uint8_t>(pattern >> 8);
        bytes[20 + 2 * u] = static_cast<std::uint8_t>(~pattern);
        bytes[21 + 2 * u] = static_cast<std::uint8_t>(~pattern >> 8);
    }
    return valdro::DecodeStatusRecord(bytes);
}

void BM_PaintRecordChangingEveryCell(benchmark::State& state) {
    valdro::ui::StatusPage page;
    page.ShowConnected();
    page.show();
    const valdro::StatusRecord a = AllUnitsRecord(0x0000);
    const valdro::StatusRecord b = AllUnitsRecord(0xFFFF);
    page.PaintStatus(a);
    bool flip = false;
    for (auto _ : state) {
        page.PaintStatus(flip ? a : b);
        flip = !flip;
    }
    QCoreApplication::processEvents();
}
BENCHMARK(BM_PaintRecordChangingEveryCell)->Unit(benchmark::kMicrosecond);

void BM_PaintUnchangedRecord(benchmark::State& state) {
    valdro::ui::StatusPage page;
    page.ShowConnected();
    page.show();
    const valdro::StatusRecord a = AllUnitsRecord(0x5A5A);
    page.PaintStatus(a);
    for (auto _ : state) {
        page.PaintStatus(a);
    }
    QCoreApplication::processEvents();
}
BENCHMARK(BM_PaintUnchangedRecord)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
