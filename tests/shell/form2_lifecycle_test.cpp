#include "alarm_point_fixture.h"
#include "alarmpoint/form4.h"
#include "alarmpoint/server_message.h"
#include "app/module1.h"
#include "drawing/curve_animations.h"
#include "drawing/drawing_board.h"
#include "monitoring/monitoring.h"
#include "platform/capture_window.h"
#include "platform/synthetic_capture_driver.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "trajectories/drop_plots.h"
#include "ui/clock.h"
#include "vbrt/datetime.h"

#include <QDir>
#include <QWidget>

using namespace testing_support;
using shell::Form2;

namespace {

const QString kWidthQuestion =
    QStringLiteral("是否要增加划线的宽度，如果选择“是”，则 线宽加1；如果选择“否”，则 线宽减1。");
const QString kClosingEntryText = QStringLiteral("    Somebody closed the  watch system .");
const QString kClosingNotice = QStringLiteral("\r\n    有人关闭了监控系统 或者 电脑断电了.\r\n");

class Form2Life : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        camera = platform::installSyntheticCaptureDriver();
    }
    void TearDown() override {
        AppTest::TearDown();
        platform::resetCaptureDriverFactory();
    }
    Form2& f2() { return shell::form2(); }
    app::Module1& m() { return app::module1(); }
    // The alarm point, open and connected to a server double that records the notices.
    void openAlarmPoint() {
        dialogs.expectInputBox(kServerPrompt, QStringLiteral("127.0.0.1"));
        shell::form4().show();
        ASSERT_TRUE(pumpUntil([] {
            return shell::form4().Winsock1.State() == platform::TcpSocket::Connected;
        }));
    }
    // What reached the server, once the link has had time to carry it.
    QStringList notices() {
        pumpUntil([] { return false; }, 0.1);
        QStringList texts;
        for (const AlarmServer::Message& message : server.received)
            texts << message.text.mid(kChatPrefix.size());
        return texts;
    }
    const QString kChatPrefix = QStringLiteral("zen-tur:~");
    AlarmServer server;
    // Monitoring started (its start entry taken out of the log again).
    void monitoringHasRun() {
        f2().monitoring.Command13_Click();
        write(QStringLiteral("CAMaRA/0.txt"), {});
    }

    std::shared_ptr<platform::SyntheticCamera> camera;
};

} // namespace

TEST_F(Form2Life, LoadCreatesTheLogFolderAndEmptiesTheLog) {
    f2().load();
    EXPECT_TRUE(QDir(path(QStringLiteral("CAMaRA"))).exists());
    EXPECT_TRUE(exists(QStringLiteral("CAMaRA/0.txt")));
    EXPECT_EQ(read(QStringLiteral("CAMaRA/0.txt")), QByteArray());

    f2().unload();
    write(QStringLiteral("CAMaRA/0.txt"), "2026-12-89:00:00\r\nentry\r\n");
    write(QStringLiteral("CAMaRA/12.BMP"), "snapshot");
    f2().load();
    EXPECT_EQ(read(QStringLiteral("CAMaRA/0.txt")), QByteArray());
    EXPECT_EQ(read(QStringLiteral("CAMaRA/12.BMP")), QByteArray("snapshot"));
}

TEST_F(Form2Life, LoadGivesTheStartStateWhateverItWasBefore) {
    app::Module1& s = m();
    monitoring::Monitoring& w = f2().monitoring;
    drawing::DrawingBoard& b = f2().board;
    s.alarmUploadArmed = s.loadUploadArmed = s.alarmSoundArmed = false;
    w.historyCount = w.alarmBlinkTick = w.cameraStartTries = 7;
    w.monitorTick = 9;
    w.alarmStepCount = 5;
    w.cameraStuck = w.redAlarmLatched = w.monitorStopped = true;
    f2().dropPlots.plotToggle = b.fullScreenOn = s.freehandMode = true;
    b.strokeCount = b.pointCount = b.strokeLenIndex = b.pageIndex = 4;
    f2().penColor = 255;
    f2().dropPlots.colorMode = trajectories::ColourMode::SingleColour;
    f2().drawEllipse = false;
    f2().originX = f2().originY = 30;
    f2().coordMode = f2().drawChord = f2().readoutFrozen = true;
    f2().curves.state.eggFreq = 2.5;
    f2().curves.state.deathPhase = 3.0;
    f2().curves.state.lifeTick = int16_t(2);
    f2().curves.state.lifeFreq = 6.5;
    f2().curves.state.lifePhase = 1.0;

    f2().load();

    EXPECT_TRUE(s.alarmUploadArmed && s.loadUploadArmed && s.alarmSoundArmed);
    EXPECT_EQ(w.historyCount, 0);
    EXPECT_EQ(w.alarmBlinkTick, 0);
    EXPECT_EQ(w.cameraStartTries, 0);
    EXPECT_EQ(w.monitorTick, 1);
    EXPECT_EQ(w.alarmStepCount, 0);
    EXPECT_FALSE(w.cameraStuck || w.redAlarmLatched || w.monitorStopped);
    EXPECT_FALSE(f2().dropPlots.plotToggle || b.fullScreenOn || s.freehandMode);
    EXPECT_EQ(b.strokeCount + b.pointCount + b.strokeLenIndex + b.pageIndex, 0);
    EXPECT_EQ(f2().penColor, 33000);
    EXPECT_EQ(f2().dropPlots.colorMode, trajectories::ColourMode::RandomShares);
    EXPECT_TRUE(f2().drawEllipse);
    EXPECT_EQ(f2().originX, 0);
    EXPECT_EQ(f2().originY, 0);
    EXPECT_FALSE(f2().coordMode || f2().drawChord || f2().readoutFrozen);

    const drawing::ComaState& c = f2().curves.state;
    EXPECT_TRUE(c.eggFreq.isInteger());
    EXPECT_EQ(c.eggFreq.toDouble(), 0);
    EXPECT_TRUE(c.deathPhase.isDouble());
    EXPECT_EQ(c.deathPhase.toString(), QStringLiteral("1E-05"));
    EXPECT_EQ(c.lifePhase.toString(), QStringLiteral("1E-05"));
    // The life animation carries its counters and frequency over from the last opening.
    EXPECT_EQ(c.lifeTick.toDouble(), 2);
    EXPECT_EQ(c.lifeFreq.toDouble(), 6.5);
}

TEST_F(Form2Life, LoadColoursAndHidesTheModeControls) {
    f2().load();
    EXPECT_EQ(f2().BackColor(), vbrt::RGB(192, 208, 192));
    EXPECT_EQ(f2().Picture1.BackColor(), 0);
    EXPECT_EQ(f2().Picture1.Image().pixel(5, 5), qRgb(0, 0, 0));
    EXPECT_EQ(shell::form1().Command6(0).BackColor(), vbrt::RGB(208, 208, 192));
    for (ui::Control* box :
         std::initializer_list<ui::Control*>{&f2().Text1(0), &f2().Text1(1), &f2().Text1(2),
                                             &f2().Text1(3), &f2().Text2, &f2().Text3})
        EXPECT_EQ(box->BackColor(), vbrt::RGB(168, 221, 155)) << box->name().toStdString();
    for (int i = 0; i <= 21; ++i)
        EXPECT_EQ(f2().Command1(i).BackColor(), vbrt::RGB(232, 227, 174)) << i;
    EXPECT_EQ(f2().Command12(1).BackColor(), vbrt::RGB(232, 227, 174));
    EXPECT_EQ(f2().Command15.BackColor(), vbrt::RGB(232, 227, 174));

    for (ui::Control* c : std::initializer_list<ui::Control*>{
             &f2().Command1(5), &f2().Command1(19), &f2().Command1(20), &f2().Command1(21),
             &f2().Command11, &f2().Command13, &f2().Command14, &f2().Command15, &f2().Command12(0),
             &f2().Command12(1), &f2().Command12(2), &f2().Label1, &f2().Image1,
             &f2().WindowsMediaPlayer1})
        EXPECT_FALSE(c->Visible()) << c->name().toStdString() << c->Index();
    EXPECT_TRUE(f2().Command1(4).Visible());
    EXPECT_TRUE(f2().Command9.Visible());
    for (int i = 1; i <= 23; ++i)
        EXPECT_FALSE(f2().Timer(i).Enabled()) << "Timer" << i;
}

TEST_F(Form2Life, LoadConnectsTheCameraInAHiddenCaptureWindow) {
    f2().load();
    EXPECT_TRUE(camera->isOpen());
    EXPECT_EQ(camera->openIndex(), 0);
    QWidget* capture = platform::captureWindowWidget(f2().hCapWnd);
    ASSERT_NE(capture, nullptr);
    EXPECT_EQ(capture->objectName(), QStringLiteral("Video"));
    EXPECT_EQ(capture->size(), QSize(640, 480));
    EXPECT_EQ(capture->parentWidget(), f2().window());
    EXPECT_FALSE(capture->isVisible());

    // Without a camera the window opens all the same.
    f2().unload();
    camera->setAvailableIndices({});
    f2().load();
    EXPECT_TRUE(f2().isLoaded());
    EXPECT_FALSE(camera->isOpen());
}

TEST_F(Form2Life, UnloadWithoutMonitoringOnlyStopsAndReleasesTheCamera) {
    f2().load();
    m().alarmPointOn = true;
    f2().Timer(19).setEnabled(true);
    f2().Timer(17).setEnabled(true);
    f2().unload();
    EXPECT_TRUE(f2().monitoring.monitorStopped);
    EXPECT_FALSE(f2().Timer(19).Enabled());
    EXPECT_TRUE(f2().Timer(17).Enabled());
    EXPECT_EQ(read(QStringLiteral("CAMaRA/0.txt")), QByteArray());
    EXPECT_TRUE(m().alarmPointOn);
    EXPECT_TRUE(notices().isEmpty());
    EXPECT_FALSE(camera->isOpen());
    EXPECT_EQ(camera->closes(), 1);
}

TEST_F(Form2Life, UnloadAfterMonitoringWritesTheClosingEntryAndNoticeOnce) {
    struct Case {
        bool alarmPointOn;
        QStringList notices;
    };
    openAlarmPoint();
    for (const Case& c : {Case{true, {kClosingNotice}}, Case{false, {}}}) {
        SCOPED_TRACE(c.alarmPointOn);
        server.received.clear();
        camera->resetCounters();
        f2().load();
        monitoringHasRun();
        m().alarmPointOn = c.alarmPointOn;
        const double started = ui::Clock::instance().monotonic();
        f2().unload();

        // The entry is written after the one-second wait.
        EXPECT_GT(ui::Clock::instance().monotonic() - started, 1.0);
        const QDateTime at = ui::Clock::instance().now();
        EXPECT_EQ(QString::fromUtf8(read(QStringLiteral("CAMaRA/0.txt"))),
                  vbrt::dateTimeRunTogether(at) + QStringLiteral("\r\n") + kClosingEntryText +
                      QStringLiteral("\r\n"));
        EXPECT_EQ(notices(), c.notices);
        EXPECT_FALSE(m().alarmPointOn);
        EXPECT_TRUE(f2().monitoring.monitorStopped);
        EXPECT_EQ(camera->closes(), 1);
    }
}

TEST_F(Form2Life, ASecondCloseDuringTheClosingWaitIsIgnored) {
    openAlarmPoint();
    f2().load();
    monitoringHasRun();
    m().alarmPointOn = true;
    // The alarm colour timer keeps ticking during the wait: it asks to close the window and
    // switches the alarm step back on.
    int ticks = 0;
    f2().Timer(23).onTimer = [&] {
        ++ticks;
        f2().unload();
        f2().Timer(18).setEnabled(true);
    };
    f2().Timer(23).setEnabled(true);
    f2().unload();

    EXPECT_GE(ticks, 3);
    EXPECT_FALSE(f2().isLoaded());
    EXPECT_FALSE(f2().Timer(18).Enabled());
    EXPECT_EQ(read(QStringLiteral("CAMaRA/0.txt")).count("Somebody closed"), 1);
    EXPECT_EQ(notices().size(), 1);
    EXPECT_EQ(camera->closes(), 1);
}

TEST_F(Form2Life, UnloadOfARunningAntiMissileWindowClearsItsFlags) {
    f2().load();
    m().antiMissileRunning = m().imageWorkMode = true;
    m().drawingMode = app::DrawingMode::AntiMissile;
    f2().unload();
    EXPECT_FALSE(m().antiMissileRunning || m().drawingMode == app::DrawingMode::AntiMissile ||
                 m().imageWorkMode);

    // Not running: the modes are left as they are.
    f2().load();
    m().imageWorkMode = true;
    m().drawingMode = app::DrawingMode::AntiMissile;
    f2().unload();
    EXPECT_TRUE(m().drawingMode == app::DrawingMode::AntiMissile && m().imageWorkMode);
}

TEST_F(Form2Life, TheWidthQuestionKeepsThePenBetween1And70) {
    struct Case {
        bool simulation, freehand;
        int width;
        int answer; // 0: no question
        int after;
    };
    const Case cases[] = {
        {true, false, 5, ui::vbYes, 6},   {true, false, 5, ui::vbNo, 4},
        {true, false, 70, ui::vbYes, 70}, {true, false, 69, ui::vbYes, 70},
        {true, false, 1, ui::vbNo, 1},    {true, false, 2, ui::vbNo, 1},
        {false, true, 3, ui::vbYes, 4},   {true, true, 3, ui::vbNo, 2},
        {false, false, 3, 0, 3},
    };
    f2().load();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.simulation << c.freehand << " " << c.width);
        m().drawingMode = c.simulation ? app::DrawingMode::DropSimulation : app::DrawingMode::Plain;
        m().freehandMode = c.freehand;
        f2().Picture1.setDrawWidth(c.width);
        if (c.answer)
            dialogs.expectMsgBox(kWidthQuestion, QStringLiteral("Tessal"), c.answer, ui::vbYesNo);
        f2().Form_Click();
        EXPECT_TRUE(dialogs.allShown());
        EXPECT_EQ(f2().Picture1.DrawWidth(), c.after);
    }
}

TEST_F(Form2Life, AClickInTheSimulationResetsTheOriginWhateverTheAnswer) {
    f2().load();
    for (bool freehand : {false, true}) {
        m().drawingMode = app::DrawingMode::DropSimulation;
        m().freehandMode = freehand;
        f2().originX = f2().originY = 40;
        m().replayShiftX = m().replayShiftY = 5;
        f2().drawChord = true;
        dialogs.expectMsgBox(kWidthQuestion, QStringLiteral("Tessal"), ui::vbNo);
        f2().Form_Click();
        // While drawing freehand the click only asks.
        EXPECT_EQ(f2().originX, freehand ? 40 : 0);
        EXPECT_EQ(f2().originY, freehand ? 40 : 0);
        EXPECT_EQ(m().replayShiftX, freehand ? 5 : 0);
        EXPECT_EQ(m().replayShiftY, freehand ? 5 : 0);
        EXPECT_EQ(f2().drawChord, freehand);
    }
}

TEST_F(Form2Life, AnAnswerGivenAfterTheWindowClosedChangesNothing) {
    f2().load();
    m().drawingMode = app::DrawingMode::DropSimulation;
    f2().Picture1.setDrawWidth(4);
    {
        // The question is open while the window is closed and opened again (a launcher).
        struct ReopeningDialogs : ScriptedDialogs {
            int msgBox(const QString&, int, const QString&) override {
                shell::form2().unload();
                shell::form2().load();
                return ui::vbYes;
            }
        } reopening;
        f2().Form_Click();
    }
    ui::setDialogs(&dialogs);
    // The new opening keeps its own pen width.
    EXPECT_EQ(f2().Picture1.DrawWidth(), 1);
}

TEST_F(Form2Life, ADoubleClickStopsTheRainSceneToggle) {
    f2().load();
    f2().Timer(3).setEnabled(true);
    f2().Timer(2).setEnabled(true);
    f2().Form_DblClick();
    EXPECT_FALSE(f2().Timer(3).Enabled());
    EXPECT_TRUE(f2().Timer(2).Enabled());
}
