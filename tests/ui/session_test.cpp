#include "ui/dialogs.h"
#include "ui/session.h"
#include "ui/waits.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace {

// A signal from the desktop ends the program wherever it waits: the end runs once, on the
// program's own thread, long before the wait would be over, and a message box asked for from
// then on is not shown.
TEST(SessionEnd, ASignalEndsTheProgramWhereverItWaits) {
    const struct {
        const char* what;
        int signal;
        std::function<void()> wait;
    } rows[] = {
        {"the event loop with nothing to do", SIGTERM,
         [] {
             QEventLoop loop;
             QTimer::singleShot(600, &loop, &QEventLoop::quit);
             loop.exec();
         }},
        {"a wait that lets events run", SIGHUP, [] { ui::pumpedWait(0.6f); }},
        {"a paced drawing's wait", SIGINT, [] { ui::busyWait(0.6f); }},
        {"a message box", SIGTERM,
         [] {
             QMessageBox box(QMessageBox::Question, QStringLiteral("Tessal Arvendel"),
                             QStringLiteral("是否退出Tessal Arvendel？"),
                             QMessageBox::Yes | QMessageBox::No);
             QTimer::singleShot(600, &box, &QDialog::reject);
             box.exec();
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        int ends = 0;
        qint64 endedAfterMs = -1;
        int answer = 0;
        QElapsedTimer waiting;
        ui::endSessionOnSignals([&] {
            ++ends;
            endedAfterMs = waiting.elapsed();
            EXPECT_EQ(QThread::currentThread(), qApp->thread());
            answer = ui::MsgBox(QStringLiteral("告警记录没有存档"), ui::vbYesNo);
        });
        std::thread desktop([signal = row.signal] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ::kill(::getpid(), signal);
        });
        waiting.start();
        row.wait();
        desktop.join();
        ui::endSessionIfSignalled();
        EXPECT_EQ(ends, 1);
        EXPECT_GE(endedAfterMs, 40);
        EXPECT_LT(endedAfterMs, 400) << "the end waited for the wait";
        EXPECT_EQ(answer, ui::vbNo) << "nobody is there to answer";
        ui::stopEndingSessionOnSignals();
    }
}

} // namespace
