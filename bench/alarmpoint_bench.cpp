// The message log of the remote alarm point in its real window, linked to the alarm server
// double on 127.0.0.1: one short message appended to logs of 0.1 M, 1 M and 5 M characters,
// with line breaks (every line ends with CR LF) and without (chat lines, one paragraph), each
// append followed by the layout and paint the window does before it answers again; a flood
// of 20 chat lines of 7 KB a second, with a click on the window every 100 ms from outside the
// window's thread, reporting how long the clicks waited; a minute of chat lines of 100 KB
// without a line break, sent as fast as the window reads them and clicked the same way,
// reporting the clicks' waits and how long a short line sent after the minute takes to show
// in the log; the same minute for the peak resident memory of the process (run that one
// alone: what the benchmarks before it freed is not given back); two minutes of one short
// chat line a second with the log at its bound, for the CPU and the bytes written per hour,
// and the same with a log of 1.6 M characters whose snapshots go to a full disk (run that one
// through tests/disk/run_on_small_disk, which mounts a small file system for it to fill);
// the CPU of a double click on the input box, which sets the whole log at its bound in one
// size; and the CPU the window takes while it sits on the machine's clock, its timers running,
// once 20 M characters of chat lines are in its log. Under a display (QT_QPA_PLATFORM=xcb) the
// window is a real one.

#include "alarmpoint/message_log.h"
#include "bench_support.h"
#include "click_probe.h"
#include "linked_alarm_point.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QCoreApplication>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace {

using testing_support::pumpUntil;
using Clock = std::chrono::steady_clock;

// A line as the log gets them: a sender, Chinese text, figures and a time.
const QString kLine = QStringLiteral("A2 客厅摄像头：红色告警，告警值 312，已上传实时图像 "
                                     "3又一个hai1.jpg，请查看。Alarm at 9:05:07 ");
const QString kMessage = QStringLiteral("收到，正在查看客厅的实时图像，请稍候。OK 9:05:09");

struct Window : bench_support::LinkedAlarmPoint {
    Window() : LinkedAlarmPoint(bench_support::scratchFolderTemplate()) {}
    alarmpoint::Form4& form() { return point(); }

    // Fills the log and lets it finish its layout, so that only the append is timed.
    void fill(qsizetype chars, bool lineBreaks) {
        const QString line =
            lineBreaks ? kLine.left(kLine.size() - 2) + QStringLiteral("\r\n") : kLine;
        QString text;
        text.reserve(chars + line.size());
        while (text.size() < chars)
            text += line;
        text.truncate(chars);
        form().RichTextBox3.setText(text);
        settle();
    }
    void settle() {
        form().RichTextBox3.edit()->document()->documentLayout()->documentSize();
        QCoreApplication::processEvents();
    }
};

std::unique_ptr<Window> current;
Window& window() {
    if (!current)
        current = std::make_unique<Window>();
    return *current;
}

void BM_AppendToLog(benchmark::State& state) {
    Window& w = window();
    const bool lineBreaks = state.range(1) != 0;
    w.fill(state.range(0), lineBreaks);
    const QString message = lineBreaks ? kMessage + QStringLiteral("\r\n") : kMessage;
    for (auto _ : state) {
        w.form().log.appendToLog(message);
        QCoreApplication::processEvents();
    }
    state.counters["log_chars"] = double(w.form().RichTextBox3.Text().size());
}

// Lets the window run on the machine's clock until `done` holds (asked after every turn of
// events) or `deadline` has passed; true when it holds. A turn sleeps while nothing happens.
bool runUntil(Clock::time_point deadline, const std::function<bool()>& done) {
    for (;;) {
        if (done())
            return true;
        const double left = std::chrono::duration<double>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        ui::EventLoop::instance().waitForEvents(left);
    }
}

void runFor(std::chrono::seconds span) {
    runUntil(Clock::now() + span, [] { return false; });
}

double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

QByteArray gbk(const QString& text) {
    return QStringEncoder("GBK").encode(text);
}

// A chat line as the server relays it from point A2: the sender and the chat prefix, the
// text, "{}" and the status.
const QString kChatHead = QStringLiteral("A2zen-tur:~");
const QString kChatTail = QStringLiteral("{}OK");

// Chat text of at least `bytes` on the wire, without a line break.
QString chatText(qsizetype bytes) {
    const qsizetype lineBytes = gbk(kLine).size();
    return kLine.repeated((bytes + lineBytes - 1) / lineBytes);
}

void BM_FloodOfChatLines(benchmark::State& state) {
    Window& w = window();
    alarmpoint::Form4& f = w.form();
    const int seconds = int(state.range(0));
    constexpr int kPerSecond = 20;
    const QString message = kChatHead + chatText(7 * 1024) + kChatTail;

    for (auto _ : state) {
        f.RichTextBox3.setText(QString());
        ui::EventLoop::instance().useRealTime();
        const int client = w.client();
        std::atomic<bool> stop = false;
        // The flood, like the clicks, is timed from another thread.
        std::thread pacer([&] {
            const Clock::time_point start = Clock::now();
            for (int i = 0; i < seconds * kPerSecond && !stop; ++i) {
                std::this_thread::sleep_until(start + std::chrono::milliseconds(50 * i));
                QMetaObject::invokeMethod(
                    &w.server, [&w, client, &message] { w.server.send(client, message); },
                    Qt::QueuedConnection);
            }
        });
        bench_support::Clicker clicks(f.Label2.widget(), seconds);
        const Clock::time_point start = Clock::now();
        const auto end = start + std::chrono::seconds(seconds) + std::chrono::milliseconds(500);
        while (Clock::now() < end)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        stop = true;
        pacer.join();
        clicks.stop();
        QCoreApplication::processEvents();
        bench_support::useBenchClock();

        state.SetIterationTime(secondsSince(start));
        bench_support::reportClicks(state, clicks.waitsMs());
        state.counters["log_chars"] = double(f.RichTextBox3.Text().size());
    }
}

// ---- Chat lines streamed as fast as the window reads them

// Each line ends in its number, so that the log shows when the last one sent has arrived.
class NumberedChatLines {
public:
    explicit NumberedChatLines(qsizetype bytes) {
        const QString text = chatText(bytes);
        head_ = gbk(kChatHead + text);
        tail_ = gbk(kChatTail);
        textChars_ = text.size() + mark(0).size();
    }
    static QString mark(int n) { return QStringLiteral("#%1#").arg(n, 7, 10, QLatin1Char('0')); }

    // The next line for the server to send; none once stopped or after `limit` lines.
    QByteArray next() {
        if (stopped || sent_ >= limit)
            return {};
        return head_ + mark(sent_++).toLatin1() + tail_;
    }
    int sent() const { return sent_; }
    QString lastMark() const { return mark(sent_ - 1); }
    // The characters of chat text in one line, its number included.
    qsizetype textChars() const { return textChars_; }

    bool stopped = false;
    int limit = std::numeric_limits<int>::max();

private:
    QByteArray head_, tail_;
    qsizetype textChars_ = 0;
    int sent_ = 0;
};

// The end of the log, read from its document without making the whole text, with the cuts
// between its blocks taken out.
QString logTail(alarmpoint::Form4& f, int chars) {
    QTextCursor c(f.RichTextBox3.edit()->document());
    c.movePosition(QTextCursor::End);
    c.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor, chars);
    return c.selectedText().remove(QChar::ParagraphSeparator);
}

bool logShows(alarmpoint::Form4& f, const QString& text) {
    return logTail(f, 64).contains(text);
}

constexpr qsizetype kLongChatBytes = 100 * 1024;
// Past this the stream stops early: the machine's memory is not the figure.
constexpr double kResidentLimitMb = 3072;
constexpr auto kProbeWait = std::chrono::seconds(120);
const QString kProbe = QStringLiteral("PROBE-LINE");

struct StreamFigures {
    double streamedSeconds = 0;
    bool memoryLimitHit = false;
    int linesSent = 0;
    double residentBeforeMb = 0, peakResidentMb = 0;
    double probeShownSeconds = -1;
    int logChars = 0;
    std::vector<double> clickWaitsMs;
    int clicksPosted = 0;
};

// Chat lines of about 100 KB, no line break in them, sent for `seconds` as fast as the window
// reads them: the server keeps about one line queued on its side, and the window's socket takes
// at most kReadBound at a time, so the window's reads pace the stream. The window is on the
// machine's clock meanwhile and is clicked as in the flood. Afterwards a short probe line
// is sent, and the time from the stream's end until the log shows it noted (at most
// kProbeWait). The probe goes once the log shows the last line of the stream, so that it
// arrives on its own: read with the line before it, it would be taken for that line's status.
StreamFigures streamLongChatLines(Window& w, int seconds) {
    alarmpoint::Form4& f = w.form();
    f.RichTextBox3.setText(QString());
    QCoreApplication::processEvents();
    ui::EventLoop::instance().useRealTime();
    StreamFigures out;
    out.residentBeforeMb = bench_support::residentMb();
    const bench_support::PeakResident peak;
    auto lines = std::make_shared<NumberedChatLines>(kLongChatBytes);

    const Clock::time_point start = Clock::now();
    w.server.sendPaced(w.client(), [lines] { return lines->next(); });
    bench_support::Clicker clicks(f.Label2.widget(), seconds);
    out.memoryLimitHit = runUntil(start + std::chrono::seconds(seconds),
                                  [&] { return peak.mb() > kResidentLimitMb; });
    lines->stopped = true;
    const Clock::time_point stopped = Clock::now();
    clicks.stop();
    out.streamedSeconds = std::chrono::duration<double>(stopped - start).count();
    out.peakResidentMb = peak.mb();
    out.linesSent = lines->sent();

    const Clock::time_point giveUp = stopped + kProbeWait;
    if (runUntil(giveUp, [&] { return logShows(f, lines->lastMark()); })) {
        w.server.send(w.client(), kChatHead + kProbe + kChatTail);
        if (runUntil(giveUp, [&] { return logShows(f, kProbe); }))
            out.probeShownSeconds = secondsSince(stopped);
    }
    QCoreApplication::processEvents();
    out.logChars = f.RichTextBox3.TextLength();
    out.clickWaitsMs = clicks.waitsMs();
    out.clicksPosted = clicks.posted();
    bench_support::useBenchClock();
    return out;
}

void BM_StreamOfLongChatLines(benchmark::State& state) {
    for (auto _ : state) {
        const StreamFigures s = streamLongChatLines(window(), int(state.range(0)));
        state.SetIterationTime(s.streamedSeconds);
        bench_support::reportClicks(state, s.clickWaitsMs);
        state.counters["clicks_posted"] = s.clicksPosted;
        state.counters["probe_shown_s"] = s.probeShownSeconds;
        state.counters["lines_sent"] = s.linesSent;
        state.counters["log_chars"] = s.logChars;
        state.counters["memory_limit_hit"] = s.memoryLimitHit;
    }
}

// The same stream for its memory: the process's, so a figure that no benchmark before it
// raised comes from a run of this one alone.
void BM_MemoryOfLongChatStream(benchmark::State& state) {
    for (auto _ : state) {
        const StreamFigures s = streamLongChatLines(window(), int(state.range(0)));
        state.SetIterationTime(s.streamedSeconds);
        state.counters["rss_before_mb"] = s.residentBeforeMb;
        state.counters["peak_rss_mb"] = s.peakResidentMb;
        state.counters["lines_sent"] = s.linesSent;
        state.counters["log_chars"] = s.logChars;
        state.counters["memory_limit_hit"] = s.memoryLimitHit;
    }
}

// ---- An idle window with a long log

constexpr auto kFeedLimit = std::chrono::seconds(240);

// Chat lines of 7 KB until the log has `chars` characters, then the window left alone on the
// machine's clock, its timers running (Timer1 writes the clock, Timer3 looks at the log for a
// snapshot every second): the CPU seconds of the process per wall second of that wait.
void BM_IdleAfterLongLog(benchmark::State& state) {
    Window& w = window();
    alarmpoint::Form4& f = w.form();
    const qint64 chars = state.range(0);
    const auto idle = std::chrono::seconds(state.range(1));
    for (auto _ : state) {
        f.RichTextBox3.setText(QString());
        ui::EventLoop::instance().useRealTime();
        auto lines = std::make_shared<NumberedChatLines>(7 * 1024);
        lines->limit = int((chars + lines->textChars() - 1) / lines->textChars());
        const Clock::time_point start = Clock::now();
        w.server.sendPaced(w.client(), [lines] { return lines->next(); });
        const bool fed = runUntil(start + kFeedLimit, [&] {
            return lines->sent() == lines->limit && logShows(f, lines->lastMark());
        });
        const double feedSeconds = secondsSince(start);
        // Timer3 writes the grown log at its next tick; the wait is what comes after.
        runFor(std::chrono::seconds(2));
        const bench_support::Meter meter;
        runFor(idle);
        state.SetIterationTime(meter.wallSeconds());
        state.counters["idle_cpu_s_per_s"] = meter.share();
        state.counters["fed"] = fed;
        state.counters["feed_s"] = feedSeconds;
        state.counters["log_chars"] = f.RichTextBox3.TextLength();
        bench_support::useBenchClock();
    }
}

// ---- A talkative server at the log's bound

// What the process has handed to write() so far: snapshots, the archive, and the few bytes of
// the chat lines the server double sends.
qint64 bytesWritten() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("wchar:"))
            return line.mid(6).trimmed().toLongLong();
    return 0;
}

struct ChatFigures {
    double wallSeconds;
    double cpuShare;
    double mbWrittenPerHour;
    int linesSent;
};

// One short chat line a second from the server for `seconds` on the machine's clock: the CPU
// seconds of the process per wall second, and the bytes it writes, as per hour. The first
// snapshot of the log as it stands, whenever it falls due, is part of the cost.
ChatFigures chatLineASecond(Window& w, int seconds) {
    ui::EventLoop::instance().useRealTime();
    const int client = w.client();
    QTimer chat;
    int sent = 0;
    QObject::connect(&chat, &QTimer::timeout, [&] {
        w.server.send(client, kChatHead + kMessage + QString::number(sent++) + kChatTail);
    });
    chat.start(1000);
    const bench_support::Meter meter;
    const qint64 written0 = bytesWritten();
    runFor(std::chrono::seconds(seconds));
    chat.stop();
    const double wall = meter.wallSeconds();
    const ChatFigures figures{wall, meter.share(),
                              double(bytesWritten() - written0) / wall * 3600 / (1024.0 * 1024.0),
                              sent};
    bench_support::useBenchClock();
    return figures;
}

// The log filled to just under its bound with lines as a server's notices bring them (a line
// break after each, about 45,000 paragraphs), then one short chat line a second, with or
// without a screen reader following the log. Where no accessibility bridge runs (offscreen)
// the reader is played here, by asking the log's accessible text after each line what a
// screen reader asks when told of new text: its length, the caret, and the text that came.
// bench/run_with_screen_reader runs the window with the bridge on and a reader of its own.
void BM_ChatLineASecondAtTheBound(benchmark::State& state) {
    Window& w = window();
    alarmpoint::Form4& f = w.form();
    const int seconds = int(state.range(0));
    const bool reader = state.range(1) != 0;
    for (auto _ : state) {
        w.fill(alarmpoint::MessageLog::kLogChars - 20'000, true);
        QAccessibleTextInterface* text =
            QAccessible::queryAccessibleInterface(f.RichTextBox3.edit())->textInterface();
        const auto dispatch = f.Winsock1.onDataArrival;
        f.Winsock1.onDataArrival = [&, dispatch](qint64 n) {
            dispatch(n);
            if (!reader)
                return;
            const int end = text->characterCount();
            benchmark::DoNotOptimize(text->cursorPosition());
            benchmark::DoNotOptimize(text->text(std::max(0, end - 100), end));
        };
        const ChatFigures figures = chatLineASecond(w, seconds);
        f.Winsock1.onDataArrival = dispatch;
        state.SetIterationTime(figures.wallSeconds);
        state.counters["cpu_s_per_s"] = figures.cpuShare;
        state.counters["mb_written_per_h"] = figures.mbWrittenPerHour;
        state.counters["lines_sent"] = figures.linesSent;
        state.counters["log_chars"] = f.RichTextBox3.TextLength();
        // 1 when the desktop's accessibility bridge is on (bench/run_with_screen_reader).
        state.counters["bridge"] = QAccessible::isActive();
    }
}

// ---- A full disk

// Fills the file system that holds `folder` until not one byte more goes in; the room comes
// back when it goes.
class FullDisk {
public:
    explicit FullDisk(const QString& folder) : filler_(folder + QStringLiteral("/filler")) {
        if (!filler_.open(QIODevice::WriteOnly))
            return;
        for (const qsizetype piece : {64 * 1024, 1}) {
            const QByteArray bytes(piece, 'x');
            while (filler_.write(bytes) == piece && filler_.flush()) {
            }
        }
    }
    ~FullDisk() { filler_.remove(); }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

private:
    QFile filler_;
};

// The same chat line a second with a log of 1.6 M characters, its snapshots and archive going
// to a disk that takes them or to one that is full. The full one is the small file system that
// tests/disk/run_on_small_disk mounts, filled up; run the benchmark through it.
void BM_ChatLineASecondOnAFullDisk(benchmark::State& state) {
    const int seconds = int(state.range(0));
    const bool full = state.range(1) != 0;
    const QString smallDisk = qEnvironmentVariable("TESSAL_SMALL_DISK");
    if (full && smallDisk.isEmpty()) {
        state.SkipWithError("no small disk: run through tests/disk/run_on_small_disk");
        return;
    }
    Window& w = window();
    for (auto _ : state) {
        w.fill(1'600'000, true);
        QTemporaryDir folder(full ? smallDisk + QStringLiteral("/bench-XXXXXX")
                                  : bench_support::scratchFolderTemplate());
        vbrt::setAppPath(folder.path());
        std::optional<FullDisk> disk;
        if (full)
            disk.emplace(folder.path());
        const ChatFigures figures = chatLineASecond(w, seconds);
        disk.reset();
        vbrt::setAppPath(w.folder.path());
        state.SetIterationTime(figures.wallSeconds);
        state.counters["cpu_s_per_s"] = figures.cpuShare;
        state.counters["mb_written_per_h"] = figures.mbWrittenPerHour;
        state.counters["lines_sent"] = figures.linesSent;
    }
}

// ---- A double click at the log's bound

// A double click on the input box, as a query starts, with the log at its bound (lines of a
// server's notices, as above): the whole log set in one size, its selection put back, laid out
// and painted anew, with or without the accessibility bridge and a screen reader following
// the log (bench/run_with_screen_reader). The CPU of one click.
void BM_DoubleClickAtTheBound(benchmark::State& state) {
    Window& w = window();
    alarmpoint::Form4& f = w.form();
    w.fill(alarmpoint::MessageLog::kLogChars - 20'000, true);
    // Untimed, while a reader still asks what it wants to know of the filled log.
    f.log.Text1_DblClick();
    w.settle();
    double cpu = 0;
    for (auto _ : state) {
        const bench_support::Meter meter;
        f.log.Text1_DblClick();
        w.settle();
        state.SetIterationTime(meter.wallSeconds());
        cpu += bench_support::cpuSeconds() - meter.cpu0;
    }
    state.counters["cpu_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    state.counters["bridge"] = QAccessible::isActive();
}

BENCHMARK(BM_AppendToLog)
    ->ArgsProduct({{100'000, 1'000'000, 5'000'000}, {1, 0}})
    ->ArgNames({"chars", "breaks"})
    ->MinTime(0.2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloodOfChatLines)
    ->Arg(60)
    ->ArgName("seconds")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_StreamOfLongChatLines)
    ->Arg(60)
    ->ArgName("seconds")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_MemoryOfLongChatStream)
    ->Arg(60)
    ->ArgName("seconds")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_ChatLineASecondAtTheBound)
    ->ArgsProduct({{120}, {0, 1}})
    ->ArgNames({"seconds", "reader"})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_ChatLineASecondOnAFullDisk)
    ->ArgsProduct({{120}, {0, 1}})
    ->ArgNames({"seconds", "full"})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_DoubleClickAtTheBound)->Iterations(5)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_IdleAfterLongLog)
    ->Args({20'000'000, 20})
    ->ArgNames({"chars", "seconds"})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    return bench_support::runWindowBenchmarks(argc, argv, {}, [] { current.reset(); });
}
