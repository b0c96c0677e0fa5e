#include "monitoring/monitoring.h"

#include "alarmpoint/form4.h"
#include "app/module1.h"
#include "monitoring/monitor_log.h"
#include "monitoring/round.h"
#include "platform/capture_window.h"
#include "platform/media_player.h"
#include "platform/picture_clipboard.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"

#include <QFileInfo>

namespace monitoring {

namespace {
// The start button's caption is the state.
const QString kStopped = QStringLiteral("智能监控停止");
const QString kRunning = QStringLiteral("智能监控启动");
const QString kPaused = QStringLiteral("监控暂停");
const QString kRestarting = QStringLiteral("监控重启");

const QString kStartEntry = QStringLiteral("    Somebody begins to  run the  watch system .");
const QString kStopEntry = QStringLiteral("    Somebody stoped running the  watch system .");
const QString kReconnectEntry =
    QStringLiteral("    The system is rebooting and checking the camera whether it is ok  .");
const QString kStartNotice = QStringLiteral("\r\n    有人开始启动报警系统.\r\n");
const QString kStopNotice = QStringLiteral("\r\n    有人停止了正在运行的报警系统.\r\n");
const QString kReconnectFailedNotice =
    QStringLiteral("\r\n    红色警报 ！！！：摄像头损坏或 中断，无法获取监控图像！.\r\n");
const QString kNoCamera = QStringLiteral("请检查摄像头的驱动程序是否安装完好？");
const QString kCameraLostEntry =
    QStringLiteral("    The camera gives no picture; the watch system has stopped .");
const QString kNotWrittenEntry = QStringLiteral("    %1 could not be written: %2 .");
// What the status box shows in place of the clock while the watch's files cannot be written
// (three characters fit it); its tool tip says which file and why.
const QString kNotWrittenStatus = QStringLiteral("写失败");
QString notWrittenNotice(const QString& file, const QString& why) {
    return QStringLiteral("\r\n    警告：无法写入%1（%2），监控图像和记录可能无法保存！\r\n")
        .arg(file, why);
}

// The countdown restarts the camera past this many seconds.
constexpr double kRestartLimit = 300;
// The reconnect timer tries this many ticks before it connects, and starts over past the
// second number.
constexpr double kReconnectAfter = 5;
constexpr double kReconnectCycle = 10;
constexpr int kRetryInterval = 60000;
} // namespace

Monitoring::Monitoring(windows::Form2Controls& form, alarmpoint::Form4& alarmPoint)
    : f_(form), alarmPoint_(alarmPoint) {
    f_.Command13.onClick = [this] { Command13_Click(); };
    f_.Command14.onClick = [this] { Command14_Click(); };
    f_.Command15.onClick = [this] { Command15_Click(); };
    f_.Timer(17).onTimer = [this] { Timer17_Timer(); };
    f_.Timer(18).onTimer = [this] { Timer18_Timer(); };
    f_.Timer(19).onTimer = [this] { Timer19_Timer(); };
    f_.Timer(20).onTimer = [this] { Timer20_Timer(); };
    f_.Timer(21).onTimer = [this] { Timer21_Timer(); };
    f_.Timer(22).onTimer = [this] { Timer22_Timer(); };
    f_.Timer(23).onTimer = [this] { Timer23_Timer(); };
}

Monitoring::~Monitoring() = default;

void Monitoring::notify(const QString& text) {
    if (app::module1().alarmPointOn)
        alarmPoint_.gaojingsc(text);
}

void Monitoring::Command13_Click() {
    const QString state = f_.Command13.Caption();
    if (state == kStopped) {
        // What the start entry meets belongs to the new watch, and is told after its start.
        starts_ += 1;
        const vbrt::WriteResult entry = writeLogEntry(kStartEntry);
        notify(kStartNotice);
        logWritten(entry);
        f_.Command13.setBackColor(kGreen);
        f_.Command13.setCaption(kRunning);
        f_.Text3.setBackColor(f_.Text2.BackColor());
        f_.Text2.setEnabled(false);
        monitorTick = 1;
        alarmStepCount = cameraStartTries = restartCountdown = 0;
        monitorStopped = false;
        ran_ = true;
        f_.Timer(17).setEnabled(false);
        resume({19, 18, 21});
        f_.Command14.setEnabled(false);
        f_.Command14.setBackColor(kYellow);
    } else if (state == kRunning) {
        endWatch();
        logEntry(kStopEntry);
        notify(kStopNotice);
    }
}

void Monitoring::endWatch() {
    f_.Command13.setBackColor(kYellow);
    f_.Command13.setCaption(kStopped);
    f_.Text3.setBackColor(kYellow);
    f_.Text3.setEnabled(true);
    f_.Text2.setEnabled(true);
    f_.Command14.setEnabled(true);
    monitorTick = 1;
    alarmStepCount = cameraStartTries = restartCountdown = 0;
    monitorStopped = true;
    ran_ = false;
    switchOff();
    // A capture or comparison still finishing belongs to no watch: its phase is not shown.
    showClock();
}

void Monitoring::showClock() {
    // A write that failed is not forgotten by the next tick: the box keeps saying so.
    f_.Text3.setText(failing_.empty() ? vbrt::CStr(monitorTick) : kNotWrittenStatus);
}

void Monitoring::resume(std::initializer_list<int> timers) {
    if (monitorStopped)
        return;
    for (int t : timers)
        f_.Timer(t).setEnabled(true);
}

void Monitoring::switchOff() {
    for (int t = 17; t <= 23; ++t)
        f_.Timer(t).setEnabled(false);
}

void Monitoring::startOfOpening() {
    historyCount = 0;
    cameraStuck = false;
    alarmBlinkTick = 0;
    monitorTick = 1;
    alarmStepCount = 0;
    cameraStartTries = 0;
    redAlarmLatched = false;
    monitorStopped = false;
    ran_ = false;
    logWritten(startLog());
}

void Monitoring::logEntry(const QString& text) {
    logWritten(writeLogEntry(text));
}

void Monitoring::logWritten(const vbrt::WriteResult& written) {
    if (written)
        writeSucceeded(WatchFile::Log);
    else
        writeFailed(WatchFile::Log, logPath(), written.error);
}

void Monitoring::writeFailed(WatchFile kind, const QString& path, const QString& why) {
    const QString file = QFileInfo(path).fileName();
    // The first failure shows at once; the clock's ticks keep showing it.
    if (!failing_.contains(kind))
        f_.Text3.setText(kNotWrittenStatus);
    failing_[kind] = QStringLiteral("无法写入%1（%2）").arg(file, why);
    f_.Text3.setToolTipText(failing_[kind]);
    // The log fails at every entry: the alarm point hears a reason once a watch, not at every
    // file.
    if (toldIn_ != starts_) {
        toldIn_ = starts_;
        toldFailures_.clear();
    }
    if (app::module1().alarmPointOn && !toldFailures_.contains(why)) {
        toldFailures_ << why;
        notify(notWrittenNotice(file, why));
    }
    // A log that cannot be written is not asked to say so.
    if (kind != WatchFile::Log)
        logEntry(kNotWrittenEntry.arg(file, why));
}

void Monitoring::writeSucceeded(WatchFile kind) {
    if (failing_.erase(kind) == 0)
        return;
    f_.Text3.setToolTipText(failing_.empty() ? QString() : failing_.begin()->second);
}

void Monitoring::Command14_Click() {
    f_.Command14.setBackColor(f_.Text2.BackColor());
    f_.Timer(17).setEnabled(true);
}

void Monitoring::Command15_Click() {
    app::module1().alarmPointOn = true;
    alarmPoint_.show();
    alarmPoint_.setBackColor(vbrt::RGB(192, 208, 192));
}

bool Monitoring::grabFrame(bool clearPictureFirst) {
    using namespace platform;
    SendMessage(f_.hCapWnd, WM_CAP_GRAB_FRAME, 0, 0);
    SendMessage(f_.hCapWnd, WM_CAP_EDIT_COPY, 0, 0);
    if (clearPictureFirst)
        f_.Picture1.setPicture(QImage());
    f_.Image1.setPicture(QImage());
    f_.Image1.setStretch(true);
    f_.Picture1.setAutoRedraw(true);
    if (!pictureClipboard().hasPicture())
        return false;
    f_.Image1.setPicture(pictureClipboard().picture());
    f_.Picture1.PaintPicture(f_.Image1.Picture(), 0, 0, f_.Picture1.Width(), f_.Picture1.Height());
    f_.Picture1.setAutoRedraw(false);
    return true;
}

void Monitoring::cameraMissing(int timer) {
    // Nobody need be at the screen to answer the box: before it waits, the watch has ended
    // and looks so, and the alarm point and the log hear why. The window's close that follows
    // then finds no watch to report closed: the alarm point stays told, and hears the next
    // watch from its start.
    const bool watching = !monitorStopped;
    endWatch();
    if (watching) {
        logEntry(kCameraLostEntry);
        notify(kReconnectFailedNotice);
    }
    ui::MsgBox(kNoCamera, ui::vbOKOnly);
    f_.Timer(timer).setEnabled(false);
    f_.unload();
}

// The manual view.
void Monitoring::Timer17_Timer() {
    if (!grabFrame())
        cameraMissing(17);
}

// The monitoring clock; past 32 it compares.
void Monitoring::Timer19_Timer() {
    monitorTick += 1;
    showClock();
    if (monitorTick <= 32)
        return;
    f_.Text3.setText(QStringLiteral("比较中"));
    monitorTick = 1;
    f_.Timer(18).setEnabled(false);
    const Round round(*this);
    const CompareOutcome outcome = tuxiangbijiao();
    if (!round.alive())
        return;
    lastComparison_ = outcome;
    round.pauseSecond();
}

// The reference, once the clock has passed 6.
void Monitoring::Timer21_Timer() {
    if (monitorTick <= 6)
        return;
    f_.Timer(18).setEnabled(false);
    f_.Timer(19).setEnabled(false);
    f_.Text3.setText(QStringLiteral("采集中"));
    const Round round(*this);
    tuxiangcaiji();
    // After a stop it is off already; after a new start it is the new watch's.
    if (round.sameWatch())
        f_.Timer(21).setEnabled(false);
}

// The alarm level as the status box's colour, every second tick. It follows the value while a
// scoring counts it up.
void Monitoring::Timer23_Timer() {
    alarmBlinkTick += 1;
    if (vbrt::CLng(alarmBlinkTick) % 2 != 0)
        return;
    alarmBlinkTick = 0;
    const double v = alarmLevel_;
    if (v > 300)
        f_.Text3.setBackColor(kRed);
    else if (v > 100)
        f_.Text3.setBackColor(kYellow);
    else
        f_.Text3.setBackColor(f_.Text2.BackColor());
}

// The countdown after a stuck camera; at its limit the camera is let go and reconnected.
void Monitoring::Timer20_Timer() {
    restartCountdown += 1;
    f_.Text3.setText(vbrt::CStr(restartCountdown));
    if (restartCountdown <= kRestartLimit)
        return;
    restartCountdown = 0;
    platform::SendMessage(f_.hCapWnd, platform::WM_CAP_DRIVER_DISCONNECT, 0, 0);
    f_.Command13.setCaption(kRestarting);
    f_.Command13.setBackColor(kYellow);
    f_.Text3.setText(QStringLiteral("重启"));
    f_.Timer(20).setEnabled(false);
    resume({22});
}

// Reconnects the camera through a new capture window. Monitoring runs again only once a
// frame came; until then the button says the camera is restarting and a try follows every
// minute.
void Monitoring::Timer22_Timer() {
    cameraStartTries += 1;
    if (cameraStartTries <= kReconnectAfter)
        return;

    using namespace platform;
    // The old window goes with its driver: a camera opened twice would refuse the second.
    destroyCaptureWindow(f_.hCapWnd);
    f_.hCapWnd = capCreateCaptureWindowA(QStringLiteral("WebcamCapture"), 0, 0, 0, 13092, 7332,
                                         f_.window(), 0);
    SendMessage(f_.hCapWnd, WM_CAP_DRIVER_CONNECT, 0, 0);
    logEntry(kReconnectEntry);
    alarmStepCount = 0;
    monitorTick = 1;
    if (!grabFrame(true)) {
        if (cameraStartTries > kReconnectCycle)
            cameraStartTries = 0;
        notify(kReconnectFailedNotice);
        f_.Timer(22).setInterval(kRetryInterval);
        return;
    }
    f_.Command13.setCaption(kRunning);
    f_.Command13.setBackColor(kGreen);
    f_.Text3.setBackColor(f_.Text2.BackColor());
    f_.Text3.setText(QStringLiteral("Run"));
    resume({19});
    f_.Timer(20).setEnabled(false);
    f_.Timer(22).setEnabled(false);
}

platform::MediaPlayer& Monitoring::player() {
    // Made on first use: most openings of the window never sound an alarm.
    if (!player_)
        player_ = std::make_unique<platform::MediaPlayer>();
    return *player_;
}

} // namespace monitoring
