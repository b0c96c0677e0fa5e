// The alarm step: every fifth clock value a new camera frame, and after an alarming comparison
// the alarm actions.
#include "alarmpoint/form4.h"
#include "app/module1.h"
#include "monitoring/monitor_log.h"
#include "monitoring/monitoring.h"
#include "monitoring/round.h"
#include "platform/media_player.h"
#include "platform/picture_clipboard.h"
#include "ui/clock.h"
#include "vbrt/apppath.h"
#include "vbrt/convert.h"

namespace monitoring {

namespace {
struct AlarmSound {
    const char16_t* file;
    int seconds; // the wait after it
};
// 12 s in all.
constexpr AlarmSound kAlarmSounds[] = {
    {u"\\3.wav", 3}, {u"\\2.wma", 3}, {u"\\1.wav", 2}, {u"\\0.wav", 3}, {u"\\3.wav", 1},
};
// The routine snapshot is taken at this clock value of a quiet comparison cycle.
constexpr double kRoutineTick = 30;
const QString kSoundFailedEntry = QStringLiteral("    the alarm sound could not be played: %1");
} // namespace

void Monitoring::Timer18_Timer() {
    app::Module1& m = app::module1();
    alarmStepCount += 1;
    if (vbrt::CLng(monitorTick) % 5 != 0)
        return;
    alarmStepCount = 0;

    const Round round(*this, Round::Until::WatchChanges);
    if (!grabFrame()) {
        cameraMissing(18);
        return;
    }
    const auto now = [] { return ui::Clock::instance().now(); };
    if (lastComparison_.result == CompareResult::Error) {
        // The first step after an alarming comparison (clock 5).
        if (monitorTick < 7) {
            if (m.alarmPointOn)
                alarmPoint_.yuancx();
            const QString p = uploadSnapshotName(now(), alarmSeq);
            // A snapshot that could not be saved is not offered; the upload stays armed.
            if (saveSnapshot(p) && !offerOnce(m.alarmUploadArmed, p, round))
                return;
            if (m.alarmSoundArmed) {
                m.alarmSoundArmed = false;
                playAlarmSounds(round);
                if (!round.goesOn())
                    return;
            }
            if (m.remoteRestartRequest)
                restartWatch();
        }
    } else if (monitorTick == kRoutineTick) {
        const QString p = uploadSnapshotName(now(), alarmSeq);
        const bool saved = saveSnapshot(p);
        if (!round.pauseSecond())
            return;
        // One routine snapshot per opening of the window goes to the alarm point.
        if (saved && !offerOnce(m.loadUploadArmed, p, round))
            return;
    }
    platform::pictureClipboard().clear();
}

void Monitoring::restartWatch() {
    Command13_Click();
    // A user who starts or stops monitoring meanwhile has the last word.
    const Round stopped(*this, Round::Until::WatchChanges);
    if (!stopped.pauseSeconds(3))
        return;
    Command13_Click();
    app::module1().remoteRestartRequest = false;
}

bool Monitoring::offerOnce(bool& armed, const QString& path, const Round& round) {
    if (!armed)
        return true;
    armed = false;
    app::Module1& m = app::module1();
    // The title is made from the clock now: it can name a second later than the saved file.
    m.snapshotName = shortSnapshotName(ui::Clock::instance().now(), alarmSeq);
    if (!round.pauseSecond())
        return false;
    if (m.alarmPointOn)
        alarmPoint_.tuxiangsc(path);
    return true;
}

void Monitoring::playAlarmSounds(const Round& round) {
    platform::MediaPlayer& p = player();
    for (const AlarmSound& sound : kAlarmSounds) {
        p.setUiMode(QStringLiteral("none"));
        p.settings().setVolume(100);
        p.setURL(vbrt::appFile(QString::fromUtf16(sound.file)));
        if (!round.pauseSeconds(sound.seconds)) {
            // Stopped meanwhile: the alarm falls silent at once.
            p.controls().stop();
            return;
        }
        // Asked after the wait: a player finds out only while it tries.
        if (const QString why = p.whyUnheard(); !why.isEmpty())
            soundFailed(why);
    }
}

void Monitoring::soundFailed(const QString& why) {
    if (soundFailedIn_ == starts_)
        return;
    soundFailedIn_ = starts_;
    logEntry(kSoundFailedEntry.arg(why));
}

} // namespace monitoring
