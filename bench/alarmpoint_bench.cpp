// The message log of the remote alarm point in its real window, linked to the alarm server
// double on 127.0.0.1: one short message appended to logs of 0.1 M, 1 M and 5 M characters,
// with line breaks (every line ends with CR LF) and without (chat lines, one paragraph), each
// append followed by the layout and paint the window does before it answers again; and a flood
// of 20 chat lines of 7 KB a second, with a click on the window every 100 ms from outside the
// window's thread, reporting how long the clicks waited. Under a display
// (QT_QPA_PLATFORM=xcb) the window is a real one.

#include "bench_support.h"
#include "linked_alarm_point.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QStringEncoder>
#include <QTextEdit>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <mutex>
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

// A click as the window system would deliver it, stamped with the moment it was made.
class ProbeClick : public QMouseEvent {
public:
    ProbeClick(Qt::MouseButton button, const QPointingDevice* mouse)
        : QMouseEvent(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), button, button,
                      Qt::NoModifier, mouse),
          made(Clock::now()) {}
    const Clock::time_point made;
};

// Notes how long each probe click waited before the window took it.
class ClickWaits : public QObject {
public:
    std::vector<double> waitsMs;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (const auto* probe = dynamic_cast<const ProbeClick*>(e))
            waitsMs.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - probe->made).count());
        return false;
    }
};

void BM_FloodOfChatLines(benchmark::State& state) {
    Window& w = window();
    alarmpoint::Form4& f = w.form();
    const int seconds = int(state.range(0));
    constexpr int kPerSecond = 20;
    constexpr int kBytes = 7 * 1024;
    QString chat;
    while (QByteArray(QStringEncoder("GBK").encode(chat)).size() < kBytes)
        chat += kLine;
    const QString message = QStringLiteral("A2zen-tur:~") + chat + QStringLiteral("{}OK");

    for (auto _ : state) {
        f.RichTextBox3.setText(QString());
        ui::EventLoop::instance().useRealTime();
        ClickWaits waits;
        QWidget* label = f.Label2.widget();
        label->installEventFilter(&waits);
        const int client = w.server.clientCount() - 1;
        // Made here: the pointing device belongs to the window's thread.
        const QPointingDevice* mouse = QPointingDevice::primaryPointingDevice();
        std::atomic<bool> stop = false;
        // Both the flood and the clicks are timed from another thread, so that a window that
        // is busy does not slow them down.
        std::thread pacer([&] {
            const Clock::time_point start = Clock::now();
            for (int i = 0; i < seconds * kPerSecond && !stop; ++i) {
                std::this_thread::sleep_until(start + std::chrono::milliseconds(50 * i));
                QMetaObject::invokeMethod(
                    &w.server, [&w, client, &message] { w.server.send(client, message); },
                    Qt::QueuedConnection);
                if (i % 2 == 0)
                    // Left and right in turn: the label goes up and comes back down.
                    QCoreApplication::postEvent(
                        label,
                        new ProbeClick(i % 4 == 0 ? Qt::LeftButton : Qt::RightButton, mouse));
            }
        });
        const Clock::time_point start = Clock::now();
        const auto end = start + std::chrono::seconds(seconds) + std::chrono::milliseconds(500);
        while (Clock::now() < end)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        stop = true;
        pacer.join();
        QCoreApplication::processEvents();
        label->removeEventFilter(&waits);
        bench_support::useBenchClock();

        std::sort(waits.waitsMs.begin(), waits.waitsMs.end());
        const auto& v = waits.waitsMs;
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        state.counters["clicks"] = double(v.size());
        state.counters["click_wait_max_ms"] = v.empty() ? -1 : v.back();
        state.counters["click_wait_p99_ms"] = v.empty() ? -1 : v[v.size() * 99 / 100];
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
