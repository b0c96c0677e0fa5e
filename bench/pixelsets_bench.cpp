// The pixel-set hot paths on the default 800 x 600 grid of a 12000 x 9000 twips drawing area,
// without the 0.01 s wait after each column that the program makes: sampling into a set
// file, splitting and gridding such a file, comparing the live area with it, and redrawing a
// difference set. Also the memory a loaded set takes against its file size.

#include "app/line_table.h"
#include "bench_support.h"
#include "pixelsets/comparison.h"
#include "pixelsets/pixel_set.h"
#include "pixelsets/redraw.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

using namespace pixelsets;

struct Scene {
    QTemporaryDir dir{bench_support::scratchFolderTemplate()};
    ui::PictureBox area{nullptr, QStringLiteral("Picture1")};
    Steps steps;
    QString setPath, differencePath;

    Scene() {
        area.Move(0, 0, 12000, 9000);
        area.setAutoRedraw(true);
        QImage picture(area.innerWidthPx(), area.innerHeightPx(), QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
        area.setPicture(picture);
        steps = *stepsFromBoxes(QStringLiteral("800"), QStringLiteral("600"), area.Width(),
                                area.Height());
        setPath = dir.filePath(QStringLiteral("set.txt"));
        differencePath = dir.filePath(QStringLiteral("caculator.txt"));
        writePixelSet(setPath, area, steps, SetTail::None, Pacing::none());
    }
    // A part of the picture changed since the set was taken: 1 / share of its width and of
    // its height.
    void change(int share = 2) {
        area.Box(0, 0, 12000 / share, 9000 / share, vbrt::RGB(255, 255, 255), true);
    }
    void restore() { area.setPicture(area.Picture()); }
};

// Digests of the outputs as the program wrote them before its fast paths.
const char* const kSampled = "59d5140d5c1db0f0";
const char* const kGrid = "9333adb76fe61cb1";
const char* const kDifference = "b9e6caac1e693b84";
const char* const kRedrawn = "4b65c11330609509";

Scene& scene() {
    static Scene s;
    return s;
}

QByteArray readWhole(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll() + "\r\n";
}

void loadSet(app::LineTable& lines, app::TextGrid& grid, const QString& path) {
    lines.split(readWhole(path));
    lines.fillGrid(grid);
}

void BM_SampleIntoPixelSet(benchmark::State& state) {
    Scene& s = scene();
    const QString path = s.dir.filePath(QStringLiteral("sampled.txt"));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            writePixelSet(path, s.area, s.steps, SetTail::None, Pacing::none()));
    state.counters["file_bytes"] = double(QFile(path).size());
}
BENCHMARK(BM_SampleIntoPixelSet)->Unit(benchmark::kMillisecond);

void BM_SplitAndGridASet(benchmark::State& state) {
    Scene& s = scene();
    auto lines = std::make_unique<app::LineTable>();
    for (auto _ : state) {
        loadSet(*lines, lines->pixelSetA, s.setPath);
        benchmark::DoNotOptimize(lines->pixelSetA.cell(799, 600));
    }

    // Heap taken by one loaded set (line table, working table and grid) in a fresh store.
    const size_t before = mallinfo2().uordblks;
    auto fresh = std::make_unique<app::LineTable>();
    loadSet(*fresh, fresh->pixelSetA, s.setPath);
    const size_t after = mallinfo2().uordblks;
    const double fileBytes = double(QFile(s.setPath).size());
    state.counters["file_bytes"] = fileBytes;
    state.counters["loaded_bytes"] = double(after - before);
    state.counters["loaded_per_file"] = double(after - before) / fileBytes;
}
BENCHMARK(BM_SplitAndGridASet)->Unit(benchmark::kMillisecond);

void BM_CompareLiveWithSet(benchmark::State& state) {
    Scene& s = scene();
    auto lines = std::make_unique<app::LineTable>();
    loadSet(*lines, lines->pixelSetA, s.setPath);
    s.change();
    double differing = 0;
    for (auto _ : state)
        differing = writeLiveDifference(
                        s.differencePath, s.area, lines->pixelSetA, s.steps,
                        [] { return QStringLiteral("100"); }, Pacing::none())
                        .differing;
    s.restore();
    state.counters["differing"] = differing;
}
BENCHMARK(BM_CompareLiveWithSet)->Unit(benchmark::kMillisecond);

void BM_RedrawDifferenceSet(benchmark::State& state) {
    Scene& s = scene();
    auto lines = std::make_unique<app::LineTable>();
    loadSet(*lines, lines->pixelSetA, s.setPath);
    s.change(int(state.range(0)));
    const double differing = writeLiveDifference(
                                 s.differencePath, s.area, lines->pixelSetA, s.steps,
                                 [] { return QStringLiteral("100"); }, Pacing::none())
                                 .differing;
    s.restore();
    const vbrt::Colour pen = 33000;
    for (auto _ : state) {
        // What the redraw of a difference file does: read it, split it, grid it, draw.
        loadSet(*lines, lines->pixelSetA, s.differencePath);
        redrawChanged(s.area, lines->pixelSetA, s.steps, true, pen, Pacing::none());
    }
    s.restore();
    state.counters["dots"] = differing;
}
// A quarter and a sixteenth of the picture changed.
BENCHMARK(BM_RedrawDifferenceSet)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// The files, grid and pixels of every stage, as they were before the fast paths.
bool outputsUnchanged() {
    using bench_support::Digest;
    Scene& s = scene();
    bool ok = true;
    const QString sampled = s.dir.filePath(QStringLiteral("check.txt"));
    writePixelSet(sampled, s.area, s.steps, SetTail::None, Pacing::none());
    Digest set;
    set.addFile(sampled);
    ok &= bench_support::same("sampling", set, kSampled);

    auto lines = std::make_unique<app::LineTable>();
    loadSet(*lines, lines->pixelSetA, s.setPath);
    Digest grid;
    grid.addGrid(lines->pixelSetA, 801, 602);
    ok &= bench_support::same("grid", grid, kGrid);

    s.change();
    writeLiveDifference(
        s.differencePath, s.area, lines->pixelSetA, s.steps, [] { return QStringLiteral("100"); },
        Pacing::none());
    s.restore();
    Digest difference;
    difference.addFile(s.differencePath);
    ok &= bench_support::same("comparison", difference, kDifference);

    loadSet(*lines, lines->pixelSetA, s.differencePath);
    redrawChanged(s.area, lines->pixelSetA, s.steps, true, 33000, Pacing::none());
    Digest redrawn;
    redrawn.addImage(s.area.Image());
    s.restore();
    ok &= bench_support::same("redraw", redrawn, kRedrawn);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!outputsUnchanged())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
