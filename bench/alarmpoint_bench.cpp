// The message log of the remote alarm point in its real window, linked to the alarm server
// double on 127.0.0.1: one short message appended to logs of 0.1 M, 1 M and 5 M characters,
// with line breaks (every line ends with CR LF) and without (chat lines, one paragraph), each
// append followed by the layout and paint the window does before it answers again; and a flood
// of 20 chat lines of 7 KB a second, with a click on the window every 100 ms from outside the
// window's thread, reporting how long the clicks waited. Under a display
// (QT_QPA_PLATFORM=xcb) the window is a real one.

#include "bench_support.h"
#include "click_probe.h"
#include "linked_alarm_point.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QStringEncoder>
#include <QTextEdit>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
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
        w.form().appendToLog(message);
        QCoreApplication::processEvents();
    }
    state.counters["log_chars"] = double(w.form().RichTextBox3.Text().size());
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

} // namespace

int main(int argc, char** argv) {
    return bench_support::runWindowBenchmarks(argc, argv, {}, [] { current.reset(); });
}
