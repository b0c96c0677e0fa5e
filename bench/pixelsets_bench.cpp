// The pixel-set hot paths on the default 800 x 600 grid of a 12000 x 9000 twips drawing area,
// without the 0.01 s wait after each column that the program makes: sampling into a set
// file, splitting and gridding such a file, comparing the live area with it, and redrawing a
// difference set. Also the memory a loaded set takes against its file size, at rest and at its
// peak while loading, and a check that the load gives the cells the line table's rules say.

#include "app/line_table.h"
#include "bench_support.h"
#include "pixelsets/comparison.h"
#include "pixelsets/pixel_set.h"
#include "pixelsets/redraw.h"
#include "pixelsets/set_file.h"

#include <QApplication>
#include <QByteArrayList>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

// The grid a set file gives by the rules written at the line table, the plain way: Qt's ASCII
// lower-casing, a cut at every CR, repeats dropped from the back, each entry split at TAB or
// "|". Row i holds the pieces of entry i, piece k being token k.
std::vector<QByteArrayList> referenceGrid(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray text = (f.readAll() + "\r\n").toLower();
    QByteArrayList cut;
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\r')
            continue;
        cut.append(i < from ? QByteArray() : text.sliced(from, i - from));
        from = i + 2;
    }
    QByteArrayList table;
    QSet<QByteArray> seen;
    for (auto line = cut.crbegin(); line != cut.crend(); ++line) {
        if (line->isEmpty() || seen.contains(*line))
            continue;
        seen.insert(*line);
        table.prepend(*line);
    }
    table.append(QByteArray());
    std::vector<QByteArrayList> rows;
    for (const QByteArray& line : table) {
        QByteArray entry = '\t' + line + '\t';
        rows.push_back(entry.replace('|', '\t').split('\t'));
    }
    return rows;
}

// Cells of the whole grid that differ from the reference.
int cellsDiffering(const app::TextGrid& grid, const std::vector<QByteArrayList>& reference) {
    int differing = 0;
    for (int line = 0; line <= app::TextGrid::kUpper; ++line) {
        const QByteArrayList* pieces =
            size_t(line) < reference.size() ? &reference[size_t(line)] : nullptr;
        for (int token = 0; token <= app::TextGrid::kUpper; ++token) {
            const bool stored = pieces && token >= 1 && token <= app::TextGrid::kMaxTokens &&
                                token < pieces->size();
            const QByteArrayView expected = stored ? QByteArrayView((*pieces)[token]) : "";
            differing += grid.cell(line, token) != expected;
        }
    }
    return differing;
}

size_t heapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// The most memory that loading the set takes on top of what is there, from a child process
// that only loads it: ru_maxrss is the high-water mark of its resident memory. The child loads
// once before it measures, for the code a forked process maps anew and the program has mapped
// already; then it hands all free heap back, so that the measured load cannot reuse resident
// pages, and resets the mark to what is resident now.
double peakLoadBytes(const QString& path) {
    int channel[2];
    if (pipe(channel) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        auto warmUp = std::make_unique<app::LineTable>();
        loadSetFile(path, *warmUp, warmUp->pixelSetA);
        warmUp.reset();
        malloc_trim(0);
        QFile marks(QStringLiteral("/proc/self/clear_refs"));
        const bool reset = marks.open(QIODevice::WriteOnly) && marks.write("5") == 1;
        marks.close();
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        auto lines = std::make_unique<app::LineTable>();
        loadSetFile(path, *lines, lines->pixelSetA);
        getrusage(RUSAGE_SELF, &after);
        const long grownKiB = reset ? after.ru_maxrss - before.ru_maxrss : -1;
        const bool sent = write(channel[1], &grownKiB, sizeof grownKiB) == sizeof grownKiB;
        _exit(sent ? 0 : 1);
    }
    close(channel[1]);
    long grownKiB = -1;
    if (child < 0 || read(channel[0], &grownKiB, sizeof grownKiB) != sizeof grownKiB)
        grownKiB = -1;
    close(channel[0]);
    if (child > 0)
        waitpid(child, nullptr, 0);
    return grownKiB < 0 ? -1 : double(grownKiB) * 1024;
}

// Set when a load gave other cells than the reference; the run then fails.
bool outputsDiffer = false;

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
        loadSetFile(s.setPath, *lines, lines->pixelSetA);
        benchmark::DoNotOptimize(lines->pixelSetA.cell(799, 600));
    }

    const int differing = cellsDiffering(lines->pixelSetA, referenceGrid(s.setPath));
    if (differing > 0) {
        outputsDiffer = true;
        state.SkipWithError(
            QByteArray::number(differing).append(" cells differ from the reference").constData());
        return;
    }

    // Heap taken by one loaded set (line table, working table and grid) in a fresh store.
    const size_t before = heapInUse();
    auto fresh = std::make_unique<app::LineTable>();
    loadSetFile(s.setPath, *fresh, fresh->pixelSetA);
    const size_t after = heapInUse();
    const double fileBytes = double(QFile(s.setPath).size());
    state.counters["file_bytes"] = fileBytes;
    state.counters["loaded_bytes"] = double(after - before);
    state.counters["loaded_per_file"] = double(after - before) / fileBytes;
    state.counters["peak_per_file"] = peakLoadBytes(s.setPath) / fileBytes;
}
BENCHMARK(BM_SplitAndGridASet)->Unit(benchmark::kMillisecond);

void BM_CompareLiveWithSet(benchmark::State& state) {
    Scene& s = scene();
    auto lines = std::make_unique<app::LineTable>();
    loadSetFile(s.setPath, *lines, lines->pixelSetA);
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
    loadSetFile(s.setPath, *lines, lines->pixelSetA);
    s.change(int(state.range(0)));
    const double differing = writeLiveDifference(
                                 s.differencePath, s.area, lines->pixelSetA, s.steps,
                                 [] { return QStringLiteral("100"); }, Pacing::none())
                                 .differing;
    s.restore();
    const vbrt::Colour pen = 33000;
    for (auto _ : state) {
        // What the redraw of a difference file does: read it, split it, grid it, draw.
        loadSetFile(s.differencePath, *lines, lines->pixelSetA);
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
    loadSetFile(s.setPath, *lines, lines->pixelSetA);
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

    loadSetFile(s.differencePath, *lines, lines->pixelSetA);
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
    return outputsDiffer ? 1 : 0;
}
