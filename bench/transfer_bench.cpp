// A 200 MB file each way between the alarm point and the alarm server double on 127.0.0.1,
// beside a raw copy of the same bytes over three plain QTcpSockets into the same server in the
// same run, with the peak memory above what the process held before each transfer. The
// program's own pauses (two seconds after each data connection opens, two ticks of a second
// between the upload channels) pass on virtual time, so the figures are those of the data
// path; "of_raw" is the transfer's speed as a share of the raw copy's. Under a display
// (QT_QPA_PLATFORM=xcb) the window is a real one.

#include "alarmpoint/download.h"
#include "alarmpoint/transfer_math.h"
#include "alarmpoint/upload.h"
#include "bench_support.h"
#include "linked_alarm_point.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>
#include <array>
#include <benchmark/benchmark.h>
#include <memory>
#include <unistd.h>

namespace {

using testing_support::pumpUntil;

constexpr qint64 kSize = 200LL * 1024 * 1024;
constexpr double kMB = 1024.0 * 1024.0;

double residentMB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / kMB : 0;
}

// Runs the program's events and moves its clock in small steps until `done`, keeping the
// highest resident size seen.
double runUntil(const std::function<bool()>& done, double& peakMB) {
    QElapsedTimer wall;
    wall.start();
    while (!done() && wall.elapsed() < 600'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        ui::EventLoop::instance().advance(0.01);
        peakMB = std::max(peakMB, residentMB());
    }
    return double(wall.nsecsElapsed()) / 1e9;
}

// The 200 MB file beside the program's folder of a linked alarm point.
struct Setup : bench_support::LinkedAlarmPoint {
    QString file = folder.filePath(QStringLiteral("big.bin"));

    Setup() : LinkedAlarmPoint(QDir::tempPath() + QStringLiteral("/bench-XXXXXX")) {
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        QByteArray block(1024 * 1024, Qt::Uninitialized);
        for (qsizetype i = 0; i < block.size(); ++i)
            block[i] = char((i * 131) >> 3);
        for (qint64 written = 0; written < kSize; written += block.size())
            out.write(block);
        server.keepUploads = false;
    }
};

std::unique_ptr<Setup> current;
Setup& setup() {
    if (!current)
        current = std::make_unique<Setup>();
    return *current;
}

// The raw copy's time in this run, for the transfers to be measured against.
double rawSeconds = 0;

void report(benchmark::State& state, double seconds, double idleMB, double peakMB) {
    state.SetIterationTime(seconds);
    state.counters["MB_per_s"] = double(kSize) / kMB / seconds;
    state.counters["peak_MB_above_idle"] = peakMB - idleMB;
    if (rawSeconds > 0)
        state.counters["of_raw"] = rawSeconds / seconds;
}

// Three sockets at once, each with its stretch of the file as the program splits it, read in
// 64 KiB blocks with at most 1 MiB queued on each, into the server double's upload port.
void BM_RawCopy(benchmark::State& state) {
    Setup& s = setup();
    const alarmpoint::FileSplit split = alarmpoint::splitFile(kSize);
    struct Stream {
        QFile source;
        QTcpSocket socket;
        qint64 next = 0, end = 0;
        void feed() {
            while (next < end && socket.bytesToWrite() < 1024 * 1024) {
                source.seek(next);
                const QByteArray bytes = source.read(std::min<qint64>(64 * 1024, end - next));
                socket.write(bytes);
                next += bytes.size();
            }
            if (next >= end)
                socket.disconnectFromHost();
        }
    };
    for (auto _ : state) {
        const qint64 before = s.server.uploadBytes;
        const int ended = s.server.uploadsEnded;
        std::array<Stream, 3> streams;
        const double idle = residentMB();
        double peak = idle;
        for (size_t n = 0; n < 3; ++n) {
            Stream& st = streams[n];
            st.source.setFileName(s.file);
            st.source.open(QIODevice::ReadOnly);
            st.next = split.start[n];
            st.end = st.next + split.size[n];
            QObject::connect(&st.socket, &QTcpSocket::connected, [&st] { st.feed(); });
            QObject::connect(&st.socket, &QTcpSocket::bytesWritten, [&st] { st.feed(); });
            st.socket.connectToHost(QHostAddress::LocalHost, quint16(s.server.uploadPort()));
        }
        const double seconds = runUntil(
            [&] {
                return s.server.uploadsEnded == ended + 3 && s.server.uploadBytes - before == kSize;
            },
            peak);
        if (s.server.uploadBytes - before != kSize)
            state.SkipWithError("the copy did not arrive whole");
        report(state, seconds, idle, peak);
        rawSeconds = seconds;
    }
}

void BM_Upload(benchmark::State& state) {
    Setup& s = setup();
    for (auto _ : state) {
        pumpUntil([&] { return s.linkUp(); });
        const qint64 before = s.server.uploadBytes;
        const int ended = s.server.uploadsEnded;
        s.point().tuxiangsc(s.file);
        s.server.waitForMessages(int(s.server.received.size()) + 1);
        const double idle = residentMB();
        double peak = idle;
        s.server.send(s.client(), QStringLiteral("OK*&^"));
        const double seconds = runUntil(
            [&] { return s.server.uploadsEnded == ended + 3 && !s.point().upload.mang; }, peak);
        if (s.server.uploadBytes - before != kSize)
            state.SkipWithError("the upload did not arrive whole");
        report(state, seconds, idle, peak);
    }
}

void BM_Download(benchmark::State& state) {
    Setup& s = setup();
    for (auto _ : state) {
        double unused = 0;
        runUntil([&] { return s.linkUp(); }, unused);
        const QString name = QStringLiteral("down%1.bin").arg(s.server.clientCount());
        s.server.send(s.client(), name + QStringLiteral("\r\n*&*") + QString::number(kSize) +
                                      QStringLiteral("@"));
        pumpUntil([&] { return s.point().download.pang.toBool(); });
        QFile source(s.file);
        source.open(QIODevice::ReadOnly);
        const double idle = residentMB();
        double peak = idle;
        QElapsedTimer wall;
        wall.start();
        s.server.sendDownload(s.point().Winsock3(0).boundPort(), &source, kSize, {});
        runUntil([&] { return !s.point().download.pang.toBool(); }, peak);
        const double seconds = double(wall.nsecsElapsed()) / 1e9;
        if (QFileInfo(s.point().download.recvDir + name).size() != kSize)
            state.SkipWithError("the download did not land whole");
        report(state, seconds, idle, peak);
        s.server.closeDownloads();
    }
}

BENCHMARK(BM_RawCopy)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Upload)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Download)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return bench_support::runWindowBenchmarks(argc, argv, {}, [] { current.reset(); });
}
