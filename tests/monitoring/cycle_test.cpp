#include "monitoring_fixture.h"
#include "platform/capture_window.h"
#include "ui/timer.h"

#include <QDir>
#include <QFile>
#include <QWidget>
#include <unistd.h>

using namespace monitoring_test;

namespace {

qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

const QString kStopped = QStringLiteral("智能监控停止");
const QString kRunning = QStringLiteral("智能监控启动");
const QString kStartEntry = QStringLiteral("    Somebody begins to  run the  watch system .");
const QString kStopEntry = QStringLiteral("    Somebody stoped running the  watch system .");
const QString kNoCamera = QStringLiteral("请检查摄像头的驱动程序是否安装完好？");
const QString kTitle = QStringLiteral("Tessal Arvendel");

class Cycle : public MonitoringTest {
protected:
    // The snapshots of the CAMaRA folder whose names end so.
    QStringList snapshots(const QString& ending) {
        return QDir(path(QStringLiteral("CAMaRA")))
            .entryList({QStringLiteral("*") + ending}, QDir::Files, QDir::Name);
    }
    // The sound files the alarm played, with the virtual time at which each started.
    struct Played {
        QString file;
        double at;
    };
    std::vector<Played> played;
    ui::Timer soundWatch;
    void watchSounds() {
        soundWatch.setInterval(50);
        soundWatch.onTimer = [this] {
            const QStringList calls = sounds->calls().filter(QStringLiteral("setSource:/"));
            while (calls.size() > qsizetype(played.size()))
                played.push_back({calls[qsizetype(played.size())].section(QLatin1Char('/'), -1),
                                  ui::Clock::instance().monotonic()});
        };
    }
};

TEST_F(Cycle, TheStartButtonByItsCaption) {
    shell::Form2& f = f2();
    EXPECT_EQ(f.Command13.Caption(), kStopped);
    f.Command14.press();
    EXPECT_TRUE(f.Timer(17).Enabled()) << "the manual view";

    f.Command13.press();
    EXPECT_EQ(f.Command13.Caption(), kRunning);
    EXPECT_EQ(f.Command13.BackColor(), kGreen);
    EXPECT_FALSE(f.Timer(17).Enabled());
    for (int t : {18, 19, 21})
        EXPECT_TRUE(f.Timer(t).Enabled()) << t;
    EXPECT_FALSE(f.Command14.Enabled());
    EXPECT_FALSE(f.Text2.Enabled());
    EXPECT_TRUE(mon().ran());

    // Stopped within a few seconds: no reference was taken.
    run(4);
    f.Command13.press();
    EXPECT_EQ(f.Command13.Caption(), kStopped);
    EXPECT_EQ(f.Command13.BackColor(), kYellow);
    EXPECT_EQ(f.Text3.BackColor(), kYellow);
    for (int t = 17; t <= 23; ++t)
        EXPECT_FALSE(f.Timer(t).Enabled()) << t;
    EXPECT_TRUE(f.Command14.Enabled());
    EXPECT_TRUE(mon().monitorStopped);
    EXPECT_FALSE(mon().ran());
    EXPECT_FALSE(exists(QStringLiteral("model.txt")));
    EXPECT_EQ(entries(), (QStringList{kStartEntry, kStopEntry}));

    // Paused or restarting, the button does nothing.
    for (const QString& caption : {QStringLiteral("监控暂停"), QStringLiteral("监控重启")}) {
        f.Command13.setCaption(caption);
        f.Command13.press();
        EXPECT_EQ(f.Command13.Caption(), caption);
        EXPECT_FALSE(f.Timer(19).Enabled());
    }
}

// Start, the reference, a red alarm, and the alarm step that reports it to the server.
TEST_F(Cycle, ARedAlarmIsReportedWithItsSnapshotAndSounded) {
    // On a machine that has nowhere to play sounds.
    platform::setMediaBackendFactory([log = sounds] {
        auto backend = std::make_unique<platform::RecordingMediaBackend>(log);
        backend->simulateSoundOutput(false);
        return backend;
    });
    openAlarmPoint();
    server.acceptOffers = true;
    watchSounds();
    const double started = ui::Clock::instance().monotonic();
    f2().Command13.press();

    // The reference once the clock has passed 6.
    ASSERT_TRUE(runUntil([&] { return exists(QStringLiteral("model.txt")); }, 30));
    EXPECT_GE(ui::Clock::instance().monotonic() - started, 12);
    EXPECT_EQ(read(QStringLiteral("model.txt")).count("\r\n"), kColumns + 1);
    EXPECT_TRUE(read(QStringLiteral("model.txt")).endsWith("\t1200\r\n\r\n"));

    // Somebody walks in; the comparison past clock 32 finds it. Before it, at clock 30, the
    // one routine snapshot of this opening went to the server.
    camera->setFrame(scored(324));
    ASSERT_TRUE(runUntil(
        [&] { return mon().lastComparison().result == monitoring::CompareResult::Error; }, 80));
    EXPECT_EQ(f2().Text3.BackColor(), kRed);
    EXPECT_EQ(snapshots(QStringLiteral("AMAZING  1.BMP")).size(), 1);
    const QString counted = QStringLiteral("   The number of the differnent is  = ");
    EXPECT_EQ(entries(),
              (QStringList{kStartEntry, "0" + counted + "324  This is a correct number。",
                           "1" + counted + "400  。"}));

    // The alarm step at clock 5: collaboration, the snapshot offered and uploaded, the sounds.
    ASSERT_TRUE(runUntil([&] { return server.uploadsEnded == 6; }, 60));
    EXPECT_EQ(server.uploads.mid(0, 3).join(),
              read("CAMaRA/" + snapshots(QStringLiteral("-0.BMP")).first()));
    const QStringList uploaded = snapshots(QStringLiteral("-1.BMP"));
    ASSERT_EQ(uploaded.size(), 1);
    EXPECT_EQ(server.uploads.mid(3).join(), read("CAMaRA/" + uploaded.first()));
    EXPECT_TRUE(server.from(0).join(QString()).contains(
        QStringLiteral("zen-tur:~￥&#通知：告警颜色为 红色时，将会启动远程协作。")));
    const QString offer = uploaded.first() + QStringLiteral("\r\n&*%^") +
                          QString::number(QFileInfo(path("CAMaRA/" + uploaded.first())).size());
    EXPECT_TRUE(server.from(0).join(QString()).contains(offer))
        << "offered under the snapshot's name";
    EXPECT_FALSE(m().alarmUploadArmed);

    run(15);
    ASSERT_EQ(played.size(), 5u);
    const QString order[] = {"3.wav", "2.wma", "1.wav", "0.wav", "3.wav"};
    // At least the waits (as the 50 ms watch sees them): what other handlers do inside them
    // comes on top.
    const double waits[] = {3, 3, 2, 3};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(played[i].file, order[i]) << i;
        if (i < 4) {
            EXPECT_GE(played[i + 1].at - played[i].at, waits[i] - 0.06) << i;
        }
    }
    EXPECT_EQ(sounds->last()->volume(), 100);
    EXPECT_FALSE(m().alarmSoundArmed);
    EXPECT_EQ(
        entries().filter(QStringLiteral("could not be played")),
        QStringList{QStringLiteral("    the alarm sound could not be played: 没有声音输出设备")})
        << "said once, and the watch goes on";
}

// A log that cannot be written, from the window's opening on or only from the watch's start:
// the status box says so in place of the clock at every tick while it fails, though the
// watch's other files are written, the watch goes on, and the alarm point hears it once a
// watch, after the watch's start.
TEST_F(Cycle, ALogThatCannotBeWrittenIsReportedOnceAWatch) {
    const QString why = QStringLiteral("0.txt（同名的是一个文件夹）");
    const QString warning = QStringLiteral("\r\n    警告：无法写入") + why +
                            QStringLiteral("，监控图像和记录可能无法保存！\r\n");
    const QString startNotice = QStringLiteral("\r\n    有人开始启动报警系统.\r\n");
    const QStringList shownInPlaceOfTheClock = {QStringLiteral("写失败"), QStringLiteral("采集中"),
                                                QStringLiteral("比较中")};
    const auto breakLog = [&] {
        ASSERT_TRUE(QFile::remove(path(QStringLiteral("CAMaRA/0.txt"))));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("CAMaRA/0.txt")));
    };
    openAlarmPoint();
    for (const bool fromTheOpening : {true, false}) {
        SCOPED_TRACE(fromTheOpening ? "from the opening" : "from the start");
        f2().unload();
        QDir(path(QStringLiteral("CAMaRA"))).removeRecursively();
        if (fromTheOpening) {
            QDir(dir.path()).mkpath(QStringLiteral("CAMaRA/0.txt"));
        }
        shell::form1().Command11_Click();
        f2().Text1(2).setText(QString::number(kColumns));
        f2().Text1(3).setText(QString::number(kRows));
        if (fromTheOpening) {
            EXPECT_EQ(f2().Text3.Text(), QStringLiteral("写失败"));
            // The opening belongs to no watch: the server hears of it then.
            ASSERT_TRUE(testing_support::pumpUntil(
                [&] { return !notices().filter(QStringLiteral("无法写入")).isEmpty(); }));
        }
        if (!fromTheOpening)
            breakLog();
        const QStringList& status = watchStatus();
        for (int watch : {1, 2}) {
            SCOPED_TRACE(watch);
            const qsizetype heard = notices().size();
            f2().Command13.press();
            statusSeen.clear();
            run(140); // the reference and two comparisons
            EXPECT_EQ(f2().Command13.Caption(), kRunning) << "the watch goes on";
            EXPECT_TRUE(exists(QStringLiteral("model.txt")));
            for (const QString& shown : status)
                EXPECT_TRUE(shownInPlaceOfTheClock.contains(shown)) << shown.toStdString();
            EXPECT_EQ(f2().Text3.ToolTipText(), QStringLiteral("无法写入") + why);
            // What the watch told, from its start notice on; the previous watch's last notices
            // may still have been on their way when it started.
            const QStringList all = notices();
            const qsizetype start = all.lastIndexOf(startNotice);
            ASSERT_GE(start, heard);
            EXPECT_TRUE(all.mid(heard, start - heard).filter(QStringLiteral("无法写入")).isEmpty());
            const QStringList told = all.mid(start);
            EXPECT_EQ(told.filter(QStringLiteral("无法写入")).size(), 1);
            EXPECT_TRUE(told.value(1).startsWith(warning)) << told.value(1).toStdString();
            f2().Command13.press();
        }
        // Once the log takes entries again, the clock is back at the next tick.
        ASSERT_TRUE(QDir(path(QStringLiteral("CAMaRA/0.txt"))).removeRecursively());
        f2().Command13.press();
        run(2.5);
        EXPECT_EQ(f2().Text3.Text(), QStringLiteral("2"));
        EXPECT_EQ(f2().Text3.ToolTipText(), QString());
        f2().Command13.press();
    }
}

// Requests of other alarm points arm the next alarm: an upload, a restart of the monitoring.
TEST_F(Cycle, RemoteRequestsActAtTheNextAlarm) {
    openAlarmPoint();
    server.acceptOffers = true;
    m().alarmUploadArmed = m().alarmSoundArmed = false;
    f2().Command13.press();
    ASSERT_TRUE(runUntil([&] { return exists(QStringLiteral("model.txt")); }, 30));
    receive(QStringLiteral("xxzen-tur:~A2￥&#请稍等，准备远程上传一次实时图像到服务器。\r\n"));
    receive(QStringLiteral("xxzen-tur:~A2￥&#远程重启监控"));
    EXPECT_TRUE(m().alarmUploadArmed);
    EXPECT_TRUE(m().remoteRestartRequest);

    camera->setFrame(scored(196));
    ASSERT_TRUE(runUntil([&] { return server.uploadsEnded == 3; }, 120));
    ASSERT_TRUE(runUntil([&] { return !m().remoteRestartRequest; }, 10));
    EXPECT_TRUE(sounds->calls().filter(QStringLiteral("setSource:")).isEmpty())
        << "the sounds were not asked for";
    const QStringList log = entries();
    ASSERT_GE(log.size(), 2);
    EXPECT_EQ(log.mid(log.size() - 2), (QStringList{kStopEntry, kStartEntry}));
    EXPECT_EQ(f2().Command13.Caption(), kRunning);
    EXPECT_TRUE(f2().Timer(21).Enabled()) << "a new reference follows the restart";
}

// Six equal alarm values: the comparisons pause, and the camera is let go and reconnected.
TEST_F(Cycle, AFrozenCameraIsPausedAndRestarted) {
    f2().Command13.press();
    ASSERT_TRUE(runUntil([&] { return exists(QStringLiteral("model.txt")); }, 30));
    mon().historyCount = 6; // six comparisons of the unchanged picture behind it
    const QStringList& status = watchStatus();
    ASSERT_TRUE(
        runUntil([&] { return f2().Command13.Caption() == QStringLiteral("监控暂停"); }, 80));
    EXPECT_EQ(status.last(), QStringLiteral("暂停"));
    EXPECT_EQ(f2().Command13.Caption(), QStringLiteral("监控暂停"));
    EXPECT_EQ(f2().Text3.BackColor(), kRed);
    EXPECT_FALSE(f2().Timer(19).Enabled());
    EXPECT_EQ(entries().last(), QStringLiteral("0   The number of the differnent is  = 0  。"));
    EXPECT_TRUE(entries().contains(QStringLiteral(
        "0   The number of the same is 6 times = 0  Please check the camera and computer。")));

    const qintptr before = f2().hCapWnd;
    ASSERT_TRUE(runUntil([&] { return f2().Text3.Text() == QStringLiteral("Run"); }, 30));
    run(0.1);
    // 301 passes the limit in the tick that shows it: "重启" replaces it at once.
    EXPECT_EQ(status.mid(status.indexOf(QStringLiteral("暂停"))),
              (QStringList{"暂停", "292", "293", "294", "295", "296", "297", "298", "299", "300",
                           "重启", "Run"}));
    EXPECT_EQ(f2().Command13.Caption(), kRunning);
    EXPECT_TRUE(f2().Timer(19).Enabled());
    EXPECT_EQ(mon().monitorTick, 1);
    EXPECT_EQ(platform::captureWindowWidget(before), nullptr) << "the old window is gone";
    EXPECT_EQ(platform::captureWindowWidget(f2().hCapWnd)->objectName(),
              QStringLiteral("WebcamCapture"));
    EXPECT_TRUE(camera->isOpen());
    EXPECT_EQ(
        entries().last(),
        QStringLiteral("    The system is rebooting and checking the camera whether it is ok  ."));
}

TEST_F(Cycle, ACameraThatIsGoneWhileReconnectingIsTriedEveryMinute) {
    openAlarmPoint();
    f2().Command13.setCaption(QStringLiteral("监控重启"));
    mon().cameraStartTries = 5;
    camera->setAvailableIndices({});
    f2().Timer(22).setEnabled(true);
    run(1.5);
    EXPECT_EQ(f2().Command13.Caption(), QStringLiteral("监控重启"));
    EXPECT_EQ(f2().Timer(22).Interval(), 60000);
    EXPECT_TRUE(f2().Timer(22).Enabled());
    EXPECT_TRUE(notices().contains(
        QStringLiteral("\r\n    红色警报 ！！！：摄像头损坏或 中断，无法获取监控图像！.\r\n")));

    camera->setAvailableIndices({0});
    run(61);
    EXPECT_EQ(f2().Text3.Text(), QStringLiteral("Run"));
    EXPECT_FALSE(f2().Timer(22).Enabled());
}

TEST_F(Cycle, ACameraThatVanishesClosesTheWindowAfterSayingSo) {
    f2().Command13.press();
    camera->setFrame(QImage());
    dialogs.expectMsgBox(kNoCamera, kTitle, ui::vbOK);
    run(10);
    EXPECT_FALSE(f2().isLoaded());
    EXPECT_EQ(entries().last(),
              QStringLiteral("    The camera gives no picture; the watch system has stopped ."));

    // The manual view likewise.
    shell::form1().Command11_Click();
    f2().Command14.press();
    dialogs.expectMsgBox(kNoCamera, kTitle, ui::vbOK);
    run(0.1);
    EXPECT_FALSE(f2().isLoaded());
}

// A stop while a comparison or the alarm step is under way: whatever they find, the watch stays
// stopped and silent until it is started again. The comparison may log its count.
TEST_F(Cycle, AStopInTheMiddleOfARoundStopsTheWholeWatch) {
    struct Row {
        const char* why;
        std::function<void()> beforeComparison;
        std::function<bool()> stopWhen;
        int sounds; // played before the stop
    };
    const auto comparing = [&] { return f2().Text3.Text() == QStringLiteral("比较中"); };
    const auto played = [&] { return sounds->calls().filter(QStringLiteral("setSource:")).size(); };
    const Row rows[] = {
        {"a red alarm", [&] { camera->setFrame(scored(324)); }, comparing, 0},
        {"a yellow alarm", [&] { camera->setFrame(scored(196)); }, comparing, 0},
        {"a stuck camera",
         [&] {
             mon().historyCount = 6;
             mon().alarmHistory = {};
         },
         comparing, 0},
        {"the alarm sounds",
         [&] {
             m().alarmUploadArmed = false;
             camera->setFrame(scored(324));
         },
         [&] { return played() == 1; }, 1},
    };
    openAlarmPoint();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        camera->setFrame(scene());
        sounds->clear();
        f2().Command13.press();
        ASSERT_TRUE(runUntil([&] { return !f2().Timer(21).Enabled(); }, 30)) << "the reference";
        row.beforeComparison();
        QByteArray reference;
        qsizetype pictures = -1;
        ui::Timer stopper;
        stopper.setInterval(50);
        stopper.onTimer = [&] {
            if (f2().Command13.Caption() != kRunning || !row.stopWhen())
                return;
            reference = read(QStringLiteral("model.txt"));
            pictures = snapshots(QStringLiteral(".BMP")).size();
            f2().Command13.press();
        };
        ASSERT_TRUE(runUntil([&] { return pictures >= 0; }, 150));
        run(400);

        EXPECT_EQ(f2().Command13.Caption(), kStopped);
        EXPECT_EQ(f2().Text3.BackColor(), kYellow);
        EXPECT_EQ(f2().Text3.Text(), QStringLiteral("1")) << "the clock, not a phase";
        for (int t = 17; t <= 23; ++t)
            EXPECT_FALSE(f2().Timer(t).Enabled()) << t;
        const QStringList heard = notices();
        EXPECT_EQ(heard.last(), QStringLiteral("\r\n    有人停止了正在运行的报警系统.\r\n"));
        const QStringList log = entries();
        const QStringList afterStop = log.mid(log.lastIndexOf(kStopEntry) + 1);
        EXPECT_LE(afterStop.size(), 1) << afterStop.join(u'|').toStdString();
        for (const QString& entry : afterStop)
            EXPECT_TRUE(entry.endsWith(QStringLiteral("  。"))) << "only the count";
        EXPECT_EQ(snapshots(QStringLiteral(".BMP")).size(), pictures);
        EXPECT_EQ(read(QStringLiteral("model.txt")), reference);
        EXPECT_EQ(played(), row.sounds);
        if (row.sounds > 0) {
            EXPECT_EQ(sounds->calls().last(), QStringLiteral("stop")) << "silent at once";
        }
    }
}

// The camera goes while nobody is at the screen: the watch stops and looks stopped before the
// box waits, and the alarm point hears that the camera is lost, never that all is quiet nor
// that somebody closed the watch. Opened and started again, the next watch is heard whole.
TEST_F(Cycle, ALostCameraIsReportedWhileItsBoxWaitsAndTheNextWatchIsHeard) {
    const QString startNotice = QStringLiteral("\r\n    有人开始启动报警系统.\r\n");
    openAlarmPoint();
    f2().Command13.press();
    ASSERT_TRUE(runUntil([&] { return exists(QStringLiteral("model.txt")); }, 30));
    camera->setFrame(QImage());
    QStringList heard, logged;
    bool anyTimer = false;
    QString caption, status;
    vbrt::Colour statusColour = 0;
    dialogs.expectMsgBox(kNoCamera, kTitle, ui::vbOK, ui::vbOKOnly, [&] {
        run(600);
        heard = notices();
        logged = entries();
        for (int t = 17; t <= 23; ++t)
            anyTimer |= f2().Timer(t).Enabled();
        caption = f2().Command13.Caption();
        status = f2().Text3.Text();
        statusColour = f2().Text3.BackColor();
    });
    run(12);
    EXPECT_FALSE(f2().isLoaded());
    EXPECT_FALSE(anyTimer);
    EXPECT_EQ(caption, kStopped);
    EXPECT_EQ(status, QStringLiteral("1"));
    EXPECT_EQ(statusColour, kYellow);
    EXPECT_EQ(heard.mid(heard.indexOf(startNotice) + 1),
              QStringList{QStringLiteral(
                  "\r\n    红色警报 ！！！：摄像头损坏或 中断，无法获取监控图像！.\r\n")});
    const QString lost =
        QStringLiteral("    The camera gives no picture; the watch system has stopped .");
    EXPECT_EQ(logged.last(), lost);
    EXPECT_EQ(notices(), heard) << "the close after it says nothing more";
    EXPECT_TRUE(m().alarmPointOn);

    shell::form1().Command11_Click();
    camera->setFrame(scene());
    f2().Command13.press();
    ASSERT_TRUE(runUntil([&] { return !f2().Timer(21).Enabled(); }, 30)) << "the reference";
    camera->setFrame(scored(324));
    ASSERT_TRUE(runUntil(
        [&] { return mon().lastComparison().result == monitoring::CompareResult::Error; }, 80));
    const QStringList next = notices().mid(heard.size());
    ASSERT_FALSE(next.isEmpty());
    // (A snapshot's offer follows a notice without a prefix of its own.)
    EXPECT_TRUE(next.first().startsWith(startNotice));
    EXPECT_EQ(next.filter(QStringLiteral("告警颜色：红色")).size(), 1);
}

// An hour of a quiet room on the default grid: comparisons every minute or so, a camera
// restart after every seventh (six equal values), and nothing that grows without bound.
TEST_F(Cycle, AnHourOfMonitoring) {
    f2().Text1(2).setText(QStringLiteral("800"));
    f2().Text1(3).setText(QStringLiteral("600"));
    f2().Command13.press();
    run(1800);
    [[maybe_unused]] const qint64 halfway = residentBytes();
    run(1800);
#ifndef __SANITIZE_ADDRESS__
    // (The address sanitizer keeps freed memory in quarantine; its leak check stands in.)
    EXPECT_LT(residentBytes() - halfway, 16 << 20) << "memory of the second half hour";
#endif
    EXPECT_EQ(f2().Command13.Caption(), kRunning);
    const QStringList log = entries();
    const qsizetype scorings = log.filter(QStringLiteral("This is a correct number")).size();
    EXPECT_GE(scorings, 40);
    EXPECT_LE(scorings, 60);
    EXPECT_GE(log.filter(QStringLiteral("The number of the same is 6 times")).size(), 5);
    EXPECT_LT(read(QStringLiteral("CAMaRA/0.txt")).size(), 50000);
    EXPECT_LE(snapshots(QStringLiteral(".BMP")).size(), 60) << "one routine snapshot a cycle";
    EXPECT_EQ(f2().window()->findChildren<QWidget*>(QStringLiteral("WebcamCapture")).size(), 1);
}

} // namespace
