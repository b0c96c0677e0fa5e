#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>

namespace windows {
class Form2Controls;
class ParameterPanel;
} // namespace windows

namespace trajectories {

class DropPlots;

// The fields of a parameter record, in file order: t, r, Vx0, VFy, Vy0, origin X, origin Y, VFx.
using RecordFields = std::array<double, 8>;

// At most this many records are replayed from one read.
constexpr int kMaxReplayRecords = 100001;

// The records of a text: every line (between line breaks; CR LF, CR or LF) that holds the
// separator, lower-cased, each distinct line once, in the order of its last occurrence, at
// most kMaxReplayRecords of them. The separator is taken without its leading blanks and
// lower-cased; an empty one finds nothing.
QStringList replayRecordLines(QStringView text, QStringView separator);

// Reads a record into `fields`: each value up to a comma goes into the next field, up to eight;
// the character right after a comma is never taken as one (so ",," leaves a value that starts
// with a comma); what follows the eighth comma, and a last value without its comma, are left
// out; fields the record does not reach keep what they held. False, with `fields` unchanged,
// when a value it reaches is no number.
bool parseRecord(QStringView line, RecordFields& fields);

// The replay of the parameter records the drawing window's picture save keeps in treego.txt:
// "auto" draws one record every tick of Timer9 (the last of a pass with its time steps marked),
// a new pass starting a second after the last one; "autoplay" draws every record with its
// steps marked, the plots' pauses short, pass after pass. Each pass reads the file again and
// starts on a cleared canvas.
class RecordReplay {
public:
    RecordReplay(windows::Form2Controls& form, windows::ParameterPanel& panel, DropPlots& plots);

    // Reads treego.txt into the replay's records; the number of records. A file that is there
    // but cannot be read gives none, and says why once a pass.
    double query1(const QString& separator);
    // Parses a record into the replay's fields: "OK", or an empty text (the fields unchanged)
    // when a value is no number.
    QString Opensesame(const QString& line);

    // Start and step of "auto", then of "autoplay".
    void Timer8_Timer();
    void Timer9_Timer();
    void Timer10_Timer();
    void Timer11_Timer();

    // The trajectory of one record on the canvas, drawn in the scale the first plot after
    // coordMode was cleared set: rains the line alone, rainst with a filled circle at every
    // time step. The values go into the panels first. The result is always 0.
    double rains(double t, double radius, double vx0, double windY, double vy0, double x, double y,
                 double windX);
    double rainst(double t, double radius, double vx0, double windY, double vy0, double x, double y,
                  double windX);

    // The records of the last read and where the pass stands in them, as kept below.
    const QStringList& replayRecords() const { return replayRecords_; }
    double replayCount() const { return replayCount_; }
    double replayIndex() const { return replayIndex_; }
    const RecordFields& recordFields() const { return recordFields_; }
    const QString& currentRecord() const { return currentRecord_; }

private:
    struct Record {
        double t, radius, vx0, windY, vy0, x, y, windX;
    };
    void startPass(int startTimer, int stepTimer);
    // The next record of the pass, parsed; false when there is none to draw on this tick: the
    // pass is over (its step timer then hands back to the start timer), or the replay's message
    // is open.
    bool nextRecord(int startTimer, int stepTimer);
    double plotRecord(const Record& r, bool markSteps);
    void drawRecord(const Record& r, bool markSteps);
    // The panel's message for a record it refuses, unless this pass said it already or nothing
    // was drawn since it was last said.
    void refuse();

    windows::Form2Controls& f_;
    windows::ParameterPanel& panel_;
    DropPlots& plots_;
    // The distinct records of the last read of treego.txt, how many it found, the next one to
    // draw, the fields of the record being drawn (a short record keeps the previous one's for
    // what it lacks) and what the parse of it gave ("OK").
    QStringList replayRecords_;
    double replayCount_ = 0;
    double replayIndex_ = 0;
    RecordFields recordFields_{};
    QString currentRecord_;
    // "autoplay" starts its next pass at once: a message for every pass would leave no moment
    // to reach Text2 and stop it. So between two messages a record is always drawn (a click
    // made meanwhile is taken between two ticks), and a pass says it once.
    bool saidThisPass_ = false;
    bool quietUntilDrawn_ = false;
    // No tick of either replay runs while the message is open: no pass starts or goes on under
    // it, and a stop asked for meanwhile holds when it is dismissed.
    bool messageOpen_ = false;
};

} // namespace trajectories
