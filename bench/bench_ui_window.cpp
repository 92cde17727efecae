// Window start-up time, one StorePage + ShowUnit cycle, and the resident memory
// of a running window (offscreen platform).
#include <benchmark/benchmark.h>

#include "qt_bench_main.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWindow>
#include <fstream>
#include <memory>
#include <string>

#include "device/simulated_platform.h"
#include "device/simulated_unit.h"
#include "ui/dialog_provider.h"
#include "ui/main_form.h"

namespace {

using valdro::ui::DialogProvider;
using valdro::ui::FileChooser;

// Nothing in these runs asks; answering quietly keeps a stray box from blocking.
class QuietDialogs : public DialogProvider {
  public:
    void Error(const QString&, const QString&) override {}
    void Information(const QString&) override {}
    Answer Confirm(const QString&) override { return Answer::No; }
    std::optional<QString> OpenFile(const FileChooser&) override { return std::nullopt; }
    std::optional<QString> SaveFile(const FileChooser&) override { return std::nullopt; }
};

double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;  // kB
        }
    }
    return 0;
}

struct Rig {
    valdro::SimulatedUnit unit;
    valdro::SimulatedPlatform platform{unit};
    QuietDialogs dialogs;
    std::unique_ptr<valdro::ui::TMainForm> form;

    void Create() {
        valdro::ui::MainFormOptions options;
        options.dialogs = &dialogs;
        options.helpFilePath = QStringLiteral("/nonexistent/valdrometrica.chm");
        form = std::make_unique<valdro::ui::TMainForm>(platform, options);
    }
    void ShowAndWait() {
        form->show();
        while (form->windowHandle() == nullptr || !form->windowHandle()->isExposed()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        QCoreApplication::processEvents();
    }
};

void BM_StartUpToFirstShownWindow(benchmark::State& state) {
    for (auto _ : state) {
        Rig rig;
        rig.Create();
        rig.ShowAndWait();
        state.PauseTiming();
        rig.form.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToFirstShownWindow)->Unit(benchmark::kMillisecond);

void BM_StorePageShowUnitCycle(benchmark::State& state) {
    Rig rig;
    rig.Create();
    rig.ShowAndWait();
    for (auto _ : state) {
        rig.form->StorePage();
        rig.form->ShowUnit();
    }
    QCoreApplication::processEvents();
}
BENCHMARK(BM_StorePageShowUnitCycle)->Unit(benchmark::kMicrosecond);

void BM_ResidentMemoryOfRunningWindow(benchmark::State& state) {
    Rig rig;
    rig.Create();
    rig.ShowAndWait();
    for (auto _ : state) {
        QCoreApplication::processEvents();
    }
    state.counters["VmRSS_MB"] = ResidentMegabytes();
}
BENCHMARK(BM_ResidentMemoryOfRunningWindow)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
