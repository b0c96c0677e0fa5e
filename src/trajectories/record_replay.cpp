#include "trajectories/record_replay.h"

#include "app/module1.h"
#include "app/records.h"
#include "ui/dialogs.h"
#include "vbrt/apppath.h"
#include "vbrt/convert.h"
#include "vbrt/file_reader.h"
#include "vbrt/text_lines.h"
#include "windows/form2_controls.h"

#include <QHash>
#include <QScopedValueRollback>
#include <algorithm>
#include <vector>

namespace trajectories {

namespace {
const QString kSeparator = QStringLiteral(",");
const QString kParsed = QStringLiteral("OK");
const QString kTitle = QStringLiteral("Tessal");

enum ReplayTimer {
    kReplayStart = 8,
    kReplayStep = 9,
    kFastReplayStart = 10,
    kFastReplayStep = 11,
};

// QString::toLower a piece at a time: a character whose lower case is longer (İ) makes toLower
// move all that follows it, which over a long text of them takes quadratic time. Each character
// is lowered on its own, so for well-formed text (all text decoded from UTF-8) the pieces join
// to what toLower gives the whole; a piece never ends inside a surrogate pair.
QString lowered(QStringView text) {
    constexpr qsizetype kPiece = 256;
    QString lower;
    lower.reserve(text.size());
    for (qsizetype from = 0; from < text.size();) {
        qsizetype to = std::min(from + kPiece, text.size());
        if (to < text.size() && text[to - 1].isHighSurrogate())
            ++to;
        lower += text.sliced(from, to - from).toString().toLower();
        from = to;
    }
    return lower;
}
} // namespace

QStringList replayRecordLines(QStringView text, QStringView separator) {
    while (!separator.isEmpty() && separator.front() == u' ')
        separator = separator.sliced(1);
    const QString sep = separator.toString().toLower();
    if (sep.isEmpty())
        return {};
    const QString lower = lowered(text);
    std::vector<QStringView> lines;
    for (vbrt::TextLines textLines(QStringView{lower});
         const std::optional line = textLines.next();) {
        if (line->contains(sep))
            lines.push_back(*line);
    }

    // Of equal lines the last one stands: walking back, a line is kept the first time it is
    // met.
    QHash<QStringView, bool> seen;
    seen.reserve(qsizetype(lines.size()));
    std::vector<QStringView> kept;
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (!seen.contains(*it)) {
            seen.insert(*it, true);
            kept.push_back(*it);
        }
    }
    std::reverse(kept.begin(), kept.end());
    if (kept.size() > size_t(kMaxReplayRecords))
        kept.resize(kMaxReplayRecords);

    QStringList records;
    records.reserve(qsizetype(kept.size()));
    for (QStringView line : kept)
        records.push_back(line.toString());
    return records;
}

bool parseRecord(QStringView line, RecordFields& fields) {
    RecordFields read = fields;
    size_t k = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < line.size() && k < read.size(); ++i) {
        if (line[i] != u',')
            continue;
        const QString value = line.sliced(start, i - start).toString();
        if (!vbrt::IsNumeric(value))
            return false;
        read[k++] = vbrt::CDbl(value);
        start = i + 1;
        // The character right after a comma is never taken as one.
        ++i;
    }
    fields = read;
    return true;
}

RecordReplay::RecordReplay(windows::Form2Controls& form, windows::ParameterPanel& panel,
                           DropPlots& plots)
    : f_(form), panel_(panel), plots_(plots) {
    f_.Timer(kReplayStart).onTimer = [this] { Timer8_Timer(); };
    f_.Timer(kReplayStep).onTimer = [this] { Timer9_Timer(); };
    f_.Timer(kFastReplayStart).onTimer = [this] { Timer10_Timer(); };
    f_.Timer(kFastReplayStep).onTimer = [this] { Timer11_Timer(); };
}

double RecordReplay::query1(const QString& separator) {
    const QString path = vbrt::appFile(QStringLiteral("\\treego.txt"));
    const vbrt::ReadResult file = vbrt::readFile(path, app::kMaxRecordFileBytes);
    // No file is no fault: no picture has been saved with its record yet.
    if (!file && file.kind != vbrt::ReadError::Missing && !saidThisPass_) {
        saidThisPass_ = true;
        const QScopedValueRollback open(messageOpen_, true);
        ui::MsgBox(vbrt::readFailedMessage(path, file.error), ui::vbOKOnly, kTitle);
    }
    replayRecords_ = replayRecordLines(QString::fromUtf8(file.bytes), separator);
    replayCount_ = double(replayRecords_.size());
    return replayCount_;
}

QString RecordReplay::Opensesame(const QString& line) {
    return parseRecord(line, recordFields_) ? kParsed : QString();
}

void RecordReplay::startPass(int startTimer, int stepTimer) {
    if (messageOpen_)
        return;
    app::Module1& m = app::module1();
    saidThisPass_ = false;
    replayIndex_ = 0;
    f_.Picture1.Cls();
    if (startTimer == kFastReplayStart)
        m.fastPlot = true;
    replayCount_ = query1(kSeparator);
    f_.Timer(startTimer).setEnabled(false);
    if (replayCount_ > 0)
        f_.Timer(stepTimer).setEnabled(true);
}

bool RecordReplay::nextRecord(int startTimer, int stepTimer) {
    if (messageOpen_)
        return false;
    if (replayIndex_ >= replayCount_) {
        f_.Timer(stepTimer).setEnabled(false);
        f_.Timer(startTimer).setEnabled(true);
        return false;
    }
    const qsizetype i = qsizetype(replayIndex_);
    currentRecord_ = i < replayRecords_.size() ? Opensesame(replayRecords_[i]) : QString();
    replayIndex_ += 1;
    // A record with a value that is no number is passed over.
    return currentRecord_ == kParsed;
}

void RecordReplay::Timer8_Timer() {
    startPass(kReplayStart, kReplayStep);
}

void RecordReplay::Timer10_Timer() {
    startPass(kFastReplayStart, kFastReplayStep);
}

void RecordReplay::Timer9_Timer() {
    if (!nextRecord(kReplayStart, kReplayStep))
        return;
    const RecordFields& v = recordFields_;
    const Record r{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]};
    // The last record of a pass is drawn with its time steps marked.
    plotRecord(r, replayIndex_ == replayCount_);
}

void RecordReplay::Timer11_Timer() {
    if (!nextRecord(kFastReplayStart, kFastReplayStep))
        return;
    app::Module1& m = app::module1();
    const RecordFields& v = recordFields_;
    const Record r{v[0], v[1], v[2], v[3], v[4], v[5] + m.replayShiftX, v[6] + m.replayShiftY,
                   v[7]};
    plotRecord(r, true);
}

} // namespace trajectories
