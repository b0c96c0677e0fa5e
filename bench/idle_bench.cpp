// What an unattended monitoring session costs the machine: the real monitoring window on a
// synthetic camera, on the default 800 x 600 grid and on the machine's own clock, from the
// start button through the reference and two whole comparison cycles (a quiet room, then
// somebody in it: the alarm step with its sounds). It reports the process's CPU seconds per
// wall second over that time, and the same for the stretch between the two comparisons, when
// the window only waits for its clock.

#include "app/module1.h"
#include "bench_support.h"
#include "monitoring/monitoring.h"
#include "platform/media_backend.h"
#include "platform/synthetic_capture_driver.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "vbrt/apppath.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <functional>

namespace {

QImage room(bool somebody) {
    QImage frame(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            frame.setPixel(x, y, qRgb(60 + x % 128, 80 + y % 128, 40 + (x + y) % 128));
    if (somebody)
        QPainter(&frame).fillRect(QRect(160, 120, 320, 240), QColor(20, 40, 230));
    return frame;
}

// Runs the program's event loop until `done` holds, looking every 100 ms.
void runUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (done())
            loop.quit();
    });
    look.start(100);
    loop.exec();
}

void BM_UnattendedSession(benchmark::State& state) {
    QTemporaryDir folder(bench_support::scratchFolderTemplate());
    vbrt::setAppPath(folder.path());
    auto camera = platform::installSyntheticCaptureDriver();
    auto sounds = platform::installRecordingMediaBackend();
    camera->setFrame(room(false));
    shell::form1().Command11_Click();
    shell::Form2& f = shell::form2();
    monitoring::Monitoring& m = f.monitoring;
    QCoreApplication::processEvents();

    double whole = 0, between = 0, wallSeconds = 0;
    for (auto _ : state) {
        const bench_support::Meter session;
        f.Command13.press();
        // The first comparison of a quiet room.
        runUntil([&] { return m.lastComparison().result == monitoring::CompareResult::Ok; });
        runUntil([&] { return f.Text3.Text() == QStringLiteral("3"); });
        const bench_support::Meter waiting;
        runUntil([&] { return f.Text3.Text() == QStringLiteral("20"); });
        between = waiting.share();
        // Somebody walks in before the frames of clock 25 and 30 that the second comparison
        // looks at; the alarm step after it.
        camera->setFrame(room(true));
        runUntil([&] { return m.lastComparison().result == monitoring::CompareResult::Error; });
        runUntil([&] { return m.monitorTick >= 12; });
        whole = session.share();
        wallSeconds = session.wallSeconds();
        f.Command13.press();
    }
    state.counters["cpu_per_wall"] = whole;
    state.counters["cpu_per_wall_waiting"] = between;
    state.counters["wall_seconds"] = wallSeconds;
    state.counters["sounds"] = double(sounds->calls().filter(QStringLiteral("setSource:")).size());
    shell::resetAll();
    platform::resetCaptureDriverFactory();
    platform::resetMediaBackendFactory();
}
BENCHMARK(BM_UnattendedSession)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    return bench_support::runWindowBenchmarks(argc, argv);
}
