#pragma once

#include "app/line_table.h"
#include "shell/forms.h"

#include <QApplication>
#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <thread>
#include <unistd.h>

namespace bench_support {

// The benchmarks write their files in memory (/dev/shm) where there is one, so that what they
// time is the program's work and not the disk's flush of each replaced file.
inline QString scratchFolderTemplate() {
    return QDir(QStringLiteral("/dev/shm")).exists()
               ? QStringLiteral("/dev/shm/bench-XXXXXX")
               : QDir::tempPath() + QStringLiteral("/bench-XXXXXX");
}

inline double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The process's CPU and the wall time from its start.
struct Meter {
    double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    Meter() { wall.start(); }
    double wallSeconds() const { return double(wall.nsecsElapsed()) * 1e-9; }
    double share() const { return (cpuSeconds() - cpu0) / wallSeconds(); }
};

// Resident memory of the process, in MiB.
inline double residentMb() {
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The most resident memory seen while it exists, sampled every 10 ms from a thread of its own
// so that a window that is busy does not keep it from looking.
class PeakResident {
public:
    PeakResident()
        : sampler_([this] {
              while (!stop_) {
                  peakMb_ = std::max(peakMb_.load(), residentMb());
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
          }) {}
    ~PeakResident() {
        stop_ = true;
        sampler_.join();
    }
    double mb() const { return peakMb_; }

private:
    std::atomic<bool> stop_ = false;
    std::atomic<double> peakMb_ = 0;
    std::thread sampler_;
};

// A benchmark first checks that the paths it times still write the files, grids and pixels
// they wrote when the figures in its notes were taken: a faster path must not change a byte.

class Digest {
public:
    void addFile(const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        hash_.addData(f.readAll());
    }
    void addGrid(const app::TextGrid& grid, int lines, int tokens) {
        for (int c = 0; c < lines; ++c)
            for (int t = 0; t <= tokens; ++t) {
                hash_.addData(grid.cell(c, t));
                hash_.addData("\t");
            }
    }
    void addImage(const QImage& image) {
        const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < rgb.height(); ++y)
            hash_.addData(QByteArrayView(rgb.constScanLine(y), rgb.width() * 4));
    }
    QByteArray hex() { return hash_.result().toHex().left(16); }

private:
    QCryptographicHash hash_{QCryptographicHash::Sha256};
};

// Compares what a stage wrote with what it wrote before; false (after saying so) when it
// differs.
inline bool same(const char* stage, Digest& d, const char* expected) {
    const QByteArray got = d.hex();
    if (got == expected)
        return true;
    std::fprintf(stderr, "OUTPUT CHANGED: %s is %s, was %s\n", stage, got.constData(), expected);
    return false;
}

// main() of the benchmarks of the program's windows: Qt on its offscreen platform (or the one
// QT_QPA_PLATFORM names, to time a real window on a display), then
// `checkFirst` (when given), which must pass before anything is timed, then the benchmarks;
// the windows, and then whatever `afterwards` takes down, go while the application still
// exists.
inline int runWindowBenchmarks(int argc, char** argv, const std::function<bool()>& checkFirst = {},
                               const std::function<void()>& afterwards = {}) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool checked = !checkFirst || checkFirst();
    if (checked) {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    shell::resetAll();
    if (afterwards)
        afterwards();
    return checked ? 0 : 1;
}

} // namespace bench_support
