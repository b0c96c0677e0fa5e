// The alarm value of a comparison, the stuck-camera test and the alarm level.
#include "app/module1.h"
#include "monitoring/monitor_log.h"
#include "monitoring/monitoring.h"
#include "monitoring/round.h"
#include "pixelsets/comparison.h"
#include "pixelsets/redraw.h"
#include "pixelsets/set_file.h"
#include "ui/clock.h"
#include "vbrt/convert.h"

namespace monitoring {

namespace {
using vbrt::kCrLf;

// Log entries and notices; s is the alarm counter, v the alarm value.
QString scoreEntry(double s, double v) {
    return vbrt::CStr(s) + QStringLiteral("   The number of the differnent is  = ") +
           vbrt::CStr(v) + QStringLiteral("  This is a correct number。");
}
QString scoreNotice(double s, double v) {
    return vbrt::CStr(s) + QStringLiteral("   告警值为   = ") + vbrt::CStr(v) +
           QStringLiteral("。") + kCrLf;
}
QString stuckEntry(double s, double v) {
    return vbrt::CStr(s) + QStringLiteral("   The number of the same is 6 times = ") +
           vbrt::CStr(v) + QStringLiteral("  Please check the camera and computer。");
}
QString stuckNotice(double s, double h5) {
    return kCrLf + vbrt::CStr(s) + QStringLiteral("  警报： 告警值已经连续6次为 = ") +
           vbrt::CStr(h5) + QStringLiteral(" 摄像头可能损坏或中断， 电脑正在重新连接摄像头。") +
           kCrLf;
}
QString redNotice(double s, double v) {
    return kCrLf + vbrt::CStr(s) + QStringLiteral(" 告警颜色：红色  告警值为   = ") +
           vbrt::CStr(v) +
           QStringLiteral(" 请调用服务器中的图像确认，如告警值超过300000，有可能黑夜来临。") +
           kCrLf;
}
const QString kYellowEntry = QStringLiteral("    Computer begins to  reboot the  watch system .");
QString yellowNotice(double v) {
    return kCrLf + QStringLiteral(" 告警颜色：黄色 告警值为 = ") + vbrt::CStr(v) +
           QStringLiteral("  电脑自动校验监控系统。") + kCrLf;
}
QString greenNotice(double s, double v) {
    return kCrLf + vbrt::CStr(s) + QStringLiteral(" 监控正常：绿色  告警值为   = ") +
           vbrt::CStr(v) + QStringLiteral("  。") + kCrLf;
}
QString countEntry(double s, double n) {
    return vbrt::CStr(s) + QStringLiteral("   The number of the differnent is  = ") +
           vbrt::CStr(n) + QStringLiteral("  。");
}

// Alarm values above these are yellow and red; a value of 300 is yellow.
constexpr double kYellowAbove = 100;
constexpr double kRedAbove = 300;

// Keeps the value among the last six; at every seventh scoring the six kept values are
// tested and forgotten. True when all six agreed: the camera delivers the same picture.
bool keepInHistory(Monitoring& m, double value) {
    if (m.historyCount <= 5) {
        m.historyCount += 1;
        m.alarmHistory[size_t(m.historyCount)] = value;
        return false;
    }
    m.historyCount = 0;
    for (size_t i = 2; i <= 6; ++i)
        if (!(std::abs(m.alarmHistory[i] - m.alarmHistory[1]) < 1))
            return false;
    return true;
}
} // namespace

double Monitoring::chonghua2(const QString& path, bool countMode) {
    app::LineTable& lines = app::module1().lines;
    return markChanges(pixelsets::loadSetFile(path, lines, lines.pixelSetA), countMode);
}

double Monitoring::markChanges(const pixelsets::SetLoadResult& loaded, bool countMode) {
    app::LineTable& lines = app::module1().lines;
    alarmLevel_ = 0;
    const Round round(*this);
    const auto steps = f_.samplingGrid();
    if (loaded.status == pixelsets::SetLoad::Loaded && steps) {
        const bool walked = countMode
                                ? pixelsets::scoreChanged(f_.Picture1, lines.pixelSetA, *steps,
                                                          f_.penColor, round.pacing(), alarmLevel_)
                                : pixelsets::redrawChanged(f_.Picture1, lines.pixelSetA, *steps,
                                                           false, f_.penColor, round.pacing());
        if (!walked)
            return alarmLevel_;
    }

    if (keepInHistory(*this, alarmLevel_))
        cameraStuck = true;
    if (!monitorStopped) {
        logEntry(scoreEntry(alarmSeq, alarmLevel_));
        notify(scoreNotice(alarmSeq, alarmLevel_));
        resume({18});
    }
    return alarmLevel_;
}

CompareResult Monitoring::levelDecision(const Round& round, double differing) {
    app::Module1& m = app::module1();
    const double v = alarmLevel_;
    CompareResult result = CompareResult::None;
    if (!round.sameWatch()) {
        // Stopped (or started anew) while comparing: the count is logged, but the level of a
        // watch that ended is neither shown nor reported, and no snapshot is taken for it.
        cameraStuck = false;
    } else if (cameraStuck) {
        stuckCamera();
    } else if (v > kYellowAbove) {
        if (v > kRedAbove) {
            redAlarmLatched = true;
            f_.Text3.setBackColor(kRed);
            notify(redNotice(alarmSeq, v));
        } else if (!redAlarmLatched) {
            logEntry(kYellowEntry);
            notify(yellowNotice(v));
            alarmStepCount = 0;
            monitorTick = 1;
            cameraStartTries = 0;
            restartCountdown = 0;
            // A new reference once the clock has passed 6 again.
            resume({19, 18, 21});
        }
        result = CompareResult::Error;
        resume({23});
        alarmSeq += 1;
        saveSnapshot(alarmSnapshotName(ui::Clock::instance().now(), alarmSeq));
    } else {
        result = CompareResult::Ok;
        f_.Timer(23).setEnabled(false);
        f_.Text3.setBackColor(f_.Text2.BackColor());
        notify(greenNotice(alarmSeq, v));
        // The next alarm after a quiet picture uploads a snapshot and sounds again.
        m.alarmUploadArmed = true;
        m.alarmSoundArmed = true;
        redAlarmLatched = false;
    }
    logEntry(countEntry(alarmSeq, differing));
    alarmStepCount = 0;
    return result;
}

// The camera delivered the same picture six times: the comparisons pause and the camera is
// restarted about ten seconds later.
void Monitoring::stuckCamera() {
    cameraStuck = false;
    logEntry(stuckEntry(alarmSeq, alarmLevel_));
    notify(stuckNotice(alarmSeq, alarmHistory[5]));
    monitorTick = 1;
    alarmStepCount = 0;
    resume({20});
    f_.Command13.setCaption(QStringLiteral("监控暂停"));
    f_.Command13.setBackColor(kYellow);
    f_.Text3.setBackColor(kRed);
    f_.Text3.setText(QStringLiteral("暂停"));
    f_.Timer(19).setEnabled(false);
    restartCountdown = 291;
}

bool Monitoring::saveSnapshot(const QString& path) {
    const vbrt::WriteResult saved = f_.Picture1.saveImage(path);
    if (!saved) {
        writeFailed(WatchFile::Snapshot, path, saved.error);
        return false;
    }
    writeSucceeded(WatchFile::Snapshot);
    return true;
}

} // namespace monitoring
