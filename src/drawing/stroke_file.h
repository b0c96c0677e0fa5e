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

// The most values the export writes on a line: every point the store holds, then the colour,
// the width and the counter.
constexpr int kMostLineValues = app::StrokeStore::kLast + 1 + 3;

// The largest stroke file read: the lines of every stroke the store holds, two a stroke, each
// with as many values as the export writes, every value the widest number text with its
// separator, and each line its CR LF; twice that (about 790 MiB), for blanks around the values
// and the lines a reader passes over.
constexpr qint64 kMaxStrokeFileBytes =
    2 * 2 * qint64(app::StrokeStore::kLast + 1) *
    (qint64(kMostLineValues) * (vbrt::kWidestNumberText + 1) + 2);

// What reading a stroke file came to: the number of whole strokes and of lines read, or the
// line (from 1) whose value is no number.
struct StrokeFileRead {
    int strokes = 0, lines = 0;
    std::optional<int> badLine;
};

// Reads a stroke file into the store: X and Y lines in pairs, values separated by TAB or "|",
// the colour and width from the X line, each stroke's last point index set. The last three
// values of a line are its colour, width and counter, however long the line: a line with more
// points than the store holds gives the points it has room for. Lines with fewer than four
// values are passed over, and strokes beyond the store's bounds are not read. A value that is
// no number, or whose text is wider than any number the export writes, leaves the store as it
// was.
StrokeFileRead readStrokeFile(QByteArrayView text, app::StrokeStore& store);

} // namespace drawing
