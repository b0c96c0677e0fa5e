// Texts read as a file of parameter records, and each record read into the replay's fields.

#include "fuzz.h"
#include "trajectories/record_replay.h"

#include <QSet>
#include <cmath>
#include <cstdint>

namespace {

using trajectories::RecordFields;

void check(const QString& text) {
    const QStringList records = trajectories::replayRecordLines(text, u",");
    fuzz::require(records.size() <= trajectories::kMaxReplayRecords, "no more records than held");
    const QString lower = text.toLower();
    QSet<QString> seen;
    RecordFields fields{};
    for (const QString& r : records) {
        fuzz::require(r.contains(u','), "a record holds the separator");
        fuzz::require(!r.contains(u'\r') && !r.contains(u'\n'), "a record is one line");
        fuzz::require(r == r.toLower(), "a record is lower-cased");
        fuzz::require(lower.contains(r), "a record is a line of the text");
        fuzz::require(!seen.contains(r), "each record once");
        seen.insert(r);

        const RecordFields before = fields;
        if (trajectories::parseRecord(r, fields)) {
            for (double v : fields)
                fuzz::require(std::isfinite(v), "a field read is a finite number");
        } else {
            fuzz::require(fields == before, "a record refused leaves the fields");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    check(QString::fromUtf8(bytes));
    return 0;
}
