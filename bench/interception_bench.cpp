// One whole interception sweep of the anti-missile window that finds nothing: every trial of
// the quarter sampled, drawn, and wiped again segment by segment with the window's events run
// after each segment (the canvas repaints then, at most once a frame of the virtual clock), as
// the program does it. The busy pause after each trial runs on virtual time, so it costs
// nothing here.

#include "app/module1.h"
#include "bench_support.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "trajectories/anti_missile.h"
#include "ui/event_loop.h"
#include "vbrt/apppath.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Window {
    QTemporaryDir folder{bench_support::scratchFolderTemplate()};

    Window() {
        vbrt::setAppPath(folder.path());
        ui::EventLoop::instance().useVirtualTime(QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
        shell::Form1& f1 = shell::form1();
        f1.show();
        // The launcher's own inputs; a target no trial reaches.
        f1.Command9_Click();
        QCoreApplication::processEvents();
        f1.Text1(15).setText(QStringLiteral("1000000000"));
        f1.Text1(16).setText(QStringLiteral("1000000000"));
    }
};

void sweep(benchmark::State& state, const char* errorPercent, int trials) {
    Window w;
    shell::form1().Text1(17).setText(QString::fromLatin1(errorPercent));
    for (auto _ : state) {
        const auto s = shell::form2().antiMissile.interceptionSearch();
        benchmark::DoNotOptimize(s.hit);
    }
    state.counters["trials"] = trials;
    state.counters["per_trial"] = benchmark::Counter(
        trials, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_WholeSweepFineSteps(benchmark::State& state) {
    sweep(state, "0.5", 901);
}
BENCHMARK(BM_WholeSweepFineSteps)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WholeSweepCoarseSteps(benchmark::State& state) {
    sweep(state, "5", 361);
}
BENCHMARK(BM_WholeSweepCoarseSteps)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return bench_support::runWindowBenchmarks(argc, argv);
}
