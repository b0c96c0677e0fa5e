#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>

namespace app {
enum class CompareResult;
}
namespace platform {
class MediaPlayer;
}
namespace pixelsets {
struct SetLoadResult;
}
namespace alarmpoint {
class Form4;
}
namespace vbrt {
struct WriteResult;
}
namespace windows {
class Form2Controls;
}

namespace monitoring {

// What the monitoring's last comparison found: nothing yet (or a comparison that could not
// run, or a stuck camera), a quiet picture, or an alarm.
enum class CompareResult { None, Ok, Error };

// What a comparison of the watched picture with the reference found: an alarm, a quiet
// picture, or none (the default: a comparison that could not run, or a stuck camera), and how
// many samples differed from the reference.
struct CompareOutcome {
    CompareResult result{};
    double differing = 0;
};

// Smart monitoring of the drawing window. One button starts and stops the watch; the window's
// timers then drive it:
//   Timer19  2 s   the monitoring clock; past 32 it compares the picture with the reference
//   Timer21  2 s   captures the reference once the clock has passed 6 (one shot)
//   Timer18  1 s   the alarm step: a new camera frame every 5th clock value, and the alarm
//                  actions after an alarming comparison
//   Timer23  0.3 s shows the alarm level as the status box's colour
//   Timer20  1 s   counts down to a camera restart after the camera got stuck
//   Timer22  1 s   reconnects the camera (every minute after a failed try)
//   Timer17  50 ms the manual view: camera frames without monitoring
// Frames come from the capture window through the program's picture clipboard. Reports go to
// the remote alarm point while it is open.
class Monitoring {
public:
    Monitoring(windows::Form2Controls& form, alarmpoint::Form4& alarmPoint);
    ~Monitoring();
    Monitoring(const Monitoring&) = delete;
    Monitoring& operator=(const Monitoring&) = delete;

    // Start / stop (by the button's caption; nothing while paused or restarting).
    void Command13_Click();
    // The manual view.
    void Command14_Click();
    // Opens the remote alarm point, which from then on receives the monitoring's reports.
    void Command15_Click();

    void Timer17_Timer();
    void Timer18_Timer();
    void Timer19_Timer();
    void Timer20_Timer();
    void Timer21_Timer();
    void Timer22_Timer();
    void Timer23_Timer();

    // Samples the watched picture into the reference model.txt. True once it is written.
    bool tuxiangcaiji();
    // Compares the watched picture with the reference into caculator.txt, scores it and
    // decides the alarm level: an alarm, a quiet picture, or none for a stuck camera or a
    // comparison that could not run; and how many samples differed.
    CompareOutcome tuxiangbijiao();
    // Reads a difference set and marks its changes on the picture. Counting, it marks only a
    // changed sample whose neighbours two columns right, two rows down and diagonally changed
    // too, and counts those into the alarm value; otherwise it marks every change in its own
    // colour. Returns the alarm value.
    double chonghua2(const QString& path, bool countMode);

    // The camera's current frame, through the picture clipboard, painted over the watched
    // picture. False when the camera gave no picture.
    bool grabFrame(bool clearPictureFirst = false);

    // Whether monitoring was started since the window opened and not stopped since.
    bool ran() const { return ran_; }
    // A new opening of the window: the clock and the counters start again, nothing has run
    // yet, and the log starts anew.
    void startOfOpening();
    // The window closes: the watch counts as stopped, so a round waiting in it ends.
    void endOfOpening() { monitorStopped = true; }
    // The alarm value of the scoring under way or last done; the status box's colour follows
    // it while a scoring counts it up.
    double alarmLevel() const { return alarmLevel_; }
    // The last comparison of the monitoring clock, for the alarm step that follows it.
    const CompareOutcome& lastComparison() const { return lastComparison_; }
    // An entry in the log. One that cannot be written is reported as the watch's other files
    // are (writeFailed).
    void logEntry(const QString& text);

    // The watch from tick to tick; it outlives an unload. A load starts all of it again but
    // the countdown to a camera restart, the stored alarm values and the alarm counter that
    // names the snapshots.
    bool monitorStopped = false;
    double monitorTick = 1;
    double alarmStepCount = 0;
    double cameraStartTries = 0;
    double alarmBlinkTick = 0;
    double restartCountdown = 0;
    double historyCount = 0;
    // The last alarm values for the stuck-camera test, in 1..6; 0 stays 0.
    std::array<double, 7> alarmHistory{};
    bool cameraStuck = false;
    bool redAlarmLatched = false;
    double alarmSeq = 0;

private:
    class Round;
    // No picture from the camera: the watch stops and says so, then the window closes once
    // the user has read why.
    void cameraMissing(int timer);
    void notify(const QString& text);
    // The one place where the watch's timers are switched on: nothing that goes on inside a
    // wait after a stop (a comparison finishing, a capture) starts the watch again.
    void resume(std::initializer_list<int> timers);
    // Every camera and monitoring timer off.
    void switchOff();
    // The watch stopped, as the stop button leaves it: the button offers a start, the status
    // box shows the clock from 1, nothing of the watch runs, and it counts as not having run.
    void endWatch();
    // The monitoring clock in the status box, or that a file of the watch cannot be written.
    void showClock();
    // The alarm sounds cannot be heard: the log says why, once a watch.
    void soundFailed(const QString& why);
    // The scoring of a difference set just loaded into the grid; the alarm value.
    double markChanges(const pixelsets::SetLoadResult& loaded, bool countMode);
    // The result of the comparison whose alarm value was just scored, and the actions of its
    // level; none when the watch was stopped or started again meanwhile. The log hears how
    // many samples `differing` it found.
    CompareResult levelDecision(const Round& round, double differing);
    void stuckCamera();
    // False when the picture could not be written.
    bool saveSnapshot(const QString& path);
    // The files of a watch. Every snapshot has a name of its own: they fail and succeed as
    // one.
    enum class WatchFile { Log, Reference, Difference, Snapshot };
    // A file of the watch that could not be written: the log says so while it can be
    // written, the status box until that file is written again, and the alarm point hears
    // each reason once a watch, after the watch's start.
    void writeFailed(WatchFile file, const QString& path, const QString& why);
    // A file of the watch was written: its failure before is over.
    void writeSucceeded(WatchFile file);
    // A write of the log that succeeded or failed, told as writeSucceeded and writeFailed say.
    void logWritten(const vbrt::WriteResult& written);
    // Offers the snapshot to the alarm point when `armed`, which it uses up. False when the
    // round ended during the wait before.
    bool offerOnce(bool& armed, const QString& path, const Round& round);
    void playAlarmSounds(const Round& round);
    // The alarm step's remote restart: a stop, three seconds, a start.
    void restartWatch();
    platform::MediaPlayer& player();

    windows::Form2Controls& f_;
    alarmpoint::Form4& alarmPoint_;
    bool ran_ = false;
    // Starts of the watch since the program began: a round knows whether it is still in its
    // own.
    uint64_t starts_ = 0;
    // The files whose last write failed, with what the status box's tool tip says of each.
    std::map<WatchFile, QString> failing_;
    // The reasons of failed writes the alarm point heard in the watch `toldIn_` (a start).
    QStringList toldFailures_;
    uint64_t toldIn_ = 0;
    // The start of the watch whose sounds were found failing (0: none).
    uint64_t soundFailedIn_ = 0;
    std::unique_ptr<platform::MediaPlayer> player_;
    double alarmLevel_ = 0;
    CompareOutcome lastComparison_;
};

} // namespace monitoring
