// One monitoring round in the real monitoring window, opened by its launcher on a synthetic
// camera, on the default 800 x 600 grid of its drawing area and without the waits the round
// makes: the camera frame painted into the drawing area, the reference sampled into model.txt,
// the comparison into caculator.txt, the scoring of the changes, and a whole round (frame,
// comparison, scoring) as Timer19 runs it once the reference is taken.

#include "app/module1.h"
#include "bench_support.h"
#include "monitoring/monitoring.h"
#include "pixelsets/comparison.h"
#include "pixelsets/pixel_set.h"
#include "pixelsets/redraw.h"
#include "pixelsets/set_file.h"
#include "platform/synthetic_capture_driver.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "vbrt/apppath.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

using namespace pixelsets;

// A camera frame with texture everywhere, so that every sample has a colour of its own; the
// changed frame has a block over a quarter of the picture.
QImage cameraFrame(bool changed) {
    QImage frame(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            frame.setPixel(x, y, qRgb(60 + x % 128, 80 + y % 128, 40 + (x + y) % 128));
    if (changed) {
        QPainter p(&frame);
        p.fillRect(QRect(160, 120, 320, 240), QColor(20, 40, 230));
    }
    return frame;
}

struct Window {
    QTemporaryDir folder{bench_support::scratchFolderTemplate()};
    std::shared_ptr<platform::SyntheticCamera> camera;
    QImage reference = cameraFrame(false);
    QImage changed = cameraFrame(true);
    Steps steps;

    Window() {
        vbrt::setAppPath(folder.path());
        camera = platform::installSyntheticCaptureDriver();
        camera->setFrame(reference);
        shell::form1().Command11_Click();
        QCoreApplication::processEvents();
        shell::Form2& f = form();
        steps = *stepsFromBoxes(f.Text1(2).Text(), f.Text1(3).Text(), f.Picture1.Width(),
                                f.Picture1.Height());
        std::fprintf(stderr, "drawing area %d x %d twips, steps %g x %d, threshold %s\n",
                     f.Picture1.Width(), f.Picture1.Height(), steps.column, steps.row,
                     qPrintable(f.Text2.Text()));
        // The reference every comparison reads.
        showFrame(reference);
        writePixelSet(modelPath(), f.Picture1, steps, SetTail::EmptyLine, Pacing::none());
    }

    shell::Form2& form() { return shell::form2(); }
    app::LineTable& lines() { return app::module1().lines; }
    QString modelPath() const { return vbrt::appFile(QStringLiteral("\\model.txt")); }
    QString differencePath() const { return vbrt::appFile(QStringLiteral("\\caculator.txt")); }

    bool grabFrame() { return form().monitoring.grabFrame(); }
    void showFrame(const QImage& frame) {
        camera->setFrame(frame);
        grabFrame();
    }

    // With `keep`, the difference set is kept in memory too, as the monitoring's round does.
    Comparison compare(QByteArray* keep = nullptr) {
        shell::Form2& f = form();
        loadSetFile(modelPath(), lines(), lines().pixelSetA);
        return writeLiveDifference(
            differencePath(), f.Picture1, lines().pixelSetA, steps, [&f] { return f.Text2.Text(); },
            Pacing::none(), UnreadableCell::Differs, keep);
    }
    // Scores the difference file, or the set kept in memory when there is one.
    double score(QByteArray* kept = nullptr) {
        shell::Form2& f = form();
        // As the comparison does before it scores: the marks go into the picture.
        f.Picture1.setAutoRedraw(true);
        if (kept)
            loadSetText(std::move(*kept), lines(), lines().pixelSetA);
        else
            loadSetFile(differencePath(), lines(), lines().pixelSetA);
        double level = 0;
        scoreChanged(f.Picture1, lines().pixelSetA, steps, f.penColor, Pacing::none(), level);
        return level;
    }
};

Window& window() {
    static Window w;
    return w;
}

void BM_FrameIntoDrawingArea(benchmark::State& state) {
    Window& w = window();
    w.camera->setFrame(w.changed);
    for (auto _ : state)
        benchmark::DoNotOptimize(w.grabFrame());
}
BENCHMARK(BM_FrameIntoDrawingArea)->Unit(benchmark::kMillisecond);

void BM_ReferenceIntoModel(benchmark::State& state) {
    Window& w = window();
    w.showFrame(w.reference);
    for (auto _ : state)
        benchmark::DoNotOptimize(writePixelSet(w.modelPath(), w.form().Picture1, w.steps,
                                               SetTail::EmptyLine, Pacing::none()));
    state.counters["file_bytes"] = double(QFile(w.modelPath()).size());
}
BENCHMARK(BM_ReferenceIntoModel)->Unit(benchmark::kMillisecond);

void BM_CompareWithModel(benchmark::State& state) {
    Window& w = window();
    w.showFrame(w.changed);
    double differing = 0;
    for (auto _ : state)
        differing = w.compare().differing;
    state.counters["differing"] = differing;
    state.counters["file_bytes"] = double(QFile(w.differencePath()).size());
}
BENCHMARK(BM_CompareWithModel)->Unit(benchmark::kMillisecond);

void BM_ScoreChanges(benchmark::State& state) {
    Window& w = window();
    w.showFrame(w.changed);
    w.compare();
    double level = 0;
    // Each pass marks the same dots again over the frame.
    for (auto _ : state)
        level = w.score();
    state.counters["alarm_value"] = level;
}
BENCHMARK(BM_ScoreChanges)->Unit(benchmark::kMillisecond);

// Rounds as Timer19 runs them once the reference is taken: frame, comparison, and the scoring
// of the difference set it kept.
void runRounds(benchmark::State& state, const QImage& frame) {
    Window& w = window();
    w.camera->setFrame(frame);
    double level = 0;
    for (auto _ : state) {
        w.grabFrame();
        QByteArray difference;
        w.compare(&difference);
        level = w.score(&difference);
    }
    state.counters["alarm_value"] = level;
}

// Somebody came in: a quarter of the picture changed.
void BM_WholeRound(benchmark::State& state) {
    runRounds(state, window().changed);
}
BENCHMARK(BM_WholeRound)->Unit(benchmark::kMillisecond);

// The common round: nobody in the picture, nothing to mark.
void BM_QuietRound(benchmark::State& state) {
    runRounds(state, window().reference);
}
BENCHMARK(BM_QuietRound)->Unit(benchmark::kMillisecond);

// Digests of the outputs as the program wrote them before its fast paths.
const char* const kModel = "012769b6c341e3f0";
const char* const kDifference = "269bdc78b1093d53";
const char* const kScored = "8294093a4a26d76e";

// The files and pixels of a round, as they were before the fast paths.
bool outputsUnchanged() {
    using bench_support::Digest;
    Window& w = window();
    bool ok = true;
    Digest model;
    model.addFile(w.modelPath());
    ok &= bench_support::same("reference", model, kModel);
    w.showFrame(w.changed);
    w.compare();
    Digest difference;
    difference.addFile(w.differencePath());
    ok &= bench_support::same("comparison", difference, kDifference);
    w.score();
    Digest scored;
    scored.addImage(w.form().Picture1.Image());
    ok &= bench_support::same("scoring", scored, kScored);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    return bench_support::runWindowBenchmarks(argc, argv, outputsUnchanged);
}
