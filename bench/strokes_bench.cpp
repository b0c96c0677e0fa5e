// The stroke import (导入) of two files, each read from disk through the program's reader and
// parsed into an empty stroke store: the file the export writes for a store holding every stroke
// and point it has room for, and a file of one number text of 780 MB, which the import refuses.
// Besides the time, each reports the file's size and how far the resident memory rose over what
// the process held before the read.

#include "bench_support.h"
#include "drawing/stroke_file.h"
#include "vbrt/file_reader.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using app::StrokeStore;

// Writes the file in pieces, so that the text is never held whole before the read.
template <typename Piece> bool writeFile(const QString& path, int pieces, Piece piece) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (int i = 0; i < pieces; ++i) {
        const QByteArray bytes = piece(i);
        if (file.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

// Stroke i, point j at (j / 4, i + j / 8), as the sampler stores a pointer in the canvas's scale.
QByteArray strokeLines(int i) {
    QByteArray x, y;
    for (int j = 0; j <= StrokeStore::kLast; ++j) {
        x += QByteArray::number(j / 4.0) + '\t';
        y += QByteArray::number(i + j / 8.0) + '\t';
    }
    const QByteArray tail = "255\t2\t";
    return x + tail + QByteArray::number(i + 1) + "\r\n" + y + tail + QByteArray::number(i + 2) +
           "\r\n";
}

void importFile(benchmark::State& state, const QString& path, int strokesExpected) {
    const qint64 bytes = QFileInfo(path).size();
    double riseMb = 0;
    for (auto _ : state) {
        StrokeStore store;
        const double before = bench_support::residentMb();
        bench_support::PeakResident peak;
        const vbrt::ReadResult file = vbrt::readFile(path, drawing::kMaxStrokeFileBytes);
        const drawing::StrokeFileRead read = drawing::readStrokeFile(file.bytes, store);
        if (!file || read.strokes != strokesExpected ||
            (strokesExpected == 0) != read.badLine.has_value()) {
            state.SkipWithError("the file was not read as expected");
            return;
        }
        riseMb = std::max(riseMb, peak.mb() - before);
    }
    state.counters["file MiB"] = double(bytes) / (1 << 20);
    state.counters["rise MiB"] = riseMb;
}

void BM_ImportFullStore(benchmark::State& state) {
    QTemporaryDir folder{bench_support::scratchFolderTemplate()};
    const QString path = folder.filePath(QStringLiteral("full.txt"));
    if (!writeFile(path, StrokeStore::kLast + 1, strokeLines)) {
        state.SkipWithError("no room for the file");
        return;
    }
    importFile(state, path, StrokeStore::kLast + 1);
}
BENCHMARK(BM_ImportFullStore)->Unit(benchmark::kSecond)->Iterations(2);

void BM_ImportOneToken(benchmark::State& state) {
    QTemporaryDir folder{bench_support::scratchFolderTemplate()};
    const QString path = folder.filePath(QStringLiteral("token.txt"));
    constexpr int kPieces = 780;
    if (!writeFile(path, kPieces, [](int i) {
            return i == 0 ? "1." + QByteArray((1 << 20) - 2, '0') : QByteArray(1 << 20, '0');
        })) {
        state.SkipWithError("no room for the file");
        return;
    }
    importFile(state, path, 0);
}
BENCHMARK(BM_ImportOneToken)->Unit(benchmark::kSecond)->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    return bench_support::runWindowBenchmarks(argc, argv);
}
