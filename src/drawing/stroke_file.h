#pragma once

#include "app/stroke_store.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace drawing {

// The stroke file: two lines per stroke, its X values and then its Y values, each value
// followed by a TAB and each line ending with the colour and width of the stroke's last point
// and a counter (i + 1 on the X line, i + 2 on the Y line) that keeps every line unlike the
// others; CR LF after each line.
QByteArray strokeFileText(const app::StrokeStore& store, int strokes);

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
