// The read of the parameter records at the start of every replay pass: treego.txt of 100,000
// records as the picture save writes them (each line once more further down, as a user who
// saved the same drop twice leaves it), read, split, folded to lower case and stripped of its
// repeated lines.

#include "bench_support.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "trajectories/record_replay.h"
#include "vbrt/apppath.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kRecords = 100'000;
// Every tenth record is saved a second time at the end of the file.
constexpr int kRepeatEvery = 10;

QByteArray record(int i) {
    return QByteArray::number(0.5 + i % 7) + ",1," + QByteArray::number(10.0 + i / 1000.0) +
           ",1,-" + QByteArray::number(i % 13) + "," + QByteArray::number(i * 0.001) +
           ",-2.739213,0,";
}

QByteArray recordFile() {
    QByteArray text;
    for (int i = 0; i < kRecords; ++i)
        text += record(i) + "\r\n";
    for (int i = 0; i < kRecords; i += kRepeatEvery)
        text += record(i) + "\r\n";
    return text;
}

void BM_ReadRecords(benchmark::State& state) {
    QTemporaryDir folder{bench_support::scratchFolderTemplate()};
    vbrt::setAppPath(folder.path());
    QFile file(folder.filePath(QStringLiteral("treego.txt")));
    file.open(QIODevice::WriteOnly);
    file.write(recordFile());
    file.close();

    trajectories::RecordReplay& replay = shell::form2().replay;
    // Record 0 was saved again at the end: the records read begin with record 1 and end
    // with it.
    if (replay.query1(QStringLiteral(",")) != kRecords ||
        replay.replayRecords().front() != QString::fromLatin1(record(1)) ||
        replay.replayRecords().back() != QString::fromLatin1(record(kRecords - kRepeatEvery))) {
        state.SkipWithError("the records read are not the file's");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(replay.query1(QStringLiteral(",")));
    state.counters["records"] = kRecords;
    state.counters["bytes"] = double(file.size());
}
BENCHMARK(BM_ReadRecords)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return bench_support::runWindowBenchmarks(argc, argv);
}
