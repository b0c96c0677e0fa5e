#pragma once

#include "alarm_point_fixture.h"
#include "app/module1.h"
#include "monitoring/monitor_log.h"
#include "monitoring/monitoring.h"
#include "platform/media_backend.h"
#include "platform/synthetic_capture_driver.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "text_printers.h"
#include "ui/clock.h"
#include "ui/timer.h"
#include "vbrt/datetime.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <cmath>

// The monitoring window opened by its launcher on a synthetic camera, sampled on a 40 x 30
// grid, with sounds recorded instead of played; the alarm point can be opened on a server
// double.
namespace monitoring_test {

constexpr int kColumns = 40, kRows = 30;
constexpr vbrt::Colour kGreen = 65280, kYellow = 65535, kRed = 255;

class MonitoringTest : public testing_support::AlarmPointTest {
protected:
    using AlarmPointTest::AlarmPointTest;
    void SetUp() override {
        AlarmPointTest::SetUp();
        camera = platform::installSyntheticCaptureDriver();
        sounds = platform::installRecordingMediaBackend();
        shell::form1().Command11_Click();
        camera->setFrame(scene());
        f2().Text1(2).setText(QString::number(kColumns));
        f2().Text1(3).setText(QString::number(kRows));
    }
    void TearDown() override {
        AlarmPointTest::TearDown();
        platform::resetCaptureDriverFactory();
        platform::resetMediaBackendFactory();
    }

    // A camera frame: grey, with the samples of grid columns c0..c1-1 and rows r0..r1-1 blue.
    // A block of w x h samples scores (w - 2) x (h - 2).
    QImage scene(int c0 = 0, int c1 = 0, int r0 = 0, int r1 = 0) {
        QImage frame(640, 480, QImage::Format_RGB32);
        frame.fill(QColor(128, 128, 128));
        // The frame is stretched over the drawing area's outer size; the block's edges lie
        // half a step from its samples.
        const double width = f2().Picture1.Width(), height = f2().Picture1.Height();
        const double cx = 640 / width * std::floor(width / kColumns);
        const double cy = 480 / height * std::floor(height / kRows);
        QPainter p(&frame);
        p.fillRect(QRectF((c0 - 0.5) * cx, (r0 - 0.5) * cy, (c1 - c0) * cx, (r1 - r0) * cy),
                   QColor(20, 40, 230));
        return frame;
    }
    // Blocks whose alarm values lie at and around the level bounds.
    QImage scored(int v) {
        switch (v) {
        case 100:
            return scene(5, 17, 4, 16); // 10 x 10
        case 196:
            return scene(5, 21, 4, 20); // 14 x 14
        case 300:
            return scene(5, 22, 4, 26); // 15 x 20
        case 324:
            return scene(5, 25, 4, 24); // 18 x 18
        }
        return scene();
    }

    shell::Form2& f2() { return shell::form2(); }
    monitoring::Monitoring& mon() { return f2().monitoring; }
    app::Module1& m() { return app::module1(); }

    // The alarm point opened by the monitoring window's button, on the server double.
    void openAlarmPoint() {
        dialogs.expectInputBox(testing_support::kServerPrompt, QStringLiteral("127.0.0.1"));
        f2().Command15.press();
        ASSERT_TRUE(testing_support::pumpUntil([&] { return connected(); }));
        countArrivals();
    }
    // Lets virtual time pass in small steps with the sockets running, until `done` holds.
    bool runUntil(const std::function<bool()>& done, double virtualSeconds) {
        for (double t = 0; t < virtualSeconds; t += 0.05) {
            QCoreApplication::processEvents();
            if (done())
                return true;
            advance(0.05);
        }
        return done();
    }
    void run(double virtualSeconds) {
        runUntil([] { return false; }, virtualSeconds);
    }
    // The camera's frame, taken as the reference.
    void captureReference(const QImage& frame) {
        camera->setFrame(frame);
        mon().Timer17_Timer();
        mon().tuxiangcaiji();
    }
    // The camera's frame compared with the reference; what it found.
    monitoring::CompareOutcome compareOutcome(const QImage& frame) {
        camera->setFrame(frame);
        mon().Timer17_Timer();
        return mon().tuxiangbijiao();
    }
    // The same; the result.
    monitoring::CompareResult compare(const QImage& frame) { return compareOutcome(frame).result; }

    // Every text the status box showed from now on, as a test timer sees it every 50 ms.
    QStringList& watchStatus() {
        statusWatch.setInterval(50);
        statusWatch.onTimer = [this] {
            if (statusSeen.isEmpty() || statusSeen.last() != f2().Text3.Text())
                statusSeen << f2().Text3.Text();
        };
        return statusSeen;
    }

    // The log's entry texts (each entry's second line), in order.
    QStringList entries() {
        const QStringList lines =
            QString::fromUtf8(read(QStringLiteral("CAMaRA/0.txt"))).split(QStringLiteral("\r\n"));
        QStringList texts;
        for (qsizetype i = 1; i < lines.size(); i += 2)
            texts << lines[i];
        return texts;
    }
    // What reached the server, one text per message without the chat prefix in front (the
    // link may carry several messages in one arrival).
    QStringList notices() {
        testing_support::pumpUntil([] { return false; }, 0.05);
        QStringList texts = server.from(0).join(QString()).split(QStringLiteral("zen-tur:~"));
        texts.removeFirst();
        return texts;
    }
    QString stamp() {
        const QDateTime now = ui::Clock::instance().now();
        return monitoring::tiqut(vbrt::shortDate(now.date())) +
               monitoring::tiqut(vbrt::shortTime(now.time()));
    }

    std::shared_ptr<platform::SyntheticCamera> camera;
    ui::Timer statusWatch;
    QStringList statusSeen;
    std::shared_ptr<platform::MediaCallLog> sounds;
};

} // namespace monitoring_test
