#pragma once

#include "app/stroke_store.h"
#include "vbrt/convert.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace drawing {

// The stroke file: two lines per stroke, its X values and then its Y values, each value
// followed by a TAB and each line ending with the colour and width of the stroke's last point
// and a counter (i + 1 on the X line, i + 2 on the Y line) that keeps every line unlike the
// others; CR LF after each line.
QByteArray strokeFileText(const app::StrokeStore& store, int strokes);

// A line holds at most this many values less one; the rest of a longer line is not read.
constexpr int kValueLimit = 3000;

// The largest stroke file read: the lines of every stroke the store holds, two a stroke, each
// with as many values as a line is read for, every value the widest number text with its
// separator, and each line its CR LF; twice that (about 790 MiB), for blanks around the values
// and the lines a reader passes over.
constexpr qint64 kMaxStrokeFileBytes = 2 * 2 * qint64(app::StrokeStore::kLast + 1) *
                                       (qint64(kValueLimit) * (vbrt::kWidestNumberText + 1) + 2);

// What reading a stroke file came to: the number of whole strokes and of lines read, or the
// line (from 1) whose value is no number.
struct StrokeFileRead {
    int strokes = 0, lines = 0;
    std::optional<int> badLine;
};

// Reads a stroke file into the store: X and Y lines in pairs, values separated by TAB or "|",
// the colour and width from the X line, each stroke's last point index set. Lines with fewer than
// four values are passed over, and strokes and points beyond the store's bounds are not read. A
// value that is no number leaves the store as it was.
StrokeFileRead readStrokeFile(QByteArrayView text, app::StrokeStore& store);

} // namespace drawing
